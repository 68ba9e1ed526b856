// Turns what a character source says into the scene that is drawn: the tree of shapes, the
// groups and slots frames may change, and every frame's pose.
#pragma once

#include <string>
#include <vector>

#include "line_reader.h"
#include "scene.h"
#include "scene_description.h"
#include "shape_builder.h"

namespace charmaker {

class SceneBuilder {
public:
    // Throws SourceError on the first fault in what the source means.
    Scene Build(const SceneDescription& description);

private:
    void AddItems(const std::vector<Item>& items, Node& into);
    Node PartNode(const Part& part);
    void AddFrames(const std::vector<FrameDescription>& frames);
    void CheckAnimations();
    void CheckMouths();
    const FrameSource* FindFrame(const std::string& name) const;

    Scene scene_;
    LineReader at_;
    ShapeBuilder shapes_{at_};
};

}  // namespace charmaker
