#include "peer_windows.h"

#include <algorithm>
#include <sstream>
#include <utility>

#include "standin_path.h"

namespace e2e {

using namespace std::chrono_literals;

EditorPeer::EditorPeer(std::wstring command, const std::wstring& editClass) {
    if (!process_.Start(std::move(command))) return;
    PumpUntil(
        [&] {
            for (HWND window : VisibleWindowsOf(process_.Id())) {
                for (HWND child = GetWindow(window, GW_CHILD); child;
                     child = GetWindow(child, GW_HWNDNEXT)) {
                    wchar_t name[64] = {};
                    GetClassNameW(child, name, 64);
                    if (_wcsnicmp(name, editClass.c_str(), editClass.size()) == 0) {
                        main_ = window;
                        edit_ = child;
                        return true;
                    }
                }
            }
            return false;
        },
        20s);
}

void EditorPeer::Select(const std::wstring& text, int start, int end) const {
    SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit_, EM_SETSEL, start, end);
    // In front, and with the caret in the text, as when the person has been typing there: the
    // first activation of a new window gives its edit the focus a moment after the window.
    Activate();
    PumpUntil([this] { return FocusedWindowOf(main_) == edit_; }, 5s);
}

namespace {

// Not on the search path: in the accessories' folder, on Windows as under Wine.
std::wstring WordPadCommand() {
    wchar_t path[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%ProgramFiles%\\Windows NT\\Accessories\\wordpad.exe", path,
                              MAX_PATH);
    return L"\"" + std::wstring(path) + L"\"";
}

}  // namespace

WordPad::WordPad() : EditorPeer(WordPadCommand(), L"RichEdit") {}

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

std::vector<KeyEvent> KeyEvents(const std::vector<std::string>& log) {
    std::vector<KeyEvent> events;
    for (const auto& line : log) {
        std::istringstream words(line);
        std::string direction, flag;
        int key = 0;
        if (words >> direction >> key && (direction == "down" || direction == "up")) {
            events.push_back({key, direction == "down", words >> flag && flag == "extended"});
        }
    }
    return events;
}

}  // namespace e2e
