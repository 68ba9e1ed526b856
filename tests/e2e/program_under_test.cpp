#include "program_under_test.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "program_path.h"
#include "ui/win32_util.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

struct Search {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK StopAtWindowOfClass(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner == search->processId && IsWindowVisible(window) &&
        wcscmp(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A folder for each program of the run: two in one test start apart.
std::wstring NextFolderName() {
    static int serial = 0;
    return L"e2e-" + std::to_wstring(++serial);
}

}  // namespace

ProgramUnderTest::ProgramUnderTest()
    : temporary_(std::in_place, NextFolderName()), folder_(temporary_->Path()) {
    CopyFileW(WindowsPath(kProgramPath).c_str(), (Folder() + L"\\vocalinka.exe").c_str(), FALSE);
}

ProgramUnderTest::ProgramUnderTest(std::wstring folder) : folder_(std::move(folder)) {}

ProgramUnderTest::~ProgramUnderTest() {
    EndProcess(process_, 1);
}

void EndProcess(PROCESS_INFORMATION& process, UINT exitCode) {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, exitCode);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    process = {};
}

std::wstring WindowsPath(const char* path) {
    std::wstring windows = vocalinka::Utf8ToWide(path);
    for (auto& c : windows) {
        if (c == L'/') c = L'\\';
    }
    return windows;
}

void ProgramUnderTest::WriteProfile(const std::string& bytes) const {
    std::ofstream(vocalinka::WideToUtf8(ProfilePath()), std::ios::binary) << bytes;
}

std::optional<std::string> ProgramUnderTest::ReadProfile() const {
    std::ifstream in(vocalinka::WideToUtf8(ProfilePath()), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool ProgramUnderTest::Launch() {
    std::wstring command = L"\"" + Folder() + L"\\vocalinka.exe\"";
    STARTUPINFOW startup{sizeof(startup)};
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          Folder().c_str(), &startup, &process_);
}

bool ProgramUnderTest::Start() {
    return Launch() &&
           PumpUntil([this] { return (main_ = FindWindowOfClass(L"frmTextToSound")) != nullptr; },
                     20s);
}

std::optional<DWORD> ProgramUnderTest::WaitForExit(std::chrono::milliseconds timeout) const {
    DWORD code = 0;
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.hProcess, &code)) {
        return std::nullopt;
    }
    return code;
}

HWND ProgramUnderTest::FindWindowOfClass(const wchar_t* className) const {
    return VisibleWindowOf(process_.dwProcessId, className);
}

HWND VisibleWindowOf(DWORD processId, const wchar_t* className) {
    Search search{processId, className, nullptr};
    EnumWindows(StopAtWindowOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramUnderTest::WaitForFocusedWindowWithCaption(const std::wstring& caption,
                                                       std::chrono::milliseconds timeout) const {
    struct Search {
        DWORD processId;
        const std::wstring* caption;
        HWND found;
    } search{process_.dwProcessId, &caption, nullptr};
    const bool focused = PumpUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(
                [](HWND window, LPARAM data) -> BOOL {
                    auto* s = reinterpret_cast<Search*>(data);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(window, &owner);
                    if (owner == s->processId && IsWindowVisible(window) &&
                        TextOf(window) == *s->caption) {
                        s->found = window;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&search));
            const HWND focus = search.found ? FocusedWindowOf(search.found) : nullptr;
            return focus && (focus == search.found || IsChild(search.found, focus));
        },
        timeout);
    return focused ? search.found : nullptr;
}

bool ProgramUnderTest::ChooseMenuCommand(WORD accessKey) const {
    HWND button = FindWindowExW(main_, nullptr, L"Button", nullptr);
    PressMouse(CentreOf(button), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    if (!PumpUntil([this] { return FindWindowOfClass(L"#32768") != nullptr; })) return false;
    PressKey(accessKey);
    return true;
}

bool ProgramUnderTest::Close() {
    PostMessageW(main_, WM_CLOSE, 0, 0);
    return WaitForExit().has_value();
}

void PressMouse(POINT screenPoint, DWORD downFlag, DWORD upFlag) {
    // Under Wine the pointer reaches a new place in its own time, more so while another
    // process is in front: it is moved there, the press waits until it is there, and the
    // press itself carries the place too, or it could land beside the button.
    const auto normalised = [](LONG pixel, int extent) {
        return static_cast<LONG>((pixel * 65535 + extent / 2) / (extent - 1));
    };
    const auto event = [&](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = normalised(screenPoint.x, GetSystemMetrics(SM_CXSCREEN));
        input.mi.dy = normalised(screenPoint.y, GetSystemMetrics(SM_CYSCREEN));
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return input;
    };
    SetCursorPos(screenPoint.x, screenPoint.y);
    INPUT move = event(0);
    SendInput(1, &move, sizeof(INPUT));
    PumpUntil(
        [&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == screenPoint.x && now.y == screenPoint.y;
        },
        2s);
    INPUT press[2] = {event(downFlag), event(upFlag)};
    SendInput(2, press, sizeof(INPUT));
}

void PressKey(WORD virtualKey) {
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

HWND FocusedWindowOf(HWND window) {
    GUITHREADINFO info{sizeof(info)};
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    // WM_GETTEXT is carried across processes; a hung program must not hang the test.
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return text;
}

POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace e2e
