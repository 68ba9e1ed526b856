// The paints and shapes of a character source, read from a statement's tokens: colours and
// gradients, filled shapes, strokes, clips and SVG-like paths, as the source writes them.
#pragma once

#include <string>

#include "line_reader.h"
#include "scene_description.h"

namespace charmaker {

class ShapeReader {
public:
    // Faults are reported at the reader's current line.
    explicit ShapeReader(const LineReader& reader) : reader_(reader) {}

    // "#rrggbb", "#rrggbbaa" or the name of a paint.
    PaintRef ReadPaint(const std::string& token) const;
    // colour <name> <colour>
    ColourDefinition ReadColour(Tokens args) const;
    // gradient <name> linear|radial ...
    GradientDefinition ReadGradient(Tokens args) const;
    // <shape> <paint> <numbers...> [line <paint> <width>]
    FilledShape ReadFilled(const std::string& kind, Tokens args) const;
    // stroke <paint> <width> <path...>
    StrokedPath ReadStroke(Tokens args) const;
    // clip <shape> <numbers...>
    ClipShape ReadClip(Tokens args) const;

private:
    // ellipse, circle, rect, star, polygon or path, with its numbers (after the paint).
    ShapeDescription ReadShape(const std::string& kind, Tokens args) const;
    // Absolute commands as in SVG: M x y, L x y, Q cx cy x y, C c1x c1y c2x c2y x y, Z.
    // Numbers after a command repeat it; after M they draw lines.
    PathShape ReadPath(Tokens args) const;

    const LineReader& reader_;
};

}  // namespace charmaker
