#include "sheet.h"

#include <algorithm>

#include "png.h"

namespace charmaker {
namespace {

namespace format = agent::format;

constexpr int kColumns = 8;
constexpr int kGap = 4;      // between pictures, in sheet pixels
constexpr int kChecker = 8;  // checkerboard square, in sheet pixels

}  // namespace

std::vector<std::uint8_t> ContactSheet(const format::CharacterData& character, int zoom) {
    std::vector<std::vector<std::uint8_t>> pictures;
    for (const format::Frame& frame : character.frames) pictures.push_back(frame.bgra);
    const format::Animation* speak = character.FindAnimation(format::kSpeakAnimation);
    if (speak != nullptr) {
        for (int mouth = 0; mouth < agent::core::kMouthCount; ++mouth) {
            std::vector<std::uint8_t> bgra = character.frames[speak->steps.front().frame].bgra;
            format::PasteMouth(character, static_cast<agent::core::Mouth>(mouth), bgra);
            pictures.push_back(std::move(bgra));
        }
    }
    const int cellWidth = character.width * zoom + kGap,
              cellHeight = character.height * zoom + kGap;
    const int columns = std::min<int>(kColumns, static_cast<int>(pictures.size()));
    const int rows = (static_cast<int>(pictures.size()) + kColumns - 1) / kColumns;
    const int width = columns * cellWidth + kGap, height = rows * cellHeight + kGap;

    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t shade = ((x / kChecker + y / kChecker) % 2) != 0 ? 0xE4 : 0xF6;
            std::uint8_t* out = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            out[0] = out[1] = out[2] = shade;
            out[3] = 0xFF;
        }
    }
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const int left = kGap + static_cast<int>(i % kColumns) * cellWidth;
        const int top = kGap + static_cast<int>(i / kColumns) * cellHeight;
        for (int y = 0; y < character.height * zoom; ++y) {
            for (int x = 0; x < character.width * zoom; ++x) {
                const std::uint8_t* in =
                    &pictures[i][(static_cast<std::size_t>(y / zoom) * character.width + x / zoom) *
                                 4];
                std::uint8_t* out =
                    &rgba[(static_cast<std::size_t>(top + y) * width + left + x) * 4];
                // Premultiplied source over the opaque background.
                const int keep = 255 - in[3];
                out[0] = static_cast<std::uint8_t>(in[2] + (out[0] * keep + 127) / 255);
                out[1] = static_cast<std::uint8_t>(in[1] + (out[1] * keep + 127) / 255);
                out[2] = static_cast<std::uint8_t>(in[0] + (out[2] * keep + 127) / 255);
            }
        }
    }
    return EncodePng(width, height, rgba);
}

}  // namespace charmaker
