#include "shape_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <string_view>

namespace charmaker {

PaintRef ShapeReader::ReadPaint(const std::string& token) const {
    if (!token.starts_with('#')) return {std::nullopt, token};
    const std::string_view hex = std::string_view(token).substr(1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
    if ((hex.size() != 6 && hex.size() != 8) || error != std::errc{} ||
        end != hex.data() + hex.size()) {
        reader_.Fail("colour '" + token + "' must be #rrggbb or #rrggbbaa");
    }
    if (hex.size() == 6) value = value << 8 | 0xFF;
    return {Premultiplied(static_cast<std::uint8_t>(value >> 24),
                          static_cast<std::uint8_t>(value >> 16),
                          static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)),
            {}};
}

ColourDefinition ShapeReader::ReadColour(Tokens args) const {
    reader_.Count(args, 2, 2, "colour <name> <#rrggbb[aa]>");
    PaintRef colour = ReadPaint(args[1]);
    if (!IsName(args[0])) reader_.Fail("'" + args[0] + "' is not a name");
    return {args[0], std::move(colour)};
}

GradientDefinition ShapeReader::ReadGradient(Tokens args) const {
    const std::string usage =
        "gradient <name> linear <x1> <y1> <x2> <y2> <offset> <colour> ... or "
        "gradient <name> radial <cx> <cy> <rx> <ry> <offset> <colour> ...";
    if (args.size() < 8 || args.size() % 2 != 0) reader_.Fail("expected: " + usage);
    GradientDefinition gradient{args[0]};
    if (args[1] == "linear") {
        gradient.kind = Paint::Kind::Linear;
    } else if (args[1] == "radial") {
        gradient.kind = Paint::Kind::Radial;
    } else {
        reader_.Fail("expected: " + usage);
    }
    gradient.first = reader_.Point(args, 2);
    gradient.second = reader_.Point(args, 4);
    for (std::size_t i = 6; i < args.size(); i += 2) {
        const double offset = reader_.Number(args[i]);
        const double previous = gradient.stops.empty() ? 0 : gradient.stops.back().first;
        if (offset < previous || offset > 1) reader_.Fail("gradient offsets rise from 0 to 1");
        gradient.stops.emplace_back(offset, ReadPaint(args[i + 1]));
    }
    if (!IsName(args[0])) reader_.Fail("'" + args[0] + "' is not a name");
    return gradient;
}

FilledShape ShapeReader::ReadFilled(const std::string& kind, Tokens args) const {
    const auto line = std::find(args.begin(), args.end(), "line");
    const Tokens shape = args.first(static_cast<std::size_t>(line - args.begin()));
    if (shape.empty()) reader_.Fail("unknown statement '" + kind + "'");
    FilledShape filled{ReadPaint(shape[0]), ReadShape(kind, shape.subspan(1))};
    if (line != args.end()) {
        if (args.end() - line != 3) reader_.Fail("expected: ... line <paint> <width>");
        filled.edge.emplace(ReadPaint(line[1]), reader_.Number(line[2]));
    }
    return filled;
}

StrokedPath ShapeReader::ReadStroke(Tokens args) const {
    if (args.size() < 4) reader_.Fail("expected: stroke <paint> <width> <path...>");
    PaintRef paint = ReadPaint(args[0]);
    PathShape path = ReadPath(args.subspan(2));
    return {std::move(paint), reader_.Number(args[1]), std::move(path)};
}

ClipShape ShapeReader::ReadClip(Tokens args) const {
    if (args.empty()) reader_.Fail("expected: clip <shape> <numbers...>");
    return {ReadShape(args[0], args.subspan(1))};
}

ShapeDescription ShapeReader::ReadShape(const std::string& kind, Tokens args) const {
    if (kind == "ellipse") {
        reader_.Count(args, 4, 5, "ellipse <paint> <cx> <cy> <rx> <ry> [<degrees>]");
        return EllipseShape{reader_.Point(args, 0), reader_.Number(args[2]),
                            reader_.Number(args[3]),
                            args.size() == 5 ? reader_.Number(args[4]) : 0};
    }
    if (kind == "circle") {
        reader_.Count(args, 3, 3, "circle <paint> <cx> <cy> <r>");
        const double radius = reader_.Number(args[2]);
        return EllipseShape{reader_.Point(args, 0), radius, radius, 0};
    }
    if (kind == "rect") {
        reader_.Count(args, 4, 5, "rect <paint> <x> <y> <width> <height> [<radius>]");
        return RectShape{reader_.Point(args, 0), reader_.Point(args, 2),
                         args.size() == 5 ? reader_.Number(args[4]) : 0};
    }
    if (kind == "star") {
        reader_.Count(args, 5, 6, "star <paint> <cx> <cy> <outer> <inner> <points> [<degrees>]");
        return StarShape{reader_.Point(args, 0), reader_.Number(args[2]), reader_.Number(args[3]),
                         reader_.Integer(args[4], 3, 32, "points"),
                         args.size() == 6 ? reader_.Number(args[5]) : 0};
    }
    if (kind == "polygon") {
        if (args.size() < 6 || args.size() % 2 != 0) {
            reader_.Fail("expected: polygon <paint> <x> <y> <x> <y> <x> <y> ...");
        }
        Polygon polygon;
        for (std::size_t i = 0; i < args.size(); i += 2) polygon.push_back(reader_.Point(args, i));
        return polygon;
    }
    if (kind == "path") return ReadPath(args);
    reader_.Fail("unknown shape '" + kind + "'");
}

PathShape ShapeReader::ReadPath(Tokens args) const {
    PathShape path;
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
                path.push_back({'Z', {}});
                open = false;
                command = 0;
            }
            continue;
        }
        if (path.empty() && command != 'M') reader_.Fail("a path starts with M");
        if (command != 'M' && !open) reader_.Fail("a path continues after Z only with M");
        const std::size_t points = command == 'C' ? 3 : command == 'Q' ? 2 : 1;
        if (args.size() - i < points * 2) {
            reader_.Fail(std::string("path command ") + command + " needs " +
                         std::to_string(points * 2) + " numbers");
        }
        PathCommand step{command, {}};
        for (std::size_t p = 0; p < points; ++p) {
            step.points.push_back(reader_.Point(args, i + p * 2));
        }
        path.push_back(std::move(step));
        i += points * 2;
        if (command == 'M') {
            open = true;
            command = 'L';
        }
    }
    if (path.empty()) reader_.Fail("the path is empty");
    return path;
}

}  // namespace charmaker
