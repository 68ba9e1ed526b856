// Feeds arbitrary bytes to the character file reader. Each input is read twice: as it is, and
// with its checksum made right, so that mutations reach the checks behind the checksum.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "agent/format/character_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agent::format;
    std::vector<std::uint8_t> bytes(data, data + size);
    ParseCharacterFile(bytes);
    if (bytes.size() < 4) return 0;
    const std::uint32_t crc = Crc32(std::span(bytes).first(bytes.size() - 4));
    for (int i = 0; i < 4; ++i)
        bytes[bytes.size() - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    const ParseResult result = ParseCharacterFile(bytes);
    if (result.character) {
        // What was accepted must be valid and survive being written and read again.
        if (!ValidateCharacter(*result.character).empty()) std::abort();
        const ParseResult again = ParseCharacterFile(WriteCharacterFile(*result.character));
        if (!again.character || *again.character != *result.character) std::abort();
        std::vector<std::uint8_t> frame = result.character->frames.front().bgra;
        PasteMouth(*result.character, agent::core::Mouth::Wide, frame);
    } else if (result.error.empty()) {
        std::abort();
    }
    return 0;
}
