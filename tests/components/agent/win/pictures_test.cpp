// The pictures the windows show: frames scaled for DPI and the balloon's outline.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <tuple>
#include <vector>

#include "portable/balloon_shape.h"
#include "portable/image_scale.h"

namespace agent::win {
namespace {

using Pixels = std::vector<std::uint8_t>;

Pixels Solid(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r,
             std::uint8_t a) {
    Pixels pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::array{b, g, r, a}[i % 4];
    return pixels;
}

bool Premultiplied(const Pixels& pixels) {
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        if (std::max({pixels[i], pixels[i + 1], pixels[i + 2]}) > pixels[i + 3]) return false;
    return true;
}

TEST(ScaleBgraTest, SolidStaysSolidAtEverySize) {
    const int sizes[][4] = {{8, 10, 8, 10},   {128, 160, 160, 200}, {128, 160, 192, 240},
                            {16, 20, 32, 40}, {128, 160, 96, 120},  {1, 1, 3, 3}};
    for (const auto [width, height, newWidth, newHeight] : sizes) {
        EXPECT_EQ(
            ScaleBgra(Solid(width, height, 40, 80, 120, 160), width, height, newWidth, newHeight),
            Solid(newWidth, newHeight, 40, 80, 120, 160))
            << newWidth << "x" << newHeight;
    }
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, 1, 1, 1, 1), 3, 3, 6, 6).empty());  // size mismatch
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, 1, 1, 1, 1), 2, 2, 0, 6).empty());
}

TEST(ScaleBgraTest, EdgesBlendAndStayPremultiplied) {
    // Left half opaque white, right half transparent: the seam becomes a soft ramp.
    Pixels source;
    for (int pixel = 0; pixel < 16; ++pixel)
        source.insert(source.end(), 4, pixel % 4 < 2 ? 255 : 0);
    const Pixels scaled = ScaleBgra(source, 4, 4, 6, 6);
    EXPECT_TRUE(Premultiplied(scaled));
    EXPECT_EQ(scaled[3], 255);        // far left stays opaque
    EXPECT_EQ(scaled[5 * 4 + 3], 0);  // far right stays transparent
    EXPECT_GT(scaled[2 * 4 + 3], 0);  // in between: partly covered
    EXPECT_LT(scaled[2 * 4 + 3], 255);
}

TEST(ScaleForDpiTest, RoundsToNearestAndNeverToNothing) {
    EXPECT_EQ(ScaleForDpi(128, 96), 128);
    EXPECT_EQ(ScaleForDpi(128, 144), 192);
    EXPECT_EQ(ScaleForDpi(5, 120), 6);  // 6.25
    EXPECT_EQ(ScaleForDpi(1, 48), 1);
    EXPECT_EQ(ScaleForDpi(0, 144), 0);
}

// A 200x80 body with a tail down and to the left, in a picture with room for the shadow.
constexpr BalloonShape kShape{.body = {0, 0, 200, 80},
                              .cornerRadius = 12,
                              .tailTip = {60, 100},
                              .tailBaseX = 100,
                              .tailHalfWidth = 9};

TEST(BalloonDistanceTest, InsideIsNegative) {
    const std::tuple<float, float, bool> points[] = {
        {100, 40, true}, {1, 1, false},  {12, 12, true},   {205, 40, false},   // body
        {80, 90, true},  {65, 97, true}, {120, 95, false}, {60, 105, false}};  // tail
    for (const auto& [x, y, inside] : points) {
        EXPECT_EQ(BalloonDistance(kShape, x, y) < 0, inside) << x << "," << y;
    }
}

TEST(BalloonMaskTest, OpaqueInsideTransparentOutsideBorderAtTheEdge) {
    constexpr int kWidth = 210;
    Pixels pixels = Solid(kWidth, 110, 240, 250, 255, 0);
    BalloonMask mask;
    mask.Prepare(kShape, kWidth, 110);
    mask.Apply(pixels, {10, 20, 30});
    EXPECT_TRUE(Premultiplied(pixels));
    const auto at = [&](int x, int y) { return &pixels[(y * kWidth + x) * 4]; };
    EXPECT_EQ(at(100, 40)[3], 255);  // inside: the GDI picture, opaque
    EXPECT_EQ(at(100, 40)[0], 240);
    EXPECT_EQ(at(150, 100)[3], 0);  // beside the tail, beyond the shadow
    EXPECT_EQ(at(150, 79)[0], 30);  // the bottom edge is border: blue 30, red 10
    EXPECT_EQ(at(150, 79)[2], 10);
    EXPECT_GT(at(203, 40)[3], 0);  // right of the body: a soft black shadow
    EXPECT_LT(at(203, 40)[3], 128);
    EXPECT_EQ(at(203, 40)[0], 0);

    // The mask follows a changed outline: moving the tail changes which pixels are covered.
    BalloonShape moved = kShape;
    moved.tailTip = {150, 100};
    mask.Prepare(moved, kWidth, 110);
    pixels = Solid(kWidth, 110, 255, 255, 255, 0);
    mask.Apply(pixels, {0, 0, 0});
    EXPECT_EQ(at(128, 90)[3], 255);
    EXPECT_LT(at(77, 90)[3], 128);  // under the old tail
}

}  // namespace
}  // namespace agent::win
