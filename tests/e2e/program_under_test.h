// Starts vocalinka.exe as a separate process from a folder of its own (so that each test has
// its own profile) and finds its windows from outside, as a user's tools would.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "test_support/pump_until.h"
#include "test_support/temporary_folder.h"

namespace e2e {

using vocalinka::test::PumpUntil;

// The caption of the program's hidden application window and of its messages.
inline constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";

// A text file's lines that are not empty, without their line ends.
std::vector<std::string> FileLines(const std::wstring& path);
// The visible top-level windows of that process, front first.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// The first of them with this class, or null.
HWND VisibleWindowOf(DWORD processId, const wchar_t* className);

// A started process, ended (unless it has ended) when this goes.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();
    // Runs the command line from `folder` (or this program's folder); false when it cannot.
    bool Start(std::wstring command, const wchar_t* folder = nullptr);
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_{};
};

class ProgramUnderTest {
public:
    ProgramUnderTest();
    // The program file already in `folder` (one the test cannot change, say), which is left
    // as it is.
    explicit ProgramUnderTest(std::wstring folder);

    const std::wstring& Folder() const { return folder_; }
    std::wstring ProfilePath() const { return Folder() + L"\\profile.pfl"; }
    void WriteProfile(const std::string& bytes) const;
    // Its bytes, or nullopt when there is no profile.
    std::optional<std::string> ReadProfile() const;

    // Starts the program and waits until its main window is visible; false on time-out.
    bool Start();
    // Starts the program without waiting for anything.
    bool Launch();
    // Waits for the process to end; its exit code, or nullopt on time-out.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds{
                                         10}) const;
    HWND MainWindow() const { return main_; }
    DWORD ProcessId() const { return process_.Id(); }
    // A visible top-level window of the program with this class, or null.
    HWND FindWindowOfClass(const wchar_t* className) const {
        return VisibleWindowOf(ProcessId(), className);
    }
    // A visible top-level window of the program with this caption, once it holds the keyboard
    // focus (keys pressed before would reach the window that had it); null on time-out.
    HWND WaitForFocusedWindowWithCaption(const std::wstring& caption,
                                         std::chrono::milliseconds timeout = std::chrono::seconds{
                                             10}) const;
    // The text of the program's message box with this caption, or empty when none is shown.
    std::wstring MessageText(const std::wstring& caption = kApplicationTitle) const;
    // Waits for that message box to hold the focus and answers it with Enter; its text once it
    // has closed, or empty when it did not appear or did not close.
    std::wstring AnswerMessage(const std::wstring& caption = kApplicationTitle) const;
    // Opens the pop-up menu with a right press on the picture button and chooses a command
    // with its access key; false when the menu did not open.
    bool ChooseMenuCommand(WORD accessKey) const;
    // Chooses the command and waits for the window with this caption to hold the focus; null
    // when it did not.
    HWND OpenFromMenu(WORD accessKey, const std::wstring& caption) const {
        return ChooseMenuCommand(accessKey) ? WaitForFocusedWindowWithCaption(caption) : nullptr;
    }
    // Closes the main window as the user would and waits for the process to end.
    bool Close();

private:
    // A folder of the test's own, or none when the program is run where it is.
    std::optional<vocalinka::test::TemporaryFolder> temporary_;
    std::wstring folder_;
    Process process_;
    HWND main_ = nullptr;
};

// A name that no other object of this test program has: "<prefix>-<serial>".
std::wstring UniqueName(const std::wstring& prefix);
// A path as the build writes it ("Z:/…" under Wine), with Windows separators.
std::wstring WindowsPath(const char* path);

// A registry value as this sets it; what was there, or that nothing was, comes back at the end.
class ScopedRegistryValue {
public:
    ScopedRegistryValue(HKEY root, std::wstring key, std::wstring name);
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
    ~ScopedRegistryValue();
    void Set(const std::wstring& text) const;
    void Remove() const;

private:
    HKEY root_;
    std::wstring key_, name_;
    std::optional<std::pair<DWORD, std::vector<BYTE>>> old_;  // type and data
};

// Brings a window of that process to the front and waits until the process has taken in its
// activation; false on time-out.
bool BringToFront(HWND window, const Process& process);

// Real input, as the user gives it.
void PressMouse(POINT screenPoint, DWORD downFlag, DWORD upFlag);
POINT CentreOf(HWND window);
// Whether a keyboard sends the key with the extended prefix (of the keys the tests press):
// without it, the system takes right Alt and right Ctrl for the left ones.
bool IsExtendedKey(WORD virtualKey);
// One key going down or up, with that prefix where the keyboard gives it.
void SendKey(WORD virtualKey, bool up);
// The modifiers go down, the key goes down and up, the modifiers go up.
void PressShortcut(const std::vector<WORD>& modifiers, WORD key);
inline void PressKey(WORD virtualKey) {
    PressShortcut({}, virtualKey);
}

// Waits until the window is closed or hidden; false on time-out.
bool Gone(HWND window);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusedWindowOf(HWND window);
// The text of a window or control of another process.
std::wstring TextOf(HWND window);

}  // namespace e2e
