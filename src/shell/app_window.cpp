#include "shell/app_window.h"

#include <stdexcept>

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
    win32util::RegisterWindowClass(wc);
    // Never shown: it exists to own the other windows.
    hwnd_ = CreateWindowExW(0, kClassName, kApplicationTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr,
                            nullptr, instance, nullptr);
    if (!hwnd_) throw std::runtime_error("The application window could not be created.");
}

AppWindow::~AppWindow() {
    DestroyWindow(hwnd_);
}

}  // namespace vocalinka
