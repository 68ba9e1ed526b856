#include "agent/core/speech_tags.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "agent/core/words.h"

namespace agent::core {

void PrintTo(const Segment& s, std::ostream* out) {
    *out << "{" << ::testing::PrintToString(s.spoken) << " / " << ::testing::PrintToString(s.shown)
         << ", " << s.prosody.speedWpm << " wpm, " << s.prosody.pitchHz << " Hz, volume "
         << s.prosody.volume << ", pause " << s.pauseBeforeMs << (s.emphasis ? ", stressed}" : "}");
}

namespace {

using ::testing::PrintToString;

// One expected segment; spoken defaults to shown.
struct Expected {
    std::u16string shown;
    int speedWpm = kNormalSpeedWpm;
    int pitchHz = kNormalPitchHz;
    int volume = kMaxVolume;
    int pauseBeforeMs = 0;
    bool emphasis = false;
    std::u16string spoken = shown;
};

struct ParseCase {
    const char* name;
    std::u16string input;
    std::vector<Expected> segments;
};

void ExpectParses(const ParseCase& c) {
    std::vector<Segment> expected;
    for (const Expected& e : c.segments) {
        expected.push_back({e.spoken, e.shown, {e.speedWpm, e.pitchHz, e.volume},
                            e.pauseBeforeMs, e.emphasis});
    }
    EXPECT_EQ(ParseSpeechTags(c.input).segments, expected)
        << c.name << ", input " << PrintToString(c.input);
}

TEST(SpeechTags, NumericTagsSetTheirValueAndClamp) {
    const std::vector<ParseCase> cases = {
        {"the program's prefix", u"\\Spd=150\\\\Pit=127\\Good morning",
         {{.shown = u"Good morning", .speedWpm = 150}}},
        {"names are case-insensitive", u"\\spd=90\\\\PIT=200\\\\vOl=5\\a",
         {{.shown = u"a", .speedWpm = 90, .pitchHz = 200, .volume = 5}}},
        {"leading zeros", u"\\Spd=0000150\\a", {{.shown = u"a", .speedWpm = 150}}},
        {"speed below range", u"\\Spd=10\\a", {{.shown = u"a", .speedWpm = 50}}},
        {"speed above range", u"\\Spd=251\\a", {{.shown = u"a", .speedWpm = 250}}},
        {"huge number clamps, no overflow", u"\\Spd=99999999999999999999999999\\a",
         {{.shown = u"a", .speedWpm = 250}}},
        {"pitch below range", u"\\Pit=0\\a", {{.shown = u"a", .pitchHz = 50}}},
        {"pitch above range", u"\\Pit=4000000000\\a", {{.shown = u"a", .pitchHz = 400}}},
        {"silent volume", u"\\Vol=0\\a", {{.shown = u"a", .volume = 0}}},
        {"volume above range", u"\\Vol=65536\\a", {{.shown = u"a", .volume = 65535}}},
        {"short pause", u"\\Pau=0\\a", {{.shown = u"a", .pauseBeforeMs = 10}}},
        {"long pause", u"\\Pau=99999\\a", {{.shown = u"a", .pauseBeforeMs = 2550}}},
        {"pauses add up", u"\\Pau=2000\\\\Pau=2000\\a", {{.shown = u"a", .pauseBeforeMs = 4000}}},
        {"a later value wins", u"\\Spd=60\\\\Spd=70\\a", {{.shown = u"a", .speedWpm = 70}}},
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(SpeechTags, UnknownAndMalformedTagsAreDroppedSilently) {
    const std::vector<std::u16string> inputs = {
        u"\\Foo\\a",          u"\\Spd=fast\\a",       u"\\Spd=\\a",
        u"\\Spd\\a",          u"\\Spd=+150\\a",       u"\\Spd=-5\\a",
        u"\\Spd=1.5\\a",      u"\\Spd=\"150\"\\a",    u"\\Spd=150=2\\a",
        u"\\Spd=150x\\a",     u"\\Spdx=150\\a",       u"\\Spd==150\\a",
        u"\\Emp=1\\a",        u"\\Rst=1\\a",          u"\\Map=\"x\"\\a",
        u"\\Map=1=2\\a",      u"\\Map=\"x\"=\"y\"=\"z\"\\a", u"\\Map=\"unclosed\\a",
        u"\\Chr=\"Whisper\"\\a", u"\\Ctx=\"E-mail\"\\a", u"\\Lst\\a",
        u"\\Mrk=12\\a",       u"\\Spd=１５０\\a",     u"\\Spdé=150\\a",
    };
    for (const std::u16string& input : inputs) {
        ExpectParses({"dropped", input, {{.shown = u"a"}}});
    }
}

TEST(SpeechTags, WhatIsNotATagIsReadAsText) {
    const std::vector<ParseCase> cases = {
        {"spaces around the name", u"\\ Rst \\", {{.shown = u"\\ Rst \\"}}},
        {"space before the value", u"\\Spd= 150\\a", {{.shown = u"\\Spd= 150\\a"}}},
        {"no closing backslash", u"text \\Spd=150", {{.shown = u"text \\Spd=150"}}},
        {"backslash at the end", u"end\\", {{.shown = u"end\\"}}},
        {"backslash alone", u"\\", {{.shown = u"\\"}}},
        {"not a letter after it", u"\\1\\ \\\"", {{.shown = u"\\1\\ \\\""}}},
        {"a sentence in quotes", u"\\Map=\"one two\"\\ok", {{.shown = u"\\Map=\"one two\"\\ok"}}},
        {"unclosed quotes with spaces", u"\\x\"hello world \\c\\d",
         {{.shown = u"\\x\"hello world d"}}},
        {"the bar is a character", u"this|that", {{.shown = u"this|that"}}},
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(SpeechTags, DoubledBackslashIsOneBackslash) {
    const std::vector<ParseCase> cases = {
        {"inside a word", u"a\\\\b", {{.shown = u"a\\b"}}},
        {"two in a row", u"\\\\\\\\", {{.shown = u"\\\\"}}},
        {"an escaped tag", u"\\\\Spd=50\\\\", {{.shown = u"\\Spd=50\\"}}},
        {"before a real tag", u"\\\\\\Spd=50\\x",
         {{.shown = u"\\"}, {.shown = u"x", .speedWpm = 50}}},
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(SpeechTags, SegmentsFollowChanges) {
    const std::vector<ParseCase> cases = {
        {"speed change", u"Hello \\Spd=200\\world",
         {{.shown = u"Hello "}, {.shown = u"world", .speedWpm = 200}}},
        {"a tag that changes nothing", u"a\\Spd=127\\b", {{.shown = u"ab"}}},
        {"a change undone", u"a\\Spd=200\\\\Spd=127\\b", {{.shown = u"ab"}}},
        {"a dropped tag", u"a\\Foo\\b", {{.shown = u"ab"}}},
        {"pause", u"a\\Pau=500\\b", {{.shown = u"a"}, {.shown = u"b", .pauseBeforeMs = 500}}},
        {"pause at the end", u"a\\Pau=500\\", {{.shown = u"a"}}},
        {"emphasis", u"Hi \\Emp\\there you",
         {{.shown = u"Hi "}, {.shown = u"there you", .emphasis = true}}},
        {"emphasis at the end", u"Hi\\Emp\\", {{.shown = u"Hi"}}},
        {"reset", u"\\Spd=200\\\\Pit=300\\\\Vol=5\\a\\Rst\\b",
         {{.shown = u"a", .speedWpm = 200, .pitchHz = 300, .volume = 5}, {.shown = u"b"}}},
        {"reset cancels emphasis, keeps a pause", u"\\Emp\\\\Pau=50\\\\Rst\\a",
         {{.shown = u"a", .pauseBeforeMs = 50}}},
        {"settings last to the end", u"\\Spd=60\\a\\Pau=20\\b",
         {{.shown = u"a", .speedWpm = 60}, {.shown = u"b", .speedWpm = 60, .pauseBeforeMs = 20}}},
        {"nothing", u"", {}},
        {"only tags", u"\\Spd=100\\\\Pau=100\\\\Emp\\", {}},
        {"accents", u"\\Spd=80\\Crème brûlée", {{.shown = u"Crème brûlée", .speedWpm = 80}}},
        {"Greek", u"Καλημέρα \\Pit=200\\κόσμε",
         {{.shown = u"Καλημέρα "}, {.shown = u"κόσμε", .pitchHz = 200}}},
        {"CJK", u"日本語\\Pau=100\\です", {{.shown = u"日本語"}, {.shown = u"です", .pauseBeforeMs = 100}}},
        {"emoji", u"\\Emp\\😀👍🏽", {{.shown = u"😀👍🏽", .emphasis = true}}},
        {"lone surrogate", u"a\xD800\\\\b", {{.shown = u"a\xD800\\b"}}},
    };
    for (const ParseCase& c : cases) ExpectParses(c);
}

TEST(SpeechTags, MapSpeaksOneTextAndShowsAnother) {
    const std::vector<ParseCase> cases = {
        {"abbreviation", u"\\Map=\"United Nations\"=\"UN\"\\ today",
         {{.shown = u"UN", .spoken = u"United Nations"}, {.shown = u" today"}}},
        {"case-insensitive", u"\\map=\"a\"=\"b\"\\", {{.shown = u"b", .spoken = u"a"}}},
        {"escapes in quotes", u"\\Map=\"a\\\\b\"=\"say \"\"hi\"\"\"\\",
         {{.shown = u"say \"hi\"", .spoken = u"a\\b"}}},
        {"each map its own segment", u"x\\Map=\"a\"=\"b\"\\\\Map=\"c\"=\"d\"\\y",
         {{.shown = u"x"}, {.shown = u"b", .spoken = u"a"}, {.shown = u"d", .spoken = u"c"},
          {.shown = u"y"}}},
        {"nothing shown", u"\\Map=\"psst\"=\"\"\\", {{.shown = u"", .spoken = u"psst"}}},
        {"nothing at all", u"\\Map=\"\"=\"\"\\x", {{.shown = u"x"}}},
        {"takes the settings and the pause", u"\\Spd=200\\\\Pau=30\\\\Map=\"a\"=\"b\"\\c",
         {{.shown = u"b", .speedWpm = 200, .pauseBeforeMs = 30, .spoken = u"a"},
          {.shown = u"c", .speedWpm = 200}}},
    };
    for (const ParseCase& c : cases) ExpectParses(c);
    EXPECT_EQ(ParseSpeechTags(u"Say \\Map=\"United Nations\"=\"UN\"\\ now").ShownText(),
              u"Say UN now");
}

void ExpectRoundTrip(const std::u16string& text) {
    // One plain segment, or none for no text.
    const std::vector<Segment> expected(text.empty() ? 0 : 1, Segment{text, text});
    EXPECT_EQ(ParseSpeechTags(EscapeSpeechText(text)).segments, expected);
}

TEST(SpeechTags, EscapedTextIsReadAsWritten) {
    EXPECT_EQ(EscapeSpeechText(u"a\\b\\\\"), u"a\\\\b\\\\\\\\");
    for (const std::u16string& text : std::vector<std::u16string>{
             u"", u"plain", u"\\", u"ends with\\", u"\\Spd=50\\ hello", u"\\\\\\",
             u"C:\\Users\\Ann\\", u"\\Map=\"a\"=\"b\"\\", u"😀\\é\\日本", u"\xDC00\\x"}) {
        ExpectRoundTrip(text);
    }
    // Random texts from the characters that matter to the parser.
    const std::u16string alphabet = u"\\\"= aS1pd\xD83D\xDE00\t";
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(random() % 24, u' ');
        for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
        ExpectRoundTrip(text);
    }
}

TEST(SpeechTags, AdversarialBackslashesKeepTheText) {
    // Every attempt at a tag here fails on a quoted space: all of it must be read.
    std::u16string text;
    for (int i = 0; i < 20'000; ++i) text += u"\\a\" ";
    EXPECT_EQ(ParseSpeechTags(text).ShownText(), text);
}

TEST(SpeechTags, LongTextParsesAndSplits) {
    std::u16string text;
    for (int i = 0; i < 50'000; ++i) {
        text += i % 1000 == 0 ? u"\\Spd=200\\word " : i % 1000 == 500 ? u"\\Rst\\word " : u"word ";
    }
    const Utterance parsed = ParseSpeechTags(text);
    EXPECT_EQ(parsed.segments.size(), 100u);
    EXPECT_EQ(parsed.ShownText().size(), 50'000u * 5);
    EXPECT_EQ(SplitWords(parsed).size(), 50'000u);
}

}  // namespace
}  // namespace agent::core
