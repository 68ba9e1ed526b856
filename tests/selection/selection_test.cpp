#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "clipboard_text.h"
#include "selection/selection_win.h"
#include "test_support/pump_until.h"
#include "ui/app_title.h"
#include "win32util/handles.h"

namespace vocalinka {

using namespace std::chrono_literals;
namespace {

using test::PumpUntil;
using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;
using win32util::UniqueHandle;
using win32util::UniqueWindow;

// Two seconds are plenty for a copy on this thread.
constexpr auto kCopyTime = 2s;

UniqueWindow Window(const wchar_t* title, DWORD exStyle = 0, HWND owner = nullptr,
                    bool visible = true, const wchar_t* className = L"STATIC") {
    HWND window = CreateWindowExW(exStyle, className, title, WS_OVERLAPPED | WS_CAPTION, 10, 10,
                                  200, 100, owner, nullptr, nullptr, nullptr);
    if (visible) ShowWindow(window, SW_SHOWNA);
    return UniqueWindow(window);
}

// Keeps the clipboard, copies `text` over it as a reading does, and puts back what was kept.
void CopyOverAndRestore(const wchar_t* text) {
    const auto taken = ClipboardSnapshot::Take(nullptr);
    ASSERT_EQ(taken.outcome, ClipboardSnapshot::Outcome::Saved);
    ASSERT_TRUE(SetClipboardText(text));
    ASSERT_TRUE(taken.snapshot->Restore(nullptr));
}

TEST(TargetSearch, SkipsOwnedHiddenUntitledAndApplicationTitledWindows) {
    auto reader = Window(L"Reader");
    auto owned = Window(L"Owned", 0, reader.get());
    auto hidden = Window(L"Hidden", 0, nullptr, false);
    auto untitled = Window(L"");
    auto ours = Window(kApplicationTitle);
    EXPECT_EQ(FindTargetWindow(), reader.get());

    // An always-on-top window of another program comes before the window worked in.
    auto onTop = Window(L"Always on top", WS_EX_TOPMOST);
    SetWindowPos(reader.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(FindTargetWindow(), onTop.get());

    // A title that only starts with the application title is another program's.
    onTop.reset();
    auto similar = Window(L"Vocalinka 'Parlemot' - notes");
    EXPECT_EQ(FindTargetWindow(), similar.get());
}

// Windows high in the z-order that the user cannot have worked in are passed over.
TEST(TargetSearch, SkipsWindowsThatNeverTakeActivationAndToolWindows) {
    auto reader = Window(L"Reader");
    const DWORD exStyles[] = {WS_EX_TOPMOST | WS_EX_NOACTIVATE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW,
                              WS_EX_NOACTIVATE};
    for (const DWORD exStyle : exStyles) {
        auto above = Window(L"On-screen keyboard", exStyle);
        SetWindowPos(above.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        EXPECT_FALSE(CanHaveBeenWorkedIn(above.get())) << exStyle;
        EXPECT_EQ(FindTargetWindow(), reader.get()) << exStyle;
    }
    EXPECT_TRUE(CanHaveBeenWorkedIn(reader.get()));
}

TEST(TargetSearch, ConsolesAreKnownByTheirClass) {
    const struct {
        const wchar_t* className;
        bool console;
    } cases[] = {{L"ConsoleWindowClass", true},
                 {L"CASCADIA_HOSTING_WINDOW_CLASS", true},
                 {L"ConsoleWindowClassic", false},
                 {L"Notepad", false}};
    for (const auto& c : cases) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = c.className;
        RegisterClassExW(&wc);
        auto window = Window(L"Terminal", 0, nullptr, true, c.className);
        ASSERT_NE(window.get(), nullptr);
        EXPECT_EQ(IsConsoleWindow(window.get()), c.console) << c.className;
    }
}

TEST(TargetSearch, WindowsThatAreGoneHaveNoTitle) {
    HWND gone = Window(L"Soon gone").release();
    EXPECT_EQ(GetWindowTitle(gone), L"Soon gone");
    DestroyWindow(gone);
    EXPECT_EQ(GetWindowTitle(gone), L"");
    EXPECT_FALSE(IsAppWindow(gone));
    EXPECT_EQ(GetWindowTitle(nullptr), L"");
}

TEST(ClipboardSnapshot, PutsBackEveryMemoryFormatOutOfHistory) {
    const UINT custom = RegisterClipboardFormatW(L"Vocalinka test format");
    ASSERT_TRUE(SetClipboardText(L"the user's words ✓"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    const char payload[] = {1, 2, 0, 3};
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(payload));
    memcpy(GlobalLock(memory), payload, sizeof(payload));
    GlobalUnlock(memory);
    SetClipboardData(custom, memory);
    CloseClipboard();

    ASSERT_NO_FATAL_FAILURE(CopyOverAndRestore(L"something else"));

    EXPECT_EQ(ClipboardText(), L"the user's words ✓");
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE restored = GetClipboardData(custom);
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(memcmp(GlobalLock(restored), payload, sizeof(payload)), 0);
    GlobalUnlock(restored);
    EXPECT_TRUE(IsClipboardFormatAvailable(
        RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing")));
    // The ANSI text is not saved but made again from the Unicode text.
    HANDLE ansi = GetClipboardData(CF_TEXT);
    ASSERT_NE(ansi, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(GlobalLock(ansi))).substr(0, 16),
              "the user's words");
    GlobalUnlock(ansi);
    CloseClipboard();
}

TEST(ClipboardSnapshot, AnEmptyClipboardIsLeftEmpty) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    const auto taken = ClipboardSnapshot::Take(nullptr);
    ASSERT_TRUE(taken.snapshot.has_value());
    EXPECT_TRUE(taken.snapshot->Empty());
    ASSERT_TRUE(SetClipboardText(L"copied"));
    ASSERT_TRUE(taken.snapshot->Restore(nullptr));
    EXPECT_EQ(CountClipboardFormats(), 0);
}

TEST(ClipboardSnapshot, ALockedClipboardIsAFailureNotAHang) {
    // Another window holds the clipboard open for a while, as history tools do. A snapshot that
    // waited for it would find the clipboard free and report Saved.
    const UniqueHandle opened(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        const UniqueWindow window(CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0,
                                                  HWND_MESSAGE, nullptr, nullptr, nullptr));
        const bool held = OpenClipboard(window.get());
        SetEvent(opened.get());
        WaitForSingleObject(release.get(), 5000);
        if (held) CloseClipboard();
    });
    WaitForSingleObject(opened.get(), 5000);
    EXPECT_EQ(ClipboardSnapshot::Take(nullptr).outcome, ClipboardSnapshot::Outcome::Busy);
    SetEvent(release.get());
    holder.join();
    EXPECT_EQ(ClipboardSnapshot::Take(nullptr).outcome, ClipboardSnapshot::Outcome::Saved);
}

// A clipboard holding what cannot be copied back is not saved: the copy is then not asked
// for, and nothing of the user's is replaced. (One over the cap: CopyFromEdit below.)
TEST(ClipboardSnapshot, CountsEveryFormAndRefusesWhatCannotBePutBack) {
    ASSERT_TRUE(SetClipboardText(std::wstring(1u << 20, L'x')));
    // The system adds the text's ANSI and OEM forms, which are kept too.
    const auto taken = ClipboardSnapshot::Take(nullptr, 16u << 20);
    ASSERT_EQ(taken.outcome, ClipboardSnapshot::Outcome::Saved);
    EXPECT_GE(taken.snapshot->Bytes(), 2u << 20);

    // Handles that are no memory and that the system makes from nothing else: a format
    // private to its owner, a bitmap the owner draws itself.
    const struct {
        UINT format;
        HANDLE data;
    } unkeepable[] = {{CF_PRIVATEFIRST, GlobalAlloc(GMEM_MOVEABLE, 8)},
                      {CF_DSPBITMAP, CreateBitmap(4, 4, 1, 32, nullptr)}};
    for (const auto& c : unkeepable) {
        ASSERT_TRUE(SetClipboardText(L"text beside it"));
        ASSERT_TRUE(OpenClipboard(nullptr));
        ASSERT_NE(SetClipboardData(c.format, c.data), nullptr);
        CloseClipboard();
        EXPECT_EQ(ClipboardSnapshot::Take(nullptr).outcome, ClipboardSnapshot::Outcome::Unkeepable)
            << c.format;
    }
}

TEST(ClipboardSnapshot, PutsBackAnEnhancedMetafile) {
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    Rectangle(dc, 0, 0, 40, 30);
    HENHMETAFILE metafile = CloseEnhMetaFile(dc);
    const UINT size = GetEnhMetaFileBits(metafile, 0, nullptr);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, metafile);
    CloseClipboard();

