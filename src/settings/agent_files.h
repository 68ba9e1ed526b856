// Which files of the language folder the language chooser offers. Portable: names are UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vocalinka {

// The language a file of the language folder provides: "English" for AGT0409.DLL, "French" for
// AGT040C.DLL, in any letter case. Nothing for any other file.
std::optional<std::string> LanguageOf(std::string_view fileName);

}  // namespace vocalinka
