// Starts vocalinka.exe as a separate process from a folder of its own (so that each test has
// its own profile) and finds its windows from outside, as a user's tools would.
#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "test_support/pump_until.h"
#include "test_support/temporary_folder.h"

namespace e2e {

class ProgramUnderTest {
public:
    ProgramUnderTest();
    // The program file already in `folder` (one the test cannot change, say), which is left
    // as it is.
    explicit ProgramUnderTest(std::wstring folder);
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
    ~ProgramUnderTest();

    const std::wstring& Folder() const { return folder_; }
    std::wstring ProfilePath() const { return Folder() + L"\\profile.pfl"; }
    void WriteProfile(const std::string& bytes) const;
    std::optional<std::string> ReadProfile() const;

    // Starts the program and waits until its main window is visible; false on time-out.
    bool Start();
    // Starts the program without waiting for anything.
    bool Launch();
    // Waits for the process to end; its exit code, or nullopt on time-out.
    std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds{
                                         10}) const;
    HWND MainWindow() const { return main_; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    // A visible top-level window of the program with this class, or null.
    HWND FindWindowOfClass(const wchar_t* className) const;
    // A visible top-level window of the program with this caption, once it holds the keyboard
    // focus (keys pressed before would reach the window that had it); null on time-out.
    HWND WaitForFocusedWindowWithCaption(const std::wstring& caption,
                                         std::chrono::milliseconds timeout = std::chrono::seconds{
                                             10}) const;
    // Opens the pop-up menu with a right press on the picture button and chooses a command
    // with its access key; false when the menu did not open.
    bool ChooseMenuCommand(WORD accessKey) const;
    // Closes the main window as the user would and waits for the process to end.
    bool Close();

private:
    // A folder of the test's own, or none when the program is run where it is.
    std::optional<vocalinka::test::TemporaryFolder> temporary_;
    std::wstring folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};

// Ends a process started by a test, unless it has ended, and closes its handles.
void EndProcess(PROCESS_INFORMATION& process, UINT exitCode = 0);
// A path as the build writes it ("Z:/…" under Wine), with Windows separators.
std::wstring WindowsPath(const char* path);

// A visible top-level window of that process with this class, or null.
HWND VisibleWindowOf(DWORD processId, const wchar_t* className);

using vocalinka::test::PumpUntil;

// Real input, as the user gives it.
void PressMouse(POINT screenPoint, DWORD downFlag, DWORD upFlag);
void PressKey(WORD virtualKey);
POINT CentreOf(HWND window);

// The window that has the keyboard focus in the thread of `window`.
HWND FocusedWindowOf(HWND window);
// The text of a window or control of another process.
std::wstring TextOf(HWND window);

}  // namespace e2e
