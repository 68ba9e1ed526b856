// A picture of a whole character for people to look at: every frame in file order, then the
// five mouth shapes on the first Speak frame, over a light checkerboard that shows the alpha.
#pragma once

#include <cstdint>
#include <vector>

#include "agent/format/character_file.h"

namespace charmaker {

// The PNG file's bytes; each character pixel is drawn as zoom x zoom pixels.
std::vector<std::uint8_t> ContactSheet(const agent::format::CharacterData& character, int zoom);

}  // namespace charmaker
