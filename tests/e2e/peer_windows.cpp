#include "peer_windows.h"

#include <algorithm>
#include <sstream>

#include "standin_path.h"

namespace e2e {

using namespace std::chrono_literals;

Notepad::Notepad() {
    if (!process_.Start(L"notepad.exe")) return;
    // This notepad's window: one of an earlier test may still be closing.
    PumpUntil(
        [this] {
            main_ = VisibleWindowOf(process_.Id(), L"Notepad");
            return main_ && (edit_ = FindWindowExW(main_, nullptr, L"Edit", nullptr));
        },
        20s);
}

void Notepad::Select(const std::wstring& text, int start, int end) const {
    SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit_, EM_SETSEL, start, end);
    // In front, and with the caret in the text, as when the person has been typing there: the
    // first activation of a new notepad gives its edit the focus a moment after the window.
    Activate();
    PumpUntil([this] { return FocusedWindowOf(main_) == edit_; }, 5s);
}

WordPad::WordPad() {
    // Not on the search path: in the accessories' folder, on Windows as under Wine.
    wchar_t path[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe", path,
                              MAX_PATH);
    if (!process_.Start(L"\"" + std::wstring(path) + L"\"")) return;
    PumpUntil(
        [this] {
            const auto windows = VisibleWindowsOf(process_.Id());
            main_ = windows.empty() ? nullptr : windows.front();
            for (HWND child = main_ ? GetWindow(main_, GW_CHILD) : nullptr; child && !richEdit_;
                 child = GetWindow(child, GW_HWNDNEXT)) {
                wchar_t name[64] = {};
                GetClassNameW(child, name, 64);
                if (_wcsnicmp(name, L"RichEdit", 8) == 0) richEdit_ = child;
            }
            return richEdit_ != nullptr;
        },
        20s);
}

void WordPad::Select(const std::wstring& text, int start, int end) const {
    SendMessageW(richEdit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(richEdit_, EM_SETSEL, start, end);
    BringToFront(main_, process_);
    PumpUntil([this] { return FocusedWindowOf(main_) == richEdit_; }, 5s);
}

StandIn::StandIn(const std::wstring& mode)
    : folder_(UniqueName(L"standin")), log_(folder_.Path() + L"\\keys.log") {
    if (!process_.Start(L"\"" + WindowsPath(kStandInPath) + L"\" " + mode + L" \"" + log_ + L"\""))
        return;
    const wchar_t* className = mode == L"console" ? L"ConsoleWindowClass" : L"VocalinkaStandIn";
    PumpUntil([&] { return (window_ = VisibleWindowOf(process_.Id(), className)); }, 20s);
}

bool StandIn::WaitForLogLine(const std::string& line, std::chrono::milliseconds timeout) const {
    return PumpUntil(
        [&] {
            const auto log = Log();
            return std::find(log.begin(), log.end(), line) != log.end();
        },
        timeout);
}

std::vector<std::pair<int, bool>> KeyEvents(const std::vector<std::string>& log) {
    std::vector<std::pair<int, bool>> events;
    for (const auto& line : log) {
        std::istringstream words(line);
        std::string direction;
        int key = 0;
        if (words >> direction >> key && (direction == "down" || direction == "up")) {
            events.emplace_back(key, direction == "down");
        }
    }
    return events;
}

}  // namespace e2e
