// Turns the paints and shapes a source describes into what is drawn: paints looked up by name,
// outlines made from shapes and paths.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "line_reader.h"
#include "raster.h"
#include "scene.h"
#include "scene_description.h"

namespace charmaker {

class ShapeBuilder {
public:
    // Faults are reported at the line `at` is on.
    explicit ShapeBuilder(const LineReader& at) : at_(at) {}

    void Define(const ColourDefinition& colour);
    void Define(const GradientDefinition& gradient);
    // The shape, then its edge when it has one.
    std::vector<Node> Filled(const FilledShape& filled) const;
    Node Stroked(const StrokedPath& stroke) const;
    Node Clip(const ClipShape& clip) const;

private:
    // A colour written out or defined before.
    Rgba ColourOf(const PaintRef& ref) const;
    // A colour or a gradient, written out or defined before.
    Paint PaintOf(const PaintRef& ref) const;
    void Define(const std::string& name, Paint paint);
    Outline OutlineOf(const ShapeDescription& shape) const;

    const LineReader& at_;
    std::map<std::string, Paint> paints_;
};

}  // namespace charmaker
