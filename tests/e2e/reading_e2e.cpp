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

// Every script, and backslashes that must not act as tags, in one reading.
TEST_F(NotepadReading, ReadsTheSelectionInAnyScriptWithTheProfilesSpeedAndPitch) {
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead(kFastAndLow));
    const std::wstring text = L"Où êtes-vous ? Καλημέρα κόσμε, 你好世界 🌍 C:\\Spd=50\\ stays text";
    notepad_.Select(text, true);
    Click();
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1)) << "nothing was read";
    EXPECT_EQ(LastSpoken(), L"\\Spd=150\\\\Pit=90\\" + Escaped(text));
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(ClipboardComesBack());
    // A second click stops the reading; the character stays on screen.
    ExpectTheReadingStops();
    EXPECT_EQ(Count("request", "Hide"), 0u);
}

// The button draws itself, and a drawn button reports a quick second click as a double click:
// it stops the reading all the same.
TEST_F(NotepadReading, ADoubleClickReadsWithItsFirstClickAndStopsWithItsSecond) {
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead(kFastAndLow));
    notepad_.Select(L"A long sentence that is still being read when the second click comes.", true);
    const std::size_t stops = Count("request", "Stop");
    Click();
    Click();
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1));
    EXPECT_TRUE(WaitForCount("request", "Stop", stops + 1)) << "the second click was lost";
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_EQ(Count("request", "Speak"), speaks_ + 1);
}

TEST_F(NotepadReading, NoSelectionSpeaksNothingAndShowsTheIdlePicture) {
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
    notepad_.Select(L"nothing is selected", false);
    Click();
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }, 5s));
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks_ + 1, 1500ms));
    EXPECT_EQ(ClipboardText(), kOwnClipboard);
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
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead(kFastAndLow));
    notepad_.Select(L"Read from the keyboard.", true);
    ASSERT_EQ(GetForegroundWindow(), notepad_.Main());
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F7);
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks_ + 1)) << "the shortcut read nothing";
    EXPECT_EQ(LastSpoken(), L"\\Spd=150\\\\Pit=90\\Read from the keyboard.");
    EXPECT_TRUE(Busy());
    EXPECT_TRUE(ClipboardComesBack());
    // The person stays where they were, and no key is left down.
    EXPECT_EQ(GetForegroundWindow(), notepad_.Main());
    for (const int key : {int{VK_CONTROL}, int{VK_MENU}, int{VK_SHIFT}, int{'C'}}) {
        EXPECT_FALSE(GetAsyncKeyState(key) & 0x8000) << key;
    }
    ExpectTheReadingStops([] { PressShortcut({VK_CONTROL, VK_MENU}, VK_F7); });
    EXPECT_EQ(Count("request", "Speak"), speaks_ + 1);
}

TEST_F(ShortcutReading, AnEmptySettingMeansNoShortcut) {
    const HotkeySetting setting(L"");
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
    notepad_.Select(L"Not to be read.", true);
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F8);  // the default, which is off now
    EXPECT_FALSE(WaitForCount("request", "Speak", speaks_ + 1, 1500ms));
    EXPECT_TRUE(Idle());
    EXPECT_EQ(program_.MessageText(), L"");
}

// Each shortcut that cannot be had is named once, in one message; the others are not.
TEST_F(ReadingE2E, ShortcutsThatCannotBeUnderstoodOrShareKeysAreSaidOnceAndTheProgramRuns) {
    const HotkeySetting read(L"Ctrl+Banana");
    const HotkeySetting pause(L"Ctrl+Kiwi", L"PauseHotkey");
    const HotkeySetting faster(L"Ctrl+Shift+F7", L"FasterHotkey");
    const HotkeySetting slower(L"ctrl+shift+f7", L"SlowerHotkey");
    StartProgram();
    std::wstring message;
    ASSERT_TRUE(PumpUntil([&] { return !(message = program_.MessageText()).empty(); }, 20s));
    for (const wchar_t* part :
         {L"The reading shortcut \"Ctrl+Banana\"", L"\"Banana\" is not the name of a key",
          L"The pause shortcut \"Ctrl+Kiwi\"", L"\"Kiwi\" is not the name of a key",
          L"The slower shortcut Ctrl+Shift+F7 names the same keys as the faster shortcut"}) {
        EXPECT_NE(message.find(part), std::wstring::npos) << part;
    }
    EXPECT_EQ(message.find(L"The faster shortcut"), std::wstring::npos) << message;
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
