#include "settings/slider_values.h"

#include <algorithm>
#include <cmath>

namespace vocalinka {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<double> LeadingNumber(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    double value = 0;
    bool anyDigit = false;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - '0');
        anyDigit = true;
    }
    if (pos < text.size() && text[pos] == '.') {
        double scale = 0.1;
        for (++pos; pos < text.size() && IsDigit(text[pos]); ++pos, scale /= 10) {
            value += (text[pos] - '0') * scale;
            anyDigit = true;
        }
    }
    if (!anyDigit) return std::nullopt;
    return negative ? -value : value;
}

bool SpeedAccepted(std::string_view labelText) {
    const double speed = LeadingNumber(labelText).value_or(0);
    return speed >= kSpeedRange.minimum && speed <= kSpeedRange.maximum;
}

int SliderValueFor(std::string_view stored, SliderRange range) {
    const std::optional<double> number = LeadingNumber(stored);
    if (!number) return kNormalSliderValue;
    // Clamped before rounding: a long run of digits must not overflow the whole number.
    const double clamped =
        std::clamp(*number, static_cast<double>(range.minimum), static_cast<double>(range.maximum));
    return static_cast<int>(std::lround(clamped));
}

std::string SpeedLabelFor(std::string_view stored) {
    if (!SpeedAccepted(stored)) return std::string(stored);
    return std::to_string(SliderValueFor(stored, kSpeedRange));
}

std::string PitchLabelFor(std::string_view stored) {
    return std::to_string(SliderValueFor(stored, kPitchRange));
}

}  // namespace vocalinka
