#include "portable/text_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

TEST(LayoutPageTest, WrapsWithinTheWidthAndNeverSplitsACharacter) {
    const std::tuple<std::u16string, int, std::vector<std::u16string>> cases[] = {
        {u"Good morning", 200, {u"Good morning"}},
        {u"one two three four", 90, {u"one two", u"three", u"four"}},
        {u"abc def", 70, {u"abc def"}},  // an exact fit
        {u"  one     two  ", 50, {u"one", u"two"}},
        {u"one\r\ntwo\n\n\nthree", 200, {u"one", u"two", u"three"}},
        {u"a\tb", 200, {u"a\tb"}},
        {u"abcdefghij", 40, {u"abcd", u"efgh", u"ij"}},  // a long word is cut
        {u"abc", 5, {u"a", u"b", u"c"}},                 // narrower than one letter
        {u"\U0001F600\U0001F601\U0001F602", 20, {u"\U0001F600\U0001F601", u"\U0001F602"}},
        {u"e\u0301e\u0301e\u0301", 40, {u"e\u0301e\u0301", u"e\u0301"}},
        {u"\U0001F44D\U0001F3FD\U0001F44D", 20, {u"\U0001F44D\U0001F3FD", u"\U0001F44D"}},
        {u"\u4ECA\u5929\u5929\u6C14\u5F88\u597D",
         40,
         {u"\u4ECA\u5929\u5929\u6C14", u"\u5F88\u597D"}},
        // No line starts with closing punctuation.
        {u"\u4ECA\u5929\u3002\u5F88", 20, {u"\u4ECA", u"\u5929\u3002", u"\u5F88"}},
        {u"", 100, {}},
        {u" \n\t ", 100, {}},
    };
    for (const auto& [text, maxWidth, expected] : cases) {
        const auto lines = LinesOf(text, LayoutPage(text, 0, maxWidth, 10, MonoWidth));
        EXPECT_EQ(lines, expected) << "width " << maxWidth;
        for (const std::u16string& line : lines) {
            // A single cluster is shown even when it is too wide.
            if (line.size() > 1) {
                EXPECT_LE(MonoWidth(line), maxWidth);
            }
        }
    }
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
    EXPECT_TRUE(PagedText(u"Hello", 200, 3, MonoWidth).SinglePage());
}

}  // namespace
}  // namespace agent::win
