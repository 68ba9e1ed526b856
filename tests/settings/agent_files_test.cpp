#include "settings/agent_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vocalinka {
namespace {

TEST(CharacterNameOf, OffersOnlyFilesEndingInAcs) {
    const struct {
        const char* file;
        std::optional<std::string> name;
    } cases[] = {
        {"Genie.acs", "Genie"},
        {"Merlin.acs", "Merlin"},
        {"x.ACS", "x"},
        {"Robby.AcS", "Robby"},
        {"Génie ☺.acs", "Génie ☺"},
        {"two.dots.acs", "two.dots"},
        {"readme.txt", std::nullopt},
        {"Genie.acs.bak", std::nullopt},
        {"Genie.acf", std::nullopt},
        {"Genieacs", std::nullopt},
        {".acs", std::nullopt},  // no name left
        {"acs", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(CharacterNameOf(c.file), c.name) << c.file;
}

TEST(LanguageOf, KnowsTheTwoComponentsInAnyLetterCase) {
    const struct {
        const char* file;
        std::optional<std::string> language;
    } cases[] = {
        {"AGT0409.DLL", "English"},
        {"agt0409.dll", "English"},
        {"Agt0409.Dll", "English"},
        {"AGT040C.DLL", "French"},
        {"agt040c.dll", "French"},
        {"AGT040c.dll", "French"},
        {"AGT0407.DLL", std::nullopt},
        {"AGT0409.DLL.old", std::nullopt},
        {"XAGT0409.DLL", std::nullopt},
        {"AGT0409", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(LanguageOf(c.file), c.language) << c.file;
}

}  // namespace
}  // namespace vocalinka
