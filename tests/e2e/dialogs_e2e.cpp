// The settings dialogs and the About box of the running program, opened through the pop-up
// menu and its access keys and driven with real keys and mouse presses from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "resources/dialogs_resource.h"
#include "ui/win32_util.h"

namespace e2e {

using namespace std::chrono_literals;
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

void PressKeys(std::initializer_list<WORD> keys) {
    for (const WORD key : keys) PressKey(key);
}

std::vector<std::wstring> ListEntries(HWND list) {
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[MAX_PATH] = {};
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

class DialogsE2E : public testing::Test {
protected:
    // Starts the program on this profile, chooses a menu command and waits for its window.
    HWND StartAndOpen(const std::string& profile, WORD accessKey, const wchar_t* caption) {
        program_.WriteProfile(profile);
        if (!program_.Start() || !program_.ChooseMenuCommand(accessKey)) return nullptr;
        return program_.WaitForFocusedWindowWithCaption(caption);
    }
    bool Gone(HWND window) {
        return PumpUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
    }
    bool FocusOn(HWND dialog, HWND control) {
        return PumpUntil([&] { return FocusedWindowOf(dialog) == control; });
    }
    // Waits for the program's message with this caption, expects its text and answers it with
    // Enter.
    void AnswerMessage(const wchar_t* caption, const std::wstring& text) {
        HWND message = program_.WaitForFocusedWindowWithCaption(caption);
        ASSERT_NE(message, nullptr) << caption;
        EXPECT_EQ(TextOf(GetDlgItem(message, 0xFFFF)), text);  // the message box's text
        PressKey(VK_RETURN);
        EXPECT_TRUE(Gone(message));
    }
    void ExpectProfileBecomes(const std::string& bytes) {
        EXPECT_TRUE(PumpUntil([&] { return program_.ReadProfile() == bytes; }))
            << program_.ReadProfile().value_or("<none>");
    }

    ProgramUnderTest program_;
};

// A refused speed gives the range message and the dialog stays; Escape then stores nothing,
// even after a slider moved, and the profile is rewritten as it stood.
TEST_F(DialogsE2E, SpeechConfigurationIsModalRefusesASpeedOf300AndEscapeStoresNothing) {
    HWND dialog = StartAndOpen(HandWritten("300", "300"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program_.MainWindow());
    EXPECT_FALSE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(FocusOn(dialog, GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"300");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LBLPITCH)), L"300");
    PressKey(VK_RETURN);
    ASSERT_NO_FATAL_FAILURE(
        AnswerMessage(L"Configuration Error",
                      L"Talking speed out of range.\r\nPlease select a number from 50 - 250."));
    EXPECT_TRUE(IsWindowVisible(dialog));
    PressKeys({VK_TAB, VK_TAB, VK_HOME, VK_ESCAPE});  // OK, Cancel, then the speed slider
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    ExpectProfileBecomes(Profile("Merlin", "English", "300", "300"));
}

TEST_F(DialogsE2E, SlidersMovedByKeyboardAndMouseThenOkWriteTheProfile) {
    HWND dialog = StartAndOpen(HandWritten("127", "127"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    HWND speed = GetDlgItem(dialog, IDC_SLDSPEED);
    HWND speedLabel = GetDlgItem(dialog, IDC_TXTSPEED);
    HWND pitchLabel = GetDlgItem(dialog, IDC_LBLPITCH);

    PressKeys({VK_TAB, VK_TAB});
    ASSERT_TRUE(FocusOn(dialog, speed));
    PressKeys({VK_RIGHT, VK_RIGHT, VK_RIGHT});
    EXPECT_TRUE(PumpUntil([&] { return TextOf(speedLabel) == L"130"; })) << TextOf(speedLabel);

    // A click on the channel right of the thumb moves it a large step.
    RECT track{};
    GetWindowRect(speed, &track);
    PressMouse({track.right - 8, (track.top + track.bottom) / 2}, MOUSEEVENTF_LEFTDOWN,
               MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(speedLabel) == L"135"; })) << TextOf(speedLabel);

    PressKey(VK_TAB);
    ASSERT_TRUE(FocusOn(dialog, GetDlgItem(dialog, IDC_SLDPITCH)));
    PressKeys({VK_LEFT, VK_LEFT});
    EXPECT_TRUE(PumpUntil([&] { return TextOf(pitchLabel) == L"125"; })) << TextOf(pitchLabel);

    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(dialog));
    ExpectProfileBecomes(Profile("Merlin", "English", "135", "125"));
}

