// A small character made in the test itself with the format library: a coloured disc whose
// colour tells the frames apart, every animation a character needs and five mouth overlays.
#pragma once

#include <agent/format/character_file.h>

#include <cstdint>
#include <vector>

namespace agent::win::testing {

inline constexpr int kTestWidth = 64;
inline constexpr int kTestHeight = 80;

format::CharacterData MakeTestCharacter();
std::vector<std::uint8_t> TestCharacterFile();

}  // namespace agent::win::testing
