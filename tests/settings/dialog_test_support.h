// Helpers for the dialog tests: driving a modal window from a timer on the test's own thread,
// and reading windows.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "shell/win32_util.h"

namespace vocalinka::test {

using namespace std::chrono_literals;

// One step of a script: true when done, false to be tried again at the next tick.
using Step = std::function<bool()>;
// A step that does `action` once.
Step Do(std::function<void()> action);

// Calls `run`, which opens a modal window and returns once it is closed, while the steps play
// one after another from a timer on this thread. A step that opens a modal window of its own
// must do so by posting, so that the next steps can reach it. Steps end when `run` returns:
// the last step closes the window. Should `run` not have returned after `timeout`, every
// dialog of this thread is closed so that it does. True when every step ran in time.
bool RunScripted(const std::function<void()>& run, std::vector<Step> steps,
                 std::chrono::milliseconds timeout = 20s);

// A step that waits for a visible window of this thread with this caption and keeps it.
Step WaitForWindow(const wchar_t* caption, HWND& found);
// A visible top-level window of this thread with this caption, or null.
HWND FindThreadWindow(const wchar_t* caption);

std::wstring Text(HWND window);
// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control);
// Clicks a button as the user would, through the dialog's own message queue.
void PostClick(HWND dialog, int buttonId);
void PostKey(HWND window, WORD virtualKey);

// The text of a message box.
std::wstring MessageBoxText(HWND box);

// The frame every dialog of the program has: its caption; sizable, with a system menu and
// minimize and maximize boxes; a taskbar button and both icons; owned by `owner`; OK as default.
void ExpectDialogFrame(HWND dialog, HWND owner, const std::wstring& caption);

// A top-level window to own the dialogs under test, as the main window owns them.
UniqueWindow MakeOwnerWindow();

// A folder of its own below the temporary folder, removed with everything in it.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::wstring& name);
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();
    const std::wstring& Path() const { return path_; }
    // Creates a file below the folder, with these attributes.
    std::wstring AddFile(const std::wstring& relativePath,
                         DWORD attributes = FILE_ATTRIBUTE_NORMAL) const;
    std::wstring AddFolder(const std::wstring& relativePath) const;

private:
    std::wstring path_;
};

// The names of a folder's entries in the order the file system returns them.
std::vector<std::wstring> NamesInFolderOrder(const std::wstring& folder);

// Messages of this thread, dispatched until `done` holds or `timeout` passes; those that
// `preTranslate` handles are not dispatched, as in the program's message loop.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s,
               const std::function<bool(MSG&)>& preTranslate = {});

}  // namespace vocalinka::test
