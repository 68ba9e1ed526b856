#include "agent/format/character_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace agent::format {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Premultiplied pixels from a fixed-seed generator, with transparent stretches, long runs,
// gentle gradients and jumps, so that every kind of pixel code appears.
Bytes MakePixels(int width, int height, std::uint32_t seed) {
    Bytes bgra;
    std::uint32_t state = seed;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t a = 0, r = 0, g = 0, b = 0;
            const int band = (x / 7 + y) % 5;
            if (band == 1) {  // gentle gradient, opaque
                a = 255, r = static_cast<std::uint8_t>(100 + x),
                g = static_cast<std::uint8_t>(50 + y), b = static_cast<std::uint8_t>(x + y);
            } else if (band == 2) {  // anything premultiplied
                a = static_cast<std::uint8_t>(next() >> 24);
                r = static_cast<std::uint8_t>(a == 0 ? 0 : (next() >> 24) % (a + 1));
                g = static_cast<std::uint8_t>(a == 0 ? 0 : (next() >> 24) % (a + 1));
                b = static_cast<std::uint8_t>(a == 0 ? 0 : (next() >> 24) % (a + 1));
            } else if (band == 3) {  // a run of one colour
                a = 200, r = 150, g = 20, b = 90;
            }
            bgra.insert(bgra.end(), {b, g, r, a});
        }
    }
    return bgra;
}

CharacterData MakeCharacter(int width = 24, int height = 20) {
    CharacterData c;
    c.name = "Testé";
    c.width = width;
    c.height = height;
    c.balloonAnchor = {width / 2, height / 3};
    for (std::uint32_t i = 0; i < 3; ++i) c.frames.push_back({MakePixels(width, height, i + 1)});
    // A near copy of frame 0, as a blink would be.
    Bytes blink = c.frames[0].bgra;
    std::fill(blink.end() - 4, blink.end(), 0);
    c.frames.push_back({blink});
    for (std::size_t m = 0; m < c.mouths.size(); ++m) {
        c.mouths[m] = {1, 2, 3, 2, MakePixels(3, 2, static_cast<std::uint32_t>(40 + m))};
    }
    c.animations = {{"Show", false, {{2, 50}, {0, 100}}},
                    {"Idle", true, {{0, 3000}, {3, 80}}},
                    {"Hide", false, {{2, 50}}},
                    {"Speak", true, {{1, 200}, {0, 200}}},
                    {"Wave2", false, {{1, 10}}}};
    return c;
}

std::string ErrorOf(const Bytes& file) {
    const ParseResult result = ParseCharacterFile(file);
    EXPECT_FALSE(result.character.has_value());
    return result.error;
}

