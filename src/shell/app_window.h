// The program's hidden, unowned top-level window. It owns the main window and the dialogs, so
// that none of them counts as a window the user reads in, and bears the application title.
#pragma once

#include <windows.h>

namespace vocalinka {

class AppWindow {
public:
    explicit AppWindow(HINSTANCE instance);
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;
    ~AppWindow();
    HWND Handle() const { return hwnd_; }

private:
    HWND hwnd_ = nullptr;
};

}  // namespace vocalinka
