// Where the character and its word balloon go on the screen. Plain geometry in screen pixels,
// kept apart from Win32 so that every edge case is tested natively.
#pragma once

#include <optional>

#include "agent/core/geometry.h"

namespace agent::win {

using core::Point;
using core::Rect;
using core::Size;

// Moves a window of the given size so that it lies inside the area as far as it can; a window
// larger than the area keeps its top left corner inside.
Point ClampIntoArea(Point topLeft, Size size, const Rect& area);

// The first place of the character: at the right of the work area, just below the anchor
// window (or at the top of the work area without one), inside the work area.
Point InitialCharacterPosition(const Rect& workArea, const std::optional<Rect>& anchor,
                               Size character, int margin);

enum class TailSide { Bottom, Top };  // Bottom: the balloon is above and its tail points down

struct BalloonPlacement {
    Rect window;  // the whole balloon window: body and tail
    Rect body;    // the rounded body, in window coordinates
    TailSide tail = TailSide::Bottom;
    Point tailTip;      // in window coordinates
    int tailBaseX = 0;  // centre of the tail where it meets the body, window coordinates
};

// Puts a balloon body of the given size above the character (below it when there is no room
// above), its tail toward the target (the mouth, in screen coordinates), the whole
// balloon inside the work area. The tail leans toward the target when the body had to slide.
// A side whose balloon would cover `keepClear` (the program's window, so that its stop button
// stays in sight and under the pointer) is taken only when the other side has no room either.
BalloonPlacement PlaceBalloon(const Rect& character, Point target, Size body, int tailHeight,
                              int cornerRadius, const Rect& workArea, const Rect& keepClear = {});

}  // namespace agent::win
