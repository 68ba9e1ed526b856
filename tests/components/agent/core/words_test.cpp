#include "agent/core/words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/core/speech_tags.h"

namespace agent::core {
namespace {

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
