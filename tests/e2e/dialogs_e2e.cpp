// The settings dialogs and the About box of the running program, opened through the pop-up
// menu and its access keys and driven with real keys and mouse presses from outside.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "resources/dialogs_resource.h"
#include "shell/win32_util.h"

namespace e2e {
namespace {

// The profile as the program writes it.
std::string Profile(const std::string& character, const std::string& language,
                    const std::string& speed, const std::string& pitch) {
    return "\"Character=" + character + "\r\nLanguage=" + language + "\r\nSpeed=" + speed +
           "\r\nPitch=" + pitch + "\"\r\n";
}

// The same settings as a user might write them by hand.
std::string HandWritten(const std::string& speed, const std::string& pitch) {
    return "Character=Merlin\nLanguage=English\nSpeed=" + speed + "\nPitch=" + pitch + "\n";
}

int SliderPosition(HWND slider) {
    return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
}

std::vector<std::wstring> ListEntries(HWND list) {
    std::vector<std::wstring> entries;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

class DialogsE2E : public testing::Test {
protected:
    // Starts the program on a hand-written profile, chooses a menu command and waits for the
    // window it opens.
    HWND StartAndOpen(const std::string& profile, WORD accessKey, const wchar_t* caption) {
        program_.WriteProfile(profile);
        if (!program_.Start() || !program_.ChooseMenuCommand(accessKey)) return nullptr;
        return program_.WaitForWindowWithCaption(caption);
    }
    bool Gone(HWND window) {
        return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
    }
    bool FocusOn(HWND dialog, HWND control) {
        return WaitUntil([&] { return FocusedWindowOf(dialog) == control; });
    }
    // The profile once the program has written it after a dialog, compared as it stands.
    bool ProfileBecomes(const std::string& bytes) {
        return WaitUntil([&] { return program_.ReadProfile() == bytes; });
    }

    ProgramUnderTest program_;
};

TEST_F(DialogsE2E, SpeechConfigurationIsModalAndCancelRewritesTheProfileUnchanged) {
    HWND dialog = StartAndOpen(HandWritten("200", "300"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program_.MainWindow());
    EXPECT_FALSE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(FocusOn(dialog, GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"200");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LBLPITCH)), L"300");
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDSPEED)), 200);
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDPITCH)), 300);
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    PressKey(VK_END);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "200", "300")))
        << program_.ReadProfile().value_or("<none>");
}

TEST_F(DialogsE2E, SlidersMovedByKeyboardAndMouseThenOkWriteTheProfile) {
    HWND dialog = StartAndOpen(HandWritten("127", "127"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    HWND speed = GetDlgItem(dialog, IDC_SLDSPEED);
    HWND speedLabel = GetDlgItem(dialog, IDC_TXTSPEED);
    HWND pitchLabel = GetDlgItem(dialog, IDC_LBLPITCH);

    PressKey(VK_TAB);  // OK, Cancel, then the speed slider
    PressKey(VK_TAB);
    ASSERT_TRUE(FocusOn(dialog, speed));
    for (int i = 0; i < 3; ++i) PressKey(VK_RIGHT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(speedLabel) == L"130"; })) << TextOf(speedLabel);

    // A click on the channel right of the thumb moves it a large step.
    RECT track{};
    GetWindowRect(speed, &track);
    PressMouse({track.right - 8, (track.top + track.bottom) / 2}, MOUSEEVENTF_LEFTDOWN,
               MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(speedLabel) == L"135"; })) << TextOf(speedLabel);
    EXPECT_EQ(SliderPosition(speed), 135);

    // The pitch by keyboard alone: its label follows, and OK stores what it shows.
    PressKey(VK_TAB);
    ASSERT_TRUE(FocusOn(dialog, GetDlgItem(dialog, IDC_SLDPITCH)));
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    EXPECT_TRUE(WaitUntil([&] { return TextOf(pitchLabel) == L"125"; })) << TextOf(pitchLabel);

    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "135", "125")))
        << program_.ReadProfile().value_or("<none>");
}

TEST_F(DialogsE2E, AStoredSpeedOf300GivesTheRangeMessage) {
    HWND dialog = StartAndOpen(HandWritten("300", "127"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"300");
    EXPECT_EQ(SliderPosition(GetDlgItem(dialog, IDC_SLDSPEED)), 250);
    PressKey(VK_RETURN);
    HWND message = program_.WaitForWindowWithCaption(L"Configuration Error");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)),
              L"Talking speed out of range.\r\nPlease select a number from 50 - 250.");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(message));
    EXPECT_TRUE(IsWindowVisible(dialog));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(ProfileBecomes(Profile("Merlin", "English", "300", "127")));
}

