// The settings dialogs and the About box of the running program, opened through the pop-up
// menu and its access keys and driven with real keys and mouse presses from outside.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "program_under_test.h"
#include "resources/dialogs_resource.h"
#include "test_support/profile_record.h"
#include "test_support/test_files.h"
#include "win32util/text.h"

namespace e2e {

using namespace std::chrono_literals;
using vocalinka::test::SavedProfile;
namespace {

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

// Starts the program on this profile, chooses a menu command and waits for its window.
HWND StartAndOpen(ProgramUnderTest& program, const std::string& profile, WORD accessKey,
                  const wchar_t* caption) {
    program.WriteProfile(profile);
    return program.Start() ? program.OpenFromMenu(accessKey, caption) : nullptr;
}

bool FocusOn(HWND dialog, HWND control) {
    return PumpUntil([&] { return FocusedWindowOf(dialog) == control; });
}

void ExpectProfileBecomes(const ProgramUnderTest& program, const std::string& bytes) {
    EXPECT_TRUE(PumpUntil([&] { return program.ReadProfile() == bytes; }))
        << program.ReadProfile().value_or("<none>");
}

class DialogsE2E : public testing::Test {
protected:
    ProgramUnderTest program_;
};

// A refused speed gives the range message and the dialog stays; Escape then stores nothing,
// even after a slider moved, and the profile is rewritten as it stood.
TEST_F(DialogsE2E, SpeechConfigurationIsModalRefusesASpeedOf300AndEscapeStoresNothing) {
    HWND dialog = StartAndOpen(program_, HandWritten("300", "300"), 'P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), program_.MainWindow());
    EXPECT_FALSE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(FocusOn(dialog, GetDlgItem(dialog, IDOK)));
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"300");
    EXPECT_EQ(TextOf(GetDlgItem(dialog, IDC_LBLPITCH)), L"300");
    PressKey(VK_RETURN);
    EXPECT_EQ(program_.AnswerMessage(L"Configuration Error"),
              L"Talking speed out of range.\r\nPlease select a number from 50 - 250.");
    EXPECT_TRUE(IsWindowVisible(dialog));
    PressKeys({VK_TAB, VK_TAB, VK_HOME, VK_ESCAPE});  // OK, Cancel, then the speed slider
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    ExpectProfileBecomes(program_, SavedProfile({"Merlin", "English", "300", "300"}));
}

TEST_F(DialogsE2E, SlidersMovedByKeyboardAndMouseThenOkWriteTheProfile) {
    HWND dialog = StartAndOpen(program_, HandWritten("127", "127"), 'P', L"Speech Configuration");
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
    ExpectProfileBecomes(program_, SavedProfile({"Merlin", "English", "135", "125"}));
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
        HWND dialog = StartAndOpen(program, HandWritten("127", "127"), c.accessKey, c.caption);
        ASSERT_NE(dialog, nullptr) << c.caption;
        HWND list = GetDlgItem(dialog, c.listId);
        const std::vector<std::wstring> entries = ListEntries(list);
        ASSERT_NE(std::find(entries.begin(), entries.end(), c.installed), entries.end());
        EXPECT_TRUE(FocusOn(dialog, list)) << c.caption;
        PressKeys({VK_END, VK_RETURN});  // the last entry
        EXPECT_TRUE(Gone(dialog)) << c.caption;
        const std::string chosen = win32util::WideToUtf8(entries.back());
        ExpectProfileBecomes(program, c.listId == IDC_LSTCHAR
                                          ? SavedProfile({chosen, "English", "127", "127"})
                                          : SavedProfile({"Merlin", chosen, "127", "127"}));
    }
}

bool CopyMarkerProgram(const std::wstring& to) {
    return CopyFileW(vocalinka::test::HelperProgram(L"marker_program.exe").c_str(), to.c_str(),
                     FALSE);
}

bool FileAppears(const std::wstring& path) {
    return PumpUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

TEST_F(DialogsE2E, AboutIsModelessAndSystemInfoTriesTheFirstRowThenTheSecond) {
    HWND about =
        StartAndOpen(program_, HandWritten("127", "127"), 'A', L"About Vocalinka 'Parlemot'");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(GetWindow(about, GW_OWNER), program_.MainWindow());
    EXPECT_EQ(TextOf(GetDlgItem(about, IDC_LBLVERSION)), L"Version 1.0.0");
    EXPECT_TRUE(IsWindowEnabled(program_.MainWindow()));
    EXPECT_TRUE(FocusOn(about, GetDlgItem(about, IDOK)));

    // The tools are copies of a program that leaves "<its path>.ran" when it runs.
    const std::wstring tool = program_.Folder() + L"\\sysinfo tool.exe";
    const std::wstring folderTool = program_.Folder() + L"\\MSINFO32.EXE";
    ASSERT_TRUE(CopyMarkerProgram(tool) && CopyMarkerProgram(folderTool));
    // The system information tool's two rows in the prefix's registry: its path, its folder.
    const ScopedRegistryValue toolPath(HKEY_LOCAL_MACHINE,
                                       L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", L"PATH");
    const ScopedRegistryValue toolFolder(HKEY_LOCAL_MACHINE,
                                         L"SOFTWARE\\Microsoft\\Shared Tools Location", L"MSINFO");
    const POINT button = CentreOf(GetDlgItem(about, IDC_CMDSYSINFO));
    toolPath.Set(tool);
    toolFolder.Set(program_.Folder());
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(tool + L".ran"));
    EXPECT_EQ(GetFileAttributesW((folderTool + L".ran").c_str()), INVALID_FILE_ATTRIBUTES);

    toolPath.Remove();
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(FileAppears(folderTool + L".ran"));

    toolFolder.Set(program_.Folder() + L"\\nowhere");
    PressMouse(button, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(program_.AnswerMessage(), L"System Information Is Unavailable At This Time");
    EXPECT_TRUE(IsWindowVisible(about));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(Gone(about));
    // Nothing is saved after About.
    EXPECT_EQ(program_.ReadProfile(), HandWritten("127", "127"));
}

}  // namespace
}  // namespace e2e
