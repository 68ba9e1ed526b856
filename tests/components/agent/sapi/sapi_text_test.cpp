// What the SAPI voice is given and what its answers mean: the XML of an utterance and the way
// back from its positions, visemes as mouths, and the voice for a language.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent/core/speech_tags.h"
#include "agent/sapi/speech_xml.h"
#include "agent/sapi/viseme_mouth.h"
#include "agent/sapi/voice_choice.h"

namespace agent::sapi {
namespace {

using core::Mouth;
using core::ParseSpeechTags;
using ::testing::PrintToString;

// A pitch slider must change the voice all along: no level is skipped between 50 and 400 Hz,
// and a higher pitch never sounds lower. The ends of each scale are checked through the XML.
TEST(ProsodyLevels, PitchRisesOneLevelAtATime) {
    for (int hz = 51; hz <= 400; ++hz) {
        const int step = PitchForHz(hz) - PitchForHz(hz - 1);
        ASSERT_TRUE(step == 0 || step == 1) << hz << " Hz";
    }
}

const std::u16string kNormal =
    u"<rate absspeed=\"0\"/><pitch absmiddle=\"0\"/><volume level=\"100\"/>";
const std::u16string kMark = u"<bookmark mark=\"0\"/>";

TEST(SpeechXmlText, TaggedTextBecomesSapiXml) {
    const struct {
        const char* name;
        std::u16string tagged, xml;
    } cases[] = {
        {"slow low quiet", u"\\Spd=50\\\\Pit=50\\\\Vol=0\\Hi",
         u"<rate absspeed=\"-8\"/><pitch absmiddle=\"-10\"/><volume level=\"0\"/>Hi"},
        {"only what changes is set again", u"One \\Spd=250\\two \\Pit=400\\\\Vol=0\\x \\Rst\\three",
         kNormal + u"One <rate absspeed=\"6\"/>two <pitch absmiddle=\"10\"/><volume level=\"0\"/>x "
                   u"<rate absspeed=\"0\"/><pitch absmiddle=\"0\"/><volume level=\"100\"/>three"},
        {"a speed that sounds the same adds nothing", u"One \\Spd=128\\two", kNormal + u"One two"},
        {"pause", u"Wait\\Pau=500\\ now", kNormal + u"Wait<silence msec=\"500\"/> now"},
        {"emphasis wraps the next word", u"I \\Emp\\ really mean it",
         kNormal + u"I  <emph>really</emph> mean it"},
        {"escaping", u"a & b < c > d \"q\" 'a'",
         kNormal + u"a &amp;" + kMark + u" b &lt;" + kMark + u" c &gt;" + kMark + u" d \"q\" 'a'"},
        {"map speaks the spoken text", u"\\Map=\"ten & six\"=\"10&6\"\\!",
         kNormal + u"ten &amp;" + kMark + u" six!"},
        {"characters XML forbids become spaces", u"a\u0001b\u001Fc\tx\r\ny\uFFFE\uFFFF",
         kNormal + u"a b c\tx\r\ny  "},
        {"lone surrogates become spaces", u"\xD83Dx\xDE00y", kNormal + u" x y"},
        {"empty", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeechXml(ParseSpeechTags(c.tagged)).Text(), c.xml) << c.name;
    }
}

// SAPI's reading of the XML, written independently of the code under test: tags skipped,
// entities decoded. Each character of text: its place and length in the XML, and its place as
// an engine counting decoded characters from the last tag would give it.
struct XmlChar {
    char16_t c;
    std::size_t xmlPosition, xmlLength, fragmentPosition;
};

std::vector<XmlChar> ReadXml(std::u16string_view xml) {
    std::vector<XmlChar> chars;
    std::size_t fragmentStart = 0, decodedInFragment = 0;
    for (std::size_t i = 0; i < xml.size();) {
        if (xml[i] == u'<') {
            i = xml.find(u'>', i) + 1;
            fragmentStart = i;
            decodedInFragment = 0;
            continue;
        }
        char16_t c = xml[i];
        std::size_t length = 1;
        if (c == u'&') {
            length = xml.find(u';', i) + 1 - i;
            const std::u16string_view entity = xml.substr(i, length);
            c = entity == u"&amp;" ? u'&' : entity == u"&lt;" ? u'<' : u'>';
        }
        chars.push_back({c, i, length, fragmentStart + decodedInFragment++});
        i += length;
    }
    return chars;
}

std::u16string Decoded(std::u16string_view xml) {
    std::u16string text;
    for (const XmlChar& x : ReadXml(xml)) text += x.c;
    return text;
}

// Whether the text of `xml`, as SAPI reads it, is the shown text from `at` on (a character XML
// forbids being a space there), and each of its characters maps back to its place however the
// engine counts; moves `at` past it.
::testing::AssertionResult MapsBack(const SpeechXml& xml, std::u16string_view shown,
                                    std::size_t& at) {
    for (const XmlChar& x : ReadXml(xml.Text())) {
        if (at >= shown.size() || x.c != (shown[at] == u'\x01' ? u' ' : shown[at])) {
            return ::testing::AssertionFailure() << "the text differs at " << at;
        }
        if (xml.ShownWord(x.xmlPosition, x.xmlLength) != ShownRange{at, 1}) {
            return ::testing::AssertionFailure() << at << " maps elsewhere";
        }
        if (xml.ShownWord(x.fragmentPosition, 1) != ShownRange{at, 1}) {
            return ::testing::AssertionFailure()
                   << at << " maps elsewhere, counted in its fragment";
        }
        ++at;
    }
    return ::testing::AssertionSuccess();
}

// The parts an utterance is given to the voice in, at most maxUnits of text each.
std::vector<SpeechXml> Parts(const core::Utterance& utterance, std::size_t maxUnits) {
    std::vector<SpeechXml> parts;
    for (std::optional<XmlPosition> from = XmlPosition{}; from && parts.size() < 10'000;
         from = parts.back().Next()) {  // a part that does not advance ends in failure
        parts.emplace_back(utterance, *from, maxUnits);
    }
    return parts;
}

// Every character maps back to itself, however the engine counts, from inside its own part
// when the text is cut: escapes, replaced characters and tags shift nothing after them, even
// far into a long text. Parts say the whole text in order, each setting the speed first.
TEST(SpeechXmlWords, EveryCharacterMapsToItselfBothWaysOfCounting) {
    std::u16string whole, cut = u"\\Emp\\First ";
    for (int i = 0; i < 50'000; ++i) whole += (i % 7 == 0) ? u"R&D " : u"word ";
    for (int i = 0; i < 3000; ++i) {
        cut += i % 5 == 0 ? u"R&D <x> && " : u"word. ";
        if (i % 400 == 0) cut += u"\\Spd=200\\\\Pau=100\\";
        if (i % 700 == 0) cut += u"averyveryverylongwordwithoutanyspaceatallthatmustbecut ";
    }
    constexpr std::size_t kUncut = 0;  // the whole text as one SpeechXml
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"a<b>&c d \xD83D\xDE00 é & <<>> end", kUncut},
        {u"Tom & Jerry \\Spd=200\\ & more \\Pau=100\\ x<y\u0001", kUncut},
        {u"\\Emp\\R&D \\Pit=300\\<tag> &amp;", kUncut},
        {whole, kUncut},
        {cut, 37}};
    for (const auto& [text, maxUnits] : cases) {
        const core::Utterance utterance = ParseSpeechTags(text);
        const std::u16string shown = utterance.ShownText();
        const std::vector<SpeechXml> parts =
            maxUnits == kUncut ? std::vector{SpeechXml(utterance)} : Parts(utterance, maxUnits);
        std::size_t at = 0;  // where the next part's text is in the shown text
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::vector<XmlChar> chars = ReadXml(parts[i].Text());
            ASSERT_TRUE(!chars.empty() && (maxUnits == kUncut || chars.size() <= maxUnits)) << i;
            EXPECT_LT(parts[i].Text().find(u"<rate"), chars.front().xmlPosition) << i;
            ASSERT_TRUE(MapsBack(parts[i], shown, at)) << "part " << i;
        }
        EXPECT_EQ(at, shown.size()) << PrintToString(text.substr(0, 40));
    }
}

