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

}  // namespace vocalinka