    ASSERT_NO_FATAL_FAILURE(CopyOverAndRestore(L"copied"));
    ASSERT_TRUE(OpenClipboard(nullptr));
    auto restored = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    EXPECT_EQ(restored ? GetEnhMetaFileBits(restored, 0, nullptr) : 0u, size);
    CloseClipboard();
}

// When SendInput takes only the first k events, the keys they pressed are released after.
TEST(CopyKeystroke, APartlySentKeystrokeLeavesNoKeyDown) {
    const auto keystroke = CopyKeystroke('C');
    for (UINT accepted = 0; accepted <= keystroke.size(); ++accepted) {
        std::vector<INPUT> delivered;
        bool first = true;
        const InputSender sender = [&](UINT count, INPUT* inputs) -> UINT {
            const UINT taken = first ? std::min(accepted, count) : count;
            first = false;
            delivered.insert(delivered.end(), inputs, inputs + taken);
            return taken;
        };
        EXPECT_EQ(SendKeys(keystroke, sender), accepted == keystroke.size());
        std::vector<WORD> down;
        for (const INPUT& input : delivered) {
            if (input.ki.dwFlags & KEYEVENTF_KEYUP) {
                down.erase(std::remove(down.begin(), down.end(), input.ki.wVk), down.end());
            } else {
                down.push_back(input.ki.wVk);
            }
        }
        EXPECT_TRUE(down.empty()) << accepted << " of " << keystroke.size() << " went in";
        // Modifiers are released once, by the keystroke itself, never by the repair.
        EXPECT_LE(std::count_if(delivered.begin(), delivered.end(),
                                [](const INPUT& i) { return i.ki.wVk == VK_LSHIFT; }),
                  1);
    }
}

// The keeper undoes a write of the target's process that lands after the copy gave up, and
// keeps what anyone else wrote.
TEST(ClipboardKeeper, UndoesALateCopyOfTheTargetOnly) {
    auto targetWindow = Window(L"Target");
    const struct {
        HWND writer;
        const wchar_t* expected;
    } cases[] = {{targetWindow.get(), L"the user's own"}, {nullptr, L"late copy"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(SetClipboardText(L"the user's own"));
        const DWORD before = GetClipboardSequenceNumber();
        auto taken = ClipboardSnapshot::Take(nullptr);
        ASSERT_TRUE(taken.snapshot);
        ClipboardKeeper keeper;
        keeper.Keep(std::move(*taken.snapshot), GetCurrentProcessId(), before, std::nullopt);
        PumpUntil([] { return false; }, kCopyTime);  // a while passes: the copy is late

        ASSERT_TRUE(SetClipboardText(L"late copy", c.writer));
        EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == c.expected; }, kCopyTime));
        EXPECT_TRUE(PumpUntil([&] { return !keeper.Watching(); }, kCopyTime));
        EXPECT_EQ(ClipboardText(), c.expected);
    }
}