// Plain words are covered above, character by character; here, words under a map.
TEST(SpeechXmlWords, SpokenWordsUnderAMapNameItsShownText) {
    const struct {
        std::u16string tagged, spokenWord, shownWord;  // no shown word: nothing is shown
    } cases[] = {
        {u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"ten", u"10:10"},
        {u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"past", u"10:10"},
        {u"\\Map=\"Q & A\"=\"Q and A\"\\ time", u"A", u"Q and A"},
        {u"\\Map=\"psst\"=\"\"\\ hi", u"psst", u""},
        {u"\\Map=\"psst\"=\"\"\\ hi", u"hi", u"hi"},
    };
    for (const auto& c : cases) {
        const core::Utterance utterance = ParseSpeechTags(c.tagged);
        const SpeechXml xml(utterance);
        // Where the word's characters are in the XML, by the independent reader.
        const std::vector<XmlChar> chars = ReadXml(xml.Text());
        const std::size_t at = Decoded(xml.Text()).find(c.spokenWord);
        ASSERT_NE(at, std::u16string::npos) << PrintToString(c.spokenWord);
        const XmlChar& first = chars[at];
        const XmlChar& last = chars[at + c.spokenWord.size() - 1];
        const auto range =
            xml.ShownWord(first.xmlPosition, last.xmlPosition + last.xmlLength - first.xmlPosition);
        const std::size_t shownAt = utterance.ShownText().find(c.shownWord);
        std::optional<ShownRange> expected;
        if (!c.shownWord.empty()) expected = ShownRange{shownAt, c.shownWord.size()};
        EXPECT_EQ(range, expected) << PrintToString(c.spokenWord);
    }
}

