// How the About box turns the raw data of a registry value into the text it uses. Portable:
// the data arrive as the bytes the registry returned.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vocalinka {

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegistryText = 1;            // REG_SZ
inline constexpr std::uint32_t kRegistryExpandableText = 2;  // REG_EXPAND_SZ
inline constexpr std::uint32_t kRegistryNumber = 4;          // REG_DWORD

// Longer values are not paths the program can use; reading them fails.
inline constexpr std::size_t kMaxRegistryValueBytes = 1024;

struct RegistryText {
    std::u16string text;
    bool expand = false;  // holds %variables% for the caller to expand
    bool operator==(const RegistryText&) const = default;
};

// The text of a value from its type and its data:
// - text types: the UTF-16 characters up to the first NUL, so that a value stored with its
//   terminating NUL and one stored without it give the same text;
// - a 32-bit number: "&h" and two hexadecimal digits per byte, last byte first (0x105 gives
//   "&h00000105");
// Nothing for a value of size 0, one longer than kMaxRegistryValueBytes, or of another type.
std::optional<RegistryText> CutRegistryValue(std::uint32_t type,
                                             std::span<const unsigned char> data);

// A path that names one place whatever the current drive and folder: a drive letter, a colon
// and a separator ("C:\..."), or two separators (a network share "\\server\share" or a
// "\\?\" path). A program started from a relative path could be one a stranger planted in the
// current folder.
bool IsAbsolutePath(std::u16string_view path);

}  // namespace vocalinka
