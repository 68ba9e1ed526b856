#include "portable/text_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace agent::win {
namespace {

// Ten pixels a UTF-16 unit: easy widths to reason about. A low surrogate adds nothing, so an
// emoji is as wide as a letter.
int MonoWidth(std::u16string_view run) {
    int width = 0;
    for (char16_t c : run)
        if (c < 0xDC00 || c > 0xDFFF) width += 10;
    return width;
}

std::vector<std::u16string> LinesOf(std::u16string_view text, const TextPage& page) {
    std::vector<std::u16string> lines;
    for (const TextLine& line : page.lines)
        lines.emplace_back(text.substr(line.begin, line.end - line.begin));
    return lines;
}

struct WrapCase {
    const char* name;
    std::u16string text;
    int maxWidth;
    std::vector<std::u16string> lines;
};

class LayoutPageTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(LayoutPageTest, WrapsAsExpected) {
    const auto& c = GetParam();
    const TextPage page = LayoutPage(c.text, 0, c.maxWidth, 10, MonoWidth);
    EXPECT_EQ(LinesOf(c.text, page), c.lines);
    for (const TextLine& line : page.lines) {
        if (line.end - line.begin > 1) {  // a single cluster is shown even when too wide
            EXPECT_LE(
                MonoWidth(std::u16string_view(c.text).substr(line.begin, line.end - line.begin)),
                c.maxWidth);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LayoutPageTest,
    ::testing::Values(
        WrapCase{"Fits", u"Good morning", 200, {u"Good morning"}},
        WrapCase{"BreaksAtSpaces", u"one two three four", 90, {u"one two", u"three", u"four"}},
        WrapCase{"ExactFit", u"abc def", 70, {u"abc def"}},
        WrapCase{"RunsOfSpaces", u"  one     two  ", 50, {u"one", u"two"}},
        WrapCase{"LineEndsOfTheText", u"one\r\ntwo\n\n\nthree", 200, {u"one", u"two", u"three"}},
        WrapCase{"Tabs", u"a\tb", 200, {u"a\tb"}},
        WrapCase{"LongWordIsCut", u"abcdefghij", 40, {u"abcd", u"efgh", u"ij"}},
        WrapCase{"NarrowerThanOneLetter", u"abc", 5, {u"a", u"b", u"c"}},
        WrapCase{"SurrogatePairNeverSplit",
                 u"\U0001F600\U0001F601\U0001F602",
                 20,
                 {u"\U0001F600\U0001F601", u"\U0001F602"}},
        WrapCase{
            "CombiningMarkStays", u"e\u0301e\u0301e\u0301", 40, {u"e\u0301e\u0301", u"e\u0301"}},
        WrapCase{"SkinToneStays",
                 u"\U0001F44D\U0001F3FD\U0001F44D",
                 20,
                 {u"\U0001F44D\U0001F3FD", u"\U0001F44D"}},
        WrapCase{"Ideographs",
                 u"\u4ECA\u5929\u5929\u6C14\u5F88\u597D",
                 40,
                 {u"\u4ECA\u5929\u5929\u6C14", u"\u5F88\u597D"}},
        WrapCase{"NoLineStartsWithClosingPunctuation",
                 u"\u4ECA\u5929\u3002\u5F88",
                 20,
                 {u"\u4ECA", u"\u5929\u3002", u"\u5F88"}},
        WrapCase{"Empty", u"", 100, {}}, WrapCase{"OnlySpace", u" \n\t ", 100, {}}),
    [](const auto& tested) { return tested.param.name; });

TEST(LayoutPageTest, PageHoldsAtMostItsLinesAndTellsWhereTheNextStarts) {
    const std::u16string text = u"one two three four five six";
    const TextPage first = LayoutPage(text, 0, 50, 2, MonoWidth);
    EXPECT_EQ(LinesOf(text, first), (std::vector<std::u16string>{u"one", u"two"}));
    EXPECT_EQ(first.begin, 0u);
    EXPECT_EQ(first.end, text.find(u"three"));
    const TextPage second = LayoutPage(text, first.end, 50, 2, MonoWidth);
    EXPECT_EQ(LinesOf(text, second), (std::vector<std::u16string>{u"three", u"four"}));
}

// Every character of a long text lands on exactly one page, in order, whatever the widths.
TEST(LayoutPageTest, PagesCoverTheWholeTextInOrder) {
    std::u16string text;
    for (int i = 0; i < 3000; ++i) {
        text += (i % 7 == 0) ? u"extraordinarily " : (i % 5 == 0 ? u"\u4E2D\u6587 " : u"word ");
        if (i % 50 == 0) text += u"\r\n";
    }
    for (const int width : {35, 120, 400}) {
        std::size_t pos = 0;
        int pages = 0;
        while (pos < text.size()) {
            const TextPage page = LayoutPage(text, pos, width, 3, MonoWidth);
            ASSERT_FALSE(page.lines.empty());
            ASSERT_GT(page.end, pos);
            ASSERT_LE(page.lines.size(), 3u);
            for (std::size_t i = pos; i < page.begin; ++i)
                ASSERT_TRUE(text[i] == u' ' || text[i] == u'\r' || text[i] == u'\n');
            pos = page.end;
            ++pages;
        }
        EXPECT_GT(pages, 10);
    }
}

TEST(PagedTextTest, TurnsWhenTheWordLeavesThePage) {
    const std::u16string text = u"one two three four five six seven";
    PagedText pages(text, 50, 2, MonoWidth);
    EXPECT_FALSE(pages.SinglePage());
    EXPECT_FALSE(pages.ShowWord(text.find(u"two")));
    EXPECT_TRUE(pages.ShowWord(text.find(u"three")));
    EXPECT_TRUE(pages.Current().Contains(text.find(u"four")));
    EXPECT_FALSE(pages.ShowWord(text.find(u"four")));
    // A jump far ahead or back starts the page at the word.
    EXPECT_TRUE(pages.ShowWord(text.find(u"seven")));
    EXPECT_EQ(pages.Current().begin, text.find(u"seven"));
    EXPECT_TRUE(pages.ShowWord(0));
    EXPECT_EQ(pages.Current().begin, 0u);
    EXPECT_FALSE(pages.ShowWord(text.size() + 5));  // past the end: nothing to turn to
}

TEST(PagedTextTest, ShortTextIsOnePage) {
    const std::u16string text = u"Hello";
    PagedText pages(text, 200, 3, MonoWidth);
    EXPECT_TRUE(pages.SinglePage());
    EXPECT_EQ(pages.Current().lines.size(), 1u);
}

}  // namespace
}  // namespace agent::win
