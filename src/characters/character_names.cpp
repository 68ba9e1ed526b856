#include "characters/character_names.h"

#include <algorithm>

#include "win32util/ascii.h"

namespace vocalinka {
namespace {

// Windows opens a device, not a file, for these names, whatever extension follows and with
// spaces before it ("nul .acs" is NUL too).
bool IsDeviceName(std::u16string_view name) {
    std::u16string base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), win32util::AsciiUpper<char16_t>);
    if (base == u"CON" || base == u"PRN" || base == u"AUX" || base == u"NUL" || base == u"CONIN$" ||
        base == u"CONOUT$") {
        return true;
    }
    // COM0 to COM9 and LPT0 to LPT9, also with the superscript digits 1, 2 and 3.
    constexpr std::u16string_view kDigits = u"0123456789\u00B9\u00B2\u00B3";
    return base.size() == 4 && (base.starts_with(u"COM") || base.starts_with(u"LPT")) &&
           kDigits.find(base[3]) != std::u16string_view::npos;
}

}  // namespace

std::optional<std::string> CharacterNameOf(std::string_view fileName) {
    if (fileName.size() <= kCharacterExtension.size()) return std::nullopt;
    const std::size_t nameLength = fileName.size() - kCharacterExtension.size();
    if (!win32util::EqualsIgnoringAsciiCase(fileName.substr(nameLength), kCharacterExtension)) {
        return std::nullopt;
    }
    return std::string(fileName.substr(0, nameLength));
}

bool IsCharacterName(std::u16string_view name) {
    constexpr std::u16string_view kNotInFileNames = u"\\/:*?\"<>|";
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(kNotInFileNames) == std::u16string_view::npos &&
           std::none_of(name.begin(), name.end(), [](char16_t c) { return c < 32; }) &&
           !IsDeviceName(name);
}

}  // namespace vocalinka
