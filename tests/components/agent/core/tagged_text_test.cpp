// Tagged text as the parser reads it, and its words as they are split and paced.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

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

TEST(SplitWords, SplitsAnyScript) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::vector<std::u16string> words;  // as shown
    } cases[] = {
        {"edges and runs of space", u"  Good  morning  ", {u"Good", u"morning"}},
        {"other white space",
         u"one\ttwo\r\nthree\u00A0four\u3000five",
         {u"one", u"two", u"three", u"four", u"five"}},
        {"Thai with zero width spaces", u"ภาษา\u200Bไทย", {u"ภาษา", u"ไทย"}},
        {"Chinese, also beyond the BMP", u"日本𠀀𠀁", {u"日", u"本", u"𠀀", u"𠀁"}},
        {"Japanese keeps small kana and marks",
         u"ちょっとコーヒー",
         {u"ちょっ", u"と", u"コー", u"ヒー"}},
        {"sentence mark stays with its ideograph", u"私です。", {u"私", u"で", u"す。"}},
        {"Latin around ideographs", u"ABC漢字def", {u"ABC", u"漢", u"字", u"def"}},
        {"emoji are never split", u"😀 👍🏽 a😀b", {u"😀", u"👍🏽", u"a😀b"}},
        {"lone surrogate", u"a\xD800 b", {u"a\xD800", u"b"}},
        {"a word cut by a tag", u"Hel\\Spd=200\\lo you", {u"Hel", u"lo", u"you"}},
        {"map is one word",
         u"Say \\Map=\"United Nations\"=\" the UN \"\\ now",
         {u"Say", u"the UN", u"now"}},
    };
    for (const auto& c : cases) {
        const Utterance utterance = ParseSpeechTags(c.tagged);
        const std::u16string shown = utterance.ShownText();
        std::vector<std::u16string> words;
        for (const Word& w : SplitWords(utterance)) {
            words.push_back(shown.substr(w.shownBegin, w.shownLength));
        }
        EXPECT_EQ(words, c.words) << c.name;
    }
}

// HasWords answers without splitting; it must agree with the split on what has a word.
TEST(HasWords, AgreesWithTheSplit) {
    for (const std::u16string tagged :
         {u"", u" \t\r\n\u3000\u200B", u"\\Pau=500\\ \\Spd=90\\", u"\\Map=\" \"=\"\"\\",
          u"\\Map=\"psst\"=\"\"\\", u"\\Map=\"\"=\"x\"\\", u"  a", u"\U0001F600", u"\xD800",
          u"\\Spd=90\\ \\Pit=200\\ b"}) {
        const Utterance utterance = ParseSpeechTags(tagged);
        EXPECT_EQ(HasWords(utterance), !SplitWords(utterance).empty())
            << ::testing::PrintToString(tagged);
    }
}

TEST(PaceWord, FollowsSpeedLengthAndPunctuation) {
    // The anchor of the formula: a five-letter word takes one minute / wpm.
    EXPECT_EQ(PaceWord(u"hello", 120, false), (WordPace{500, 0}));

    const auto total = [](std::u16string_view word, int wpm = kNormalSpeedWpm,
                          bool stressed = false) {
        const WordPace pace = PaceWord(word, wpm, stressed);
        return pace.speakMs + pace.silenceAfterMs;
    };
    EXPECT_GT(total(u"word", 100), total(u"word", 200)) << "slower speed";
    EXPECT_GT(total(u"extraordinary"), total(u"word")) << "longer word";
    EXPECT_GT(total(u"hello"), total(u"語")) << "a word is longer than one ideograph";
    EXPECT_GT(total(u"word", 127, true), total(u"word")) << "stress";
    EXPECT_GT(total(u"word,"), total(u"word")) << "a clause ends";
    EXPECT_GT(total(u"word?"), total(u"word;")) << "a sentence ends";
    EXPECT_GT(total(u"す。"), total(u"す")) << "a sentence ends in Chinese";

    EXPECT_EQ(total(u"word", 0), total(u"word", 50)) << "zero speed does not divide by zero";
    EXPECT_EQ(total(u"word", 1000), total(u"word", 250)) << "speed above range is the highest";
    EXPECT_EQ(total(u"😀"), total(u"a")) << "an emoji is one letter";
    EXPECT_EQ(total(u"pneumonoultramicroscopic"),
              total(u"pneumonoultramicroscopicsilicovolcanoconiosis"))
        << "long words reach a ceiling";
    EXPECT_EQ(total(u"end.\u201D"), total(u"end.")) << "closing quotes keep the stop";
    EXPECT_GT(PaceWord(u"...", 127, false).speakMs, 0) << "punctuation alone is still said";
}

}  // namespace
}  // namespace agent::core
