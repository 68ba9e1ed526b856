#include "trace_format.h"

namespace agent::win {
namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

bool NeedsCodeEscape(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0xD800 && c <= 0xDFFF);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendCodeEscape(std::string& out, char32_t c) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
}

// Calls emit(code point) for each code point; a lone surrogate comes out as itself.
template <class Emit>
void ForEachCodePoint(std::u16string_view text, Emit emit) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            emit(0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            emit(char32_t(c));
        }
    }
}

bool IsPlainToken(std::u16string_view text) {
    if (text.empty()) return false;
    bool plain = true;
    ForEachCodePoint(text, [&](char32_t c) {
        if (c == u' ' || c == u'"' || c == u'\\' || NeedsCodeEscape(c) || c == 0xA0 ||
            c == 0xFEFF) {
            plain = false;
        }
    });
    return plain;
}

}  // namespace

std::string TraceQuoted(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    ForEachCodePoint(text, [&](char32_t c) {
        switch (c) {
            case u'\\':
                out += "\\\\";
                break;
            case u'"':
                out += "\\\"";
                break;
            case u'\r':
                out += "\\r";
                break;
            case u'\n':
                out += "\\n";
                break;
            case u'\t':
                out += "\\t";
                break;
            default:
                if (NeedsCodeEscape(c))
                    AppendCodeEscape(out, c);
                else
                    AppendUtf8(out, c);
        }
    });
    out += '"';
    return out;
}

std::string TraceToken(std::u16string_view text) {
    if (!IsPlainToken(text)) return TraceQuoted(text);
    std::string out;
    ForEachCodePoint(text, [&](char32_t c) { AppendUtf8(out, c); });
    return out;
}

TraceLine::TraceLine(std::string_view kind, std::string_view name,
                     std::u16string_view characterId) {
    line_.append(kind).append(" ").append(name).append(" ").append(TraceToken(characterId));
}

TraceLine& TraceLine::Text(std::u16string_view text) {
    line_.append(" ").append(TraceQuoted(text));
    return *this;
}

TraceLine& TraceLine::Excerpt(std::u16string_view text) {
    if (text.size() <= kTraceTextLimit) return Text(text);
    std::size_t length = kTraceTextLimit;
    if (IsHighSurrogate(text[length - 1]) && IsLowSurrogate(text[length])) --length;
    Text(text.substr(0, length));
    return Number(static_cast<long long>(text.size()));
}

TraceLine& TraceLine::Number(long long value) {
    line_.append(" ").append(std::to_string(value));
    return *this;
}

}  // namespace agent::win
