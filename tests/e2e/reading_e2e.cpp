// Reading a selection in a real peer, Wine's notepad, with a click on the picture button or
// with the reading shortcut pressed as a person presses it. The program is started as a
// separate process and observed from outside: its windows, the clipboard and the Agent trace.
#include <gtest/gtest.h>
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "clipboard_text.h"
#include "reading_fixture.h"
#include "shortcut_keys.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;

constexpr char kFastAndLow[] =
    "\"Character=Merlin\r\nLanguage=English\r\nSpeed=150\r\nPitch=90\"\r\n";

// A text as the character is asked to say it: backslashes doubled, so that none acts as a tag.
std::wstring Escaped(std::wstring text) {
    for (std::size_t i = 0; (i = text.find(L'\\', i)) != std::wstring::npos; i += 2) {
        text.insert(i, 1, L'\\');
    }
    return text;
}

TEST_F(ReadingE2E, GreetsByNameWithTheBusyPictureUntilTheBalloonCloses) {
    StartProgram();
    EXPECT_TRUE(Busy());
    ASSERT_TRUE(WaitForCount("request", "Speak", 1));

    wchar_t user[256] = {};
    DWORD length = 255;
    if (WNetGetUserW(nullptr, user, &length) != NO_ERROR) user[0] = 0;
    wchar_t date[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 128, nullptr);
    const auto speak = trace_.Find("request", "Speak").front();
    ASSERT_EQ(speak.args.size(), 1u);
    EXPECT_EQ(speak.args[0], L"Hello " + Escaped(user) + L". Today is " + date + L".");
    EXPECT_EQ(speak.characterId, L"Merlin");
    const auto languages = trace_.Find("request", "LanguageID");
    ASSERT_EQ(languages.size(), 1u);
    EXPECT_EQ(languages[0].args.at(0), L"1033");

    WaitForGreetingToEnd();
}

TEST_F(NotepadReading, ReadsTheSelectionInAnyScriptWithTheProfilesSpeedAndPitch) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram(kFastAndLow);
    WaitForGreetingToEnd();

    std::size_t speaks = Count("request", "Speak");
    for (const std::wstring& text :
         {std::wstring(L"Good morning, reader."), std::wstring(L"Où êtes-vous ? À bientôt, Zoë."),
          std::wstring(L"Καλημέρα κόσμε, 你好世界 🌍"), std::wstring(L"C:\\Spd=50\\ stays text")}) {
        ASSERT_TRUE(KeepOwnClipboard());
        notepad_.Select(text, true);
        Click();
        ASSERT_TRUE(WaitForCount("request", "Speak", ++speaks)) << "no reading of " << text.size();
        EXPECT_EQ(LastSpoken(), L"\\Spd=150\\\\Pit=90\\" + Escaped(text));
        EXPECT_TRUE(Busy());
        EXPECT_TRUE(ClipboardComesBack());

        // A second click stops the reading; the character stays on screen.
        const std::size_t stops = Count("request", "Stop");
        Click();
        ASSERT_TRUE(WaitForCount("request", "Stop", stops + 1));
        EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
        EXPECT_EQ(Count("request", "Hide"), 0u);
    }
}

// The button draws itself, and a drawn button reports a quick second click as a double click:
// it stops the reading all the same.
TEST_F(NotepadReading, ADoubleClickReadsWithItsFirstClickAndStopsWithItsSecond) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram(kFastAndLow);
    WaitForGreetingToEnd();
    notepad_.Select(L"A long sentence that is still being read when the second click comes.", true);
    const std::size_t speaks = Count("request", "Speak");
    const std::size_t stops = Count("request", "Stop");
    const POINT centre = CentreOf(command1_);
    PressMouse(centre, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PressMouse(centre, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks + 1));
    EXPECT_TRUE(WaitForCount("request", "Stop", stops + 1)) << "the second click was lost";
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Count("request", "Speak"), speaks + 1);
}

