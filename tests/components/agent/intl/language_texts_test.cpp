// The language components as built, read through agent_intl. CMake copies them, with a test
// component that lacks texts (AGT0411.DLL), into "intl_components" beside this program.
#include "agent/intl/language_texts.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "test_support/temporary_folder.h"
#include "test_support/test_files.h"

namespace agent::intl {
namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::wstring::npos;

// The built components beside the program, and a folder of broken ones made for each test.
class LanguageComponents : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string french = vocalinka::test::FileBytes(ComponentPath(built, kFrench));
        ASSERT_GT(french.size(), 1024u);
        const std::pair<const wchar_t*, std::string> files[] = {
            {L"AGT0409.DLL", "not a DLL"},
            {L"AGT0410.DLL", french.substr(0, 300)},
            {L"AGT0413.DLL", "MZ" + std::string(200, '\0')}};
        for (const auto& [name, bytes] : files) {
            vocalinka::test::SetFileBytes(scratch + L"\\" + name, bytes);
        }
    }

    static std::wstring ProgramPath() {
        wchar_t path[MAX_PATH];
        return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    }
    const std::wstring built = fs::path(ProgramPath()).replace_filename(L"intl_components");
    const vocalinka::test::TemporaryFolder temporary{L"agent-intl"};
    const std::wstring scratch = temporary.Path();
};

TEST_F(LanguageComponents, EachHoldsItsOwnTextsAndBuiltInEnglishMatchesItsComponent) {
    const TextsOrError english = LoadLanguageTexts(built, kEnglish);
    const TextsOrError french = LoadLanguageTexts(built, kFrench);
    ASSERT_TRUE(english.texts && french.texts) << english.error << french.error;
    // Written as UTF-8 in the .rc: the accent must survive as U+00E9, not as two bytes.
    EXPECT_EQ(french.texts->Get(TextId::CharacterName), L"Personnage anim\u00E9");
    const LanguageTexts builtIn = LanguageTexts::BuiltInEnglish();
    for (const TextId id : kTextIds) {
        EXPECT_EQ(builtIn.Get(id), english.texts->Get(id)) << unsigned(id);
        EXPECT_NE(french.texts->Get(id), english.texts->Get(id)) << unsigned(id);
    }
}

TEST_F(LanguageComponents, UnusableComponentsAreClearErrorsThatNameTheFile) {
    const std::wstring notADll = L"is damaged: it is not a DLL";
    const std::tuple<std::wstring, long, std::wstring> cases[] = {
        {scratch, kFrench, L"is not installed"},
        {scratch + L"\\nowhere", kFrench, L"is not installed"},
        {scratch, kEnglish, notADll},  // text
        {scratch, 0x0410, notADll},    // truncated
        {scratch, 0x0413, notADll},    // a bare MZ header
        {built, 0x0411, L"is damaged: text 2 is missing"}};
    for (const auto& [folder, language, says] : cases) {
        const TextsOrError loaded = LoadLanguageTexts(folder, language);
        EXPECT_FALSE(loaded.texts.has_value()) << language;
        EXPECT_NE(loaded.error.find(L"\"" + ComponentPath(folder, language) + L"\""), npos);
        EXPECT_NE(loaded.error.find(says), npos) << language << ": " << loaded.error;
    }
    for (const long notALanguage : {0L, 0x10000L}) {
        EXPECT_NE(LoadLanguageTexts(built, notALanguage).error.find(L"not a language id"), npos)
            << notALanguage;
    }
}

TEST_F(LanguageComponents, EnglishAlwaysWorksOtherLanguagesNeedTheirComponent) {
    for (const std::wstring& folder : {scratch + L"\\nowhere", scratch}) {  // none, corrupt
        const TextsOrError english = TextsForLanguage(folder, kEnglish);
        ASSERT_TRUE(english.texts && english.error.empty()) << english.error;
        EXPECT_EQ(english.texts->LanguageId(), kEnglish);
    }
    for (const long language : {kFrench, 0x0809L}) {  // English (UK) has no built-in texts
        EXPECT_NE(TextsForLanguage(scratch, language).error.find(L"is not installed"), npos);
    }
}

TEST_F(LanguageComponents, FileNamesAndTheDefaultFolder) {
    EXPECT_EQ(ComponentPath(L"C:\\Intl", 1036), L"C:\\Intl\\AGT040C.DLL");
    EXPECT_EQ(ComponentPath(L"C:\\Intl\\", 0xABCD), L"C:\\Intl\\AGTABCD.DLL");
    wchar_t windows[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(DefaultIntlFolder(), std::wstring(windows, length) + L"\\Msagent\\Intl");
}

}  // namespace
}  // namespace agent::intl
