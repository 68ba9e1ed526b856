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
// The reader checks the structure first, so that a cut-off file says where it ends, then the
// checksum, then the content (ValidateCharacter).
#include "agent/format/character_file.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "pixel_code.h"

namespace agent::format {
namespace {

constexpr std::array<std::uint8_t, 6> kMagic = {'V', 'K', 'C', 'H', 'A', 'R'};
constexpr std::uint16_t kVersion = 1;
constexpr std::uint16_t kNoBase = 0xFFFF;
constexpr std::uint8_t kLoopsFlag = 0x01;

std::string Num(std::size_t value) {
    return std::to_string(value);
}

std::string SizeText(std::size_t width, std::size_t height) {
    return Num(width) + "x" + Num(height);
}

std::string MouthText(std::size_t mouth) {
    return "mouth " + std::string(kMouthNames[mouth]);
}

bool SideInRange(std::size_t side) {
    return side >= 1 && side <= static_cast<std::size_t>(kMaxFrameSide);
}

// Valid UTF-8 without control characters: the name is shown to the user.
bool IsDisplayableUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t code = 0;
        if (lead < 0x80) {
            if (lead < 0x20 || lead == 0x7F) return false;
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = code << 6 | (next & 0x3Fu);
        }
        const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
        if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        if (code >= 0x80 && code < 0xA0) return false;  // C1 controls
        i += length;
    }
    return true;
}

bool IsAnimationName(std::string_view name) {
    return !name.empty() && name.size() <= kMaxAnimationNameBytes &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
           });
}

