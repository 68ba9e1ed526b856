// Reading a character file: the structure first, so that a cut-off file says where it ends,
// then the checksum, then the content (ValidateCharacter).
#include <algorithm>
#include <new>
#include <type_traits>

#include "agent/format/character_file.h"
#include "file_layout.h"
#include "pixel_code.h"

namespace agent::format {
namespace {

using namespace detail;

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

    // A count of things the file must hold at least one of and at most `limit`.
    template <class Count>
    bool ReadCount(Count& count, const char* countName, const char* things, std::size_t limit) {
        bool read = false;
        if constexpr (std::is_same_v<Count, std::uint8_t>) {
            read = in_.U8(count);
        } else {
            read = in_.U16(count);
        }
        if (!read) return Fail(std::string("the file ends before ") + countName);
        if (count == 0) return Fail(std::string("the file has no ") + things);
        if (count > limit) {
            return Fail(Num(count) + " " + things + " exceed the limit of " + Num(limit));
        }
        return true;
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
        if (!ReadCount(count, "the frame count", "frames", kMaxFrames)) return false;
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
        if (!ReadCount(count, "the animations", "animations", kMaxAnimations)) return false;
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

}  // namespace

ParseResult ParseCharacterFile(std::span<const std::uint8_t> bytes) noexcept {
    try {
        return Parser(bytes).Run();
    } catch (const std::bad_alloc&) {
        return {std::nullopt, "not enough memory to read the character"};
    }
}

}  // namespace agent::format
