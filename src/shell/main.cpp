// Vocalinka: reads the text selected in any application aloud.
#include <windows.h>

#include <string>

#include "shell/app_window.h"
#include "shell/frm_text_to_sound.h"
#include "ui/app_title.h"
#include "win32util/failure.h"

namespace {

int RunMessageLoop(vocalinka::frmTextToSound& main) {
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (main.PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// The program's error message. A quit already posted (the main window was destroyed on the
// way here) would end the message box before anyone could read it: it is taken off the queue
// and posted again once the box is closed.
void ReportFailure(HWND owner, const std::wstring& what) noexcept {
    MSG quit{};
    const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    MessageBoxW(owner, what.c_str(), vocalinka::kApplicationTitle, MB_OK | MB_ICONERROR);
    if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // Libraries loaded from here on come from System32, never from the program's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    win32util::SetFailureReporter(&ReportFailure);
    // The manifest's common controls 6 provide the button; the trackbar class is registered
    // by the dialog that uses it, so that start-up does no more than it needs.
    try {
        vocalinka::AppWindow application(instance);
        vocalinka::frmTextToSound main(instance);
        main.Create(application.Handle());
        return RunMessageLoop(main);
    } catch (...) {
        win32util::ReportCurrentFailure(nullptr);
    }
    return 1;
}
