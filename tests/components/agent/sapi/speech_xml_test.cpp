#include "agent/sapi/speech_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/core/speech_tags.h"

namespace agent::sapi {
namespace {

using core::ParseSpeechTags;

// gtest prints u16string as numbers; failures read better with the ASCII shown.
std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

struct LevelCase {
    int input;
    int expected;
};

TEST(ProsodyLevels, SpeedFollowsSapisThreeFoldScale) {
    const LevelCase cases[] = {
        {127, 0}, {50, -8}, {250, 6}, {381, 10}, {42, -10},
        {140, 1}, {1, -10}, {0, -10}, {-5, -10}, {1'000'000, 10},
    };
    for (const auto& c : cases) EXPECT_EQ(RateForSpeed(c.input), c.expected) << c.input << " wpm";
}

TEST(ProsodyLevels, PitchSpansTheWholeSliderWithNormalInTheMiddle) {
    const LevelCase cases[] = {
        {127, 0}, {50, -10}, {400, 10}, {88, -5}, {264, 5}, {20, -10}, {-1, -10}, {5000, 10},
    };
    for (const auto& c : cases) EXPECT_EQ(PitchForHz(c.input), c.expected) << c.input << " Hz";
}

TEST(ProsodyLevels, EveryPitchLevelIsReachedInOrder) {
    // The point of the piecewise mapping: no level is skipped between 50 and 400 Hz, and a
    // higher pitch never sounds lower.
    std::vector<int> seen;
    for (int hz = 50; hz <= 400; ++hz) {
        const int level = PitchForHz(hz);
        if (!seen.empty()) {
            ASSERT_GE(level, seen.back()) << hz << " Hz";
        }
        if (seen.empty() || seen.back() != level) seen.push_back(level);
    }
    EXPECT_EQ(seen.size(), 21u);
}

TEST(ProsodyLevels, VolumeIsAPercentage) {
    const LevelCase cases[] = {
        {65535, 100}, {0, 0}, {32768, 50}, {655, 1}, {327, 0}, {-1, 0}, {70000, 100},
    };
    for (const auto& c : cases) EXPECT_EQ(VolumeLevel(c.input), c.expected) << c.input;
}

const std::u16string kNormal =
    u"<rate absspeed=\"0\"/><pitch absmiddle=\"0\"/><volume level=\"100\"/>";
const std::u16string kMark = u"<bookmark mark=\"0\"/>";

TEST(SpeechXmlText, TaggedTextBecomesSapiXml) {
    const struct {
        const char* name;
        std::u16string tagged;  // speech text with the program's tags
        std::u16string xml;
    } cases[] = {
        {"plain", u"Good morning", kNormal + u"Good morning"},
        {"slow low quiet", u"\\Spd=50\\\\Pit=50\\\\Vol=0\\Hi",
         u"<rate absspeed=\"-8\"/><pitch absmiddle=\"-10\"/><volume level=\"0\"/>Hi"},
        {"fast high", u"\\Spd=250\\\\Pit=400\\Hi",
         u"<rate absspeed=\"6\"/><pitch absmiddle=\"10\"/><volume level=\"100\"/>Hi"},
        {"only what changes is set again", u"One \\Spd=250\\two \\Rst\\three",
         kNormal + u"One <rate absspeed=\"6\"/>two <rate absspeed=\"0\"/>three"},
        {"a speed that sounds the same adds nothing", u"One \\Spd=128\\two", kNormal + u"One two"},
        {"pause", u"Wait\\Pau=500\\ now", kNormal + u"Wait<silence msec=\"500\"/> now"},
        {"emphasis wraps the next word", u"I \\Emp\\ really mean it",
         kNormal + u"I  <emph>really</emph> mean it"},
        {"escaping", u"a & b < c > d \"q\" 'a'",
         kNormal + u"a &amp;" + kMark + u" b &lt;" + kMark + u" c &gt;" + kMark + u" d \"q\" 'a'"},
        {"a tag lookalike stays text", u"<silence msec=\"9\"/>",
         kNormal + u"&lt;" + kMark + u"silence msec=\"9\"/&gt;" + kMark},
        {"map speaks the spoken text", u"\\Map=\"ten & six\"=\"10&6\"\\!",
         kNormal + u"ten &amp;" + kMark + u" six!"},
        {"characters XML forbids become spaces",
         u"a\x01"
         u"b\x1F"
         u"c\tx\r\ny\xFFFE\xFFFF",
         kNormal + u"a b c\tx\r\ny  "},
        {"lone surrogates become spaces",
         u"\xD83Dx\xDE00"
         u"y",
         kNormal + u" x y"},
        {"surrogate pairs stay", u"\xD83D\xDE00 ok", kNormal + u"\xD83D\xDE00 ok"},
        {"empty", u"", u""},
    };
    for (const auto& c : cases) {
        const SpeechXml xml(ParseSpeechTags(c.tagged));
        EXPECT_EQ(xml.Text(), c.xml) << c.name << ": got " << Narrow(xml.Text());
    }
}

TEST(SpeechXmlText, EmphasisOfTheFirstWordOfAMappedSegment) {
    core::Utterance utterance;
    utterance.segments.push_back({u"  ten  past", u"10:10", {}, 0, true});
    EXPECT_EQ(SpeechXml(utterance).Text(), kNormal + u"  <emph>ten</emph>  past");
}

// SAPI's reading of the XML, written independently of the code under test: tags skipped,
// entities decoded. For each character of text: where it is in the XML and how long it is
// there, and where an engine would put it when counting from the start of its fragment (the
// text since the last tag) in decoded characters.
struct XmlChar {
    char16_t c;
    std::size_t xmlPosition;
    std::size_t xmlLength;
    std::size_t fragmentPosition;
};

std::vector<XmlChar> ReadXml(std::u16string_view xml) {
    std::vector<XmlChar> chars;
    std::size_t fragmentStart = 0;
    std::size_t decodedInFragment = 0;
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

TEST(SpeechXmlWords, TheReaderAboveDecodesWhatWasEncoded) {
    const std::u16string text = u"a<b>&c d \xD83D\xDE00 é & <<>> end";
    std::u16string decoded;
    for (const XmlChar& c : ReadXml(SpeechXml(ParseSpeechTags(text)).Text())) decoded += c.c;
    EXPECT_EQ(decoded, text);
}

// Every character of plain text maps back to itself, however the engine counts: escapes,
// replaced characters and tags must not shift anything after them.
TEST(SpeechXmlWords, EveryCharacterMapsToItselfBothWaysOfCounting) {
    const std::u16string texts[] = {
        u"a<b>&c\x01"
        u"d \xD83D\xDE00 é & <<>> end",
        u"Tom & Jerry \\Spd=200\\ & more \\Pau=100\\ x<y",
        u"\\Emp\\R&D \\Pit=300\\<tag> &amp;",
    };
    for (const std::u16string& text : texts) {
        const core::Utterance utterance = ParseSpeechTags(text);
        const std::u16string shown = utterance.ShownText();
        const SpeechXml xml(utterance);
        const std::vector<XmlChar> chars = ReadXml(xml.Text());
        ASSERT_EQ(chars.size(), shown.size()) << Narrow(text);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const ShownRange expected{i, 1};
            EXPECT_EQ(xml.ShownWord(chars[i].xmlPosition, chars[i].xmlLength), expected)
                << Narrow(text) << " at " << i;
            EXPECT_EQ(xml.ShownWord(chars[i].fragmentPosition, 1), expected)
                << Narrow(text) << " at " << i << ", counted in its fragment";
        }
    }
}

TEST(SpeechXmlWords, SpokenWordsMapBackToTheShownText) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::u16string word;  // in the shown text, as SAPI would report it
        int occurrence;
    } cases[] = {
        {"first word", u"Good morning", u"Good", 0},
        {"last word", u"Good morning", u"morning", 0},
        {"after a change of speed", u"One \\Spd=200\\two three", u"three", 0},
        {"after a pause", u"One\\Pau=300\\ two", u"two", 0},
        {"emphasised word", u"I \\Emp\\really mean", u"really", 0},
        {"an escaped word", u"this & that", u"&", 0},
        {"a word with an escape inside", u"R&D < 5", u"R&D", 0},
        {"after escapes", u"<a> & <b> end", u"end", 0},
        {"after a mapped segment", u"\\Map=\"one\"=\"1\"\\ and two", u"two", 0},
        {"Greek", u"Καλημέρα κόσμε", u"κόσμε", 0},
        {"Japanese", u"こんにちは 世界", u"世界", 0},
        {"after an emoji", u"\xD83D\xDE00 smile", u"smile", 0},
        {"Arabic", u"مرحبا بالعالم", u"بالعالم", 0},
        {"repeated word keeps its place", u"la la & \\Spd=60\\la", u"la", 2},
    };
    for (const auto& c : cases) {
        const core::Utterance utterance = ParseSpeechTags(c.tagged);
        const std::u16string shown = utterance.ShownText();
        const SpeechXml xml(utterance);
        const std::vector<XmlChar> chars = ReadXml(xml.Text());
        // Where the word's characters are in the XML, by the independent reader.
        std::size_t at = shown.find(c.word);
        for (int n = 0; n < c.occurrence; ++n) at = shown.find(c.word, at + 1);
        ASSERT_NE(at, std::u16string::npos) << c.name;
        std::size_t spokenAt = at;  // the spoken text differs only inside a Map
        if (chars.size() != shown.size()) {
            std::u16string spoken;
            for (const XmlChar& x : chars) spoken += x.c;
            spokenAt = spoken.rfind(c.word);
        }
        const XmlChar& first = chars[spokenAt];
        const XmlChar& last = chars[spokenAt + c.word.size() - 1];
        const auto range =
            xml.ShownWord(first.xmlPosition, last.xmlPosition + last.xmlLength - first.xmlPosition);
        EXPECT_EQ(range, (ShownRange{at, c.word.size()})) << c.name;
    }
}

