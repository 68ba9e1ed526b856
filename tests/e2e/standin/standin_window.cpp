// A window of another program for the reading tests: the target of a copy, whose behaviour is
// chosen by its first argument. Every key it receives is appended to the log file named by its
// second argument ("down 17", "up 18 extended"), and so is every copy it makes ("copied").
//   copy        Ctrl+C copies "stand-in selection" at once
//   late        Ctrl+C copies "late copy" 1.5 s afterwards
//   never       Ctrl+C copies nothing
//   noactivate  a top-most window that never takes activation (an on-screen keyboard)
//   console     class ConsoleWindowClass; Ctrl+Insert copies "console selection"
//   huge        Ctrl+C copies a text of 4 MB
// In these modes the window holds controls, and the focused one logs the messages that would
// give its text away ("gettext", "getsel", "copy") and the keys it gets:
//   password    an edit with ES_PASSWORD, its text selected
//   secret      a control of its own that gives a password character when asked
//   twoedits    two edits, each with its text selected; the second has the focus
//   hang        an edit whose text is selected and that hangs when asked for it
//   msgbox      the window shows a message box of its own
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "clipboard_text.h"

namespace {

constexpr UINT_PTR kLateTimer = 1;
constexpr UINT kShowMessageBox = WM_APP + 1;
constexpr wchar_t kMessage[] = L"The report could not be saved.";

std::wstring g_mode;
std::wstring g_log;
HWND g_focus = nullptr;  // the control that takes the focus when the window is activated

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
    // Exactly Ctrl+key.
    if (!Down(VK_CONTROL) || Down(VK_SHIFT) || Down(VK_MENU) || Down(VK_LWIN) || Down(VK_RWIN)) {
        return;
    }
    if (key != (g_mode == L"console" ? VK_INSERT : 'C')) return;
    if (g_mode == L"copy") Copy(window, L"stand-in selection");
    if (g_mode == L"console") Copy(window, L"console selection");
    if (g_mode == L"huge") Copy(window, HugeText());
    if (g_mode == L"late") SetTimer(window, kLateTimer, 1500, nullptr);
}

// Logs a key message, with the extended-key flag that tells right Alt from left; true when it
// was one.
bool LogKey(UINT message, WPARAM key, LPARAM flags) {
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    if (!down && message != WM_KEYUP && message != WM_SYSKEYUP) return false;
    const bool extended = (HIWORD(flags) & KF_EXTENDED) != 0;
    Log((down ? "down " : "up ") + std::to_string(key) + (extended ? " extended" : ""));
    return true;
}

// The focused control's own procedure, ahead of its class's.
LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    LogKey(message, wParam, lParam);
    switch (message) {
        case WM_GETTEXT:
            Log("gettext");
            if (g_mode == L"hang") Sleep(INFINITE);  // the test ends the process
            break;
        case EM_GETSEL:
            Log("getsel");
            break;
        case WM_COPY:
            Log("copy");
            break;
        case EM_GETPASSWORDCHAR:
            if (g_mode == L"secret") return L'*';
            break;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

HWND AddControl(HWND window, const wchar_t* className, DWORD style, const wchar_t* text, int top) {
    HWND control = CreateWindowExW(WS_EX_CLIENTEDGE, className, text, WS_CHILD | WS_VISIBLE | style,
                                   10, top, 360, 24, window, nullptr, nullptr, nullptr);
    SendMessageW(control, EM_SETSEL, 0, -1);
    SetWindowSubclass(control, ControlProc, 0, 0);
    return g_focus = control;
}

void AddControls(HWND window) {
    if (g_mode == L"password") AddControl(window, L"Edit", ES_PASSWORD, L"hunter2", 10);
    if (g_mode == L"secret") AddControl(window, L"VocalinkaSecret", 0, L"hunter2", 10);
    if (g_mode == L"hang") AddControl(window, L"Edit", 0, L"never read", 10);
    if (g_mode == L"twoedits") {
        AddControl(window, L"Edit", 0, L"first edit text", 10);
        AddControl(window, L"Edit", 0, L"second edit text", 40);
    }
    if (g_mode == L"msgbox") PostMessageW(window, kShowMessageBox, 0, 0);
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (LogKey(message, wParam, lParam)) {
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) OnCopyKeys(window, wParam);
        return 0;
    }
    switch (message) {
        case WM_SETFOCUS:
            if (g_focus) SetFocus(g_focus);
            return 0;
        case kShowMessageBox:
            MessageBoxW(window, kMessage, L"Stand-in message", MB_OK | MB_ICONWARNING);
            return 0;
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
    // A control of its own for the "secret" mode: it keeps its text as any window does.
    WNDCLASSEXW secret = wc;
    secret.lpfnWndProc = DefWindowProcW;
    secret.lpszClassName = L"VocalinkaSecret";
    RegisterClassExW(&secret);
    const bool noActivate = g_mode == L"noactivate";
    const DWORD exStyle = noActivate ? WS_EX_TOPMOST | WS_EX_NOACTIVATE : 0;
    HWND window =
        CreateWindowExW(exStyle, wc.lpszClassName, (L"Stand-in " + g_mode).c_str(),
                        WS_OVERLAPPEDWINDOW, noActivate ? 100 : 200, noActivate ? 100 : 200, 400,
                        300, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    AddControls(window);
    ShowWindow(window, noActivate ? SW_SHOWNOACTIVATE : SW_SHOW);
    if (!noActivate) SetForegroundWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
