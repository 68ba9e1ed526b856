// The word balloon: a top-most popup beside the character that shows the text as it is spoken,
// a page of a few lines at a time, the current word on a highlighter-yellow mark. It never
// activates, never leaves the monitor's work area and follows the character when dragged.
#pragma once

#include <agent/agent_testing.h>
#include <agent/core/speech_engine.h>
#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "portable/balloon_shape.h"
#include "portable/placement.h"
#include "portable/text_pages.h"
#include "win_util.h"

namespace agent::win {

class BalloonWindow {
public:
    static constexpr const wchar_t* kClassName = testing::kBalloonWindowClass;
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
    void Render();

    HWND hwnd_ = nullptr;
    UniqueWindow window_;

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
    UniqueFont font_;
    int lineHeight_ = 0;
    int fontHeight_ = 0;
    UniqueDc measureDc_;  // holds font_ selected; declared after it, so it goes first

    BalloonMask mask_;
    UniqueBitmap surface_;  // before the DC, so that the DC lets go of it first
    UniqueDc surfaceDc_;
    void* surfaceBits_ = nullptr;
    Size surfaceSize_;
};

}  // namespace agent::win
