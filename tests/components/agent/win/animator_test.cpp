#include "portable/animator.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "test_support/manual_scheduler.h"

namespace agent::win {
namespace {

using core::Mouth;

struct Shown {
    long long atMs;
    int frame;
    std::optional<Mouth> mouth;
    bool operator==(const Shown&) const = default;
};
using Frames = std::vector<Shown>;

class AnimatorTest : public ::testing::Test, public FrameSink {
protected:
    void ShowFrame(int frame, std::optional<Mouth> mouth) override {
        shown.push_back({clock.NowMs(), frame, mouth});
    }
    // Frames: 0-1 show, 2 rest, 3-4 blink, 5-6 hide, 7-8 speak.
    const AnimationSet animations{{{0, 100}, {1, 100}},
                                  {{2, 500}, {3, 80}, {4, 80}},
                                  {{5, 100}, {6, 100}},
                                  {{7, 200}, {8, 200}}};
    vocalinka::test::ManualScheduler clock;
    Frames shown;
    int done = 0;
    Animator animator{animations, clock, *this, 12345};
};

TEST_F(AnimatorTest, ShowAndHidePlayTheirFramesAndCallBackOnceThroughTheClock) {
    animator.PlayShow([&] { ++done; });
    clock.AdvanceBy(199);
    EXPECT_EQ(done, 0);  // not inside the call, nor before the last frame's time
    clock.AdvanceBy(1);
    EXPECT_EQ(done, 1);
    animator.PlayHide([&] { ++done; });
    clock.AdvanceBy(10'000);
    EXPECT_EQ(done, 2);  // and the hide ends on its last frame
    EXPECT_EQ(shown, (Frames{{0, 0, {}}, {100, 1, {}}, {200, 2, {}}, {200, 5, {}}, {300, 6, {}}}));
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST_F(AnimatorTest, IdleBlinksWithinTheBoundsAndReturnsToRest) {
    animator.Idle();
    clock.AdvanceBy(60'000);
    ASSERT_GE(shown.size(), 3 * 60'000u / (BlinkTimer::kMaxPauseMs + 160));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].frame, 2 + static_cast<int>(i % 3)) << i;  // rest, blink, blink
        if (i % 3 != 1) continue;
        EXPECT_GE(shown[i].atMs - shown[i - 1].atMs, BlinkTimer::kMinPauseMs) << i;
        EXPECT_LE(shown[i].atMs - shown[i - 1].atMs, BlinkTimer::kMaxPauseMs) << i;
    }
}

TEST_F(AnimatorTest, SpeakingLoopsBodyFramesWithTheMouthDrawnOverOnlyWhileSpeaking) {
    animator.StartSpeaking();
    animator.SetMouth(Mouth::Wide);
    clock.AdvanceBy(200);
    animator.SetMouth(Mouth::Wide);  // unchanged: nothing redrawn
    animator.SetMouth(Mouth::Round);
    animator.StopSpeaking();
    animator.SetMouth(Mouth::Wide);  // idling again: ignored
    EXPECT_EQ(shown, (Frames{{0, 7, Mouth::Closed},
                             {0, 7, Mouth::Wide},
                             {200, 8, Mouth::Wide},
                             {200, 8, Mouth::Round},
                             {200, 2, {}}}));
}

TEST_F(AnimatorTest, HaltAndDestructionLeaveNoTimerBehind) {
    animator.PlayShow([] {});
    clock.AdvanceBy(50);
    animator.Halt();
    Animator(animations, clock, *this, 1).PlayShow([] {});
    EXPECT_EQ(clock.PendingCount(), 0u);
}

}  // namespace
}  // namespace agent::win
