// Writing a character file; the same data always gives the same bytes.
#include <stdexcept>

#include "agent/format/character_file.h"
#include "file_layout.h"
#include "pixel_code.h"

namespace agent::format {
namespace {

using namespace detail;

class Writer {
public:
    void U8(std::size_t value) { out_.push_back(static_cast<std::uint8_t>(value)); }
    void U16(std::size_t value) {
        U8(value & 0xFF);
        U8(value >> 8 & 0xFF);
    }
    void I16(int value) { U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(value))); }
    void U32(std::size_t value) {
        U16(value & 0xFFFF);
        U16(value >> 16 & 0xFFFF);
    }
    void Bytes(std::span<const std::uint8_t> bytes) {
        out_.insert(out_.end(), bytes.begin(), bytes.end());
    }
    void Text(std::string_view text) {
        U8(text.size());
        out_.insert(out_.end(), text.begin(), text.end());
    }
    void Code(std::span<const std::uint8_t> code) {
        U32(code.size());
        Bytes(code);
    }
    std::vector<std::uint8_t> Finish() {
        U32(Crc32(out_));
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
};

// The shortest code for a frame: as it is, or as its difference from an earlier frame.
void EncodeFrame(const std::vector<Frame>& frames, std::size_t index, std::uint16_t& base,
                 std::vector<std::uint8_t>& code) {
    const std::vector<std::uint8_t>& bytes = frames[index].bgra;
    base = kNoBase;
    code.clear();
    detail::EncodePixels(bytes, code);
    std::vector<std::uint8_t> difference(bytes.size());
    std::vector<std::uint8_t> candidate;
    for (std::size_t earlier = 0; earlier < index; ++earlier) {
        const std::vector<std::uint8_t>& baseBytes = frames[earlier].bgra;
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            difference[k] = static_cast<std::uint8_t>(bytes[k] - baseBytes[k]);
        }
        candidate.clear();
        detail::EncodePixels(difference, candidate);
        if (candidate.size() < code.size()) {
            code.swap(candidate);
            base = static_cast<std::uint16_t>(earlier);
        }
    }
}

}  // namespace

std::vector<std::uint8_t> WriteCharacterFile(const CharacterData& character) {
    if (std::string invalid = ValidateCharacter(character); !invalid.empty()) {
        throw std::invalid_argument(invalid);
    }
    Writer out;
    out.Bytes(kMagic);
    out.U16(kVersion);
    out.U16(static_cast<std::size_t>(character.width));
    out.U16(static_cast<std::size_t>(character.height));
    out.I16(character.balloonAnchor.x);
    out.I16(character.balloonAnchor.y);
    out.Text(character.name);
    out.U16(character.frames.size());
    std::vector<std::uint8_t> code;
    for (std::size_t i = 0; i < character.frames.size(); ++i) {
        std::uint16_t base = kNoBase;
        EncodeFrame(character.frames, i, base, code);
        out.U16(base);
        out.Code(code);
    }
    out.U8(character.mouths.size());
    for (const MouthOverlay& mouth : character.mouths) {
        out.U16(static_cast<std::size_t>(mouth.x));
        out.U16(static_cast<std::size_t>(mouth.y));
        out.U16(static_cast<std::size_t>(mouth.width));
        out.U16(static_cast<std::size_t>(mouth.height));
        code.clear();
        detail::EncodePixels(mouth.bgra, code);
        out.Code(code);
    }
    out.U8(character.animations.size());
    for (const Animation& animation : character.animations) {
        out.Text(animation.name);
        out.U8(animation.loops ? kLoopsFlag : 0);
        out.U16(animation.steps.size());
        for (const AnimationStep& step : animation.steps) {
            out.U16(step.frame);
            out.U16(step.durationMs);
        }
    }
    return out.Finish();
}

}  // namespace agent::format