// Empty when every colour byte is at most its alpha; otherwise where the first one is not.
std::string CheckPremultiplied(std::span<const std::uint8_t> bgra, std::size_t width,
                               const std::string& what) {
    for (std::size_t i = 0; i + 3 < bgra.size(); i += 4) {
        const std::uint8_t alpha = bgra[i + 3];
        if (bgra[i] > alpha || bgra[i + 1] > alpha || bgra[i + 2] > alpha) {
            const std::size_t pixel = i / 4;
            return what + " is not premultiplied at (" + Num(pixel % width) + ", " +
                   Num(pixel / width) + "): a colour exceeds its alpha";
        }
    }
    return {};
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Left() const { return bytes_.size() - at_; }
    std::size_t Offset() const { return at_; }

    // Each returns false, reading nothing, when too few bytes are left.
    bool U8(std::uint8_t& value) {
        if (Left() < 1) return false;
        value = bytes_[at_++];
        return true;
    }
    bool U16(std::uint16_t& value) {
        if (Left() < 2) return false;
        value = static_cast<std::uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
        at_ += 2;
        return true;
    }
    bool I16(int& value) {
        std::uint16_t raw = 0;
        if (!U16(raw)) return false;
        value = static_cast<std::int16_t>(raw);
        return true;
    }
    bool U32(std::uint32_t& value) {
        if (Left() < 4) return false;
        value = static_cast<std::uint32_t>(bytes_[at_]) | bytes_[at_ + 1] << 8 |
                bytes_[at_ + 2] << 16 | static_cast<std::uint32_t>(bytes_[at_ + 3]) << 24;
        at_ += 4;
        return true;
    }
    bool Bytes(std::size_t count, std::span<const std::uint8_t>& value) {
        if (Left() < count) return false;
        value = bytes_.subspan(at_, count);
        at_ += count;
        return true;
    }
    bool Text(std::size_t count, std::string& value) {
        std::span<const std::uint8_t> raw;
        if (!Bytes(count, raw)) return false;
        value.assign(raw.begin(), raw.end());
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

class Parser {
public:
    explicit Parser(std::span<const std::uint8_t> bytes) : bytes_(bytes), in_(bytes) {}

    ParseResult Run() {
        if (!ReadHeader() || !ReadFrames() || !ReadMouths() || !ReadAnimations() ||
            !ReadChecksum()) {
            return {std::nullopt, std::move(error_)};
        }
        if (std::string invalid = ValidateCharacter(character_); !invalid.empty()) {
            return {std::nullopt, std::move(invalid)};
        }
        return {std::move(character_), {}};
    }

private:
    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool ReadHeader() {
        if (bytes_.empty()) return Fail("the file is empty");
        const std::size_t known = std::min(bytes_.size(), kMagic.size());
        if (!std::equal(kMagic.begin(), kMagic.begin() + known, bytes_.begin())) {
            return Fail("bad magic: this is not a Vocalinka character file");
        }
        std::span<const std::uint8_t> magic;
        std::uint16_t version = 0, width = 0, height = 0;
        std::uint8_t nameLength = 0;
        if (!in_.Bytes(kMagic.size(), magic) || !in_.U16(version)) {
            return Fail("the file ends inside its header");
        }
        if (version != kVersion) return Fail("unsupported version " + Num(version));
        if (!in_.U16(width) || !in_.U16(height) || !in_.I16(character_.balloonAnchor.x) ||
            !in_.I16(character_.balloonAnchor.y) || !in_.U8(nameLength)) {
            return Fail("the file ends inside its header");
        }
        if (!SideInRange(width) || !SideInRange(height)) {
            return Fail("frame size " + SizeText(width, height) + " is out of range (1 to " +
                        Num(kMaxFrameSide) + " each)");
        }
        character_.width = width;
        character_.height = height;
        if (!in_.Text(nameLength, character_.name)) {
            return Fail("the file ends inside the character's name");
        }
        return true;
    }

    // Counts pixels against kMaxTotalPixels before anything is allocated for them.
    bool ClaimPixels(std::size_t count) {
        if (count > pixelsLeft_) {
            return Fail("the pictures exceed the limit of " + Num(kMaxTotalPixels) + " pixels");
        }
        pixelsLeft_ -= count;
        return true;
    }

    bool ReadFrames() {
        std::uint16_t count = 0;
        if (!in_.U16(count)) return Fail("the file ends before the frame count");
        if (count == 0) return Fail("the file has no frames");
        if (count > kMaxFrames) {
            return Fail(Num(count) + " frames exceed the limit of " + Num(kMaxFrames));
        }
        const std::size_t pixels = static_cast<std::size_t>(character_.width) *
                                   static_cast<std::size_t>(character_.height);
        if (!ClaimPixels(pixels * count)) return false;
        character_.frames.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string what = "frame " + Num(i);
            std::uint16_t base = 0;
            std::uint32_t size = 0;
            std::span<const std::uint8_t> code;
            if (!in_.U16(base) || !in_.U32(size) || !in_.Bytes(size, code)) {
                return Fail(what + " extends past the end of the file");
            }
            if (base != kNoBase && base >= i) {
                return Fail(what + " is based on frame " + Num(base) +
                            ", which does not come before it");
            }
            if (!Decode(code, pixels, what, character_.frames[i].bgra)) return false;
            if (base != kNoBase) {
                std::vector<std::uint8_t>& bytes = character_.frames[i].bgra;
                const std::vector<std::uint8_t>& baseBytes = character_.frames[base].bgra;
                for (std::size_t k = 0; k < bytes.size(); ++k) {
                    bytes[k] = static_cast<std::uint8_t>(bytes[k] + baseBytes[k]);
                }
            }
        }
        return true;
    }

    bool Decode(std::span<const std::uint8_t> code, std::size_t pixels, const std::string& what,
                std::vector<std::uint8_t>& bgra) {
        if (code.size() < detail::MinCodeBytes(pixels)) {
            return Fail(what + "'s pixel code is too short for " + Num(pixels) + " pixels");
        }
        bgra.resize(pixels * 4);
        if (std::string fault = detail::DecodePixels(code, bgra); !fault.empty()) {
            return Fail(what + ": " + fault);
        }
        return true;
    }

    bool ReadMouths() {
        std::uint8_t count = 0;
        if (!in_.U8(count)) return Fail("the file ends before the mouth shapes");
        if (count != core::kMouthCount) {
            return Fail(Num(core::kMouthCount) + " mouth shapes expected, found " + Num(count));
        }
        for (std::size_t i = 0; i < character_.mouths.size(); ++i) {
            MouthOverlay& mouth = character_.mouths[i];
            std::uint16_t x = 0, y = 0, width = 0, height = 0;
            std::uint32_t size = 0;
            std::span<const std::uint8_t> code;
            if (!in_.U16(x) || !in_.U16(y) || !in_.U16(width) || !in_.U16(height) ||
                !in_.U32(size) || !in_.Bytes(size, code)) {
                return Fail(MouthText(i) + " extends past the end of the file");
            }
            mouth.x = x, mouth.y = y, mouth.width = width, mouth.height = height;
            // Checked here as well as in ValidateCharacter: the rectangle bounds the allocation.
            if (width == 0 || height == 0 || x + width > character_.width ||
                y + height > character_.height) {
                return Fail(MouthText(i) + "'s rectangle is not inside the frame");
            }
            const std::size_t pixels = std::size_t{width} * height;
            if (!ClaimPixels(pixels) || !Decode(code, pixels, MouthText(i), mouth.bgra)) {
                return false;
            }
        }
        return true;
    }

    bool ReadAnimations() {
        std::uint8_t count = 0;
        if (!in_.U8(count)) return Fail("the file ends before the animations");
        if (count == 0) return Fail("the file has no animations");
        if (count > kMaxAnimations) {
            return Fail(Num(count) + " animations exceed the limit of " + Num(kMaxAnimations));
        }
        character_.animations.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            Animation& animation = character_.animations[i];
            // Built by appending: GCC 12's i686 -Wrestrict misreads "literal" + temporary.
            std::string cut = "animation ";
            cut.append(Num(i)).append(" extends past the end of the file");
            std::uint8_t nameLength = 0, flags = 0;
            std::uint16_t steps = 0;
            if (!in_.U8(nameLength) || !in_.Text(nameLength, animation.name) || !in_.U8(flags) ||
                !in_.U16(steps)) {
                return Fail(cut);
            }
            if ((flags & ~kLoopsFlag) != 0) {
                return Fail("animation " + Num(i) + " has unknown flags " + Num(flags));
            }
            animation.loops = (flags & kLoopsFlag) != 0;
            if (steps == 0 || steps > kMaxSteps) {
                return Fail("animation " + Num(i) + " has " + Num(steps) + " steps (1 to " +
                            Num(kMaxSteps) + " allowed)");
            }
            if (in_.Left() < std::size_t{steps} * 4) return Fail(cut);
            animation.steps.resize(steps);
            for (AnimationStep& step : animation.steps) {  // the bytes are there: checked above
                in_.U16(step.frame);
                in_.U16(step.durationMs);
            }
        }
        return true;
    }

    bool ReadChecksum() {
        const std::size_t covered = in_.Offset();
        std::uint32_t stored = 0;
        if (!in_.U32(stored)) return Fail("the file ends before its checksum");
        if (in_.Left() != 0) {
            return Fail(Num(in_.Left()) + " unexpected bytes at the end of the file");
        }
        if (Crc32(bytes_.first(covered)) != stored) {
            return Fail("checksum mismatch: the file is damaged");
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    Reader in_;
    CharacterData character_;
    std::string error_;
    std::size_t pixelsLeft_ = kMaxTotalPixels;
};

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

const Animation* CharacterData::FindAnimation(std::string_view animationName) const {
    const auto found = std::find_if(animations.begin(), animations.end(),
                                    [&](const Animation& a) { return a.name == animationName; });
    return found == animations.end() ? nullptr : &*found;
}

const MouthOverlay& CharacterData::MouthFor(core::Mouth mouth) const {
    return mouths[static_cast<std::size_t>(mouth)];
}

ParseResult ParseCharacterFile(std::span<const std::uint8_t> bytes) noexcept {
    try {
        return Parser(bytes).Run();
    } catch (const std::bad_alloc&) {
        return {std::nullopt, "not enough memory to read the character"};
    }
}

std::string ValidateCharacter(const CharacterData& character) {
    if (character.name.empty() || character.name.size() > kMaxCharacterNameBytes) {
        return "the character's name must have 1 to " + Num(kMaxCharacterNameBytes) + " bytes";
    }
    if (!IsDisplayableUtf8(character.name)) {
        return "the character's name is not displayable UTF-8 text";
    }
    const auto width = static_cast<std::size_t>(std::max(character.width, 0));
    const auto height = static_cast<std::size_t>(std::max(character.height, 0));
    if (!SideInRange(width) || !SideInRange(height)) {
        return "frame size " + std::to_string(character.width) + "x" +
               std::to_string(character.height) + " is out of range (1 to " + Num(kMaxFrameSide) +
               " each)";
    }
    const Point anchor = character.balloonAnchor;
    if (anchor.x < 0 || anchor.y < 0 || anchor.x >= character.width ||
        anchor.y >= character.height) {
        return "the balloon anchor (" + std::to_string(anchor.x) + ", " + std::to_string(anchor.y) +
               ") is outside the frame";
    }
    if (character.frames.empty()) return "the character has no frames";
    if (character.frames.size() > kMaxFrames) {
        return Num(character.frames.size()) + " frames exceed the limit of " + Num(kMaxFrames);
    }
    std::size_t totalPixels = character.frames.size() * width * height;
    for (std::size_t i = 0; i < character.frames.size(); ++i) {
        const std::string what = "frame " + Num(i);
        const std::vector<std::uint8_t>& bgra = character.frames[i].bgra;
        if (bgra.size() != width * height * 4) {
            return what + " has " + Num(bgra.size()) + " bytes instead of " +
                   Num(width * height * 4);
        }
        if (std::string fault = CheckPremultiplied(bgra, width, what); !fault.empty()) {
            return fault;
        }
    }
    for (std::size_t i = 0; i < character.mouths.size(); ++i) {
        const MouthOverlay& mouth = character.mouths[i];
        if (mouth.x < 0 || mouth.y < 0 || mouth.width < 1 || mouth.height < 1 ||
            mouth.width > character.width - mouth.x || mouth.height > character.height - mouth.y) {
            return MouthText(i) + "'s rectangle is not inside the frame";
        }
        const std::size_t pixels = static_cast<std::size_t>(mouth.width) * mouth.height;
        if (mouth.bgra.size() != pixels * 4) {
            return MouthText(i) + " has " + Num(mouth.bgra.size()) + " bytes instead of " +
                   Num(pixels * 4);
        }
        if (std::string fault = CheckPremultiplied(mouth.bgra, mouth.width, MouthText(i));
            !fault.empty()) {
            return fault;
        }
        totalPixels += pixels;
    }
    if (totalPixels > kMaxTotalPixels) {
        return "the pictures exceed the limit of " + Num(kMaxTotalPixels) + " pixels";
    }
    if (character.animations.empty()) return "the character has no animations";
    if (character.animations.size() > kMaxAnimations) {
        return Num(character.animations.size()) + " animations exceed the limit of " +
               Num(kMaxAnimations);
    }
    for (std::size_t i = 0; i < character.animations.size(); ++i) {
        const Animation& animation = character.animations[i];
        if (!IsAnimationName(animation.name)) {
            return "animation " + Num(i) + " has no name of 1 to " + Num(kMaxAnimationNameBytes) +
                   " ASCII letters and digits";
        }
        const std::string what = "animation " + animation.name;
        if (character.FindAnimation(animation.name) != &animation) {
            return what + " is defined twice";
        }
        if (animation.steps.empty() || animation.steps.size() > kMaxSteps) {
            return what + " has " + Num(animation.steps.size()) + " steps (1 to " + Num(kMaxSteps) +
                   " allowed)";
        }
        for (std::size_t s = 0; s < animation.steps.size(); ++s) {
            const AnimationStep step = animation.steps[s];
            if (step.frame >= character.frames.size()) {
                return what + " step " + Num(s) + " shows frame " + Num(step.frame) +
                       ", but there are only " + Num(character.frames.size()) + " frames";
            }
            if (step.durationMs < kMinStepMs) {
                return what + " step " + Num(s) + " lasts " + Num(step.durationMs) +
                       " ms, less than " + Num(kMinStepMs);
            }
        }
    }
    for (std::string_view required : kRequiredAnimations) {
        if (character.FindAnimation(required) == nullptr) {
            return "the animation " + std::string(required) + " is missing";
        }
    }
    return {};
}

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
