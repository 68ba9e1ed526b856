// Window helpers shared by the program and its components: one way to make a window whose
// object handles its own messages, and the small questions every window asks (its text, its
// DPI, the high-contrast setting).
#pragma once

#include <windows.h>

#include <string>

#include "win32util/failure.h"
#include "win32util/handles.h"

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

// Where and how CreateForwardingWindow places the window.
struct WindowPlacement {
    DWORD exStyle = 0;
    DWORD style = 0;
    const wchar_t* title = L"";
    RECT bounds{};          // left, top, right, bottom
    HWND parent = nullptr;  // the owner of a popup, the parent of a child, or HWND_MESSAGE
};

// Registers windowClass once (RegisterWindowClass) and creates a window of it, passing
// `param` to CreateWindowExW. Throws std::runtime_error naming the class and the system's
// reason when the class cannot be registered or the window cannot be created: a null handle
// would turn the caller's SetTimer and PostMessage into thread timers and thread messages.
UniqueWindow CreateRegisteredWindow(const WNDCLASSEXW& windowClass,
                                    const WindowPlacement& placement, void* param);

// CreateRegisteredWindow with ForwardingWindowProc<T, Handle, OnMessage> as the class's
// procedure, for `self`. When it throws, `self.*Handle` is null again, even if the window
// lived through WM_NCCREATE before creation failed.
template <class T, HWND T::*Handle, LRESULT (T::*OnMessage)(UINT, WPARAM, LPARAM)>
UniqueWindow CreateForwardingWindow(T& self, WNDCLASSEXW windowClass,
                                    const WindowPlacement& placement) {
    windowClass.lpfnWndProc = &ForwardingWindowProc<T, Handle, OnMessage>;
    try {
        return CreateRegisteredWindow(windowClass, placement, &self);
    } catch (...) {
        self.*Handle = nullptr;
        throw;
    }
}

}  // namespace win32util
