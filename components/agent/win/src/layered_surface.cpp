#include "layered_surface.h"

namespace agent::win {

bool LayeredSurface::Resize(Size size) {
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    if (bitmap_ && size_ == size) return true;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win32util::UniqueBitmap bitmap(
        CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return false;
    SelectObject(dc_.get(), bitmap.get());
    bitmap_ = std::move(bitmap);  // the old one is no longer selected: freed safely
    bits_ = bits;
    size_ = size;
    return true;
}

std::span<std::uint8_t> LayeredSurface::Pixels() const noexcept {
    if (!bits_) return {};
    return {static_cast<std::uint8_t*>(bits_),
            static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.height) * 4};
}

void LayeredSurface::Present(HWND window, const Point* position) const {
    POINT topLeft{};
    if (position) topLeft = {position->x, position->y};
    SIZE size{size_.width, size_.height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, position ? &topLeft : nullptr, &size, dc_.get(), &source,
                        0, &blend, ULW_ALPHA);
}

}  // namespace agent::win
