// A minimal PNG writer, so that frames can be looked at: 8-bit RGBA, not compressed (deflate's
// stored blocks), which any viewer reads.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace charmaker {

// rgba: straight (not premultiplied) alpha, 4 bytes a pixel, rows top-down.
std::vector<std::uint8_t> EncodePng(int width, int height, std::span<const std::uint8_t> rgba);

}  // namespace charmaker
