#include "agent/sapi/voice_choice.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace agent::sapi {
namespace {

constexpr long kPrimaryLanguageMask = 0x3FF;  // the low 10 bits of a language id
constexpr long kMaxLanguageId = 0xFFFF;

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

std::u16string_view Trim(std::u16string_view text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::u16string Hex4(long language) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04lX", language & kMaxLanguageId);
    return std::u16string(digits, digits + std::char_traits<char>::length(digits));
}

bool Speaks(const InstalledVoice& voice, long language) {
    return std::find(voice.languages.begin(), voice.languages.end(), language) !=
           voice.languages.end();
}

bool SpeaksPrimary(const InstalledVoice& voice, long language) {
    return std::any_of(voice.languages.begin(), voice.languages.end(), [&](long l) {
        return (l & kPrimaryLanguageMask) == (language & kPrimaryLanguageMask);
    });
}

void AddNote(std::u16string& note, std::u16string_view text) {
    if (!note.empty()) note += u"; ";
    note += text;
}

}  // namespace

long LanguageForModeId(std::u16string_view modeId) {
    struct Known {
        std::u16string_view id;
        long language;
    };
    static constexpr std::array<Known, 2> kKnown = {{
        {u"c77c5160-2867-11d0-847B-444553540000", kLanguageEnglish},
        {u"0879A4E1-A92C-11D1-B17B-0020AFED142E", kLanguageFrench},
    }};
    std::u16string_view id = Trim(modeId);
    if (id.size() >= 2 && id.front() == u'{' && id.back() == u'}') {
        id = id.substr(1, id.size() - 2);
    }
    for (const Known& known : kKnown) {
        if (EqualIgnoringCase(id, known.id)) return known.language;
    }
    return 0;
}

std::vector<long> ParseLanguageList(std::u16string_view attribute) {
    std::vector<long> languages;
    while (!attribute.empty()) {
        const std::size_t semicolon = attribute.find(u';');
        const std::u16string_view entry = Trim(attribute.substr(0, semicolon));
        attribute =
            semicolon == attribute.npos ? std::u16string_view{} : attribute.substr(semicolon + 1);
        long value = 0;
        bool valid = !entry.empty() && entry.size() <= 4;  // a language id is 16 bits
        for (std::size_t i = 0; valid && i < entry.size(); ++i) {
            const char16_t c = Lower(entry[i]);
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                                                       : -1;
            valid = digit >= 0;
            value = value * 16 + digit;
        }
        if (valid) languages.push_back(value);
    }
    return languages;
}

VoicePick PickVoice(const core::VoiceChoice& choice, const std::vector<InstalledVoice>& voices) {
    VoicePick pick;
    pick.language = choice.languageId;
    if (!Trim(choice.ttsModeId).empty()) {
        if (const long language = LanguageForModeId(choice.ttsModeId)) {
            pick.language = language;
        } else {
            AddNote(pick.note, u"unknown TTS mode id ignored");
        }
    }
    const auto exact = std::find_if(voices.begin(), voices.end(), [&](const InstalledVoice& v) {
        return Speaks(v, pick.language);
    });
    if (exact != voices.end()) {
        pick.voiceId = exact->id;
        return pick;
    }
    const auto near = std::find_if(voices.begin(), voices.end(), [&](const InstalledVoice& v) {
        return SpeaksPrimary(v, pick.language);
    });
    if (near != voices.end()) {
        pick.voiceId = near->id;
        AddNote(pick.note,
                u"no voice for language " + Hex4(pick.language) + u"; using " + near->name);
        return pick;
    }
    AddNote(pick.note,
            u"no voice for language " + Hex4(pick.language) + u"; using the default voice");
    return pick;
}

}  // namespace agent::sapi
