// Windows of other programs that a reading copies from: Wine's notepad, a real peer, and
// stand-in windows of our own with chosen behaviour.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "program_under_test.h"

namespace e2e {

class Notepad {
public:
    Notepad();
    bool Ready() const { return edit_ != nullptr; }
    HWND Main() const { return main_; }
    // Brings it to the front as the user would, by working in it; false on time-out.
    bool Activate() const { return BringToFront(main_, process_); }
    // The user types the text, selects it (or not), and keeps working in notepad.
    void Select(const std::wstring& text, bool all) const { Select(text, 0, all ? -1 : 0); }
    // The same with the characters from `start` to `end` selected.
    void Select(const std::wstring& text, int start, int end) const;
    DWORD ProcessId() const { return process_.Id(); }

private:
    Process process_;
    HWND main_ = nullptr;
    HWND edit_ = nullptr;
};

// Wine's WordPad, whose document is a rich edit.
class WordPad {
public:
    WordPad();
    bool Ready() const { return richEdit_ != nullptr; }
    HWND Main() const { return main_; }
    // The user types the paragraphs, selects from `start` to `end` (positions that count a
    // paragraph mark once, as the rich edit does) and keeps working in WordPad.
    void Select(const std::wstring& text, int start, int end) const;

private:
    Process process_;
    HWND main_ = nullptr;
    HWND richEdit_ = nullptr;
};

// tests/e2e/standin/standin_window.cpp started in one of its modes; it logs the keys it gets.
class StandIn {
public:
    explicit StandIn(const std::wstring& mode);
    bool Ready() const { return window_ != nullptr; }
    HWND Window() const { return window_; }
    DWORD ProcessId() const { return process_.Id(); }
    // Brings it to the front as the user would, by working in it; false on time-out.
    bool Activate() const { return BringToFront(window_, process_); }
    // The lines of its log: "down 17", "up 67", "copied".
    std::vector<std::string> Log() const { return FileLines(log_); }
    bool WaitForLogLine(const std::string& line,
                        std::chrono::milliseconds timeout = std::chrono::seconds{10}) const;

private:
    vocalinka::test::TemporaryFolder folder_;  // outlives the process, which writes in it
    std::wstring log_;
    Process process_;
    HWND window_ = nullptr;
};

// The key events of a log, as (virtual key, down) pairs.
std::vector<std::pair<int, bool>> KeyEvents(const std::vector<std::string>& log);

}  // namespace e2e
