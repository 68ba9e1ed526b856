#include "portable/frame_cache.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "portable/image_scale.h"

namespace agent::win {
namespace {

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
