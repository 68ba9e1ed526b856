#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent/sapi/viseme_mouth.h"
#include "agent/sapi/voice_choice.h"

namespace agent::sapi {
namespace {

using core::Mouth;

TEST(VisemeMouth, ShapesFollowTheLips) {
    const struct {
        int viseme;
        Mouth mouth;
    } cases[] = {
        {0, Mouth::Closed}, {21, Mouth::Closed},  // silence, and p b m: the lips meet
        {2, Mouth::Wide},   {11, Mouth::Wide},    // aa, ay
        {7, Mouth::Round},  {8, Mouth::Round},    // w uw, ow
        {15, Mouth::Small}, {6, Mouth::Small},    // s z, iy
        {1, Mouth::Medium},
        {-1, Mouth::Small}, {22, Mouth::Small}, {-65536, Mouth::Small},  // a voice's own: moving
    };
    for (const auto& c : cases) EXPECT_EQ(MouthForViseme(c.viseme), c.mouth) << c.viseme;

    std::set<Mouth> used;
    for (int v = 0; v < kVisemeCount; ++v) used.insert(MouthForViseme(v));
    EXPECT_EQ(used.size(), std::size_t(core::kMouthCount)) << "every drawn shape is used";
}

TEST(VoiceChoice, ModeIdsNameALanguage) {
    for (const auto& [id, language] : std::vector<std::pair<std::u16string, long>>{
             {u"{c77c5160-2867-11d0-847B-444553540000}", kLanguageEnglish},
             {u"{C77C5160-2867-11D0-847B-444553540000}", kLanguageEnglish},
             {u"c77c5160-2867-11d0-847b-444553540000", kLanguageEnglish},
             {u"  {0879A4E1-A92C-11D1-B17B-0020AFED142E} ", kLanguageFrench},
             {u"{0879A4E1-A92C-11D1-B17B-0020AFED142F}", 0},
             {u"{c77c5160-2867-11d0-847B-444553540000", 0},  // half braced: malformed
             {u"{}", 0},
             {u"409", 0},
         }) {
        EXPECT_EQ(LanguageForModeId(id), language) << ::testing::PrintToString(id);
    }
}

TEST(VoiceChoice, LanguageAttributeIsAHexList) {
    for (const auto& [attribute, languages] :
         std::vector<std::pair<std::u16string, std::vector<long>>>{
             {u"409;9", {0x409, 0x9}}, {u"40c", {0x40C}}, {u" 809 ; 409 ", {0x809, 0x409}},
             {u"zz;409;", {0x409}}, {u"12345;411", {0x411}}, {u"-409", {}}, {u";;", {}}}) {
        EXPECT_EQ(ParseLanguageList(attribute), languages) << ::testing::PrintToString(attribute);
    }
}

TEST(VoiceChoice, PicksByModeIdThenLanguageThenNearest) {
    const std::vector<InstalledVoice> voices = {
        {u"george", u"George", {0x809}},
        {u"david", u"David", {0x409, 0x9}},
        {u"hortense", u"Hortense", {0x40C}},
    };
    const std::vector<InstalledVoice> englishOnly = {voices[0], voices[1]}, none;
    const std::u16string french = u"{0879A4E1-A92C-11D1-B17B-0020AFED142E}";
    const std::u16string english = u"{C77C5160-2867-11D0-847B-444553540000}";
    const struct {
        const char* name;
        long languageId;
        std::u16string modeId;
        const std::vector<InstalledVoice>& installed;
        long language;
        std::u16string voiceId;
        bool noted;
    } cases[] = {
        {"English", 1033, u"", voices, 0x409, u"david", false},
        {"French", 1036, u"", voices, 0x40C, u"hortense", false},
        {"mode id over language", 1033, french, voices, 0x40C, u"hortense", false},
        {"English mode id", 1036, english, voices, 0x409, u"david", false},
        {"unknown mode id is ignored", 1036, u"{00000000-0000-0000-0000-000000000000}", voices,
         0x40C, u"hortense", true},
        {"same primary language", 0x0C0C, u"", voices, 0x0C0C, u"hortense", true},
        {"no French voice: default", 1036, u"", englishOnly, 0x40C, u"", true},
        {"no voices at all: default", 1033, u"", none, 0x409, u"", true},
        {"exact beats nearest listed first", 0x809, u"", voices, 0x809, u"george", false},
    };
    for (const auto& c : cases) {
        const VoicePick pick = PickVoice({c.languageId, c.modeId}, c.installed);
        EXPECT_EQ(pick.language, c.language) << c.name;
        EXPECT_EQ(pick.voiceId, c.voiceId) << c.name;
        EXPECT_EQ(!pick.note.empty(), c.noted) << c.name;
    }
}

TEST(VoiceChoice, NoteSaysWhatWasSubstituted) {
    const std::vector<InstalledVoice> voices = {{u"id-david", u"David", {0x409}}};
    const VoicePick nearest = PickVoice({0x0C09, u""}, voices);
    EXPECT_EQ(nearest.note, u"no voice for language 0C09; using David");
    const VoicePick fallback = PickVoice({1036, u"{bad}"}, voices);
    EXPECT_EQ(fallback.note,
              u"unknown TTS mode id ignored; no voice for language 040C; using the default voice");
}

}  // namespace
}  // namespace agent::sapi
