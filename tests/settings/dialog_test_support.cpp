#include "dialog_test_support.h"

#include <gtest/gtest.h>

#include <thread>

namespace vocalinka::test {
namespace {

constexpr UINT kTickMilliseconds = 10;
// The id the system gives the text of a message box.
constexpr int kMessageBoxTextId = 0xFFFF;

struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    std::chrono::steady_clock::time_point deadline;
    bool busy = false;  // a step's own modal loop runs the timer again: no step within a step
    bool timedOut = false;
};
thread_local Script* currentScript = nullptr;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = currentScript;
    if (!script || script->busy) return;
    script->busy = true;
    if (script->next < script->steps.size() && script->steps[script->next]()) ++script->next;
    if (std::chrono::steady_clock::now() > script->deadline) {
        script->timedOut = true;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM) -> BOOL {
                wchar_t name[64] = {};
                GetClassNameW(window, name, 64);
                if (wcscmp(name, L"#32770") == 0) PostMessageW(window, WM_CLOSE, 0, 0);
                return TRUE;
            },
            0);
    }
    script->busy = false;
}

void DeleteTree(const std::wstring& folder) {
    for (const std::wstring& name : NamesInFolderOrder(folder)) {
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str())) DeleteTree(path);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

bool RunScripted(const std::function<void()>& run, std::vector<Step> steps,
                 std::chrono::milliseconds timeout) {
    Script script{std::move(steps), 0, std::chrono::steady_clock::now() + timeout};
    Script* outer = currentScript;
    currentScript = &script;
    const UINT_PTR timer = SetTimer(nullptr, 0, kTickMilliseconds, Tick);
    run();
    KillTimer(nullptr, timer);
    currentScript = outer;
    return script.next == script.steps.size() && !script.timedOut;
}

Step WaitForWindow(const wchar_t* caption, HWND& found) {
    return [caption, &found] { return (found = FindThreadWindow(caption)) != nullptr; };
}

HWND FindThreadWindow(const wchar_t* caption) {
    struct Search {
        const wchar_t* caption;
        HWND found;
    } search{caption, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && Text(window) == s->caption) s->found = window;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

RECT RectInParent(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PostClick(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void PostKey(HWND window, WORD virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

std::wstring MessageBoxText(HWND box) {
    return Text(GetDlgItem(box, kMessageBoxTextId));
}

void ExpectDialogFrame(HWND dialog, HWND owner, const std::wstring& caption) {
    EXPECT_EQ(Text(dialog), caption);
    constexpr LONG kFrame =
        WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & kFrame, kFrame) << caption;
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) << caption;
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner) << caption;
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0) << caption;
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0) << caption;
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK) << caption;
}

UniqueWindow MakeOwnerWindow() {
    return UniqueWindow(CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_VISIBLE, 100, 100,
                                        40, 40, nullptr, nullptr, GetModuleHandleW(nullptr),
                                        nullptr));
}

TemporaryFolder::TemporaryFolder(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = temp + (L"vocalinka-" + name + L"-" + std::to_wstring(GetCurrentProcessId()));
    DeleteTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TemporaryFolder::~TemporaryFolder() {
    DeleteTree(path_);
}

std::wstring TemporaryFolder::AddFile(const std::wstring& relativePath, DWORD attributes) const {
    const std::wstring path = path_ + L"\\" + relativePath;
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
    return path;
}

std::wstring TemporaryFolder::AddFolder(const std::wstring& relativePath) const {
    const std::wstring path = path_ + L"\\" + relativePath;
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::vector<std::wstring> NamesInFolderOrder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.emplace_back(found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               const std::function<bool(MSG&)>& preTranslate) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (preTranslate && preTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

}  // namespace vocalinka::test
