// A scheduler on a virtual clock for the Agent component's tests: time moves only when told to.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <utility>

#include "agent/core/speech_engine.h"

namespace vocalinka::test {

class ManualScheduler final : public agent::core::Scheduler {
public:
    // A negative delay counts as zero. Tokens are never 0.
    Token RunAfter(int delayMs, std::function<void()> callback) override;
    void Cancel(Token token) override;
    long long NowMs() const override { return now_; }

    // Moves the clock forward, running every callback that falls due on the way in time
    // order (those due at the same time in the order scheduled), including callbacks that
    // earlier callbacks schedule. The clock reads each callback's due time while it runs.
    void AdvanceBy(long long ms);
    // Runs what is due now, without moving the clock.
    void RunDue() { AdvanceBy(0); }
    std::size_t PendingCount() const { return queue_.size(); }

private:
    using Key = std::pair<long long, Token>;  // due time, then order of scheduling
    std::map<Key, std::function<void()>> queue_;
    std::map<Token, long long> dueByToken_;
    long long now_ = 0;
    Token lastToken_ = 0;
};

}  // namespace vocalinka::test
