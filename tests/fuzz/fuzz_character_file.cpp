// Feeds arbitrary bytes to the character file reader. Each input is read twice: as it is, and
// with its checksum made right, so that mutations reach the checks behind the checksum.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "agent/format/character_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agent::format;
    const auto require = [](bool condition) {
        if (!condition) std::abort();
    };
    std::vector<std::uint8_t> bytes(data, data + size);
    ParseCharacterFile(bytes);
    if (bytes.size() < 4) return 0;
    const std::uint32_t crc = Crc32(std::span(bytes).first(bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + i] = std::uint8_t(crc >> (8 * i));
    const ParseResult result = ParseCharacterFile(bytes);
    require(result.character || !result.error.empty());
    if (!result.character) return 0;
    // What was accepted is valid, survives being written and read again, and takes a mouth.
    require(ValidateCharacter(*result.character).empty());
    const ParseResult again = ParseCharacterFile(WriteCharacterFile(*result.character));
    require(again.character == result.character);
    std::vector<std::uint8_t> frame = result.character->frames.front().bgra;
    PasteMouth(*result.character, agent::core::Mouth::Wide, frame);
    return 0;
}
