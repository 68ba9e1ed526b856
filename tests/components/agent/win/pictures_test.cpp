// The pictures the windows show: frames scaled for DPI and the balloon's outline.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "portable/balloon_shape.h"
#include "portable/image_scale.h"

namespace agent::win {
namespace {

std::vector<std::uint8_t> Solid(int width, int height, std::uint8_t b, std::uint8_t g,
                                std::uint8_t r, std::uint8_t a) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {b, g, r, a});
    return pixels;
}

bool Premultiplied(const std::vector<std::uint8_t>& pixels) {
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        if (pixels[i] > pixels[i + 3] || pixels[i + 1] > pixels[i + 3] ||
            pixels[i + 2] > pixels[i + 3])
            return false;
    return true;
}

struct ScaleCase {
    const char* name;
    int width, height, newWidth, newHeight;
};

class ScaleBgraTest : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(ScaleBgraTest, SolidStaysSolidAndPremultiplied) {
    const auto& c = GetParam();
    const auto source = Solid(c.width, c.height, 40, 80, 120, 160);
    const auto scaled = ScaleBgra(source, c.width, c.height, c.newWidth, c.newHeight);
    ASSERT_EQ(scaled.size(), static_cast<std::size_t>(c.newWidth) * c.newHeight * 4);
    EXPECT_EQ(scaled, Solid(c.newWidth, c.newHeight, 40, 80, 120, 160));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScaleBgraTest,
    ::testing::Values(ScaleCase{"Same", 8, 10, 8, 10}, ScaleCase{"To125", 128, 160, 160, 200},
                      ScaleCase{"To150", 128, 160, 192, 240}, ScaleCase{"To200", 16, 20, 32, 40},
                      ScaleCase{"Shrink", 128, 160, 96, 120}, ScaleCase{"OnePixel", 1, 1, 3, 3}),
    [](const auto& tested) { return tested.param.name; });

TEST(ScaleBgraTest, EdgesBlendAndStayPremultiplied) {
    // Left half opaque white, right half transparent: the seam becomes a soft ramp.
    std::vector<std::uint8_t> source;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t v = x < 2 ? 255 : 0;
            source.insert(source.end(), {v, v, v, v});
        }
    const auto scaled = ScaleBgra(source, 4, 4, 6, 6);
    EXPECT_TRUE(Premultiplied(scaled));
    EXPECT_EQ(scaled[3], 255);           // far left stays opaque
    EXPECT_EQ(scaled[5 * 4 + 3], 0);     // far right stays transparent
    const int seam = scaled[2 * 4 + 3];  // in between: partly covered
    EXPECT_GT(seam, 0);
    EXPECT_LT(seam, 255);
}

TEST(ScaleBgraTest, RejectsMismatchedInput) {
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, 1, 1, 1, 1), 3, 3, 6, 6).empty());
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, 1, 1, 1, 1), 2, 2, 0, 6).empty());
}

TEST(ScaleForDpiTest, RoundsToNearest) {
    EXPECT_EQ(ScaleForDpi(128, 96), 128);
    EXPECT_EQ(ScaleForDpi(128, 144), 192);
    EXPECT_EQ(ScaleForDpi(128, 120), 160);
    EXPECT_EQ(ScaleForDpi(5, 120), 6);  // 6.25
    EXPECT_EQ(ScaleForDpi(1, 48), 1);   // never vanishes
    EXPECT_EQ(ScaleForDpi(0, 144), 0);
}

BalloonShape TestShape() {
    BalloonShape shape;
    shape.body = {0, 0, 200, 80};
    shape.cornerRadius = 12;
    shape.tail = TailSide::Bottom;
    shape.tailBaseX = 100;
    shape.tailHalfWidth = 9;
    shape.tailTip = {60, 100};
    return shape;
}

struct DistanceCase {
    const char* name;
    float x, y;
    bool inside;
};

class BalloonDistanceTest : public ::testing::TestWithParam<DistanceCase> {};

TEST_P(BalloonDistanceTest, InsideIsNegative) {
    const float d = BalloonDistance(TestShape(), GetParam().x, GetParam().y);
    EXPECT_EQ(d < 0, GetParam().inside) << d;
}

INSTANTIATE_TEST_SUITE_P(Points, BalloonDistanceTest,
                         ::testing::Values(DistanceCase{"Centre", 100, 40, true},
                                           DistanceCase{"CutCorner", 1, 1, false},
                                           DistanceCase{"InsideNearCorner", 12, 12, true},
                                           DistanceCase{"RightOfBody", 205, 40, false},
                                           DistanceCase{"TailMiddle", 80, 90, true},
                                           DistanceCase{"NearTip", 65, 97, true},
                                           DistanceCase{"BesideTail", 120, 95, false},
                                           DistanceCase{"BelowTip", 60, 105, false}),
                         [](const auto& tested) { return tested.param.name; });

TEST(BalloonMaskTest, OpaqueInsideTransparentOutsideBorderAtTheEdge) {
    const int width = 210;
    const int height = 110;
    auto pixels = Solid(width, height, 240, 250, 255, 0);
    BalloonMask mask;
    mask.Prepare(TestShape(), width, height);
    mask.Apply(pixels, {10, 20, 30});
    EXPECT_TRUE(Premultiplied(pixels));
    const auto at = [&](int x, int y) { return &pixels[(y * width + x) * 4]; };
    EXPECT_EQ(at(100, 40)[3], 255);  // inside: the GDI picture, opaque
    EXPECT_EQ(at(100, 40)[0], 240);
    EXPECT_EQ(at(0, 0)[3], 0);      // the cut corner
    EXPECT_EQ(at(150, 100)[3], 0);  // beside the tail, beyond the shadow
    EXPECT_EQ(at(150, 79)[0], 30);  // the bottom edge is border: blue 30, red 10
    EXPECT_EQ(at(150, 79)[2], 10);
    const std::uint8_t shadow = at(203, 40)[3];  // right of the body: soft shadow
    EXPECT_GT(shadow, 0);
    EXPECT_LT(shadow, 128);
    EXPECT_EQ(at(203, 40)[0], 0);  // black shadow: no colour
}

// The mask follows the outline: moving the tail changes which pixels are covered.
TEST(BalloonMaskTest, FollowsAChangedOutline) {
    const int width = 210;
    const int height = 110;
    BalloonMask mask;
    BalloonShape shape = TestShape();
    mask.Prepare(shape, width, height);
    auto before = Solid(width, height, 255, 255, 255, 0);
    mask.Apply(before, {0, 0, 0});
    shape.tailTip = {150, 100};
    mask.Prepare(shape, width, height);
    auto after = Solid(width, height, 255, 255, 255, 0);
    mask.Apply(after, {0, 0, 0});
    const auto alphaAt = [&](const std::vector<std::uint8_t>& p, int x, int y) {
        return p[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
    };
    EXPECT_EQ(alphaAt(before, 77, 90), 255);
    EXPECT_LT(alphaAt(before, 128, 90), 128);
    EXPECT_EQ(alphaAt(after, 128, 90), 255);
    EXPECT_LT(alphaAt(after, 77, 90), 128);
}

}  // namespace
}  // namespace agent::win
