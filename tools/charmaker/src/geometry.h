// Points, affine transforms and outlines: the shapes of a character before rasterisation.
#pragma once

#include <vector>

namespace charmaker {

struct Vec2 {
    double x = 0;
    double y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) {
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b) {
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double s) {
    return {a.x * s, a.y * s};
}

// x' = a x + c y + e, y' = b x + d y + f.
struct Affine {
    double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

    Vec2 Apply(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
    // This transform first, then `outer`.
    Affine Then(const Affine& outer) const;
    // The identity when this transform is singular (a shape scaled to nothing paints nothing).
    Affine Inverse() const;

    static Affine Translate(Vec2 by);
    static Affine Scale(double sx, double sy);
    static Affine Rotate(double degrees);
    // Scales then rotates about `pivot`, then moves by `move`.
    static Affine About(Vec2 pivot, double degrees, double sx, double sy, Vec2 move);
};

using Polygon = std::vector<Vec2>;
// Closed polygons filled together with the nonzero winding rule.
using Outline = std::vector<Polygon>;

// Builds outlines from path commands, flattening curves into short segments.
class PathBuilder {
public:
    void MoveTo(Vec2 p);
    void LineTo(Vec2 p);
    void QuadTo(Vec2 control, Vec2 end);
    void CubicTo(Vec2 control1, Vec2 control2, Vec2 end);
    void Close();

    bool HasCurrentPoint() const { return !polylines_.empty(); }
    // The subpaths as filled areas: every subpath is closed.
    Outline Fill() const;
    // The area covered by a pen of `width` drawn along the subpaths, with round joins and caps;
    // a closed subpath has no caps.
    Outline Stroke(double width) const;

private:
    struct Polyline {
        std::vector<Vec2> points;
        bool closed = false;
    };
    std::vector<Polyline> polylines_;
};

// The edges of an outline drawn with a round pen of `width`.
Outline StrokeClosed(const Outline& outline, double width);

Polygon Ellipse(Vec2 centre, double rx, double ry, double degrees);
Polygon RoundedRect(Vec2 topLeft, Vec2 size, double radius);

}  // namespace charmaker
