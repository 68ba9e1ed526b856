#include "geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace charmaker {
namespace {

// Curves and circles are cut into segments of about this length (in frame pixels): small
// enough that the flat pieces never show, even where a frame scales a part up.
constexpr double kSegmentLength = 0.4;
constexpr int kMinSegments = 16;

int SegmentsFor(double length) {
    return std::max(kMinSegments, static_cast<int>(std::ceil(length / kSegmentLength)));
}

double Distance(Vec2 a, Vec2 b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

double SignedArea(const Polygon& polygon) {
    double area = 0;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        area += polygon[j].x * polygon[i].y - polygon[i].x * polygon[j].y;
    }
    return area / 2;
}

// Pieces of one stroke must all turn the same way, or the nonzero rule would cut holes where
// they overlap.
void AddCounterClockwise(Outline& outline, Polygon polygon) {
    if (SignedArea(polygon) < 0) std::reverse(polygon.begin(), polygon.end());
    outline.push_back(std::move(polygon));
}

}  // namespace

Affine Affine::Then(const Affine& outer) const {
    return {outer.a * a + outer.c * b,           outer.b * a + outer.d * b,
            outer.a * c + outer.c * d,           outer.b * c + outer.d * d,
            outer.a * e + outer.c * f + outer.e, outer.b * e + outer.d * f + outer.f};
}

Affine Affine::Inverse() const {
    const double det = a * d - b * c;
    if (std::abs(det) < 1e-12) return {};
    return {d / det, -b / det, -c / det, a / det, (c * f - d * e) / det, (b * e - a * f) / det};
}

Affine Affine::Translate(Vec2 by) {
    return {1, 0, 0, 1, by.x, by.y};
}

Affine Affine::Scale(double sx, double sy) {
    return {sx, 0, 0, sy, 0, 0};
}

Affine Affine::Rotate(double degrees) {
    const double radians = degrees * std::numbers::pi / 180;
    const double cosine = std::cos(radians), sine = std::sin(radians);
    return {cosine, sine, -sine, cosine, 0, 0};
}

Affine Affine::About(Vec2 pivot, double degrees, double sx, double sy, Vec2 move) {
    return Translate(pivot * -1)
        .Then(Scale(sx, sy))
        .Then(Rotate(degrees))
        .Then(Translate(pivot + move));
}

void PathBuilder::MoveTo(Vec2 p) {
    polylines_.push_back({{p}, false});
}

void PathBuilder::LineTo(Vec2 p) {
    polylines_.back().points.push_back(p);
}

void PathBuilder::QuadTo(Vec2 control, Vec2 end) {
    const Vec2 start = polylines_.back().points.back();
    const int segments = SegmentsFor(Distance(start, control) + Distance(control, end));
    for (int i = 1; i <= segments; ++i) {
        const double t = static_cast<double>(i) / segments, u = 1 - t;
        LineTo(start * (u * u) + control * (2 * u * t) + end * (t * t));
    }
}

void PathBuilder::CubicTo(Vec2 control1, Vec2 control2, Vec2 end) {
    const Vec2 start = polylines_.back().points.back();
    const int segments = SegmentsFor(Distance(start, control1) + Distance(control1, control2) +
                                     Distance(control2, end));
    for (int i = 1; i <= segments; ++i) {
        const double t = static_cast<double>(i) / segments, u = 1 - t;
        LineTo(start * (u * u * u) + control1 * (3 * u * u * t) + control2 * (3 * u * t * t) +
               end * (t * t * t));
    }
}

void PathBuilder::Close() {
    polylines_.back().closed = true;
}

Outline PathBuilder::Fill() const {
    Outline outline;
    for (const Polyline& line : polylines_) {
        if (line.points.size() >= 3) outline.push_back(line.points);
    }
    return outline;
}

Outline PathBuilder::Stroke(double width) const {
    const double half = width / 2;
    Outline outline;
    for (const Polyline& line : polylines_) {
        std::vector<Vec2> points = line.points;
        if (line.closed && points.size() > 1) points.push_back(points.front());
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const Vec2 from = points[i], to = points[i + 1];
            const double length = Distance(from, to);
            if (length < 1e-9) continue;
            const Vec2 normal = Vec2{from.y - to.y, to.x - from.x} * (half / length);
            AddCounterClockwise(outline, {from + normal, to + normal, to - normal, from - normal});
        }
        // Round joins where the direction turns enough to leave a notch, and round caps.
        for (std::size_t i = 0; i < points.size(); ++i) {
            const bool end = i == 0 || i + 1 == points.size();
            bool turns = false;
            if (!end) {
                const Vec2 in = points[i] - points[i - 1], out = points[i + 1] - points[i];
                const double cross = in.x * out.y - in.y * out.x;
                const double dot = in.x * out.x + in.y * out.y;
                turns = std::abs(std::atan2(cross, dot)) > 0.15;
            }
            if (end || turns) AddCounterClockwise(outline, Ellipse(points[i], half, half, 0));
        }
    }
    return outline;
}

Outline StrokeClosed(const Outline& outline, double width) {
    PathBuilder path;
    for (const Polygon& polygon : outline) {
        path.MoveTo(polygon.front());
        for (std::size_t i = 1; i < polygon.size(); ++i) path.LineTo(polygon[i]);
        path.Close();
    }
    return path.Stroke(width);
}

Polygon Ellipse(Vec2 centre, double rx, double ry, double degrees) {
    const int segments = SegmentsFor(2 * std::numbers::pi * std::max(rx, ry));
    const Affine place = Affine::Rotate(degrees).Then(Affine::Translate(centre));
    Polygon polygon;
    polygon.reserve(static_cast<std::size_t>(segments));
    for (int i = 0; i < segments; ++i) {
        const double angle = 2 * std::numbers::pi * i / segments;
        polygon.push_back(place.Apply({rx * std::cos(angle), ry * std::sin(angle)}));
    }
    return polygon;
}

Polygon RoundedRect(Vec2 topLeft, Vec2 size, double radius) {
    radius = std::clamp(radius, 0.0, std::min(size.x, size.y) / 2);
    if (radius <= 0) {
        return {topLeft,
                {topLeft.x + size.x, topLeft.y},
                topLeft + size,
                {topLeft.x, topLeft.y + size.y}};
    }
    const int segments = SegmentsFor(std::numbers::pi * radius / 2);
    const Vec2 centres[4] = {{topLeft.x + size.x - radius, topLeft.y + radius},
                             {topLeft.x + size.x - radius, topLeft.y + size.y - radius},
                             {topLeft.x + radius, topLeft.y + size.y - radius},
                             {topLeft.x + radius, topLeft.y + radius}};
    Polygon polygon;
    for (int corner = 0; corner < 4; ++corner) {
        for (int i = 0; i <= segments; ++i) {
            const double angle =
                std::numbers::pi / 2 * (corner - 1 + static_cast<double>(i) / segments);
            polygon.push_back(centres[corner] + Vec2{std::cos(angle), std::sin(angle)} * radius);
        }
    }
    return polygon;
}

}  // namespace charmaker
