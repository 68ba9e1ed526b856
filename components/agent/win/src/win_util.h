// Small Win32 helpers of the Agent component; owning handles and text conversion come from
// win32util.
#pragma once

#include <windows.h>

#include <string>

#include "win32util/handles.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace agent::win {

using win32util::SelectedObject;
using win32util::SystemMessage;
using win32util::ToU16;
using win32util::ToWide;
using win32util::Unique;
using win32util::UniqueBitmap;
using win32util::UniqueBrush;
using win32util::UniqueDc;
using win32util::UniqueFile;
using win32util::UniqueFont;
using win32util::UniqueMenu;
using win32util::UniqueWindow;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;

// Registers, once, the window class whose windows hand their messages to an object of T
// (see win32util::ForwardingWindowProc).
template <class T, HWND T::*Handle, LRESULT (T::*OnMessage)(UINT, WPARAM, LPARAM)>
void RegisterForwardingClass(const wchar_t* name) {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = &win32util::ForwardingWindowProc<T, Handle, OnMessage>;
    windowClass.lpszClassName = name;
    win32util::RegisterWindowClass(windowClass);
}

}  // namespace agent::win
