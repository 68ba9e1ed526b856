// vocalinka.exe started while another program holds its profile without read sharing, as a
// virus scanner may: the speech dialog's save keeps the settings the program could not read.
#include <gtest/gtest.h>
#include <windows.h>

#include "program_under_test.h"
#include "resources/dialogs_resource.h"
#include "settings/profile.h"
#include "win32util/handles.h"

namespace {

using e2e::ProgramUnderTest;
using e2e::PumpUntil;

std::string FileOf(const vocalinka::ProfileSettings& settings) {
    return vocalinka::QuotedRecord(vocalinka::ProfileText(settings));
}

TEST(ProfileE2E, ProfileHeldAtStartKeepsThePersonsSettingsWhenTheSpeechDialogSaves) {
    ProgramUnderTest program;
    program.WriteProfile(FileOf({"Merlin", "French", "90", "80"}));
    {
        const win32util::UniqueFile scanner(CreateFileW(program.ProfilePath().c_str(), GENERIC_READ,
                                                        0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(scanner.Valid());
        ASSERT_TRUE(program.Start());
    }
    ASSERT_TRUE(program.ChooseMenuCommand('P'));
    HWND dialog = program.WaitForFocusedWindowWithCaption(L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    // The program started on the defaults; the person moves the speed one step.
    EXPECT_EQ(e2e::TextOf(GetDlgItem(dialog, IDC_TXTSPEED)), L"127");
    HWND speed = GetDlgItem(dialog, IDC_SLDSPEED);
    e2e::PressKey(VK_TAB);
    e2e::PressKey(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return e2e::FocusedWindowOf(dialog) == speed; }));
    e2e::PressKey(VK_RIGHT);
    ASSERT_TRUE(PumpUntil([&] { return e2e::TextOf(GetDlgItem(dialog, IDC_TXTSPEED)) == L"128"; }));
    e2e::PressKey(VK_RETURN);
    const std::string expected = FileOf({"Merlin", "French", "128", "80"});
    EXPECT_TRUE(PumpUntil([&] { return program.ReadProfile() == expected; }))
        << program.ReadProfile().value_or("<none>");
    EXPECT_TRUE(program.Close());
}

}  // namespace