// A window the user reads in: an edit control that is its own top-level window, so that it
// has the focus when it is activated.
class CopyFromEdit : public testing::Test {
protected:
    void SetUp() override {
        edit_.reset(CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | ES_MULTILINE, 50, 50,
                                    400, 200, nullptr, nullptr, nullptr, nullptr));
        ShowWindow(edit_.get(), SW_SHOW);
        ASSERT_TRUE(SetClipboardText(L"kept from before"));
        options_.copyBound = 500ms;
    }
    void Select(const std::wstring& text, bool all) {
        SetWindowTextW(edit_.get(), text.c_str());
        SendMessageW(edit_.get(), EM_SETSEL, 0, all ? -1 : 0);
    }
    UniqueWindow edit_;
    CopyOptions options_;
    ClipboardKeeper keeper_;
};

TEST_F(CopyFromEdit, ReadsTheSelectionInAnyScriptAndPutsTheClipboardBack) {
    for (const std::wstring text : {L"Good morning", L"Où est la bibliothèque ? Très bien.",
                                    L"Γειά σου κόσμε 中文 🌍\r\nline two"}) {
        Select(text, true);
        const CopiedSelection copied = CopySelectionFrom(edit_.get(), options_, keeper_);
        ASSERT_TRUE(copied.text.has_value());
        EXPECT_EQ(*copied.text, text);
        EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"kept from before"; }, kCopyTime));
    }
}

TEST_F(CopyFromEdit, NoSelectionGivesEmptyTextNotTheOldClipboard) {
    Select(L"nothing selected here", false);
    const CopiedSelection copied = CopySelectionFrom(edit_.get(), options_, keeper_);
    ASSERT_TRUE(copied.text.has_value());
    EXPECT_EQ(*copied.text, L"");
    EXPECT_EQ(ClipboardText(), L"kept from before");
}

