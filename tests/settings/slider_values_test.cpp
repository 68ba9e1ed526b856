#include "settings/slider_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "characters/character_names.h"
#include "settings/agent_files.h"

namespace vocalinka {
namespace {

// A stored text opens at the nearest valid slider value. A label shows what OK will store,
// except a speed that OK refuses: that one is shown as stored, next to the range message.
TEST(SliderValues, PutAStoredTextAtTheNearestValidValueAndJudgeTheSpeed) {
    const struct {
        const char *stored, *speedLabel, *pitchLabel;
        int speed, pitch;
        bool speedAccepted;
    } cases[] = {{"50", "50", "50", 50, 50, true},
                 {"250", "250", "250", 250, 250, true},
                 {"49.9", "49.9", "50", 50, 50, false},
                 {"300", "300", "300", 250, 300, false},
                 {"401", "401", "400", 250, 400, false},
                 {"abc", "abc", "127", 127, 127, false},
                 {"", "", "127", 127, 127, false},
                 {"90x", "90", "90", 90, 90, true},
                 {"127.5", "128", "128", 128, 128, true},
                 {"99999999999", "99999999999", "400", 250, 400, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(SliderValueFor(c.stored, kSpeedRange), c.speed);
        EXPECT_EQ(SliderValueFor(c.stored, kPitchRange), c.pitch);
        EXPECT_EQ(SpeedLabelFor(c.stored), c.speedLabel);
        EXPECT_EQ(PitchLabelFor(c.stored), c.pitchLabel);
        EXPECT_EQ(SpeedAccepted(c.stored), c.speedAccepted);
    }
}

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
