// The characters the build draws from characters/: each must load and behave as the program
// expects of any character.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "agent/format/character_file.h"

namespace agent::format {
namespace {

namespace fs = std::filesystem;

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
