#include "selection/control_text.h"

#include <algorithm>

#include "win32util/ascii.h"

namespace vocalinka {
namespace {

using win32util::EqualsIgnoringAsciiCase;
using win32util::StartsWithIgnoringAsciiCase;

void Append(std::vector<std::byte>& bytes, std::uint64_t value, std::size_t size) {
    // Little-endian, as every Windows process lays its integers out.
    for (std::size_t i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

ControlKind KindOfClass(std::u16string_view realClassName) {
    if (EqualsIgnoringAsciiCase(realClassName, u"Edit")) return ControlKind::Edit;
    // "RICHEDIT" (1.0), "RichEdit20W", "RICHEDIT50W", "RICHEDIT60W", "RichEditD2DPT", ...
    if (StartsWithIgnoringAsciiCase(realClassName, u"RichEdit")) return ControlKind::RichEdit;
    if (EqualsIgnoringAsciiCase(realClassName, u"ConsoleWindowClass") ||
        EqualsIgnoringAsciiCase(realClassName, u"CASCADIA_HOSTING_WINDOW_CLASS")) {
        return ControlKind::Console;
    }
    return ControlKind::Other;
}

std::optional<SelectedRange> SelectionWithin(std::int64_t anchor, std::int64_t caret,
                                             std::size_t length) {
    if (anchor < 0 || caret < 0) return std::nullopt;
    const std::size_t first = std::min(static_cast<std::size_t>(std::min(anchor, caret)), length);
    const std::size_t last = std::min(static_cast<std::size_t>(std::max(anchor, caret)), length);
    return SelectedRange{first, last};
}

std::u16string ParagraphMarksAsLineBreaks(std::u16string_view text) {
    std::u16string lines;
    lines.reserve(text.size() + std::count(text.begin(), text.end(), u'\r'));
    for (std::size_t i = 0; i < text.size(); ++i) {
        lines += text[i];
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) lines += u'\n';
    }
    return lines;
}

std::vector<std::byte> TextRangeRecord(std::int32_t first, std::int32_t last,
                                       std::uint64_t bufferAddress, bool target64) {
    std::vector<std::byte> record;
    Append(record, static_cast<std::uint32_t>(first), 4);
    Append(record, static_cast<std::uint32_t>(last), 4);
    // Two 32-bit positions keep the pointer aligned on either bitness: it follows at once.
    Append(record, bufferAddress, target64 ? 8 : 4);
    return record;
}

}  // namespace vocalinka
