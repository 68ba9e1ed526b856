#include "scene.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <span>

#include "agent/format/character_file.h"

namespace charmaker {
namespace {

using Tokens = std::span<const std::string>;

struct Line {
    int number = 0;
    std::vector<std::string> tokens;
};

// Splits the source into lines of tokens: "//" starts a comment, a line ending in "\"
// continues on the next one.
std::vector<Line> Tokenize(std::string_view source) {
    std::vector<Line> lines;
    bool continues = false;
    int number = 0;
    while (!source.empty()) {
        const std::size_t end = source.find('\n');
        std::string_view text = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
        ++number;
        text = text.substr(0, text.find("//"));
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
            text.remove_suffix(1);
        }
        const bool continued = continues;
        continues = !text.empty() && text.back() == '\\';
        if (continues) text.remove_suffix(1);
        if (!continued) lines.push_back({number, {}});
        std::size_t at = 0;
        while (at < text.size()) {
            if (std::isspace(static_cast<unsigned char>(text[at]))) {
                ++at;
                continue;
            }
            std::size_t stop = at;
            while (stop < text.size() && !std::isspace(static_cast<unsigned char>(text[stop]))) {
                ++stop;
            }
            lines.back().tokens.emplace_back(text.substr(at, stop - at));
            at = stop;
        }
        if (lines.back().tokens.empty() && !continues) lines.pop_back();
    }
    if (!lines.empty() && lines.back().tokens.empty()) lines.pop_back();  // a final "\"
    return lines;
}

bool IsName(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double NumberOr(int line, std::string_view text, std::string_view what) {
    const std::optional<double> value = ParseNumber(text);
    if (!value) {
        throw SourceError(line,
                          std::string(what) + " must be a number, not '" + std::string(text) + "'");
    }
    return *value;
}

// "x,y" or, when `same` is true, "v" meaning "v,v".
Vec2 ParsePair(int line, std::string_view text, bool same, std::string_view what) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos && same) {
        const double value = NumberOr(line, text, what);
        return {value, value};
    }
    if (comma == std::string_view::npos) {
        throw SourceError(line, std::string(what) + " must be two numbers as x,y");
    }
    return {NumberOr(line, text.substr(0, comma), what),
            NumberOr(line, text.substr(comma + 1), what)};
}

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

class SceneParser {
public:
    Scene Run(std::string_view source) {
        scene_.root.kind = Node::Kind::Group;
        open_.push_back(&scene_.root);
        for (const Line& line : Tokenize(source)) {
            line_ = line.number;
            Statement(line.tokens.front(), Tokens(line.tokens).subspan(1));
        }
        if (open_.size() > 1) {
            throw SourceError(line_, "'" + open_.back()->name + "' is not closed by 'end'");
        }
        Finish();
        return std::move(scene_);
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw SourceError(line_, message); }

    double Number(const std::string& token) const { return NumberOr(line_, token, "a value"); }

    int Integer(const std::string& token, int low, int high, std::string_view what) const {
        const double value = Number(token);
        if (value != std::floor(value) || value < low || value > high) {
            Fail(std::string(what) + " must be a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
        }
        return static_cast<int>(value);
    }

    void Count(Tokens args, std::size_t low, std::size_t high, std::string_view usage) const {
        if (args.size() < low || args.size() > high) Fail("expected: " + std::string(usage));
    }

    Vec2 Point(Tokens args, std::size_t at) const {
        return {Number(args[at]), Number(args[at + 1])};
    }

    Rgba Colour(const std::string& token) const {
        if (token.starts_with('#')) {
            const std::string_view hex = std::string_view(token).substr(1);
            unsigned value = 0;
            const auto [end, error] =
                std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
            if ((hex.size() != 6 && hex.size() != 8) || error != std::errc{} ||
                end != hex.data() + hex.size()) {
                Fail("colour '" + token + "' must be #rrggbb or #rrggbbaa");
            }
            if (hex.size() == 6) value = value << 8 | 0xFF;
            return Premultiplied(
                static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value));
        }
        const auto found = paints_.find(token);
        if (found == paints_.end() || found->second.kind != Paint::Kind::Solid) {
            Fail("unknown colour '" + token + "'");
        }
        return found->second.colour;
    }

