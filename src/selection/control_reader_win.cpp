#include "selection/control_reader_win.h"

#include <dwmapi.h>
#include <oleacc.h>
#include <richedit.h>

#include <optional>
#include <vector>

#include "selection/control_text.h"
#include "ui/app_title.h"
#include "win32util/handles.h"
#include "win32util/system_library.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {
namespace {

using win32util::ToU16;
using win32util::ToWide;
using win32util::WindowText;

using win32util::UniqueHandle;

// The id of a message box's message text: a dialog's static without an id of its own.
constexpr int kMessageTextId = 0xFFFF;

std::u16string RealClassName(HWND window) {
    wchar_t name[96] = {};
    const UINT length = RealGetWindowClassW(window, name, 96);
    return ToU16(std::wstring(name, length));
}

std::wstring ClassName(HWND window) {
    wchar_t name[96] = {};
    return std::wstring(name, static_cast<std::size_t>(GetClassNameW(window, name, 96)));
}

bool IsCloaked(HWND hWnd) {
    // Not imported: DWMAPI is no known system library, and a copy beside the program would be
    // loaded instead of the system's.
    static auto* const get = win32util::SystemFunction<decltype(DwmGetWindowAttribute)>(
        L"dwmapi.dll", "DwmGetWindowAttribute");
    DWORD cloaked = 0;
    return get && SUCCEEDED(get(hWnd, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) && cloaked;
}

// One message to a control of another program, bounded: a hung control holds nobody up.
Reply Ask(HWND control, UINT message, WPARAM wParam, LPARAM lParam, std::chrono::milliseconds bound,
          LRESULT& answer) {
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(control, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                            static_cast<UINT>(bound.count()), &result)) {
        answer = static_cast<LRESULT>(result);
        return Reply::Answered;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? Reply::Refused : Reply::Hung;
}

DirectRead::Outcome OutcomeOf(Reply reply) {
    return reply == Reply::Refused ? DirectRead::Outcome::Refused : DirectRead::Outcome::Hung;
}

// The message box's message: its one static text with the dialog's no-id.
HWND MessageText(HWND box) {
    if (ClassName(box) != L"#32770") return nullptr;
    HWND text = nullptr;
    bool button = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring name = ClassName(child);
        if (name == L"Button") {
            button = true;
        } else if (name != L"Static") {
            return nullptr;  // a dialog with other controls is no message box
        } else if ((GetDlgCtrlID(child) & 0xFFFF) == kMessageTextId &&
                   (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) {
            if (text) return nullptr;  // labels, not one message
            text = child;
        }
    }
    return button ? text : nullptr;
}

DirectRead ReadText(HWND control, std::size_t characters, std::chrono::milliseconds bound) {
    std::wstring text(characters + 1, L'\0');
    LRESULT copied = 0;
    const Reply reply =
        Ask(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), bound, copied);
    if (reply != Reply::Answered) return {OutcomeOf(reply), {}};
    text.resize(std::min(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)), characters));
    return {DirectRead::Outcome::Read, std::move(text)};
}

DirectRead ReadEdit(HWND edit, std::chrono::milliseconds bound) {
    // Through the pointers: the packed result holds 16 bits a position, wrong past 65,535.
    DWORD anchor = 0, caret = 0;
    LRESULT ignored = 0;
    const Reply reply = Ask(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&anchor),
                            reinterpret_cast<LPARAM>(&caret), bound, ignored);
    if (reply != Reply::Answered) return {OutcomeOf(reply), {}};
    const auto range = SelectionWithin(anchor, caret, SIZE_MAX);
    if (!range || range->Length() == 0) return {DirectRead::Outcome::Read, {}};
    // The text up to the selection's end, no further; a text that got shorter meanwhile gives
    // fewer characters.
    DirectRead read = ReadText(edit, range->end, bound);
    if (read.outcome == DirectRead::Outcome::Read) {
        read.text = read.text.size() > range->start ? read.text.substr(range->start) : L"";
    }
    return read;
}

// Memory in another process for one read, freed when done.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, std::size_t bytes)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    explicit operator bool() const { return address_ != nullptr; }
    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    bool Write(const void* bytes, std::size_t size) const {
        SIZE_T written = 0;
        return WriteProcessMemory(process_, address_, bytes, size, &written) && written == size;
    }
    bool Read(void* bytes, std::size_t size) const {
        SIZE_T read = 0;
        return ReadProcessMemory(process_, address_, bytes, size, &read) && read == size;
    }

