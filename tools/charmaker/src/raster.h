// Anti-aliased filling of outlines: every pixel is sampled on a grid of samples x samples points
// and the samples are averaged, so edges get (samples^2 + 1) levels of coverage.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry.h"

namespace charmaker {

// A colour with premultiplied alpha, each channel 0..1.
struct Rgba {
    float r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};

// Straight (not premultiplied) 8-bit channels, as written in the sources.
Rgba Premultiplied(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

struct GradientStop {
    double offset = 0;  // 0..1, rising from stop to stop
    Rgba colour;
};

// A solid colour or a gradient, placed in the coordinates the shapes are drawn in.
struct Paint {
    enum class Kind { Solid, Linear, Radial };
    Kind kind = Kind::Solid;
    Rgba colour;                      // Solid
    Vec2 from, to;                    // Linear: offset 0 at `from`, 1 at `to`
    Vec2 centre, radii;               // Radial: offset 0 at the centre, 1 on the ellipse
    std::vector<GradientStop> stops;  // Linear and Radial; at least one

    Rgba At(Vec2 p) const;
};

// Which samples a clip lets through: one byte a sample, 1 inside.
using Mask = std::vector<std::uint8_t>;

class Canvas {
public:
    Canvas(int width, int height, int samples);

    int Width() const { return width_; }
    int Height() const { return height_; }

    // Paints the outline, placed by `toFrame` (outline coordinates to frame pixels), over what
    // is there; only where `mask` is 1 when one is given.
    void Fill(const Outline& outline, const Paint& paint, const Affine& toFrame, const Mask* mask);
    // The samples inside the outline and inside `mask`, when one is given.
    Mask Coverage(const Outline& outline, const Affine& toFrame, const Mask* mask) const;

    // Premultiplied BGRA bytes, rows top-down, every channel scaled by `opacity`.
    std::vector<std::uint8_t> ToBgra(double opacity) const;

private:
    // Calls visit(sampleIndex, sampleX, sampleY) for every sample inside the outline.
    template <class Visit>
    void ForEachSampleInside(const Outline& outline, const Affine& toFrame, Visit visit) const;

    int width_, height_, samples_;
    int sampleWidth_, sampleHeight_;
    std::vector<Rgba> pixels_;  // one per sample
};

}  // namespace charmaker
