#include "speech/speaking_character.h"

#include "characters/character_folder_win.h"
#include "characters/character_names.h"
#include "speech/character_win.h"
#include "speech/speech_text.h"
#include "win32util/text.h"

namespace vocalinka {

using win32util::ToU16;
using win32util::ToWide;

SpeakingCharacter::SpeakingCharacter(agent::CharacterCollection& characters,
                                     std::wstring windowsDirectory)
    : characters_(characters), windowsDirectory_(std::move(windowsDirectory)) {}

agent::Character& SpeakingCharacter::Take(const std::wstring& name) {
    current_ = &characters_.Item(name);
    currentName_ = name;
    return *current_;
}

std::wstring SpeakingCharacter::Load(const std::wstring& preferred) {
    const std::wstring loaded = LoadCharacterOrFallback(characters_, windowsDirectory_, preferred);
    Take(loaded);
    return loaded;
}

std::wstring SpeakingCharacter::Greet(const std::string& languageSetting,
                                      const std::wstring& userName) {
    const LanguageEntry* language = FindLanguage(languageSetting);
    if (!language) return {};
    ApplyLanguage(languageSetting);
    return ToWide(GreetingText(language, ToU16(userName), ToU16(GreetingDate(*language))));
}

void SpeakingCharacter::ApplyLanguage(const std::string& languageSetting) {
    const LanguageEntry* language = FindLanguage(languageSetting);
    if (!language || !current_) return;
    try {
        current_->SetLanguageID(language->languageId);
    } catch (const agent::Error&) {
        // That language's component is not installed: the character keeps its language, and
        // its voice with it, so that texts and speech never disagree.
        return;
    }
    // The voice follows the language too, not only the balloon and menu texts.
    current_->SetTTSModeID(ToWide(language->ttsModeId));
}

void SpeakingCharacter::Unload() {
    if (!current_) return;
    current_ = nullptr;
    characters_.Unload(currentName_);
}

SpeakingCharacter::Exchange SpeakingCharacter::LoadInstead(const std::wstring& chosen,
                                                           const std::wstring& previous) {
    Exchange exchange;
    try {
        if (!IsCharacterName(ToU16(chosen))) {
            throw agent::Error(L"\"" + chosen + L"\" is not the name of a character.");
        }
        characters_.Load(chosen, CharacterPath(windowsDirectory_, chosen));
        exchange.loaded = chosen;
    } catch (const agent::Error& failure) {
        exchange.failure = L"The character \"" + chosen + L"\" could not be loaded, so " +
                           previous + L" stays.\r\n\r\n" + failure.Message();
        exchange.loaded = LoadCharacterOrFallback(characters_, windowsDirectory_, previous);
    }
    Take(exchange.loaded);
    return exchange;
}

}  // namespace vocalinka
