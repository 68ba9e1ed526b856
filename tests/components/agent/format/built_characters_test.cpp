// The characters the build draws from characters/: each must load and behave as the program
// expects of any character.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

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
        EXPECT_GE(std::min(c.width, c.height), 96);
        for (std::string_view name : kRequiredAnimations) {
            EXPECT_EQ(c.FindAnimation(name)->loops,
                      name == kIdleAnimation || name == kSpeakAnimation)
                << name;
        }
        const Animation& idle = *c.FindAnimation(kIdleAnimation);
        std::set<std::uint16_t> idleFrames;
        for (const AnimationStep& step : idle.steps) idleFrames.insert(step.frame);
        EXPECT_GE(idleFrames.size(), 2u) << "Idle blinks";
        EXPECT_GE(idle.steps.front().durationMs, 1000) << "the rest pose lasts";

        // The pose people see most is a solid figure, not a ghost; no frame is empty.
        const std::vector<std::uint8_t>& rest = c.frames[idle.steps.front().frame].bgra;
        std::size_t opaque = 0;
        for (std::size_t i = 3; i < rest.size(); i += 4) opaque += rest[i] == 255;
        EXPECT_GT(opaque * 5, rest.size() / 4);
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const auto& bgra = c.frames[i].bgra;
            EXPECT_TRUE(std::any_of(bgra.begin(), bgra.end(), [](std::uint8_t v) { return v; }))
                << "frame " << i;
        }

        // Five different mouth shapes, each changing the Speak frame it is pasted on.
        const std::vector<std::uint8_t> speak =
            c.frames[c.FindAnimation(kSpeakAnimation)->steps.front().frame].bgra;
        std::set<std::vector<std::uint8_t>> shapes;
        for (int m = 0; m < core::kMouthCount; ++m) {
            std::vector<std::uint8_t> frame = speak;
            PasteMouth(c, static_cast<core::Mouth>(m), frame);
            shapes.insert(frame);
        }
        EXPECT_EQ(shapes.size(), static_cast<std::size_t>(core::kMouthCount));

        // The balloon points near the mouth.
        const MouthOverlay& mouth = c.MouthFor(core::Mouth::Wide);
        EXPECT_LT(std::abs(c.balloonAnchor.y - (mouth.y + mouth.height / 2)), c.height / 6);
    }
    EXPECT_GE(count, 3u) << "Merlin and at least two others";
}

}  // namespace
}  // namespace agent::format