    Paint PaintOf(const std::string& token) const {
        if (token.starts_with('#')) return {Paint::Kind::Solid, Colour(token)};
        const auto found = paints_.find(token);
        if (found == paints_.end()) Fail("unknown paint '" + token + "'");
        return found->second;
    }

    void Define(const std::string& name, Paint paint) {
        if (!IsName(name)) Fail("'" + name + "' is not a name");
        if (!paints_.emplace(name, std::move(paint)).second) {
            Fail("paint '" + name + "' is defined twice");
        }
    }

    void Statement(const std::string& keyword, Tokens args) {
        if (keyword == "character") {
            Count(args, 1, 1, "character <name>");
            scene_.name = args[0];
        } else if (keyword == "size") {
            Count(args, 2, 2, "size <width> <height>");
            scene_.width = Integer(args[0], 1, agent::format::kMaxFrameSide, "the width");
            scene_.height = Integer(args[1], 1, agent::format::kMaxFrameSide, "the height");
        } else if (keyword == "samples") {
            Count(args, 1, 1, "samples <1 to 8>");
            scene_.samples = Integer(args[0], 1, 8, "samples");
        } else if (keyword == "anchor") {
            Count(args, 2, 2, "anchor <x> <y>");
            scene_.anchor = Point(args, 0);
        } else if (keyword == "pivot") {
            Count(args, 2, 2, "pivot <x> <y>");
            scene_.pivot = Point(args, 0);
        } else if (keyword == "colour") {
            Count(args, 2, 2, "colour <name> <#rrggbb[aa]>");
            Define(args[0], {Paint::Kind::Solid, Colour(args[1])});
        } else if (keyword == "gradient") {
            Gradient(args);
        } else if (keyword == "group") {
            Group(args);
        } else if (keyword == "variant") {
            Count(args, 2, 2, "variant <slot> <name>");
            if (!IsName(args[0]) || !IsName(args[1])) Fail("slot and variant need plain names");
            std::vector<std::string>& variants = scene_.slots[args[0]];
            if (std::find(variants.begin(), variants.end(), args[1]) == variants.end()) {
                variants.push_back(args[1]);
            }
            Open({Node::Kind::Variant, args[1], args[0]});
        } else if (keyword == "end") {
            Count(args, 0, 0, "end");
            if (open_.size() == 1) Fail("'end' without 'group' or 'variant'");
            open_.pop_back();
        } else if (keyword == "clip") {
            if (args.empty()) Fail("expected: clip <shape> <numbers...>");
            Node clip{Node::Kind::Clip};
            clip.outline = Shape(args[0], args.subspan(1));
            Add(std::move(clip));
        } else if (keyword == "stroke") {
            if (args.size() < 4) Fail("expected: stroke <paint> <width> <path...>");
            Node node{Node::Kind::Shape};
            node.paint = PaintOf(args[0]);
            node.outline = Path(args.subspan(2)).Stroke(Number(args[1]));
            Add(std::move(node));
        } else if (keyword == "frame") {
            Frame(args);
        } else if (keyword == "animation") {
            Animation(args);
        } else if (keyword == "mouth") {
            Mouth(args);
        } else {
            FilledShape(keyword, args);
        }
    }

    // <shape> <paint> <numbers...> [line <paint> <width>]: "line" also draws the edge.
    void FilledShape(const std::string& kind, Tokens args) {
        const auto line = std::find(args.begin(), args.end(), "line");
        const Tokens shape = args.first(static_cast<std::size_t>(line - args.begin()));
        if (shape.empty()) Fail("unknown statement '" + kind + "'");
        Node node{Node::Kind::Shape};
        node.paint = PaintOf(shape[0]);
        node.outline = Shape(kind, shape.subspan(1));
        Node edge{Node::Kind::Shape};
        if (line != args.end()) {
            if (args.end() - line != 3) Fail("expected: ... line <paint> <width>");
            edge.paint = PaintOf(line[1]);
            edge.outline = StrokeClosed(node.outline, Number(line[2]));
        }
        Add(std::move(node));
        if (!edge.outline.empty()) Add(std::move(edge));
    }

