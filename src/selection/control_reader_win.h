// Reading the selection straight from the control the person works in: a standard edit or
// rich edit, or the message of a message box. Nothing goes through the clipboard or the
// keyboard, and a password field is never asked for its text.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

namespace vocalinka {

// The window the person works in and the control in it that has the keyboard focus.
struct ReadingTarget {
    HWND window = nullptr;
    HWND focus = nullptr;  // null: the window itself
};

// A window the person can have worked in: not one that never takes activation (an on-screen
// keyboard, a magnifier's bar), no tool window (the taskbar), and not cloaked (a hidden app
// window of Windows 10 and 11 that IsWindowVisible calls visible).
bool CanHaveBeenWorkedIn(HWND hWnd);

// The window in front and its focused control, as long as the person can have worked in it and
// it is not one of this program's; empty otherwise. The focus can be had only while that
// window is in front: ask before this program takes the activation.
ReadingTarget TargetInFront();

// The control to read from: the noted focus while it is still the window or inside it, else
// the window.
HWND ControlToRead(const ReadingTarget& target);

// How long a control of another program may take to answer one message; a control that takes
// longer is hung, and a hung control cannot copy either.
inline constexpr std::chrono::milliseconds kControlAnswerBound{1000};

// What a control answered.
enum class Reply {
    Answered,
    Refused,  // the system did not pass the message on: the program runs above this one
    Hung      // no answer within the bound, or the window is gone
};

// Whether the control hides what is typed in it (ES_PASSWORD on an edit, or a password
// character given when asked): the question is the only message it is sent.
enum class PasswordCheck { NotPassword, Password, Refused, Hung };
PasswordCheck CheckPassword(HWND control, std::chrono::milliseconds bound = kControlAnswerBound);

// What a direct read gave.
struct DirectRead {
    enum class Outcome {
        Read,       // `text` is what the control's copy command would give
        NotDirect,  // another kind of control, or one that cannot be read so here (access,
                    // bitness): the copy keys remain
        Refused,
        Hung
    };
    Outcome outcome = Outcome::NotDirect;
    std::wstring text;
};

// Reads the message of a message box `window`, or the selection of `control` when it is an
// edit or a rich edit. Only the selected range crosses from a rich edit, and from an edit the
// text up to the selection's end.
DirectRead ReadDirectly(HWND window, HWND control,
                        std::chrono::milliseconds bound = kControlAnswerBound);

// Whether accessibility calls the focused object of `control` protected (a password field of
// any kind that says so).
bool IsProtectedByAccessibility(HWND control);

// Whether the process runs at a higher integrity level than this one (a program run as
// administrator): the system then drops the messages and keys this program sends it.
bool RunsAboveOurIntegrity(DWORD processId);

}  // namespace vocalinka
