#include "raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numbers>

#include "agent/format/character_file.h"
#include "geometry.h"
#include "png.h"

namespace charmaker {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint8_t AlphaAt(const Bytes& bgra, int width, int x, int y) {
    return bgra[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
}

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
        EXPECT_EQ(AlphaAt(bgra, 8, x, y), y == 3 || y == 4 ? row[x] : 0) << x << "," << y;
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
        EXPECT_EQ(agent::format::Crc32(body), u32(png, at + 4 + body.size())) << types;
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

}  // namespace
}  // namespace charmaker
