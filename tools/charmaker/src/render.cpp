#include "render.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>
#include <stdexcept>

namespace charmaker {
namespace {

namespace format = agent::format;

Affine PartTransform(const PartPose& part, Vec2 pivot) {
    return Affine::About(pivot, part.degrees, part.sx, part.sy, part.move);
}

class PoseRenderer {
public:
    PoseRenderer(const Scene& scene, const Pose& pose)
        : scene_(scene), pose_(pose), canvas_(scene.width, scene.height, scene.samples) {}

    std::vector<std::uint8_t> Render() {
        Draw(scene_.root.children, PartTransform(pose_.whole, scene_.pivot), nullptr);
        return canvas_.ToBgra(pose_.opacity);
    }

private:
    void Draw(const std::vector<Node>& nodes, const Affine& toFrame, const Mask* mask) {
        std::optional<Mask> clip;
        const Mask* current = mask;
        for (const Node& node : nodes) {
            switch (node.kind) {
                case Node::Kind::Shape:
                    canvas_.Fill(node.outline, node.paint, toFrame, current);
                    break;
                case Node::Kind::Clip: {
                    Mask next = canvas_.Coverage(node.outline, toFrame, current);
                    clip = std::move(next);
                    current = &*clip;
                    break;
                }
                case Node::Kind::Variant:
                    if (scene_.Shows(pose_, node)) Draw(node.children, toFrame, current);
                    break;
                case Node::Kind::Group:
                    DrawGroup(node, toFrame, current);
                    break;
            }
        }
    }

    void DrawGroup(const Node& group, const Affine& toFrame, const Mask* mask) {
        const auto part = pose_.groups.find(group.name);
        const Affine placed = part == pose_.groups.end()
                                  ? toFrame
                                  : PartTransform(part->second, group.pivot).Then(toFrame);
        if (!group.mirrorOnly) Draw(group.children, placed, mask);
        if (group.mirrorX) {
            const Affine mirror = Affine::Translate({-*group.mirrorX, 0})
                                      .Then(Affine::Scale(-1, 1))
                                      .Then(Affine::Translate({*group.mirrorX, 0}));
            Draw(group.children, mirror.Then(placed), mask);
        }
    }

    const Scene& scene_;
    const Pose& pose_;
    Canvas canvas_;
};

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
    bool Empty() const { return right <= left || bottom <= top; }
};

// The smallest rectangle holding every pixel where the two pictures differ.
Rect Difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b, int width,
                int height) {
    Rect rect{width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
            if (!std::equal(a.begin() + at, a.begin() + at + 4, b.begin() + at)) {
                rect = {std::min(rect.left, x), std::min(rect.top, y), std::max(rect.right, x + 1),
                        std::max(rect.bottom, y + 1)};
            }
        }
    }
    return rect;
}

Rect Union(Rect a, Rect b) {
    if (a.Empty()) return b;
    if (b.Empty()) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

std::vector<std::uint8_t> Crop(const std::vector<std::uint8_t>& bgra, int width, Rect rect) {
    std::vector<std::uint8_t> out;
    for (int y = rect.top; y < rect.bottom; ++y) {
        const auto row = bgra.begin() + (static_cast<std::ptrdiff_t>(y) * width + rect.left) * 4;
        out.insert(out.end(), row, row + (rect.right - rect.left) * 4);
    }
    return out;
}

// Each mouth shape is cut from the character drawn with it over the Speak frames. A single
// rectangle serves all five and must hold everything any of them changes, so that pasting one
// over a Speak frame leaves no trace of the frame's own mouth.
void CutMouths(const Scene& scene, format::CharacterData& character) {
    const format::Animation* speak = character.FindAnimation(format::kSpeakAnimation);
    if (speak == nullptr) throw std::runtime_error("the animation Speak is missing");
    std::set<std::uint16_t> speakFrames;
    for (const format::AnimationStep& step : speak->steps) speakFrames.insert(step.frame);

    std::vector<std::vector<std::vector<std::uint8_t>>> drawn;  // [speak frame][mouth]
    Rect rect{0, 0, 0, 0};
    for (std::uint16_t frame : speakFrames) {
        drawn.emplace_back();
        for (const std::vector<Setting>& settings : scene.mouths) {
            Pose pose = scene.frames[frame].pose;
            for (const Setting& setting : settings) scene.Apply(setting, pose);
            drawn.back().push_back(RenderPose(scene, pose));
            rect = Union(rect, Difference(drawn.back().back(), character.frames[frame].bgra,
                                          scene.width, scene.height));
        }
    }
    if (rect.Empty()) throw std::runtime_error("the mouth shapes do not change the Speak frames");
    for (std::size_t mouth = 0; mouth < character.mouths.size(); ++mouth) {
        format::MouthOverlay& overlay = character.mouths[mouth];
        overlay = {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   Crop(drawn.front()[mouth], scene.width, rect)};
        for (std::size_t other = 1; other < drawn.size(); ++other) {
            if (Crop(drawn[other][mouth], scene.width, rect) != overlay.bgra) {
                throw std::runtime_error("the Speak frames differ around the mouth (mouth " +
                                         std::string(format::kMouthNames[mouth]) +
                                         "): keep the face still in every Speak frame");
            }
        }
    }
}

}  // namespace

std::vector<std::uint8_t> RenderPose(const Scene& scene, const Pose& pose) {
    return PoseRenderer(scene, pose).Render();
}

format::CharacterData BuildCharacter(const Scene& scene) {
    format::CharacterData character;
    character.name = scene.name;
    character.width = scene.width;
    character.height = scene.height;
    character.balloonAnchor = {static_cast<int>(std::lround(scene.anchor.x)),
                               static_cast<int>(std::lround(scene.anchor.y))};
    for (const AnimationSource& source : scene.animations) {
        format::Animation animation{source.name, source.loops, {}};
        for (const auto& [name, ms] : source.steps) {
            const auto frame = std::find_if(scene.frames.begin(), scene.frames.end(),
                                            [&](const FrameSource& f) { return f.name == name; });
            animation.steps.push_back({static_cast<std::uint16_t>(frame - scene.frames.begin()),
                                       static_cast<std::uint16_t>(ms)});
        }
        character.animations.push_back(std::move(animation));
    }
    for (std::size_t i = 0; i < scene.frames.size(); ++i) {
        const bool used = std::any_of(
            character.animations.begin(), character.animations.end(), [&](const auto& a) {
                return std::any_of(a.steps.begin(), a.steps.end(),
                                   [&](const auto& step) { return step.frame == i; });
            });
        if (!used) {
            throw SourceError(scene.frames[i].line,
                              "frame '" + scene.frames[i].name + "' is not used by any animation");
        }
        character.frames.push_back({RenderPose(scene, scene.frames[i].pose)});
    }
    CutMouths(scene, character);
    if (std::string invalid = format::ValidateCharacter(character); !invalid.empty()) {
        throw std::runtime_error(invalid);
    }
    return character;
}

}  // namespace charmaker