TEST_F(CopyFromEdit, NoTargetOrACancelledCopyReadsNothing) {
    Select(L"selected", true);
    EXPECT_FALSE(CopySelectionFrom(nullptr, options_, keeper_).text.has_value());
    EXPECT_EQ(ClipboardText(), L"kept from before");

    options_.cancelled = [] { return true; };
    EXPECT_FALSE(CopySelectionFrom(edit_.get(), options_, keeper_).text.has_value());
    // The keys were all released: Ctrl is not left down.
    EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"kept from before"; }, kCopyTime));
}

// A clipboard that cannot be saved whole is left alone: no key goes to the target.
TEST_F(CopyFromEdit, AClipboardOverTheCapIsLeftAloneAndNothingIsCopied) {
    Select(L"selected", true);
    ASSERT_TRUE(SetClipboardText(std::wstring(4096, L'k')));
    options_.snapshotCap = 1024;
    UINT keysSent = 0;
    options_.sendInput = [&](UINT count, INPUT* inputs) {
        keysSent += count;
        return SendSystemInput(count, inputs);
    };
    const CopiedSelection copied = CopySelectionFrom(edit_.get(), options_, keeper_);
    EXPECT_FALSE(copied.text.has_value());
    EXPECT_EQ(copied.clipboardLeftAlone, ClipboardSnapshot::Outcome::TooLarge);
    EXPECT_EQ(keysSent, 0u);
    EXPECT_EQ(ClipboardText(), std::wstring(4096, L'k'));
}

// Messages that would give a control's text away, counted as the control gets them.
int g_textAsked = 0;
LRESULT CALLBACK CountingProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    if (message == WM_GETTEXT || message == WM_GETTEXTLENGTH || message == EM_GETSEL ||
        message == WM_COPY || message == EM_GETPASSWORDCHAR) {
        ++g_textAsked;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

// Read straight from the control, the same edit gives its selection without the clipboard;
// a program that runs above this one is not even asked whether it holds a password.
TEST_F(CopyFromEdit, ReadsAnEditDirectlyUnlessItsProgramRunsAbove) {
    Select(L"line one\r\nline two", true);
    SetWindowSubclass(edit_.get(), CountingProc, 0, 0);
    g_textAsked = 0;
    const DWORD sequence = GetClipboardSequenceNumber();
    options_.runsAboveUs = [](DWORD) { return true; };
    const CopiedSelection refused = ReadWithoutCopying({edit_.get(), nullptr}, options_);
    EXPECT_EQ(refused.refusal, CopiedSelection::Refusal::Elevated);
    EXPECT_FALSE(refused.text.has_value());
    EXPECT_EQ(g_textAsked, 0);

    options_.runsAboveUs = [](DWORD) { return false; };
    const CopiedSelection read = ReadWithoutCopying({edit_.get(), nullptr}, options_);
    EXPECT_TRUE(read.direct);
    EXPECT_EQ(read.text, L"line one\r\nline two");
    EXPECT_GT(g_textAsked, 0);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    RemoveWindowSubclass(edit_.get(), CountingProc, 0);
    EXPECT_FALSE(RunsAboveOurIntegrity(GetCurrentProcessId()));
}

// Through memory in the target's process, as for a rich edit of another program: only the
// range, far past 16 bits, with the paragraph mark as a line break.
TEST(DirectRead, ARichEditGivesItsSelectedRangeWithLineBreaks) {
    ASSERT_TRUE(LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    UniqueWindow richEdit(CreateWindowExW(0, L"RICHEDIT50W", L"",
                                          WS_OVERLAPPEDWINDOW | ES_MULTILINE, 50, 50, 400, 200,
                                          nullptr, nullptr, nullptr, nullptr));
    ASSERT_NE(richEdit.get(), nullptr);
    SendMessageW(richEdit.get(), EM_EXLIMITTEXT, 0, 1 << 20);
    SendMessageW(richEdit.get(), EM_SETTARGETDEVICE, 0, 1);  // no wrapping: no layout to wait for
    const std::wstring text = std::wstring(70000, L'a') + L"\r\nTail paragraph, ünïcode 🌍.";
    SetWindowTextW(richEdit.get(), text.c_str());
    for (const auto& [start, end, expected] :
         {std::tuple{69998, 70005, std::wstring(L"aa\r\nTail")},
          std::tuple{70001, 70028, std::wstring(L"Tail paragraph, ünïcode 🌍.")},
          std::tuple{5, 5, std::wstring()}}) {
        SendMessageW(richEdit.get(), EM_SETSEL, start, end);
        const DirectRead read = ReadDirectly(richEdit.get(), richEdit.get());
        EXPECT_EQ(read.outcome, DirectRead::Outcome::Read) << start;
        EXPECT_EQ(read.text, expected) << start;
    }
}

}  // namespace
}  // namespace vocalinka
