// Text as the balloon draws it: one line shaped by Uniscribe (bidirectional order, complex
// scripts, font fallback for characters the font lacks), and the small questions about the text
// that shaping needs answered first.
#pragma once

#include <usp10.h>
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace agent::win {

// Characters GDI would draw as boxes (tabs, line ends) become spaces, one for one, so that
// offsets into the line stay offsets into the text.
std::wstring Displayable(std::u16string_view run);

// The paragraph runs right to left when its first strong letter does.
bool StartsRightToLeft(std::u16string_view text);

// One line shaped for a device context. Without Uniscribe the line is not valid.
class ShapedLine {
public:
    ShapedLine(HDC dc, const std::wstring& text, bool rightToLeft);
    ~ShapedLine();
    ShapedLine(const ShapedLine&) = delete;
    ShapedLine& operator=(const ShapedLine&) = delete;

    bool Valid() const { return analysis_ != nullptr; }
    int Width() const;
    // Left and right edge of the characters [begin, end) of the line.
    std::pair<int, int> Span(int begin, int end) const;
    // Into the device context it was shaped for.
    void Draw(int x, int y) const;

private:
    SCRIPT_STRING_ANALYSIS analysis_ = nullptr;
};

}  // namespace agent::win