void PutU16(Bytes& file, std::size_t at, std::uint16_t value) {
    file[at] = static_cast<std::uint8_t>(value);
    file[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& file, std::size_t at, std::uint32_t value) {
    PutU16(file, at, static_cast<std::uint16_t>(value));
    PutU16(file, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t GetU32(const Bytes& file, std::size_t at) {
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
           static_cast<std::uint32_t>(file[at + 3]) << 24;
}

// Seals a changed file again, so that the reader looks past the checksum.
void Reseal(Bytes& file) {
    PutU32(file, file.size() - 4, Crc32(std::span(file).first(file.size() - 4)));
}

// Where the parts of a written file begin, found by walking its sizes.
struct Layout {
    std::size_t frameCount = 0;      // u16
    std::size_t firstFrame = 0;      // base u16, size u32, code
    std::size_t mouthCount = 0;      // u8
    std::size_t animationCount = 0;  // u8
    std::size_t firstAnimation = 0;  // name length u8, name, flags u8, steps u16, steps
};

Layout Walk(const Bytes& file) {
    Layout layout;
    layout.frameCount = 17 + file[16];
    const std::size_t frames = file[layout.frameCount] | file[layout.frameCount + 1] << 8;
    std::size_t at = layout.firstFrame = layout.frameCount + 2;
    for (std::size_t i = 0; i < frames; ++i) at += 6 + GetU32(file, at + 2);
    layout.mouthCount = at++;
    for (std::size_t i = 0; i < core::kMouthCount; ++i) at += 12 + GetU32(file, at + 8);
    layout.animationCount = at;
    layout.firstAnimation = at + 1;
    return layout;
}

TEST(CharacterFileTest, RoundTripKeepsEverything) {
    for (const auto& [width, height] : {std::pair{24, 20}, std::pair{200, 4}, std::pair{5, 130}}) {
        const CharacterData character = MakeCharacter(width, height);
        const Bytes file = WriteCharacterFile(character);
        const ParseResult result = ParseCharacterFile(file);
        ASSERT_TRUE(result.character.has_value()) << result.error;
        EXPECT_EQ(*result.character, character) << width << "x" << height;
        EXPECT_EQ(WriteCharacterFile(*result.character), file) << "the same data, the same bytes";
    }
}

TEST(CharacterFileTest, RoundTripOfRunsAroundTheLongestRunLength) {
    for (int width : {1, 61, 62, 63, 124, 125, 300}) {
        CharacterData character = MakeCharacter();
        character.width = width;
        character.height = 2;
        character.balloonAnchor = {0, 0};
        for (Frame& frame : character.frames) frame.bgra.assign(std::size_t(width) * 2 * 4, 0);
        // Frame 1: transparent, then one opaque pixel, then the same opaque colour.
        character.frames[1].bgra[std::size_t(width) * 4 - 1] = 9;
        for (MouthOverlay& mouth : character.mouths) mouth = {0, 0, 1, 1, {1, 2, 3, 4}};
        const ParseResult result = ParseCharacterFile(WriteCharacterFile(character));
        ASSERT_TRUE(result.character.has_value()) << result.error;
        EXPECT_EQ(*result.character, character) << "width " << width;
    }
}

TEST(CharacterFileTest, NearCopiesOfAFrameCostLittle) {
    CharacterData one = MakeCharacter(64, 64);
    CharacterData two = one;
    Bytes blink = two.frames[0].bgra;
    blink[100] = 0;
    two.frames.push_back({blink});
    const std::size_t growth = WriteCharacterFile(two).size() - WriteCharacterFile(one).size();
    EXPECT_LT(growth, 200u) << "a one-pixel change should be stored as a difference";
}

TEST(CharacterFileTest, EveryCutOfAFileIsRefused) {
    const Bytes file = WriteCharacterFile(MakeCharacter());
    for (std::size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(ErrorOf(cut).empty()) << "cut at " << length;
    }
}

TEST(CharacterFileTest, CutsSayWhereTheFileEnds) {
    const Bytes file = WriteCharacterFile(MakeCharacter());
    const Layout layout = Walk(file);
    auto cutAt = [&](std::size_t length) {
        return ErrorOf(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    };
    EXPECT_EQ(cutAt(0), "the file is empty");
    EXPECT_EQ(cutAt(3), "the file ends inside its header");
    EXPECT_EQ(cutAt(10), "the file ends inside its header");
    EXPECT_EQ(cutAt(18), "the file ends inside the character's name");
    EXPECT_EQ(cutAt(layout.firstFrame + 20), "frame 0 extends past the end of the file");
    EXPECT_EQ(cutAt(layout.mouthCount + 5), "mouth Closed extends past the end of the file");
    EXPECT_EQ(cutAt(layout.firstAnimation + 3), "animation 0 extends past the end of the file");
    EXPECT_EQ(cutAt(file.size() - 2), "the file ends before its checksum");
}

TEST(CharacterFileTest, EveryDamagedByteIsRefused) {
    const Bytes file = WriteCharacterFile(MakeCharacter());
    for (std::size_t at = 0; at < file.size(); ++at) {
        Bytes damaged = file;
        damaged[at] ^= 0x5A;
        EXPECT_FALSE(ErrorOf(damaged).empty()) << "byte " << at;
    }
    Bytes damaged = file;
    damaged[Walk(file).firstFrame + 8] ^= 1;  // inside the first frame's pixels
    EXPECT_EQ(ErrorOf(damaged), "checksum mismatch: the file is damaged");
}

TEST(CharacterFileTest, ForgedFilesGetPreciseErrors) {
    const Bytes valid = WriteCharacterFile(MakeCharacter());
    const Layout at = Walk(valid);
    const std::size_t firstStep = at.firstAnimation + 1 + 4 + 1 + 2;  // "Show", flags, count
    struct Case {
        const char* name;
        std::function<void(Bytes&)> forge;
        std::string error;
        bool reseal = true;
    };
    const Case cases[] = {
        {"magic", [](Bytes& f) { f[0] = 'X'; },
         "bad magic: this is not a Vocalinka character file"},
        {"short and foreign",
         [](Bytes& f) {
             f = {'M', 'Z'};
         },
         "bad magic: this is not a Vocalinka character file", false},
        {"version", [](Bytes& f) { PutU16(f, 6, 7); }, "unsupported version 7"},
        {"zero width", [](Bytes& f) { PutU16(f, 8, 0); },
         "frame size 0x20 is out of range (1 to 1024 each)"},
        {"huge height", [](Bytes& f) { PutU16(f, 10, 5000); },
         "frame size 24x5000 is out of range (1 to 1024 each)"},
        {"no frames", [&](Bytes& f) { PutU16(f, at.frameCount, 0); }, "the file has no frames"},
        {"too many frames", [&](Bytes& f) { PutU16(f, at.frameCount, 600); },
         "600 frames exceed the limit of 512"},
        {"too many pixels",
         [&](Bytes& f) {
             PutU16(f, 8, 1024);
             PutU16(f, 10, 1024);
             PutU16(f, at.frameCount, 512);
         },
         "the pictures exceed the limit of 8388608 pixels"},
        {"huge frame size", [&](Bytes& f) { PutU32(f, at.firstFrame + 2, 0xFFFFFFF0u); },
         "frame 0 extends past the end of the file"},
        {"frame based on itself", [&](Bytes& f) { PutU16(f, at.firstFrame, 0); },
         "frame 0 is based on frame 0, which does not come before it"},
        {"pixel code too short for the size",
         [&](Bytes& f) {
             PutU16(f, 8, 1024);
             PutU16(f, 10, 1000);
         },
         "frame 0's pixel code is too short for 1024000 pixels"},
        {"too few pixels coded", [&](Bytes& f) { PutU16(f, 10, 21); },
         "frame 0: the pixel code ends early"},
        {"too many pixels coded", [&](Bytes& f) { PutU16(f, 10, 19); },
         "frame 0: the pixel code has"},
        {"mouth count", [&](Bytes& f) { f[at.mouthCount] = 3; },
         "5 mouth shapes expected, found 3"},
        {"mouth outside the frame", [&](Bytes& f) { PutU16(f, at.mouthCount + 1, 23); },
         "mouth Closed's rectangle is not inside the frame"},
        {"no animations", [&](Bytes& f) { f[at.animationCount] = 0; },
         "the file has no animations"},
        {"unknown flags", [&](Bytes& f) { f[at.firstAnimation + 5] = 0x81; },
         "animation 0 has unknown flags 129"},
        {"no steps", [&](Bytes& f) { PutU16(f, at.firstAnimation + 6, 0); },
         "animation 0 has 0 steps (1 to 1024 allowed)"},
        {"step past the frames", [&](Bytes& f) { PutU16(f, firstStep, 9); },
         "animation Show step 0 shows frame 9, but there are only 4 frames"},
        {"step too short", [&](Bytes& f) { PutU16(f, firstStep + 2, 0); },
         "animation Show step 0 lasts 0 ms, less than 10"},
        {"required animation renamed", [&](Bytes& f) { f[at.firstAnimation + 1] = 'K'; },
         "the animation Show is missing"},
        {"animation named twice",
         [&](Bytes& f) { std::memcpy(&f[at.firstAnimation + 1], "Idle", 4); },
         "animation Idle is defined twice"},
        {"animation name not plain", [&](Bytes& f) { f[at.firstAnimation + 1] = ' '; },
         "animation 0 has no name of 1 to 32 ASCII letters and digits"},
        {"name not UTF-8", [](Bytes& f) { f[17 + 4] = 0xFF; },
         "the character's name is not displayable UTF-8 text"},
        {"name with a control character", [](Bytes& f) { f[17] = '\n'; },
         "the character's name is not displayable UTF-8 text"},
        {"anchor outside", [](Bytes& f) { PutU16(f, 12, 0xFFFF); },
         "the balloon anchor (-1, 6) is outside the frame"},
        {"bytes after the checksum",
         [](Bytes& f) {
             f.insert(f.end(), {1, 2, 3});
         },
         "3 unexpected bytes at the end of the file", false},
    };
    for (const Case& c : cases) {
        Bytes file = valid;
        c.forge(file);
        if (c.reseal) Reseal(file);
        const std::string error = ErrorOf(file);
        EXPECT_TRUE(error.starts_with(c.error)) << c.name << ": " << error;
    }
}

TEST(CharacterFileTest, PixelsThatAreNotPremultipliedAreRefused) {
    CharacterData character = MakeCharacter(1, 1);
    character.balloonAnchor = {0, 0};
    for (Frame& frame : character.frames) frame.bgra = {10, 20, 30, 40};
    for (MouthOverlay& mouth : character.mouths) mouth = {0, 0, 1, 1, {10, 20, 30, 40}};
    Bytes file = WriteCharacterFile(character);
    const std::size_t code = Walk(file).firstFrame + 6;
    ASSERT_EQ(file[code], 0xFF) << "the first pixel is coded whole";
    file[code + 3] = 41;  // red above alpha
    Reseal(file);
    EXPECT_EQ(ErrorOf(file), "frame 0 is not premultiplied at (0, 0): a colour exceeds its alpha");
}

TEST(ValidateCharacterTest, NamesTheFirstFault) {
    struct Case {
        const char* name;
        std::function<void(CharacterData&)> spoil;
        std::string error;
    };
    const Case cases[] = {
        {"empty name", [](CharacterData& c) { c.name.clear(); },
         "the character's name must have 1 to 64 bytes"},
        {"long name", [](CharacterData& c) { c.name.assign(65, 'a'); },
         "the character's name must have 1 to 64 bytes"},
        {"lone surrogate in the name", [](CharacterData& c) { c.name = "a\xED\xA0\x80"; },
         "the character's name is not displayable UTF-8 text"},
        {"overlong encoding", [](CharacterData& c) { c.name = "\xE0\x80\xAF"; },
         "the character's name is not displayable UTF-8 text"},
        {"negative width", [](CharacterData& c) { c.width = -3; },
         "frame size -3x20 is out of range"},
        {"no frames", [](CharacterData& c) { c.frames.clear(); }, "the character has no frames"},
        {"too many frames", [](CharacterData& c) { c.frames.resize(513, c.frames[0]); },
         "513 frames exceed the limit of 512"},
        {"short frame", [](CharacterData& c) { c.frames[2].bgra.pop_back(); },
         "frame 2 has 1919 bytes instead of 1920"},
        {"unpremultiplied frame",
         [](CharacterData& c) {
             c.frames[1].bgra[4 * 25 + 3] = 0;
             c.frames[1].bgra[4 * 25] = 1;
         },
         "frame 1 is not premultiplied at (1, 1)"},
        {"mouth left of the frame", [](CharacterData& c) { c.mouths[2].x = -1; },
         "mouth Medium's rectangle is not inside the frame"},
        {"empty mouth", [](CharacterData& c) { c.mouths[4].width = 0; },
         "mouth Round's rectangle is not inside the frame"},
        {"mouth pixels missing", [](CharacterData& c) { c.mouths[3].bgra.clear(); },
         "mouth Wide has 0 bytes instead of 24"},
        {"no animations", [](CharacterData& c) { c.animations.clear(); },
         "the character has no animations"},
        {"Speak missing", [](CharacterData& c) { c.animations[3].name = "Talk"; },
         "the animation Speak is missing"},
        {"name with a dash", [](CharacterData& c) { c.animations[4].name = "Wave-2"; },
         "animation 4 has no name"},
        {"empty animation", [](CharacterData& c) { c.animations[1].steps.clear(); },
         "animation Idle has 0 steps"},
        {"missing frame", [](CharacterData& c) { c.animations[1].steps[1].frame = 4; },
         "animation Idle step 1 shows frame 4, but there are only 4 frames"},
        {"anchor below", [](CharacterData& c) { c.balloonAnchor.y = 20; },
         "the balloon anchor (12, 20) is outside the frame"},
    };
    for (const Case& c : cases) {
        CharacterData character = MakeCharacter();
        c.spoil(character);
        const std::string error = ValidateCharacter(character);
        EXPECT_TRUE(error.starts_with(c.error)) << c.name << ": " << error;
        EXPECT_THROW(WriteCharacterFile(character), std::invalid_argument) << c.name;
    }
    EXPECT_EQ(ValidateCharacter(MakeCharacter()), "");
}

TEST(CharacterDataTest, FindsAnimationsAndMouthsByName) {
    const CharacterData character = MakeCharacter();
    ASSERT_NE(character.FindAnimation("Speak"), nullptr);
    EXPECT_EQ(character.FindAnimation("Speak")->steps.front().frame, 1);
    EXPECT_EQ(character.FindAnimation("speak"), nullptr) << "names are case-sensitive";
    EXPECT_EQ(&character.MouthFor(core::Mouth::Round), &character.mouths[4]);
}

TEST(PasteMouthTest, ReplacesOnlyTheMouthRectangle) {
    const CharacterData character = MakeCharacter();
    const Bytes original = character.frames[1].bgra;
    for (int m = 0; m < core::kMouthCount; ++m) {
        Bytes frame = original;
        PasteMouth(character, static_cast<core::Mouth>(m), frame);
        const MouthOverlay& mouth = character.mouths[static_cast<std::size_t>(m)];
        for (int y = 0; y < character.height; ++y) {
            for (int x = 0; x < character.width; ++x) {
                const bool inside = x >= mouth.x && x < mouth.x + mouth.width && y >= mouth.y &&
                                    y < mouth.y + mouth.height;
                const std::size_t at = (std::size_t(y) * character.width + x) * 4;
                const std::uint8_t* expected =
                    inside
                        ? &mouth.bgra[(std::size_t(y - mouth.y) * mouth.width + (x - mouth.x)) * 4]
                        : &original[at];
                ASSERT_EQ(std::memcmp(&frame[at], expected, 4), 0)
                    << "mouth " << m << " at " << x << "," << y;
            }
        }
    }
}

TEST(PasteMouthTest, LeavesABufferOfTheWrongSizeAlone) {
    CharacterData character = MakeCharacter();
    Bytes small(16, 7);
    PasteMouth(character, core::Mouth::Wide, small);
    EXPECT_EQ(small, Bytes(16, 7));
    character.mouths[3].x = character.width;  // a rectangle outside the frame is not drawn
    Bytes frame = character.frames[0].bgra;
    PasteMouth(character, core::Mouth::Wide, frame);
    EXPECT_EQ(frame, character.frames[0].bgra);
}

TEST(Crc32Test, MatchesTheStandardCheckValueInOneOrManyPieces) {
    const std::string text = "123456789";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    EXPECT_EQ(Crc32(bytes), 0xCBF43926u);
    EXPECT_EQ(Crc32(bytes.subspan(4), Crc32(bytes.first(4))), 0xCBF43926u);
}

}  // namespace
}  // namespace agent::format
