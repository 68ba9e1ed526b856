#include "settings/agent_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vocalinka {
namespace {

// What each chooser offers for a file: a character for ".acs" files, a language for the two
// language components, both in any letter case; nothing for anything else.
TEST(AgentFiles, OfferCharactersAndLanguagesOnlyForTheirOwnFiles) {
    const struct {
        const char* file;
        std::optional<std::string> character;
        std::optional<std::string> language;
    } cases[] = {
        {"Genie.acs", "Genie", {}},
        {"x.ACS", "x", {}},
        {"Robby.AcS", "Robby", {}},
        {"Génie ☺.acs", "Génie ☺", {}},
        {"two.dots.acs", "two.dots", {}},
        {"AGT0409.DLL", {}, "English"},
        {"agt0409.dll", {}, "English"},
        {"AGT040C.DLL", {}, "French"},
        {"Agt040c.Dll", {}, "French"},
        {".acs", {}, {}},  // no name left
        {"acs", {}, {}},
        {"Genieacs", {}, {}},
        {"Genie.acs.bak", {}, {}},
        {"Genie.acf", {}, {}},
        {"readme.txt", {}, {}},
        {"AGT0407.DLL", {}, {}},
        {"AGT0409.DLL.old", {}, {}},
        {"XAGT0409.DLL", {}, {}},
        {"AGT0409", {}, {}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharacterNameOf(c.file), c.character) << c.file;
        EXPECT_EQ(LanguageOf(c.file), c.language) << c.file;
    }
}

}  // namespace
}  // namespace vocalinka
