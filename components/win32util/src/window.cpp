#include "win32util/window.h"

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

}  // namespace win32util
