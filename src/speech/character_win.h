// The character's start-up on Windows: which character file to load, the user's name and the
// greeting's date.
#pragma once

#include <string>

#include "agent/agent.h"
#include "speech/speech_text.h"

namespace vocalinka {

// Loads the preferred character; when it cannot be loaded, "Merlin", then the installed
// characters in turn. Returns the name loaded. Throws agent::Error naming the character folder
// when none can be loaded.
std::wstring LoadCharacterOrFallback(agent::CharacterCollection& characters,
                                     const std::wstring& windowsDirectory,
                                     const std::wstring& preferred);

// The network user name, or empty when the system gives none.
std::wstring UserName();

// Today in the greeting's format for the language, from the user's regional settings.
std::wstring GreetingDate(const LanguageEntry& language);

}  // namespace vocalinka
