// Which installed SAPI 5 voice speaks for a character: by the TTS mode id the program set, else
// by the character's language; when no voice of that language is installed, the nearest one.
// Portable: no <windows.h>.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "agent/core/speech_engine.h"

namespace agent::sapi {

inline constexpr long kLanguageEnglish = 0x0409;  // 1033
inline constexpr long kLanguageFrench = 0x040C;   // 1036

// The two engine mode ids the program writes come from an older speech API and mean nothing to
// SAPI 5; they only name a language. Case-insensitive, with or without braces. 0: unknown id.
long LanguageForModeId(std::u16string_view modeId);

// A voice token's "Language" attribute: hexadecimal language ids separated by semicolons,
// e.g. "409;9". Entries that are not hexadecimal numbers are skipped.
std::vector<long> ParseLanguageList(std::u16string_view attribute);

struct InstalledVoice {
    std::u16string id;    // the token id, for ISpVoice::SetVoice
    std::u16string name;  // for the note only
    std::vector<long> languages;
};

struct VoicePick {
    long language = kLanguageEnglish;  // the language that was asked for
    std::u16string voiceId;            // empty: the user's default voice
    std::u16string note;               // empty when a voice of that language was found
};

// A voice of exactly the wanted language, else one of the same primary language (English
// (United Kingdom) for English (United States)), else the user's default voice. The note says,
// in a few words for a trace line, what was ignored or substituted.
VoicePick PickVoice(const core::VoiceChoice& choice, const std::vector<InstalledVoice>& voices);

}  // namespace agent::sapi
