#include "agent/core/words.h"

#include <algorithm>

#include "agent/core/speech_tags.h"
#include "unicode.h"

namespace agent::core {
namespace {

using unicode::DecodeAt;
using unicode::IsWhiteSpace;

constexpr bool IsSmallKana(char32_t c) {
    switch (c) {
        case 0x3041:
        case 0x3043:
        case 0x3045:
        case 0x3047:
        case 0x3049:
        case 0x3063:
        case 0x3083:
        case 0x3085:
        case 0x3087:
        case 0x308E:
        case 0x3095:
        case 0x3096:
        case 0x30A1:
        case 0x30A3:
        case 0x30A5:
        case 0x30A7:
        case 0x30A9:
        case 0x30C3:
        case 0x30E3:
        case 0x30E5:
        case 0x30E7:
        case 0x30EE:
        case 0x30F5:
        case 0x30F6:
            return true;
        default:
            return (c >= 0x31F0 && c <= 0x31FF) || (c >= 0xFF67 && c <= 0xFF6F);
    }
}

// An ideograph or a kana that is read as a unit of its own. Small kana, the prolonged sound
// mark and iteration marks fall outside the ranges or are excluded: they belong to the unit
// before them.
constexpr bool IsCjkUnit(char32_t c) {
    const bool ideograph = (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
                           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF);
    const bool kana = (c >= 0x3041 && c <= 0x3096) || (c >= 0x30A1 && c <= 0x30FA) ||
                      (c >= 0xFF66 && c <= 0xFF9D && c != 0xFF70);
    return ideograph || (kana && !IsSmallKana(c));
}

// Letters and digits of alphabetic scripts, which start a new word after Chinese or Japanese.
constexpr bool IsAlphabetic(char32_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) ||  // Latin
           (c >= 0x370 && c <= 0x52F) ||                           // Greek, Cyrillic
           (c >= 0xAC00 && c <= 0xD7A3) ||                         // Hangul syllables
           (c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) ||
           (c >= 0xFF41 && c <= 0xFF5A);  // full-width Latin
}

struct Trimmed {
    std::size_t begin;
    std::size_t length;
};

Trimmed Trim(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1])) --end;
    return {begin, end - begin};
}

enum class Stop { None, Clause, Sentence };

Stop StopAfter(char32_t c) {
    switch (c) {
        case u'.':
        case u'!':
        case u'?':
        case 0x2026:
        case 0x3002:
        case 0xFF01:
        case 0xFF0E:
        case 0xFF1F:
        case 0xFF61:
        case 0x037E:
        case 0x061F:
        case 0x06D4:
        case 0x0964:
        case 0x0965:
            return Stop::Sentence;
        case u',':
        case u';':
        case u':':
        case 0x3001:
        case 0xFF0C:
        case 0xFF1A:
        case 0xFF1B:
        case 0xFF64:
        case 0x060C:
        case 0x061B:
            return Stop::Clause;
        default:
            return Stop::None;
    }
}

constexpr bool IsClosing(char32_t c) {
    switch (c) {
        case u'"':
        case u'\'':
        case u')':
        case u']':
        case u'}':
        case 0xBB:
        case 0x2019:
        case 0x201D:
        case 0x203A:
        case 0x300D:
        case 0x300F:
        case 0x3011:
        case 0xFF09:
            return true;
        default:
            return false;
    }
}

}  // namespace

void WordCursor::EnterSegment(std::size_t index) {
    const Segment& segment = utterance_->segments[index];
    mapped_ = segment.mapped;
    at_ = 0;
    afterCjk_ = false;
    entered_ = true;
}

std::optional<Word> WordCursor::Next() {
    const std::vector<Segment>& segments = utterance_->segments;
    for (; segment_ < segments.size();
         shownBase_ += segments[segment_].shown.size(), ++segment_, entered_ = false) {
        if (!entered_) EnterSegment(segment_);
        const Segment& segment = segments[segment_];
        if (mapped_) {
            if (at_ > 0) continue;
            at_ = 1;  // read: a mapped segment is one word
            const Trimmed shown = Trim(segment.shown);
            const Trimmed spoken = Trim(segment.Spoken());
            if (shown.length > 0 || spoken.length > 0) {
                return Word{shownBase_ + shown.begin, shown.length, segment_, spoken.begin,
                            spoken.length};
            }
            continue;
        }
        // A word ends at white space, before a CJK unit, and before a letter or digit that
        // follows one.
        const std::u16string_view text = segment.shown;
        std::optional<std::size_t> wordBegin;
        while (at_ < text.size()) {
            const auto [c, units] = DecodeAt(text, at_);
            if (IsWhiteSpace(c)) {
                if (wordBegin) break;
            } else {
                const bool cjk = IsCjkUnit(c);
                const bool alphabetic = IsAlphabetic(c);
                if (wordBegin && (cjk || (afterCjk_ && alphabetic))) break;
                if (!wordBegin) wordBegin = at_;
                afterCjk_ = cjk || (afterCjk_ && !alphabetic);
            }
            at_ += units;
        }
        if (wordBegin) {
            const std::size_t length = at_ - *wordBegin;
            return Word{shownBase_ + *wordBegin, length, segment_, *wordBegin, length};
        }
    }
    return std::nullopt;
}

std::vector<Word> SplitWords(const Utterance& utterance) {
    std::vector<Word> words;
    WordCursor cursor(utterance);
    while (const std::optional<Word> word = cursor.Next()) words.push_back(*word);
    return words;
}

bool HasWords(const Utterance& utterance) {
    // Any letter that is not white space makes a word: found without reading a long word to
    // its end.
    const auto hasLetter = [](std::u16string_view text) {
        for (std::size_t at = 0; at < text.size(); at += DecodeAt(text, at).units) {
            if (!IsWhiteSpace(DecodeAt(text, at).value)) return true;
        }
        return false;
    };
    return std::any_of(utterance.segments.begin(), utterance.segments.end(), [&](const Segment& s) {
        return hasLetter(s.shown) || hasLetter(s.Spoken());
    });
}

WordPace PaceWord(std::u16string_view word, int speedWpm, bool emphasized) {
    // A hand-made Segment may carry any number: keep to the range the tags allow.
    const int base = 60'000 / kSpeedWpmRange.Clamp(speedWpm);

    std::size_t end = word.size();
    Stop stop = Stop::None;
    while (end > 0) {
        const auto [c, units] = unicode::DecodeBefore(word, end);
        if (IsClosing(c)) {
            end -= units;
        } else if (const Stop found = StopAfter(c); found != Stop::None) {
            stop = std::max(stop, found);
            end -= units;
        } else {
            break;
        }
    }
    int letters = 0;
    for (std::size_t at = 0; at < end && letters < 64; at += DecodeAt(word, at).units) ++letters;

    WordPace pace;
    pace.speakMs = std::clamp(base * (letters + 3) / 8, base / 2, base * 3);
    if (emphasized) pace.speakMs += pace.speakMs / 4;
    pace.silenceAfterMs = stop == Stop::Sentence ? base : stop == Stop::Clause ? base / 2 : 0;
    return pace;
}

}  // namespace agent::core
