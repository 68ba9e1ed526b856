#include "agent/format/character_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

#include "test_character.h"

namespace agent::format {
namespace {

using namespace test;

// A change to a file or to a character, and the error it must give.
template <class T>
using Cases = std::vector<std::pair<std::function<void(T&)>, std::string>>;

std::string ErrorOf(const Bytes& file) {
    const ParseResult result = ParseCharacterFile(file);
    EXPECT_FALSE(result.character.has_value());
    return result.error;
}

void Put(Bytes& file, std::size_t at, std::uint32_t value, int bytes = 2) {
    for (int i = 0; i < bytes; ++i) file[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
}

std::size_t Find(const Bytes& file, const Bytes& part) {
    return std::search(file.begin(), file.end(), part.begin(), part.end()) - file.begin();
}

// Where the parts of a file written from MakeCharacter() begin: the frames after the 17-byte
// header and the 6-byte name; the mouths and the animations found by their first bytes.
struct Layout {
    explicit Layout(const Bytes& file)
        : mouthCount(Find(file, {5, 1, 0, 2, 0, 3, 0, 2, 0})),
          firstAnimation(Find(file, {5, 4, 'S', 'h', 'o', 'w'}) + 1) {}
    std::size_t frameCount = 23, firstFrame = 25, mouthCount, firstAnimation;
};

TEST(CharacterFileTest, RoundTripKeepsEverything) {
    std::vector<CharacterData> characters = {MakeCharacter(), MakeCharacter(200, 4),
                                             MakeCharacter(5, 130)};
    // Transparent rows: runs around the longest one code byte holds.
    for (int width : {1, 61, 62, 63, 124, 125, 300}) {
        CharacterData& c = characters.emplace_back(MakeCharacter(width, 2));
        for (Frame& frame : c.frames) frame.bgra.assign(std::size_t(width) * 2 * 4, 0);
        // Faint pixels end the first row and start the second (a new colour, the same alpha).
        Bytes& faint = c.frames[1].bgra;
        const std::size_t row = std::size_t(width) * 4;
        faint[row - 1] = faint[row] = faint[row + 2] = faint[row + 3] = 9;
        for (MouthOverlay& mouth : c.mouths) mouth = {0, 0, 1, 1, {1, 2, 3, 4}};
    }
    for (const CharacterData& character : characters) {
        const Bytes file = WriteCharacterFile(character);
        const ParseResult result = ParseCharacterFile(file);
        ASSERT_TRUE(result.character.has_value()) << result.error;
        EXPECT_EQ(*result.character, character) << character.width << "x" << character.height;
        EXPECT_EQ(WriteCharacterFile(*result.character), file) << "the same data, the same bytes";
    }
}

TEST(CharacterFileTest, CutAndDamagedFilesAreRefusedAndSayWhy) {
    const Bytes file = WriteCharacterFile(MakeCharacter());
    const Layout at(file);
    auto cutAt = [&](std::size_t length) {
        return ErrorOf(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)));
    };
    for (std::size_t length = 0; length < file.size(); ++length) {
        EXPECT_NE(cutAt(length), "") << "cut at " << length;
        Bytes damaged = file;
        damaged[length] ^= 0x5A;
        EXPECT_NE(ErrorOf(damaged), "") << "byte " << length;
    }
    const std::pair<std::size_t, std::string> cuts[] = {
        {0, "the file is empty"},
        {10, "the file ends inside its header"},
        {18, "the file ends inside the character's name"},
        {at.firstFrame + 20, "frame 0 extends past the end of the file"},
        {at.mouthCount + 5, "mouth Closed extends past the end of the file"},
        {at.firstAnimation + 3, "animation 0 extends past the end of the file"},
        {file.size() - 2, "the file ends before its checksum"}};
    for (const auto& [length, error] : cuts) EXPECT_EQ(cutAt(length), error) << length;
    EXPECT_EQ(ErrorOf({'M', 'Z'}), "bad magic: this is not a Vocalinka character file");
    Bytes damaged = file;
    damaged[at.firstFrame + 8] ^= 1;  // inside the first frame's pixels
    EXPECT_EQ(ErrorOf(damaged), "checksum mismatch: the file is damaged");
}

TEST(CharacterFileTest, ForgedFilesGetPreciseErrors) {
    const Bytes valid = WriteCharacterFile(MakeCharacter());
    const Layout at(valid);
    const Cases<Bytes> cases = {
        {[](Bytes& f) { Put(f, 6, 7); }, "unsupported version 7"},
        {[](Bytes& f) { Put(f, 8, 0); }, "frame size 0x20 is out of range (1 to 1024 each)"},
        {[&](Bytes& f) { Put(f, at.frameCount, 0); }, "the file has no frames"},
        {[&](Bytes& f) { Put(f, at.frameCount, 600); }, "600 frames exceed the limit of 512"},
        {[&](Bytes& f) { Put(f, 8, 1024), Put(f, 10, 1024), Put(f, at.frameCount, 512); },
         "the pictures exceed the limit of 8388608 pixels"},
        {[&](Bytes& f) { Put(f, at.firstFrame + 2, 0xFFFFFFF0u, 4); }, "frame 0 extends past"},
        {[&](Bytes& f) { Put(f, at.firstFrame, 0); }, "frame 0 is based on frame 0, which does"},
        {[](Bytes& f) { Put(f, 8, 1024), Put(f, 10, 1000); },
         "frame 0's pixel code is too short for 1024000 pixels"},
        {[](Bytes& f) { Put(f, 10, 21); }, "frame 0: the pixel code ends early"},
        {[&](Bytes& f) { f[at.mouthCount] = 3; }, "5 mouth shapes expected, found 3"},
        {[&](Bytes& f) { Put(f, at.mouthCount + 1, 23); }, "mouth Closed's rectangle is not"},
        {[&](Bytes& f) { Put(f, at.mouthCount + 5, 5), Put(f, at.mouthCount + 7, 1); },
         "mouth Closed: a run of pixels goes past the end of the picture"},  // 6 pixels in 5
        {[&](Bytes& f) { f[at.firstAnimation - 1] = 0; }, "the file has no animations"},
        {[&](Bytes& f) { f[at.firstAnimation + 5] = 0x81; }, "animation 0 has unknown flags 129"},
        {[&](Bytes& f) { Put(f, at.firstAnimation + 6, 0); }, "animation 0 has 0 steps (1 to"},
        {[](Bytes& f) { f.resize(f.size() + 3, 1); }, "3 unexpected bytes at the end"},
    };
    for (const auto& [forge, expected] : cases) {
        Bytes file = valid;
        forge(file);  // and seal it again, so that the reader looks past the checksum
        Put(file, file.size() - 4, Crc32(std::span(file).first(file.size() - 4)), 4);
        const std::string error = ErrorOf(file);
        EXPECT_TRUE(error.starts_with(expected)) << expected << "\n  gave: " << error;
    }
}

TEST(ValidateCharacterTest, NamesTheFirstFault) {
    const std::string notText = "the character's name is not displayable UTF-8 text";
    const Cases<CharacterData> cases = {
        {[](auto& c) { c.name.clear(); }, "the character's name must have 1 to 64 bytes"},
        {[](auto& c) { c.name.assign(65, 'a'); }, "the character's name must have 1 to 64 bytes"},
        {[](auto& c) { c.name = "a\xED\xA0\x80"; }, notText},  // a lone surrogate
        {[](auto& c) { c.name = "\xE0\x80\xAF"; }, notText},   // an overlong encoding
        {[](auto& c) { c.name = "\xC2\x85"; }, notText},       // a C1 control character
        {[](auto& c) { c.width = -3; }, "frame size -3x20 is out of range"},
        {[](auto& c) { c.balloonAnchor.y = 20; }, "the balloon anchor (12, 20) is outside"},
        {[](auto& c) { c.frames.clear(); }, "the character has no frames"},
        {[](auto& c) { c.frames.resize(513, c.frames[0]); }, "513 frames exceed the limit of 512"},
        {[](auto& c) { c.frames[2].bgra.pop_back(); }, "frame 2 has 1919 bytes instead of 1920"},
        {[](auto& c) { c.frames[1].bgra[(12 * 24 + 21) * 4 + 2] = 1; },  // red on transparent
         "frame 1 is not premultiplied at (21, 12): a colour exceeds its alpha"},
        {[](auto& c) { c.mouths[2].x = -1; }, "mouth Medium's rectangle is not inside the frame"},
        {[](auto& c) { c.mouths[4].width = 0; }, "mouth Round's rectangle is not inside the frame"},
        {[](auto& c) { c.mouths[3].bgra.resize(28); }, "mouth Wide has 28 bytes instead of 24"},
        {[](auto& c) { c.animations[3].name = "speak"; }, "the animation Speak is missing"},
        {[](auto& c) { c.animations[4].name = "Wave-2"; }, "animation 4 has no name"},
        {[](auto& c) { c.animations[4].name = "Idle"; }, "animation Idle is defined twice"},
        {[](auto& c) { c.animations[1].steps.clear(); }, "animation Idle has 0 steps"},
        {[](auto& c) { c.animations[1].steps[1].frame = 4; }, "animation Idle step 1 shows frame"},
        {[](auto& c) { c.animations[0].steps[1].durationMs = 9; }, "animation Show step 1 lasts 9"},
    };
    for (const auto& [spoil, expected] : cases) {
        CharacterData character = MakeCharacter();
        spoil(character);
        const std::string error = ValidateCharacter(character);
        EXPECT_TRUE(error.starts_with(expected)) << expected << "\n  gave: " << error;
        EXPECT_THROW(WriteCharacterFile(character), std::invalid_argument) << expected;
    }
}

// Whole frames with mouths pasted on are compared with drawings in the charmaker tests.
TEST(PasteMouthTest, ReplacesTheMouthRectangleAndLeavesABadBufferAlone) {
    CharacterData c = MakeCharacter();
    c.mouths[2] = {20, 15, 4, 5, MakePixels(4, 5, 9)};  // in the bottom right corner
    Bytes frame = c.frames[1].bgra, small(16, 7);
    PasteMouth(c, core::Mouth::Medium, frame);
    for (int y = 0; y < 5; ++y) {
        const auto row = c.mouths[2].bgra.begin() + y * 16;
        EXPECT_TRUE(std::equal(row, row + 16, frame.begin() + ((15 + y) * 24 + 20) * 4)) << y;
    }
    // A buffer of the wrong size, or a rectangle outside the frame, is left alone.
    PasteMouth(c, core::Mouth::Medium, small);
    EXPECT_EQ(small, Bytes(16, 7));
    c.mouths[2].x = c.width;
    frame = c.frames[1].bgra;
    PasteMouth(c, core::Mouth::Medium, frame);
    EXPECT_EQ(frame, c.frames[1].bgra);
}

TEST(Crc32Test, MatchesTheStandardCheckValueInOneOrManyPieces) {
    const Bytes text = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(Crc32(text), 0xCBF43926u);
    EXPECT_EQ(Crc32(std::span(text).subspan(4), Crc32(std::span(text).first(4))), 0xCBF43926u);
}

namespace fs = std::filesystem;

// The characters the build draws from characters/: each must load and behave as the program
// expects of any character.
TEST(BuiltCharactersTest, MerlinAndOthersLoadAndAreFitForTheProgram) {
    const fs::path folder = VOCALINKA_CHARACTERS_DIR;
    EXPECT_TRUE(fs::exists(folder / "Merlin.acs"));
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path& path = entry.path();
        if (path.extension() != ".acs") continue;
        ++count;
        SCOPED_TRACE(path.filename().string());
        EXPECT_LT(fs::file_size(path), 300u * 1024) << "more than a user would wait for";
        std::ifstream in(path, std::ios::binary);
        const ParseResult result =
            ParseCharacterFile(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
        ASSERT_TRUE(result.character.has_value()) << result.error;
        const CharacterData& c = *result.character;
        EXPECT_EQ(c.name, path.stem().string()) << "the program loads <Name>.acs";
        for (std::string_view name : kRequiredAnimations) {
            const bool loops = name == kIdleAnimation || name == kSpeakAnimation;
            EXPECT_EQ(c.FindAnimation(name)->loops, loops) << name;
        }

        // The pose people see most is a solid figure, not a ghost; no frame is empty.
        const std::vector<std::uint8_t>& rest =
            c.frames[c.FindAnimation(kIdleAnimation)->steps.front().frame].bgra;
        std::size_t opaque = 0;
        for (std::size_t i = 3; i < rest.size(); i += 4) opaque += rest[i] == 255;
        EXPECT_GT(opaque * 5, rest.size() / 4);
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const auto& bgra = c.frames[i].bgra;
            EXPECT_TRUE(std::any_of(bgra.begin(), bgra.end(), [](std::uint8_t v) { return v; }))
                << "frame " << i;
        }

        // Five different mouth shapes on the Speak frame, the balloon pointing near the mouth.
        const std::vector<std::uint8_t> speak =
            c.frames[c.FindAnimation(kSpeakAnimation)->steps.front().frame].bgra;
        std::vector<std::vector<std::uint8_t>> shapes;
        for (int m = 0; m < core::kMouthCount; ++m) {
            std::vector<std::uint8_t>& frame = shapes.emplace_back(speak);
            PasteMouth(c, static_cast<core::Mouth>(m), frame);
            EXPECT_EQ(std::count(shapes.begin(), shapes.end(), frame), 1) << "mouth " << m;
        }
        const MouthOverlay& mouth = c.MouthFor(core::Mouth::Wide);
        EXPECT_LT(std::abs(c.balloonAnchor.y - (mouth.y + mouth.height / 2)), c.height / 6);
    }
    EXPECT_GE(count, 3u) << "Merlin and at least two others";
}

}  // namespace
}  // namespace agent::format
