#include "portable/animator.h"

#include <agent/core/manual_scheduler.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace agent::win {
namespace {

using core::Mouth;

struct Shown {
    long long atMs;
    int frame;
    std::optional<Mouth> mouth;
    bool operator==(const Shown&) const = default;
};

class AnimatorTest : public ::testing::Test, public FrameSink {
protected:
    void ShowFrame(int frame, std::optional<Mouth> mouth) override {
        shown.push_back({clock.NowMs(), frame, mouth});
    }
    // Frames: 0-1 show, 2 rest, 3-4 blink, 5-6 hide, 7-8 speak.
    static AnimationSet TestAnimations() {
        return {{{0, 100}, {1, 100}},
                {{2, 500}, {3, 80}, {4, 80}},
                {{5, 100}, {6, 100}},
                {{7, 200}, {8, 200}}};
    }

    core::ManualScheduler clock;
    std::vector<Shown> shown;
    Animator animator{TestAnimations(), clock, *this, 12345};
};

TEST_F(AnimatorTest, ShowAndHidePlayTheirFramesAndCallBackOnceThroughTheClock) {
    int done = 0;
    animator.PlayShow([&] { ++done; });
    clock.AdvanceBy(199);
    EXPECT_EQ(done, 0);  // not inside the call, nor before the last frame's time
    clock.AdvanceBy(1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(animator.CurrentState(), Animator::State::Idling);
    EXPECT_EQ(shown, (std::vector<Shown>{{0, 0, {}}, {100, 1, {}}, {200, 2, {}}}));

    shown.clear();
    animator.PlayHide([&] { ++done; });
    clock.AdvanceBy(10'000);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(animator.CurrentState(), Animator::State::Still);
    EXPECT_EQ(shown, (std::vector<Shown>{{200, 5, {}}, {300, 6, {}}}));  // ends on its last
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST_F(AnimatorTest, IdleBlinksWithinTheBoundsAndReturnsToRest) {
    animator.Idle();
    clock.AdvanceBy(60'000);
    ASSERT_GE(shown.size(), 3 * 60'000u / (BlinkTimer::kMaxPauseMs + 160));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].frame, 2 + static_cast<int>(i % 3)) << i;  // rest, blink, blink
        if (i % 3 == 1) {
            const long long rested = shown[i].atMs - shown[i - 1].atMs;
            EXPECT_GE(rested, BlinkTimer::kMinPauseMs);
            EXPECT_LE(rested, BlinkTimer::kMaxPauseMs);
        }
    }
}

TEST(BlinkTimerTest, AZeroSeedStillVaries) {  // xorshift would stick at zero
    BlinkTimer timer(0);
    EXPECT_NE(timer.NextPauseMs(), timer.NextPauseMs());
}

TEST_F(AnimatorTest, SpeakingLoopsBodyFramesWithTheMouthDrawnOverOnlyWhileSpeaking) {
    animator.StartSpeaking();
    animator.SetMouth(Mouth::Wide);
    clock.AdvanceBy(200);
    animator.SetMouth(Mouth::Wide);  // unchanged: nothing redrawn
    animator.SetMouth(Mouth::Round);
    animator.StopSpeaking();
    animator.SetMouth(Mouth::Wide);  // idling again: ignored
    const std::vector<Shown> expected{{0, 7, Mouth::Closed},
                                      {0, 7, Mouth::Wide},
                                      {200, 8, Mouth::Wide},
                                      {200, 8, Mouth::Round},
                                      {200, 2, {}}};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(animator.CurrentState(), Animator::State::Idling);
}

TEST_F(AnimatorTest, HaltCancelsEverythingAndNoCallbackFollows) {
    int done = 0;
    animator.PlayShow([&] { ++done; });
    clock.AdvanceBy(50);
    animator.Halt();
    const std::size_t before = shown.size();
    clock.AdvanceBy(60'000);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(shown.size(), before);
    EXPECT_EQ(clock.PendingCount(), 0u);
    {
        Animator destroyed(TestAnimations(), clock, *this, 1);
        destroyed.PlayShow([&] { ++done; });
    }
    EXPECT_EQ(clock.PendingCount(), 0u);  // destroying an animator cancels its timers
}

TEST_F(AnimatorTest, EmptyAnimationsStillFinishThroughTheScheduler) {
    Animator empty({}, clock, *this, 1);
    int showed = 0, hid = 0;
    empty.PlayShow([&] { ++showed; });
    empty.Idle();  // replaces the show: its callback never runs
    empty.PlayHide([&] { ++hid; });
    EXPECT_EQ(hid, 0);
    clock.AdvanceBy(100);
    EXPECT_EQ(showed, 0);
    EXPECT_EQ(hid, 1);
    empty.StartSpeaking();
    empty.SetMouth(Mouth::Wide);
    EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace agent::win
