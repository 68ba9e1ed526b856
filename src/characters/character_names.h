// Character files and the names they give: which file names hold a character and which names
// can name one. Portable: file names are UTF-8, names the program loads UTF-16.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vocalinka {

// Every character file ends in it, in any letter case.
inline constexpr std::string_view kCharacterExtension = ".acs";

// The character a file of the character folder holds: its name without the extension (in any
// letter case). Nothing for any other file, nor for a file named only ".acs", which names no
// character.
std::optional<std::string> CharacterNameOf(std::string_view fileName);

// A Character setting that can name a file in the character folder: not empty, no path
// separators or other characters file names cannot hold, not "." or "..", and not a name that
// Windows keeps for a device (CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 in any letter case, also
// followed by an extension or by spaces).
bool IsCharacterName(std::u16string_view name);

}  // namespace vocalinka
