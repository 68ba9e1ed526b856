// Turns a character source into the character file's data: draws every frame and cuts the
// mouth overlays.
#pragma once

#include <cstdint>
#include <vector>

#include "agent/format/character_file.h"
#include "scene.h"

namespace charmaker {

// The scene drawn in one pose: premultiplied BGRA, scene.width x scene.height, rows top-down.
std::vector<std::uint8_t> RenderPose(const Scene& scene, const Pose& pose);

// Every frame and mouth shape, drawn. Throws std::runtime_error when the scene cannot make a
// sound character (a frame no animation uses, mouths that change nothing, Speak frames that
// differ around the mouth, ...).
agent::format::CharacterData BuildCharacter(const Scene& scene);

}  // namespace charmaker