TEST(SpeechXmlParts, ALongTextIsCutAfterASentenceOrASpaceNeverInsideALetter) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::size_t maxUnits;
        std::vector<std::u16string> parts;
    } cases[] = {
        {"after a sentence in the last half",
         u"One two three. Four five six seven.",
         20,
         {u"One two three. ", u"Four five six seven."}},
        {"else after white space", u"aaaa bbbb cccc dddd", 12, {u"aaaa bbbb ", u"cccc dddd"}},
        {"else at the limit", u"abcdefghij", 4, {u"abcd", u"efgh", u"ij"}},
        {"never inside a surrogate pair", u"abc\U0001F600def", 4, {u"abc", u"\U0001F600de", u"f"}},
        {"a map is never split",
         u"a \\Map=\"many spoken words\"=\"x\"\\ b",
         5,
         {u"a ", u"many spoken words", u" b"}},
        {"across segments", u"ab\\Spd=200\\cd\\Pit=300\\ef", 3, {u"abc", u"def"}},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> parts;
        for (const SpeechXml& part : Parts(ParseSpeechTags(c.tagged), c.maxUnits)) {
            parts.push_back(Decoded(part.Text()));
        }
        EXPECT_EQ(parts, c.parts) << c.name;
    }
}

std::u16string Tag(std::u16string_view name, std::u16string_view attribute, int value) {
    const std::string number = std::to_string(value);
    return u"<" + std::u16string(name) + u" " + std::u16string(attribute) + u"=\"" +
           std::u16string(number.begin(), number.end()) + u"\"/>";
}

