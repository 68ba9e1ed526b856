#include "frame_cache.h"

#include <utility>

namespace agent::win {

std::size_t FrameCache::KeyHash::operator()(const Key& key) const noexcept {
    std::size_t hash = key.dpi;
    hash = hash * 1'000'003u + static_cast<std::size_t>(key.frame);
    return hash * 31u + static_cast<std::size_t>(key.mouth);
}

const FrameCache::Pixels& FrameCache::Get(const Key& key, const std::function<Pixels()>& make) {
    if (const auto found = index_.find(key); found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return found->second->pixels;
    }
    Pixels pixels = make();
    const std::size_t size = pixels.size();
    while (!entries_.empty() && bytes_ + size > budget_) {
        bytes_ -= entries_.back().pixels.size();
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    entries_.push_front({key, std::move(pixels)});
    index_.emplace(key, entries_.begin());
    bytes_ += size;
    return entries_.front().pixels;
}

void FrameCache::Clear() {
    index_.clear();
    entries_.clear();
    bytes_ = 0;
}

}  // namespace agent::win
