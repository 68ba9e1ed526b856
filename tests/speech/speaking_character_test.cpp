// Which character is loaded at start-up and after a change, and its language: the character
// the program speaks through, against a stand-in Agent collection.
#include "speech/speaking_character.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "characters/character_folder_win.h"
#include "speech/character_win.h"
#include "test_support/temporary_folder.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

using win32util::WideToUtf8;

// Records its language and voice; French only when that component is "installed".
class FakeCharacter : public agent::Character {
public:
    explicit FakeCharacter(bool french) : french_(french) {}
    void Show() override {}
    void Hide() override {}
    void Speak(std::wstring_view) override {}
    void Stop() override {}
    void Pause() override {}
    void Resume() override {}
    bool IsPaused() const override { return false; }
    void SetRate(int) override {}
    void SetLanguageID(long languageId) override {
        if (languageId == 1036 && !french_) throw agent::Error(L"no French component");
        languageId_ = languageId;
    }
    long LanguageID() const override { return languageId_; }
    void SetTTSModeID(std::wstring_view modeId) override { modeId_ = modeId; }
    std::wstring TTSModeID() const override { return modeId_; }

private:
    bool french_;
    long languageId_ = 1033;
    std::wstring modeId_ = L"english voice";
};

// Loads only the names it was told are good, and remembers every attempt.
class FakeCharacters : public agent::CharacterCollection {
public:
    explicit FakeCharacters(std::set<std::wstring> loadable, bool french = true)
        : loadable_(std::move(loadable)), french_(french) {}
    void Load(const std::wstring& id, const std::wstring& path) override {
        attempts.push_back(id);
        paths.push_back(path);
        if (!loadable_.count(id)) throw agent::Error(L"cannot load " + id);
        loaded.try_emplace(id, french_);
    }
    agent::Character& Item(const std::wstring& id) override {
        const auto found = loaded.find(id);
        if (found == loaded.end()) throw agent::Error(id + L" is not loaded");
        return found->second;
    }
    void Unload(const std::wstring& id) override { loaded.erase(id); }
    std::vector<std::wstring> attempts;
    std::vector<std::wstring> paths;
    std::map<std::wstring, FakeCharacter> loaded;

private:
    std::set<std::wstring> loadable_;
    bool french_;
};

class CharacterFallback : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring characters = CharacterFolder(windows_);
        std::filesystem::create_directories(characters);
        for (const wchar_t* file : {L"Robby.acs", L"Pip.ACS", L"notes.txt"}) {
            std::ofstream(WideToUtf8(characters + L"\\" + file)) << "x";
        }
    }
    const test::TemporaryFolder windowsFolder_{L"windows"};
    const std::wstring windows_ = windowsFolder_.Path();
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

TEST_F(CharacterFallback, ExchangeKeepsThePreviousCharacterWhenTheChosenOneFails) {
    FakeCharacters characters({L"Merlin", L"Robby"});
    SpeakingCharacter character(characters, windows_);
    ASSERT_EQ(character.Load(L"Merlin"), L"Merlin");

    character.Unload();
    EXPECT_EQ(character.Current(), nullptr);
    EXPECT_FALSE(characters.loaded.count(L"Merlin"));
    SpeakingCharacter::Exchange exchange = character.LoadInstead(L"Robby", L"Merlin");
    EXPECT_EQ(exchange.loaded, L"Robby");
    EXPECT_TRUE(exchange.failure.empty());
    EXPECT_EQ(character.Current(), &characters.loaded.at(L"Robby"));

    struct Case {
        const wchar_t* chosen;
        const wchar_t* reason;  // what the message says of the chosen one
    };
    for (const Case& c : {Case{L"Genie", L"cannot load Genie"},
                          Case{L"..\\..\\Genie", L"is not the name of a character"},
                          Case{L"", L"is not the name of a character"}}) {
        character.Unload();
        characters.attempts.clear();
        exchange = character.LoadInstead(c.chosen, L"Robby");
        EXPECT_EQ(exchange.loaded, L"Robby") << c.chosen;
        EXPECT_EQ(character.Current(), &characters.loaded.at(L"Robby"));
        EXPECT_NE(exchange.failure.find(L"\"" + std::wstring(c.chosen) +
                                        L"\" could not be loaded, so Robby stays."),
                  std::wstring::npos)
            << exchange.failure;
        EXPECT_NE(exchange.failure.find(c.reason), std::wstring::npos) << exchange.failure;
        // A name that is no character's is never looked for as a file.
        for (const auto& path : characters.paths) {
            EXPECT_EQ(path.find(L"..\\..\\"), std::wstring::npos);
        }
    }
}

TEST_F(CharacterFallback, ExchangeFallsBackAsStartUpDoesAndFailsOnlyWhenNothingLoads) {
    // Neither the chosen nor the previous character loads now: an installed one comes.
    FakeCharacters onlyRobby({L"Robby"});
    SpeakingCharacter other(onlyRobby, windows_);
    EXPECT_EQ(other.LoadInstead(L"Genie", L"Pip").loaded, L"Robby");

    FakeCharacters none({});
    SpeakingCharacter nothing(none, windows_);
    EXPECT_THROW(nothing.LoadInstead(L"Genie", L"Pip"), agent::Error);
    EXPECT_EQ(nothing.Current(), nullptr);
}

TEST_F(CharacterFallback, LanguageAndVoiceChangeTogetherOrNotAtAll) {
    for (const bool frenchInstalled : {true, false}) {
        FakeCharacters characters({L"Merlin"}, frenchInstalled);
        SpeakingCharacter character(characters, windows_);
        character.Load(L"Merlin");
        const std::wstring greeting = character.Greet("French", L"anna");
        EXPECT_EQ(greeting.rfind(L"Bonjour anna. ", 0), 0u) << greeting;
        const agent::Character& merlin = *character.Current();
        if (frenchInstalled) {
            EXPECT_EQ(merlin.LanguageID(), 1036);
            EXPECT_EQ(merlin.TTSModeID(), L"{0879A4E1-A92C-11D1-B17B-0020AFED142E}");
        } else {
            EXPECT_EQ(merlin.LanguageID(), 1033);
            EXPECT_EQ(merlin.TTSModeID(), L"english voice");
        }
        // A setting that names no language changes nothing and greets with nothing.
        EXPECT_EQ(character.Greet("french", L"anna"), L"");
        // English, always installed, brings its own language and voice.
        EXPECT_EQ(character.Greet("English", L"anna").rfind(L"Hello anna. ", 0), 0u);
        EXPECT_EQ(merlin.LanguageID(), 1033);
        EXPECT_EQ(merlin.TTSModeID(), L"{c77c5160-2867-11d0-847B-444553540000}");
    }
}

}  // namespace
}  // namespace vocalinka
