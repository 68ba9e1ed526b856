#include "selection/selection_win.h"

#include <cstring>
#include <thread>
#include <utility>

#include "shell/app_title.h"

namespace vocalinka {
namespace {

using Clock = std::chrono::steady_clock;

// Waits, processing messages, until `done` holds; false when the bound passes, the copy is
// cancelled or the program quits.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds bound,
             const CopyOptions& options) {
    const auto end = Clock::now() + bound;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= end || !YieldToMessages() || options.cancelled()) return false;
        // Nothing waiting: sleep until a message arrives or a millisecond passes.
        MsgWaitForMultipleObjectsEx(0, nullptr, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

// Another program (a clipboard history tool, say) may hold the clipboard for a moment.
class OpenedClipboard {
public:
    explicit OpenedClipboard(const CopyOptions& options) {
        const auto end = Clock::now() + options.clipboardOpenBound;
        while (!(open_ = OpenClipboard(options.clipboardOwner)) && Clock::now() < end) {
            std::this_thread::sleep_for(2ms);
        }
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

// Formats whose data are memory: the others are GDI objects or private handles that cannot
// be copied as bytes.
bool IsMemoryFormat(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_METAFILEPICT:
        case CF_PALETTE:
        case CF_ENHMETAFILE:
        case CF_OWNERDISPLAY:
        case CF_DSPBITMAP:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
            return false;
    }
    return !(format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST);
}

bool SetClipboardBytes(UINT format, const void* bytes, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory) return false;
    if (void* target = GlobalLock(memory)) {
        if (size) std::memcpy(target, bytes, size);
        GlobalUnlock(memory);
        if (SetClipboardData(format, memory)) return true;  // the system owns it now
    }
    GlobalFree(memory);
    return false;
}

std::wstring ClipboardText() {
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (!text) return {};
    const std::size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    std::wstring result(text, wcsnlen(text, capacity));
    GlobalUnlock(data);
    return result;
}

// Ctrl+C as one batch of four key events: nothing the user types, and no key state that the
// system resynchronises when the activation completes, can come between them.
bool SendCopyKeystroke() {
    constexpr WORD kKeyC = 0x43;
    const std::pair<WORD, DWORD> keys[] = {
        {VK_CONTROL, 0}, {kKeyC, 0}, {kKeyC, KEYEVENTF_KEYUP}, {VK_CONTROL, KEYEVENTF_KEYUP}};
    INPUT inputs[4] = {};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i].first;
        inputs[i].ki.wScan = static_cast<WORD>(MapVirtualKeyW(keys[i].first, MAPVK_VK_TO_VSC));
        inputs[i].ki.dwFlags = keys[i].second;
    }
    return SendInput(4, inputs, sizeof(INPUT)) == 4;
}

}  // namespace

std::wstring GetWindowTitle(HWND hWnd) {
    const int length = GetWindowTextLengthW(hWnd);
    if (length <= 0) return {};
    std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hWnd, title.data(), length + 1);
    title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return title;
}

bool IsAppWindow(HWND hWnd) {
    return !GetWindowTitle(hWnd).empty() && IsWindowVisible(hWnd) &&
           GetWindow(hWnd, GW_OWNER) == nullptr;
}

HWND FindTargetWindow() {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window;
         window = GetWindow(window, GW_HWNDNEXT)) {
        if (IsAppWindow(window) && GetWindowTitle(window) != kApplicationTitle) return window;
    }
    return nullptr;
}

bool YieldToMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

std::optional<ClipboardSnapshot> ClipboardSnapshot::Take(const CopyOptions& options) {
    OpenedClipboard clipboard(options);
    if (!clipboard) return std::nullopt;
    ClipboardSnapshot snapshot;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
        if (!IsMemoryFormat(format)) continue;
        HANDLE data = GetClipboardData(format);
        if (!data) continue;  // an owner that could not render it
        const std::size_t size = GlobalSize(data);
        const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data));
        if (!bytes) continue;
        snapshot.formats_.push_back({format, std::vector<unsigned char>(bytes, bytes + size)});
        GlobalUnlock(data);
    }
    return snapshot;
}

bool ClipboardSnapshot::Restore(const CopyOptions& options) const {
    OpenedClipboard clipboard(options);
    if (!clipboard || !EmptyClipboard()) return false;
    bool all = true;
    for (const Format& format : formats_) {
        all = SetClipboardBytes(format.id, format.bytes.data(), format.bytes.size()) && all;
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

// Wakes the waits below as soon as the clipboard changes, instead of at their next poll.
class ClipboardListener {
public:
    explicit ClipboardListener(HWND window)
        : window_(window && AddClipboardFormatListener(window) ? window : nullptr) {}
    ClipboardListener(const ClipboardListener&) = delete;
    ClipboardListener& operator=(const ClipboardListener&) = delete;
    ~ClipboardListener() {
        if (window_) RemoveClipboardFormatListener(window_);
    }

private:
    HWND window_;
};

CopiedSelection::~CopiedSelection() {
    // Only after a copy, and not when another program has written to the clipboard since.
    const DWORD now = GetClipboardSequenceNumber();
    if (saved_ && now != before_ && now == afterCopy_) saved_->Restore(options_);
}

CopiedSelection CopySelectionFrom(HWND target, const CopyOptions& options) {
    const bool haveTarget = target && IsWindow(target);
    if (haveTarget) {
        // Activation completes in its own time: it goes on while the clipboard is saved.
        if (IsIconic(target)) ShowWindow(target, SW_RESTORE);
        SetForegroundWindow(target);
    }
    // The clipboard is not cleared: its sequence number tells a new copy from what it held,
    // and a clipboard left alone needs nothing put back.
    CopiedSelection copy(ClipboardSnapshot::Take(options), GetClipboardSequenceNumber(), options);
    if (!copy.saved_ || !haveTarget) return copy;
    const ClipboardListener listener(options.clipboardOwner);

    // Keys sent before the target is in front would go to the window that was.
    const bool inFront =
        WaitFor([&] { return GetForegroundWindow() == target; }, options.activationBound, options);
    if (!inFront || !SendCopyKeystroke() || !YieldToMessages() || options.cancelled()) return copy;
    // The copy lands when the target gets to it, after the keys: wait for the clipboard to
    // change instead of reading at once and finding nothing.
    const bool copied = WaitFor(
        [&] {
            return GetClipboardSequenceNumber() != copy.before_ &&
                   IsClipboardFormatAvailable(CF_UNICODETEXT);
        },
        options.copyBound, options);
    if (copied) {
        OpenedClipboard clipboard(options);
        if (clipboard) {
            copy.text = ClipboardText();
            copy.afterCopy_ = GetClipboardSequenceNumber();
        }
    } else if (!options.cancelled()) {
        copy.text = std::wstring{};  // nothing selected, or nothing that is text
        copy.afterCopy_ = GetClipboardSequenceNumber();
    }
    return copy;
}

}  // namespace vocalinka
