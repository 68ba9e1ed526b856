#include "agent/core/words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent/core/speech_tags.h"

namespace agent::core {
namespace {

struct SplitCase {
    const char* name;
    std::u16string tagged;
    std::vector<std::u16string> words;  // as shown
};

std::vector<std::u16string> ShownWords(const Utterance& utterance) {
    const std::u16string shown = utterance.ShownText();
    std::vector<std::u16string> words;
    for (const Word& word : SplitWords(utterance)) {
        words.push_back(shown.substr(word.shownBegin, word.shownLength));
    }
    return words;
}

TEST(SplitWords, SplitsAnyScript) {
    const std::vector<SplitCase> cases = {
        {"spaces", u"Good morning", {u"Good", u"morning"}},
        {"edges and runs of space", u"  a  b  ", {u"a", u"b"}},
        {"tabs and lines", u"one\ttwo\r\nthree", {u"one", u"two", u"three"}},
        {"no-break and ideographic spaces", u"a\u00A0b\u3000c", {u"a", u"b", u"c"}},
        {"punctuation stays", u"Hello, world!", {u"Hello,", u"world!"}},
        {"accents", u"Crème brûlée", {u"Crème", u"brûlée"}},
        {"Greek", u"Καλημέρα κόσμε", {u"Καλημέρα", u"κόσμε"}},
        {"Hangul", u"한국어 텍스트", {u"한국어", u"텍스트"}},
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
    for (const SplitCase& c : cases) {
        EXPECT_EQ(ShownWords(ParseSpeechTags(c.tagged)), c.words) << c.name;
    }
}

TEST(SplitWords, SpokenRangesMatchTheSegments) {
    const Utterance utterance = ParseSpeechTags(
        u"Hi \\Pit=200\\there \\Map=\" United Nations\"=\"UN\"\\ \\Map=\"psst\"=\"\"\\");
    const std::vector<Word> words = SplitWords(utterance);
    struct Expect {
        std::u16string spoken;
        std::size_t segment;
        std::size_t shownLength;
    };
    const std::vector<Expect> expected = {
        {u"Hi", 0, 2}, {u"there", 1, 5}, {u"United Nations", 2, 2}, {u"psst", 4, 0}};
    ASSERT_EQ(words.size(), expected.size());
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

    struct Paced {
        std::u16string word;
        int wpm = kNormalSpeedWpm;
        bool stressed = false;
    };
    const auto total = [](const Paced& p) {
        const WordPace pace = PaceWord(p.word, p.wpm, p.stressed);
        return pace.speakMs + pace.silenceAfterMs;
    };
    struct Relation {
        const char* why;
        Paced longer;
        Paced shorter;
    };
    const std::vector<Relation> longer = {
        {"slower speed", {u"word", 100}, {u"word", 200}},
        {"lowest speeds differ", {u"word", 50}, {u"word", 51}},
        {"highest speeds differ", {u"word", 240}, {u"word", 250}},
        {"longer word", {u"extraordinary"}, {u"word"}},
        {"a word is longer than one ideograph", {u"hello"}, {u"語"}},
        {"stress", {u"word", 127, true}, {u"word"}},
        {"a clause ends", {u"word,"}, {u"word"}},
        {"a sentence ends", {u"word?"}, {u"word;"}},
        {"a sentence ends in Chinese", {u"す。"}, {u"す"}},
    };
    for (const Relation& r : longer) EXPECT_GT(total(r.longer), total(r.shorter)) << r.why;

    const std::vector<Relation> same = {
        {"speed below range is the lowest", {u"word", 10}, {u"word", 50}},
        {"zero speed does not divide by zero", {u"word", 0}, {u"word", 50}},
        {"speed above range is the highest", {u"word", 1000}, {u"word", 250}},
        {"an emoji is one letter", {u"😀"}, {u"a"}},
        {"long words reach a ceiling", {u"pneumonoultramicroscopic"},
         {u"pneumonoultramicroscopicsilicovolcanoconiosis"}},
        {"closing quotes keep the stop", {u"end.\u201D"}, {u"end."}},
    };
    for (const Relation& r : same) EXPECT_EQ(total(r.longer), total(r.shorter)) << r.why;

    EXPECT_EQ(PaceWord(u"word.", 250, false).silenceAfterMs * 2,
              PaceWord(u"word.", 125, false).silenceAfterMs);
    EXPECT_GT(PaceWord(u"...", 127, false).speakMs, 0);
}

}  // namespace
}  // namespace agent::core
