#include "selection/clipboard_win.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

#include "win32util/failure.h"
#include "win32util/window.h"

namespace vocalinka {

using namespace std::chrono_literals;
namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kKeeperClass[] = L"VocalinkaClipboardKeeper";
constexpr UINT kMsgCheck = WM_APP + 1;
constexpr UINT_PTR kCheckTimer = 1;
// A clipboard that could not be opened is tried again this often while the watch lasts.
constexpr UINT kCheckPeriodMs = 100;

// Locks a global memory block for one scope: no path leaves it locked.
class GlobalLocked {
public:
    explicit GlobalLocked(HANDLE memory) noexcept : memory_(memory), bytes_(GlobalLock(memory)) {}
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    ~GlobalLocked() {
        if (bytes_) GlobalUnlock(memory_);
    }
    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(bytes_); }
    unsigned char* Bytes() { return static_cast<unsigned char*>(bytes_); }

private:
    HANDLE memory_;
    void* bytes_;
};

bool SetClipboardBytes(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory) return false;
    {
        GlobalLocked target(memory);
        if (!target.Bytes()) {
            GlobalFree(memory);
            return false;
        }
        if (size) std::memcpy(target.Bytes(), bytes, size);
    }
    if (SetClipboardData(format, memory)) return true;  // the system owns it now
    GlobalFree(memory);
    return false;
}

bool SetClipboardEnhMetafile(const std::vector<unsigned char>& bytes) {
    HENHMETAFILE metafile = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
    if (!metafile) return false;
    if (SetClipboardData(CF_ENHMETAFILE, metafile)) return true;
    DeleteEnhMetaFile(metafile);
    return false;
}

// Handle formats the system makes again from a kept one: a bitmap and a palette from a device-
// independent bitmap, a metafile picture from an enhanced metafile.
bool IsSynthesizedFrom(UINT format, UINT kept) {
    switch (format) {
        case CF_BITMAP:
        case CF_PALETTE:
            return kept == CF_DIB || kept == CF_DIBV5;
        case CF_METAFILEPICT:
            return kept == CF_ENHMETAFILE;
    }
    return false;
}

bool IsHandleFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_PALETTE:
        case CF_METAFILEPICT:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return true;
    }
    return (format >= CF_PRIVATEFIRST && format <= CF_PRIVATELAST) ||
           (format >= CF_GDIOBJFIRST && format <= CF_GDIOBJLAST);
}

}  // namespace

OpenedClipboard::OpenedClipboard(HWND owner, std::chrono::milliseconds bound) noexcept {
    const auto end = Clock::now() + bound;
    while (!(open_ = OpenClipboard(owner)) && Clock::now() < end) {
        std::this_thread::sleep_for(2ms);
    }
}

OpenedClipboard::~OpenedClipboard() {
    if (open_) CloseClipboard();
}

std::wstring ClipboardText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const GlobalLocked text(data);
    if (!text.Bytes()) return {};
    const auto* chars = reinterpret_cast<const wchar_t*>(text.Bytes());
    return std::wstring(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
}

ClipboardSnapshot::Taken ClipboardSnapshot::Take(HWND owner, std::size_t cap) {
    OpenedClipboard clipboard(owner);
    if (!clipboard) return {Outcome::Busy, std::nullopt};

    // First the sizes, so that nothing is copied from a clipboard over the cap.
    struct Held {
        UINT id;
        HANDLE data;
        std::size_t size;
    };
    std::vector<Held> held;
    std::vector<UINT> handles;
    std::size_t total = 0;
    std::vector<UINT> formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        formats.push_back(format);
    }
    const bool unicodeText =
        std::find(formats.begin(), formats.end(), CF_UNICODETEXT) != formats.end();
    for (UINT format : formats) {
        // The system makes the ANSI and OEM texts again from the Unicode text. Asking for them
        // would have them made now, for nothing (and under Wine each one made is memory that
        // is never given back: about 6 KB a reading).
        if (unicodeText && (format == CF_TEXT || format == CF_OEMTEXT)) continue;
        HANDLE data = GetClipboardData(format);
        if (!data) continue;  // an owner that could not render it: nobody can paste it either
        if (format == CF_ENHMETAFILE) {
            const UINT size = GetEnhMetaFileBits(static_cast<HENHMETAFILE>(data), 0, nullptr);
            if (size == 0) return {Outcome::Unkeepable, std::nullopt};
            held.push_back({format, data, size});
            total += size;
        } else if (IsHandleFormat(format)) {
            handles.push_back(format);
            continue;
        } else {
            held.push_back({format, data, GlobalSize(data)});
            total += held.back().size;
        }
        if (total > cap) return {Outcome::TooLarge, std::nullopt};
    }
    for (UINT format : handles) {
        bool remade = false;
        for (const Held& kept : held) remade = remade || IsSynthesizedFrom(format, kept.id);
        if (!remade) return {Outcome::Unkeepable, std::nullopt};
    }

    ClipboardSnapshot snapshot;
    snapshot.formats_.reserve(held.size());
    for (const Held& format : held) {
        std::vector<unsigned char> bytes(format.size);
        if (format.id == CF_ENHMETAFILE) {
            GetEnhMetaFileBits(static_cast<HENHMETAFILE>(format.data),
                               static_cast<UINT>(bytes.size()), bytes.data());
        } else {
            GlobalLocked source(format.data);
            if (!source.Bytes()) return {Outcome::Unkeepable, std::nullopt};
            std::memcpy(bytes.data(), source.Bytes(), bytes.size());
        }
        snapshot.formats_.push_back({format.id, std::move(bytes)});
    }
    return {Outcome::Saved, std::move(snapshot)};
}