private:
    HANDLE process_;
    void* address_;
};

// Whether a process is a 64-bit one; nullopt when this process cannot say or cannot lay out
// its records (a 32-bit reader of a 64-bit target).
std::optional<bool> Is64Bit(HANDLE process) {
    BOOL selfWow64 = FALSE, targetWow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &selfWow64) ||
        !IsWow64Process(process, &targetWow64)) {
        return std::nullopt;
    }
    constexpr bool kSelf64 = sizeof(void*) == 8;
    if (kSelf64) return !targetWow64;
    // A 32-bit reader on 64-bit Windows: a target that is no WOW64 process is 64-bit, and its
    // memory lies beyond this process's pointers.
    if (selfWow64 && !targetWow64) return std::nullopt;
    return false;
}

DirectRead ReadRichEdit(HWND richEdit, std::chrono::milliseconds bound) {
    // Messages from WM_USER on carry no pointers across processes: the records live in the
    // target's memory.
    DWORD processId = 0;
    GetWindowThreadProcessId(richEdit, &processId);
    const UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                               PROCESS_VM_WRITE | PROCESS_QUERY_LIMITED_INFORMATION,
                                           FALSE, processId));
    if (!process) return {};
    const std::optional<bool> target64 = Is64Bit(process.get());
    if (!target64) return {};

    const RemoteMemory range(process.get(), sizeof(CHARRANGE));
    LRESULT ignored = 0;
    if (!range) return {};
    Reply reply = Ask(richEdit, EM_EXGETSEL, 0, range.Address(), bound, ignored);
    if (reply != Reply::Answered) return {OutcomeOf(reply), {}};
    CHARRANGE selection{};
    if (!range.Read(&selection, sizeof(selection))) return {};
    const auto selected = SelectionWithin(selection.cpMin, selection.cpMax, SIZE_MAX);
    if (!selected) return {};
    if (selected->Length() == 0) return {DirectRead::Outcome::Read, {}};

    // Only the selection crosses: paragraph marks count once in these positions, so the
    // range's length bounds its text.
    const std::size_t bufferBytes = (selected->Length() + 1) * sizeof(wchar_t);
    const RemoteMemory buffer(process.get(), bufferBytes);
    if (!buffer) return {};
    const std::vector<std::byte> record = TextRangeRecord(
        static_cast<std::int32_t>(selected->start), static_cast<std::int32_t>(selected->end),
        static_cast<std::uint64_t>(buffer.Address()), *target64);
    const RemoteMemory textRange(process.get(), record.size());
    if (!textRange || !textRange.Write(record.data(), record.size())) return {};
    LRESULT copied = 0;
    reply = Ask(richEdit, EM_GETTEXTRANGE, 0, textRange.Address(), bound, copied);
    if (reply != Reply::Answered) return {OutcomeOf(reply), {}};
    std::u16string text(selected->Length() + 1, u'\0');
    if (!buffer.Read(text.data(), bufferBytes)) return {};
    text.resize(
        std::min(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)), selected->Length()));
    return {DirectRead::Outcome::Read, ToWide(ParagraphMarksAsLineBreaks(text))};
}

// COM for one scope on this thread, as far as the thread allows.
class ComScope {
public:
    ComScope() noexcept : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }

private:
    HRESULT result_;
};

bool StateIsProtected(IAccessible* object, const VARIANT& child) {
    VARIANT state;
    VariantInit(&state);
    const bool isProtected = SUCCEEDED(object->get_accState(child, &state)) && state.vt == VT_I4 &&
                             (state.lVal & STATE_SYSTEM_PROTECTED);
    VariantClear(&state);
    return isProtected;
}

}  // namespace

bool CanHaveBeenWorkedIn(HWND hWnd) {
    const LONG_PTR exStyle = GetWindowLongPtrW(hWnd, GWL_EXSTYLE);
    return !(exStyle & (WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW)) && !IsCloaked(hWnd);
}

ReadingTarget TargetInFront() {
    HWND front = GetForegroundWindow();
    if (!front || !IsWindowVisible(front) || !CanHaveBeenWorkedIn(front)) return {};
    DWORD process = 0;
    const DWORD thread = GetWindowThreadProcessId(front, &process);
    if (process == GetCurrentProcessId() || WindowText(front) == kApplicationTitle) return {};
    GUITHREADINFO info{sizeof(info)};
    return {front, GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr};
}

