// Window helpers shared by the program and its components: one window procedure for every
// class whose object handles its own window's messages, and the small questions every window
// asks (its text, its DPI, the high-contrast setting).
#pragma once

#include <windows.h>

#include <string>

#include "win32util/failure.h"

namespace win32util {

// The text of a window or control; empty for none, for handle 0 or a window that is gone.
std::wstring WindowText(HWND window);

// The window's DPI; 96 when the system cannot say.
int WindowDpi(HWND window);

// Whether the user has turned on high contrast.
bool HighContrast();

// Registers a window class of this module once: the name is the key, so later calls for the
// same name do nothing. The class gets the arrow cursor and this module's instance unless the
// caller set them. False when the class could not be registered.
bool RegisterWindowClass(WNDCLASSEXW windowClass);

// The object is CreateWindowExW's last argument. The procedure stores the window in the
// object's `Handle` member and forwards every message to its `OnMessage`, the last one
// (WM_NCDESTROY) included; the class names its private members here from inside itself. A
// handler that throws is reported (failure.h) and the message answered with 0.
template <class T, HWND T::*Handle, LRESULT (T::*OnMessage)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK ForwardingWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->*Handle = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return GuardedCall(hwnd, LRESULT{0},
                       [&] { return (self->*OnMessage)(message, wParam, lParam); });
}

}  // namespace win32util
