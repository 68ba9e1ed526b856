#include "agent/core/request_queue.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "agent/core/manual_scheduler.h"

namespace agent::core {
namespace {

// The window side and the program in one: every action and event is noted in order.
class Character final : public CharacterActions, public QueueEvents {
public:
    void BeginShow() override { Note("BeginShow", onBeginShow); }
    void BeginHide() override { Note("BeginHide"); }
    void BeginSpeak(const Utterance& utterance) override {
        const std::u16string shown = utterance.ShownText();  // ASCII in these tests
        Note("BeginSpeak " + std::string(shown.begin(), shown.end()));
    }
    void CloseBalloon() override { Note("CloseBalloon"); }
    void CancelCurrent() override { Note("CancelCurrent"); }
    void HideAtOnce() override { Note("HideAtOnce"); }
    void RaiseBalloonHide() override {
        ++balloonHides;
        Note("BalloonHide", onBalloonHide);
    }
    void RaiseHide(int cause) override { Note("Hide " + std::to_string(cause)); }

    std::vector<std::string> noted;
    long balloonHides = 0;
    std::function<void()> onBeginShow;
    std::function<void()> onBalloonHide;

private:
    void Note(std::string what, const std::function<void()>& then = nullptr) {
        noted.push_back(std::move(what));
        if (then) then();
    }
};

class RequestQueueTest : public ::testing::Test {
protected:
    // A script is "step: what happened inside it | step | ...". Steps: show, hide,
    // speak <text>, stop, complete, user-hide, run (what is due now), wait <ms>. Runs the steps
    // and writes what happened the same way, for comparing with the script.
    std::string Play(const std::string& script) {
        std::istringstream parts(script);
        std::string result;
        for (std::string part; std::getline(parts, part, '|');) {
            const std::size_t begin = part.find_first_not_of(' ');
            const std::string step = part.substr(begin, part.find(':') == std::string::npos
                                                            ? part.find_last_not_of(' ') + 1 - begin
                                                            : part.find(':') - begin);
            character.noted.clear();
            Do(step);
            result += (result.empty() ? "" : " | ") + step;
            for (std::size_t i = 0; i < character.noted.size(); ++i) {
                result += (i == 0 ? ": " : ", ") + character.noted[i];
            }
        }
        return result;
    }

    void Do(const std::string& step) {
        if (step == "show") {
            queue.Show();
        } else if (step == "hide") {
            queue.Hide();
        } else if (step.rfind("speak", 0) == 0) {
            const std::string text = step.substr(std::min<std::size_t>(6, step.size()));
            queue.Speak(std::u16string(text.begin(), text.end()));
        } else if (step == "stop") {
            queue.Stop();
        } else if (step == "complete") {
            queue.Complete();
        } else if (step == "user-hide") {
            queue.UserHid(kHideCauseUserMenu);
        } else if (step == "run") {
            clock.RunDue();
        } else if (step.rfind("wait ", 0) == 0) {
            clock.AdvanceBy(std::stoll(step.substr(5)));
        } else {
            ADD_FAILURE() << "unknown step " << step;
        }
    }

    ManualScheduler clock;
    Character character;
    RequestQueue queue{clock, character, character};
};

TEST_F(RequestQueueTest, Scenarios) {
    static_assert(kBalloonLingerMs == 2000, "the scripts wait for the linger");
    const std::vector<std::pair<const char*, std::string>> scripts = {
        {"in order; the balloon lingers before the hide",
         "show | speak Hello | hide | run: BeginShow | complete | run: BeginSpeak Hello | "
         "complete | wait 1999 | wait 1: CloseBalloon, BalloonHide, BeginHide | complete: Hide 3"},
        {"hide then show",
         "show | run: BeginShow | complete | hide | show | run: BeginHide | complete: Hide 3 | "
         "run: BeginShow"},
        {"show of a shown character completes at once",
         "show | run: BeginShow | complete | show | speak Hi | run: BeginSpeak Hi"},
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
        {"stop before anything started",
         "speak One | show | speak Two | stop: BalloonHide, BalloonHide | run"},
        {"stop while the balloon lingers",
         "speak One | run: BeginSpeak One | complete | wait 100 | stop: CancelCurrent, BalloonHide "
         "| wait 2000"},
        {"stop of a running hide raises nothing and the character stays",
         "show | run: BeginShow | complete | hide | run: BeginHide | stop: CancelCurrent | hide | "
         "run: BeginHide | complete: Hide 3"},
        {"the user hides a speaking character with requests waiting",
         "show | run: BeginShow | complete | speak One | speak Two | show | run: BeginSpeak One | "
         "user-hide: CancelCurrent, BalloonHide, BalloonHide, HideAtOnce, Hide 7 | run | show | "
         "run: BeginShow"},
        {"late and doubled completions are ignored",
         "complete | show | speak Hi | run: BeginShow | complete | complete | "
         "run: BeginSpeak Hi | complete | complete | wait 2000: CloseBalloon, BalloonHide"},
    };
    for (const auto& [name, script] : scripts) {
        queue.UserHid(kHideCauseUserMenu);  // start hidden and idle
        clock.AdvanceBy(60'000);
        EXPECT_EQ(Play(script), script) << name;
    }
}

TEST_F(RequestQueueTest, CompleteFromInsideBeginShow) {
    character.onBeginShow = [this] { queue.Complete(); };
    // The next request starts from the scheduler, within the same run of due calls.
    const std::string script = "show | speak Hi | run: BeginShow, BeginSpeak Hi";
    EXPECT_EQ(Play(script), script);
    EXPECT_TRUE(queue.IsVisible());
}

TEST_F(RequestQueueTest, RequestsMadeFromBalloonHideAreKept) {
    character.onBalloonHide = [this] {
        if (character.balloonHides == 1) queue.Speak(u"Again");
    };
    const std::string script =
        "speak One | run: BeginSpeak One | stop: CancelCurrent, BalloonHide | "
        "run: BeginSpeak Again";
    EXPECT_EQ(Play(script), script);
}

// Whatever the owner, the window side and the clock do, each Speak ends in one BalloonHide.
TEST_F(RequestQueueTest, EverySpeakEndsInExactlyOneBalloonHide) {
    std::mt19937 random(7);
    long speaks = 0;
    for (int round = 0; round < 20'000; ++round) {
        switch (random() % 9) {
        case 0: queue.Show(); break;
        case 1: queue.Hide(); break;
        case 2: queue.Speak(random() % 4 == 0 ? u"" : u"Hello"); ++speaks; break;
        case 3: if (random() % 8 == 0) queue.Stop(); break;
        case 4: if (random() % 16 == 0) queue.UserHid(kHideCauseUserTaskbar); break;
        case 5: case 6: queue.Complete(); break;
        default: clock.AdvanceBy(random() % 3000); break;
        }
        ASSERT_LE(character.balloonHides, speaks) << round;
    }
    while (!queue.IsIdle()) {
        queue.Complete();
        clock.AdvanceBy(kBalloonLingerMs);
    }
    EXPECT_EQ(character.balloonHides, speaks);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

TEST(RequestQueueLifetime, DestroyingTheQueueCancelsItsCalls) {
    ManualScheduler clock;
    Character character;
    {
        RequestQueue queue{clock, character, character};
        queue.Speak(u"Hi");
        clock.RunDue();
        queue.Complete();
        queue.Show();
    }
    EXPECT_EQ(clock.PendingCount(), 0u);
}

}  // namespace
}  // namespace agent::core
