// Vocalinka's character file: an animated character's pictures and animations in one small file
// with the extension ".acs". The content is our own format; the byte layout is described in
// src/file_layout.h. Portable: reading and writing never touch the file system.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "agent/core/geometry.h"
#include "agent/core/speech_engine.h"

namespace agent::format {

// Sane bounds a file must respect. They keep a forged file from making the reader allocate
// much: all frames and mouths together decode to at most 32 MB.
inline constexpr int kMaxFrameSide = 1024;
inline constexpr std::size_t kMaxFrames = 512;
inline constexpr std::size_t kMaxTotalPixels = std::size_t{8} << 20;
inline constexpr std::size_t kMaxAnimations = 64;
inline constexpr std::size_t kMaxSteps = 1024;
inline constexpr std::size_t kMaxCharacterNameBytes = 64;
inline constexpr std::size_t kMaxAnimationNameBytes = 32;
// A shorter step would make a looping animation spin the user-interface thread.
inline constexpr int kMinStepMs = 10;

// Every character has these animations.
inline constexpr std::string_view kShowAnimation = "Show";    // appearing; plays once
inline constexpr std::string_view kIdleAnimation = "Idle";    // loops; first step is the rest
                                                              // pose, the later ones a blink
inline constexpr std::string_view kHideAnimation = "Hide";    // disappearing; plays once
inline constexpr std::string_view kSpeakAnimation = "Speak";  // loops; body frames while talking
inline constexpr std::array<std::string_view, 4> kRequiredAnimations = {
    kShowAnimation, kIdleAnimation, kHideAnimation, kSpeakAnimation};

// Mouth shapes by core::Mouth, as the character sources and error messages name them.
inline constexpr std::array<std::string_view, core::kMouthCount> kMouthNames = {
    "Closed", "Small", "Medium", "Wide", "Round"};

// Pixels are premultiplied BGRA, 4 bytes each (blue, green, red, alpha; every colour byte is at
// most the alpha byte), rows top-down without padding: exactly what UpdateLayeredWindow takes
// from a top-down 32-bit DIB section with AC_SRC_ALPHA, so frames can be copied as they are.
struct Frame {
    std::vector<std::uint8_t> bgra;  // width * height * 4 bytes of the character
    bool operator==(const Frame&) const = default;
};

// One mouth shape, drawn over a Speak frame by PasteMouth: the overlay's pixels replace the
// frame's pixels inside its rectangle (a copy, not a blend). Each overlay is cut from the
// character drawn with that mouth, so the rectangle also holds the face around the mouth.
struct MouthOverlay {
    int x = 0;  // top-left corner in frame pixels
    int y = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;  // width * height * 4 bytes, same pixel layout as Frame
    bool operator==(const MouthOverlay&) const = default;
};

struct AnimationStep {
    std::uint16_t frame = 0;       // index into CharacterData::frames
    std::uint16_t durationMs = 0;  // at least kMinStepMs
    bool operator==(const AnimationStep&) const = default;
};

struct Animation {
    std::string name;  // ASCII letters and digits, compared case-sensitively
    bool loops = false;
    std::vector<AnimationStep> steps;  // never empty
    bool operator==(const Animation&) const = default;
};

struct CharacterData {
    std::string name;  // UTF-8, shown to the user
    int width = 0;     // every frame has this size, 1..kMaxFrameSide
    int height = 0;
    core::Point balloonAnchor;  // where the balloon's tail points: near the mouth, inside the frame
    std::vector<Frame> frames;
    std::array<MouthOverlay, core::kMouthCount> mouths;  // indexed by core::Mouth
    std::vector<Animation> animations;

    // Null when the character has no animation of that name.
    const Animation* FindAnimation(std::string_view animationName) const;
    const MouthOverlay& MouthFor(core::Mouth mouth) const;
    bool operator==(const CharacterData&) const = default;
};

struct ParseResult {
    std::optional<CharacterData> character;  // set when the file is sound
    std::string error;                       // otherwise why not: short English, e.g. "bad magic"
};

// Reads a whole file. Never throws: a truncated, damaged or forged file gives an error, and
// every size and count is checked against the bytes left and the bounds above before use.
ParseResult ParseCharacterFile(std::span<const std::uint8_t> bytes) noexcept;

// Empty when the data is complete and consistent (sizes, pixel counts, premultiplied pixels,
// frame references, required animations, mouth rectangles inside the frame); otherwise the
// first fault found.
std::string ValidateCharacter(const CharacterData& character);

// The file's bytes; the same data always gives the same bytes. Throws std::invalid_argument
// with ValidateCharacter's message when the data is not valid.
std::vector<std::uint8_t> WriteCharacterFile(const CharacterData& character);

// Draws a mouth shape into a copy of one of the character's frames (frameBgra must hold
// width * height * 4 bytes; other sizes are left untouched).
void PasteMouth(const CharacterData& character, core::Mouth mouth,
                std::span<std::uint8_t> frameBgra);

// The CRC-32 of zlib and PNG; pass the previous result to continue over more bytes.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous = 0);

}  // namespace agent::format