TEST(SpeechXmlWords, AWordSpokenUnderMapShowsTheWholeMappedText) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::u16string spokenWord;
        std::u16string shown;
    } cases[] = {
        {"first spoken word", u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"ten", u"10:10"},
        {"last spoken word", u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"past", u"10:10"},
        {"escaped spoken text", u"\\Map=\"Q & A\"=\"Q and A\"\\ time", u"A", u"Q and A"},
        {"emphasised", u"\\Emp\\\\Map=\"doctor\"=\"Dr.\"\\ Who", u"doctor", u"Dr."},
    };
    for (const auto& c : cases) {
        const core::Utterance utterance = ParseSpeechTags(c.tagged);
        const std::u16string shown = utterance.ShownText();
        const SpeechXml xml(utterance);
        const std::size_t position = xml.Text().rfind(c.spokenWord);
        ASSERT_NE(position, std::u16string::npos) << c.name;
        const auto range = xml.ShownWord(position, c.spokenWord.size());
        ASSERT_TRUE(range.has_value()) << c.name;
        EXPECT_EQ(shown.substr(range->begin, range->length), c.shown) << c.name;
    }
}

TEST(SpeechXmlWords, ReportsOutsideTheTextGiveNothingOrStayInside) {
    const core::Utterance utterance = ParseSpeechTags(u"One \\Pau=200\\two");
    const std::u16string shown = utterance.ShownText();
    const SpeechXml xml(utterance);
    const std::size_t silence = xml.Text().find(u"<silence");
    const std::size_t two = xml.Text().find(u"two");
    const std::size_t end = xml.Text().size();

    EXPECT_FALSE(xml.ShownWord(0, 5).has_value()) << "inside the leading tags";
    EXPECT_FALSE(xml.ShownWord(silence + 1, 4).has_value()) << "inside the pause tag";
    EXPECT_FALSE(xml.ShownWord(end, 3).has_value()) << "past the end";
    EXPECT_FALSE(xml.ShownWord(std::size_t(-2), 10).has_value()) << "position near overflow";

    // Lengths that run past the text, or are zero, still name a word inside it.
    const ShownRange tail{shown.find(u"two"), 3};
    EXPECT_EQ(xml.ShownWord(two, 1000), tail);
    EXPECT_EQ(xml.ShownWord(two, 0), (ShownRange{tail.begin, 1}));
    // A word reported from inside a tag up into text starts where the text does.
    EXPECT_EQ(xml.ShownWord(silence, two - silence + 3), tail);
}

TEST(SpeechXmlWords, MappedSegmentWithEmptyShownTextShowsNothing) {
    const core::Utterance utterance = ParseSpeechTags(u"\\Map=\"psst\"=\"\"\\ hi");
    const SpeechXml xml(utterance);
    EXPECT_FALSE(xml.ShownWord(xml.Text().find(u"psst"), 4).has_value());
    EXPECT_EQ(xml.ShownWord(xml.Text().find(u"hi"), 2), (ShownRange{1, 2}));
}

TEST(SpeechXmlWords, LongTextKeepsEveryWordInPlace) {
    std::u16string text;
    for (int i = 0; i < 50'000; ++i) text += (i % 7 == 0) ? u"R&D " : u"word ";
    const core::Utterance utterance = ParseSpeechTags(text);
    const std::u16string shown = utterance.ShownText();
    const SpeechXml xml(utterance);
    const auto range = xml.ShownWord(xml.Text().rfind(u"word"), 4);
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->begin, shown.rfind(u"word"));
}

}  // namespace
}  // namespace agent::sapi
