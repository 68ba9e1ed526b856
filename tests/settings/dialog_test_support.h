// Helpers for the dialog tests: modal windows driven from a timer on the test's own thread.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "test_support/pump_until.h"
#include "test_support/temporary_folder.h"
#include "ui/dialog_window.h"
#include "win32util/handles.h"
#include "win32util/window.h"

namespace vocalinka::test {

using win32util::UniqueWindow;
using win32util::WindowText;

// One step of a script: true when done, false to be tried again at the next tick.
using Step = std::function<bool()>;
inline Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

struct Script {
    std::vector<Step> steps;
    std::size_t next = 0;
    std::chrono::steady_clock::time_point deadline;
    bool busy = false;  // a step's own modal loop runs the timer again: no step within a step
    bool timedOut = false;
};
inline thread_local Script* currentScript = nullptr;

inline void CALLBACK PlayNextStep(HWND, UINT, UINT_PTR, DWORD) {
    Script* script = currentScript;
    if (!script || script->busy) return;
    script->busy = true;
    if (script->next < script->steps.size() && script->steps[script->next]()) ++script->next;
    // Past the deadline each tick closes the active dialog, so that `run` returns.
    wchar_t name[8] = {};
    HWND active = GetActiveWindow();
    if (std::chrono::steady_clock::now() > script->deadline && GetClassNameW(active, name, 8) &&
        wcscmp(name, L"#32770") == 0) {
        script->timedOut = true;
        PostMessageW(active, WM_CLOSE, 0, 0);
    }
    script->busy = false;
}

// Calls `run`, which opens a modal window and returns once it is closed, while the steps play
// one after another from a timer on this thread; a step that opens a modal window of its own
// must post. After `timeout` the dialogs are closed. True when every step ran in time.
inline bool RunScripted(const std::function<void()>& run, std::vector<Step> steps,
                        std::chrono::milliseconds timeout = std::chrono::seconds{20}) {
    Script script{std::move(steps), 0, std::chrono::steady_clock::now() + timeout};
    Script* outer = std::exchange(currentScript, &script);
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, PlayNextStep);
    run();
    KillTimer(nullptr, timer);
    currentScript = outer;
    return script.next == script.steps.size() && !script.timedOut;
}

// A visible top-level window of this thread with this caption, or null.
inline HWND FindThreadWindow(const wchar_t* caption) {
    HWND window = FindWindowW(nullptr, caption);
    const bool ours = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    return ours && IsWindowVisible(window) ? window : nullptr;
}

// Waits for such a window and keeps it.
inline Step WaitForWindow(const wchar_t* caption, HWND& found) {
    return [caption, &found] { return (found = FindThreadWindow(caption)) != nullptr; };
}

inline std::wstring MessageBoxText(HWND box) {
    return WindowText(GetDlgItem(box, 0xFFFF));  // the system's id for a message box's text
}

// Input through the window's own message queue, as the user gives it.
inline void PostClick(HWND dialog, int buttonId) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}
inline void PostKey(HWND window, WORD virtualKey) {
    PostMessageW(window, WM_KEYDOWN, virtualKey, 1);
    PostMessageW(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(0xC0000001u));
}

// The frame every dialog of the program has: its caption; sizable, with a system menu and
// minimize and maximize boxes; a taskbar button and both icons; owned by `owner`; OK as default.
inline void ExpectDialogFrame(HWND dialog, HWND owner, const std::wstring& caption) {
    EXPECT_EQ(WindowText(dialog), caption);
    constexpr LONG kFrame =
        WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & kFrame, kFrame) << caption;
    EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) << caption;
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner) << caption;
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0) << caption;
    EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0) << caption;
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), IDOK) << caption;
}

// A top-level window to own the dialogs under test, as the main window owns them.
inline UniqueWindow MakeOwnerWindow() {
    return UniqueWindow(CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_VISIBLE, 100, 100, 40,
                                        40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
}

// A modal dialog of the program, owned by a stand-in for the main window.
template <class Form>
class DialogUnderTest {
public:
    template <class... Args>
    explicit DialogUnderTest(Args&&... args)
        : form_(GetModuleHandleW(nullptr), std::forward<Args>(args)...) {}
    // Runs it on `settings`; the steps find it open. False when a step did not run.
    template <class Settings>
    bool Run(Settings& settings, std::vector<Step> steps) {
        steps.insert(steps.begin(),
                     [this] { return (dialog_ = form_.Handle()) && IsWindowVisible(dialog_); });
        return RunScripted([&] { form_.Run(owner_.get(), settings); }, std::move(steps));
    }
    HWND Dialog() const { return dialog_; }
    HWND Owner() const { return owner_.get(); }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

private:
    UniqueWindow owner_ = MakeOwnerWindow();
    Form form_;
    HWND dialog_ = nullptr;
};

}  // namespace vocalinka::test
