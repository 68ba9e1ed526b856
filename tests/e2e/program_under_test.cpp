#include "program_under_test.h"

#include <sstream>
#include <utility>

#include "program_path.h"
#include "test_support/test_files.h"
#include "win32util/text.h"

namespace e2e {

using namespace std::chrono_literals;

Process::~Process() {
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
}

bool Process::Start(std::wstring command, const wchar_t* folder) {
    STARTUPINFOW startup{sizeof(startup)};
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder,
                          &startup, &info_);
}

// Two programs in one test start from folders apart.
ProgramUnderTest::ProgramUnderTest()
    : temporary_(std::in_place, UniqueName(L"e2e")), folder_(temporary_->Path()) {
    CopyFileW(WindowsPath(kProgramPath).c_str(), (Folder() + L"\\vocalinka.exe").c_str(), FALSE);
}

ProgramUnderTest::ProgramUnderTest(std::wstring folder) : folder_(std::move(folder)) {}

void ProgramUnderTest::WriteProfile(const std::string& bytes) const {
    vocalinka::test::SetFileBytes(ProfilePath(), bytes);
}

std::optional<std::string> ProgramUnderTest::ReadProfile() const {
    if (GetFileAttributesW(ProfilePath().c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return vocalinka::test::FileBytes(ProfilePath());
}

bool ProgramUnderTest::Launch() {
    return process_.Start(L"\"" + Folder() + L"\\vocalinka.exe\"", Folder().c_str());
}

bool ProgramUnderTest::Start() {
    return Launch() &&
           PumpUntil([this] { return (main_ = FindWindowOfClass(L"frmTextToSound")) != nullptr; },
                     20s);
}

std::optional<DWORD> ProgramUnderTest::WaitForExit(std::chrono::milliseconds timeout) const {
    DWORD code = 0;
    if (WaitForSingleObject(process_.Handle(), static_cast<DWORD>(timeout.count())) !=
            WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.Handle(), &code)) {
        return std::nullopt;
    }
    return code;
}

HWND ProgramUnderTest::WaitForFocusedWindowWithCaption(const std::wstring& caption,
                                                       std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    const bool focused = PumpUntil(
        [&] {
            found = nullptr;
            for (HWND window : VisibleWindowsOf(ProcessId())) {
                if (TextOf(window) == caption) {
                    found = window;
                    break;
                }
            }
            const HWND focus = found ? FocusedWindowOf(found) : nullptr;
            return focus && (focus == found || IsChild(found, focus));
        },
        timeout);
    return focused ? found : nullptr;
}

std::wstring ProgramUnderTest::MessageText(const std::wstring& caption) const {
    for (HWND window : VisibleWindowsOf(ProcessId())) {
        // 0xFFFF: the system's id for a message box's text.
        const HWND text = GetDlgItem(window, 0xFFFF);
        if (text && TextOf(window) == caption) return TextOf(text);
    }
    return {};
}

std::wstring ProgramUnderTest::AnswerMessage(const std::wstring& caption) const {
    const HWND box = WaitForFocusedWindowWithCaption(caption);
    if (!box) return {};
    std::wstring text = MessageText(caption);
    PressKey(VK_RETURN);
    return Gone(box) ? text : std::wstring{};
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

std::wstring UniqueName(const std::wstring& prefix) {
    static int serial = 0;
    return prefix + L"-" + std::to_wstring(++serial);
}

std::wstring WindowsPath(const char* path) {
    std::wstring windows = win32util::Utf8ToWide(path);
    for (auto& c : windows) {
        if (c == L'/') c = L'\\';
    }
    return windows;
}

std::vector<std::string> FileLines(const std::wstring& path) {
    std::istringstream in(vocalinka::test::FileBytes(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

ScopedRegistryValue::ScopedRegistryValue(HKEY root, std::wstring key, std::wstring name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
    DWORD type = REG_NONE, size = 0;
    const auto read = [&](BYTE* data) {
        return RegGetValueW(root_, key_.c_str(), name_.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                            data, &size) == ERROR_SUCCESS;
    };
    if (!read(nullptr)) return;
    std::vector<BYTE> data(size);
    if (read(data.data())) old_.emplace(type, std::move(data));
}

ScopedRegistryValue::~ScopedRegistryValue() {
    Remove();
    if (old_) {
        RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), old_->first, old_->second.data(),
                        static_cast<DWORD>(old_->second.size()));
    }
}

void ScopedRegistryValue::Set(const std::wstring& text) const {
    RegSetKeyValueW(root_, key_.c_str(), name_.c_str(), REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void ScopedRegistryValue::Remove() const {
    RegDeleteKeyValueW(root_, key_.c_str(), name_.c_str());
}

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& [process, found] = *reinterpret_cast<decltype(search)*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process && IsWindowVisible(window)) found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND VisibleWindowOf(DWORD processId, const wchar_t* className) {
    for (HWND window : VisibleWindowsOf(processId)) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (wcscmp(name, className) == 0) return window;
    }
    return nullptr;
}

bool BringToFront(HWND window, const Process& process) {
    SetForegroundWindow(window);
    // Under Wine the process takes in its activation in its own time (the X server's focus
    // events); a click on another program meanwhile could lose the activation that the click
    // gives, and with it the click.
    return PumpUntil([window] { return GetForegroundWindow() == window; }, 5s) &&
           WaitForInputIdle(process.Handle(), 5000) == 0;
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

bool IsExtendedKey(WORD virtualKey) {
    return virtualKey == VK_RMENU || virtualKey == VK_RCONTROL || virtualKey == VK_LWIN ||
           virtualKey == VK_RWIN || virtualKey == VK_INSERT;
}

namespace {

INPUT KeyInput(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags =
        (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

}  // namespace

void SendKey(WORD virtualKey, bool up) {
    INPUT input = KeyInput(virtualKey, up);
    SendInput(1, &input, sizeof(INPUT));
}

void PressShortcut(const std::vector<WORD>& modifiers, WORD key) {
    std::vector<INPUT> events;
    for (WORD modifier : modifiers) events.push_back(KeyInput(modifier, false));
    events.push_back(KeyInput(key, false));
    events.push_back(KeyInput(key, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
        events.push_back(KeyInput(*it, true));
    }
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

bool Gone(HWND window) {
    return PumpUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
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
