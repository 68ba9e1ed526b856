#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz_driver.h"
#include "test_character.h"

namespace vocalinka::fuzz {
namespace {

TEST(CharacterFileFuzz, RejectsDamagedFilesAndKeepsWhatItAccepts) {
    // The characters of the build, whole and valid; a small character, whose mutations reach
    // the checks behind the header many times faster; and bare beginnings.
    std::vector<Input> seeds;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(VOCALINKA_CHARACTERS_DIR, error)) {
        if (entry.path().extension() != ".acs") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_FALSE(seeds.empty()) << "no character in " << VOCALINKA_CHARACTERS_DIR;
    seeds.push_back(agent::format::WriteCharacterFile(agent::format::test::MakeCharacter(8, 6)));
    seeds.push_back(Utf8Bytes("ACS"));
    seeds.emplace_back(64, 0);
    ExpectMutationsRun("character-file", std::move(seeds));
}

}  // namespace
}  // namespace vocalinka::fuzz