HWND ControlToRead(const ReadingTarget& target) {
    const bool focusInside =
        target.focus && IsWindow(target.focus) &&
        (target.focus == target.window || IsChild(target.window, target.focus));
    return focusInside ? target.focus : target.window;
}

PasswordCheck CheckPassword(HWND control, std::chrono::milliseconds bound) {
    const ControlKind kind = KindOfClass(RealClassName(control));
    if ((kind == ControlKind::Edit || kind == ControlKind::RichEdit) &&
        (GetWindowLongPtrW(control, GWL_STYLE) & ES_PASSWORD)) {
        return PasswordCheck::Password;
    }
    // Custom password fields answer the edit's question too; other windows answer 0.
    LRESULT character = 0;
    switch (Ask(control, EM_GETPASSWORDCHAR, 0, 0, bound, character)) {
        case Reply::Answered:
            return character ? PasswordCheck::Password : PasswordCheck::NotPassword;
        case Reply::Refused:
            return PasswordCheck::Refused;
        case Reply::Hung:
            break;
    }
    return PasswordCheck::Hung;
}

DirectRead ReadDirectly(HWND window, HWND control, std::chrono::milliseconds bound) {
    if (HWND message = MessageText(window)) {
        LRESULT length = 0;
        const Reply reply = Ask(message, WM_GETTEXTLENGTH, 0, 0, bound, length);
        if (reply != Reply::Answered) return {OutcomeOf(reply), {}};
        return ReadText(message, static_cast<std::size_t>(std::max<LRESULT>(length, 0)), bound);
    }
    switch (KindOfClass(RealClassName(control))) {
        case ControlKind::Edit:
            return ReadEdit(control, bound);
        case ControlKind::RichEdit:
            return ReadRichEdit(control, bound);
        case ControlKind::Console:
        case ControlKind::Other:
            break;
    }
    return {};
}

bool IsProtectedByAccessibility(HWND control) {
    // Not imported: OLEACC is no known system library.
    static auto* const fromWindow = win32util::SystemFunction<decltype(AccessibleObjectFromWindow)>(
        L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!fromWindow) return false;
    const ComScope com;
    IAccessible* object = nullptr;
    if (FAILED(fromWindow(control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                          reinterpret_cast<void**>(&object))) ||
        !object) {
        return false;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    bool isProtected = StateIsProtected(object, self);
    // Inside a control that draws its own fields (a browser's page), the focused one.
    VARIANT focused;
    VariantInit(&focused);
    if (!isProtected && object->get_accFocus(&focused) == S_OK) {
        if (focused.vt == VT_I4 && focused.lVal != CHILDID_SELF) {
            isProtected = StateIsProtected(object, focused);
        } else if (focused.vt == VT_DISPATCH && focused.pdispVal) {
            IAccessible* child = nullptr;
            if (SUCCEEDED(focused.pdispVal->QueryInterface(IID_IAccessible,
                                                           reinterpret_cast<void**>(&child)))) {
                isProtected = StateIsProtected(child, self);
                child->Release();
            }
        }
    }
    VariantClear(&focused);
    object->Release();
    return isProtected;
}

namespace {

// The mandatory integrity level of a process's token, as its relative id.
std::optional<DWORD> IntegrityLevel(HANDLE process) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return std::nullopt;
    const UniqueHandle owned(token);
    DWORD bytes = 0;
    GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &bytes);
    std::vector<BYTE> label(bytes);
    if (bytes == 0 ||
        !GetTokenInformation(token, TokenIntegrityLevel, label.data(), bytes, &bytes)) {
        return std::nullopt;
    }
    PSID sid = reinterpret_cast<TOKEN_MANDATORY_LABEL*>(label.data())->Label.Sid;
    const UCHAR count = *GetSidSubAuthorityCount(sid);
    if (count == 0) return std::nullopt;
    return *GetSidSubAuthority(sid, count - 1u);
}

}  // namespace

bool RunsAboveOurIntegrity(DWORD processId) {
    if (processId == GetCurrentProcessId()) return false;
    static const std::optional<DWORD> ours = IntegrityLevel(GetCurrentProcess());
    if (!ours) return false;  // a system without integrity levels
    const UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    // A process this one may not even ask about runs higher (a protected or a system one).
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    const std::optional<DWORD> theirs = IntegrityLevel(process.get());
    if (!theirs) return GetLastError() == ERROR_ACCESS_DENIED;
    return *theirs > *ours;
}

}  // namespace vocalinka
