#include "shell/reading_pace.h"

#include <algorithm>

#include "settings/slider_values.h"

namespace vocalinka {
namespace {

constexpr int kWheelNotch = 120;  // WHEEL_DELTA

}  // namespace

std::string SteppedSpeed(std::string_view stored, int steps) {
    const int speed = SliderValueFor(stored, kSpeedRange) + steps * kSpeedStep;
    return std::to_string(std::clamp(speed, kSpeedRange.minimum, kSpeedRange.maximum));
}

int WheelNotches::Add(int delta) {
    if ((rest_ > 0 && delta < 0) || (rest_ < 0 && delta > 0)) rest_ = 0;
    rest_ += delta;
    const int notches = rest_ / kWheelNotch;
    rest_ -= notches * kWheelNotch;
    return notches;
}

}  // namespace vocalinka
