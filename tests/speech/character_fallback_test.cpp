// Which character start-up loads when the Character setting names nothing loadable.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>

#include "shell/win32_util.h"
#include "speech/character_win.h"

namespace vocalinka {
namespace {

// Loads only the names it was told are good, and remembers every attempt.
class FakeCharacters : public agent::CharacterCollection {
public:
    explicit FakeCharacters(std::set<std::wstring> loadable) : loadable_(std::move(loadable)) {}
    void Load(const std::wstring& id, const std::wstring& path) override {
        attempts.push_back(id);
        paths.push_back(path);
        if (!loadable_.count(id)) throw agent::Error(L"cannot load " + id);
    }
    agent::Character& Item(const std::wstring&) override { throw agent::Error(L"unused"); }
    void Unload(const std::wstring&) override {}
    std::vector<std::wstring> attempts;
    std::vector<std::wstring> paths;

private:
    std::set<std::wstring> loadable_;
};

class CharacterFallback : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        windows_ =
            std::wstring(temp) + L"vocalinka-windows-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(windows_.c_str(), nullptr);
        CreateDirectoryW((windows_ + L"\\Msagent").c_str(), nullptr);
        CreateDirectoryW(CharacterFolder(windows_).c_str(), nullptr);
        for (const wchar_t* file : {L"Robby.acs", L"Pip.ACS", L"notes.txt"}) {
            std::ofstream(WideToUtf8(CharacterFolder(windows_) + L"\\" + file)) << "x";
        }
    }
    void TearDown() override {
        for (const wchar_t* file : {L"Robby.acs", L"Pip.ACS", L"notes.txt"}) {
            DeleteFileW((CharacterFolder(windows_) + L"\\" + file).c_str());
        }
        RemoveDirectoryW(CharacterFolder(windows_).c_str());
        RemoveDirectoryW((windows_ + L"\\Msagent").c_str());
        RemoveDirectoryW(windows_.c_str());
    }
    std::wstring windows_;
};

TEST_F(CharacterFallback, TakesTheSettingThenMerlinThenTheInstalledCharacters) {
    FakeCharacters good({L"Genie", L"Merlin", L"Robby"});
    EXPECT_EQ(LoadCharacterOrFallback(good, windows_, L"Genie"), L"Genie");
    EXPECT_EQ(good.paths.front(), windows_ + L"\\Msagent\\Chars\\Genie.acs");

    FakeCharacters merlin({L"Merlin", L"Robby"});
    EXPECT_EQ(LoadCharacterOrFallback(merlin, windows_, L"Nobody"), L"Merlin");

    FakeCharacters installed({L"Pip"});
    EXPECT_EQ(LoadCharacterOrFallback(installed, windows_, L"Nobody"), L"Pip");
    // Not a path outside the folder, and no name tried twice.
    FakeCharacters outside({L"Pip"});
    LoadCharacterOrFallback(outside, windows_, L"..\\..\\Merlin");
    for (const auto& name : outside.attempts) EXPECT_EQ(name.find(L'\\'), std::wstring::npos);
    EXPECT_EQ(std::set<std::wstring>(outside.attempts.begin(), outside.attempts.end()).size(),
              outside.attempts.size());
}

TEST_F(CharacterFallback, NoneLoadableIsAnErrorThatNamesTheFolder) {
    FakeCharacters none({});
    try {
        LoadCharacterOrFallback(none, windows_, L"Merlin");
        FAIL() << "a character was reported loaded";
    } catch (const agent::Error& error) {
        EXPECT_NE(error.Message().find(CharacterFolder(windows_)), std::wstring::npos);
    }
}

}  // namespace
}  // namespace vocalinka
