// Shows a character and has it read a sentence with speed and pitch tags, then exits when the
// character is hidden or a few seconds after the balloon closed.
//   agent_demo [--stay] [--file <character file>] [--say <text>]
// Without --file: <Windows>\Msagent\Chars\Merlin.acs. --stay keeps it on screen until the
// user hides it from its pop-up menu.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "agent/agent.h"
#include "win32util/files.h"

namespace {

constexpr UINT kAfterSpeechMs = 3000;

class DemoEvents final : public agent::Events {
public:
    explicit DemoEvents(bool stay) : stay_(stay) {}
    void BalloonHide(const std::wstring&) override {
        if (!stay_) SetTimer(nullptr, 0, kAfterSpeechMs, &Quit);
    }
    void Hide(const std::wstring&, agent::HideCause) override { PostQuitMessage(0); }

private:
    static void CALLBACK Quit(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }
    bool stay_;
};

std::wstring DefaultCharacterFile() {
    return win32util::WindowsDirectory() + L"\\Msagent\\Chars\\Merlin.acs";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    bool stay = false;
    std::wstring file = DefaultCharacterFile();
    std::wstring text =
        L"\\Spd=150\\\\Pit=127\\Hello! I am Merlin. I read aloud whatever you select, "
        L"\\Spd=110\\slowly when you like, \\Spd=190\\or quickly, \\Rst\\and I mark each word "
        L"as I say it.";
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring arg = args[i];
        if (arg == L"--stay") {
            stay = true;
        } else if (arg == L"--file" && i + 1 < count) {
            file = args[++i];
        } else if (arg == L"--say" && i + 1 < count) {
            text = args[++i];
        }
    }
    LocalFree(args);

    DemoEvents events(stay);
    try {
        const auto control = agent::Control::Create(events, nullptr);
        control->Characters().Load(L"Merlin", file);
        agent::Character& merlin = control->Characters().Item(L"Merlin");
        merlin.Show();
        merlin.Speak(text);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    } catch (const agent::Error& error) {
        MessageBoxW(nullptr, error.Message().c_str(), L"Agent demo", MB_ICONERROR | MB_OK);
        return 1;
    }
    return 0;
}
