// What a window procedure does with an exception: it may not let one escape (the procedure is
// called by the system, and an exception through it ends the program without a word), so each
// procedure calls its handler through GuardedCall, and a failure is reported here instead.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace win32util {

// Told of every failure that reached a window procedure: the window whose message failed and
// a plain description. The program sets one that shows its own error message; until then a
// message box titled "Error" says it.
using FailureReporter = void (*)(HWND window, const std::wstring& description) noexcept;
void SetFailureReporter(FailureReporter reporter) noexcept;

// Reports the exception that is being handled (call it from a catch block).
void ReportCurrentFailure(HWND window) noexcept;

// Runs `handler`; an exception it throws is reported and `onFailure` returned.
template <class Result, class Handler>
Result GuardedCall(HWND window, Result onFailure, Handler&& handler) noexcept {
    try {
        return handler();
    } catch (...) {
        ReportCurrentFailure(window);
        return onFailure;
    }
}

}  // namespace win32util
