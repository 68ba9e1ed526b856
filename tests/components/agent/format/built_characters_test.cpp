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

// Well under what a user would wait for or notice on disk.
constexpr std::uintmax_t kMaxFileBytes = 300 * 1024;

std::vector<fs::path> BuiltCharacters() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(VOCALINKA_CHARACTERS_DIR)) {
        if (entry.path().extension() == ".acs") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

double OpaqueShare(const std::vector<std::uint8_t>& bgra) {
    std::size_t opaque = 0;
    for (std::size_t i = 3; i < bgra.size(); i += 4) opaque += bgra[i] == 255;
    return static_cast<double>(opaque) / static_cast<double>(bgra.size() / 4);
}

TEST(BuiltCharactersTest, MerlinAndAtLeastTwoOthersAreBuilt) {
    const std::vector<fs::path> files = BuiltCharacters();
    EXPECT_GE(files.size(), 3u);
    EXPECT_TRUE(std::any_of(files.begin(), files.end(),
                            [](const fs::path& p) { return p.filename() == "Merlin.acs"; }));
}

TEST(BuiltCharactersTest, EachLoadsAndIsFitForTheProgram) {
    for (const fs::path& path : BuiltCharacters()) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_LT(fs::file_size(path), kMaxFileBytes);
        const ParseResult result = ParseCharacterFile(ReadFile(path));
        ASSERT_TRUE(result.character.has_value()) << result.error;
        const CharacterData& c = *result.character;
        EXPECT_EQ(c.name, path.stem().string()) << "the program loads <Name>.acs";
        EXPECT_GE(c.width, 96);
        EXPECT_GE(c.height, 96);

        for (std::string_view name : kRequiredAnimations) ASSERT_NE(c.FindAnimation(name), nullptr);
        EXPECT_FALSE(c.FindAnimation(kShowAnimation)->loops);
        EXPECT_FALSE(c.FindAnimation(kHideAnimation)->loops);
        EXPECT_TRUE(c.FindAnimation(kSpeakAnimation)->loops);
        const Animation& idle = *c.FindAnimation(kIdleAnimation);
        EXPECT_TRUE(idle.loops);
        std::set<std::uint16_t> idleFrames;
        for (const AnimationStep& step : idle.steps) idleFrames.insert(step.frame);
        EXPECT_GE(idleFrames.size(), 2u) << "Idle blinks";
        EXPECT_GE(idle.steps.front().durationMs, 1000) << "the rest pose lasts";

        // The pose people see most is a solid figure, not a ghost.
        EXPECT_GT(OpaqueShare(c.frames[idle.steps.front().frame].bgra), 0.2);
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const auto& bgra = c.frames[i].bgra;
            EXPECT_TRUE(std::any_of(bgra.begin(), bgra.end(), [](std::uint8_t v) { return v; }))
                << "frame " << i << " shows something";
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
}

}  // namespace
}  // namespace agent::format