// The choosers read the prefix's Agent folders, and the program stores what OK takes: the
// character once it has loaded it.
TEST_F(DialogsE2E, TheChoosersOfferWhatIsInstalledAndOkStoresTheChoice) {
    const struct {
        WORD accessKey;
        int listId;
        const wchar_t *caption, *installed;  // laid out in the prefix by the test script
    } choosers[] = {{'C', IDC_LSTCHAR, L"Select Character", L"Merlin"},
                    {'S', IDC_LSTLANGUAGE, L"Select Language", L"French"}};
    for (const auto& c : choosers) {
        ProgramUnderTest program;
        program.WriteProfile(HandWritten("127", "127"));
        ASSERT_TRUE(program.Start() && program.ChooseMenuCommand(c.accessKey));
        HWND dialog = program.WaitForFocusedWindowWithCaption(c.caption);
        ASSERT_NE(dialog, nullptr) << c.caption;
        HWND list = GetDlgItem(dialog, c.listId);
        const std::vector<std::wstring> entries = ListEntries(list);
        ASSERT_NE(std::find(entries.begin(), entries.end(), c.installed), entries.end());
        EXPECT_TRUE(FocusOn(dialog, list)) << c.caption;
        PressKeys({VK_END, VK_RETURN});  // the last entry
        EXPECT_TRUE(Gone(dialog)) << c.caption;
        const std::string chosen = vocalinka::WideToUtf8(entries.back());
        const std::string expected = c.listId == IDC_LSTCHAR
                                         ? Profile(chosen, "English", "127", "127")
                                         : Profile("Merlin", chosen, "127", "127");
        EXPECT_TRUE(PumpUntil([&] { return program.ReadProfile() == expected; }))
            << program.ReadProfile().value_or("<none>");
    }
}

// The two registry rows of the system information tool in the prefix, set for one test and
// put back as they were.
class SysInfoRows {
public:
    SysInfoRows() {
        for (Row& row : rows_) {
            row.existed =
                RegGetValueW(HKEY_LOCAL_MACHINE, row.key, row.value, RRF_RT_ANY | RRF_NOEXPAND,
                             &row.type, row.before, &row.size) == ERROR_SUCCESS;
        }
    }
    SysInfoRows(const SysInfoRows&) = delete;
    SysInfoRows& operator=(const SysInfoRows&) = delete;
    ~SysInfoRows() {
        for (const Row& row : rows_) {
            RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, row.key, row.value);
            if (row.existed) {
                RegSetKeyValueW(HKEY_LOCAL_MACHINE, row.key, row.value, row.type, row.before,
                                row.size);
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
        const wchar_t *key, *value;
        bool existed = false;
        DWORD type = REG_NONE;
        BYTE before[2048] = {};
        DWORD size = sizeof(before);
    };
    Row rows_[2] = {{L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH"},
                    {L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO"}};
};

bool CopyMarkerProgram(const std::wstring& to) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const auto tests = std::filesystem::path(self).parent_path().parent_path();
    return CopyFileW((tests / L"helpers" / L"marker_program.exe").c_str(), to.c_str(), FALSE);
}

bool FileAppears(const std::wstring& path) {
    return PumpUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
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
    ASSERT_NO_FATAL_FAILURE(
        AnswerMessage(L"Vocalinka 'Parlemot'", L"System Information Is Unavailable At This Time"));
    EXPECT_TRUE(IsWindowVisible(about));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(about));
    // Nothing is saved after About.
    EXPECT_EQ(program_.ReadProfile(), HandWritten("127", "127"));
}

}  // namespace
}  // namespace e2e
