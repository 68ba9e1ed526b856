#include "portable/placement.h"

#include <gtest/gtest.h>

namespace agent::win {
namespace {

constexpr Rect kWorkArea{0, 0, 1280, 984};  // a 1280x1024 screen above a 40-pixel taskbar
constexpr Size kCharacter{128, 160};
constexpr Size kBody{300, 90};
constexpr int kTail = 18;
constexpr int kRadius = 14;

TEST(InitialCharacterPositionTest, RightOfTheWorkAreaBelowTheAnchor) {
    const Rect anchor{1180, 25, 1272, 85};
    EXPECT_EQ(InitialCharacterPosition(kWorkArea, anchor, kCharacter, 8),
              (Point{1280 - 8 - 128, 85 + 8}));
    EXPECT_EQ(InitialCharacterPosition(kWorkArea, std::nullopt, kCharacter, 8),
              (Point{1280 - 8 - 128, 8}));
}

TEST(InitialCharacterPositionTest, StaysInsideTheWorkArea) {
    const Rect lowAnchor{1100, 950, 1200, 1000};  // anchor near the bottom: no room below it
    const Point p = InitialCharacterPosition(kWorkArea, lowAnchor, kCharacter, 8);
    EXPECT_TRUE(kWorkArea.Contains({p.x, p.y, p.x + 128, p.y + 160}));
    const Rect secondMonitor{1280, 0, 2560, 1024};
    const Point q = InitialCharacterPosition(secondMonitor, std::nullopt, kCharacter, 8);
    EXPECT_EQ(q.x, 2560 - 8 - 128);
}

struct ClampCase {
    const char* name;
    Point in;
    Point out;
};

class ClampIntoAreaTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampIntoAreaTest, KeepsTheWindowInside) {
    EXPECT_EQ(ClampIntoArea(GetParam().in, kCharacter, kWorkArea), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, ClampIntoAreaTest,
    ::testing::Values(ClampCase{"Inside", {500, 400}, {500, 400}},
                      ClampCase{"LeftAndAbove", {-50, -70}, {0, 0}},
                      ClampCase{"RightAndBelow", {1250, 980}, {1280 - 128, 984 - 160}},
                      ClampCase{"FarAway", {100000, -100000}, {1280 - 128, 0}}),
    [](const auto& tested) { return tested.param.name; });

TEST(ClampIntoAreaTest, TooLargeKeepsTheTopLeftInside) {
    EXPECT_EQ(ClampIntoArea({-10, -10}, {2000, 2000}, kWorkArea), (Point{0, 0}));
}

struct BalloonCase {
    const char* name;
    Point characterTopLeft;
    TailSide expectedTail;
};

class PlaceBalloonTest : public ::testing::TestWithParam<BalloonCase> {};

// Wherever the user drags the character, even half off the screen, the whole balloon stays in
// the work area and its tail stays on the body's edge facing the character.
TEST_P(PlaceBalloonTest, StaysOnScreenWithTheTailTowardTheCharacter) {
    const Point c = GetParam().characterTopLeft;
    const Rect character{c.x, c.y, c.x + kCharacter.width, c.y + kCharacter.height};
    const Point mouth{c.x + 64, c.y + 40};
    const BalloonPlacement p = PlaceBalloon(character, mouth, kBody, kTail, kRadius, kWorkArea);

    EXPECT_TRUE(kWorkArea.Contains(p.window));
    EXPECT_EQ(p.tail, GetParam().expectedTail);
    EXPECT_EQ(p.window.Width(), kBody.width);
    EXPECT_EQ(p.window.Height(), kBody.height + kTail);
    EXPECT_EQ(p.body.Width(), kBody.width);
    EXPECT_EQ(p.body.Height(), kBody.height);
    if (p.tail == TailSide::Bottom) {
        EXPECT_EQ(p.body.top, 0);
        EXPECT_EQ(p.tailTip.y, p.window.Height());
    } else {
        EXPECT_EQ(p.body.bottom, p.window.Height());
        EXPECT_EQ(p.tailTip.y, 0);
    }
    // The tail's base stays clear of the rounded corners.
    EXPECT_GE(p.tailBaseX - kTail / 2, kRadius);
    EXPECT_LE(p.tailBaseX + kTail / 2, kBody.width - kRadius);
    EXPECT_GE(p.tailTip.x, 0);
    EXPECT_LT(p.tailTip.x, kBody.width);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, PlaceBalloonTest,
    ::testing::Values(BalloonCase{"Middle", {600, 500}, TailSide::Bottom},
                      BalloonCase{"TopEdge", {600, 0}, TailSide::Top},
                      BalloonCase{"TopLeftCorner", {0, 0}, TailSide::Top},
                      BalloonCase{"TopRightCorner", {1280 - 128, 0}, TailSide::Top},
                      BalloonCase{"BottomLeftCorner", {0, 984 - 160}, TailSide::Bottom},
                      BalloonCase{"BottomRightCorner", {1280 - 128, 984 - 160}, TailSide::Bottom},
                      BalloonCase{"HalfOffLeft", {-64, 400}, TailSide::Bottom},
                      BalloonCase{"HalfOffRight", {1280 - 64, 400}, TailSide::Bottom},
                      BalloonCase{"HalfOffTop", {600, -80}, TailSide::Top},
                      BalloonCase{"HalfOffBottom", {600, 984 - 80}, TailSide::Bottom}),
    [](const auto& tested) { return tested.param.name; });

TEST(PlaceBalloonTest, CentredOverTheMouthAboveTheCharacterWhenThereIsRoom) {
    const Rect character{600, 500, 728, 660};
    const BalloonPlacement p =
        PlaceBalloon(character, {664, 540}, kBody, kTail, kRadius, kWorkArea);
    EXPECT_EQ(p.window.left, 664 - kBody.width / 2);
    EXPECT_EQ(p.window.bottom, 500);  // the face stays uncovered
    EXPECT_EQ(p.tailTip.x, kBody.width / 2);
    EXPECT_EQ(p.tailBaseX, kBody.width / 2);
}

TEST(PlaceBalloonTest, GoesBelowRatherThanCoverTheProgramsWindow) {
    const Rect character{600, 500, 728, 660};
    const Rect program{640, 420, 700, 470};
    const BalloonPlacement p =
        PlaceBalloon(character, {664, 540}, kBody, kTail, kRadius, kWorkArea, program);
    EXPECT_EQ(p.tail, TailSide::Top);
    EXPECT_EQ(p.window.top, 660);
    // With no room below either, it stays above all the same.
    const Rect shortArea{0, 0, 1280, 700};
    EXPECT_EQ(PlaceBalloon(character, {664, 540}, kBody, kTail, kRadius, shortArea, program).tail,
              TailSide::Bottom);
}

TEST(PlaceBalloonTest, NoRoomAboveOrBelowStaysAboveAndInside) {
    const Rect tiny{0, 0, 400, 200};
    const BalloonPlacement p =
        PlaceBalloon({100, 50, 228, 210}, {164, 90}, {300, 150}, kTail, kRadius, tiny);
    EXPECT_EQ(p.tail, TailSide::Bottom);
    EXPECT_TRUE(tiny.Contains(p.window));
}

}  // namespace
}  // namespace agent::win
