#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "agent/format/character_file.h"
#include "fuzz_driver.h"

namespace vocalinka::fuzz {
namespace {

// The characters of the build: whole, valid files to mutate.
std::vector<Input> BuiltCharacters() {
    std::vector<Input> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VOCALINKA_CHARACTERS_DIR, error)) {
        if (entry.path().extension() != ".acs") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

// A small character: mutations of it reach the checks behind the header many times faster.
Input SmallCharacter() {
    using namespace agent::format;
    constexpr int kWidth = 8, kHeight = 6;
    CharacterData c{"Fuzz", kWidth, kHeight, {kWidth / 2, kHeight / 3}, {}, {}, {}};
    for (std::uint8_t f = 0; f < 2; ++f) {
        Input bgra;
        for (int p = 0; p < kWidth * kHeight; ++p) {
            const std::uint8_t alpha = p % 3 == 0 ? 0 : 255;
            bgra.insert(bgra.end(), {std::uint8_t(p * alpha / 255),
                                     std::uint8_t(f * 40 * alpha / 255), 0, alpha});
        }
        c.frames.push_back({bgra});
    }
    for (int m = 0; m < 5; ++m) c.mouths[m] = {1, 2, 3, 2, Input(24, std::uint8_t(40 + 40 * m))};
    c.animations = {{"Show", false, {{1, 50}, {0, 100}}},
                    {"Idle", true, {{0, 3000}}},
                    {"Hide", false, {{1, 50}}},
                    {"Speak", true, {{1, 200}, {0, 200}}}};
    return WriteCharacterFile(c);
}

TEST(CharacterFileFuzz, RejectsDamagedFilesAndKeepsWhatItAccepts) {
    std::vector<Input> seeds = BuiltCharacters();
    ASSERT_FALSE(seeds.empty()) << "no character in " << VOCALINKA_CHARACTERS_DIR;
    seeds.push_back(SmallCharacter());
    ASSERT_TRUE(agent::format::ParseCharacterFile(seeds.back()).character);
    seeds.push_back(Utf8Bytes("ACS"));
    seeds.emplace_back(64, 0);
    ExpectMutationsRun("character-file", std::move(seeds));
}

}  // namespace
}  // namespace vocalinka::fuzz
