// Pictures as the windows show them: frames scaled for the DPI, the balloon's shape and
// the cache of scaled frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "portable/balloon_shape.h"
#include "portable/frame_cache.h"
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
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        if (std::max({pixels[i], pixels[i + 1], pixels[i + 2]}) > pixels[i + 3]) return false;
    }
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
    for (int pixel = 0; pixel < 16; ++pixel) {
        source.insert(source.end(), 4, pixel % 4 < 2 ? 255 : 0);
    }
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

// A character of 10 frames and 5 mouths shown at DPI after DPI up to ten times normal, as when it
// is moved between monitors: the cache never holds more than its budget (or the one frame that
// alone exceeds it), every frame comes back as made for its DPI, and frames that fit are made only
// once.
TEST(FrameCache, HoldsNoMoreThanItsBudgetAtAnyDpi) {
    constexpr int kWidth = 50, kHeight = 60, kFrames = 10, kMouths = 6;
    constexpr std::size_t kBudget = 1u << 20;
    const struct {
        unsigned dpi;
        bool allFit;  // every frame and mouth of this DPI fits in the budget
    } steps[] = {{96, true},   {120, false}, {144, false}, {192, false}, {288, false},
                 {480, false}, {960, false}, {96, true},   {144, false}};
    FrameCache cache(kBudget);
    for (const auto& step : steps) {
        const int width = ScaleForDpi(kWidth, step.dpi), height = ScaleForDpi(kHeight, step.dpi);
        const std::size_t frameBytes = std::size_t(width) * height * 4;
        for (int pass = 0; pass < 2; ++pass) {
            int made = 0;
            for (int frame = 0; frame < kFrames; ++frame) {
                for (int mouth = 0; mouth < kMouths; ++mouth) {
                    const auto& pixels = cache.Get({step.dpi, frame, mouth}, [&] {
                        ++made;
                        return FrameCache::Pixels(frameBytes,
                                                  std::uint8_t(frame * kMouths + mouth));
                    });
                    ASSERT_EQ(pixels.size(), frameBytes) << step.dpi;
                    ASSERT_EQ(pixels.front(), frame * kMouths + mouth) << step.dpi;
                    ASSERT_LE(cache.Bytes(), std::max(kBudget, frameBytes)) << step.dpi;
                }
            }
            if (pass == 1) {
                EXPECT_EQ(made == 0, step.allFit) << step.dpi << " DPI, second pass";
            }
        }
    }
    cache.Clear();
    EXPECT_EQ(cache.Bytes(), 0u);
    EXPECT_EQ(cache.Count(), 0u);
}

}  // namespace
}  // namespace agent::win
