#include "test_support/manual_scheduler.h"

#include <algorithm>

namespace vocalinka::test {

agent::core::Scheduler::Token ManualScheduler::RunAfter(int delayMs,
                                                        std::function<void()> callback) {
    const Token token = ++lastToken_;
    const long long due = now_ + std::max(delayMs, 0);
    queue_.emplace(Key{due, token}, std::move(callback));
    dueByToken_.emplace(token, due);
    return token;
}

void ManualScheduler::Cancel(Token token) {
    const auto found = dueByToken_.find(token);
    if (found == dueByToken_.end()) return;
    queue_.erase(Key{found->second, token});
    dueByToken_.erase(found);
}

void ManualScheduler::AdvanceBy(long long ms) {
    const long long target = now_ + std::max(ms, 0LL);
    while (!queue_.empty() && queue_.begin()->first.first <= target) {
        const auto first = queue_.begin();
        now_ = first->first.first;
        dueByToken_.erase(first->first.second);
        // Taken out before it runs: the callback may schedule or cancel others.
        const std::function<void()> callback = std::move(first->second);
        queue_.erase(first);
        callback();
    }
    now_ = target;
}

}  // namespace vocalinka::test
