// Readings that must leave the user's desktop as they found it, against stand-in windows of
// our own: a window that copies late or never, one that never takes activation, a console
// that logs the keys it gets, and one holding 4 MB of selected text. Each checks what the user
// would see: the clipboard, what was read, which keys arrived, and that the window answers.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>

#include "clipboard_text.h"
#include "reading_fixture.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;

constexpr wchar_t kOwnClipboard[] = L"the user's own clipboard";

// Generic codes, as a window's key messages carry them.
constexpr int kShift = VK_SHIFT, kCtrl = VK_CONTROL, kAlt = VK_MENU;

void SendKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof(INPUT));
}

class SafeReading : public ReadingE2E {
protected:
    void SetUp() override {
        StartProgram();
        WaitForGreetingToEnd();
        speaks_ = Count("request", "Speak");
        ASSERT_TRUE(SetClipboardText(kOwnClipboard));
    }
    // What the character was last asked to say, without the speed and pitch tags.
    std::wstring LastSpoken() const {
        const auto speaks = trace_.Find("request", "Speak");
        if (speaks.empty() || speaks.back().args.empty()) return {};
        const std::wstring& tagged = speaks.back().args[0];
        const std::wstring tags = L"\\Spd=127\\\\Pit=127\\";
        return tagged.rfind(tags, 0) == 0 ? tagged.substr(tags.size()) : L"<untagged> " + tagged;
    }
    bool ClipboardComesBack() const {
        return PumpUntil([] { return ClipboardText() == kOwnClipboard; }, 8s);
    }
    std::size_t speaks_ = 0;
};

// A window that copies 1.5 s after Ctrl+C, when the program has given up on it (after 1 s), or
// after the user stopped the reading with a second click: its copy is undone.
TEST_F(SafeReading, ALateCopyIsUndoneAfterATimeOutAndAfterAStop) {
    for (const bool stopFirst : {false, true}) {
        StandIn late(L"late");
        ASSERT_TRUE(late.Ready());
        ASSERT_TRUE(late.Activate());
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
    ASSERT_TRUE(never.Ready());
    ASSERT_TRUE(never.Activate());
    Click();
    ASSERT_TRUE(never.WaitForLogLine("up 17"));
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_EQ(ClipboardText(), kOwnClipboard);
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks_ + 1, 1s));
}

// An on-screen keyboard above notepad is passed over: notepad's selection is read, and the
// keyboard gets no key.
TEST_F(SafeReading, AWindowThatNeverTakesActivationIsPassedOver) {
    Notepad notepad;
    StandIn keyboard(L"noactivate");
    ASSERT_TRUE(notepad.Ready());
    ASSERT_TRUE(keyboard.Ready());
    notepad.Select(L"read from notepad", true);
    SetWindowPos(keyboard.Window(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Click();
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1));
    EXPECT_EQ(LastSpoken(), L"read from notepad");
    EXPECT_TRUE(KeyEvents(keyboard.Log()).empty());
    EXPECT_NE(GetForegroundWindow(), keyboard.Window());
    EXPECT_TRUE(ClipboardComesBack());
}

// A console gets Ctrl+Insert, which copies its selection, never Ctrl+C, which would interrupt
// the command running in it.
TEST_F(SafeReading, AConsoleGetsCtrlInsert) {
    StandIn console(L"console");
    ASSERT_TRUE(console.Ready());
    ASSERT_TRUE(console.Activate());
    Click();
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1));
    EXPECT_EQ(LastSpoken(), L"console selection");
    // Pressed: Ctrl and Insert, nothing else; released: everything (the modifiers that were
    // not down are released too, which changes nothing).
    std::vector<int> pressed;
    std::set<int> down;
    for (const auto& [key, isDown] : KeyEvents(console.Log())) {
        if (isDown) pressed.push_back(key), down.insert(key);
        if (!isDown) down.erase(key);
    }
    EXPECT_EQ(pressed, (std::vector<int>{kCtrl, VK_INSERT}));
    EXPECT_TRUE(down.empty());
    EXPECT_TRUE(ClipboardComesBack());
}

// Shift or Alt held while clicking: the target sees exactly Ctrl+C (or Ctrl+Insert), which it
// answers with its copy, and no key is left down afterwards.
TEST_F(SafeReading, AHeldModifierDoesNotChangeTheCopyKeys) {
    const struct {
        const wchar_t* mode;
        WORD held;
        int heldCode;
        const wchar_t* copied;
    } cases[] = {{L"copy", VK_LSHIFT, kShift, L"stand-in selection"},
                 {L"copy", VK_LMENU, kAlt, L"stand-in selection"},
                 {L"console", VK_LSHIFT, kShift, L"console selection"},
                 {L"console", VK_LMENU, kAlt, L"console selection"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::wstring(c.mode) + L" " + std::to_wstring(c.held));
        StandIn target(c.mode);
        ASSERT_TRUE(target.Ready());
        ASSERT_TRUE(target.Activate());
        SendKey(c.held, false);
        ASSERT_TRUE(target.WaitForLogLine("down " + std::to_string(c.heldCode)));
        Click();
        const bool read = WaitForCount("request", "Speak", ++speaks_);
        SendKey(c.held, true);  // the user lets go, whatever happened
        ASSERT_TRUE(read) << "the target did not copy: it saw more than Ctrl and the copy key";
        EXPECT_EQ(LastSpoken(), c.copied);

        // While Ctrl was down, only the copy key went down; nothing stays down at the end.
        std::set<int> down;
        bool copyKeyWithOthers = false;
        for (const auto& [key, isDown] : KeyEvents(target.Log())) {
            if (isDown) down.insert(key);
            if (!isDown) down.erase(key);
            if (isDown && (key == 'C' || key == VK_INSERT)) {
                copyKeyWithOthers = down != std::set<int>{kCtrl, key};
            }
        }
        EXPECT_FALSE(copyKeyWithOthers);
        EXPECT_TRUE(down.empty()) << down.size() << " keys left down in the target";
        for (const int key : {kShift, kCtrl, kAlt, int{VK_LWIN}, int{'C'}, int{VK_INSERT}}) {
            EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << key;
        }
        // The reading is stopped before the next case.
        Click();
        ASSERT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
        EXPECT_TRUE(ClipboardComesBack());
    }
}

// A selection of 4 MB: the window answers all along, and a second click stops the reading.
TEST_F(SafeReading, AHugeSelectionKeepsTheWindowAnsweringAndStopsAtOnce) {
    StandIn huge(L"huge");
    ASSERT_TRUE(huge.Ready());
    ASSERT_TRUE(huge.Activate());
    Click();
    ASSERT_TRUE(huge.WaitForLogLine("copied"));
    int unanswered = 0;
    const bool spoken = PumpUntil(
        [&] {
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(program_.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000,
                                     &result)) {
                ++unanswered;
            }
            return Count("request", "Speak") > speaks_;
        },
        60s);
    ASSERT_TRUE(spoken);
    EXPECT_EQ(unanswered, 0) << "the window did not answer for 2 s";
    EXPECT_EQ(LastSpoken().rfind(L"Every word of a long report is read aloud. Every word", 0), 0u);

    const std::size_t stops = Count("request", "Stop");
    Click();
    EXPECT_TRUE(WaitForCount("request", "Stop", stops + 1, 5s));
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_TRUE(ClipboardComesBack());
}

}  // namespace
}  // namespace e2e