// The choosers read the prefix's Agent folders, and the program stores what OK takes: the
// character once it has loaded it.
TEST_F(DialogsE2E, TheChoosersOfferWhatIsInstalledAndOkStoresTheChoice) {
    const struct {
        WORD accessKey;
        const wchar_t* caption;
        int listId;
        const wchar_t* installed;  // laid out in the prefix by the test script
        std::string (*profileFor)(const std::string& chosen);
    } choosers[] = {
        {'C', L"Select Character", IDC_LSTCHAR, L"Merlin",
         [](const std::string& chosen) { return Profile(chosen, "English", "127", "127"); }},
        {'S', L"Select Language", IDC_LSTLANGUAGE, L"French",
         [](const std::string& chosen) { return Profile("Merlin", chosen, "127", "127"); }},
    };
    for (const auto& c : choosers) {
        ProgramUnderTest program;
        program.WriteProfile(HandWritten("127", "127"));
        ASSERT_TRUE(program.Start() && program.ChooseMenuCommand(c.accessKey));
        HWND dialog = program.WaitForWindowWithCaption(c.caption);
        ASSERT_NE(dialog, nullptr) << c.caption;
        HWND list = GetDlgItem(dialog, c.listId);
        const std::vector<std::wstring> entries = ListEntries(list);
        ASSERT_NE(std::find(entries.begin(), entries.end(), c.installed), entries.end());
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << c.caption;
        EXPECT_TRUE(FocusOn(dialog, list)) << c.caption;
        // The last entry, chosen with the keyboard.
        PressKey(VK_END);
        PressKey(VK_RETURN);
        EXPECT_TRUE(Gone(dialog)) << c.caption;
        const std::string expected = c.profileFor(vocalinka::WideToUtf8(entries.back()));
        EXPECT_TRUE(WaitUntil([&] { return program.ReadProfile() == expected; }))
            << program.ReadProfile().value_or("<none>");
    }
}

// The two registry rows of the system information tool in the prefix, set for one test; their
// values are put back as they were.
class SysInfoRows {
public:
    SysInfoRows() {
        for (Row& row : rows_) {
            DWORD size = sizeof(row.before);
            row.existed =
                RegGetValueW(HKEY_LOCAL_MACHINE, row.key, row.value, RRF_RT_ANY | RRF_NOEXPAND,
                             &row.type, row.before, &size) == ERROR_SUCCESS;
            row.size = size;
        }
    }
    SysInfoRows(const SysInfoRows&) = delete;
    SysInfoRows& operator=(const SysInfoRows&) = delete;
    ~SysInfoRows() {
        for (const Row& row : rows_) {
            if (row.existed) {
                RegSetKeyValueW(HKEY_LOCAL_MACHINE, row.key, row.value, row.type, row.before,
                                row.size);
            } else {
                RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, row.key, row.value);
            }
        }
    }
    // Row 0: the tool's path; row 1: its folder.
    void Set(int index, const std::wstring& text) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, rows_[index].key, rows_[index].value, REG_SZ,
                        text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    void Remove(int index) {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, rows_[index].key, rows_[index].value);
    }

private:
    struct Row {
        const wchar_t* key;
        const wchar_t* value;
        bool existed = false;
        DWORD type = REG_NONE;
        BYTE before[2048] = {};
        DWORD size = 0;
    };
    Row rows_[2] = {{L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH"},
                    {L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO"}};
};

bool CopyMarkerProgram(const std::wstring& to) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L'\\'));  // tests\e2e
    path.resize(path.find_last_of(L'\\'));  // tests
    return CopyFileW((path + L"\\helpers\\marker_program.exe").c_str(), to.c_str(), FALSE);
}

bool FileAppears(const std::wstring& path) {
    return WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
                     10s);
}

TEST_F(DialogsE2E, AboutIsModelessAndSystemInfoTriesTheFirstRowThenTheSecond) {
    HWND about = StartAndOpen(HandWritten("127", "127"), 'A', L"About Vocalinka 'Parlemot'");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), program_.MainWindow());
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBLVERSION)), L"Version 1.0.0");
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(FocusOn(about, GetDlgItem(about, IDOK)));

    // The tools are copies of a program that leaves "<its path>.ran" when it runs.
    const std::wstring tool = program_.Folder() + L"\\sysinfo tool.exe";
    const std::wstring folderTool = program_.Folder() + L"\\MSINFO32.EXE";
    ASSERT_TRUE(CopyMarkerProgram(tool) && CopyMarkerProgram(folderTool));
    SysInfoRows rows;
    const POINT button = CentreOf(GetDlgItem(about, IDC_CMDSYSINFO));
    rows.Set(0, tool);
    rows.Set(1, program_.Folder());
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(tool + L".ran"));
    EXPECT_EQ(GetFileAttributesW((folderTool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);

    rows.Remove(0);
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(folderTool + L".ran"));

    rows.Set(1, program_.Folder() + L"\\nowhere");
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    HWND message = program_.WaitForWindowWithCaption(L"Vocalinka 'Parlemot'");
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)),
              L"System Information Is Unavailable At This Time");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(message));
    EXPECT_TRUE(IsWindowVisible(about));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(about));
    // Nothing is saved after About.
    EXPECT_EQ(program_.ReadProfile(), HandWritten("127", "127"));
}

}  // namespace
}  // namespace e2e
