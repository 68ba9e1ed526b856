#include "settings/slider_values.h"

#include <gtest/gtest.h>

#include <string>

namespace vocalinka {
namespace {

// A stored text opens at the nearest valid slider value. A label shows what OK will store,
// except a speed that OK refuses: that one is shown as stored, next to the range message.
TEST(SliderValues, PutAStoredTextAtTheNearestValidValueAndJudgeTheSpeed) {
    const struct {
        const char *stored, *speedLabel, *pitchLabel;
        int speed, pitch;
        bool speedAccepted;
    } cases[] = {{"50", "50", "50", 50, 50, true},
                 {"250", "250", "250", 250, 250, true},
                 {"49.9", "49.9", "50", 50, 50, false},
                 {"300", "300", "300", 250, 300, false},
                 {"401", "401", "400", 250, 400, false},
                 {"abc", "abc", "127", 127, 127, false},
                 {"", "", "127", 127, 127, false},
                 {"90x", "90", "90", 90, 90, true},
                 {"127.5", "128", "128", 128, 128, true},
                 {"99999999999", "99999999999", "400", 250, 400, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(SliderValueFor(c.stored, kSpeedRange), c.speed);
        EXPECT_EQ(SliderValueFor(c.stored, kPitchRange), c.pitch);
        EXPECT_EQ(SpeedLabelFor(c.stored), c.speedLabel);
        EXPECT_EQ(PitchLabelFor(c.stored), c.pitchLabel);
        EXPECT_EQ(SpeedAccepted(c.stored), c.speedAccepted);
    }
}

}  // namespace
}  // namespace vocalinka
