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
        {"other white space", u"one\ttwo\r\nthree\u00A0four\u3000five",
         {u"one", u"two", u"three", u"four", u"five"}},
        {"punctuation stays", u"Hello, world!", {u"Hello,", u"world!"}},
        {"Greek and Hangul", u"Καλημέρα 한국어 텍스트", {u"Καλημέρα", u"한국어", u"텍스트"}},
        {"Thai with zero width spaces", u"ภาษา\u200Bไทย", {u"ภาษา", u"ไทย"}},
        {"Chinese", u"日本語", {u"日", u"本", u"語"}},
        {"Japanese keeps small kana and marks", u"ちょっとコーヒー",
         {u"ちょっ", u"と", u"コー", u"ヒー"}},
        {"sentence mark stays with its ideograph", u"私です。", {u"私", u"で", u"す。"}},
        {"digits between ideographs", u"第3章", {u"第", u"3", u"章"}},
        {"Latin around ideographs", u"ABC漢字def", {u"ABC", u"漢", u"字", u"def"}},
        {"Latin after CJK punctuation", u"好。OK", {u"好。", u"OK"}},
        {"ideographs beyond the BMP", u"𠀀𠀁", {u"𠀀", u"𠀁"}},
        {"emoji are never split", u"😀 👍🏽 a😀b", {u"😀", u"👍🏽", u"a😀b"}},
        {"lone surrogate", u"a\xD800 b", {u"a\xD800", u"b"}},
        {"a word cut by a tag", u"Hel\\Spd=200\\lo you", {u"Hel", u"lo", u"you"}},
        {"map is one word", u"Say \\Map=\"United Nations\"=\" the UN \"\\ now",
         {u"Say", u"the UN", u"now"}},
        {"nothing", u"", {}},
        {"only space", u" \t ", {}},
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

TEST(SplitWords, SpokenRangesMatchTheSegments) {
    const Utterance utterance = ParseSpeechTags(
        u"Hi \\Pit=200\\there \\Map=\" United Nations\"=\"UN\"\\ \\Map=\"psst\"=\"\"\\");
    const std::vector<Word> words = SplitWords(utterance);
    const struct {
        std::u16string spoken;
        std::size_t segment;
        std::size_t shownLength;
    } expected[] = {{u"Hi", 0, 2}, {u"there", 1, 5}, {u"United Nations", 2, 2}, {u"psst", 4, 0}};
    ASSERT_EQ(words.size(), std::size(expected));
    for (std::size_t i = 0; i < words.size(); ++i) {
        const Segment& segment = utterance.segments[words[i].segment];
        EXPECT_EQ(words[i].segment, expected[i].segment) << i;
        EXPECT_EQ(segment.spoken.substr(words[i].spokenBegin, words[i].spokenLength),
                  expected[i].spoken) << i;
        EXPECT_EQ(words[i].shownLength, expected[i].shownLength) << i;
    }
    // A word shown as nothing sits where its segment's shown text would be.
    EXPECT_EQ(words[3].shownBegin, utterance.ShownText().size());
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
    EXPECT_GT(total(u"word", 50), total(u"word", 51)) << "lowest speeds differ";
    EXPECT_GT(total(u"word", 240), total(u"word", 250)) << "highest speeds differ";
    EXPECT_GT(total(u"extraordinary"), total(u"word")) << "longer word";
    EXPECT_GT(total(u"hello"), total(u"語")) << "a word is longer than one ideograph";
    EXPECT_GT(total(u"word", 127, true), total(u"word")) << "stress";
    EXPECT_GT(total(u"word,"), total(u"word")) << "a clause ends";
    EXPECT_GT(total(u"word?"), total(u"word;")) << "a sentence ends";
    EXPECT_GT(total(u"す。"), total(u"す")) << "a sentence ends in Chinese";

    EXPECT_EQ(total(u"word", 10), total(u"word", 50)) << "speed below range is the lowest";
    EXPECT_EQ(total(u"word", 0), total(u"word", 50)) << "zero speed does not divide by zero";
    EXPECT_EQ(total(u"word", 1000), total(u"word", 250)) << "speed above range is the highest";
    EXPECT_EQ(total(u"😀"), total(u"a")) << "an emoji is one letter";
    EXPECT_EQ(total(u"pneumonoultramicroscopic"),
              total(u"pneumonoultramicroscopicsilicovolcanoconiosis"))
        << "long words reach a ceiling";
    EXPECT_EQ(total(u"end.\u201D"), total(u"end.")) << "closing quotes keep the stop";

    EXPECT_EQ(PaceWord(u"word.", 250, false).silenceAfterMs * 2,
              PaceWord(u"word.", 125, false).silenceAfterMs);
    EXPECT_GT(PaceWord(u"...", 127, false).speakMs, 0);
}

}  // namespace
}  // namespace agent::core
