#include "agent/core/request_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "test_support/manual_scheduler.h"
#include "test_support/script_log.h"

namespace agent::core {
namespace {

// The window side and the program in one: every action and event is noted in order. It also
// checks that the speech is held and resumed only as a window side can follow.
class Character final : public CharacterActions, public QueueEvents {
public:
    void BeginShow() override { Note("BeginShow"); }
    void BeginHide() override { Note("BeginHide"); }
    void BeginSpeak(SharedUtterance utterance) override {
        EXPECT_FALSE(held) << "a Speak begins held";
        const std::u16string shown = utterance->ShownText();  // ASCII in these tests
        const int speed = utterance->segments.front().prosody.speedWpm;
        Note("BeginSpeak " + std::string(shown.begin(), shown.end()) +
             (speed == kNormalSpeedWpm ? "" : " at " + std::to_string(speed)));
        if (shown == u"Huge") throw std::bad_alloc();  // as a text too big for memory would
    }
    void CloseBalloon() override { Note("CloseBalloon"); }
    void CancelCurrent() override {
        held = false;
        Note("CancelCurrent");
    }
    void HideAtOnce() override { Note("HideAtOnce"); }
    void PauseSpeech() override {
        EXPECT_FALSE(std::exchange(held, true)) << "paused twice";
        Note("PauseSpeech");
    }
    void ResumeSpeech() override {
        EXPECT_TRUE(std::exchange(held, false)) << "resumed without a pause";
        Note("ResumeSpeech");
    }
    void ChangeRate(int speedWpm) override { Note("ChangeRate " + std::to_string(speedWpm)); }
    void RaiseBalloonHide() override { Note("BalloonHide"); }
    void RaiseHide(int cause) override { Note("Hide " + std::to_string(cause)); }
    void Note(const std::string& what) {
        script.Note(what);
        balloonHides += what == "BalloonHide";
        if (then) then(what);
    }

    vocalinka::test::ScriptLog script;  // what happened, as the scripts below write it
    long balloonHides = 0;
    bool held = false;                             // the running Speak's speech is paused
    std::function<void(const std::string&)> then;  // may call back into the queue
};

class RequestQueueTest : public ::testing::Test {
protected:
    // Plays a script as ScriptLog writes them. Steps: show, hide, speak <word>, stop, complete,
    // user-hide, pause, resume, rate <wpm>, paused? (notes "paused" or "not paused"), run (what
    // is due now), wait <ms>.
    std::string Play(const std::string& script) {
        const std::map<std::string, std::function<void(const std::string&)>> steps = {
            {"show", [&](auto&) { queue.Show(); }},
            {"hide", [&](auto&) { queue.Hide(); }},
            {"speak", [&](auto& word) { queue.Speak(std::u16string(word.begin(), word.end())); }},
            {"stop", [&](auto&) { queue.Stop(); }},
            {"complete", [&](auto&) { queue.Complete(); }},
            {"user-hide", [&](auto&) { queue.UserHid(kHideCauseUserMenu); }},
            {"pause", [&](auto&) { queue.Pause(); }},
            {"resume", [&](auto&) { queue.Resume(); }},
            {"rate", [&](auto& wpm) { queue.SetRate(std::stoi(wpm)); }},
            {"paused?", [&](auto&) { character.Note(queue.IsPaused() ? "paused" : "not paused"); }},
            {"run", [&](auto&) { clock.RunDue(); }},
            {"wait", [&](auto& ms) { clock.AdvanceBy(std::stoll(ms)); }}};
        return character.script.Play(script, [&](auto& step, auto& argument) {
            ASSERT_TRUE(steps.contains(step)) << "unknown step " << step;
            steps.at(step)(argument);
        });
    }

