#include "raster.h"

#include <algorithm>
#include <cmath>

namespace charmaker {
namespace {

struct Edge {
    double x0, y0, x1, y1;
    int winding;  // +1 going down, -1 going up
};

struct Crossing {
    double x;
    int winding;
};

Rgba Mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

std::uint8_t ToByte(double value) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

}  // namespace

Rgba Premultiplied(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    const float alpha = a / 255.0f;
    return {r / 255.0f * alpha, g / 255.0f * alpha, b / 255.0f * alpha, alpha};
}

Rgba Paint::At(Vec2 p) const {
    if (kind == Kind::Solid) return colour;
    double t = 0;
    if (kind == Kind::Linear) {
        const Vec2 axis = to - from, rel = p - from;
        const double length2 = axis.x * axis.x + axis.y * axis.y;
        t = length2 > 0 ? (rel.x * axis.x + rel.y * axis.y) / length2 : 0;
    } else {
        const double dx = radii.x > 0 ? (p.x - centre.x) / radii.x : 0;
        const double dy = radii.y > 0 ? (p.y - centre.y) / radii.y : 0;
        t = std::sqrt(dx * dx + dy * dy);
    }
    if (t <= stops.front().offset) return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t <= stops[i].offset) {
            const double span = stops[i].offset - stops[i - 1].offset;
            const double along = span > 0 ? (t - stops[i - 1].offset) / span : 1;
            return Mix(stops[i - 1].colour, stops[i].colour, static_cast<float>(along));
        }
    }
    return stops.back().colour;
}

Canvas::Canvas(int width, int height, int samples)
    : width_(width),
      height_(height),
      samples_(samples),
      sampleWidth_(width * samples),
      sampleHeight_(height * samples),
      pixels_(static_cast<std::size_t>(sampleWidth_) * sampleHeight_) {}

template <class Visit>
void Canvas::ForEachSampleInside(const Outline& outline, const Affine& toFrame, Visit visit) const {
    const Affine toSamples = toFrame.Then(Affine::Scale(samples_, samples_));
    std::vector<Edge> edges;
    double top = sampleHeight_, bottom = 0;
    for (const Polygon& polygon : outline) {
        for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
            const Vec2 a = toSamples.Apply(polygon[j]), b = toSamples.Apply(polygon[i]);
            if (a.y == b.y) continue;
            edges.push_back(a.y < b.y ? Edge{a.x, a.y, b.x, b.y, 1} : Edge{b.x, b.y, a.x, a.y, -1});
            top = std::min({top, a.y, b.y});
            bottom = std::max({bottom, a.y, b.y});
        }
    }
    // Sample row j is sampled at its centre, j + 0.5.
    const int firstRow = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int endRow = std::min(sampleHeight_, static_cast<int>(std::ceil(bottom - 0.5)));
    std::vector<Crossing> crossings;
    for (int row = firstRow; row < endRow; ++row) {
        const double y = row + 0.5;
        crossings.clear();
        for (const Edge& edge : edges) {
            if (y < edge.y0 || y >= edge.y1) continue;
            const double x = edge.x0 + (y - edge.y0) * (edge.x1 - edge.x0) / (edge.y1 - edge.y0);
            crossings.push_back({x, edge.winding});
        }
        std::sort(crossings.begin(), crossings.end(),
                  [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
        int winding = 0;
        for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
            winding += crossings[i].winding;
            if (winding == 0) continue;
            const int first = std::max(0, static_cast<int>(std::ceil(crossings[i].x - 0.5)));
            const int end =
                std::min(sampleWidth_, static_cast<int>(std::ceil(crossings[i + 1].x - 0.5)));
            const std::size_t rowStart = static_cast<std::size_t>(row) * sampleWidth_;
            for (int column = first; column < end; ++column) {
                visit(rowStart + column, column, row);
            }
        }
    }
}

void Canvas::Fill(const Outline& outline, const Paint& paint, const Affine& toFrame,
                  const Mask* mask) {
    const Affine fromSamples =
        Affine::Scale(1.0 / samples_, 1.0 / samples_).Then(toFrame.Inverse());
    ForEachSampleInside(outline, toFrame, [&](std::size_t index, int x, int y) {
        if (mask != nullptr && (*mask)[index] == 0) return;
        const Rgba source = paint.At(fromSamples.Apply({x + 0.5, y + 0.5}));
        Rgba& target = pixels_[index];
        const float keep = 1 - source.a;
        target = {source.r + target.r * keep, source.g + target.g * keep,
                  source.b + target.b * keep, source.a + target.a * keep};
    });
}

Mask Canvas::Coverage(const Outline& outline, const Affine& toFrame, const Mask* mask) const {
    Mask inside(pixels_.size(), 0);
    ForEachSampleInside(outline, toFrame, [&](std::size_t index, int, int) {
        inside[index] = mask == nullptr || (*mask)[index] != 0;
    });
    return inside;
}

std::vector<std::uint8_t> Canvas::ToBgra(double opacity) const {
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(width_) * height_ * 4);
    const double weight = opacity / (samples_ * samples_);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples_; ++sy) {
                const Rgba* row =
                    &pixels_[static_cast<std::size_t>(y * samples_ + sy) * sampleWidth_ +
                             static_cast<std::size_t>(x) * samples_];
                for (int sx = 0; sx < samples_; ++sx) {
                    r += row[sx].r, g += row[sx].g, b += row[sx].b, a += row[sx].a;
                }
            }
            // Rounding can lift a colour a hair above its alpha; premultiplied pixels must not.
            const std::uint8_t alpha = ToByte(a * weight);
            std::uint8_t* out = &bgra[(static_cast<std::size_t>(y) * width_ + x) * 4];
            out[0] = std::min(ToByte(b * weight), alpha);
            out[1] = std::min(ToByte(g * weight), alpha);
            out[2] = std::min(ToByte(r * weight), alpha);
            out[3] = alpha;
        }
    }
    return bgra;
}

}  // namespace charmaker
