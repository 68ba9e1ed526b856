#include "agent/core/manual_scheduler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace agent::core {
namespace {

class ManualSchedulerTest : public ::testing::Test {
protected:
    // Schedules a callback that logs its name and the clock's reading.
    Scheduler::Token Note(int delayMs, std::string name) {
        return clock.RunAfter(delayMs, [this, name] {
            log.push_back(name + "@" + std::to_string(clock.NowMs()));
        });
    }

    ManualScheduler clock;
    std::vector<std::string> log;
};

TEST_F(ManualSchedulerTest, RunsDueCallbacksInTimeOrder) {
    Note(30, "c");
    Note(10, "a");
    Note(20, "b1");
    Note(20, "b2");  // same time: order of scheduling
    Note(-5, "now");
    clock.AdvanceBy(25);
    EXPECT_EQ(log, (std::vector<std::string>{"now@0", "a@10", "b1@20", "b2@20"}));
    EXPECT_EQ(clock.NowMs(), 25);
    EXPECT_EQ(clock.NextDueMs(), 30);
    clock.AdvanceBy(5);
    EXPECT_EQ(log.back(), "c@30");
    EXPECT_EQ(clock.NextDueMs(), -1);
}

TEST_F(ManualSchedulerTest, CallbacksMayScheduleAndCancel) {
    Scheduler::Token doomed = 0;
    clock.RunAfter(10, [&] {
        Note(0, "chained");
        Note(5, "later");
        Note(100, "beyond");
        clock.Cancel(doomed);
    });
    doomed = Note(10, "cancelled by the first");
    clock.AdvanceBy(20);
    EXPECT_EQ(log, (std::vector<std::string>{"chained@10", "later@15"}));
    EXPECT_EQ(clock.PendingCount(), 1u);
}

TEST_F(ManualSchedulerTest, CancelIgnoresUnknownAndFinishedTokens) {
    const auto ran = Note(0, "ran");
    const auto kept = Note(10, "kept");
    clock.RunDue();
    EXPECT_NE(ran, 0u);
    clock.Cancel(ran);
    clock.Cancel(0);
    clock.Cancel(kept + 100);
    clock.AdvanceBy(10);
    EXPECT_EQ(log, (std::vector<std::string>{"ran@0", "kept@10"}));
}

}  // namespace
}  // namespace agent::core
