// Frames as drawn on the screen (scaled for a monitor's DPI, a mouth pasted in), each made once
// and kept within a byte budget: when a new one does not fit, the least recently shown go
// first. A character moved across monitors of many DPIs, or drawn very large, never holds
// more than the budget, however many frames and mouths it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <unordered_map>
#include <vector>

namespace agent::win {

class FrameCache {
public:
    using Pixels = std::vector<std::uint8_t>;
    struct Key {
        unsigned dpi = 0;
        int frame = 0;
        int mouth = 0;  // 0: none, else the mouth's number plus one
        bool operator==(const Key&) const = default;
    };

    explicit FrameCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

    // The pixels kept for this key, else what `make` returns, kept. The reference stays valid
    // until the next call. The frame just made is kept even when it alone exceeds the budget.
    const Pixels& Get(const Key& key, const std::function<Pixels()>& make);
    void Clear();
    std::size_t Bytes() const noexcept { return bytes_; }
    std::size_t Count() const noexcept { return entries_.size(); }

private:
    struct KeyHash {
        std::size_t operator()(const Key& key) const noexcept;
    };
    struct Entry {
        Key key;
        Pixels pixels;
    };

    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::list<Entry> entries_;  // most recently shown first
    std::unordered_map<Key, std::list<Entry>::iterator, KeyHash> index_;
};

}  // namespace agent::win
