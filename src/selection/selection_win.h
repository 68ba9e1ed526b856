// Copying the text selected in another application: finding the window the user worked in,
// bringing it to the front, sending it Ctrl+C and taking the text from the clipboard, with
// the user's clipboard put back afterwards.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vocalinka {

using namespace std::chrono_literals;

// The window's title through the W functions; empty for no title, handle 0 or a window that
// is gone.
std::wstring GetWindowTitle(HWND hWnd);

// A visible, titled window without owner.
bool IsAppWindow(HWND hWnd);

// The first window in z-order, from the top, that IsAppWindow accepts and that does not bear
// the application title; null when there is none.
HWND FindTargetWindow();

// Processes the messages waiting for this thread. Returns false when the program is quitting
// (the quit message is posted again for the main loop).
bool YieldToMessages();

// What a copy needs to know besides the target: when to give up.
struct CopyOptions {
    HWND clipboardOwner = nullptr;
    // Activation costs nothing when it works at once; a loaded machine may need longer.
    std::chrono::milliseconds activationBound = 2000ms;
    std::chrono::milliseconds copyBound = 1000ms;
    std::chrono::milliseconds clipboardOpenBound = 500ms;
    // Asked after every message processed; true ends the copy early (nothing is read).
    std::function<bool()> cancelled = [] { return false; };
};

// Everything the clipboard held that can be copied back: memory-backed formats.
class ClipboardSnapshot {
public:
    // Reads every format; nullopt when the clipboard could not be opened.
    static std::optional<ClipboardSnapshot> Take(const CopyOptions& options);
    // Puts the formats back (or leaves the clipboard empty when it was), kept out of
    // clipboard history where the system allows.
    bool Restore(const CopyOptions& options) const;
    bool Empty() const { return formats_.empty(); }

private:
    struct Format {
        UINT id;
        std::vector<unsigned char> bytes;
    };
    std::vector<Format> formats_;
};

// What a copy read, and the user's clipboard, which goes back when this is destroyed: after the
// reading has started, so that putting it back does not delay the speech.
class CopiedSelection {
public:
    CopiedSelection(std::optional<ClipboardSnapshot> saved, DWORD before,
                    const CopyOptions& options)
        : saved_(std::move(saved)), before_(before), options_(options) {}
    CopiedSelection(CopiedSelection&& other) noexcept
        : text(std::move(other.text)),
          saved_(std::exchange(other.saved_, std::nullopt)),
          before_(other.before_),
          afterCopy_(other.afterCopy_),
          options_(other.options_) {}
    CopiedSelection& operator=(CopiedSelection&&) = delete;
    ~CopiedSelection();

    // nullopt: the copy failed or was cancelled. An empty text: nothing was selected.
    std::optional<std::wstring> text;

private:
    friend CopiedSelection CopySelectionFrom(HWND, const CopyOptions&);
    std::optional<ClipboardSnapshot> saved_;
    DWORD before_;
    DWORD afterCopy_ = 0;
    const CopyOptions& options_;
};

// Saves the user's clipboard, activates `target` by its handle and waits until it is in front,
// sends Ctrl+C, waits for the copy to reach the clipboard and reads its text. The user's
// clipboard is put back when the result is destroyed, unless another program has written to
// it since the copy.
CopiedSelection CopySelectionFrom(HWND target, const CopyOptions& options);

}  // namespace vocalinka
