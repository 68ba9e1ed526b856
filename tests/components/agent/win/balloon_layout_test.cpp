// Where the character and its balloon go on the screen, and how the balloon's text is laid
// out in lines and pages.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "portable/placement.h"
#include "portable/text_pages.h"

namespace agent::win {
namespace {

constexpr Rect kWorkArea{0, 0, 1280, 984};  // a 1280x1024 screen above a 40-pixel taskbar
constexpr Size kCharacter{128, 160};
constexpr Size kBody{300, 90};
constexpr int kTail = 18;
constexpr int kRadius = 14;

TEST(PlacementTest, TheCharacterStartsRightBelowTheAnchorAndStaysInside) {
    constexpr int kRight = 1280 - 8 - 128;
    const std::tuple<Rect, std::optional<Rect>, Point> starts[] = {
        {kWorkArea, Rect{1180, 25, 1272, 85}, {kRight, 85 + 8}},
        {{1280, 0, 2560, 1024}, std::nullopt, {1280 + kRight, 8}}};  // a second monitor
    for (const auto& [area, anchor, start] : starts) {
        EXPECT_EQ(InitialCharacterPosition(area, anchor, kCharacter, 8), start) << start.y;
    }
    EXPECT_EQ(ClampIntoArea({1250, 980}, kCharacter, kWorkArea), (Point{1280 - 128, 984 - 160}));
    // Too large: the top left corner stays inside.
    EXPECT_EQ(ClampIntoArea({-10, -10}, {2000, 2000}, kWorkArea), (Point{0, 0}));
}

// Wherever the user drags the character, even half off the screen, the whole balloon stays in
// the work area and its tail stays on the body's edge facing the character.
TEST(PlacementTest, BalloonStaysOnScreenWithTheTailTowardTheCharacter) {
    using enum TailSide;
    const std::tuple<int, int, TailSide> cases[] = {
        {600, 500, Bottom}, {600, 0, Top},       {0, 0, Top},        {1152, 0, Top},
        {0, 824, Bottom},   {1152, 824, Bottom}, {-64, 400, Bottom}, {1216, 400, Bottom},
        {600, -80, Top},    {600, 904, Bottom}};
    for (const auto& [left, top, tail] : cases) {
        SCOPED_TRACE(::testing::Message() << left << "," << top);
        const Rect character{left, top, left + kCharacter.width, top + kCharacter.height};
        const BalloonPlacement p =
            PlaceBalloon(character, {left + 64, top + 40}, kBody, kTail, kRadius, kWorkArea);
        const int height = kBody.height + kTail;
        EXPECT_TRUE(kWorkArea.Contains(p.window));
        EXPECT_EQ(p.tail, tail);
        EXPECT_EQ(p.tailTip.y, tail == Bottom ? height : 0);
        // The tail's base stays clear of the rounded corners; its tip inside the window.
        EXPECT_GE(p.tailBaseX - kTail / 2, kRadius);
        EXPECT_LE(p.tailBaseX + kTail / 2, kBody.width - kRadius);
        EXPECT_TRUE(p.tailTip.x >= 0 && p.tailTip.x < kBody.width) << p.tailTip.x;
    }
}

// Above the whole character, so that the face stays uncovered; below it rather than over the
// program's window, whose stop button the reader needs.
TEST(PlacementTest, BalloonGoesAboveTheCharacterUnlessItWouldCoverTheProgramsWindow) {
    const Rect character{600, 500, 728, 660};
    const Point mouth{664, 540};
    const BalloonPlacement above = PlaceBalloon(character, mouth, kBody, kTail, kRadius, kWorkArea);
    EXPECT_EQ(above.window, (Rect{664 - 150, 500 - kBody.height - kTail, 664 + 150, 500}));

    const Rect program{640, 420, 700, 470};
    const BalloonPlacement below =
        PlaceBalloon(character, mouth, kBody, kTail, kRadius, kWorkArea, program);
    EXPECT_EQ(below.tail, TailSide::Top);
    EXPECT_EQ(below.window.top, 660);
    // With no room below either, it stays above all the same.
    const Rect shortArea{0, 0, 1280, 700};
    EXPECT_EQ(PlaceBalloon(character, mouth, kBody, kTail, kRadius, shortArea, program).tail,
              TailSide::Bottom);
}

// Ten pixels a UTF-16 unit, none for a low surrogate: an emoji is as wide as a letter.
int MonoWidth(std::u16string_view run) {
    int width = 0;
    for (char16_t c : run) {
        if (c < 0xDC00 || c > 0xDFFF) width += 10;
    }
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
        for (const TextLine& line : LayoutPage(text, 0, maxWidth, 10, MonoWidth).lines) {
            lines.push_back(text.substr(line.begin, line.end - line.begin));
        }
        EXPECT_EQ(lines, expected) << "width " << maxWidth;
    }
}

// Every character of a long text lands on exactly one page, in order, whatever the widths.
TEST(LayoutPageTest, PagesCoverTheWholeTextInOrder) {
    std::u16string text;
    for (int i = 0; i < 3000; ++i) {
        text += i % 50 == 0 ? u"\r\n" : (i % 7 == 0 ? u"extraordinarily " : u"word \u4E2D\u6587 ");
    }
    for (const int width : {35, 120, 400}) {
        int pages = 0;
        for (std::size_t pos = 0; pos < text.size(); ++pages) {
            const TextPage page = LayoutPage(text, pos, width, 3, MonoWidth);
            ASSERT_TRUE(!page.lines.empty() && page.lines.size() <= 3 && page.end > pos) << pos;
            for (; pos < page.begin; ++pos) {  // only spaces and line ends are left out
                ASSERT_TRUE(text[pos] == u' ' || text[pos] == u'\r' || text[pos] == u'\n') << pos;
            }
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
