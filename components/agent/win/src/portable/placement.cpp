#include "placement.h"

#include <algorithm>

namespace agent::win {
namespace {

// Keeps [start, start + length) inside [low, high); prefers the low edge when it cannot fit.
int ClampSpan(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

Point ClampIntoArea(Point topLeft, Size size, const Rect& area) {
    return {ClampSpan(topLeft.x, size.width, area.left, area.right),
            ClampSpan(topLeft.y, size.height, area.top, area.bottom)};
}

Point InitialCharacterPosition(const Rect& workArea, const std::optional<Rect>& anchor,
                               Size character, int margin) {
    const int x = workArea.right - margin - character.width;
    const int y = anchor ? anchor->bottom + margin : workArea.top + margin;
    return ClampIntoArea({x, y}, character, workArea);
}

BalloonPlacement PlaceBalloon(const Rect& character, Point target, Size body, int tailHeight,
                              int cornerRadius, const Rect& workArea, const Rect& keepClear) {
    const int windowHeight = body.height + tailHeight;
    const Size windowSize{body.width, windowHeight};
    // Above the whole character, not just its mouth: the balloon never covers the face.
    const int aboveTop = std::min(target.y, character.top) - windowHeight;
    const int belowTop = character.bottom;
    const auto placed = [&](int top) {
        const Point topLeft = ClampIntoArea({target.x - body.width / 2, top}, windowSize, workArea);
        return Rect{topLeft.x, topLeft.y, topLeft.x + windowSize.width,
                    topLeft.y + windowSize.height};
    };
    const bool fitsAbove = aboveTop >= workArea.top && !placed(aboveTop).Intersects(keepClear);
    const bool fitsBelow =
        belowTop + windowHeight <= workArea.bottom && !placed(belowTop).Intersects(keepClear);
    const TailSide tail = (fitsAbove || !fitsBelow) ? TailSide::Bottom : TailSide::Top;
    const Rect window = placed(tail == TailSide::Bottom ? aboveTop : belowTop);
    const Point topLeft{window.left, window.top};

    BalloonPlacement placement;
    placement.tail = tail;
    placement.window = {topLeft.x, topLeft.y, topLeft.x + windowSize.width,
                        topLeft.y + windowSize.height};
    placement.body = tail == TailSide::Bottom ? Rect{0, 0, body.width, body.height}
                                              : Rect{0, tailHeight, body.width, windowHeight};

    // The tail's base stays on the straight part of the body's edge; its tip may lean out to
    // the target but not past the window.
    const int halfBase = tailHeight / 2;
    const int baseLow = std::min(cornerRadius + halfBase, body.width / 2);
    const int baseHigh = std::max(body.width - cornerRadius - halfBase, body.width / 2);
    const int targetX = target.x - topLeft.x;
    placement.tailBaseX = std::clamp(targetX, baseLow, baseHigh);
    placement.tailTip = {std::clamp(targetX, 0, body.width - 1),
                         tail == TailSide::Bottom ? windowHeight : 0};
    return placement;
}

}  // namespace agent::win
