#include "image_scale.h"

#include <algorithm>
#include <cmath>

namespace agent::win {
namespace {

struct Tap {
    int index;
    float weight;
};

// For each destination position along one axis, the source positions it draws from.
std::vector<std::vector<Tap>> Taps(int sourceLength, int destinationLength) {
    const double ratio = static_cast<double>(sourceLength) / destinationLength;
    const double support = std::max(1.0, ratio);
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(destinationLength));
    for (int d = 0; d < destinationLength; ++d) {
        const double centre = (d + 0.5) * ratio - 0.5;
        const int first = static_cast<int>(std::floor(centre - support)) + 1;
        const int last = static_cast<int>(std::ceil(centre + support)) - 1;
        double total = 0;
        auto& row = taps[static_cast<std::size_t>(d)];
        for (int s = first; s <= last; ++s) {
            const double weight = 1.0 - std::abs(s - centre) / support;
            if (weight <= 0) continue;
            row.push_back({std::clamp(s, 0, sourceLength - 1), static_cast<float>(weight)});
            total += weight;
        }
        for (Tap& tap : row) tap.weight = static_cast<float>(tap.weight / total);
    }
    return taps;
}

}  // namespace

std::vector<std::uint8_t> ScaleBgra(std::span<const std::uint8_t> source, int width, int height,
                                    int newWidth, int newHeight) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0 ||
        source.size() != static_cast<std::size_t>(width) * height * 4) {
        return {};
    }
    if (newWidth == width && newHeight == height) return {source.begin(), source.end()};

    // Rows first into floats, then columns, so each pass is one-dimensional.
    const auto across = Taps(width, newWidth);
    std::vector<float> middle(static_cast<std::size_t>(newWidth) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < newWidth; ++x) {
            float sum[4] = {};
            for (const Tap& tap : across[static_cast<std::size_t>(x)]) {
                const std::uint8_t* p =
                    &source[(static_cast<std::size_t>(y) * width + tap.index) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += tap.weight * p[c];
            }
            float* out = &middle[(static_cast<std::size_t>(y) * newWidth + x) * 4];
            std::copy(sum, sum + 4, out);
        }
    }

    const auto down = Taps(height, newHeight);
    std::vector<std::uint8_t> result(static_cast<std::size_t>(newWidth) * newHeight * 4);
    for (int y = 0; y < newHeight; ++y) {
        for (int x = 0; x < newWidth; ++x) {
            float sum[4] = {};
            for (const Tap& tap : down[static_cast<std::size_t>(y)]) {
                const float* p = &middle[(static_cast<std::size_t>(tap.index) * newWidth + x) * 4];
                for (int c = 0; c < 4; ++c) sum[c] += tap.weight * p[c];
            }
            std::uint8_t* out = &result[(static_cast<std::size_t>(y) * newWidth + x) * 4];
            const auto alpha = static_cast<std::uint8_t>(std::clamp(std::lround(sum[3]), 0L, 255L));
            for (int c = 0; c < 3; ++c) {
                out[c] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(sum[c]), 0L, long{alpha}));
            }
            out[3] = alpha;
        }
    }
    return result;
}

int ScaleForDpi(int length, unsigned dpi) {
    if (length <= 0) return 0;
    const long long scaled = (static_cast<long long>(length) * dpi + 48) / 96;
    return static_cast<int>(std::max(1LL, scaled));
}

}  // namespace agent::win
