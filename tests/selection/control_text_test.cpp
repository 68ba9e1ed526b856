#include "selection/control_text.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vocalinka {
namespace {

// A class name for the failure message; class names are ASCII.
std::string Ascii(std::u16string_view name) {
    return {name.begin(), name.end()};
}

TEST(ControlKinds, TheSystemClassesByNameInAnyLetterCase) {
    EXPECT_EQ(KindOfClass(u"Edit"), ControlKind::Edit);
    EXPECT_EQ(KindOfClass(u"EDIT"), ControlKind::Edit);
    for (const auto* name : {u"RICHEDIT", u"RichEdit20W", u"RichEdit20A", u"RICHEDIT50W",
                             u"RICHEDIT60W", u"RichEditD2DPT"}) {
        EXPECT_EQ(KindOfClass(name), ControlKind::RichEdit) << Ascii(name);
    }
    EXPECT_EQ(KindOfClass(u"ConsoleWindowClass"), ControlKind::Console);
    EXPECT_EQ(KindOfClass(u"CASCADIA_HOSTING_WINDOW_CLASS"), ControlKind::Console);
    // Names that only begin or end like a known class are someone else's.
    for (const auto* name : {u"EditView", u"TEdit", u"Rich", u"Chrome_RenderWidgetHostHWND",
                             u"#32770", u"Static", u""}) {
        EXPECT_EQ(KindOfClass(name), ControlKind::Other) << Ascii(name);
    }
}

TEST(SelectedRanges, InEitherOrderClampedToTheText) {
    const auto range = [](std::int64_t anchor, std::int64_t caret, std::size_t length) {
        const auto selected = SelectionWithin(anchor, caret, length);
        return selected ? std::vector<std::size_t>{selected->start, selected->end}
                        : std::vector<std::size_t>{};
    };
    EXPECT_EQ(range(3, 9, 20), (std::vector<std::size_t>{3, 9}));
    EXPECT_EQ(range(9, 3, 20), (std::vector<std::size_t>{3, 9}));  // selected backwards
    // Past 16 bits, where a packed result would wrap.
    EXPECT_EQ(range(70000, 70060, 80000), (std::vector<std::size_t>{70000, 70060}));
    EXPECT_EQ(range(5, 500, 20), (std::vector<std::size_t>{5, 20}));  // the text got shorter
    EXPECT_EQ(range(30, 40, 20), (std::vector<std::size_t>{20, 20}));
    EXPECT_EQ(range(7, 7, 20), (std::vector<std::size_t>{7, 7}));  // a caret, nothing selected
    EXPECT_EQ(range(-1, 4, 20), std::vector<std::size_t>{});
    EXPECT_EQ(range(0, -1, 20), std::vector<std::size_t>{});
    EXPECT_EQ(SelectionWithin(70000, 70060, 80000)->Length(), 60u);
}

// What a rich edit gives for a range against what its copy command gives.
TEST(RichEditText, ParagraphMarksBecomeLineBreaksAndNothingElseChanges) {
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u"one\rtwo\rthree"), u"one\r\ntwo\r\nthree");
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u"ends with a mark\r"), u"ends with a mark\r\n");
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u"\r\r"), u"\r\n\r\n");
    // RichEdit 1.0 keeps CR LF: it stays as it is, and so does a lone LF or a line break.
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u"a\r\nb\nc\vd"), u"a\r\nb\nc\vd");
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u"Καλημέρα\r你好 🌍"), u"Καλημέρα\r\n你好 🌍");
    EXPECT_EQ(ParagraphMarksAsLineBreaks(u""), u"");
}

TEST(RichEditText, TheRangeRecordForEitherBitness) {
    const auto bytes = [](std::initializer_list<int> values) {
        std::vector<std::byte> out;
        for (int v : values) out.push_back(static_cast<std::byte>(v));
        return out;
    };
    EXPECT_EQ(TextRangeRecord(0x11223344, -1, 0x0000'7FF0'1234'5678ULL, true),
              bytes({0x44, 0x33, 0x22, 0x11, 0xFF, 0xFF, 0xFF, 0xFF, 0x78, 0x56, 0x34, 0x12, 0xF0,
                     0x7F, 0x00, 0x00}));
    EXPECT_EQ(TextRangeRecord(70000, 70060, 0x00AB'CDEFULL, false),
              bytes({0x70, 0x11, 0x01, 0x00, 0xAC, 0x11, 0x01, 0x00, 0xEF, 0xCD, 0xAB, 0x00}));
}

}  // namespace
}  // namespace vocalinka
