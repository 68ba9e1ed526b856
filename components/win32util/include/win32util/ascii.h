// Letter case folded for ASCII only, the same on every system and in every locale (unlike
// std::tolower): for names the program itself defines, such as key names, file extensions and
// device names. Portable: needs no windows.h. A byte of a UTF-8 sequence or a UTF-16 unit
// outside ASCII never equals an ASCII letter, so text in other scripts is compared as it is.
#pragma once

#include <algorithm>
#include <string_view>

namespace win32util {

template <class Char>
constexpr Char AsciiLower(Char c) {
    return c >= Char('A') && c <= Char('Z') ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <class Char>
constexpr Char AsciiUpper(Char c) {
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

namespace detail {

template <class Char>
constexpr bool SameIgnoringAsciiCase(Char a, Char b) {
    return AsciiLower(a) == AsciiLower(b);
}

template <class Char>
constexpr bool StartsWith(std::basic_string_view<Char> text, std::basic_string_view<Char> prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), SameIgnoringAsciiCase<Char>);
}

}  // namespace detail

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && detail::StartsWith(a, b);
}
constexpr bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && detail::StartsWith(a, b);
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    return detail::StartsWith(text, prefix);
}
constexpr bool StartsWithIgnoringAsciiCase(std::u16string_view text, std::u16string_view prefix) {
    return detail::StartsWith(text, prefix);
}

constexpr bool ContainsIgnoringAsciiCase(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       detail::SameIgnoringAsciiCase<char>) != text.end();
}

}  // namespace win32util
