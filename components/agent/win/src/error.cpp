#include "win_util.h"

#include <agent/agent.h>

namespace agent::win {

UniqueBitmap CreateLayeredSurface(int width, int height, void*& bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bits = nullptr;
    return UniqueBitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

}  // namespace agent::win

namespace agent {

Error::Error(std::wstring message)
    : message_(std::move(message)), utf8_(win::WideToUtf8(message_)) {}

}  // namespace agent
