// The reading shortcut, pressed as a person presses it, with the program started as a separate
// process: it reads the selection of the window in front, a second press stops, and a
// shortcut that cannot be had is said once without stopping the program.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "clipboard_text.h"
#include "reading_fixture.h"
#include "shortcut_keys.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;

constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";

// The text of the program's message box, once it has one.
std::wstring MessageOf(const ProgramUnderTest& program) {
    HWND box = program.FindWindowOfClass(L"#32770");
    if (!box || TextOf(box) != kApplicationTitle) return {};
    return TextOf(GetDlgItem(box, 0xFFFF));  // the system's id for a message box's text
}

class ShortcutReading : public ReadingE2E {
protected:
    Notepad notepad_;
};

TEST_F(ShortcutReading, ReadsTheWindowInFrontAndAPressDuringTheReadingStopsIt) {
    const HotkeySetting setting(L"Ctrl+Alt+F9");
    ASSERT_TRUE(notepad_.Ready());
    StartProgram("\"Character=Merlin\r\nLanguage=English\r\nSpeed=150\r\nPitch=90\"\r\n");
    WaitForGreetingToEnd();

    ASSERT_TRUE(SetClipboardText(L"the user's own clipboard"));
    notepad_.Select(L"Read from the keyboard.", true);
    ASSERT_EQ(GetForegroundWindow(), notepad_.Main());
    const std::size_t speaks = Count("request", "Speak");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F9);
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks + 1)) << "the shortcut read nothing";
    EXPECT_EQ(trace_.Find("request", "Speak").back().args.at(0),
              L"\\Spd=150\\\\Pit=90\\Read from the keyboard.");
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"the user's own clipboard"; }));
    // The person stays where they were, and no key is left down.
    EXPECT_EQ(GetForegroundWindow(), notepad_.Main());
    for (const int key : {int{VK_CONTROL}, int{VK_MENU}, int{VK_SHIFT}, int{'C'}}) {
        EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << key;
    }

    const std::size_t stops = Count("request", "Stop");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F9);
    ASSERT_TRUE(WaitForCount("request", "Stop", stops + 1)) << "the second press did not stop";
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Count("request", "Speak"), speaks + 1);
}

TEST_F(ShortcutReading, AnEmptySettingMeansNoShortcut) {
    const HotkeySetting setting(L"");
    ASSERT_TRUE(notepad_.Ready());
    StartProgram();
    WaitForGreetingToEnd();
    notepad_.Select(L"Not to be read.", true);
    const std::size_t speaks = Count("request", "Speak");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F8);  // the default, which is off now
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks + 1, 1500ms));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(MessageOf(program_), L"");
}

TEST_F(ReadingE2E, AShortcutThatCannotBeUnderstoodIsSaidOnceAndTheProgramRuns) {
    const HotkeySetting setting(L"Ctrl+Banana");
    StartProgram();
    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = MessageOf(program_)).empty(); }, 20s));
    EXPECT_NE(message.find(L"\"Ctrl+Banana\""), std::wstring::npos);
    EXPECT_NE(message.find(L"\"Banana\" is not the name of a key"), std::wstring::npos);
    // The program goes on meanwhile: the greeting is spoken, the button answers.
    EXPECT_TRUE(WaitForCount("request", "Speak", 1));
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));

    ASSERT_NE(program_.WaitForFocusedWindowWithCaption(kApplicationTitle), nullptr);
    PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return MessageOf(program_).empty(); }));
    EXPECT_FALSE(PumpUntil([&] { return !MessageOf(program_).empty(); }, 1s)) << "said twice";
    EXPECT_TRUE(IsWindowVisible(program_.MainWindow()));
}

TEST_F(ReadingE2E, ASecondCopyOfTheProgramDoesNotTakeTheShortcutSilently) {
    const HotkeySetting setting(L"Ctrl+Alt+F9");
    StartProgram();
    EXPECT_EQ(MessageOf(program_), L"");

    ProgramUnderTest second;
    ASSERT_TRUE(second.Start());
    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = MessageOf(second)).empty(); }, 20s));
    EXPECT_NE(message.find(L"Ctrl+Alt+F9 is already taken"), std::wstring::npos);
    EXPECT_EQ(MessageOf(program_), L"");
}

}  // namespace
}  // namespace e2e
