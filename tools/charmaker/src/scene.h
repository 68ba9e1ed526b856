// A character source: the shapes of a character, its poses (frames), animations and mouth
// shapes, built from the text format described in characters/README.md.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "agent/core/speech_engine.h"
#include "geometry.h"
#include "raster.h"
#include "scene_description.h"

namespace charmaker {

struct Node {
    enum class Kind { Shape, Clip, Group, Variant };
    Kind kind = Kind::Shape;
    std::string name;               // Group and Variant
    std::string slot;               // Variant
    Vec2 pivot;                     // Group: where a frame rotates and scales it
    std::optional<double> mirrorX;  // Group: also drawn mirrored about this vertical line
    bool mirrorOnly = false;        // Group: drawn only mirrored ("flip" rather than "mirror")
    Outline outline;                // Shape and Clip
    Paint paint;                    // Shape
    std::vector<Node> children;     // Group and Variant; a Clip limits the children after it
};

// How a frame moves one group, or the whole character about the scene's pivot.
struct PartPose {
    double degrees = 0;
    Vec2 move;
    double sx = 1, sy = 1;
};

struct Pose {
    std::map<std::string, std::string> variants;  // slot to variant; unset slots show the first
    std::map<std::string, PartPose> groups;
    PartPose whole;
    double opacity = 1;
};

struct FrameSource {
    std::string name;
    Pose pose;
    int line = 0;
};

struct Scene {
    std::string name;
    int width = 0;
    int height = 0;
    int samples = 4;
    Vec2 anchor;  // the balloon anchor
    Vec2 pivot;   // where frames scale and rotate the whole character
    Node root;
    std::map<std::string, std::vector<std::string>> slots;  // each slot's variants, in order
    std::map<std::string, Vec2> groupPivots;
    std::vector<FrameSource> frames;
    std::vector<AnimationSource> animations;
    // Settings laid over each Speak frame to draw one mouth shape, by core::Mouth.
    std::array<std::vector<Setting>, agent::core::kMouthCount> mouths;

    // Applies one setting to a pose; throws SourceError when the setting means nothing here.
    void Apply(const Setting& setting, Pose& pose) const;
    bool Shows(const Pose& pose, const Node& variant) const;
};

// Reads the source, then builds the scene from what it says. Throws SourceError on the first
// fault in how the source is written or, failing that, in what it means.
Scene ParseScene(std::string_view source);

}  // namespace charmaker
