// The code, one operation at a time (the previous pixel starts as transparent black, and a
// table of 64 recently seen pixels starts all transparent black):
//   00iiiiii            the pixel in table slot i
//   01bbggrr            the previous pixel with blue, green and red changed by -2..1 each
//                       (field - 2), alpha unchanged
//   10gggggg rrrrbbbb   green changed by g - 32 (-32..31); red and blue by the same amount
//                       plus r - 8 and b - 8 (-8..7); alpha unchanged
//   11nnnnnn            n + 1 more copies of the previous pixel, n = 0..61
//   11111110 b g r      a new colour with the previous alpha
//   11111111 b g r a    a new pixel
// Changes wrap around modulo 256. Every pixel that is not a repeat is then stored in the table
// at slot (3b + 5g + 7r + 11a) mod 64.
#include "pixel_code.h"

#include <array>
#include <cstring>

namespace agent::format::detail {
namespace {

constexpr std::uint8_t kOpIndex = 0x00;
constexpr std::uint8_t kOpDiff = 0x40;
constexpr std::uint8_t kOpLuma = 0x80;
constexpr std::uint8_t kOpRun = 0xC0;
constexpr std::uint8_t kOpColour = 0xFE;
constexpr std::uint8_t kOpPixel = 0xFF;
constexpr std::size_t kTableSize = 64;

struct Pixel {
    std::uint8_t b = 0, g = 0, r = 0, a = 0;
    bool operator==(const Pixel&) const = default;
};
static_assert(sizeof(Pixel) == 4, "pixels are copied to and from BGRA bytes as they are");

std::size_t Slot(Pixel p) {
    return (p.b * 3u + p.g * 5u + p.r * 7u + p.a * 11u) % kTableSize;
}

Pixel PixelAt(std::span<const std::uint8_t> bgra, std::size_t index) {
    const std::uint8_t* p = bgra.data() + index * 4;
    return {p[0], p[1], p[2], p[3]};
}

// The change from one byte to another as a small signed number, wrapping modulo 256.
int Change(std::uint8_t from, std::uint8_t to) {
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(to - from));
}

bool Within(int value, int low, int high) {
    return value >= low && value <= high;
}

}  // namespace

void EncodePixels(std::span<const std::uint8_t> bgra, std::vector<std::uint8_t>& code) {
    std::array<Pixel, kTableSize> table{};
    Pixel previous;
    std::size_t run = 0;
    const std::size_t count = bgra.size() / 4;
    for (std::size_t i = 0; i < count; ++i) {
        const Pixel pixel = PixelAt(bgra, i);
        if (pixel == previous) {
            if (++run == kMaxRun) {
                code.push_back(static_cast<std::uint8_t>(kOpRun | (run - 1)));
                run = 0;
            }
            continue;
        }
        if (run > 0) {
            code.push_back(static_cast<std::uint8_t>(kOpRun | (run - 1)));
            run = 0;
        }
        const std::size_t slot = Slot(pixel);
        if (table[slot] == pixel) {
            code.push_back(static_cast<std::uint8_t>(kOpIndex | slot));
        } else {
            table[slot] = pixel;
            const int db = Change(previous.b, pixel.b);
            const int dg = Change(previous.g, pixel.g);
            const int dr = Change(previous.r, pixel.r);
            if (pixel.a != previous.a) {
                code.insert(code.end(), {kOpPixel, pixel.b, pixel.g, pixel.r, pixel.a});
            } else if (Within(db, -2, 1) && Within(dg, -2, 1) && Within(dr, -2, 1)) {
                code.push_back(
                    static_cast<std::uint8_t>(kOpDiff | (db + 2) << 4 | (dg + 2) << 2 | (dr + 2)));
            } else if (Within(dg, -32, 31) && Within(dr - dg, -8, 7) && Within(db - dg, -8, 7)) {
                code.push_back(static_cast<std::uint8_t>(kOpLuma | (dg + 32)));
                code.push_back(static_cast<std::uint8_t>((dr - dg + 8) << 4 | (db - dg + 8)));
            } else {
                code.insert(code.end(), {kOpColour, pixel.b, pixel.g, pixel.r});
            }
        }
        previous = pixel;
    }
    if (run > 0) code.push_back(static_cast<std::uint8_t>(kOpRun | (run - 1)));
}

std::string DecodePixels(std::span<const std::uint8_t> code, std::span<std::uint8_t> bgra) {
    std::array<Pixel, kTableSize> table{};
    Pixel pixel;
    const std::size_t count = bgra.size() / 4;
    std::size_t at = 0;  // next byte of code
    auto need = [&](std::size_t bytes) { return code.size() - at >= bytes; };
    for (std::size_t i = 0; i < count;) {
        if (!need(1)) return "the pixel code ends early";
        const std::uint8_t op = code[at++];
        if (op == kOpPixel) {
            if (!need(4)) return "the pixel code ends early";
            pixel = {code[at], code[at + 1], code[at + 2], code[at + 3]};
            at += 4;
        } else if (op == kOpColour) {
            if (!need(3)) return "the pixel code ends early";
            pixel = {code[at], code[at + 1], code[at + 2], pixel.a};
            at += 3;
        } else if ((op & 0xC0) == kOpRun) {
            const std::size_t run = (op & 0x3Fu) + 1;
            if (run > count - i) return "a run of pixels goes past the end of the picture";
            for (std::size_t end = i + run; i < end; ++i) {
                std::memcpy(bgra.data() + i * 4, &pixel, 4);
            }
            continue;
        } else if ((op & 0xC0) == kOpIndex) {
            pixel = table[op & 0x3F];
        } else if ((op & 0xC0) == kOpDiff) {
            pixel.b = static_cast<std::uint8_t>(pixel.b + ((op >> 4) & 3) - 2);
            pixel.g = static_cast<std::uint8_t>(pixel.g + ((op >> 2) & 3) - 2);
            pixel.r = static_cast<std::uint8_t>(pixel.r + (op & 3) - 2);
        } else {  // kOpLuma
            if (!need(1)) return "the pixel code ends early";
            const int dg = (op & 0x3F) - 32;
            const std::uint8_t rest = code[at++];
            pixel.g = static_cast<std::uint8_t>(pixel.g + dg);
            pixel.r = static_cast<std::uint8_t>(pixel.r + dg + (rest >> 4) - 8);
            pixel.b = static_cast<std::uint8_t>(pixel.b + dg + (rest & 0x0F) - 8);
        }
        table[Slot(pixel)] = pixel;
        std::memcpy(bgra.data() + i * 4, &pixel, 4);
        ++i;
    }
    if (at != code.size()) {
        return "the pixel code has " + std::to_string(code.size() - at) + " bytes too many";
    }
    return {};
}

}  // namespace agent::format::detail
