#include "speech/speech_text.h"

#include <algorithm>
#include <array>

#include "agent/core/speech_tags.h"

namespace vocalinka {
namespace {

constexpr std::array kLanguages{
    LanguageEntry{"English", 1033, u"{c77c5160-2867-11d0-847B-444553540000}"},
    LanguageEntry{"French", 1036, u"{0879A4E1-A92C-11D1-B17B-0020AFED142E}"},
};

bool IsWholeDecimalNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::u16string Ascii(std::string_view text) {
    return {text.begin(), text.end()};
}

char16_t AsciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// Windows opens a device, not a file, for these names, whatever extension follows and with
// spaces before it ("nul .acs" is NUL too).
bool IsDeviceName(std::u16string_view name) {
    std::u16string base(name.substr(0, name.find(u'.')));
    while (!base.empty() && base.back() == u' ') base.pop_back();
    std::transform(base.begin(), base.end(), base.begin(), AsciiUpper);
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

const LanguageEntry* FindLanguage(std::string_view languageSetting) {
    const auto found =
        std::find_if(kLanguages.begin(), kLanguages.end(),
                     [&](const LanguageEntry& e) { return e.setting == languageSetting; });
    return found == kLanguages.end() ? nullptr : &*found;
}

std::u16string GreetingText(const LanguageEntry* language, std::u16string_view userName,
                            std::u16string_view date) {
    if (!language) return {};
    const bool french = language->languageId == 1036;
    std::u16string text = french ? u"Bonjour " : u"Hello ";
    text += userName;
    text += french ? u". Aujourd'hui c'est le " : u". Today is ";
    text += date;
    text += u".";
    return text;
}

std::u16string PasswordRefusalText(const LanguageEntry* language) {
    return language && language->languageId == 1036 ? u"C'est un mot de passe : je ne le lis pas."
                                                    : u"That is a password: I do not read it.";
}

std::u16string TaggedText(std::string_view speed, std::string_view pitch,
                          std::u16string_view text) {
    std::u16string tagged;
    if (IsWholeDecimalNumber(speed)) tagged += u"\\Spd=" + Ascii(speed) + u"\\";
    if (IsWholeDecimalNumber(pitch)) tagged += u"\\Pit=" + Ascii(pitch) + u"\\";
    return tagged + agent::core::EscapeSpeechText(text);
}

bool IsCharacterName(std::u16string_view name) {
    constexpr std::u16string_view kNotInFileNames = u"\\/:*?\"<>|";
    return !name.empty() && name != u"." && name != u".." &&
           name.find_first_of(kNotInFileNames) == std::u16string_view::npos &&
           std::none_of(name.begin(), name.end(), [](char16_t c) { return c < 32; }) &&
           !IsDeviceName(name);
}

}  // namespace vocalinka
