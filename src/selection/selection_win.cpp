#include "selection/selection_win.h"

#include <algorithm>
#include <utility>

#include "selection/control_text.h"
#include "ui/app_title.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {
namespace {

using win32util::ToU16;
using win32util::WindowText;

using Clock = std::chrono::steady_clock;

// Waits, processing messages, until `done` holds; false when the bound passes, the copy is
// cancelled or the program quits.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds bound,
             const CopyOptions& options) {
    const auto end = Clock::now() + bound;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= end || !YieldToMessages() || options.cancelled()) return false;
        // Nothing waiting: sleep until a message arrives or a millisecond passes.
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Wakes the waits below as soon as the clipboard changes, instead of at their next poll.
class ClipboardListener {
public:
    explicit ClipboardListener(HWND window)
        : window_(window && AddClipboardFormatListener(window) ? window : nullptr) {}
    ClipboardListener(const ClipboardListener&) = delete;
    ClipboardListener& operator=(const ClipboardListener&) = delete;
    ~ClipboardListener() {
        if (window_) RemoveClipboardFormatListener(window_);
    }

private:
    HWND window_;
};

bool IsExtendedKey(WORD key) {
    switch (key) {
        case VK_RMENU:
        case VK_RCONTROL:
        case VK_LWIN:
        case VK_RWIN:
        case VK_INSERT:
            return true;
    }
    return false;
}

INPUT KeyEvent(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags =
        (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

bool IsKeyUp(const INPUT& input) {
    return (input.ki.dwFlags & KEYEVENTF_KEYUP) != 0;
}

}  // namespace

std::wstring GetWindowTitle(HWND hWnd) {
    return WindowText(hWnd);
}

bool IsAppWindow(HWND hWnd) {
    return !GetWindowTitle(hWnd).empty() && IsWindowVisible(hWnd) &&
           GetWindow(hWnd, GW_OWNER) == nullptr;
}

HWND FindTargetWindow() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsAppWindow(window) && CanHaveBeenWorkedIn(window) &&
            GetWindowTitle(window) != kApplicationTitle) {
            return window;
        }
    }
    return nullptr;
}

bool IsConsoleWindow(HWND hWnd) {
    wchar_t name[64] = {};
    const int length = GetClassNameW(hWnd, name, 64);
    return KindOfClass(ToU16(std::wstring(name, static_cast<std::size_t>(length)))) ==
           ControlKind::Console;
}

bool YieldToMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

UINT SendSystemInput(UINT count, INPUT* inputs) {
    return SendInput(count, inputs, sizeof(INPUT));
}

std::vector<INPUT> CopyKeystroke(WORD copyKey) {
    std::vector<INPUT> events{KeyEvent(VK_CONTROL, false)};
    for (WORD key : {VK_LSHIFT, VK_RSHIFT, VK_LMENU, VK_RMENU, VK_LWIN, VK_RWIN}) {
        events.push_back(KeyEvent(key, true));
    }
    events.push_back(KeyEvent(copyKey, false));
    events.push_back(KeyEvent(copyKey, true));
    events.push_back(KeyEvent(VK_CONTROL, true));
    return events;
}

bool SendKeys(std::vector<INPUT> events, const InputSender& send) {
    const UINT count = static_cast<UINT>(events.size());
    const UINT sent = std::min(send(count, events.data()), count);
    if (sent == count) return true;
    // The keys that went down and not up again, released last pressed first.
    std::vector<WORD> down;
    for (UINT i = 0; i < sent; ++i) {
        const WORD key = events[i].ki.wVk;
        if (!IsKeyUp(events[i])) {
            down.push_back(key);
        } else {
            down.erase(std::remove(down.begin(), down.end(), key), down.end());
        }
    }
    std::vector<INPUT> ups;
    for (auto key = down.rbegin(); key != down.rend(); ++key) ups.push_back(KeyEvent(*key, true));
    // Input can be refused for a moment (a desktop switch, a secure screen): a few tries.
    for (int attempt = 0; attempt < 3 && !ups.empty(); ++attempt) {
        const UINT released = std::min(send(static_cast<UINT>(ups.size()), ups.data()),
                                       static_cast<UINT>(ups.size()));
        ups.erase(ups.begin(), ups.begin() + released);
    }
    return false;
}

