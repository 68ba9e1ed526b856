#include "scene_builder.h"

#include <algorithm>
#include <variant>

#include "agent/format/character_file.h"

namespace charmaker {

Scene SceneBuilder::Build(const SceneDescription& description) {
    scene_.name = description.name;
    scene_.width = description.width;
    scene_.height = description.height;
    scene_.samples = description.samples;
    scene_.anchor = description.anchor;
    scene_.pivot = description.pivot;
    scene_.root.kind = Node::Kind::Group;
    AddItems(description.items, scene_.root);
    at_.MoveTo(description.lastLine);
    if (scene_.name.empty()) at_.Fail("the source has no 'character' line");
    if (scene_.width == 0) at_.Fail("the source has no 'size' line");
    AddFrames(description.frames);
    scene_.animations = description.animations;
    CheckAnimations();
    scene_.mouths = description.mouths;
    CheckMouths();
    return std::move(scene_);
}

void SceneBuilder::AddItems(const std::vector<Item>& items, Node& into) {
    for (const Item& item : items) {
        at_.MoveTo(item.line);
        if (const auto* colour = std::get_if<ColourDefinition>(&item.what)) {
            shapes_.Define(*colour);
        } else if (const auto* gradient = std::get_if<GradientDefinition>(&item.what)) {
            shapes_.Define(*gradient);
        } else if (const auto* filled = std::get_if<FilledShape>(&item.what)) {
            for (Node& node : shapes_.Filled(*filled)) into.children.push_back(std::move(node));
        } else if (const auto* stroke = std::get_if<StrokedPath>(&item.what)) {
            into.children.push_back(shapes_.Stroked(*stroke));
        } else if (const auto* clip = std::get_if<ClipShape>(&item.what)) {
            into.children.push_back(shapes_.Clip(*clip));
        } else {
            into.children.push_back(PartNode(std::get<Part>(item.what)));
        }
    }
}

Node SceneBuilder::PartNode(const Part& part) {
    Node node;
    if (part.slot.empty()) {
        if (!scene_.groupPivots.emplace(part.name, part.pivot).second) {
            at_.Fail("group '" + part.name + "' is defined twice");
        }
        node = {Node::Kind::Group, part.name, {}, part.pivot, part.mirrorX, part.mirrorOnly};
    } else {
        // A variant may appear in several places; its slot lists it once.
        std::vector<std::string>& variants = scene_.slots[part.slot];
        if (std::find(variants.begin(), variants.end(), part.name) == variants.end()) {
            variants.push_back(part.name);
        }
        node = {Node::Kind::Variant, part.name, part.slot};
    }
    AddItems(part.children, node);
    return node;
}

void SceneBuilder::AddFrames(const std::vector<FrameDescription>& frames) {
    for (const FrameDescription& description : frames) {
        at_.MoveTo(description.line);
        FrameSource frame{description.name, {}, description.line};
        if (FindFrame(description.name) != nullptr) {
            at_.Fail("frame '" + description.name + "' is defined twice");
        }
        if (!description.like.empty()) {
            const FrameSource* like = FindFrame(description.like);
            if (like == nullptr) at_.Fail("frame '" + description.like + "' is not defined before");
            frame.pose = like->pose;
        }
        for (const Setting& setting : description.settings) scene_.Apply(setting, frame.pose);
        scene_.frames.push_back(std::move(frame));
    }
}

void SceneBuilder::CheckAnimations() {
    for (const AnimationSource& animation : scene_.animations) {
        at_.MoveTo(animation.line);
        for (const auto& [frame, ms] : animation.steps) {
            if (FindFrame(frame) == nullptr) at_.Fail("unknown frame '" + frame + "'");
        }
    }
}

// A missing mouth has no line of its own: it is reported at the last line looked at.
void SceneBuilder::CheckMouths() {
    for (std::size_t i = 0; i < scene_.mouths.size(); ++i) {
        if (scene_.mouths[i].empty()) {
            at_.Fail("mouth " + std::string(agent::format::kMouthNames[i]) + " is not defined");
        }
        Pose check;
        for (const Setting& setting : scene_.mouths[i]) scene_.Apply(setting, check);
    }
}

const FrameSource* SceneBuilder::FindFrame(const std::string& name) const {
    const auto found = std::find_if(scene_.frames.begin(), scene_.frames.end(),
                                    [&](const FrameSource& f) { return f.name == name; });
    return found == scene_.frames.end() ? nullptr : &*found;
}

}  // namespace charmaker
