// One window procedure for every class whose object handles its own window's messages.
#pragma once

#include <windows.h>

#include "win32util/failure.h"

namespace win32util {

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
