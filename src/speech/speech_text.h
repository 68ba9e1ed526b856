// What the character is given to say: the greeting at start-up and the tagged text of a
// reading. Portable; UTF-16 because the character speaks UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace vocalinka {

// The Language setting's row: the character's language and speech engine.
struct LanguageEntry {
    std::string_view setting;  // "English" or "French", compared exactly
    long languageId;
    std::u16string_view ttsModeId;
};

// The row for a Language setting, or null for any other text (no language is set then).
const LanguageEntry* FindLanguage(std::string_view languageSetting);

// "Hello <name>. Today is <date>." or "Bonjour <name>. Aujourd'hui c'est le <date>."; empty
// for no language. `date` is already in the language's format (long date; dd MMM, yyyy).
// The text is for showing; speak it through agent::core::EscapeSpeechText.
std::u16string GreetingText(const LanguageEntry* language, std::u16string_view userName,
                            std::u16string_view date);

// What the character says when asked to read a password field, in its language (English for
// no language). For showing; speak it through agent::core::EscapeSpeechText.
std::u16string PasswordRefusalText(const LanguageEntry* language);

// "\Spd=<speed>\\Pit=<pitch>\" followed by the text, escaped so that it is spoken as written.
// A Speed or Pitch that is not a whole decimal number is left out rather than spliced in.
std::u16string TaggedText(std::string_view speed, std::string_view pitch, std::u16string_view text);

}  // namespace vocalinka
