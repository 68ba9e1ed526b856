#include "agent/core/speech_tags.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace agent::core {
namespace {

using ::testing::PrintToString;

// Segments as text, naming only what differs from normal: [shown<spoken> spd=n pit=n vol=n
// pau=n emp], the spoken text only when it differs from the shown one.
std::u16string Describe(const Utterance& utterance) {
    std::u16string out;
    const auto setting = [&out](const char* name, int value, int normal) {
        const std::string text = std::string(" ") + name + "=" + std::to_string(value);
        if (value != normal) out.append(text.begin(), text.end());
    };
    for (const Segment& s : utterance.segments) {
        out += u"[" + s.shown + (s.mapped ? u"<" + s.mappedSpoken + u">" : u"");
        setting("spd", s.prosody.speedWpm, kNormalSpeedWpm);
        setting("pit", s.prosody.pitchHz, kNormalPitchHz);
        setting("vol", s.prosody.volume, kMaxVolume);
        setting("pau", s.pauseBeforeMs, 0);
        out += s.emphasis ? u" emp]" : u"]";
    }
    return out;
}

TEST(SpeechTags, TaggedTextBecomesSegments) {
    const struct {
        const char* name;
        std::u16string input;
        std::u16string segments;  // as Describe writes them
    } cases[] = {
        {"the program's prefix", u"\\Spd=150\\\\Pit=127\\Good morning", u"[Good morning spd=150]"},
        {"names are case-insensitive", u"\\spd=90\\\\PIT=200\\\\vOl=5\\a",
         u"[a spd=90 pit=200 vol=5]"},
        {"below range", u"\\Spd=10\\\\Pit=0\\\\Pau=0\\a", u"[a spd=50 pit=50 pau=10]"},
        {"above range", u"\\Spd=251\\\\Pit=4000000000\\\\Vol=65536\\\\Pau=99999\\a",
         u"[a spd=250 pit=400 pau=2550]"},
        {"huge number clamps, no overflow", u"\\Spd=99999999999999999999999999\\a", u"[a spd=250]"},
        {"a later value wins, pauses add up", u"\\Spd=60\\\\Spd=70\\\\Pau=2000\\\\Pau=2000\\a",
         u"[a spd=70 pau=4000]"},
        {"space before the value", u"\\Spd= 150\\a", u"[\\Spd= 150\\a]"},
        {"no closing backslash", u"text \\Spd=150", u"[text \\Spd=150]"},
        {"a sentence in quotes", u"\\Map=\"one two\"\\ok", u"[\\Map=\"one two\"\\ok]"},
        {"unclosed quotes with spaces", u"\\x\"hello world \\c\\d", u"[\\x\"hello world d]"},
        {"a doubled backslash is one", u"a\\\\b\\\\\\\\", u"[a\\b\\\\]"},
        {"an escape before a real tag", u"\\\\\\Spd=50\\x", u"[\\][x spd=50]"},
        {"speed change", u"Hello \\Spd=200\\world", u"[Hello ][world spd=200]"},
        {"a change undone", u"a\\Spd=200\\\\Spd=127\\b", u"[ab]"},
        {"a dropped tag", u"a\\Foo\\b", u"[ab]"},
        {"pause", u"a\\Pau=500\\b", u"[a][b pau=500]"},
        {"pause and emphasis at the end", u"a\\Pau=500\\\\Emp\\", u"[a]"},
        {"emphasis", u"Hi \\Emp\\there you", u"[Hi ][there you emp]"},
        {"reset", u"\\Spd=200\\\\Pit=300\\\\Vol=5\\a\\Rst\\b", u"[a spd=200 pit=300 vol=5][b]"},
        {"reset cancels emphasis, keeps a pause", u"\\Emp\\\\Pau=50\\\\Rst\\a", u"[a pau=50]"},
        {"settings last to the end", u"\\Spd=60\\a\\Pau=20\\b", u"[a spd=60][b spd=60 pau=20]"},
        {"lone surrogate", u"a\xD800\\\\b", u"[a\xD800\\b]"},
        {"abbreviation", u"\\Map=\"United Nations\"=\"UN\"\\ today",
         u"[UN<United Nations>][ today]"},
        {"escapes in quotes", u"\\Map=\"a\\\\b\"=\"say \"\"hi\"\"\"\\", u"[say \"hi\"<a\\b>]"},
        {"each map its own segment", u"x\\Map=\"a\"=\"b\"\\\\map=\"c\"=\"d\"\\y",
         u"[x][b<a>][d<c>][y]"},
        {"nothing shown", u"\\Map=\"psst\"=\"\"\\", u"[<psst>]"},
        {"nothing at all", u"\\Map=\"\"=\"\"\\x", u"[x]"},
        {"takes the settings and the pause", u"\\Spd=200\\\\Pau=30\\\\Map=\"a\"=\"b\"\\c",
         u"[b<a> spd=200 pau=30][c spd=200]"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(ParseSpeechTags(c.input)), c.segments) << c.name;
}

TEST(SpeechTags, UnknownAndMalformedTagsAreDroppedSilently) {
    for (const std::u16string input :
         {u"\\Foo\\a", u"\\Spd=fast\\a", u"\\Spd=\\a", u"\\Spd\\a", u"\\Spd=+150\\a",
          u"\\Spd=-5\\a", u"\\Spd=1.5\\a", u"\\Spd=150x\\a", u"\\Spdx=150\\a", u"\\Emp=1\\a",
          u"\\Map=\"x\"\\a", u"\\Map=\"x\"=\"y\"=\"z\"\\a", u"\\Map=\"unclosed\\a",
          u"\\Chr=\"Whisper\"\\a", u"\\Spd=１５０\\a", u"\\Spdé=150\\a"}) {
        EXPECT_EQ(Describe(ParseSpeechTags(input)), u"[a]") << PrintToString(input);
    }
}

TEST(SpeechTags, LoneQuotesAreReadAsTextHoweverMany) {
    // Every attempt at a tag here fails on a quoted space, however many there are.
    std::u16string quotes;
    for (int i = 0; i < 20'000; ++i) quotes += u"\\a\" ";
    EXPECT_EQ(ParseSpeechTags(quotes).ShownText(), quotes);
}

TEST(SpeechTags, EscapedTextIsReadAsWritten) {
    // Random texts from the characters that matter to the parser.
    const std::u16string alphabet = u"\\\"= aS1pdé\t\xD83D\xDE00\xDC00";
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(random() % 24, u' ');
        for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
        const std::vector<Segment> plain(text.empty() ? 0 : 1, Segment{text});
        EXPECT_EQ(ParseSpeechTags(EscapeSpeechText(text)).segments, plain) << PrintToString(text);
    }
}

}  // namespace
}  // namespace agent::core
