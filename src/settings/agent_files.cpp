#include "settings/agent_files.h"

#include <algorithm>

namespace vocalinka {
namespace {

constexpr std::string_view kCharacterExtension = ".acs";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letter case is folded for ASCII only: the names compared with are ASCII, and a byte of a
// UTF-8 sequence never equals an ASCII letter.
bool EqualsNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

}  // namespace

std::optional<std::string> CharacterNameOf(std::string_view fileName) {
    if (fileName.size() <= kCharacterExtension.size()) return std::nullopt;
    const std::size_t nameLength = fileName.size() - kCharacterExtension.size();
    if (!EqualsNoCase(fileName.substr(nameLength), kCharacterExtension)) return std::nullopt;
    return std::string(fileName.substr(0, nameLength));
}

std::optional<std::string> LanguageOf(std::string_view fileName) {
    if (EqualsNoCase(fileName, "AGT0409.DLL")) return "English";
    if (EqualsNoCase(fileName, "AGT040C.DLL")) return "French";
    return std::nullopt;
}

}  // namespace vocalinka
