#include "portable/text_pages.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace agent::win {
namespace {

// Ten pixels a UTF-16 unit, none for a low surrogate: an emoji is as wide as a letter.
int MonoWidth(std::u16string_view run) {
    int width = 0;
    for (char16_t c : run)
        if (c < 0xDC00 || c > 0xDFFF) width += 10;
    return width;
}

TEST(LayoutPageTest, WrapsWithinTheWidthAndNeverSplitsACharacter) {
    using Lines = std::vector<std::u16string>;
    const std::tuple<std::u16string, int, Lines> cases[] = {
        {u"one two three four", 90, {u"one two", u"three", u"four"}},
        {u"abc def", 70, {u"abc def"}},  // an exact fit
        {u"  one     two  ", 50, {u"one", u"two"}},
        {u"one\r\ntwo\n\n\nthree", 200, {u"one", u"two", u"three"}},
        {u"abcdefghij", 40, {u"abcd", u"efgh", u"ij"}},  // a long word is cut
        {u"abc", 5, {u"a", u"b", u"c"}},                 // narrower than one letter
        {u"e\u0301e\u0301e\u0301", 40, {u"e\u0301e\u0301", u"e\u0301"}},
        {u"\U0001F44D\U0001F3FD\U0001F44D", 20, {u"\U0001F44D\U0001F3FD", u"\U0001F44D"}},
        // Between ideographs, but no line starts with closing punctuation.
        {u"\u4ECA\u5929\u3002\u5F88", 20, {u"\u4ECA", u"\u5929\u3002", u"\u5F88"}},
        {u" \n\t ", 100, {}}};
    for (const auto& [text, maxWidth, expected] : cases) {
        Lines lines;
        for (const TextLine& line : LayoutPage(text, 0, maxWidth, 10, MonoWidth).lines)
            lines.push_back(text.substr(line.begin, line.end - line.begin));
        EXPECT_EQ(lines, expected) << "width " << maxWidth;
    }
}

// Every character of a long text lands on exactly one page, in order, whatever the widths.
TEST(LayoutPageTest, PagesCoverTheWholeTextInOrder) {
    std::u16string text;
    for (int i = 0; i < 3000; ++i)
        text += i % 50 == 0 ? u"\r\n" : (i % 7 == 0 ? u"extraordinarily " : u"word \u4E2D\u6587 ");
    for (const int width : {35, 120, 400}) {
        int pages = 0;
        for (std::size_t pos = 0; pos < text.size(); ++pages) {
            const TextPage page = LayoutPage(text, pos, width, 3, MonoWidth);
            ASSERT_TRUE(!page.lines.empty() && page.lines.size() <= 3 && page.end > pos) << pos;
            for (; pos < page.begin; ++pos)  // only spaces and line ends are left out
                ASSERT_TRUE(text[pos] == u' ' || text[pos] == u'\r' || text[pos] == u'\n') << pos;
            pos = page.end;
        }
        EXPECT_GT(pages, 10);
    }
}

// The pages view their text: a temporary string, gone before them, does not compile; a string
// that lives on does.
static_assert(!std::is_constructible_v<PagedText, std::u16string, int, int, MeasureText>);
static_assert(std::is_constructible_v<PagedText, const std::u16string&, int, int, MeasureText>);

TEST(PagedTextTest, TurnsWhenTheWordLeavesThePage) {
    const std::u16string text = u"one two three four five six seven";
    PagedText pages(text, 50, 2, MonoWidth);
    EXPECT_FALSE(pages.SinglePage());
    EXPECT_FALSE(pages.ShowWord(text.find(u"two")));
    EXPECT_TRUE(pages.ShowWord(text.find(u"three")));
    EXPECT_FALSE(pages.ShowWord(text.find(u"four")));
    EXPECT_TRUE(pages.ShowWord(text.find(u"seven")));  // a jump starts the page at the word
    EXPECT_EQ(pages.Current().begin, text.find(u"seven"));
    EXPECT_FALSE(pages.ShowWord(text.size() + 5));  // past the end: nothing to turn to
    EXPECT_TRUE(PagedText(u"Hello", 200, 3, MonoWidth).SinglePage());
}

}  // namespace
}  // namespace agent::win
