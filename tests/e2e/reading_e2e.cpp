// Reading a selection in a real peer, Wine's notepad, with the program started as a separate
// process and observed from outside: its windows, the clipboard and the Agent trace.
#include <gtest/gtest.h>
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "clipboard_text.h"
#include "reading_fixture.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;

// The tests that read from notepad have one of their own.
class NotepadReading : public ReadingE2E {
protected:
    Notepad notepad_;
};

TEST_F(ReadingE2E, GreetsByNameWithTheBusyPictureUntilTheBalloonCloses) {
    StartProgram();
    EXPECT_TRUE(Busy());
    ASSERT_TRUE(WaitForCount("request", "Speak", 1));

    wchar_t user[256] = {};
    DWORD length = 255;
    if (WNetGetUserW(nullptr, user, &length) != NO_ERROR) user[0] = 0;
    wchar_t date[128] = {};
    GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_LONGDATE, nullptr, nullptr, date, 128, nullptr);
    std::wstring spokenName = user;  // backslashes are doubled, so that none acts as a tag
    for (std::size_t i = 0; (i = spokenName.find(L'\\', i)) != std::wstring::npos; i += 2) {
        spokenName.insert(i, 1, L'\\');
    }
    const auto speak = trace_.Find("request", "Speak").front();
    ASSERT_EQ(speak.args.size(), 1u);
    EXPECT_EQ(speak.args[0], L"Hello " + spokenName + L". Today is " + date + L".");
    EXPECT_EQ(speak.characterId, L"Merlin");
    ASSERT_EQ(trace_.Find("request", "LanguageID").size(), 1u);
    EXPECT_EQ(trace_.Find("request", "LanguageID")[0].args[0], L"1033");

    WaitForGreetingToEnd();
}

TEST_F(NotepadReading, ReadsTheSelectionInAnyScriptWithTheProfilesSpeedAndPitch) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram("\"Character=Merlin\r\nLanguage=English\r\nSpeed=150\r\nPitch=90\"\r\n");
    WaitForGreetingToEnd();

    std::size_t speaks = Count("request", "Speak");
    for (const std::wstring& text :
         {std::wstring(L"Good morning, reader."), std::wstring(L"Où êtes-vous ? À bientôt, Zoë."),
          std::wstring(L"Καλημέρα κόσμε, 你好世界 🌍"), std::wstring(L"C:\\Spd=50\\ stays text")}) {
        ASSERT_TRUE(SetClipboardText(L"the user's own clipboard"));
        notepad_.Select(text, true);
        Click();
        ASSERT_TRUE(WaitForCount("request", "Speak", ++speaks)) << "no reading of " << text.size();
        std::wstring escaped = text;
        for (std::size_t i = 0; (i = escaped.find(L'\\', i)) != std::wstring::npos; i += 2) {
            escaped.insert(i, 1, L'\\');
        }
        EXPECT_EQ(trace_.Find("request", "Speak").back().args.at(0),
                  L"\\Spd=150\\\\Pit=90\\" + escaped);
        EXPECT_TRUE(Busy());
        EXPECT_TRUE(PumpUntil([] { return ClipboardText() == L"the user's own clipboard"; }));

        // A second click stops the reading; the character stays on screen.
        const std::size_t stops = Count("request", "Stop");
        Click();
        ASSERT_TRUE(WaitForCount("request", "Stop", stops + 1));
        EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
        EXPECT_EQ(Count("request", "Hide"), 0u);
    }
}

TEST_F(NotepadReading, NoSelectionSpeaksNothingAndShowsTheIdlePicture) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram();
    WaitForGreetingToEnd();
    const std::size_t speaks = Count("request", "Speak");
    ASSERT_TRUE(SetClipboardText(L"kept"));
    notepad_.Select(L"nothing is selected", false);
    Click();
    EXPECT_TRUE(PumpUntil([&] { return Busy(); }, 1s));
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

}  // namespace
}  // namespace e2e
