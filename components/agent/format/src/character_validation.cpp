// Whether character data is complete and consistent, for the reader and the writer alike.
#include <algorithm>

#include "agent/format/character_file.h"
#include "file_layout.h"

namespace agent::format {
namespace {

using namespace detail;

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

// The name, the frame size, the balloon anchor and every frame's pixels.
std::string CheckFrames(const CharacterData& character, std::size_t width, std::size_t height) {
    if (character.name.empty() || character.name.size() > kMaxCharacterNameBytes) {
        return "the character's name must have 1 to " + Num(kMaxCharacterNameBytes) + " bytes";
    }
    if (!IsDisplayableUtf8(character.name)) {
        return "the character's name is not displayable UTF-8 text";
    }
    if (!SideInRange(width) || !SideInRange(height)) {
        return "frame size " + std::to_string(character.width) + "x" +
               std::to_string(character.height) + " is out of range (1 to " + Num(kMaxFrameSide) +
               " each)";
    }
    const core::Point anchor = character.balloonAnchor;
    if (anchor.x < 0 || anchor.y < 0 || anchor.x >= character.width ||
        anchor.y >= character.height) {
        return "the balloon anchor (" + std::to_string(anchor.x) + ", " + std::to_string(anchor.y) +
               ") is outside the frame";
    }
    if (character.frames.empty()) return "the character has no frames";
    if (character.frames.size() > kMaxFrames) {
        return Num(character.frames.size()) + " frames exceed the limit of " + Num(kMaxFrames);
    }
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
    return {};
}

// Each mouth inside the frame with its pixels; `totalPixels` (the frames') grows by theirs.
std::string CheckMouths(const CharacterData& character, std::size_t& totalPixels) {
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
    return {};
}

// Named, unique, with steps that show existing frames long enough; the required ones there.
std::string CheckAnimations(const CharacterData& character) {
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

}  // namespace

std::string ValidateCharacter(const CharacterData& character) {
    const auto width = static_cast<std::size_t>(std::max(character.width, 0));
    const auto height = static_cast<std::size_t>(std::max(character.height, 0));
    if (std::string fault = CheckFrames(character, width, height); !fault.empty()) return fault;
    std::size_t totalPixels = character.frames.size() * width * height;
    if (std::string fault = CheckMouths(character, totalPixels); !fault.empty()) return fault;
    if (totalPixels > kMaxTotalPixels) {
        return "the pictures exceed the limit of " + Num(kMaxTotalPixels) + " pixels";
    }
    return CheckAnimations(character);
}

}  // namespace agent::format
