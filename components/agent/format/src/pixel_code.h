// The compression of a picture's pixels inside a character file: a byte code in which a pixel
// costs one byte when it repeats the previous one, matches a recently seen colour or differs
// only a little from the previous one; soft shading and transparent margins compress well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace agent::format::detail {

// The longest run one byte of code can hold.
inline constexpr std::size_t kMaxRun = 62;

// The fewest code bytes that can describe pixelCount pixels: a reader refuses shorter code
// before allocating anything for it.
constexpr std::size_t MinCodeBytes(std::size_t pixelCount) {
    return (pixelCount + kMaxRun - 1) / kMaxRun;
}

// Appends the code of `bgra` (4 bytes a pixel, any values) to `code`.
void EncodePixels(std::span<const std::uint8_t> bgra, std::vector<std::uint8_t>& code);

// Fills `bgra` (4 bytes a pixel) from `code`, which must describe exactly that many pixels and
// nothing more. Empty on success, otherwise what is wrong with the code.
std::string DecodePixels(std::span<const std::uint8_t> code, std::span<std::uint8_t> bgra);

}  // namespace agent::format::detail
