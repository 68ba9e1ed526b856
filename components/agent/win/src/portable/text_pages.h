// Wrapping and paging of the balloon's text. The balloon shows a page of a few lines; the page
// turns when the spoken word leaves it. Pages are laid out one at a time, when needed, so a
// text of any length costs only what is shown.
#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace agent::win {

struct TextLine {
    std::size_t begin = 0;  // first character shown
    std::size_t end = 0;    // one past the last character shown (trailing spaces excluded)
};

struct TextPage {
    std::size_t begin = 0;  // first character shown on the page
    std::size_t end = 0;    // where the next page starts
    std::vector<TextLine> lines;
    bool Contains(std::size_t offset) const { return offset >= begin && offset < end; }
};

// Width in pixels of a run of text as it will be drawn.
using MeasureText = std::function<int(std::u16string_view)>;

// Breaks lines at spaces, at line ends of the text (several in a row count as one) and
// between ideographs; a word wider than a line is cut between characters, never inside a
// surrogate pair or before a combining mark.
TextPage LayoutPage(std::u16string_view text, std::size_t from, int maxWidth, int maxLines,
                    const MeasureText& measure);

// The page the balloon shows while the text is spoken.
class PagedText {
public:
    PagedText(std::u16string_view text, int maxWidth, int maxLines, MeasureText measure);
    // The pages view the text, which must outlive them: a temporary string would be gone at once.
    template <class String>
    requires std::same_as<String, std::u16string> PagedText(String&&, int, int, MeasureText)
    = delete;
    const TextPage& Current() const noexcept { return page_; }
    // Turns to the page holding the word that starts at this offset; true when it turned.
    bool ShowWord(std::size_t wordBegin);
    // True when the whole text fits on the first page.
    bool SinglePage() const noexcept { return singlePage_; }

private:
    std::u16string_view text_;
    int maxWidth_;
    int maxLines_;
    MeasureText measure_;
    TextPage page_;
    bool singlePage_;
};

}  // namespace agent::win