    void Gradient(Tokens args) {
        const std::string usage =
            "gradient <name> linear <x1> <y1> <x2> <y2> <offset> <colour> ... or "
            "gradient <name> radial <cx> <cy> <rx> <ry> <offset> <colour> ...";
        if (args.size() < 8 || args.size() % 2 != 0) Fail("expected: " + usage);
        Paint paint;
        if (args[1] == "linear") {
            paint.kind = Paint::Kind::Linear;
            paint.from = Point(args, 2);
            paint.to = Point(args, 4);
        } else if (args[1] == "radial") {
            paint.kind = Paint::Kind::Radial;
            paint.centre = Point(args, 2);
            paint.radii = Point(args, 4);
        } else {
            Fail("expected: " + usage);
        }
        for (std::size_t i = 6; i < args.size(); i += 2) {
            const double offset = Number(args[i]);
            const double previous = paint.stops.empty() ? 0 : paint.stops.back().offset;
            if (offset < previous || offset > 1) Fail("gradient offsets rise from 0 to 1");
            paint.stops.push_back({offset, Colour(args[i + 1])});
        }
        Define(args[0], std::move(paint));
    }

    void Group(Tokens args) {
        const std::string usage = "group <name> [pivot <x> <y>] [mirror <x> | flip <x>]";
        if (args.empty() || !IsName(args[0])) Fail("expected: " + usage);
        Node node{Node::Kind::Group, args[0]};
        node.pivot = {scene_.width / 2.0, scene_.height / 2.0};
        for (std::size_t i = 1; i < args.size();) {
            if (args[i] == "pivot" && i + 2 < args.size()) {
                node.pivot = Point(args, i + 1);
                i += 3;
            } else if ((args[i] == "mirror" || args[i] == "flip") && i + 1 < args.size()) {
                node.mirrorX = Number(args[i + 1]);
                node.mirrorOnly = args[i] == "flip";
                i += 2;
            } else {
                Fail("expected: " + usage);
            }
        }
        if (!scene_.groupPivots.emplace(node.name, node.pivot).second) {
            Fail("group '" + node.name + "' is defined twice");
        }
        Open(std::move(node));
    }

    void Add(Node node) { open_.back()->children.push_back(std::move(node)); }

    // Nodes are only ever appended to the innermost open node, so the pointers to the open
    // ones stay valid.
    void Open(Node node) {
        Add(std::move(node));
        open_.push_back(&open_.back()->children.back());
    }

    Outline Shape(const std::string& kind, Tokens args) const {
        if (kind == "ellipse") {
            Count(args, 4, 5, "ellipse <paint> <cx> <cy> <rx> <ry> [<degrees>]");
            return {Ellipse(Point(args, 0), Number(args[2]), Number(args[3]),
                            args.size() == 5 ? Number(args[4]) : 0)};
        }
        if (kind == "circle") {
            Count(args, 3, 3, "circle <paint> <cx> <cy> <r>");
            return {Ellipse(Point(args, 0), Number(args[2]), Number(args[2]), 0)};
        }
        if (kind == "rect") {
            Count(args, 4, 5, "rect <paint> <x> <y> <width> <height> [<radius>]");
            return {RoundedRect(Point(args, 0), Point(args, 2),
                                args.size() == 5 ? Number(args[4]) : 0)};
        }
        if (kind == "star") {
            Count(args, 5, 6, "star <paint> <cx> <cy> <outer> <inner> <points> [<degrees>]");
            return {Star(Point(args, 0), Number(args[2]), Number(args[3]),
                         Integer(args[4], 3, 32, "points"),
                         args.size() == 6 ? Number(args[5]) : 0)};
        }
        if (kind == "polygon") {
            if (args.size() < 6 || args.size() % 2 != 0) {
                Fail("expected: polygon <paint> <x> <y> <x> <y> <x> <y> ...");
            }
            Polygon polygon;
            for (std::size_t i = 0; i < args.size(); i += 2) polygon.push_back(Point(args, i));
            return {polygon};
        }
        if (kind == "path") {
            Outline outline = Path(args).Fill();
            if (outline.empty()) Fail("the path encloses nothing");
            return outline;
        }
        Fail("unknown shape '" + kind + "'");
    }

