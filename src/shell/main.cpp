// Vocalinka: reads the text selected in any application aloud.
#include <windows.h>

#include <exception>
#include <string>

#include "shell/app_title.h"
#include "shell/app_window.h"
#include "shell/frm_text_to_sound.h"
#include "shell/win32_util.h"

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

void ReportFailure(const std::wstring& what) {
    MessageBoxW(nullptr, what.c_str(), vocalinka::kApplicationTitle, MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // The manifest's common controls 6 provide the button; the trackbar class is registered
    // by the dialog that uses it, so that start-up does no more than it needs.
    try {
        vocalinka::AppWindow application(instance);
        vocalinka::frmTextToSound main(instance);
        main.Create(application.Handle());
        return RunMessageLoop(main);
    } catch (const std::exception& failure) {
        ReportFailure(vocalinka::Utf8ToWide(failure.what()));
    }
    return 1;
}
