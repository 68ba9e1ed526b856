#include "agent/sapi/speech_xml.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "agent/core/speech_tags.h"

namespace agent::sapi {
namespace {

using core::ParseSpeechTags;
using Levels = std::vector<std::pair<int, int>>;  // input, SAPI level

// The ends and the normal of each scale are checked through the XML below.
TEST(ProsodyLevels, FollowSapisScales) {
    for (const auto& [wpm, level] : Levels{{140, 1}, {381, 10}, {42, -10}, {0, -10}, {-5, -10}}) {
        EXPECT_EQ(RateForSpeed(wpm), level) << wpm << " wpm";  // three-fold either way
    }
    for (const auto& [hz, level] : Levels{{88, -5}, {264, 5}, {20, -10}, {-1, -10}, {5000, 10}}) {
        EXPECT_EQ(PitchForHz(hz), level) << hz << " Hz";
    }
    // No pitch level is skipped between 50 and 400 Hz, and a higher pitch never sounds lower.
    for (int hz = 51; hz <= 400; ++hz) {
        const int step = PitchForHz(hz) - PitchForHz(hz - 1);
        ASSERT_TRUE(step == 0 || step == 1) << hz << " Hz";
    }
    for (const auto& [volume, level] :
         Levels{{32768, 50}, {655, 1}, {327, 0}, {-1, 0}, {70000, 100}}) {
        EXPECT_EQ(VolumeLevel(volume), level) << volume;
    }
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
        {"only what changes is set again", u"One \\Spd=250\\two \\Pit=400\\\\Vol=0\\x \\Rst\\three",
         kNormal + u"One <rate absspeed=\"6\"/>two <pitch absmiddle=\"10\"/><volume level=\"0\"/>x "
                   u"<rate absspeed=\"0\"/><pitch absmiddle=\"0\"/><volume level=\"100\"/>three"},
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
        {"characters XML forbids become spaces", u"a\x01" u"b\x1F" u"c\tx\r\ny\xFFFE\xFFFF",
         kNormal + u"a b c\tx\r\ny  "},
        {"lone surrogates become spaces", u"\xD83Dx\xDE00" u"y", kNormal + u" x y"},
        {"surrogate pairs stay", u"\xD83D\xDE00 ok", kNormal + u"\xD83D\xDE00 ok"},
        {"empty", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeechXml(ParseSpeechTags(c.tagged)).Text(), c.xml) << c.name;
    }
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

// Every character of plain text maps back to itself, however the engine counts: escapes,
// replaced characters and tags must not shift anything after them, even far into a long text.
TEST(SpeechXmlWords, EveryCharacterMapsToItselfBothWaysOfCounting) {
    std::u16string longText;
    for (int i = 0; i < 50'000; ++i) longText += (i % 7 == 0) ? u"R&D " : u"word ";
    for (const std::u16string& text : {
             std::u16string(u"a<b>&c d \xD83D\xDE00 é & <<>> end"),
             std::u16string(u"Tom & Jerry \\Spd=200\\ & more \\Pau=100\\ x<y\x01"),
             std::u16string(u"\\Emp\\R&D \\Pit=300\\<tag> &amp;"),
             longText,
         }) {
        const std::u16string shown = ParseSpeechTags(text).ShownText();
        const SpeechXml xml(ParseSpeechTags(text));
        const std::vector<XmlChar> chars = ReadXml(xml.Text());
        const std::string name = ::testing::PrintToString(text.substr(0, 40));
        ASSERT_EQ(chars.size(), shown.size()) << name;
        for (std::size_t i = 0; i < chars.size(); ++i) {
            // The reader must agree with the text, a forbidden character being a space in XML.
            ASSERT_EQ(chars[i].c, shown[i] == u'\x01' ? u' ' : shown[i]) << name << " at " << i;
            ASSERT_EQ(xml.ShownWord(chars[i].xmlPosition, chars[i].xmlLength), (ShownRange{i, 1}))
                << name << " at " << i;
            ASSERT_EQ(xml.ShownWord(chars[i].fragmentPosition, 1), (ShownRange{i, 1}))
                << name << " at " << i << ", counted in its fragment";
        }
    }
}

TEST(SpeechXmlWords, SpokenWordsMapBackToTheShownText) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::u16string spokenWord;  // as SAPI would report it
        int occurrence;             // of both words in their texts
        std::u16string shownWord;   // empty: nothing is shown
    } cases[] = {
        {"after a change of speed", u"One \\Spd=200\\two three", u"three", 0, u"three"},
        {"emphasised word", u"I \\Emp\\really mean", u"really", 0, u"really"},
        {"a word with an escape inside", u"R&D < 5", u"R&D", 0, u"R&D"},
        {"after a mapped segment", u"\\Map=\"one\"=\"1\"\\ and two", u"two", 0, u"two"},
        {"repeated word keeps its place", u"la la & \\Spd=60\\la", u"la", 2, u"la"},
        {"first word under a map", u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"ten", 0, u"10:10"},
        {"last word under a map", u"at \\Map=\"ten past\"=\"10:10\"\\ now", u"past", 0, u"10:10"},
        {"escaped under a map", u"\\Map=\"Q & A\"=\"Q and A\"\\ time", u"A", 0, u"Q and A"},
        {"emphasised under a map", u"\\Emp\\\\Map=\"doctor\"=\"Dr.\"\\ Who", u"doctor", 0, u"Dr."},
        {"mapped to nothing", u"\\Map=\"psst\"=\"\"\\ hi", u"psst", 0, u""},
        {"after a map to nothing", u"\\Map=\"psst\"=\"\"\\ hi", u"hi", 0, u"hi"},
    };
    const auto nth = [](std::u16string_view text, std::u16string_view word, int occurrence) {
        std::size_t at = text.find(word);
        while (occurrence-- > 0) at = text.find(word, at + 1);
        return at;
    };
    for (const auto& c : cases) {
        const core::Utterance utterance = ParseSpeechTags(c.tagged);
        const SpeechXml xml(utterance);
        // Where the word's characters are in the XML, by the independent reader.
        const std::vector<XmlChar> chars = ReadXml(xml.Text());
        std::u16string spoken;
        for (const XmlChar& x : chars) spoken += x.c;
        const std::size_t at = nth(spoken, c.spokenWord, c.occurrence);
        ASSERT_NE(at, std::u16string::npos) << c.name;
        const XmlChar& first = chars[at];
        const XmlChar& last = chars[at + c.spokenWord.size() - 1];
        const auto range =
            xml.ShownWord(first.xmlPosition, last.xmlPosition + last.xmlLength - first.xmlPosition);
        if (c.shownWord.empty()) {
            EXPECT_FALSE(range.has_value()) << c.name;
        } else {
            const std::size_t shownAt = nth(utterance.ShownText(), c.shownWord, c.occurrence);
            EXPECT_EQ(range, (ShownRange{shownAt, c.shownWord.size()})) << c.name;
        }
    }
}

TEST(SpeechXmlWords, ReportsOutsideTheTextGiveNothingOrStayInside) {
    const SpeechXml xml(ParseSpeechTags(u"One \\Pau=200\\two"));
    const std::size_t silence = xml.Text().find(u"<silence");
    const std::size_t two = xml.Text().find(u"two");
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

}  // namespace
}  // namespace agent::sapi