    vocalinka::test::ManualScheduler clock;
    Character character;
    RequestQueue queue{clock, character, character};
};

TEST_F(RequestQueueTest, Scenarios) {
    static_assert(kBalloonLingerMs == 2000, "the scripts wait for the linger");
    const std::vector<std::pair<const char*, std::string>> scripts = {
        {"in order; the balloon lingers before the hide",
         "show | speak Hello | hide | run: BeginShow | complete | run: BeginSpeak Hello | "
         "complete | wait 1999 | wait 1: CloseBalloon, BalloonHide, BeginHide | complete: Hide 3"},
        {"hide of a hidden character still raises Hide; speak does not show",
         "hide | speak Hi | run: Hide 3, BeginSpeak Hi"},
        {"speaking nothing raises BalloonHide in its turn",
         "speak | speak \\Spd=90\\ | speak Hi | run: BalloonHide, BalloonHide, BeginSpeak Hi | "
         "complete | wait 2000: CloseBalloon, BalloonHide"},
        {"a waiting speak cuts the linger short",
         "speak One | speak Two | run: BeginSpeak One | complete | "
         "run: CloseBalloon, BalloonHide, BeginSpeak Two | complete | run | speak Three | "
         "run: CloseBalloon, BalloonHide, BeginSpeak Three"},
        {"stop cancels the running and every pending request",
         "show | run: BeginShow | complete | speak One | hide | speak Two | show | "
         "run: BeginSpeak One | stop: CancelCurrent, BalloonHide, BalloonHide | run | complete | "
         "wait 2000"},
        {"stop of a running hide raises nothing and the character stays",
         "show | run: BeginShow | complete | hide | run: BeginHide | stop: CancelCurrent | hide | "
         "run: BeginHide | complete: Hide 3"},
        {"the user hides a speaking character with requests waiting",
         "show | run: BeginShow | complete | speak One | speak Two | show | run: BeginSpeak One | "
         "user-hide: CancelCurrent, BalloonHide, BalloonHide, HideAtOnce, Hide 7 | run | show | "
         "run: BeginShow"},
        {"a speak that runs out of memory fails alone and the next one runs",
         "show | run: BeginShow | complete | speak Huge | speak Hi | "
         "run: BeginSpeak Huge, CancelCurrent, BalloonHide, BeginSpeak Hi | complete | "
         "wait 2000: CloseBalloon, BalloonHide"},
        {"late and doubled completions are ignored",
         "complete | show | speak Hi | run: BeginShow | complete | complete | "
         "run: BeginSpeak Hi | complete | complete | wait 2000: CloseBalloon, BalloonHide"},
        {"pause holds the running speak, resume goes on; both only once",
         "speak One | run: BeginSpeak One | pause: PauseSpeech | pause | paused?: paused | "
         "wait 60000 | resume: ResumeSpeech | resume | paused?: not paused | complete | "
         "wait 2000: CloseBalloon, BalloonHide"},
        {"a speak behind a show does not begin until resume; the show runs",
         "show | speak One | pause | run: BeginShow | complete | wait 60000 | "
         "resume | run: BeginSpeak One | complete | wait 2000: CloseBalloon, BalloonHide"},
        {"with no speak running or waiting, pause does nothing",
         "show | pause | paused?: not paused | run: BeginShow | complete | speak One | "
         "run: BeginSpeak One"},
        {"requests made while paused wait behind the paused speak, in order",
         "show | run: BeginShow | complete | speak One | run: BeginSpeak One | "
         "pause: PauseSpeech | speak Two | hide | run | resume: ResumeSpeech | complete | "
         "run: CloseBalloon, BalloonHide, BeginSpeak Two | complete | "
         "wait 2000: CloseBalloon, BalloonHide, BeginHide"},
        {"pause, then stop before the speak began",
         "show | speak One | pause | stop: BalloonHide | paused?: not paused | run | speak Two | "
         "run: BeginSpeak Two"},
        {"the user hides a paused character",
         "speak One | speak Two | run: BeginSpeak One | pause: PauseSpeech | "
         "user-hide: CancelCurrent, BalloonHide, BalloonHide, HideAtOnce, Hide 7 | "
         "paused?: not paused | speak Three | run: BeginSpeak Three"},
        {"a held speak with nothing to say raises its BalloonHide at the resume",
         "speak | speak One | pause | run | resume | run: BalloonHide, BeginSpeak One"},
        {"rate, clamped, reaches the running speak and the waiting ones, not later ones",
         "speak One | speak Two | run: BeginSpeak One | rate 300: ChangeRate 250 | speak Three | "
         "complete | run: CloseBalloon, BalloonHide, BeginSpeak Two at 250 | complete | "
         "run: CloseBalloon, BalloonHide, BeginSpeak Three | rate 10: ChangeRate 50"},
        {"rate with nothing spoken does nothing; rate while paused waits for the resume",
         "rate 200 | speak One | run: BeginSpeak One | pause: PauseSpeech | rate 180: "
         "ChangeRate 180 | resume: ResumeSpeech | complete | wait 2000: CloseBalloon, BalloonHide"},
        {"pause while lingering: nothing without a speak waiting, else that speak is held",
         "speak One | run: BeginSpeak One | complete | pause | paused?: not paused | speak Two | "
         "pause | run: CloseBalloon, BalloonHide | paused?: paused | wait 60000 | resume | "
         "run: BeginSpeak Two"},
    };
    for (const auto& [name, script] : scripts) {
        queue.UserHid(kHideCauseUserMenu);  // start hidden, idle and not paused
        clock.AdvanceBy(60'000);
        EXPECT_EQ(Play(script), script) << name;
    }
}

// Every order of Speak, Pause, Resume, Rate and Stop, with a Speak already running and the
// clock run after each: whatever the order, no pause outlives the speaking, and after a last
// Resume every Speak ends in one BalloonHide with nothing left scheduled.
TEST_F(RequestQueueTest, EveryOrderOfSpeakPauseResumeRateAndStop) {
    std::vector<std::string> steps = {"speak Two", "pause", "resume", "rate 200", "stop"};
    std::sort(steps.begin(), steps.end());
    character.then = [this](const std::string& what) {
        if (what.starts_with("BeginSpeak")) {
            EXPECT_FALSE(queue.IsPaused()) << "began while paused";
        }
    };
    int orders = 0;
    do {
        queue.UserHid(kHideCauseUserMenu);
        clock.AdvanceBy(60'000);
        character.balloonHides = 0;
        std::string script = "speak One | run";
        for (const std::string& step : steps) script += " | " + step + " | run";
        const std::string order = script + " gave " + Play(script);
        EXPECT_TRUE(!character.held || queue.IsPaused()) << order;
        EXPECT_TRUE(!queue.IsPaused() || !queue.IsIdle()) << order;
        queue.Resume();
        EXPECT_FALSE(character.held) << order;
        for (int turn = 0; turn < 4 && !queue.IsIdle(); ++turn) {
            queue.Complete();
            clock.AdvanceBy(kBalloonLingerMs);
        }
        EXPECT_TRUE(queue.IsIdle()) << order;
        EXPECT_EQ(character.balloonHides, 2) << order;
        EXPECT_EQ(clock.PendingCount(), 0u) << order;
        ++orders;
    } while (std::next_permutation(steps.begin(), steps.end()));
    EXPECT_EQ(orders, 120);
}

TEST_F(RequestQueueTest, TheWindowSideMayCallBackFromInsideItsCalls) {
    // Complete from inside BeginShow starts the next request in the same run of due calls; a
    // Speak made from inside BalloonHide is kept.
    character.then = [this, again = true](const std::string& what) mutable {
        if (what == "BeginShow") queue.Complete();
        if (what == "BalloonHide" && std::exchange(again, false)) queue.Speak(u"Again");
    };
    const std::string script =
        "show | speak One | run: BeginShow, BeginSpeak One | "
        "stop: CancelCurrent, BalloonHide | run: BeginSpeak Again";
    EXPECT_EQ(Play(script), script);
    EXPECT_TRUE(queue.IsVisible());
}

// Whatever the owner, the window side and the clock do, each Speak ends in one BalloonHide,
// and no call is left behind, not even by a queue destroyed with work to do.
TEST_F(RequestQueueTest, EverySpeakEndsInOneBalloonHideAndNoCallIsLeftBehind) {
    std::mt19937 random(7);
    long speaks = 0;
    // Completions and the clock come up twice as often as the other calls.
    const std::function<void()> actions[] = {
        [&] { queue.Show(); },
        [&] { queue.Hide(); },
        [&] { queue.Speak(++speaks % 4 == 0 ? u"" : u"Hello"); },
        [&] {
            if (random() % 8 == 0) queue.Stop();
        },
        [&] {
            if (random() % 16 == 0) queue.UserHid(kHideCauseUserTaskbar);
        },
        [&] { queue.Pause(); },
        [&] { queue.Resume(); },
        [&] { queue.SetRate(static_cast<int>(random() % 300)); },
        [&] {
            if (!character.held) queue.Complete();  // a held speech does not end
        },
        [&] {
            if (!character.held) queue.Complete();
        },
        [&] { clock.AdvanceBy(random() % 3000); },
        [&] { clock.AdvanceBy(random() % 3000); }};
    for (int round = 0; round < 20'000; ++round) {
        actions[random() % std::size(actions)]();
        ASSERT_LE(character.balloonHides, speaks) << round;
        // A pause lives only as long as a Speak runs or waits.
        ASSERT_TRUE(!queue.IsPaused() || !queue.IsIdle()) << round;
    }
    for (; !queue.IsIdle(); clock.AdvanceBy(kBalloonLingerMs)) {
        queue.Resume();
        queue.Complete();
    }
    EXPECT_FALSE(queue.IsPaused());
    EXPECT_EQ(character.balloonHides, speaks);
    EXPECT_EQ(clock.PendingCount(), 0u);
    {
        RequestQueue doomed{clock, character, character};
        doomed.Speak(u"Hi");
        clock.RunDue();
        doomed.Complete();
        doomed.Show();
    }
    EXPECT_EQ(clock.PendingCount(), 0u);
}

}  // namespace
}  // namespace agent::core