TEST_F(NotepadReading, NoSelectionSpeaksNothingAndShowsTheIdlePicture) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram();
    WaitForGreetingToEnd();
    const std::size_t speaks = Count("request", "Speak");
    ASSERT_TRUE(SetClipboardText(L"kept"));
    notepad_.Select(L"nothing is selected", false);
    Click();
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks + 1, 1500ms));
    EXPECT_EQ(ClipboardText(), L"kept");
}

TEST_F(ReadingE2E, ACharacterSettingNamingNothingInstalledFallsBackToMerlin) {
    StartProgram("\"Character=Nobody\r\nLanguage=French\"\r\n");
    ASSERT_TRUE(WaitForCount("request", "Speak", 1));
    EXPECT_EQ(trace_.Find("request", "Speak").front().characterId, L"Merlin");
    const auto languages = trace_.Find("request", "LanguageID");
    ASSERT_FALSE(languages.empty());
    EXPECT_EQ(languages.front().args.at(0), L"1036");
    EXPECT_EQ(trace_.Find("request", "Speak").front().args.at(0).rfind(L"Bonjour ", 0), 0u);
    // Nothing is written at start-up: the fallback lives in memory until a setting is saved.
    EXPECT_EQ(program_.ReadProfile(), "\"Character=Nobody\r\nLanguage=French\"\r\n");
}

// The reading shortcut reads the selection of the window in front, a second press stops, and
// a shortcut that cannot be had is said once without stopping the program.
class ShortcutReading : public NotepadReading {};

TEST_F(ShortcutReading, ReadsTheWindowInFrontAndAPressDuringTheReadingStopsIt) {
    const HotkeySetting setting(L"Ctrl+Alt+F7");
    ASSERT_TRUE(notepad_.Ready());
    StartProgram(kFastAndLow);
    WaitForGreetingToEnd();

    ASSERT_TRUE(KeepOwnClipboard());
    notepad_.Select(L"Read from the keyboard.", true);
    ASSERT_EQ(GetForegroundWindow(), notepad_.Main());
    const std::size_t speaks = Count("request", "Speak");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F7);
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks + 1)) << "the shortcut read nothing";
    EXPECT_EQ(LastSpoken(), L"\\Spd=150\\\\Pit=90\\Read from the keyboard.");
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(ClipboardComesBack());
    // The person stays where they were, and no key is left down.
    EXPECT_EQ(GetForegroundWindow(), notepad_.Main());
    for (const int key : {int{VK_CONTROL}, int{VK_MENU}, int{VK_SHIFT}, int{'C'}}) {
        EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << key;
    }

    const std::size_t stops = Count("request", "Stop");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F7);
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
    EXPECT_EQ(program_.MessageText(), L"");
}

TEST_F(ReadingE2E, AShortcutThatCannotBeUnderstoodIsSaidOnceAndTheProgramRuns) {
    const HotkeySetting setting(L"Ctrl+Banana");
    StartProgram();
    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = program_.MessageText()).empty(); }, 20s));
    EXPECT_NE(message.find(L"\"Ctrl+Banana\""), std::wstring::npos);
    EXPECT_NE(message.find(L"\"Banana\" is not the name of a key"), std::wstring::npos);
    // The program goes on meanwhile: the greeting is spoken, the button answers.
    EXPECT_TRUE(WaitForCount("request", "Speak", 1));
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));

    EXPECT_EQ(program_.AnswerMessage(), message);
    EXPECT_FALSE(PumpUntil([&] { return !program_.MessageText().empty(); }, 1s)) << "said twice";
    EXPECT_TRUE(IsWindowVisible(program_.MainWindow()));
}

TEST_F(ReadingE2E, ASecondCopyOfTheProgramDoesNotTakeTheShortcutSilently) {
    const HotkeySetting setting(L"Ctrl+Alt+F7");
    StartProgram();
    EXPECT_EQ(program_.MessageText(), L"");

    ProgramUnderTest second;
    ASSERT_TRUE(second.Start());
    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = second.MessageText()).empty(); }, 20s));
    EXPECT_NE(message.find(L"Ctrl+Alt+F7 is already taken"), std::wstring::npos);
    EXPECT_EQ(program_.MessageText(), L"");
}

}  // namespace
}  // namespace e2e
