// The character data's own questions, the mouth overlay and the checksum.
#include "agent/format/character_file.h"

#include <algorithm>
#include <cstring>

namespace agent::format {

const Animation* CharacterData::FindAnimation(std::string_view animationName) const {
    const auto found = std::find_if(animations.begin(), animations.end(),
                                    [&](const Animation& a) { return a.name == animationName; });
    return found == animations.end() ? nullptr : &*found;
}

const MouthOverlay& CharacterData::MouthFor(core::Mouth mouth) const {
    return mouths[static_cast<std::size_t>(mouth)];
}

void PasteMouth(const CharacterData& character, core::Mouth mouth,
                std::span<std::uint8_t> frameBgra) {
    const MouthOverlay& overlay = character.MouthFor(mouth);
    const auto frameWidth = static_cast<std::size_t>(std::max(character.width, 0));
    const bool inside = overlay.x >= 0 && overlay.y >= 0 && overlay.width >= 0 &&
                        overlay.height >= 0 && overlay.width <= character.width - overlay.x &&
                        overlay.height <= character.height - overlay.y;
    if (!inside ||
        frameBgra.size() != frameWidth * static_cast<std::size_t>(character.height) * 4 ||
        overlay.bgra.size() != static_cast<std::size_t>(overlay.width) * overlay.height * 4) {
        return;
    }
    const auto rowBytes = static_cast<std::size_t>(overlay.width) * 4;
    for (int row = 0; row < overlay.height; ++row) {
        const std::size_t frameOffset =
            (static_cast<std::size_t>(overlay.y + row) * frameWidth + overlay.x) * 4;
        std::memcpy(frameBgra.data() + frameOffset, overlay.bgra.data() + row * rowBytes, rowBytes);
    }
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t previous) {
    static constexpr auto kTable = [] {
        std::array<std::uint32_t, 256> table{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    std::uint32_t crc = ~previous;
    for (std::uint8_t byte : bytes) crc = kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace agent::format
