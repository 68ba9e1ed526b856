#include "peer_windows.h"

#include <fstream>
#include <sstream>

#include "standin_path.h"
#include "ui/win32_util.h"

namespace e2e {

using namespace std::chrono_literals;

Notepad::Notepad() {
    std::wstring command = L"notepad.exe";
    STARTUPINFOW startup{sizeof(startup)};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_)) {
        // This notepad's window: one of an earlier test may still be closing.
        PumpUntil(
            [this] {
                main_ = VisibleWindowOf(process_.dwProcessId, L"Notepad");
                return main_ && (edit_ = FindWindowExW(main_, nullptr, L"Edit", nullptr));
            },
            20s);
    }
}

Notepad::~Notepad() {
    EndProcess(process_);
}

void Notepad::Select(const std::wstring& text, bool all) const {
    SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(edit_, EM_SETSEL, 0, all ? -1 : 0);
    SetForegroundWindow(main_);
    PumpUntil([this] { return GetForegroundWindow() == main_; }, 2s);
}

StandIn::StandIn(const std::wstring& mode) {
    static int serial = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    log_ = std::wstring(temp) + L"vocalinka-standin-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + std::to_wstring(++serial) + L".log";
    DeleteFileW(log_.c_str());
    std::wstring command =
        L"\"" + WindowsPath(kStandInPath) + L"\" " + mode + L" \"" + log_ + L"\"";
    STARTUPINFOW startup{sizeof(startup)};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_)) {
        return;
    }
    const wchar_t* className = mode == L"console" ? L"ConsoleWindowClass" : L"VocalinkaStandIn";
    PumpUntil([&] { return (window_ = VisibleWindowOf(process_.dwProcessId, className)); }, 20s);
}

StandIn::~StandIn() {
    EndProcess(process_);
    DeleteFileW(log_.c_str());
}

bool StandIn::Activate() const {
    SetForegroundWindow(window_);
    return PumpUntil([this] { return GetForegroundWindow() == window_; }, 5s);
}

std::vector<std::string> StandIn::Log() const {
    std::vector<std::string> lines;
    std::ifstream in(vocalinka::WideToUtf8(log_), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

bool StandIn::WaitForLogLine(const std::string& line, std::chrono::milliseconds timeout) const {
    return PumpUntil(
        [&] {
            for (const auto& logged : Log()) {
                if (logged == line) return true;
            }
            return false;
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
