// A window of another program for the reading tests: the target of a copy, whose behaviour is
// chosen by its first argument. Every key it receives is appended to the log file named by its
// second argument ("down 17", "up 67"), and so is every copy it makes ("copied").
//   copy        Ctrl+C copies "stand-in selection" at once
//   late        Ctrl+C copies "late copy" 1.5 s afterwards
//   never       Ctrl+C copies nothing
//   noactivate  a top-most window that never takes activation (an on-screen keyboard)
//   console     class ConsoleWindowClass; Ctrl+Insert copies "console selection"
//   huge        Ctrl+C copies a text of 4 MB
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "clipboard_text.h"

namespace {

constexpr UINT_PTR kLateTimer = 1;

std::wstring g_mode;
std::wstring g_log;

void Log(const std::string& line) {
    // Opened and closed for each line, so that the test reads whole lines at any moment.
    std::ofstream(std::filesystem::path(g_log), std::ios::app | std::ios::binary) << line << "\r\n";
}

std::wstring HugeText() {
    std::wstring text;
    text.reserve(2u << 20);
    const std::wstring sentence = L"Every word of a long report is read aloud. ";
    while (text.size() + sentence.size() <= (2u << 20)) text += sentence;  // 4 MB of UTF-16
    return text;
}

void Copy(HWND window, const std::wstring& text) {
    if (test_clipboard::SetClipboardText(text, window)) Log("copied");
}

bool Down(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

void OnCopyKeys(HWND window, WPARAM key) {
    if (!Down(VK_CONTROL) || Down(VK_SHIFT) || Down(VK_MENU)) return;  // exactly Ctrl+key
    if (key != (g_mode == L"console" ? VK_INSERT : 'C')) return;
    if (g_mode == L"copy") Copy(window, L"stand-in selection");
    if (g_mode == L"console") Copy(window, L"console selection");
    if (g_mode == L"huge") Copy(window, HugeText());
    if (g_mode == L"late") SetTimer(window, kLateTimer, 1500, nullptr);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
            Log((up ? "up " : "down ") + std::to_string(wParam));
            if (!up) OnCopyKeys(window, wParam);
            return 0;
        }
        case WM_TIMER:
            KillTimer(window, kLateTimer);
            Copy(window, L"late copy");
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    g_mode = argv[1];
    g_log = argv[2];

    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = g_mode == L"console" ? L"ConsoleWindowClass" : L"VocalinkaStandIn";
    RegisterClassExW(&wc);
    const bool noActivate = g_mode == L"noactivate";
    const DWORD exStyle = noActivate ? WS_EX_TOPMOST | WS_EX_NOACTIVATE : 0;
    HWND window =
        CreateWindowExW(exStyle, wc.lpszClassName, (L"Stand-in " + g_mode).c_str(),
                        WS_OVERLAPPEDWINDOW, noActivate ? 100 : 200, noActivate ? 100 : 200, 400,
                        300, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, noActivate ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (!noActivate) SetForegroundWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
