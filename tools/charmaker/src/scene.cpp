#include "scene.h"

#include <algorithm>

#include "agent/format/character_file.h"
#include "shape_reader.h"

namespace charmaker {
namespace {

class SceneParser {
public:
    Scene Run(std::string_view source) {
        scene_.root.kind = Node::Kind::Group;
        open_.push_back(&scene_.root);
        for (const Line& line : Tokenize(source)) {
            reader_.MoveTo(line.number);
            Statement(line.tokens.front(), Tokens(line.tokens).subspan(1));
        }
        if (open_.size() > 1) {
            reader_.Fail("'" + open_.back()->name + "' is not closed by 'end'");
        }
        Finish();
        return std::move(scene_);
    }

private:
    void Statement(const std::string& keyword, Tokens args) {
        if (keyword == "character") {
            reader_.Count(args, 1, 1, "character <name>");
            scene_.name = args[0];
        } else if (keyword == "size") {
            reader_.Count(args, 2, 2, "size <width> <height>");
            scene_.width = reader_.Integer(args[0], 1, agent::format::kMaxFrameSide, "the width");
            scene_.height = reader_.Integer(args[1], 1, agent::format::kMaxFrameSide, "the height");
        } else if (keyword == "samples") {
            reader_.Count(args, 1, 1, "samples <1 to 8>");
            scene_.samples = reader_.Integer(args[0], 1, 8, "samples");
        } else if (keyword == "anchor") {
            reader_.Count(args, 2, 2, "anchor <x> <y>");
            scene_.anchor = reader_.Point(args, 0);
        } else if (keyword == "pivot") {
            reader_.Count(args, 2, 2, "pivot <x> <y>");
            scene_.pivot = reader_.Point(args, 0);
        } else if (keyword == "colour") {
            reader_.Count(args, 2, 2, "colour <name> <#rrggbb[aa]>");
            shapes_.Define(args[0], {Paint::Kind::Solid, shapes_.Colour(args[1])});
        } else if (keyword == "gradient") {
            shapes_.Gradient(args);
        } else if (keyword == "group") {
            Group(args);
        } else if (keyword == "variant") {
            reader_.Count(args, 2, 2, "variant <slot> <name>");
            if (!IsName(args[0]) || !IsName(args[1])) {
                reader_.Fail("slot and variant need plain names");
            }
            std::vector<std::string>& variants = scene_.slots[args[0]];
            if (std::find(variants.begin(), variants.end(), args[1]) == variants.end()) {
                variants.push_back(args[1]);
            }
            Open({Node::Kind::Variant, args[1], args[0]});
        } else if (keyword == "end") {
            reader_.Count(args, 0, 0, "end");
            if (open_.size() == 1) reader_.Fail("'end' without 'group' or 'variant'");
            open_.pop_back();
        } else if (keyword == "clip") {
            if (args.empty()) reader_.Fail("expected: clip <shape> <numbers...>");
            Node clip{Node::Kind::Clip};
            clip.outline = shapes_.Shape(args[0], args.subspan(1));
            Add(std::move(clip));
        } else if (keyword == "stroke") {
            if (args.size() < 4) reader_.Fail("expected: stroke <paint> <width> <path...>");
            Node node{Node::Kind::Shape};
            node.paint = shapes_.PaintOf(args[0]);
            node.outline = shapes_.Path(args.subspan(2)).Stroke(reader_.Number(args[1]));
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
        if (shape.empty()) reader_.Fail("unknown statement '" + kind + "'");
        Node node{Node::Kind::Shape};
        node.paint = shapes_.PaintOf(shape[0]);
        node.outline = shapes_.Shape(kind, shape.subspan(1));
        Node edge{Node::Kind::Shape};
        if (line != args.end()) {
            if (args.end() - line != 3) reader_.Fail("expected: ... line <paint> <width>");
            edge.paint = shapes_.PaintOf(line[1]);
            edge.outline = StrokeClosed(node.outline, reader_.Number(line[2]));
        }
        Add(std::move(node));
        if (!edge.outline.empty()) Add(std::move(edge));
    }

    void Group(Tokens args) {
        const std::string usage = "group <name> [pivot <x> <y>] [mirror <x> | flip <x>]";
        if (args.empty() || !IsName(args[0])) reader_.Fail("expected: " + usage);
        Node node{Node::Kind::Group, args[0]};
        node.pivot = {scene_.width / 2.0, scene_.height / 2.0};
        for (std::size_t i = 1; i < args.size();) {
            if (args[i] == "pivot" && i + 2 < args.size()) {
                node.pivot = reader_.Point(args, i + 1);
                i += 3;
            } else if ((args[i] == "mirror" || args[i] == "flip") && i + 1 < args.size()) {
                node.mirrorX = reader_.Number(args[i + 1]);
                node.mirrorOnly = args[i] == "flip";
                i += 2;
            } else {
                reader_.Fail("expected: " + usage);
            }
        }
        if (!scene_.groupPivots.emplace(node.name, node.pivot).second) {
            reader_.Fail("group '" + node.name + "' is defined twice");
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

    void Frame(Tokens args) {
        if (args.empty() || !IsName(args[0])) {
            reader_.Fail("expected: frame <name> [like <frame>] key=value ...");
        }
        PendingFrame frame{args[0], {}, {}, reader_.CurrentLine()};
        std::size_t at = 1;
        if (args.size() >= 3 && args[1] == "like") {
            frame.like = args[2];
            at = 3;
        }
        frame.settings = reader_.Settings(args.subspan(at));
        pendingFrames_.push_back(std::move(frame));
    }

    void Animation(Tokens args) {
        const std::string usage = "animation <name> loop|once <frame> <ms> <frame> <ms> ...";
        if (args.size() < 4 || args.size() % 2 != 0 || (args[1] != "loop" && args[1] != "once")) {
            reader_.Fail("expected: " + usage);
        }
        if (!IsName(args[0]) || args[0].size() > agent::format::kMaxAnimationNameBytes) {
            reader_.Fail("'" + args[0] + "' is not an animation name");
        }
        AnimationSource animation{args[0], args[1] == "loop", {}, reader_.CurrentLine()};
        for (std::size_t i = 2; i < args.size(); i += 2) {
            animation.steps.emplace_back(
                args[i],
                reader_.Integer(args[i + 1], agent::format::kMinStepMs, 65535, "a duration"));
        }
        scene_.animations.push_back(std::move(animation));
    }

    void Mouth(Tokens args) {
        if (args.empty()) reader_.Fail("expected: mouth <shape> key=value ...");
        const auto& names = agent::format::kMouthNames;
        const auto found = std::find(names.begin(), names.end(), args[0]);
        if (found == names.end()) {
            reader_.Fail("unknown mouth shape '" + args[0] +
                         "' (Closed, Small, Medium, Wide, Round)");
        }
        std::vector<Setting>& settings =
            scene_.mouths[static_cast<std::size_t>(found - names.begin())];
        if (!settings.empty()) reader_.Fail("mouth " + args[0] + " is defined twice");
        settings = reader_.Settings(args.subspan(1));
        if (settings.empty()) reader_.Fail("mouth " + args[0] + " changes nothing");
    }

    // Checks what could only be checked once the whole source was read.
    void Finish() {
        if (scene_.name.empty()) reader_.Fail("the source has no 'character' line");
        if (scene_.width == 0) reader_.Fail("the source has no 'size' line");
        for (PendingFrame& pending : pendingFrames_) {
            reader_.MoveTo(pending.line);
            FrameSource frame{pending.name, {}, pending.line};
            if (FindFrame(pending.name) != nullptr) {
                reader_.Fail("frame '" + pending.name + "' is defined twice");
            }
            if (!pending.like.empty()) {
                const FrameSource* like = FindFrame(pending.like);
                if (like == nullptr) {
                    reader_.Fail("frame '" + pending.like + "' is not defined before");
                }
                frame.pose = like->pose;
            }
            for (const Setting& setting : pending.settings) scene_.Apply(setting, frame.pose);
            scene_.frames.push_back(std::move(frame));
        }
        for (const AnimationSource& animation : scene_.animations) {
            reader_.MoveTo(animation.line);
            for (const auto& [frame, ms] : animation.steps) {
                if (FindFrame(frame) == nullptr) reader_.Fail("unknown frame '" + frame + "'");
            }
        }
        for (std::size_t i = 0; i < scene_.mouths.size(); ++i) {
            if (scene_.mouths[i].empty()) {
                reader_.Fail("mouth " + std::string(agent::format::kMouthNames[i]) +
                             " is not defined");
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
    LineReader reader_;
    ShapeReader shapes_{reader_};
    std::vector<PendingFrame> pendingFrames_;
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
