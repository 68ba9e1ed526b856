// The paints and outlines of a character source, read from a statement's tokens: colours and
// gradients by name, filled shapes, clips and SVG-like paths.
#pragma once

#include <map>
#include <string>

#include "geometry.h"
#include "raster.h"
#include "scene_reader.h"

namespace charmaker {

class ShapeReader {
public:
    // Faults are reported at the reader's current line.
    explicit ShapeReader(const LineReader& reader) : reader_(reader) {}

    // "#rrggbb", "#rrggbbaa" or a colour defined before.
    Rgba Colour(const std::string& token) const;
    // A colour or a gradient defined before.
    Paint PaintOf(const std::string& token) const;
    void Define(const std::string& name, Paint paint);
    // gradient <name> linear|radial ...: defines the paint.
    void Gradient(Tokens args);
    // ellipse, circle, rect, star, polygon or path, with its numbers (after the paint).
    Outline Shape(const std::string& kind, Tokens args) const;
    // Absolute commands as in SVG: M x y, L x y, Q cx cy x y, C c1x c1y c2x c2y x y, Z.
    // Numbers after a command repeat it; after M they draw lines.
    PathBuilder Path(Tokens args) const;

private:
    const LineReader& reader_;
    std::map<std::string, Paint> paints_;
};

}  // namespace charmaker