    // Absolute commands as in SVG: M x y, L x y, Q cx cy x y, C c1x c1y c2x c2y x y, Z.
    // Numbers after a command repeat it; after M they draw lines.
    PathBuilder Path(Tokens args) const {
        PathBuilder path;
        char command = 0;
        bool open = false;
        for (std::size_t i = 0; i < args.size();) {
            if (std::isalpha(static_cast<unsigned char>(args[i][0]))) {
                if (args[i].size() != 1 ||
                    std::string_view("MLQCZ").find(args[i][0]) == std::string_view::npos) {
                    Fail("unknown path command '" + args[i] + "'");
                }
                command = args[i++][0];
                if (command == 'Z') {
                    if (!open) Fail("Z without an open path");
                    path.Close();
                    open = false;
                    command = 0;
                }
                continue;
            }
            if (!path.HasCurrentPoint() && command != 'M') Fail("a path starts with M");
            if (command != 'M' && !open) Fail("a path continues after Z only with M");
            const std::size_t needed = command == 'C' ? 6 : command == 'Q' ? 4 : 2;
            if (args.size() - i < needed) {
                Fail(std::string("path command ") + command + " needs " + std::to_string(needed) +
                     " numbers");
            }
            if (command == 'M') {
                path.MoveTo(Point(args, i));
                open = true;
                command = 'L';
            } else if (command == 'L') {
                path.LineTo(Point(args, i));
            } else if (command == 'Q') {
                path.QuadTo(Point(args, i), Point(args, i + 2));
            } else {
                path.CubicTo(Point(args, i), Point(args, i + 2), Point(args, i + 4));
            }
            i += needed;
        }
        if (!path.HasCurrentPoint()) Fail("the path is empty");
        return path;
    }

    std::vector<Setting> Settings(Tokens args) const {
        std::vector<Setting> settings;
        for (const std::string& token : args) {
            const std::size_t equals = token.find('=');
            if (equals == std::string::npos || equals == 0) {
                Fail("'" + token + "' is not a setting of the form key=value");
            }
            settings.push_back({token.substr(0, equals), token.substr(equals + 1), line_});
        }
        return settings;
    }

    void Frame(Tokens args) {
        if (args.empty() || !IsName(args[0]))
            Fail("expected: frame <name> [like <frame>] key=value ...");
        PendingFrame frame{args[0], {}, {}, line_};
        std::size_t at = 1;
        if (args.size() >= 3 && args[1] == "like") {
            frame.like = args[2];
            at = 3;
        }
        frame.settings = Settings(args.subspan(at));
        pendingFrames_.push_back(std::move(frame));
    }

    void Animation(Tokens args) {
        const std::string usage = "animation <name> loop|once <frame> <ms> <frame> <ms> ...";
        if (args.size() < 4 || args.size() % 2 != 0 || (args[1] != "loop" && args[1] != "once")) {
            Fail("expected: " + usage);
        }
        if (!IsName(args[0]) || args[0].size() > agent::format::kMaxAnimationNameBytes) {
            Fail("'" + args[0] + "' is not an animation name");
        }
        AnimationSource animation{args[0], args[1] == "loop", {}, line_};
        for (std::size_t i = 2; i < args.size(); i += 2) {
            animation.steps.emplace_back(
                args[i], Integer(args[i + 1], agent::format::kMinStepMs, 65535, "a duration"));
        }
        scene_.animations.push_back(std::move(animation));
    }

    void Mouth(Tokens args) {
        if (args.empty()) Fail("expected: mouth <shape> key=value ...");
        const auto& names = agent::format::kMouthNames;
        const auto found = std::find(names.begin(), names.end(), args[0]);
        if (found == names.end()) {
            Fail("unknown mouth shape '" + args[0] + "' (Closed, Small, Medium, Wide, Round)");
        }
        std::vector<Setting>& settings =
            scene_.mouths[static_cast<std::size_t>(found - names.begin())];
        if (!settings.empty()) Fail("mouth " + args[0] + " is defined twice");
        settings = Settings(args.subspan(1));
        if (settings.empty()) Fail("mouth " + args[0] + " changes nothing");
    }

