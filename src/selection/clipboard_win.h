// The person's clipboard, saved before a copy is asked of another program and put back after
// it, also when that program copies only after the reading gave up on it.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "win32util/handles.h"

namespace vocalinka {

// How long to wait for a clipboard that another program (a history tool, say) holds open.
inline constexpr std::chrono::milliseconds kClipboardOpenBound = std::chrono::milliseconds{500};

// Opens the clipboard for one scope, retrying for a bounded time.
class OpenedClipboard {
public:
    explicit OpenedClipboard(HWND owner,
                             std::chrono::milliseconds bound = kClipboardOpenBound) noexcept;
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard();
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

// The text of the clipboard, which the caller has opened; empty when it holds none.
std::wstring ClipboardText();

// Everything the clipboard held, as far as it can be copied back: memory formats and enhanced
// metafiles, with the formats the system makes from them (bitmap, palette, metafile picture).
class ClipboardSnapshot {
public:
    // Above this many bytes in all, nothing is saved: copying hundreds of megabytes would
    // stall the click and could exhaust memory.
    static constexpr std::size_t kDefaultCap = 64u << 20;

    enum class Outcome {
        Saved,      // everything can be put back
        Busy,       // the clipboard could not be opened
        TooLarge,   // over the cap
        Unkeepable  // a format that is no memory (owner display, private handles)
    };
    struct Taken;
    // Reads every format, the clipboard being opened with `owner`.
    static Taken Take(HWND owner, std::size_t cap = kDefaultCap);
    // Puts the formats back (or leaves the clipboard empty when it was), kept out of
    // clipboard history where the system allows.
    bool Restore(HWND owner) const;
    bool Empty() const { return formats_.empty(); }
    std::size_t Bytes() const;

private:
    struct Format {
        UINT id;
        std::vector<unsigned char> bytes;
    };
    std::vector<Format> formats_;
};

struct ClipboardSnapshot::Taken {
    Outcome outcome;
    std::optional<ClipboardSnapshot> snapshot;  // set when Saved
};

// Keeps the person's clipboard for one copy asked of a target window. Given the snapshot when
// the copy is over (read, timed out, stopped, failed), it puts the clipboard back when the
// target has written to it, and, when the copy gave up, goes on watching for a few seconds: a
// copy that lands late is undone too. Only a write by the target's process is undone, once:
// a write by anyone else (the person copying in another program) ends the watch and is kept.
class ClipboardKeeper {
public:
    static constexpr std::chrono::milliseconds kLateCopyWatch = std::chrono::seconds{4};

    ClipboardKeeper() = default;
    ClipboardKeeper(const ClipboardKeeper&) = delete;
    ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;
    ~ClipboardKeeper();

    // `sequenceBefore` is the clipboard's sequence number when the snapshot was taken. With
    // `copyRead`, the text of the target's copy was read at `sequenceRead`: the clipboard goes
    // back once, soon (after the reading has started), and nothing is watched after. Without,
    // the target may still copy: its first write within the watch is undone.
    void Keep(ClipboardSnapshot snapshot, DWORD targetProcess, DWORD sequenceBefore,
              std::optional<DWORD> sequenceRead);
    // Settles what is pending now (a new copy is about to start): puts the clipboard back if
    // the target wrote, and ends the watch.
    void Settle();
    bool Watching() const { return snapshot_.has_value(); }
    // The window that owns the clipboard while it is put back, made at the first call. Throws
    // std::runtime_error when it cannot be made.
    HWND Window();

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Check();
    void Stop();

    HWND hwnd_ = nullptr;  // set by the window procedure from the first message on
    win32util::UniqueWindow window_;
    bool listening_ = false;
    std::optional<ClipboardSnapshot> snapshot_;
    DWORD targetProcess_ = 0;
    DWORD sequenceBefore_ = 0;
    std::optional<DWORD> sequenceRead_;
    std::chrono::steady_clock::time_point deadline_;
};

}  // namespace vocalinka
