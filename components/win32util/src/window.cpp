#include "win32util/window.h"

#include <stdexcept>

#include "win32util/text.h"

namespace win32util {

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

int WindowDpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi ? static_cast<int>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

bool HighContrast() {
    HIGHCONTRASTW contrast{sizeof(contrast)};
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

bool RegisterWindowClass(WNDCLASSEXW windowClass) {
    windowClass.cbSize = sizeof(windowClass);
    if (!windowClass.hInstance) windowClass.hInstance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{sizeof(existing)};
    if (GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) return true;
    if (!windowClass.hCursor) windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    return RegisterClassExW(&windowClass) != 0;
}

UniqueWindow CreateRegisteredWindow(const WNDCLASSEXW& windowClass,
                                    const WindowPlacement& placement, void* param) {
    const auto fail = [&](const char* what) {
        const DWORD error = GetLastError();  // before anything else can change it
        std::string message = what + WideToUtf8(windowClass.lpszClassName);
        if (error != ERROR_SUCCESS) message += " (" + WideToUtf8(SystemMessage(error)) + ")";
        throw std::runtime_error(message + ".");
    };
    if (!RegisterWindowClass(windowClass)) fail("Could not register the window class ");
    const RECT& bounds = placement.bounds;
    UniqueWindow window(CreateWindowExW(
        placement.exStyle, windowClass.lpszClassName, placement.title, placement.style, bounds.left,
        bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, placement.parent,
        nullptr, windowClass.hInstance ? windowClass.hInstance : GetModuleHandleW(nullptr), param));
    if (!window) fail("Could not create a window of class ");
    return window;
}

}  // namespace win32util