bool ClipboardSnapshot::Restore(HWND owner) const {
    OpenedClipboard clipboard(owner);
    if (!clipboard || !EmptyClipboard()) return false;
    bool all = true;
    for (const Format& format : formats_) {
        const bool set =
            format.id == CF_ENHMETAFILE
                ? SetClipboardEnhMetafile(format.bytes)
                : SetClipboardBytes(format.id, format.bytes.data(), format.bytes.size());
        all = set && all;
    }
    if (!formats_.empty()) {
        // What is put back is no new copy: history and cloud clipboard tools skip it.
        static const UINT exclude =
            RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
        static const UINT history = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
        const DWORD no = 0;
        SetClipboardBytes(exclude, &no, sizeof(no));
        SetClipboardBytes(history, &no, sizeof(no));
    }
    return all;
}

std::size_t ClipboardSnapshot::Bytes() const {
    std::size_t total = 0;
    for (const Format& format : formats_) total += format.bytes.size();
    return total;
}

ClipboardKeeper::~ClipboardKeeper() {
    if (Watching()) Settle();
}

HWND ClipboardKeeper::Window() {
    if (window_) return window_.get();
    WNDCLASSEXW wc{};
    wc.lpszClassName = kKeeperClass;
    window_ = win32util::CreateForwardingWindow<ClipboardKeeper, &ClipboardKeeper::hwnd_,
                                                &ClipboardKeeper::OnMessage>(
        *this, wc, {.parent = HWND_MESSAGE});
    return window_.get();
}

LRESULT ClipboardKeeper::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLIPBOARDUPDATE || message == WM_TIMER || message == kMsgCheck) {
        Check();
        return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void ClipboardKeeper::Keep(ClipboardSnapshot snapshot, DWORD targetProcess, DWORD sequenceBefore,
                           std::optional<DWORD> sequenceRead) {
    if (Watching()) Settle();
    HWND window = Window();
    snapshot_ = std::move(snapshot);
    targetProcess_ = targetProcess;
    sequenceBefore_ = sequenceBefore;
    sequenceRead_ = sequenceRead;
    deadline_ = Clock::now() + kLateCopyWatch;
    listening_ = AddClipboardFormatListener(window);
    SetTimer(window, kCheckTimer, kCheckPeriodMs, nullptr);
    // Not now: the reading starts first, and the clipboard goes back just after.
    PostMessageW(window, kMsgCheck, 0, 0);
}

void ClipboardKeeper::Settle() {
    Check();
    Stop();
}

void ClipboardKeeper::Check() {
    if (!snapshot_) return;
    const bool expired = Clock::now() >= deadline_;
    if (GetClipboardSequenceNumber() == sequenceBefore_) {
        if (expired) Stop();  // the target never copied: the clipboard is as it was
        return;
    }
    HWND owner = GetClipboardOwner();
    if (owner && owner == window_.get()) {
        Stop();  // already put back
        return;
    }
    DWORD ownerProcess = 0;
    if (owner) GetWindowThreadProcessId(owner, &ownerProcess);
    const bool byTarget = owner && ownerProcess == targetProcess_;
    const bool asRead = sequenceRead_ && GetClipboardSequenceNumber() == *sequenceRead_;
    if (!byTarget && !asRead) {
        Stop();  // someone else wrote: what they wrote is the person's now
        return;
    }
    if (snapshot_->Restore(Window()) || expired) Stop();
    // Otherwise the clipboard is held by another program: the timer tries again.
}

void ClipboardKeeper::Stop() {
    snapshot_.reset();
    if (!window_) return;
    KillTimer(window_.get(), kCheckTimer);
    if (listening_) RemoveClipboardFormatListener(window_.get());
    listening_ = false;
}

}  // namespace vocalinka
