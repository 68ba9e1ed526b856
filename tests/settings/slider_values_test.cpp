#include "settings/slider_values.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vocalinka {
namespace {

TEST(LeadingNumber, ReadsTheNumberATextStartsWith) {
    const struct {
        const char* text;
        std::optional<double> number;
    } cases[] = {
        {"127", 127},
        {" 90", 90},
        {"\t90", 90},
        {"90x", 90},
        {"-5", -5},
        {"+7", 7},
        {"1.5", 1.5},
        {".5", 0.5},
        {"12.", 12},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {"-", std::nullopt},
        {".", std::nullopt},
        {"x90", std::nullopt},
        {"- 5", std::nullopt},
        {"99999999999", 99999999999.0},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingNumber(c.text), c.number) << '"' << c.text << '"';
}

TEST(SpeedAccepted, TakesTheLeadingNumberAndChecksFiftyToTwoHundredFifty) {
    const struct {
        const char* text;
        bool accepted;
    } cases[] = {
        {"50", true},    {"250", true},    {"127", true},  {"49", false}, {"251", false},
        {"49.9", false}, {"250.1", false}, {"300", false}, {"0", false},  {"-5", false},
        {"abc", false},  {"", false},      {" 90", true},  {"90x", true}, {"99999999999", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpeedAccepted(c.text), c.accepted) << '"' << c.text << '"';
}

TEST(SliderValueFor, PutsAStoredTextAtTheNearestValidValue) {
    const struct {
        const char* stored;
        int speed;
        int pitch;
    } cases[] = {
        {"127", 127, 127},   {"50", 50, 50},      {"250", 250, 250}, {"300", 250, 300},
        {"400", 250, 400},   {"401", 250, 400},   {"abc", 127, 127}, {"", 127, 127},
        {" 90", 90, 90},     {"90x", 90, 90},     {"-5", 50, 50},    {"99999999999", 250, 400},
        {"127.5", 128, 128}, {"127.4", 127, 127}, {"49.6", 50, 50},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SliderValueFor(c.stored, kSpeedRange), c.speed) << '"' << c.stored << '"';
        EXPECT_EQ(SliderValueFor(c.stored, kPitchRange), c.pitch) << '"' << c.stored << '"';
    }
}

// A label shows what OK will store, except a speed that OK refuses: that one is shown as
// stored, next to the range message it brings.
TEST(ValueLabels, ShowTheSliderValueOrTheRefusedSpeedAsStored) {
    const struct {
        const char* stored;
        const char* speedLabel;
        const char* pitchLabel;
    } cases[] = {
        {"127", "127", "127"},  {"50", "50", "50"},
        {"250", "250", "250"},  {"300", "300", "300"},
        {"abc", "abc", "127"},  {"", "", "127"},
        {" 90", "90", "90"},    {"90x", "90", "90"},
        {"-5", "-5", "50"},     {"99999999999", "99999999999", "400"},
        {"0127", "127", "127"}, {"127.5", "128", "128"},
        {"450", "450", "400"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedLabelFor(c.stored), c.speedLabel) << '"' << c.stored << '"';
        EXPECT_EQ(PitchLabelFor(c.stored), c.pitchLabel) << '"' << c.stored << '"';
    }
}

}  // namespace
}  // namespace vocalinka
