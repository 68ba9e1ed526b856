#include "shape_reader.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>
#include <string_view>

namespace charmaker {
namespace {

Polygon Star(Vec2 centre, double outer, double inner, int points, double degrees) {
    Polygon polygon;
    for (int i = 0; i < points * 2; ++i) {
        const double angle =
            (degrees - 90) * std::numbers::pi / 180 + std::numbers::pi * i / points;
        const double radius = i % 2 == 0 ? outer : inner;
        polygon.push_back(centre + Vec2{std::cos(angle), std::sin(angle)} * radius);
    }
    return polygon;
}

}  // namespace

Rgba ShapeReader::Colour(const std::string& token) const {
    if (token.starts_with('#')) {
        const std::string_view hex = std::string_view(token).substr(1);
        unsigned value = 0;
        const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
        if ((hex.size() != 6 && hex.size() != 8) || error != std::errc{} ||
            end != hex.data() + hex.size()) {
            reader_.Fail("colour '" + token + "' must be #rrggbb or #rrggbbaa");
        }
        if (hex.size() == 6) value = value << 8 | 0xFF;
        return Premultiplied(
            static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value));
    }
    const auto found = paints_.find(token);
    if (found == paints_.end() || found->second.kind != Paint::Kind::Solid) {
        reader_.Fail("unknown colour '" + token + "'");
    }
    return found->second.colour;
}

Paint ShapeReader::PaintOf(const std::string& token) const {
    if (token.starts_with('#')) return {Paint::Kind::Solid, Colour(token)};
    const auto found = paints_.find(token);
    if (found == paints_.end()) reader_.Fail("unknown paint '" + token + "'");
    return found->second;
}

void ShapeReader::Define(const std::string& name, Paint paint) {
    if (!IsName(name)) reader_.Fail("'" + name + "' is not a name");
    if (!paints_.emplace(name, std::move(paint)).second) {
        reader_.Fail("paint '" + name + "' is defined twice");
    }
}

void ShapeReader::Gradient(Tokens args) {
    const std::string usage =
        "gradient <name> linear <x1> <y1> <x2> <y2> <offset> <colour> ... or "
        "gradient <name> radial <cx> <cy> <rx> <ry> <offset> <colour> ...";
    if (args.size() < 8 || args.size() % 2 != 0) reader_.Fail("expected: " + usage);
    Paint paint;
    if (args[1] == "linear") {
        paint.kind = Paint::Kind::Linear;
        paint.from = reader_.Point(args, 2);
        paint.to = reader_.Point(args, 4);
    } else if (args[1] == "radial") {
        paint.kind = Paint::Kind::Radial;
        paint.centre = reader_.Point(args, 2);
        paint.radii = reader_.Point(args, 4);
    } else {
        reader_.Fail("expected: " + usage);
    }
    for (std::size_t i = 6; i < args.size(); i += 2) {
        const double offset = reader_.Number(args[i]);
        const double previous = paint.stops.empty() ? 0 : paint.stops.back().offset;
        if (offset < previous || offset > 1) reader_.Fail("gradient offsets rise from 0 to 1");
        paint.stops.push_back({offset, Colour(args[i + 1])});
    }
    Define(args[0], std::move(paint));
}

Outline ShapeReader::Shape(const std::string& kind, Tokens args) const {
    if (kind == "ellipse") {
        reader_.Count(args, 4, 5, "ellipse <paint> <cx> <cy> <rx> <ry> [<degrees>]");
        return {Ellipse(reader_.Point(args, 0), reader_.Number(args[2]), reader_.Number(args[3]),
                        args.size() == 5 ? reader_.Number(args[4]) : 0)};
    }
    if (kind == "circle") {
        reader_.Count(args, 3, 3, "circle <paint> <cx> <cy> <r>");
        return {
            Ellipse(reader_.Point(args, 0), reader_.Number(args[2]), reader_.Number(args[2]), 0)};
    }
    if (kind == "rect") {
        reader_.Count(args, 4, 5, "rect <paint> <x> <y> <width> <height> [<radius>]");
        return {RoundedRect(reader_.Point(args, 0), reader_.Point(args, 2),
                            args.size() == 5 ? reader_.Number(args[4]) : 0)};
    }
    if (kind == "star") {
        reader_.Count(args, 5, 6, "star <paint> <cx> <cy> <outer> <inner> <points> [<degrees>]");
        return {Star(reader_.Point(args, 0), reader_.Number(args[2]), reader_.Number(args[3]),
                     reader_.Integer(args[4], 3, 32, "points"),
                     args.size() == 6 ? reader_.Number(args[5]) : 0)};
    }
    if (kind == "polygon") {
        if (args.size() < 6 || args.size() % 2 != 0) {
            reader_.Fail("expected: polygon <paint> <x> <y> <x> <y> <x> <y> ...");
        }
        Polygon polygon;
        for (std::size_t i = 0; i < args.size(); i += 2) polygon.push_back(reader_.Point(args, i));
        return {polygon};
    }
    if (kind == "path") {
        Outline outline = Path(args).Fill();
        if (outline.empty()) reader_.Fail("the path encloses nothing");
        return outline;
    }
    reader_.Fail("unknown shape '" + kind + "'");
}

PathBuilder ShapeReader::Path(Tokens args) const {
    PathBuilder path;
    char command = 0;
    bool open = false;
    for (std::size_t i = 0; i < args.size();) {
        if (std::isalpha(static_cast<unsigned char>(args[i][0]))) {
            if (args[i].size() != 1 ||
                std::string_view("MLQCZ").find(args[i][0]) == std::string_view::npos) {
                reader_.Fail("unknown path command '" + args[i] + "'");
            }
            command = args[i++][0];
            if (command == 'Z') {
                if (!open) reader_.Fail("Z without an open path");
                path.Close();
                open = false;
                command = 0;
            }
            continue;
        }
        if (!path.HasCurrentPoint() && command != 'M') reader_.Fail("a path starts with M");
        if (command != 'M' && !open) reader_.Fail("a path continues after Z only with M");
        const std::size_t needed = command == 'C' ? 6 : command == 'Q' ? 4 : 2;
        if (args.size() - i < needed) {
            reader_.Fail(std::string("path command ") + command + " needs " +
                         std::to_string(needed) + " numbers");
        }
        if (command == 'M') {
            path.MoveTo(reader_.Point(args, i));
            open = true;
            command = 'L';
        } else if (command == 'L') {
            path.LineTo(reader_.Point(args, i));
        } else if (command == 'Q') {
            path.QuadTo(reader_.Point(args, i), reader_.Point(args, i + 2));
        } else {
            path.CubicTo(reader_.Point(args, i), reader_.Point(args, i + 2),
                         reader_.Point(args, i + 4));
        }
        i += needed;
    }
    if (!path.HasCurrentPoint()) reader_.Fail("the path is empty");
    return path;
}

}  // namespace charmaker
