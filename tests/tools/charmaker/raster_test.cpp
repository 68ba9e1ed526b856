#include "raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include "agent/format/character_file.h"
#include "geometry.h"
#include "png.h"

namespace charmaker {
namespace {

const Paint kWhite{Paint::Kind::Solid, {1, 1, 1, 1}};

std::uint8_t AlphaAt(const std::vector<std::uint8_t>& bgra, int width, int x, int y) {
    return bgra[(static_cast<std::size_t>(y) * width + x) * 4 + 3];
}

double CoveredArea(const std::vector<std::uint8_t>& bgra) {
    double area = 0;
    for (std::size_t i = 3; i < bgra.size(); i += 4) area += bgra[i] / 255.0;
    return area;
}

std::vector<std::uint8_t> Draw(const Outline& outline, int samples = 4, int size = 32) {
    Canvas canvas(size, size, samples);
    canvas.Fill(outline, kWhite, {}, nullptr);
    return canvas.ToBgra(1);
}

TEST(AffineTest, InverseUndoesAndPivotStaysPut) {
    const Affine about = Affine::About({10, 20}, 33, 2, 0.5, {0, 0});
    const Vec2 pivot = about.Apply({10, 20});
    EXPECT_NEAR(pivot.x, 10, 1e-9);
    EXPECT_NEAR(pivot.y, 20, 1e-9);
    const Vec2 back = about.Inverse().Apply(about.Apply({3, -7}));
    EXPECT_NEAR(back.x, 3, 1e-9);
    EXPECT_NEAR(back.y, -7, 1e-9);
    const Vec2 turned = Affine::Rotate(90).Apply({1, 0});
    EXPECT_NEAR(turned.x, 0, 1e-9);
    EXPECT_NEAR(turned.y, 1, 1e-9) << "positive angles turn clockwise on a y-down screen";
}

TEST(CanvasTest, PixelAlignedRectangleCoversExactlyItsPixels) {
    const auto bgra = Draw({RoundedRect({2, 3}, {4, 2}, 0)}, 4, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 3 && y < 5;
            EXPECT_EQ(AlphaAt(bgra, 8, x, y), inside ? 255 : 0) << x << "," << y;
        }
    }
}

TEST(CanvasTest, EdgesAreAntiAliasedInProportionToCoverage) {
    for (const auto& [left, expected] :
         {std::pair{2.5, 128}, std::pair{2.25, 191}, std::pair{2.75, 64}}) {
        const auto bgra = Draw({RoundedRect({left, 0}, {4, 8}, 0)}, 4, 8);
        EXPECT_EQ(AlphaAt(bgra, 8, 2, 4), expected) << "left edge at " << left;
        EXPECT_EQ(AlphaAt(bgra, 8, 3, 4), 255);
    }
}

TEST(CanvasTest, CircleAreaIsKeptAtEverySamplingRate) {
    for (int samples : {1, 3, 5, 8}) {
        const double area = CoveredArea(Draw({Ellipse({16, 16}, 10, 10, 0)}, samples));
        EXPECT_NEAR(area, std::numbers::pi * 100, std::numbers::pi * 100 * 0.02) << samples;
    }
}

TEST(CanvasTest, NonzeroRuleFillsOverlapsOnceAndLeavesReversedHolesOpen) {
    Polygon outer = RoundedRect({4, 4}, {20, 20}, 0);
    Polygon inner = RoundedRect({10, 10}, {8, 8}, 0);
    const auto overlapped = Draw({outer, RoundedRect({8, 8}, {20, 20}, 0)});
    EXPECT_EQ(AlphaAt(overlapped, 32, 12, 12), 255);
    EXPECT_NEAR(CoveredArea(overlapped), 400 + 400 - 16 * 16, 0.5);
    std::reverse(inner.begin(), inner.end());
    const auto holed = Draw({outer, inner});
    EXPECT_EQ(AlphaAt(holed, 32, 14, 14), 0);
    EXPECT_NEAR(CoveredArea(holed), 400 - 64, 0.5);
}

TEST(CanvasTest, StrokesHaveTheirWidthAndRoundEnds) {
    PathBuilder path;
    path.MoveTo({6, 16});
    path.LineTo({26, 16});
    path.LineTo({26, 26});  // a right-angled corner gets a round join
    const auto bgra = Draw(path.Stroke(4));
    // Two bars less their shared square, two half-circle caps (2 pi each) and a quarter circle
    // outside the corner (pi).
    const double expected = 20 * 4 + 10 * 4 - 2 * 2 + 5 * std::numbers::pi;
    EXPECT_NEAR(CoveredArea(bgra), expected, expected * 0.02);
    EXPECT_EQ(AlphaAt(bgra, 32, 5, 15), 255) << "the cap reaches half the width past the end";
    EXPECT_EQ(AlphaAt(bgra, 32, 26, 15), 255) << "the join rounds the outer corner";
    EXPECT_EQ(AlphaAt(bgra, 32, 16, 19), 0);
}

TEST(CanvasTest, ClosedOutlinesStrokeAlongEveryEdge) {
    const auto ring = Draw(StrokeClosed({Ellipse({16, 16}, 10, 10, 0)}, 2));
    EXPECT_NEAR(CoveredArea(ring), std::numbers::pi * (121 - 81), 4);
    EXPECT_EQ(AlphaAt(ring, 32, 16, 16), 0);
}

TEST(CanvasTest, GradientsFollowTheirAxisAndShapesTheirTransform) {
    Paint ramp{Paint::Kind::Linear};
    ramp.from = {0, 0};
    ramp.to = {32, 0};
    ramp.stops = {{0, {0, 0, 0, 1}}, {1, {1, 1, 1, 1}}};
    Canvas canvas(32, 4, 2);
    canvas.Fill({RoundedRect({0, 0}, {32, 4}, 0)}, ramp, {}, nullptr);
    auto bgra = canvas.ToBgra(1);
    for (int x = 1; x < 32; ++x) EXPECT_GT(bgra[x * 4], bgra[(x - 1) * 4]) << x;
    // Moved by a transform, the shape takes its gradient along.
    Canvas moved(32, 4, 2);
    moved.Fill({RoundedRect({0, 0}, {32, 4}, 0)}, ramp, Affine::Translate({8, 0}), nullptr);
    const auto shifted = moved.ToBgra(1);
    EXPECT_EQ(shifted[(10 * 4)], bgra[2 * 4]);
}

TEST(CanvasTest, MasksClipAndOpacityScalesEveryChannel) {
    Canvas canvas(16, 16, 2);
    const Mask left = canvas.Coverage({RoundedRect({0, 0}, {8, 16}, 0)}, {}, nullptr);
    const Mask topLeft = canvas.Coverage({RoundedRect({0, 0}, {16, 8}, 0)}, {}, &left);
    const Paint red{Paint::Kind::Solid, Premultiplied(255, 0, 0, 255)};
    canvas.Fill({RoundedRect({0, 0}, {16, 16}, 0)}, red, {}, &topLeft);
    const auto half = canvas.ToBgra(0.5);
    EXPECT_NEAR(CoveredArea(half), 64 * 0.5, 0.5);
    EXPECT_EQ(AlphaAt(half, 16, 12, 4), 0);
    EXPECT_EQ(AlphaAt(half, 16, 4, 12), 0);
    const std::uint8_t* pixel = &half[(4 * 16 + 4) * 4];
    EXPECT_EQ(pixel[2], pixel[3]) << "premultiplied red equals its alpha";
    EXPECT_EQ(pixel[3], 128);
}

TEST(CanvasTest, TranslucentLayersStayPremultiplied) {
    Canvas canvas(8, 8, 3);
    canvas.Fill({Ellipse({4, 4}, 3.3, 2.1, 20)},
                {Paint::Kind::Solid, Premultiplied(250, 240, 10, 90)}, {}, nullptr);
    canvas.Fill({Ellipse({5, 3}, 2.7, 3.1, 0)},
                {Paint::Kind::Solid, Premultiplied(10, 255, 255, 200)}, {}, nullptr);
    const auto bgra = canvas.ToBgra(0.7);
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        EXPECT_LE(std::max({bgra[i], bgra[i + 1], bgra[i + 2]}), bgra[i + 3]) << i / 4;
    }
}

