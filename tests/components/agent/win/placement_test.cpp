#include "portable/placement.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

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

}  // namespace
}  // namespace agent::win
