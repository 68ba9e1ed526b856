// Windows of other programs that a reading copies from: Wine's notepad and WordPad, real
// peers, and stand-in windows of our own with chosen behaviour.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "program_under_test.h"

namespace e2e {

// A real peer whose document is an edit control the person types in.
class EditorPeer {
public:
    bool Ready() const { return edit_ != nullptr; }
    HWND Main() const { return main_; }
    DWORD ProcessId() const { return process_.Id(); }
    // Brings it to the front as the user would, by working in it; false on time-out.
    bool Activate() const { return BringToFront(main_, process_); }
    // The user types the text, selects from `start` to `end` and keeps working in it.
    void Select(const std::wstring& text, int start, int end) const;

protected:
    // Starts the command and waits for its window with a child whose class begins so.
    EditorPeer(std::wstring command, const std::wstring& editClass);

private:
    Process process_;
    HWND main_ = nullptr;
    HWND edit_ = nullptr;
};

class Notepad : public EditorPeer {
public:
    Notepad() : EditorPeer(L"notepad.exe", L"Edit") {}
    using EditorPeer::Select;
    // The user types the text, selects it (or not), and keeps working in notepad.
    void Select(const std::wstring& text, bool all) const { Select(text, 0, all ? -1 : 0); }
};

// Its document is a rich edit, whose positions count a paragraph mark once.
class WordPad : public EditorPeer {
public:
    WordPad();
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
    // The lines of its log: "down 17", "up 18 extended", "copied".
    std::vector<std::string> Log() const { return FileLines(log_); }
    bool WaitForLogLine(const std::string& line,
                        std::chrono::milliseconds timeout = std::chrono::seconds{10}) const;

private:
    vocalinka::test::TemporaryFolder folder_;  // outlives the process, which writes in it
    std::wstring log_;
    Process process_;
    HWND window_ = nullptr;
};

struct KeyEvent {
    int key;  // the virtual key of the message: VK_MENU for either Alt
    bool down, extended;
};
// The key events of a log.
std::vector<KeyEvent> KeyEvents(const std::vector<std::string>& log);

}  // namespace e2e