// Reads back a PNG written with stored deflate blocks: the chunks, their CRCs, the blocks and
// the Adler-32 must all be right for viewers to show it.
TEST(PngTest, WritesAValidUncompressedPng) {
    const int width = 150, height = 120;  // more than one stored block
    std::vector<std::uint8_t> rgba(width * height * 4);
    for (std::size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<std::uint8_t>(i * 7);
    const std::vector<std::uint8_t> png = EncodePng(width, height, rgba);
    ASSERT_EQ(std::vector<std::uint8_t>(png.begin(), png.begin() + 8),
              (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}));
    auto u32 = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
    };
    std::vector<std::uint8_t> zlib;
    std::vector<std::string> types;
    for (std::size_t at = 8; at < png.size();) {
        const std::uint32_t length = u32(at);
        types.emplace_back(png.begin() + at + 4, png.begin() + at + 8);
        const auto body = std::span(png).subspan(at + 4, length + 4);
        EXPECT_EQ(agent::format::Crc32(body), u32(at + 8 + length)) << types.back();
        if (types.back() == "IDAT") zlib.insert(zlib.end(), body.begin() + 4, body.end());
        if (types.back() == "IHDR") {
            EXPECT_EQ(u32(at + 8), std::uint32_t(width));
            EXPECT_EQ(u32(at + 12), std::uint32_t(height));
        }
        at += 12 + length;
    }
    EXPECT_EQ(types, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    std::vector<std::uint8_t> raw;
    std::size_t at = 2;
    for (bool last = false; !last;) {
        last = zlib[at] & 1;
        const std::size_t length = zlib[at + 1] | zlib[at + 2] << 8;
        EXPECT_EQ(length ^ 0xFFFF, std::size_t(zlib[at + 3] | zlib[at + 4] << 8));
        raw.insert(raw.end(), zlib.begin() + at + 5, zlib.begin() + at + 5 + length);
        at += 5 + length;
    }
    ASSERT_EQ(raw.size(), std::size_t(height) * (width * 4 + 1));
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(raw[y * (width * 4 + 1)], 0);
        EXPECT_TRUE(std::equal(rgba.begin() + y * width * 4, rgba.begin() + (y + 1) * width * 4,
                               raw.begin() + y * (width * 4 + 1) + 1));
    }
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : raw) a = (a + byte) % 65521, b = (b + a) % 65521;
    const std::size_t end = zlib.size() - 4;
    EXPECT_EQ(b << 16 | a, std::uint32_t{zlib[end]} << 24 | zlib[end + 1] << 16 |
                               zlib[end + 2] << 8 | zlib[end + 3]);
}

}  // namespace
}  // namespace charmaker
