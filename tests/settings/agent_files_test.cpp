#include "settings/agent_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "characters/character_names.h"

namespace vocalinka {
namespace {

// What each chooser offers for a file: a character for ".acs" files, a language for the two
// language components, both in any letter case; nothing for anything else.
TEST(AgentFiles, OfferCharactersAndLanguagesOnlyForTheirOwnFiles) {
    const std::pair<const char*, const char*> characters[] = {{"Genie.acs", "Genie"},
                                                              {"Robby.AcS", "Robby"},
                                                              {"Génie ☺.acs", "Génie ☺"},
                                                              {"two.dots.acs", "two.dots"}};
    const std::pair<const char*, const char*> languages[] = {{"agt0409.dll", "English"},
                                                             {"Agt040c.Dll", "French"}};
    for (const auto& [file, name] : characters) {
        EXPECT_EQ(CharacterNameOf(file), name);
        EXPECT_EQ(LanguageOf(file), std::nullopt) << file;
    }
    for (const auto& [file, language] : languages) {
        EXPECT_EQ(LanguageOf(file), language);
        EXPECT_EQ(CharacterNameOf(file), std::nullopt) << file;
    }
    for (const char* file : {".acs", "Genieacs", "Genie.acs.bak", "AGT0407.DLL", "AGT0409.DLL.old",
                             "XAGT0409.DLL", "AGT0409", ""}) {
        EXPECT_EQ(CharacterNameOf(file), std::nullopt) << file;
        EXPECT_EQ(LanguageOf(file), std::nullopt) << file;
    }
}

}  // namespace
}  // namespace vocalinka
