// The character that speaks for the program, from start-up to closing: which one is loaded
// (falling back when the Character setting names nothing loadable), its language and voice,
// its greeting, and its exchange for another one, with the old one kept when the new one fails.
#pragma once

#include <string>

#include "agent/agent.h"

namespace vocalinka {

class SpeakingCharacter {
public:
    // `characters` outlives this object; character files are found below `windowsDirectory`.
    SpeakingCharacter(agent::CharacterCollection& characters, std::wstring windowsDirectory);

    // Loads the preferred character, or else Merlin, or else an installed one; returns the
    // name loaded, which the Character setting then holds. Throws agent::Error naming the
    // character folder when none can be loaded.
    std::wstring Load(const std::wstring& preferred);

    // Sets the language of the Language setting and returns the greeting for `userName` in
    // it; for a setting that names no language nothing changes and the greeting is empty.
    std::wstring Greet(const std::string& languageSetting, const std::wstring& userName);

    // Balloon, menu and voice in the language of the setting: both change or neither (a
    // missing language component leaves the character speaking as before).
    void ApplyLanguage(const std::string& languageSetting);

    // Unloads the current character, before the chooser opens.
    void Unload();

    // What an exchange of characters ended with: the name loaded, and why the chosen one was
    // not (empty when it was).
    struct Exchange {
        std::wstring loaded;
        std::wstring failure;
    };
    // After Unload: loads `chosen`; when it cannot be loaded, `previous` comes back (or a
    // fallback, as at start-up). Throws agent::Error when no character can be loaded at all.
    Exchange LoadInstead(const std::wstring& chosen, const std::wstring& previous);

    // Null between Unload and the next load.
    agent::Character* Current() const { return current_; }

private:
    agent::Character& Take(const std::wstring& name);

    agent::CharacterCollection& characters_;
    std::wstring windowsDirectory_;
    std::wstring currentName_;
    agent::Character* current_ = nullptr;
};

}  // namespace vocalinka