CopiedSelection CopySelectionFrom(HWND target, const CopyOptions& options,
                                  ClipboardKeeper& keeper) {
    // A late copy of an earlier reading is undone before this one saves the clipboard.
    keeper.Settle();
    const bool haveTarget = target && IsWindow(target);
    if (haveTarget) {
        // Activation completes in its own time: it goes on while the clipboard is saved.
        if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
        SetForegroundWindow(target);
    }
    CopiedSelection result;
    // The clipboard is not cleared: its sequence number tells a new copy from what it held.
    ClipboardSnapshot::Taken saved = ClipboardSnapshot::Take(keeper.Window(), options.snapshotCap);
    if (saved.outcome != ClipboardSnapshot::Outcome::Saved) {
        result.clipboardLeftAlone = saved.outcome;
        return result;
    }
    if (!haveTarget) return result;
    const DWORD before = GetClipboardSequenceNumber();
    DWORD targetProcess = 0;
    GetWindowThreadProcessId(target, &targetProcess);
    const ClipboardListener listener(options.listener);

    // Keys sent before the target is in front would go to the window that was.
    const bool inFront =
        WaitFor([&] { return GetForegroundWindow() == target; }, options.activationBound, options);
    if (!inFront) return result;  // no keys went out: the clipboard is as it was

    // From the keys on, the target may write to the clipboard at any time, also after this
    // copy has given up on it: in every path the keeper gets the user's clipboard.
    std::optional<DWORD> sequenceRead;
    try {
        const WORD copyKey = IsConsoleWindow(target) ? VK_INSERT : 'C';
        const bool sent = SendKeys(CopyKeystroke(copyKey), options.sendInput);
        if (sent && YieldToMessages() && !options.cancelled()) {
            // The copy lands when the target gets to it, after the keys: wait for the
            // clipboard to change instead of reading at once and finding nothing.
            const bool copied = WaitFor(
                [&] {
                    return GetClipboardSequenceNumber() != before &&
                           IsClipboardFormatAvailable(CF_UNICODETEXT);
                },
                options.copyBound, options);
            if (copied) {
                OpenedClipboard clipboard(keeper.Window());
                if (clipboard) {
                    result.text = ClipboardText();
                    sequenceRead = GetClipboardSequenceNumber();
                }
            } else if (!options.cancelled()) {
                result.text = std::wstring{};  // nothing selected, or nothing that is text
            }
        }
    } catch (...) {
        keeper.Keep(std::move(*saved.snapshot), targetProcess, before, std::nullopt);
        throw;
    }
    keeper.Keep(std::move(*saved.snapshot), targetProcess, before, sequenceRead);
    return result;
}

CopiedSelection ReadWithoutCopying(const ReadingTarget& target, const CopyOptions& options) {
    using Refusal = CopiedSelection::Refusal;
    CopiedSelection result;
    if (!target.window || !IsWindow(target.window)) return result;
    DWORD process = 0;
    GetWindowThreadProcessId(target.window, &process);
    if (options.runsAboveUs(process)) {
        result.refusal = Refusal::Elevated;
        return result;
    }
    const HWND control = ControlToRead(target);
    switch (CheckPassword(control, options.answerBound)) {
        case PasswordCheck::NotPassword:
            break;
        case PasswordCheck::Password:
            result.refusal = Refusal::Password;
            return result;
        case PasswordCheck::Refused:
            result.refusal = Refusal::Elevated;
            return result;
        case PasswordCheck::Hung:
            result.refusal = Refusal::Hung;
            return result;
    }
    DirectRead read = ReadDirectly(target.window, control, options.answerBound);
    switch (read.outcome) {
        case DirectRead::Outcome::Read:
            result.text = std::move(read.text);
            result.direct = true;
            return result;
        case DirectRead::Outcome::Refused:
            result.refusal = Refusal::Elevated;
            return result;
        case DirectRead::Outcome::Hung:
            result.refusal = Refusal::Hung;
            return result;
        case DirectRead::Outcome::NotDirect:
            break;
    }
    if (IsProtectedByAccessibility(control)) {
        result.refusal = Refusal::Password;
    } else {
        result.copyNeeded = true;
    }
    return result;
}

}  // namespace vocalinka
