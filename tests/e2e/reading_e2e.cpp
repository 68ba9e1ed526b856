// Reading a selection in a real peer, Wine's notepad, with the program started as a separate
// process and observed from outside: its windows, the clipboard and the Agent trace.
#include <gtest/gtest.h>
#include <windows.h>
#include <winnetwk.h>

#include <string>

#include "clipboard_text.h"
#include "program_under_test.h"
#include "trace_reader.h"

namespace e2e {
namespace {

using test_clipboard::ClipboardText;
using test_clipboard::SetClipboardText;

class Notepad {
public:
    Notepad() {
        std::wstring command = L"notepad.exe";
        STARTUPINFOW startup{sizeof(startup)};
        if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process_)) {
            // This notepad's window: one of an earlier test may still be closing.
            WaitUntil(
                [this] {
                    main_ = VisibleWindowOf(process_.dwProcessId, L"Notepad");
                    return main_ && (edit_ = FindWindowExW(main_, nullptr, L"Edit", nullptr));
                },
                20s);
        }
    }
    ~Notepad() {
        if (process_.hProcess) {
            TerminateProcess(process_.hProcess, 0);
            WaitForSingleObject(process_.hProcess, 5000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    bool Ready() const { return edit_ != nullptr; }
    // The user types the text, selects it (or not), and keeps working in notepad.
    void Select(const std::wstring& text, bool all) const {
        SendMessageW(edit_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(edit_, EM_SETSEL, 0, all ? -1 : 0);
        SetForegroundWindow(main_);
        WaitUntil([this] { return GetForegroundWindow() == main_; }, 2s);
    }

private:
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
    HWND edit_ = nullptr;
};

class ReadingE2E : public testing::Test {
protected:
    void StartProgram(const std::string& profile = {}) {
        if (!profile.empty()) program_.WriteProfile(profile);
        ASSERT_TRUE(program_.Start());
        command1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
        image1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Static", nullptr);
        image2_ = FindWindowExW(program_.MainWindow(), image1_, L"Static", nullptr);
    }
    bool Busy() const {
        return SendMessageW(command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
               SendMessageW(image2_, STM_GETIMAGE, IMAGE_BITMAP, 0);
    }
    bool Idle() const {
        return SendMessageW(command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
               SendMessageW(image1_, STM_GETIMAGE, IMAGE_BITMAP, 0);
    }
    std::size_t Count(const std::string& kind, const std::string& name) const {
        return trace_.Find(kind, name).size();
    }
    bool WaitForCount(const std::string& kind, const std::string& name, std::size_t count,
                      std::chrono::milliseconds timeout = 20s) const {
        return WaitUntil([&] { return Count(kind, name) >= count; }, timeout);
    }
    void Click() const {
        PressMouse(CentreOf(command1_), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    }
    // Waits for the greeting to end, so that a reading starts from the idle picture.
    void WaitForGreetingToEnd() const {
        ASSERT_TRUE(WaitForCount("event", "BalloonHide", 1, 30s));
        ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
    }

    Trace trace_;  // before the program, which reads the setting when it starts
    ProgramUnderTest program_;
    Notepad notepad_;
    HWND command1_ = nullptr;
    HWND image1_ = nullptr;
    HWND image2_ = nullptr;
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

TEST_F(ReadingE2E, ReadsTheSelectionInAnyScriptWithTheProfilesSpeedAndPitch) {
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
        EXPECT_TRUE(WaitUntil([] { return ClipboardText() == L"the user's own clipboard"; }));

        // A second click stops the reading; the character stays on screen.
        const std::size_t stops = Count("request", "Stop");
        Click();
        ASSERT_TRUE(WaitForCount("request", "Stop", stops + 1));
        EXPECT_TRUE(WaitUntil([&] { return Idle(); }));
        EXPECT_EQ(Count("request", "Hide"), 0u);
    }
}

TEST_F(ReadingE2E, NoSelectionSpeaksNothingAndShowsTheIdlePicture) {
    ASSERT_TRUE(notepad_.Ready());
    StartProgram();
    WaitForGreetingToEnd();
    const std::size_t speaks = Count("request", "Speak");
    ASSERT_TRUE(SetClipboardText(L"kept"));
    notepad_.Select(L"nothing is selected", false);
    Click();
    EXPECT_TRUE(WaitUntil([&] { return Busy(); }, 1s));
    EXPECT_TRUE(WaitUntil([&] { return Idle(); }, 5s));
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
