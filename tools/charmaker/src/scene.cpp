#include "scene.h"

#include <algorithm>

#include "scene_builder.h"
#include "scene_reader.h"

namespace charmaker {
namespace {

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
    return SceneBuilder().Build(SceneReader().Read(source));
}

}  // namespace charmaker
