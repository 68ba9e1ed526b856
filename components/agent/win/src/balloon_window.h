// The word balloon: a top-most popup beside the character that shows the text as it is spoken,
// a page of a few lines at a time, the current word on a highlighter-yellow mark. It never
// activates, never leaves the monitor's work area and follows the character when dragged.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "agent/core/speech_engine.h"
#include "layered_surface.h"
#include "portable/balloon_shape.h"
#include "portable/placement.h"
#include "portable/text_pages.h"
#include "win32util/handles.h"

namespace agent::win {

class ShapedLine;

struct BalloonPalette {
    COLORREF background;
    COLORREF text;
    COLORREF mark;      // behind the spoken word
    COLORREF markText;  // the spoken word
    COLORREF border;
};

class BalloonWindow {
public:
    // Layout in pixels at 96 DPI.
    static constexpr int kPadding = 12;
    static constexpr int kCornerRadius = 14;
    static constexpr int kTailHeight = 18;
    static constexpr int kShadowMargin = 5;
    static constexpr int kMaxTextWidth = 400;
    static constexpr int kMinTextWidth = 40;
    static constexpr int kLinesPerPage = 3;

    explicit BalloonWindow(HWND owner);
    BalloonWindow(const BalloonWindow&) = delete;
    BalloonWindow& operator=(const BalloonWindow&) = delete;

    // Shows the first page of the utterance's shown text beside the character; target: where
    // the tail points. The balloon keeps the utterance until it closes.
    void Open(core::SharedUtterance utterance, const Rect& character, Point target, unsigned dpi);
    // Marks the word now spoken, turning the page when it is not on this one.
    void ShowWord(std::size_t begin, std::size_t length);
    // The character moved: the balloon goes with it.
    void Follow(const Rect& character, Point target, unsigned dpi);
    void Close();
    bool IsOpen() const noexcept { return pages_.has_value(); }
    HWND Handle() const noexcept { return hwnd_; }

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void SetDpi(unsigned dpi);
    int Measure(std::u16string_view run) const;
    // Draws the current page and shows it: where the balloon goes, its background, the lines
    // with the spoken word marked, then its shape cut out.
    void Render();
    Size BodySize() const;  // the balloon without its tail, for the current page
    BalloonPlacement Place(Size body) const;
    BalloonShape ShapeFor(const BalloonPlacement& placement) const;
    void DrawLines(HDC dc, const BalloonShape& shape, const BalloonPalette& palette) const;
    // Where the spoken word's mark goes on a line drawn at origin; none when it is not there.
    std::optional<RECT> MarkOn(const TextLine& line, const ShapedLine& shaped, Point origin) const;

    HWND hwnd_ = nullptr;
    win32util::UniqueWindow window_;

    core::SharedUtterance utterance_;
    // The shown text: the one segment's own text when the utterance has one segment (the
    // usual case: tags first, then the text), else joined into joined_.
    std::u16string joined_;
    std::u16string_view text_;
    std::optional<PagedText> pages_;  // views text_
    bool rightToLeft_ = false;
    std::optional<std::size_t> wordBegin_;
    std::size_t wordLength_ = 0;
    Rect character_;
    Point target_;

    unsigned dpi_ = 0;
    win32util::UniqueFont font_;
    int lineHeight_ = 0;
    int fontHeight_ = 0;
    win32util::UniqueDc measureDc_;  // holds font_ selected; declared after it, so it goes first

    BalloonMask mask_;
    LayeredSurface surface_;
};

}  // namespace agent::win
