// The byte layout of a character file, shared by its reader, writer and validation.
//
// Layout of a character file, every number little-endian:
//   magic            6 bytes "VKCHAR"
//   version          u16, 1
//   width, height    u16 each: the frame size in pixels
//   anchor           i16 x, i16 y: the balloon anchor
//   name             u8 byte count, then the UTF-8 bytes
//   frame count      u16, then per frame:
//     base           u16: 0xFFFF, or an earlier frame this one is stored as a difference from
//     size           u32, then `size` bytes of pixel code (pixel_code.cpp) for width * height
//                    pixels; with a base, the code holds each byte minus the base's byte,
//                    modulo 256 (a blink frame then costs a few hundred bytes)
//   mouth count      u8, always core::kMouthCount, in core::Mouth order; per mouth:
//     x, y, w, h     u16 each: the overlay's rectangle in the frame
//     size           u32, then `size` bytes of pixel code for w * h pixels
//   animation count  u8, then per animation:
//     name           u8 byte count, then ASCII letters and digits
//     flags          u8: bit 0 set when the animation loops; the other bits are 0
//     step count     u16, then per step: u16 frame index, u16 duration in ms
//   checksum         u32: CRC-32 of every byte before it
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "agent/format/character_file.h"

namespace agent::format::detail {

inline constexpr std::array<std::uint8_t, 6> kMagic = {'V', 'K', 'C', 'H', 'A', 'R'};
inline constexpr std::uint16_t kVersion = 1;
inline constexpr std::uint16_t kNoBase = 0xFFFF;
inline constexpr std::uint8_t kLoopsFlag = 0x01;

inline std::string Num(std::size_t value) {
    return std::to_string(value);
}

inline std::string SizeText(std::size_t width, std::size_t height) {
    return Num(width) + "x" + Num(height);
}

inline std::string MouthText(std::size_t mouth) {
    return "mouth " + std::string(kMouthNames[mouth]);
}

inline bool SideInRange(std::size_t side) {
    return side >= 1 && side <= static_cast<std::size_t>(kMaxFrameSide);
}

}  // namespace agent::format::detail
