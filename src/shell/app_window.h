// The program's hidden, unowned top-level window. It owns the main window and the dialogs, so
// that none of them counts as a window the user reads in, and bears the application title.
#pragma once

#include <windows.h>

#include "win32util/handles.h"

namespace vocalinka {

class AppWindow {
public:
    // Throws std::runtime_error when the window cannot be created.
    explicit AppWindow(HINSTANCE instance);
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;
    HWND Handle() const { return window_.get(); }

private:
    win32util::UniqueWindow window_;
};

}  // namespace vocalinka
