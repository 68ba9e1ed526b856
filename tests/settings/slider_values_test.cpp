#include "settings/slider_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vocalinka {
namespace {

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"127", 127}, {" 90", 90},  {"\t90", 90}, {"90x", 90}, {"-5", -5},
        {"+7", 7},    {"1.5", 1.5}, {".5", 0.5},  {"12.", 12}, {"abc", {}},
        {"", {}},     {"-", {}},    {".", {}},    {"x90", {}}, {"- 5", {}},
    };
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(LeadingNumber(text), number) << '"' << text << '"';
    }
}

// A stored text opens at the nearest valid slider value. A label shows what OK will store,
// except a speed that OK refuses: that one is shown as stored, next to the range message.
TEST(SliderValues, PutAStoredTextAtTheNearestValidValueAndJudgeTheSpeed) {
    const struct {
        const char* stored;
        int speed, pitch;
        const char* speedLabel;
        const char* pitchLabel;
        bool speedAccepted;
    } cases[] = {
        {"127", 127, 127, "127", "127", true},
        {"50", 50, 50, "50", "50", true},
        {"250", 250, 250, "250", "250", true},
        {"49", 50, 50, "49", "50", false},
        {"49.9", 50, 50, "49.9", "50", false},
        {"250.1", 250, 250, "250.1", "250", false},
        {"300", 250, 300, "300", "300", false},
        {"401", 250, 400, "401", "400", false},
        {"0", 50, 50, "0", "50", false},
        {"-5", 50, 50, "-5", "50", false},
        {"abc", 127, 127, "abc", "127", false},
        {"", 127, 127, "", "127", false},
        {" 90", 90, 90, "90", "90", true},
        {"90x", 90, 90, "90", "90", true},
        {"0127", 127, 127, "127", "127", true},
        {"127.5", 128, 128, "128", "128", true},
        {"127.4", 127, 127, "127", "127", true},
        {"99999999999", 250, 400, "99999999999", "400", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SliderValueFor(c.stored, kSpeedRange), c.speed) << '"' << c.stored << '"';
        EXPECT_EQ(SliderValueFor(c.stored, kPitchRange), c.pitch) << '"' << c.stored << '"';
        EXPECT_EQ(SpeedLabelFor(c.stored), c.speedLabel) << '"' << c.stored << '"';
        EXPECT_EQ(PitchLabelFor(c.stored), c.pitchLabel) << '"' << c.stored << '"';
        EXPECT_EQ(SpeedAccepted(c.stored), c.speedAccepted) << '"' << c.stored << '"';
    }
}

}  // namespace
}  // namespace vocalinka
