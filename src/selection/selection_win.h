// Copying the text selected in another application: finding the window the user worked in,
// bringing it to the front, sending it the copy keystroke and taking the text from the
// clipboard, with the user's clipboard put back afterwards.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "selection/clipboard_win.h"

namespace vocalinka {

// The window's title through the W functions; empty for no title, handle 0 or a window that
// is gone.
std::wstring GetWindowTitle(HWND hWnd);

// A visible, titled window without owner.
bool IsAppWindow(HWND hWnd);

// A window the user can have worked in: not one that never takes activation (an on-screen
// keyboard, a magnifier's bar), no tool window, and not cloaked (a hidden app window of
// Windows 10 and 11 that IsWindowVisible calls visible).
bool CanHaveBeenWorkedIn(HWND hWnd);

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
};

struct CopiedSelection {
    // nullopt: the copy failed or was cancelled. An empty text: nothing was selected.
    std::optional<std::wstring> text;
    // Why the clipboard was left alone, when it was; the copy was not asked for then.
    std::optional<ClipboardSnapshot::Outcome> clipboardLeftAlone;
};

// Saves the user's clipboard, activates `target` by its handle and waits until it is in front,
// sends the copy keystroke, waits for the copy to reach the clipboard and reads its text. The
// user's clipboard is handed to `keeper`, which puts it back (see ClipboardKeeper); a clipboard
// that cannot be saved whole is not touched and no copy is asked for.
CopiedSelection CopySelectionFrom(HWND target, const CopyOptions& options, ClipboardKeeper& keeper);

}  // namespace vocalinka
