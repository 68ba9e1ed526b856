// Readings straight from the control the person works in: Wine's notepad and WordPad, notepad's
// Find box, a message box, and stand-in windows of our own (a password field, two edits, an
// edit that hangs). Each checks what was read, that the clipboard was not touched at all (its
// sequence number), and what the target was asked.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "clipboard_text.h"
#include "reading_fixture.h"
#include "shortcut_keys.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

class DirectReading : public ReadingE2E {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
        sequence_ = GetClipboardSequenceNumber();
    }
    // Reads with a click (or `press`) and expects `text`, with nothing done to the clipboard;
    // the reading is stopped again the same way, and the target is in front as before.
    void ExpectReads(HWND target, const std::wstring& text,
                     const std::function<void()>& press = {}) {
        press ? press() : Click();
        ASSERT_TRUE(WaitForCount("request", "Speak", ++speaks_)) << "nothing was read";
        EXPECT_EQ(LastSpoken(), kDefaultTags + text);
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == target; }, 5s));
        ExpectTheReadingStops(press);
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
        EXPECT_EQ(test_clipboard::ClipboardText(), kOwnClipboard);
    }
    DWORD sequence_ = 0;
};

TEST_F(DirectReading, NotepadsSelectionExactlyAlsoFarIntoALongText) {
    Notepad notepad;
    ASSERT_TRUE(notepad.Ready());
    notepad.Select(L"First line,\r\nsecond line.", true);
    ASSERT_NO_FATAL_FAILURE(ExpectReads(notepad.Main(), L"First line,\r\nsecond line."));

    // 80,000 characters, selected from 70,000 on: past what 16 bits can count.
    std::wstring text;
    for (int i = 0; text.size() < 80000; ++i) text += L"word" + std::to_wstring(i) + L" ";
    text.resize(80000);
    notepad.Select(text, 70000, 70060);
    ASSERT_NO_FATAL_FAILURE(ExpectReads(notepad.Main(), text.substr(70000, 60)));
}

// Paragraph marks count once in a rich edit's positions and come back as line breaks, as its
// copy command gives them.
TEST_F(DirectReading, WordPadsSelectedParagraphs) {
    WordPad wordpad;
    ASSERT_TRUE(wordpad.Ready());
    const std::wstring first = L"First paragraph.", second = L"Second paragraph.",
                       third = L"Third paragraph, read alone.";
    const std::wstring text = first + L"\r\n" + second + L"\r\n" + third;
    const int thirdStart = static_cast<int>(first.size() + 1 + second.size() + 1);
    wordpad.Select(text, thirdStart, thirdStart + static_cast<int>(third.size()));
    ASSERT_NO_FATAL_FAILURE(ExpectReads(wordpad.Main(), third));

    wordpad.Select(text, 6, static_cast<int>(first.size() + 1 + 6));
    ASSERT_NO_FATAL_FAILURE(ExpectReads(wordpad.Main(), L"paragraph.\r\nSecond"));
}

TEST_F(DirectReading, ThePhraseSelectedInNotepadsFindBox) {
    Notepad notepad;
    ASSERT_TRUE(notepad.Ready());
    notepad.Select(L"The document, which is not to be read.", true);
    PressShortcut({VK_CONTROL}, 'F');
    HWND find = nullptr, edit = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            find = VisibleWindowOf(notepad.ProcessId(), L"#32770");
            edit = find ? FindWindowExW(find, nullptr, L"Edit", nullptr) : nullptr;
            return edit && GetForegroundWindow() == find && FocusedWindowOf(find) == edit;
        },
        10s))
        << "notepad's Find box did not open";
    const wchar_t phrase[] = L"needle in the haystack";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(phrase));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    ASSERT_NO_FATAL_FAILURE(ExpectReads(find, phrase));
}

// A message box owned by another window: its message, and not its buttons, by the click and
// by the shortcut.
class MessageBoxReading : public DirectReading {
protected:
    const HotkeySetting shortcut_{L"Ctrl+Alt+F7"};
};

TEST_F(MessageBoxReading, ItsMessageByTheClickAndByTheShortcut) {
    StandIn owner(L"msgbox");
    ASSERT_TRUE(owner.Ready());
    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil(
        [&] {
            box = VisibleWindowOf(owner.ProcessId(), L"#32770");
            return box && GetForegroundWindow() == box;
        },
        10s));
    // The shortcut first: the click that stops a reading takes the box out of the front.
    ASSERT_NO_FATAL_FAILURE(ExpectReads(box, L"The report could not be saved.", [] {
        PressShortcut({VK_CONTROL, VK_MENU}, VK_F7);
    }));
    ASSERT_NO_FATAL_FAILURE(ExpectReads(box, L"The report could not be saved."));
}

TEST_F(DirectReading, OfTwoSelectedEditsTheFocusedOne) {
    StandIn twoEdits(L"twoedits");
    ASSERT_TRUE(twoEdits.Ready() && twoEdits.Activate());
    ASSERT_NO_FATAL_FAILURE(ExpectReads(twoEdits.Window(), L"second edit text"));
}

// A password field, an edit's or a control's of its own, is asked whether it is one and
// nothing else: no text, no selection, no copy, no key. The character says why it reads
// nothing.
TEST_F(DirectReading, APasswordFieldIsNeverAskedForItsText) {
    for (const wchar_t* mode : {L"password", L"secret"}) {
        SCOPED_TRACE(mode);
        StandIn field(mode);
        ASSERT_TRUE(field.Ready() && field.Activate());
        Click();
        ASSERT_TRUE(WaitForCount("request", "Speak", ++speaks_));
        EXPECT_EQ(LastSpoken(), L"That is a password: I do not read it.");
        EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
        EXPECT_TRUE(field.Log().empty()) << field.Log().front();
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
        EXPECT_EQ(test_clipboard::ClipboardText(), kOwnClipboard);
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == field.Window(); }, 5s));
    }
}

// An edit that hangs when asked for its text: the program goes on answering throughout, gives
// up on it and is idle; nothing is copied or read.
TEST_F(DirectReading, AHungEditLeavesTheProgramAnsweringAndIdle) {
    StandIn hung(L"hang");
    ASSERT_TRUE(hung.Ready() && hung.Activate());
    Click();
    ASSERT_TRUE(hung.WaitForLogLine("gettext"));
    const auto [idle, unanswered] = WaitWhileAnswering([&] { return Idle(); }, 500ms, 10s);
    EXPECT_TRUE(idle);
    EXPECT_EQ(unanswered, 0) << "the window did not answer for half a second";
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks_ + 1, 1s));
    EXPECT_EQ(KeyEvents(hung.Log()).size(), 0u);
    EXPECT_EQ(GetClipboardSequenceNumber(), sequence_);
}

}  // namespace
}  // namespace e2e
