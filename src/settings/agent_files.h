// Which files of the Agent folders the two choosers offer. Portable: names are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vocalinka {

// The character a file of the character folder holds: its name without the extension ".acs"
// (in any letter case). Nothing for any other file, nor for a file named only ".acs", which
// names no character.
std::optional<std::string> CharacterNameOf(std::string_view fileName);

// The language a file of the language folder provides: "English" for AGT0409.DLL, "French" for
// AGT040C.DLL, in any letter case. Nothing for any other file.
std::optional<std::string> LanguageOf(std::string_view fileName);

}  // namespace vocalinka
