// The word balloon's outline: a rounded body with a tail, anti-aliased, with a thin border and
// a soft shadow. Text is drawn opaque by GDI first; this turns that picture into the
// premultiplied, per-pixel-alpha picture a layered window shows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "placement.h"

namespace agent::win {

struct BalloonShape {
    Rect body;  // within the picture
    int cornerRadius = 0;
    Point tailTip;
    int tailBaseX = 0;
    int tailHalfWidth = 0;
    TailSide tail = TailSide::Bottom;
    float borderWidth = 1.5f;
    int shadowOffset = 3;  // down and right; the picture leaves room for it
    bool operator==(const BalloonShape&) const = default;
};

// Signed distance in pixels from the outline: negative inside, positive outside.
float BalloonDistance(const BalloonShape& shape, float x, float y);

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// How much of each pixel the body, the inside of the border and the shadow cover. Worked out
// once per outline and size: the balloon is drawn again for every word, its outline seldom
// changes.
class BalloonMask {
public:
    // Recomputes only when the outline or the size changed.
    void Prepare(const BalloonShape& shape, int width, int height);
    // bgra: width * height opaque pixels drawn by GDI (their alpha bytes are ignored).
    // Afterwards the pixels outside the outline are transparent or shadow, the border is
    // drawn and every pixel is premultiplied.
    void Apply(std::span<std::uint8_t> bgra, Colour border) const;

private:
    struct Cover {
        std::uint8_t outer;  // inside the outline
        std::uint8_t inner;  // inside the border
        std::uint8_t alpha;  // outline and shadow together
    };
    BalloonShape shape_;
    int width_ = 0;
    int height_ = 0;
    std::vector<Cover> cover_;
};

}  // namespace agent::win
