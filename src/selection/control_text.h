// What reading a selection straight from a standard control needs that no window does: which
// controls can be read so, the selected range as the control reports it, a rich edit's text as
// its own copy command would give it, and the record that asks a rich edit of another process
// for a range. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vocalinka {

enum class ControlKind {
    Edit,      // the system's edit control and its superclasses
    RichEdit,  // RichEdit 1.0 to 8.0 and their descendants (WordPad, Windows 11's Notepad)
    Console,   // a console or terminal window: copies with Ctrl+Insert
    Other      // anything else: copied with the copy keys
};

// The kind of a control from its real class name (the system class it is built on), compared
// without regard to letter case.
ControlKind KindOfClass(std::u16string_view realClassName);

// A selected range of characters, start before end.
struct SelectedRange {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t Length() const { return end - start; }
};

// The selection between two positions that a control reports (in either order, as the
// anchor may stand after the caret), clamped to a text of `length` characters. Nullopt for a
// negative position, which no read can use.
std::optional<SelectedRange> SelectionWithin(std::int64_t anchor, std::int64_t caret,
                                             std::size_t length);

// A rich edit counts a paragraph mark as one character, a lone CR, where its copy command
// gives CR LF: every CR that no LF follows becomes CR LF.
std::u16string ParagraphMarksAsLineBreaks(std::u16string_view text);

// A rich edit's TEXTRANGEW as a process of that bitness lays it out: the range's two 32-bit
// positions, then the address of the buffer that receives the text (8 or 4 bytes).
std::vector<std::byte> TextRangeRecord(std::int32_t first, std::int32_t last,
                                       std::uint64_t bufferAddress, bool target64);

}  // namespace vocalinka
