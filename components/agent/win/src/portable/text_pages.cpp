#include "text_pages.h"

#include <algorithm>

namespace agent::win {
namespace {

// No line holds more characters than this: it bounds the cost of cutting a giant word.
constexpr std::size_t kMaxLineChars = 512;

bool IsLineEnd(char16_t c) {
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x2028 || c == 0x2029 ||
           c == 0x85;
}

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x1680 || IsLineEnd(c);
}

// Ideographs and kana carry no spaces between words: a line may break between any two.
bool IsIdeographic(char16_t c) {
    return (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3040 && c <= 0x30FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF66 && c <= 0xFF9F);
}

// Punctuation that must not begin a line.
bool IsClosingPunctuation(char16_t c) {
    constexpr std::u16string_view kClosing =
        u",.;:!?)]}\u3001\u3002\uFF0C\uFF0E\uFF1A\uFF1B\uFF1F\uFF01\uFF09\u300D\u300F\u3011"
        u"\u3009\u300B\u30FC";
    return kClosing.find(c) != std::u16string_view::npos;
}

// A character that belongs to the one before it: a low surrogate, a combining mark, a joiner
// or variation selector, or an emoji skin-tone modifier.
bool ContinuesCluster(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (c >= 0xDC00 && c <= 0xDFFF) {
        return i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    }
    if (c == 0xD83C && i + 1 < text.size() && text[i + 1] >= 0xDFFB && text[i + 1] <= 0xDFFF) {
        return true;
    }
    if (i > 0 && text[i - 1] == 0x200D) return true;
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
           (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xFE00 && c <= 0xFE0F) || c == 0x200D ||
           (c >= 0x0E31 && c <= 0x0E3A && c != 0x0E32 && c != 0x0E33) ||
           (c >= 0x0E47 && c <= 0x0E4E);
}

// True when a line may break just before position i (0 < i < size).
bool MayBreakBefore(std::u16string_view text, std::size_t i) {
    const char16_t before = text[i - 1];
    const char16_t here = text[i];
    if (IsSpace(here) || ContinuesCluster(text, i) || IsClosingPunctuation(here)) return false;
    if (IsSpace(before)) return true;
    return IsIdeographic(before) || IsIdeographic(here);
}

std::size_t TrimTrailingSpace(std::u16string_view text, std::size_t begin, std::size_t end) {
    while (end > begin && IsSpace(text[end - 1])) --end;
    return end;
}

struct LaidLine {
    TextLine line;
    std::size_t next = 0;  // where the following line starts, before its leading space is skipped
};

// Longest prefix of a word that fits, at least one whole cluster.
std::size_t CutWord(std::u16string_view text, std::size_t begin, std::size_t end, int maxWidth,
                    const MeasureText& measure) {
    std::vector<std::size_t> clusterEnds;
    const std::size_t limit = std::min(end, begin + kMaxLineChars);
    for (std::size_t i = begin + 1; i <= limit; ++i) {
        if (i == end || !ContinuesCluster(text, i)) clusterEnds.push_back(i);
    }
    if (clusterEnds.empty()) return end;
    std::size_t low = 0;
    std::size_t high = clusterEnds.size() - 1;
    while (low < high) {
        const std::size_t mid = (low + high + 1) / 2;
        if (measure(text.substr(begin, clusterEnds[mid] - begin)) <= maxWidth)
            low = mid;
        else
            high = mid - 1;
    }
    return clusterEnds[low];
}

LaidLine LayoutLine(std::u16string_view text, std::size_t begin, int maxWidth,
                    const MeasureText& measure) {
    const std::size_t size = text.size();
    std::size_t fitEnd = 0;  // 0: nothing fitted yet
    std::size_t i = begin + 1;
    const std::size_t limit = std::min(size, begin + kMaxLineChars);
    while (true) {
        // Next break opportunity or line end; past the longest line nothing fits, so a text
        // without breaks is not scanned to its end for every line.
        while (i < size && i <= limit && !IsLineEnd(text[i]) && !MayBreakBefore(text, i)) ++i;
        const bool forced = i >= size || IsLineEnd(text[i]);
        const std::size_t visibleEnd = TrimTrailingSpace(text, begin, i);
        const bool fits = i <= limit && measure(text.substr(begin, visibleEnd - begin)) <= maxWidth;
        if (!fits) break;
        fitEnd = i;
        if (forced) return {{begin, visibleEnd}, i};
        ++i;
    }
    if (fitEnd != 0) return {{begin, TrimTrailingSpace(text, begin, fitEnd)}, fitEnd};
    const std::size_t wordEnd = std::min(i, size);
    const std::size_t cut =
        CutWord(text, begin, TrimTrailingSpace(text, begin, wordEnd), maxWidth, measure);
    return {{begin, cut}, cut};
}

std::size_t SkipSpace(std::u16string_view text, std::size_t i) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    return i;
}

}  // namespace

TextPage LayoutPage(std::u16string_view text, std::size_t from, int maxWidth, int maxLines,
                    const MeasureText& measure) {
    TextPage page;
    std::size_t pos = SkipSpace(text, std::min(from, text.size()));
    page.begin = pos;
    while (pos < text.size() && static_cast<int>(page.lines.size()) < std::max(maxLines, 1)) {
        const LaidLine laid = LayoutLine(text, pos, maxWidth, measure);
        page.lines.push_back(laid.line);
        pos = SkipSpace(text, laid.next);
    }
    page.end = pos;
    return page;
}

PagedText::PagedText(std::u16string_view text, int maxWidth, int maxLines, MeasureText measure)
    : text_(text),
      maxWidth_(maxWidth),
      maxLines_(maxLines),
      measure_(std::move(measure)),
      page_(LayoutPage(text_, 0, maxWidth_, maxLines_, measure_)),
      singlePage_(page_.end >= text_.size()) {}

bool PagedText::ShowWord(std::size_t wordBegin) {
    if (page_.Contains(wordBegin) || wordBegin >= text_.size()) return false;
    if (wordBegin >= page_.end) {
        page_ = LayoutPage(text_, page_.end, maxWidth_, maxLines_, measure_);
        if (page_.Contains(wordBegin)) return true;
    }
    // A jump backwards or over several pages: the page starts at the word itself.
    page_ = LayoutPage(text_, wordBegin, maxWidth_, maxLines_, measure_);
    return true;
}

}  // namespace agent::win
