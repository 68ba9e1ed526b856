#include "about/registry_value.h"

namespace vocalinka {
namespace {

bool IsSeparator(char16_t c) {
    return c == u'\\' || c == u'/';
}

bool IsAsciiLetter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

bool IsAbsolutePath(std::u16string_view path) {
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == u':' && IsSeparator(path[2])) {
        return true;
    }
    return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           !IsSeparator(path[2]);
}

std::optional<RegistryText> CutRegistryValue(std::uint32_t type,
                                             std::span<const unsigned char> data) {
    if (data.empty() || data.size() > kMaxRegistryValueBytes) return std::nullopt;
    switch (type) {
        case kRegistryText:
        case kRegistryExpandableText: {
            RegistryText result{{}, type == kRegistryExpandableText};
            // Registry text is UTF-16 in little-endian order; a lone last byte is no character.
            for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
                const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
                if (c == u'\0') break;
                result.text += c;
            }
            return result;
        }
        case kRegistryNumber: {
            constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";
            RegistryText result{u"&h", false};
            for (std::size_t i = data.size(); i-- > 0;) {
                result.text += kHexDigits[data[i] >> 4];
                result.text += kHexDigits[data[i] & 0x0F];
            }
            return result;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace vocalinka
