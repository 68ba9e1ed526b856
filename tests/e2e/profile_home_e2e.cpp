// The program started from a folder it cannot write into, as Program Files is for a person:
// its settings are saved in the person's application data, starting from the profile beside
// the program. The test script provides the folder (a read-only bind mount: Wine as root
// ignores the permissions of files) in VOCALINKA_READONLY_PROGRAM.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "program_under_test.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;

std::optional<std::wstring> ReadOnlyProgramFolder() {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"VOCALINKA_READONLY_PROGRAM", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::wstring(folder, length);
}

std::wstring RoamingProfile() {
    wchar_t* roaming = nullptr;
    SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming);
    const std::wstring path = std::wstring(roaming ? roaming : L"") + L"\\Vocalinka\\profile.pfl";
    CoTaskMemFree(roaming);
    return path;
}

std::optional<std::string> Contents(const std::wstring& path) {
    std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ProfileHomeE2E, AProgramFolderThatCannotBeWrittenKeepsTheSettingsInApplicationData) {
    const std::optional<std::wstring> folder = ReadOnlyProgramFolder();
    if (!folder) GTEST_SKIP() << "scripts/test.sh provides the read-only program folder";
    const std::wstring roaming = RoamingProfile();
    DeleteFileW(roaming.c_str());
    const std::optional<std::string> beside = Contents(*folder + L"\\profile.pfl");
    ASSERT_TRUE(beside.has_value());

    {
        ProgramUnderTest program(*folder);
        ASSERT_TRUE(program.Start());
        // OK in the speech configuration saves, as every settings dialog does.
        ASSERT_TRUE(program.ChooseMenuCommand('P'));
        ASSERT_NE(program.WaitForFocusedWindowWithCaption(L"Speech Configuration"), nullptr);
        PressKey(VK_RETURN);
        EXPECT_TRUE(PumpUntil([&] { return Contents(roaming).has_value(); }, 10s))
            << "nothing was saved in the application data";
        EXPECT_EQ(program.FindWindowOfClass(L"#32770"), nullptr) << "a save failure was shown";
        EXPECT_TRUE(program.Close());
    }
    // The settings beside the program were the starting values, written byte for byte.
    EXPECT_EQ(Contents(roaming), beside);
    EXPECT_EQ(Contents(*folder + L"\\profile.pfl"), beside);
    DeleteFileW(roaming.c_str());
}

}  // namespace
}  // namespace e2e
