// How the component makes each of its windows: through win32util::CreateForwardingWindow, with
// a window that cannot be made reported as agent::Error, the one exception the program expects
// from the Control's calls (it names the class and the system's reason).
#pragma once

#include <windows.h>

#include <stdexcept>

#include "agent/agent.h"
#include "win32util/handles.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace agent::win {

template <class T, HWND T::*Handle, LRESULT (T::*OnMessage)(UINT, WPARAM, LPARAM)>
win32util::UniqueWindow CreateComponentWindow(T& self, const wchar_t* className,
                                              const win32util::WindowPlacement& placement) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpszClassName = className;
    try {
        return win32util::CreateForwardingWindow<T, Handle, OnMessage>(self, windowClass,
                                                                       placement);
    } catch (const std::runtime_error& failure) {
        throw Error(win32util::Utf8ToWide(failure.what()));
    }
}

}  // namespace agent::win
