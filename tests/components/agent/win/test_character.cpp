#include "test_character.h"

namespace agent::win::testing {
namespace {

std::vector<std::uint8_t> Disc(int width, int height, std::uint8_t shade) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0);
    const int radius = width / 2 - 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2;
            const int dy = y - height / 2;
            if (dx * dx + dy * dy > radius * radius) continue;
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = shade;
            p[1] = 128;
            p[2] = static_cast<std::uint8_t>(255 - shade);
            p[3] = 255;
        }
    return pixels;
}

}  // namespace

format::CharacterData MakeTestCharacter() {
    format::CharacterData c;
    c.name = "Test";
    c.width = kTestWidth;
    c.height = kTestHeight;
    c.balloonAnchor = {kTestWidth / 2, 20};
    for (int frame = 0; frame < 7; ++frame)
        c.frames.push_back({Disc(kTestWidth, kTestHeight, static_cast<std::uint8_t>(frame * 30))});
    for (int mouth = 0; mouth < core::kMouthCount; ++mouth) {
        format::MouthOverlay& overlay = c.mouths[static_cast<std::size_t>(mouth)];
        overlay.x = 24;
        overlay.y = 50;
        overlay.width = 16;
        overlay.height = 2 + 2 * mouth;
        overlay.bgra.assign(static_cast<std::size_t>(overlay.width) * overlay.height * 4, 0);
        for (std::size_t i = 3; i < overlay.bgra.size(); i += 4) overlay.bgra[i] = 255;
    }
    const auto step = [](int frame, int ms) {
        return format::AnimationStep{static_cast<std::uint16_t>(frame),
                                     static_cast<std::uint16_t>(ms)};
    };
    c.animations = {{"Show", false, {step(0, 100), step(1, 100)}},
                    {"Idle", true, {step(2, 3000), step(3, 100)}},
                    {"Hide", false, {step(4, 100), step(5, 100)}},
                    {"Speak", true, {step(6, 250)}}};
    return c;
}

std::vector<std::uint8_t> TestCharacterFile() {
    return format::WriteCharacterFile(MakeTestCharacter());
}

}  // namespace agent::win::testing
