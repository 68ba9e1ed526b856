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
using ::testing::PrintToString;

TEST(VisemeMouth, EveryShapeIsUsedLipsMeetOnPbmAndAVoicesOwnIdsKeepMoving) {
    std::set<Mouth> used;
    for (int v = 0; v < kVisemeCount; ++v) used.insert(MouthForViseme(v));
    EXPECT_EQ(used.size(), std::size_t(core::kMouthCount));
    for (const int v : {0, 21}) EXPECT_EQ(MouthForViseme(v), Mouth::Closed) << v;
    for (const int v : {-1, 22}) EXPECT_EQ(MouthForViseme(v), Mouth::Small) << v;
}

TEST(VoiceChoice, ModeIdsNameALanguage) {
    for (const auto& [id, language] : std::vector<std::pair<std::u16string, long>>{
             {u"{c77c5160-2867-11d0-847B-444553540000}", kLanguageEnglish},
             {u"  0879a4e1-A92C-11D1-B17B-0020AFED142E ", kLanguageFrench},
             {u"{0879A4E1-A92C-11D1-B17B-0020AFED142F}", 0},
             {u"{c77c5160-2867-11d0-847B-444553540000", 0}}) {  // half braced: malformed
        EXPECT_EQ(LanguageForModeId(id), language) << PrintToString(id);
    }
}

TEST(VoiceChoice, LanguageAttributeIsAHexList) {
    for (const auto& [attribute, languages] :
         std::vector<std::pair<std::u16string, std::vector<long>>>{{u"409;9", {0x409, 0x9}},
                                                                   {u" 809 ; 40c ", {0x809, 0x40C}},
                                                                   {u"zz;409;", {0x409}},
                                                                   {u"12345;411", {0x411}},
                                                                   {u"-409", {}},
                                                                   {u";;", {}}}) {
        EXPECT_EQ(ParseLanguageList(attribute), languages) << PrintToString(attribute);
    }
}

TEST(VoiceChoice, PicksByModeIdThenLanguageThenNearestAndSaysWhatItSubstituted) {
    const std::vector<InstalledVoice> voices = {{u"george", u"George", {0x809}},
                                                {u"david", u"David", {0x409, 0x9}},
                                                {u"hortense", u"Hortense", {0x40C}}};
    const std::vector<InstalledVoice> englishOnly = {voices[0], voices[1]}, none;
    const std::u16string french = u"{0879A4E1-A92C-11D1-B17B-0020AFED142E}";
    const std::u16string noFrench = u"no voice for language 040C; using the default voice";
    const struct {
        const char* name;
        long languageId;
        std::u16string modeId;
        const std::vector<InstalledVoice>& installed;
        long language;
        std::u16string voiceId, note;
    } cases[] = {
        {"English", 1033, u"", voices, 0x409, u"david", u""},
        {"French", 1036, u"", voices, 0x40C, u"hortense", u""},
        {"mode id over language", 1033, french, voices, 0x40C, u"hortense", u""},
        {"exact beats nearest listed first", 0x809, u"", voices, 0x809, u"george", u""},
        {"same primary language", 0x0C0C, u"", voices, 0x0C0C, u"hortense",
         u"no voice for language 0C0C; using Hortense"},
        {"no French voice", 1036, u"", englishOnly, 0x40C, u"", noFrench},
        {"unknown mode id", 1036, u"{bad}", none, 0x40C, u"",
         u"unknown TTS mode id ignored; " + noFrench},
    };
    for (const auto& c : cases) {
        const VoicePick pick = PickVoice({c.languageId, c.modeId}, c.installed);
        EXPECT_EQ(pick.language, c.language) << c.name;
        EXPECT_EQ(pick.voiceId, c.voiceId) << c.name;
        EXPECT_EQ(pick.note, c.note) << c.name;
    }
}

}  // namespace
}  // namespace agent::sapi
