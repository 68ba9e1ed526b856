// The character maker: its geometry and rasteriser, its PNG writer, and characters drawn from
// scenes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numbers>
#include <string>

#include "agent/format/character_file.h"
#include "geometry.h"
#include "png.h"
#include "raster.h"
#include "render.h"
#include "scene.h"
#include "tiny_source.h"

namespace charmaker {
namespace {

namespace format = agent::format;
using Bytes = std::vector<std::uint8_t>;

double CoveredArea(const Bytes& bgra) {
    double area = 0;
    for (std::size_t i = 3; i < bgra.size(); i += 4) area += bgra[i] / 255.0;
    return area;
}

Bytes Draw(const Outline& outline, int samples = 4, int size = 32) {
    Canvas canvas(size, size, samples);
    canvas.Fill(outline, {Paint::Kind::Solid, {1, 1, 1, 1}}, {}, nullptr);
    return canvas.ToBgra(1);
}

TEST(AffineTest, InverseUndoesPivotStaysAndAnglesTurnClockwise) {
    const Affine about = Affine::About({10, 20}, 33, 2, 0.5, {0, 0});
    for (const auto& [got, expected] : std::vector<std::pair<Vec2, Vec2>>{
             {about.Apply({10, 20}), {10, 20}},
             {about.Then(about.Inverse()).Apply({3, -7}), {3, -7}},
             {Affine::Rotate(90).Apply({1, 0}), {0, 1}}}) {  // clockwise on a y-down screen
        EXPECT_NEAR(got.x, expected.x, 1e-9);
        EXPECT_NEAR(got.y, expected.y, 1e-9);
    }
}

TEST(CanvasTest, RectangleEdgesCoverTheirShareOfEachPixel) {
    // A 4x2 rectangle from (2.25, 3): the alpha of each column in rows 3 and 4, none elsewhere.
    const std::array<int, 8> row = {0, 0, 191, 255, 255, 255, 64, 0};
    const Bytes bgra = Draw({RoundedRect({2.25, 3}, {4, 2}, 0)}, 4, 8);
    for (int i = 0; i < 64; ++i) {
        const int x = i % 8, y = i / 8;
        EXPECT_EQ(bgra[i * 4 + 3], y == 3 || y == 4 ? row[x] : 0) << x << "," << y;
    }
}

TEST(CanvasTest, OutlinesCoverTheirAreaAtEverySamplingRate) {
    const double pi = std::numbers::pi;
    const Polygon square = RoundedRect({4, 4}, {20, 20}, 0), circle = Ellipse({16, 16}, 10, 10, 0);
    Polygon hole = RoundedRect({10, 10}, {8, 8}, 0);
    std::reverse(hole.begin(), hole.end());
    PathBuilder path;  // a right-angled corner, with round caps and a round join
    path.MoveTo({6, 16});
    path.LineTo({26, 16});
    path.LineTo({26, 26});
    // Two bars less their shared square, two half-circle caps (2 pi each) and a quarter circle
    // outside the corner (pi); the cap reaches half the width past the end.
    const double strokeArea = 20 * 4 + 10 * 4 - 2 * 2 + 5 * pi;
    const struct {
        Outline outline;
        double area, tolerance;
    } cases[] = {
        {{circle}, pi * 100, pi * 2},
        {{square, RoundedRect({8, 8}, {20, 20}, 0)}, 400 + 400 - 256, 0.5},
        {{square, hole}, 400 - 64, 0.5},
        {StrokeClosed({circle}, 2), pi * (121 - 81), 4},
        {path.Stroke(4), strokeArea, strokeArea * 0.02},
    };
    for (const auto& c : cases) {
        for (int samples : {1, 3, 4, 8}) {
            EXPECT_NEAR(CoveredArea(Draw(c.outline, samples)), c.area, c.tolerance)
                << c.area << ", " << samples;
        }
    }
}

TEST(CanvasTest, GradientsFollowTheirAxisAndShapesTheirTransform) {
    const Paint ramp{
        Paint::Kind::Linear, {}, {0, 0}, {32, 0}, {}, {}, {{0, {0, 0, 0, 1}}, {1, {1, 1, 1, 1}}}};
    auto fill = [&](const Affine& toFrame) {
        Canvas canvas(32, 4, 2);
        canvas.Fill({RoundedRect({0, 0}, {32, 4}, 0)}, ramp, toFrame, nullptr);
        return canvas.ToBgra(1);
    };
    const Bytes bgra = fill({});
    for (int x = 1; x < 32; ++x) EXPECT_GT(bgra[x * 4], bgra[(x - 1) * 4]) << x;
    EXPECT_EQ(fill(Affine::Translate({8, 0}))[10 * 4], bgra[2 * 4]) << "the gradient moves along";
}

TEST(CanvasTest, MasksClipAndOpacityScalesEveryChannel) {
    Canvas canvas(16, 16, 2);
    const Mask left = canvas.Coverage({RoundedRect({0, 0}, {8, 16}, 0)}, {}, nullptr);
    const Mask topLeft = canvas.Coverage({RoundedRect({0, 0}, {16, 8}, 0)}, {}, &left);
    const Paint red{Paint::Kind::Solid, Premultiplied(255, 0, 0, 255)};
    canvas.Fill({RoundedRect({0, 0}, {16, 16}, 0)}, red, {}, &topLeft);
    const Bytes half = canvas.ToBgra(0.5);
    EXPECT_NEAR(CoveredArea(half), 64 * 0.5, 0.5);
    const std::uint8_t* pixel = &half[(4 * 16 + 4) * 4];
    EXPECT_EQ(pixel[2], pixel[3]) << "premultiplied red equals its alpha";
    EXPECT_EQ(pixel[3], 128);
}

// Reads back a PNG written with stored deflate blocks: the chunks, their CRCs, the blocks and
// the Adler-32 must all be right for viewers to show it.
TEST(PngTest, WritesAValidUncompressedPng) {
    const int width = 150, height = 120;  // more than one stored block
    Bytes rgba(width * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7);
    const Bytes png = EncodePng(width, height, rgba);
    auto u32 = [](const Bytes& bytes, std::size_t at) {
        return std::uint32_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
               bytes[at + 3];
    };
    ASSERT_EQ(Bytes(png.begin(), png.begin() + 8), (Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10}));
    Bytes zlib;
    std::string types;
    for (std::size_t at = 8; at < png.size(); at += 12 + u32(png, at)) {
        const auto body = std::span(png).subspan(at + 4, u32(png, at) + 4);
        types.append(body.begin(), body.begin() + 4);
        EXPECT_EQ(format::Crc32(body), u32(png, at + 4 + body.size())) << types;
        if (types.ends_with("IDAT")) zlib.assign(body.begin() + 4, body.end());
    }
    EXPECT_EQ(types, "IHDRIDATIEND");
    // Stored blocks, each length followed by its complement, hold every row behind filter 0.
    Bytes raw, rows;
    for (std::size_t at = 2, last = 0; !last;) {
        last = zlib[at] & 1;
        const std::size_t length = zlib[at + 1] | zlib[at + 2] << 8;
        EXPECT_EQ(length ^ 0xFFFF, std::size_t(zlib[at + 3] | zlib[at + 4] << 8));
        raw.insert(raw.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + length);
        at += 5 + length;
    }
    for (int y = 0; y < height; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), rgba.begin() + y * width * 4, rgba.begin() + (y + 1) * width * 4);
    }
    EXPECT_EQ(raw, rows);
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    EXPECT_EQ(u32(zlib, zlib.size() - 4), b << 16 | a);
}

