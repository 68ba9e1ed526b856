#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "portable/balloon_shape.h"
#include "portable/image_scale.h"

namespace agent::win {
namespace {

using Pixels = std::vector<std::uint8_t>;

Pixels Solid(int width, int height, std::array<std::uint8_t, 4> bgra) {
    Pixels pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = bgra[i % 4];
    return pixels;
}

bool Premultiplied(const Pixels& pixels) {
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        if (std::max({pixels[i], pixels[i + 1], pixels[i + 2]}) > pixels[i + 3]) return false;
    return true;
}

TEST(ScaleBgraTest, SolidStaysSolidEdgesBlendAndMismatchedSizesGiveNothing) {
    constexpr std::array<std::uint8_t, 4> kColour{40, 80, 120, 160};
    const int sizes[][4] = {
        {8, 10, 8, 10}, {128, 160, 192, 240}, {128, 160, 96, 120}, {1, 1, 3, 3}};
    for (const auto [width, height, newWidth, newHeight] : sizes) {
        EXPECT_EQ(ScaleBgra(Solid(width, height, kColour), width, height, newWidth, newHeight),
                  Solid(newWidth, newHeight, kColour))
            << newWidth << "x" << newHeight;
    }
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, kColour), 3, 3, 6, 6).empty());
    EXPECT_TRUE(ScaleBgra(Solid(2, 2, kColour), 2, 2, 0, 6).empty());
    // Left half opaque white, right half transparent: the seam becomes a soft ramp.
    Pixels source;
    for (int pixel = 0; pixel < 16; ++pixel)
        source.insert(source.end(), 4, pixel % 4 < 2 ? 255 : 0);
    const Pixels scaled = ScaleBgra(source, 4, 4, 6, 6);
    EXPECT_TRUE(Premultiplied(scaled));
    EXPECT_TRUE(scaled[3] == 255 && scaled[5 * 4 + 3] == 0);  // the far sides stay as they were
    EXPECT_TRUE(scaled[2 * 4 + 3] > 0 && scaled[2 * 4 + 3] < 255) << int{scaled[2 * 4 + 3]};
}

// A 200x80 body with a tail down and to the left, in a picture with room for the shadow.
constexpr BalloonShape kShape{.body = {0, 0, 200, 80},
                              .cornerRadius = 12,
                              .tailTip = {60, 100},
                              .tailBaseX = 100,
                              .tailHalfWidth = 9};

TEST(BalloonMaskTest, OpaqueInsideTransparentOutsideBorderAtTheEdge) {
    constexpr int kWidth = 210;
    Pixels pixels = Solid(kWidth, 110, {240, 250, 255, 0});
    const auto at = [&](int x, int y) { return &pixels[(y * kWidth + x) * 4]; };
    BalloonMask mask;
    mask.Prepare(kShape, kWidth, 110);
    mask.Apply(pixels, {10, 20, 30});
    EXPECT_TRUE(Premultiplied(pixels));
    EXPECT_EQ(at(100, 40)[3], 255);  // inside: the GDI picture, opaque
    EXPECT_EQ(at(100, 40)[0], 240);
    EXPECT_EQ(at(150, 100)[3], 0);  // beside the tail, beyond the shadow
    EXPECT_EQ(at(1, 1)[3], 0);      // outside the rounded corner
    EXPECT_EQ(at(150, 79)[0], 30);  // the bottom edge is border, in blue-green-red order
    EXPECT_GT(at(203, 40)[3], 0);   // right of the body: a soft shadow
    BalloonShape moved = kShape;    // moving the tail changes which pixels are covered
    moved.tailTip = {150, 100};
    mask.Prepare(moved, kWidth, 110);
    pixels = Solid(kWidth, 110, {255, 255, 255, 0});
    mask.Apply(pixels, {0, 0, 0});
    EXPECT_EQ(at(128, 90)[3], 255);
    EXPECT_LT(at(77, 90)[3], 128);  // under the old tail
}

}  // namespace
}  // namespace agent::win
