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

class RecordingSink final : public FrameSink {
public:
    explicit RecordingSink(core::ManualScheduler& clock) : clock_(clock) {}
    void ShowFrame(int frame, std::optional<Mouth> mouth) override {
        shown.push_back({clock_.NowMs(), frame, mouth});
    }
    std::vector<Shown> shown;

private:
    core::ManualScheduler& clock_;
};

// Frames: 0-1 show, 2 rest, 3-4 blink, 5-6 hide, 7-8 speak.
AnimationSet TestAnimations() {
    return {{{0, 100}, {1, 100}},
            {{2, 500}, {3, 80}, {4, 80}},
            {{5, 100}, {6, 100}},
            {{7, 200}, {8, 200}}};
}

class AnimatorTest : public ::testing::Test {
protected:
    core::ManualScheduler clock;
    RecordingSink sink{clock};
    Animator animator{TestAnimations(), clock, sink, 12345};
};

TEST_F(AnimatorTest, ShowPlaysItsFramesThenIdles) {
    int done = 0;
    animator.PlayShow([&] { ++done; });
    EXPECT_EQ(done, 0);  // never inside the call
    clock.AdvanceBy(199);
    EXPECT_EQ(done, 0);
    clock.AdvanceBy(1);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(animator.CurrentState(), Animator::State::Idling);
    const std::vector<Shown> expected{{0, 0, {}}, {100, 1, {}}, {200, 2, {}}};
    EXPECT_EQ(sink.shown, expected);
}

TEST_F(AnimatorTest, HideEndsOnItsLastFrameAndStaysStill) {
    int done = 0;
    animator.PlayHide([&] { ++done; });
    clock.AdvanceBy(10'000);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(animator.CurrentState(), Animator::State::Still);
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown.back().frame, 6);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST_F(AnimatorTest, IdleBlinksWithinTheBoundsAndReturnsToRest) {
    animator.Idle();
    clock.AdvanceBy(60'000);
    std::vector<long long> blinkStarts;
    for (std::size_t i = 0; i < sink.shown.size(); ++i) {
        if (sink.shown[i].frame == 3) blinkStarts.push_back(sink.shown[i].atMs);
        if (sink.shown[i].frame == 4) {
            ASSERT_LT(i + 1, sink.shown.size());
            EXPECT_EQ(sink.shown[i + 1].frame, 2);  // back to rest after every blink
        }
    }
    ASSERT_GE(blinkStarts.size(), 60'000u / (BlinkTimer::kMaxPauseMs + 160));
    long long restStart = 0;
    for (long long start : blinkStarts) {
        EXPECT_GE(start - restStart, BlinkTimer::kMinPauseMs);
        EXPECT_LE(start - restStart, BlinkTimer::kMaxPauseMs);
        restStart = start + 160;
    }
}

TEST(BlinkTimerTest, SameSeedSameRhythmOtherSeedOtherRhythm) {
    BlinkTimer a(7), b(7), c(8);
    std::vector<int> first, second, third;
    for (int i = 0; i < 20; ++i) {
        first.push_back(a.NextPauseMs());
        second.push_back(b.NextPauseMs());
        third.push_back(c.NextPauseMs());
    }
    EXPECT_EQ(first, second);
    EXPECT_NE(first, third);
    BlinkTimer zero(0);  // a zero seed would stick at zero in xorshift
    EXPECT_NE(zero.NextPauseMs(), zero.NextPauseMs());
}

TEST_F(AnimatorTest, SpeakingLoopsBodyFramesWithTheMouthDrawnOver) {
    animator.StartSpeaking();
    animator.SetMouth(Mouth::Wide);
    clock.AdvanceBy(200);
    animator.SetMouth(Mouth::Wide);  // unchanged: nothing redrawn
    animator.SetMouth(Mouth::Round);
    const std::vector<Shown> expected{
        {0, 7, Mouth::Closed}, {0, 7, Mouth::Wide}, {200, 8, Mouth::Wide}, {200, 8, Mouth::Round}};
    EXPECT_EQ(sink.shown, expected);
    animator.StopSpeaking();
    EXPECT_EQ(animator.CurrentState(), Animator::State::Idling);
    EXPECT_EQ(sink.shown.back(), (Shown{200, 2, {}}));
}

TEST_F(AnimatorTest, MouthIsIgnoredWhenNotSpeaking) {
    animator.Idle();
    animator.SetMouth(Mouth::Wide);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_FALSE(sink.shown[0].mouth.has_value());
}

TEST_F(AnimatorTest, HaltCancelsEverythingAndNoCallbackFollows) {
    int done = 0;
    animator.PlayShow([&] { ++done; });
    clock.AdvanceBy(50);
    animator.Halt();
    const std::size_t before = sink.shown.size();
    clock.AdvanceBy(60'000);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(sink.shown.size(), before);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST(AnimatorEdgeTest, EmptyAnimationsStillFinishThroughTheScheduler) {
    core::ManualScheduler clock;
    RecordingSink sink{clock};
    Animator animator({}, clock, sink, 1);
    int shown = 0, hidden = 0;
    animator.PlayShow([&] { ++shown; });
    animator.Idle();  // replaces the show: its callback never runs
    animator.PlayHide([&] { ++hidden; });
    EXPECT_EQ(hidden, 0);
    clock.AdvanceBy(100);
    EXPECT_EQ(shown, 0);
    EXPECT_EQ(hidden, 1);
    animator.StartSpeaking();
    animator.SetMouth(Mouth::Wide);
    EXPECT_TRUE(sink.shown.empty());
}

TEST(AnimatorEdgeTest, DestroyingTheAnimatorCancelsItsTimers) {
    core::ManualScheduler clock;
    RecordingSink sink{clock};
    {
        Animator animator(TestAnimations(), clock, sink, 1);
        animator.PlayShow([] {});
    }
    EXPECT_EQ(clock.PendingCount(), 0u);
    clock.AdvanceBy(1000);
}

}  // namespace
}  // namespace agent::win
