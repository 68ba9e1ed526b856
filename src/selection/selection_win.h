// Reading the text selected in another application: straight from a standard control where
// one has the focus (control_reader_win.h); otherwise by finding the window the user worked
// in, bringing it to the front, sending it the copy keystroke and taking the text from the
// clipboard, with the user's clipboard put back afterwards.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "selection/clipboard_win.h"
#include "selection/control_reader_win.h"

namespace vocalinka {

// The window's title through the W functions; empty for no title, handle 0 or a window that
// is gone.
std::wstring GetWindowTitle(HWND hWnd);

// A visible, titled window without owner.
bool IsAppWindow(HWND hWnd);

// The first window in z-order, from the top, that IsAppWindow and CanHaveBeenWorkedIn accept
// and that does not bear the application title; null when there is none.
HWND FindTargetWindow();

// A console or terminal window: Ctrl+C would interrupt the command running in it.
bool IsConsoleWindow(HWND hWnd);

// Processes the messages waiting for this thread. Returns false when the program is quitting
// (the quit message is posted again for the main loop).
bool YieldToMessages();

// Puts key events into the input stream; returns how many went in (SendInput's contract).
using InputSender = std::function<UINT(UINT count, INPUT* inputs)>;
UINT SendSystemInput(UINT count, INPUT* inputs);

// The copy keystroke, as one batch: Ctrl down, every modifier up (Shift, Alt, Windows key, each
// side), the copy key down and up, Ctrl up. The copy key is C, or Insert for a console. A
// modifier the user holds while clicking would turn the copy into another command (Ctrl+Shift+C
// opens a browser's developer tools). They are all released, not only those the key state
// reports: under Wine that state forgets a key a program pressed, while the target still sees
// it down. They come after Ctrl, so that a released Alt or Windows key opens no menu. None is
// pressed again afterwards: a key the user let go of meanwhile would stay down; one still held
// comes back with its next repeat.
std::vector<INPUT> CopyKeystroke(WORD copyKey);

// Sends the events; when only some went in, sends the key-ups of the keys those pressed, so
// that no key is left down. True when every event went in.
bool SendKeys(std::vector<INPUT> events, const InputSender& send);

// What a copy needs to know besides the target.
struct CopyOptions {
    // Woken by clipboard changes while waiting for the copy; may be null.
    HWND listener = nullptr;
    // Activation costs nothing when it works at once; a loaded machine may need longer.
    std::chrono::milliseconds activationBound = std::chrono::milliseconds{2000};
    std::chrono::milliseconds copyBound = std::chrono::milliseconds{1000};
    std::size_t snapshotCap = ClipboardSnapshot::kDefaultCap;
    // Asked after every message processed; true ends the copy early (nothing is read).
    std::function<bool()> cancelled = [] { return false; };
    InputSender sendInput = SendSystemInput;
    // Whether the target's process runs above this one (stands in for the system in tests).
    std::function<bool(DWORD processId)> runsAboveUs = RunsAboveOurIntegrity;
    std::chrono::milliseconds answerBound = kControlAnswerBound;
};

struct CopiedSelection {
    // nullopt: the copy failed, was refused or was cancelled. An empty text: nothing was
    // selected.
    std::optional<std::wstring> text;
    // Why the clipboard was left alone, when it was; the copy was not asked for then.
    std::optional<ClipboardSnapshot::Outcome> clipboardLeftAlone;
    // Why nothing was asked of the target at all, when that is so.
    enum class Refusal {
        None,
        Password,  // the focused control hides its text
        Elevated,  // the target runs as administrator: neither messages nor keys reach it
        Hung       // the target does not answer, so it could not copy either
    };
    Refusal refusal = Refusal::None;
    // Read straight from the control: the clipboard and the keyboard were not used.
    bool direct = false;
    // Only the copy keys can read this control: CopySelectionFrom is next.
    bool copyNeeded = false;
};

// Saves the user's clipboard, activates `target` by its handle and waits until it is in front,
// sends the copy keystroke, waits for the copy to reach the clipboard and reads its text. The
// user's clipboard is handed to `keeper`, which puts it back (see ClipboardKeeper); a clipboard
// that cannot be saved whole is not touched and no copy is asked for.
CopiedSelection CopySelectionFrom(HWND target, const CopyOptions& options, ClipboardKeeper& keeper);

// What can be had of `target`'s focused control without the clipboard or the keys. A password
// field, a program running above this one and a hung one are refused before anything is asked
// of them; a standard control or a message box is read directly. Anything else comes back
// with `copyNeeded`, once accessibility has not called it protected. A target that is gone is
// no target.
CopiedSelection ReadWithoutCopying(const ReadingTarget& target, const CopyOptions& options);

}  // namespace vocalinka
