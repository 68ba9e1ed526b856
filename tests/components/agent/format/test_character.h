// A small character of premultiplied pixels with every kind of pixel code in it, for the reader
// and writer tests and as a seed for the fuzz test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "agent/format/character_file.h"

namespace agent::format::test {

using Bytes = std::vector<std::uint8_t>;

// Premultiplied pixels from a fixed-seed generator, with transparent stretches, long runs,
// gentle gradients and jumps, so that every kind of pixel code appears.
inline Bytes MakePixels(int width, int height, std::uint32_t seed) {
    auto byte = [](auto value) { return static_cast<std::uint8_t>(value); };
    auto next = [&](int below) {
        seed = seed * 1664525u + 1013904223u;
        return byte((seed >> 24) % static_cast<std::uint32_t>(below));
    };
    Bytes bgra;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int band = (x / 7 + y) % 5;
            if (band == 1) {  // a gentle gradient, opaque
                bgra.insert(bgra.end(), {byte(x + y), byte(50 + x * 3 / 2), byte(100 + x), 255});
            } else if (band == 2) {  // anything premultiplied
                const std::uint8_t a = next(256);
                bgra.insert(bgra.end(), {next(a + 1), next(a + 1), next(a + 1), a});
            } else if (band == 3) {  // a run of one colour
                bgra.insert(bgra.end(), {90, 20, 150, 200});
            } else {  // transparent
                bgra.insert(bgra.end(), 4, 0);
            }
        }
    }
    return bgra;
}

inline CharacterData MakeCharacter(int width = 24, int height = 20) {
    CharacterData c{"Testé", width, height, {width / 2, height / 3}, {}, {}, {}};
    for (std::uint32_t i = 1; i <= 3; ++i) c.frames.push_back({MakePixels(width, height, i)});
    c.frames.push_back(c.frames[0]);  // a near copy of frame 0, as a blink would be
    std::fill(c.frames[3].bgra.end() - 4, c.frames[3].bgra.end(), 0);
    // Each mouth a solid premultiplied grey of its own.
    for (int m = 0; m < 5; ++m) c.mouths[m] = {1, 2, 3, 2, Bytes(24, std::uint8_t(40 + 40 * m))};
    c.animations = {{"Show", false, {{2, 50}, {0, 100}}},
                    {"Idle", true, {{0, 3000}, {3, 80}}},
                    {"Hide", false, {{2, 50}}},
                    {"Speak", true, {{1, 200}, {0, 200}}},
                    {"Wave2", false, {{1, 10}}}};
    return c;
}

}  // namespace agent::format::test