// The promise the overlays make: a Speak frame with a mouth pasted on is exactly the character
// drawn in that frame's pose with that mouth.
void ExpectMouthsMatchDrawing(const Scene& scene, const format::CharacterData& character) {
    for (const format::AnimationStep& step : character.FindAnimation("Speak")->steps) {
        for (std::size_t mouth = 0; mouth < scene.mouths.size(); ++mouth) {
            std::vector<std::uint8_t> pasted = character.frames[step.frame].bgra;
            format::PasteMouth(character, static_cast<agent::core::Mouth>(mouth), pasted);
            Pose pose = scene.frames[step.frame].pose;
            for (const Setting& setting : scene.mouths[mouth]) scene.Apply(setting, pose);
            EXPECT_TRUE(pasted == RenderPose(scene, pose))
                << "frame " << scene.frames[step.frame].name << ", mouth "
                << format::kMouthNames[mouth];
        }
    }
}

TEST(BuildCharacterTest, FramesAnimationsAndMouthsComeFromTheSource) {
    const Scene scene = ParseScene(kTinySource);
    const format::CharacterData character = BuildCharacter(scene);
    ASSERT_EQ(character.frames.size(), 4u);
    EXPECT_NE(character.frames[0], character.frames[2]) << "the arm moved";
    EXPECT_EQ(character.FindAnimation("Show")->steps,
              (std::vector<format::AnimationStep>{{3, 50}, {0, 50}}));
    EXPECT_TRUE(character.FindAnimation("Idle")->loops && !character.FindAnimation("Hide")->loops);
    // The overlay holds what the mouths change, not the face around it.
    const format::MouthOverlay& mouth = character.MouthFor(agent::core::Mouth::Wide);
    EXPECT_EQ((std::array{mouth.x, mouth.y, mouth.width, mouth.height}), (std::array{6, 9, 4, 3}));
    ExpectMouthsMatchDrawing(scene, character);
    // The small frame: a quarter of the area at half the opacity.
    auto alphaSum = [&](int frame) {
        std::size_t sum = 0;
        const std::vector<std::uint8_t>& bgra = character.frames[frame].bgra;
        for (std::size_t i = 3; i < bgra.size(); i += 4) sum += bgra[i];
        return sum;
    };
    EXPECT_LT(alphaSum(3) * 6, alphaSum(0));
    EXPECT_EQ(BuildCharacter(scene), character) << "the same source, the same character";
}

TEST(BuildCharacterTest, ScenesThatWouldMakeABadCharacterAreRefused) {
    ExpectFaults(
        {
            {"opacity=0.5", "opacity=0.5\nframe spare",
             "line 23: frame 'spare' is not used by any"},
            {"arm.rotate=-40", "arm.rotate=-40 move=0,1",
             "the Speak frames differ around the mouth"},
            {"Round mouth=open", "Round mouth=open\nanimation Speak2 loop rest 100", "no error"},
            // Mouths that draw nothing new leave nothing to cut.
            {"Small mouth=open\nmouth Medium mouth=open\nmouth Wide mouth=open\nmouth Round "
             "mouth=open",
             "Small mouth=shut\nmouth Medium mouth=shut\nmouth Wide mouth=shut\nmouth Round "
             "mouth=shut",
             "the mouth shapes do not change the Speak frames"},
        },
        [](const std::string& source) { BuildCharacter(ParseScene(source)); });
}

}  // namespace
}  // namespace charmaker
