#include "shell/reading_pace.h"

#include <gtest/gtest.h>

namespace vocalinka {
namespace {

TEST(ReadingPace, SpeedStepsByTenWithinTheDialogsRange) {
    struct Case {
        const char* stored;
        int steps;
        const char* expected;
    };
    const Case cases[] = {
        {"127", 1, "137"},  {"127", -3, "97"}, {"245", 1, "250"},  {"250", 1, "250"},
        {"55", -1, "50"},   {"50", -1, "50"},  {"", 1, "137"},     {"fast", -1, "117"},
        {"400", -1, "240"}, {"10", 1, "60"},   {"99.6", 1, "110"}, {" 130x", 2, "150"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SteppedSpeed(c.stored, c.steps), c.expected) << c.stored << " " << c.steps;
    }
}

TEST(ReadingPace, WheelPartsAddUpToWholeNotchesAndATurnBackStartsAfresh) {
    WheelNotches wheel;
    EXPECT_EQ(wheel.Add(120), 1);
    EXPECT_EQ(wheel.Add(-240), -2);
    EXPECT_EQ(wheel.Add(360), 3);
    // A fine wheel: parts of a notch.
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(40), 0);
    EXPECT_EQ(wheel.Add(50), 1);  // 130: one notch and 10 over
    // Turning back drops the 10 left over: a notch back takes a whole notch.
    EXPECT_EQ(wheel.Add(-110), 0);
    EXPECT_EQ(wheel.Add(-10), -1);
}

}  // namespace
}  // namespace vocalinka
