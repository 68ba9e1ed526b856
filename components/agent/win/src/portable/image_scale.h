// Resizes premultiplied BGRA pictures for the screen's DPI. Characters are drawn for 96 DPI;
// on a 144 DPI monitor every frame is scaled once to 150% and kept, so a character has the
// same physical size on every monitor.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace agent::win {

// A tent filter: bilinear when enlarging, averaging over the covered pixels when shrinking.
// Premultiplied pixels blend correctly as they are; the result stays premultiplied (no colour
// byte above its alpha). Rows are top-down, 4 bytes a pixel, no padding.
std::vector<std::uint8_t> ScaleBgra(std::span<const std::uint8_t> source, int width, int height,
                                    int newWidth, int newHeight);

// A length in 96-DPI pixels at the given DPI, rounded to nearest, at least 1 when length is.
int ScaleForDpi(int length, unsigned dpi);

}  // namespace agent::win
