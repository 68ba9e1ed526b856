// Readings that must leave the user's desktop as they found it, against stand-in windows of
// our own: a window that copies late or never, one that never takes activation, a console
// that logs the keys it gets, and one holding 4 MB of selected text. Each checks what the user
// would see: the clipboard, what was read, which keys arrived, and that the window answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "clipboard_text.h"
#include "reading_fixture.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

// Generic codes, as a window's key messages carry them.
constexpr int kShift = VK_SHIFT, kCtrl = VK_CONTROL, kAlt = VK_MENU;

struct CopyCase {
    const wchar_t* mode;
    WORD held;  // 0: none
    int heldCode, copyKey;
    const wchar_t* copied;
};

class SafeReading : public ReadingE2E {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(StartReadyToRead()); }
    void ExpectExactCopyKeys(const CopyCase& c);
};

// A window that copies 1.5 s after Ctrl+C, when the program has given up on it (after 1 s), or
// after the user stopped the reading with a second click: its copy is undone.
TEST_F(SafeReading, ALateCopyIsUndoneAfterATimeOutAndAfterAStop) {
    for (const bool stopFirst : {false, true}) {
        StandIn late(L"late");
        ASSERT_TRUE(late.Ready() && late.Activate());
        Click();
        ASSERT_TRUE(late.WaitForLogLine("down 67"))
            << "no Ctrl+C arrived; stopped first: " << stopFirst;
        if (stopFirst) Click();
        EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
        ASSERT_TRUE(late.WaitForLogLine("copied"));
        EXPECT_TRUE(ClipboardComesBack()) << "stopped: " << stopFirst;
        EXPECT_EQ(Count("request", "Speak"), speaks_);
    }
}

TEST_F(SafeReading, AWindowThatNeverCopiesLeavesTheClipboardAndSpeaksNothing) {
    StandIn never(L"never");
    ASSERT_TRUE(never.Ready() && never.Activate());
    Click();
    ASSERT_TRUE(never.WaitForLogLine("up 17"));
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_EQ(test_clipboard::ClipboardText(), kOwnClipboard);
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks_ + 1, 1s));
}

// An on-screen keyboard above notepad is passed over: notepad's selection is read, and the
// keyboard gets no key.
TEST_F(SafeReading, AWindowThatNeverTakesActivationIsPassedOver) {
    Notepad notepad;
    StandIn keyboard(L"noactivate");
    ASSERT_TRUE(notepad.Ready() && keyboard.Ready());
    notepad.Select(L"read from notepad", true);
    SetWindowPos(keyboard.Window(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Click();
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1));
    EXPECT_EQ(LastSpoken(), kDefaultTags + std::wstring(L"read from notepad"));
    EXPECT_TRUE(KeyEvents(keyboard.Log()).empty());
    EXPECT_NE(GetForegroundWindow(), keyboard.Window());
    EXPECT_TRUE(ClipboardComesBack());
}

// The target sees exactly Ctrl and its copy key, also with a key the user holds while
// clicking; it answers with its copy, and no key is left down afterwards.
void SafeReading::ExpectExactCopyKeys(const CopyCase& c) {
    SCOPED_TRACE(std::wstring(c.mode) + L" " + std::to_wstring(c.held));
    StandIn target(c.mode);
    ASSERT_TRUE(target.Ready() && target.Activate());
    if (c.held) {
        SendKey(c.held, false);
        ASSERT_TRUE(target.WaitForLogLine("down " + std::to_string(c.heldCode) +
                                          (IsExtendedKey(c.held) ? " extended" : "")));
    }
    Click();
    const bool read = WaitForCount("request", "Speak", ++speaks_);
    if (c.held) SendKey(c.held, true);  // the user lets go, whatever happened
    ASSERT_TRUE(read) << "the target did not copy: it saw more than Ctrl and the copy key";
    EXPECT_EQ(LastSpoken(), kDefaultTags + std::wstring(c.copied));

    // Pressed besides the held key: Ctrl and the copy key, nothing else, and while the copy
    // key went down only Ctrl was down with it. Released: everything (the modifiers that
    // were not down are released too, which changes nothing). A key is known by its extended
    // flag too: right Alt released as the left one would stay down.
    std::vector<int> pressed;
    std::set<std::pair<int, bool>> down;
    bool copyKeyWithOthers = false;
    for (const KeyEvent& event : KeyEvents(target.Log())) {
        const std::pair<int, bool> key{event.key, event.extended};
        if (!event.down) {
            down.erase(key);
            continue;
        }
        down.insert(key);
        if (event.key != c.heldCode) pressed.push_back(event.key);
        if (event.key == c.copyKey) {
            copyKeyWithOthers = down != std::set<std::pair<int, bool>>{{kCtrl, false}, key};
        }
    }
    EXPECT_EQ(pressed, (std::vector<int>{kCtrl, c.copyKey}));
    EXPECT_FALSE(copyKeyWithOthers);
    EXPECT_TRUE(down.empty()) << down.size() << " keys left down in the target";
    for (const int key :
         {kShift, kCtrl, kAlt, int{VK_LWIN}, int{VK_RWIN}, int{'C'}, int{VK_INSERT}}) {
        EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << key;
    }
    // The reading is stopped; the clipboard comes back.
    Click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_TRUE(ClipboardComesBack());
}

// A console gets Ctrl+Insert: Ctrl+C would interrupt the command running there. Shift, Alt,
// AltGr or a Windows key held while clicking changes nothing the target sees but the held key.
TEST_F(SafeReading, TheTargetGetsExactlyCtrlAndItsCopyKeyWhateverTheUserHolds) {
    const CopyCase cases[] = {{L"console", 0, 0, VK_INSERT, L"console selection"},
                              {L"copy", VK_LSHIFT, kShift, 'C', L"stand-in selection"},
                              {L"copy", VK_LMENU, kAlt, 'C', L"stand-in selection"},
                              {L"copy", VK_RMENU, kAlt, 'C', L"stand-in selection"},
                              {L"console", VK_LSHIFT, kShift, VK_INSERT, L"console selection"},
                              {L"console", VK_LMENU, kAlt, VK_INSERT, L"console selection"},
                              {L"console", VK_RWIN, VK_RWIN, VK_INSERT, L"console selection"}};
    for (const CopyCase& c : cases) ASSERT_NO_FATAL_FAILURE(ExpectExactCopyKeys(c));
}

// A selection of 4 MB: the window answers all along, and a second click stops the reading.
TEST_F(SafeReading, AHugeSelectionKeepsTheWindowAnsweringAndStopsAtOnce) {
    StandIn huge(L"huge");
    ASSERT_TRUE(huge.Ready() && huge.Activate());
    Click();
    ASSERT_TRUE(huge.WaitForLogLine("copied"));
    const auto [spoken, unanswered] =
        WaitWhileAnswering([&] { return Count("request", "Speak") > speaks_; }, 2s, 60s);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(unanswered, 0) << "the window did not answer for 2 s";
    EXPECT_EQ(
        LastSpoken().rfind(
            kDefaultTags + std::wstring(L"Every word of a long report is read aloud. Every"), 0),
        0u);

    const std::size_t stops = Count("request", "Stop");
    Click();
    EXPECT_TRUE(WaitForCount("request", "Stop", stops + 1, 5s));
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_TRUE(ClipboardComesBack());
}

}  // namespace
}  // namespace e2e
