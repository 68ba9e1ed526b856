#include "shape_builder.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace charmaker {
namespace {

Polygon Star(const StarShape& star) {
    Polygon polygon;
    for (int i = 0; i < star.points * 2; ++i) {
        const double angle =
            (star.degrees - 90) * std::numbers::pi / 180 + std::numbers::pi * i / star.points;
        const double radius = i % 2 == 0 ? star.outer : star.inner;
        polygon.push_back(star.centre + Vec2{std::cos(angle), std::sin(angle)} * radius);
    }
    return polygon;
}

PathBuilder Trace(const PathShape& path) {
    PathBuilder builder;
    for (const PathCommand& command : path) {
        const std::vector<Vec2>& p = command.points;
        switch (command.name) {
            case 'M':
                builder.MoveTo(p[0]);
                break;
            case 'L':
                builder.LineTo(p[0]);
                break;
            case 'Q':
                builder.QuadTo(p[0], p[1]);
                break;
            case 'C':
                builder.CubicTo(p[0], p[1], p[2]);
                break;
            default:
                builder.Close();
                break;
        }
    }
    return builder;
}

}  // namespace

void ShapeBuilder::Define(const ColourDefinition& colour) {
    Define(colour.name, {Paint::Kind::Solid, ColourOf(colour.colour)});
}

void ShapeBuilder::Define(const GradientDefinition& gradient) {
    Paint paint{gradient.kind};
    if (gradient.kind == Paint::Kind::Linear) {
        paint.from = gradient.first;
        paint.to = gradient.second;
    } else {
        paint.centre = gradient.first;
        paint.radii = gradient.second;
    }
    for (const auto& [offset, colour] : gradient.stops) {
        paint.stops.push_back({offset, ColourOf(colour)});
    }
    Define(gradient.name, std::move(paint));
}

std::vector<Node> ShapeBuilder::Filled(const FilledShape& filled) const {
    std::vector<Node> nodes(1, Node{Node::Kind::Shape});
    nodes[0].paint = PaintOf(filled.paint);
    nodes[0].outline = OutlineOf(filled.shape);
    if (filled.edge) {
        Node edge{Node::Kind::Shape};
        edge.paint = PaintOf(filled.edge->first);
        edge.outline = StrokeClosed(nodes[0].outline, filled.edge->second);
        if (!edge.outline.empty()) nodes.push_back(std::move(edge));
    }
    return nodes;
}

Node ShapeBuilder::Stroked(const StrokedPath& stroke) const {
    Node node{Node::Kind::Shape};
    node.paint = PaintOf(stroke.paint);
    node.outline = Trace(stroke.path).Stroke(stroke.width);
    return node;
}

Node ShapeBuilder::Clip(const ClipShape& clip) const {
    Node node{Node::Kind::Clip};
    node.outline = OutlineOf(clip.shape);
    return node;
}

Rgba ShapeBuilder::ColourOf(const PaintRef& ref) const {
    if (ref.colour) return *ref.colour;
    const auto found = paints_.find(ref.name);
    if (found == paints_.end() || found->second.kind != Paint::Kind::Solid) {
        at_.Fail("unknown colour '" + ref.name + "'");
    }
    return found->second.colour;
}

Paint ShapeBuilder::PaintOf(const PaintRef& ref) const {
    if (ref.colour) return {Paint::Kind::Solid, *ref.colour};
    const auto found = paints_.find(ref.name);
    if (found == paints_.end()) at_.Fail("unknown paint '" + ref.name + "'");
    return found->second;
}

void ShapeBuilder::Define(const std::string& name, Paint paint) {
    if (!paints_.emplace(name, std::move(paint)).second) {
        at_.Fail("paint '" + name + "' is defined twice");
    }
}

Outline ShapeBuilder::OutlineOf(const ShapeDescription& shape) const {
    if (const auto* ellipse = std::get_if<EllipseShape>(&shape)) {
        return {Ellipse(ellipse->centre, ellipse->rx, ellipse->ry, ellipse->degrees)};
    }
    if (const auto* rect = std::get_if<RectShape>(&shape)) {
        return {RoundedRect(rect->topLeft, rect->size, rect->radius)};
    }
    if (const auto* star = std::get_if<StarShape>(&shape)) return {Star(*star)};
    if (const auto* polygon = std::get_if<Polygon>(&shape)) return {*polygon};
    Outline outline = Trace(std::get<PathShape>(shape)).Fill();
    if (outline.empty()) at_.Fail("the path encloses nothing");
    return outline;
}

}  // namespace charmaker