// After a change of speed the voice is given the rest of the utterance from the word after the
// last one reported, every segment at the new speed: nothing said twice or skipped, the pause
// before a segment and the pitch kept, and its words still name their place in the whole text.
TEST(SpeechXmlParts, TheRestAfterAWordIsSaidAtTheNewSpeed) {
    const core::Utterance utterance =
        ParseSpeechTags(u"One two, \\Pau=300\\\\Pit=200\\three \\Map=\"4\"=\"four\"\\ five & six");
    const std::u16string shown = utterance.ShownText();
    ASSERT_EQ(shown, u"One two, three four five & six");
    const struct {
        std::u16string after, rest;
        bool pause;
    } cases[] = {{u"One", u" two, three 4 five & six", true},
                 {u"two,", u" three 4 five & six", true},
                 {u"three", u" 4 five & six", false},
                 {u"four", u" five & six", false},
                 {u"six", u"", false}};
    const std::u16string slow = Tag(u"rate", u"absspeed", RateForSpeed(80));
    for (const auto& c : cases) {
        const std::size_t wordEnd = shown.find(c.after) + c.after.size();
        const SpeechXml xml(utterance, PositionAfterShown(utterance, wordEnd), 8192, 80);
        const std::u16string& text = xml.Text();
        EXPECT_EQ(Decoded(text), c.rest) << PrintToString(c.after);
        EXPECT_EQ(text.find(u"<silence msec=\"300\"/>") != std::u16string::npos, c.pause)
            << PrintToString(c.after);
        EXPECT_FALSE(xml.Next().has_value());
        if (c.rest.empty()) continue;
        EXPECT_EQ(text.rfind(u"<rate ", 0), 0u) << "the new speed first";
        EXPECT_EQ(text.find(u"<rate "), text.rfind(u"<rate ")) << "and only that one";
        EXPECT_EQ(text.find(slow), 0u);
        EXPECT_NE(text.find(Tag(u"pitch", u"absmiddle", PitchForHz(200))), std::u16string::npos);
        const std::size_t five = text.find(u"five");
        EXPECT_EQ(xml.ShownWord(five, 4), (ShownRange{shown.find(u"five"), 4}));
    }
}

TEST(SpeechXmlParts, AShortTextInOnePartIsTheWholeText) {
    for (const std::u16string tagged :
         {u"\\Pau=300\\\\Emp\\Hi & <bye> \\Spd=200\\now", u"\\Map=\"ten & six\"=\"10&6\"\\!",
          u"a\u0001b\xD83D", u""}) {
        const core::Utterance utterance = ParseSpeechTags(tagged);
        const std::vector<SpeechXml> parts = Parts(utterance, 64);
        ASSERT_EQ(parts.size(), 1u) << PrintToString(tagged);
        EXPECT_EQ(parts[0].Text(), SpeechXml(utterance).Text()) << PrintToString(tagged);
    }
}

TEST(SpeechXmlWords, ReportsOutsideTheTextGiveNothingOrStayInside) {
    const SpeechXml xml(ParseSpeechTags(u"One \\Pau=200\\two"));
    const std::size_t silence = xml.Text().find(u"<silence"), two = xml.Text().find(u"two");
    const ShownRange tail{4, 3};
    EXPECT_FALSE(xml.ShownWord(0, 5).has_value()) << "inside the leading tags";
    EXPECT_FALSE(xml.ShownWord(silence + 1, 4).has_value()) << "inside the pause tag";
    EXPECT_FALSE(xml.ShownWord(xml.Text().size(), 3).has_value()) << "past the end";
    EXPECT_FALSE(xml.ShownWord(std::size_t(-2), 10).has_value()) << "position near overflow";
    // Lengths that run past the text, or are zero, still name a word inside it.
    EXPECT_EQ(xml.ShownWord(two, 1000), tail);
    EXPECT_EQ(xml.ShownWord(two, 0), (ShownRange{tail.begin, 1}));
    // A word reported from inside a tag up into text starts where the text does.
    EXPECT_EQ(xml.ShownWord(silence, two - silence + 3), tail);
}

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
