#include "agent_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "test_character.h"

namespace agent::win::testing {
namespace {

struct FindData {
    const wchar_t* className;
    HWND owner;  // for a balloon: its character window
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK FindOne(HWND hwnd, LPARAM lParam) {
    auto& data = *reinterpret_cast<FindData*>(lParam);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (std::wstring_view(name) != data.className) return TRUE;
    if (data.owner && GetWindow(hwnd, GW_OWNER) != data.owner) return TRUE;
    if (data.title) {
        wchar_t title[256] = {};
        GetWindowTextW(hwnd, title, 256);
        if (std::wstring_view(title) != data.title) return TRUE;
    }
    data.found = hwnd;
    return FALSE;
}

void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveFolder(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

void AgentFixture::SetUp() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder = std::wstring(temp) + L"agent_win_test_" + std::to_wstring(GetCurrentProcessId()) +
             L"_" + std::to_wstring(GetTickCount64());
    CreateDirectoryW(folder.c_str(), nullptr);
    characterPath = folder + L"\\Test.acs";
    tracePath = folder + L"\\trace.txt";
    WriteBytes(characterPath, TestCharacterFile());
    options.silent = true;
    options.speedUp = kSpeedUp;
    options.intlFolder = folder + L"\\Intl";  // no language components: built-in English
    options.traceFile = tracePath;
    control = agent::testing::CreateControl(events, nullptr, options);
}

void AgentFixture::TearDown() {
    control.reset();
    PumpFor(20);
    RemoveFolder(folder);
}

bool AgentFixture::PumpUntil(const std::function<bool()>& done, int boundMs) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(boundMs);
    while (true) {
        // One message at a time: a busy component keeps the queue full, and the condition must
        // be seen while it holds, not only once the queue runs dry.
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            if (done()) return true;
        }
        if (done()) return true;
        if (GetTickCount64() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

void AgentFixture::PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

Character& AgentFixture::LoadTest(const std::wstring& id) {
    control->Characters().Load(id, characterPath);
    return control->Characters().Item(id);
}

HWND AgentFixture::CharacterWindow(const std::wstring& id) const {
    FindData data{agent::testing::kCharacterWindowClass, nullptr, id.c_str()};
    EnumThreadWindows(GetCurrentThreadId(), &FindOne, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

HWND AgentFixture::BalloonWindow(const std::wstring& id) const {
    const HWND owner = CharacterWindow(id);
    if (!owner) return nullptr;
    FindData data{agent::testing::kBalloonWindowClass, owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &FindOne, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

std::vector<std::string> AgentFixture::TraceLines() const {
    std::ifstream file(std::filesystem::path(tracePath), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) lines.push_back(line);
    return lines;
}

void AgentFixture::WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{sizeof(info)};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

bool Inside(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace agent::win::testing
