#include "shell/app_window.h"

#include "resources/resource.h"
#include "ui/app_title.h"
#include "win32util/window.h"

namespace vocalinka {
namespace {
constexpr wchar_t kClassName[] = L"VocalinkaApplication";
}

AppWindow::AppWindow(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_VOCALINKA));
    wc.lpszClassName = kClassName;
    // Never shown: it exists to own the other windows.
    window_ = win32util::CreateRegisteredWindow(
        wc, {.style = WS_OVERLAPPED, .title = kApplicationTitle}, nullptr);
}

}  // namespace vocalinka