    // Checks what could only be checked once the whole source was read.
    void Finish() {
        if (scene_.name.empty()) Fail("the source has no 'character' line");
        if (scene_.width == 0) Fail("the source has no 'size' line");
        for (PendingFrame& pending : pendingFrames_) {
            line_ = pending.line;
            FrameSource frame{pending.name, {}, pending.line};
            if (FindFrame(pending.name) != nullptr)
                Fail("frame '" + pending.name + "' is defined twice");
            if (!pending.like.empty()) {
                const FrameSource* like = FindFrame(pending.like);
                if (like == nullptr) Fail("frame '" + pending.like + "' is not defined before");
                frame.pose = like->pose;
            }
            for (const Setting& setting : pending.settings) scene_.Apply(setting, frame.pose);
            scene_.frames.push_back(std::move(frame));
        }
        for (const AnimationSource& animation : scene_.animations) {
            line_ = animation.line;
            for (const auto& [frame, ms] : animation.steps) {
                if (FindFrame(frame) == nullptr) Fail("unknown frame '" + frame + "'");
            }
        }
        for (std::size_t i = 0; i < scene_.mouths.size(); ++i) {
            if (scene_.mouths[i].empty()) {
                Fail("mouth " + std::string(agent::format::kMouthNames[i]) + " is not defined");
            }
            Pose check;
            for (const Setting& setting : scene_.mouths[i]) scene_.Apply(setting, check);
        }
    }

    const FrameSource* FindFrame(const std::string& name) const {
        const auto found = std::find_if(scene_.frames.begin(), scene_.frames.end(),
                                        [&](const FrameSource& f) { return f.name == name; });
        return found == scene_.frames.end() ? nullptr : &*found;
    }

    struct PendingFrame {
        std::string name;
        std::string like;
        std::vector<Setting> settings;
        int line = 0;
    };

    Scene scene_;
    std::vector<Node*> open_;
    std::map<std::string, Paint> paints_;
    std::vector<PendingFrame> pendingFrames_;
    int line_ = 0;
};

void ApplyPart(const Setting& setting, std::string_view property, PartPose& part) {
    if (property == "rotate") {
        part.degrees = NumberOr(setting.line, setting.value, setting.key);
    } else if (property == "move") {
        part.move = ParsePair(setting.line, setting.value, false, setting.key);
    } else if (property == "scale") {
        const Vec2 scale = ParsePair(setting.line, setting.value, true, setting.key);
        part.sx = scale.x;
        part.sy = scale.y;
    } else {
        throw SourceError(setting.line,
                          "unknown setting '" + setting.key + "' (rotate, move or scale)");
    }
}

}  // namespace

SourceError::SourceError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message) {}

void Scene::Apply(const Setting& setting, Pose& pose) const {
    const std::string& key = setting.key;
    const std::size_t dot = key.find('.');
    if (dot != std::string::npos) {
        const std::string group = key.substr(0, dot);
        if (!groupPivots.contains(group)) {
            throw SourceError(setting.line, "unknown group '" + group + "'");
        }
        ApplyPart(setting, std::string_view(key).substr(dot + 1), pose.groups[group]);
    } else if (key == "opacity") {
        pose.opacity = NumberOr(setting.line, setting.value, key);
        if (pose.opacity < 0 || pose.opacity > 1) {
            throw SourceError(setting.line, "opacity goes from 0 to 1");
        }
    } else if (key == "rotate" || key == "move" || key == "scale") {
        ApplyPart(setting, key, pose.whole);
    } else if (const auto slot = slots.find(key); slot != slots.end()) {
        const std::vector<std::string>& variants = slot->second;
        if (std::find(variants.begin(), variants.end(), setting.value) == variants.end()) {
            throw SourceError(setting.line,
                              "slot '" + key + "' has no variant '" + setting.value + "'");
        }
        pose.variants[key] = setting.value;
    } else {
        throw SourceError(setting.line, "unknown setting '" + key + "'");
    }
}

bool Scene::Shows(const Pose& pose, const Node& variant) const {
    const auto chosen = pose.variants.find(variant.slot);
    if (chosen != pose.variants.end()) return chosen->second == variant.name;
    return slots.at(variant.slot).front() == variant.name;
}

Scene ParseScene(std::string_view source) {
    return SceneParser().Run(source);
}

}  // namespace charmaker
