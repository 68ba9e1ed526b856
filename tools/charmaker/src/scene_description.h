// What a character source says, before anything is drawn from it: plain values in the order they
// were written, each with the line it came from so that faults found later point there.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "agent/core/speech_engine.h"
#include "geometry.h"
#include "line_reader.h"
#include "raster.h"

namespace charmaker {

// "#rrggbb[aa]", written out, or the name of a paint defined elsewhere.
struct PaintRef {
    std::optional<Rgba> colour;
    std::string name;
};

struct ColourDefinition {
    std::string name;
    PaintRef colour;
};

struct GradientDefinition {
    std::string name;
    Paint::Kind kind = Paint::Kind::Linear;
    Vec2 first, second;  // linear: from and to; radial: centre and radii
    std::vector<std::pair<double, PaintRef>> stops;
};

struct EllipseShape {
    Vec2 centre;
    double rx = 0, ry = 0, degrees = 0;
};

struct RectShape {
    Vec2 topLeft, size;
    double radius = 0;
};

struct StarShape {
    Vec2 centre;
    double outer = 0, inner = 0;
    int points = 0;
    double degrees = 0;
};

// One SVG-like command: 'M' and 'L' with one point, 'Q' with two, 'C' with three, 'Z' with none.
struct PathCommand {
    char name = 0;
    std::vector<Vec2> points;
};

using PathShape = std::vector<PathCommand>;
using ShapeDescription = std::variant<EllipseShape, RectShape, StarShape, Polygon, PathShape>;

struct FilledShape {
    PaintRef paint;
    ShapeDescription shape;
    std::optional<std::pair<PaintRef, double>> edge;  // "line <paint> <width>"
};

struct StrokedPath {
    PaintRef paint;
    double width = 0;
    PathShape path;
};

struct ClipShape {
    ShapeDescription shape;
};

struct Item;

// A group, or a variant when `slot` is set.
struct Part {
    std::string name;
    std::string slot;
    Vec2 pivot;
    std::optional<double> mirrorX;
    bool mirrorOnly = false;
    std::vector<Item> children;
};

struct Item {
    int line = 0;
    std::variant<ColourDefinition, GradientDefinition, FilledShape, StrokedPath, ClipShape, Part>
        what;
};

struct FrameDescription {
    std::string name;
    std::string like;  // empty when the frame starts from the rest pose
    std::vector<Setting> settings;
    int line = 0;
};

struct AnimationSource {
    std::string name;
    bool loops = false;
    std::vector<std::pair<std::string, int>> steps;  // frame name, duration in ms
    int line = 0;
};

struct SceneDescription {
    std::string name;
    int width = 0;
    int height = 0;
    int samples = 4;
    Vec2 anchor;
    Vec2 pivot;
    std::vector<Item> items;  // paints and shapes at the top, each part holding its own
    std::vector<FrameDescription> frames;
    std::vector<AnimationSource> animations;
    std::array<std::vector<Setting>, agent::core::kMouthCount> mouths;  // empty when not written
    int lastLine = 0;  // where faults of the source as a whole are reported
};

}  // namespace charmaker
