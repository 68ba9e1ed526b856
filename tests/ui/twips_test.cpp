#include "ui/twips.h"

#include <gtest/gtest.h>

namespace vocalinka {
namespace {

TEST(Twips, BecomePixelsAtTheWindowsDpi) {
    struct Case {
        int twips, dpi, pixels;
    };
    for (const Case& c : {Case{690, 96, 46}, Case{645, 96, 43}, Case{-15, 96, -1},
                          Case{660, 96, 44}, Case{375, 96, 25}, Case{690, 144, 69},
                          Case{-15, 144, -2}, Case{100, 96, 7}, Case{645, 120, 54}}) {
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
    }
    EXPECT_EQ(PixelsToTwips(1280, 96), 19200);
    EXPECT_EQ(PixelsToTwips(1, 0), 0);
}

TEST(Twips, MainWindowStandsAHundredTwipsFromTheRightEdgeUnclamped) {
    EXPECT_FLOAT_EQ(MainWindowLeftTwips(19200.0f, 780.0f), 18320.0f);
    EXPECT_FLOAT_EQ(MainWindowLeftTwips(700.0f, 780.0f), -180.0f);  // wider than the screen
}

}  // namespace
}  // namespace vocalinka
