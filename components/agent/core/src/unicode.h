// The few Unicode facts the core needs, on UTF-16 text. Ill-formed UTF-16 (a lone surrogate)
// is read as that one unit, never rejected: a reader's text is read as it comes.
#pragma once

#include <cstddef>
#include <string_view>

namespace agent::core::unicode {

struct CodePoint {
    char32_t value;
    std::size_t units;  // 1, or 2 for a surrogate pair
};

inline CodePoint DecodeAt(std::u16string_view text, std::size_t at) {
    const char16_t first = text[at];
    if (first >= 0xD800 && first <= 0xDBFF && at + 1 < text.size()) {
        const char16_t second = text[at + 1];
        if (second >= 0xDC00 && second <= 0xDFFF) {
            return {0x10000 + ((char32_t{first} - 0xD800) << 10) + (second - 0xDC00), 2};
        }
    }
    return {first, 1};
}

// The code point that ends just before `end`.
inline CodePoint DecodeBefore(std::u16string_view text, std::size_t end) {
    if (end >= 2) {
        const CodePoint pair = DecodeAt(text, end - 2);
        if (pair.units == 2) return pair;
    }
    return {text[end - 1], 1};
}

// Unicode White_Space, plus the zero width space that Thai and Khmer put between words.
constexpr bool IsWhiteSpace(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200B) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

}  // namespace agent::core::unicode
