// The numbers of the speech configuration dialog: how a stored Speed or Pitch text becomes a
// slider position and a label, and the speed range check of OK. Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vocalinka {

struct SliderRange {
    int minimum;
    int maximum;
};
inline constexpr SliderRange kSpeedRange{50, 250};
inline constexpr SliderRange kPitchRange{50, 400};
// Where a slider stands when its stored text holds no number at all.
inline constexpr int kNormalSliderValue = 127;

// The number a text starts with, read after leading blanks: an optional sign, digits and an
// optional decimal fraction ("90x" is 90, " 90" is 90, "1.5" is 1.5). Nothing when the text does
// not start with a number.
std::optional<double> LeadingNumber(std::string_view text);

// The check of OK for the speed label: its leading number (0 when there is none) lies within
// 50 to 250.
bool SpeedAccepted(std::string_view labelText);

// The slider position for a stored text: its leading number rounded to the nearest whole number
// and brought into the range; kNormalSliderValue when the text holds no number.
int SliderValueFor(std::string_view stored, SliderRange range);

// What the speed label shows when the dialog opens. A stored speed that OK accepts is shown as
// the slider shows it, so that OK stores a plain whole number; one that OK refuses is shown as
// stored, so that the user sees what the range message is about.
std::string SpeedLabelFor(std::string_view stored);

// What the pitch label shows when the dialog opens: the slider's value. Pitch has no range
// message, so a stored pitch that is no whole number in range is mended here, and OK stores
// what the slider shows.
std::string PitchLabelFor(std::string_view stored);

}  // namespace vocalinka
