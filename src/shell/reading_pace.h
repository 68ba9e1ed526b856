// The pace of a reading as the person changes it while listening: Faster and Slower move the
// Speed setting by steps, the mouse wheel by notches. Portable.
#pragma once

#include <string>
#include <string_view>

namespace vocalinka {

// One press of Faster or Slower, in words per minute.
inline constexpr int kSpeedStep = 10;

// The stored Speed moved by `steps` (negative: slower) and kept within the configuration
// dialog's range, as the profile stores it. A stored text that holds no number counts as the
// normal speed, one out of range as the nearest end.
std::string SteppedSpeed(std::string_view stored, int steps);

// Turns wheel rotation into whole notches: a fine wheel sends a notch in parts, and a turn
// the other way starts afresh rather than paying back what the first direction left over.
class WheelNotches {
public:
    // The whole notches that `delta` (WM_MOUSEWHEEL's, 120 a notch, positive away from the
    // person) completes.
    int Add(int delta);

private:
    int rest_ = 0;
};

}  // namespace vocalinka
