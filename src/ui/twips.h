// Designs are measured in twips (1/1440 inch); at 96 DPI one pixel is 15 twips.
#pragma once

namespace vocalinka {

inline constexpr int kTwipsPerInch = 1440;

// Rounded to the nearest pixel, halves away from zero, so that a design keeps its symmetry
// when negative offsets (a control reaching above its client area) are converted.
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

constexpr int PixelsToTwips(int pixels, int dpi) {
    return dpi > 0 ? static_cast<int>(static_cast<long long>(pixels) * kTwipsPerInch / dpi) : 0;
}

// The main window's Left: the screen width less the window width less 100 twips, computed in
// single precision as the design has it, and never clamped: a window wider than the screen
// gets a negative Left.
constexpr float MainWindowLeftTwips(float screenWidthTwips, float windowWidthTwips) {
    return screenWidthTwips - windowWidthTwips - 100.0f;
}
inline constexpr int kMainWindowTopTwips = 375;

}  // namespace vocalinka
