#include "balloon_shape.h"

#include <algorithm>
#include <cmath>

namespace agent::win {
namespace {

struct Vec {
    float x;
    float y;
};
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, float s) {
    return {a.x * s, a.y * s};
}
float Dot(Vec a, Vec b) {
    return a.x * b.x + a.y * b.y;
}
float Cross(Vec a, Vec b) {
    return a.x * b.y - a.y * b.x;
}

float RoundedRectDistance(const Rect& rect, float radius, Vec p) {
    const Vec centre{(rect.left + rect.right) / 2.0f, (rect.top + rect.bottom) / 2.0f};
    const Vec half{rect.Width() / 2.0f, rect.Height() / 2.0f};
    radius = std::min({radius, half.x, half.y});
    const float qx = std::abs(p.x - centre.x) - (half.x - radius);
    const float qy = std::abs(p.y - centre.y) - (half.y - radius);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - radius;
}

float TriangleDistance(const Vec (&corners)[3], Vec p) {
    const float orientation = Cross(corners[1] - corners[0], corners[2] - corners[0]);
    float nearest = 1e30f;
    bool inside = true;
    for (int i = 0; i < 3; ++i) {
        const Vec edge = corners[(i + 1) % 3] - corners[i];
        const Vec v = p - corners[i];
        const float along = std::clamp(Dot(v, edge) / Dot(edge, edge), 0.0f, 1.0f);
        const Vec off = v - edge * along;
        nearest = std::min(nearest, Dot(off, off));
        if (Cross(edge, v) * orientation < 0) inside = false;
    }
    return inside ? -std::sqrt(nearest) : std::sqrt(nearest);
}

float Coverage(float distance) {
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

}  // namespace

float BalloonDistance(const BalloonShape& shape, float x, float y) {
    const Vec p{x, y};
    const float body = RoundedRectDistance(shape.body, static_cast<float>(shape.cornerRadius), p);
    if (shape.tailHalfWidth <= 0) return body;
    // The tail's base sits a little inside the body so that the two join without a seam.
    const float baseY =
        shape.tail == TailSide::Bottom ? shape.body.bottom - 2.0f : shape.body.top + 2.0f;
    const Vec tail[3] = {
        {static_cast<float>(shape.tailBaseX - shape.tailHalfWidth), baseY},
        {static_cast<float>(shape.tailBaseX + shape.tailHalfWidth), baseY},
        {static_cast<float>(shape.tailTip.x), static_cast<float>(shape.tailTip.y)}};
    return std::min(body, TriangleDistance(tail, p));
}

void BalloonMask::Prepare(const BalloonShape& shape, int width, int height) {
    if (shape == shape_ && width == width_ && height == height_ && !cover_.empty()) return;
    shape_ = shape;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    cover_.resize(static_cast<std::size_t>(width_) * height_);
    constexpr float kShadowStrength = 0.28f;
    constexpr float kShadowSoftness = 3.0f;
    const auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(v * 255.0f)); };
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const float px = x + 0.5f;
            const float py = y + 0.5f;
            const float distance = BalloonDistance(shape, px, py);
            const float outer = Coverage(distance);
            const float inner = Coverage(distance + shape.borderWidth);
            const float shadowDistance =
                BalloonDistance(shape, px - shape.shadowOffset, py - shape.shadowOffset);
            const float shadow =
                kShadowStrength * std::clamp(0.5f - shadowDistance / kShadowSoftness, 0.0f, 1.0f);
            cover_[static_cast<std::size_t>(y) * width_ + x] = {
                byte(outer), byte(inner), byte(outer + (1.0f - outer) * shadow)};
        }
    }
}

void BalloonMask::Apply(std::span<std::uint8_t> bgra, Colour border) const {
    if (bgra.size() < cover_.size() * 4) return;
    const unsigned borderColour[3] = {border.blue, border.green, border.red};
    for (std::size_t i = 0; i < cover_.size(); ++i) {
        const Cover& cover = cover_[i];
        std::uint8_t* pixel = &bgra[i * 4];
        for (int c = 0; c < 3; ++c) {
            const unsigned colour =
                (cover.inner * pixel[c] + (cover.outer - cover.inner) * borderColour[c] + 127) /
                255;
            pixel[c] = static_cast<std::uint8_t>(std::min<unsigned>(colour, cover.alpha));
        }
        pixel[3] = cover.alpha;
    }
}

}  // namespace agent::win
