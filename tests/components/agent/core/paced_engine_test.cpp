#include "agent/core/paced_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"
#include "test_support/manual_scheduler.h"
#include "test_support/script_log.h"

namespace agent::core {
namespace {

constexpr int kLateMs = 12;

struct Event {
    enum Kind { kWord, kMouth, kFinished, kHeld } kind;
    long long atMs;
    std::size_t begin = 0, length = 0;  // kWord
    Mouth mouth = Mouth::Closed;
    std::size_t index = 0;  // kWord
};

// The test is the listener: it notes every call with the clock's reading.
class PacedEngineTest : public ::testing::Test, public EngineListener {
protected:
    void OnWord(std::size_t index, std::size_t begin, std::size_t length) override {
        Note({Event::kWord, clock.NowMs(), begin, length, Mouth::Closed, index});
    }
    void OnMouth(Mouth mouth) override { Note({Event::kMouth, clock.NowMs(), 0, 0, mouth}); }
    void OnFinished() override { Note({Event::kFinished, clock.NowMs()}); }
    void OnHeld() override { Note({Event::kHeld, clock.NowMs()}); }
    void Note(const Event& event) {
        events.push_back(event);
        if (afterEvent) afterEvent();
    }
    std::size_t Count(Event::Kind kind) const {
        return std::count_if(events.begin(), events.end(), [&](auto& e) { return e.kind == kind; });
    }
    bool Say(std::u16string_view tagged, PacedEngine* on = nullptr) {
        return (on ? *on : engine)
            .Speak(std::make_shared<const Utterance>(ParseSpeechTags(tagged)), {}, *this);
    }
    void SpeakToEnd(std::u16string_view tagged) {
        Say(tagged);
        clock.AdvanceBy(10 * 60'000);
    }

    vocalinka::test::ManualScheduler clock;
    PacedEngine engine{clock};
    std::vector<Event> events;
    std::function<void()> afterEvent;  // may stop or restart the engine
};

TEST_F(PacedEngineTest, PacesEveryWordWithAMouthThatMovesWithinIt) {
    const std::u16string text =
        u"\\Pau=300\\Good morning, \\Spd=250\\friend. \\Emp\\日本 😀! "
        u"a\\Pau=400\\ \\Map=\"psst\"=\"\"\\ b";
    // What PaceWord must be given: the shown word, or the spoken one when nothing is shown. A
    // pause before a segment without words waits for the next word; stress marks one word.
    const struct {
        std::u16string text;
        int wpm = 250, pauseBeforeMs = 0;
        bool stressed = false;
    } paced[] = {{u"Good", 127, 300},
                 {u"morning,", 127},
                 {u"friend."},
                 {u"日", 250, 0, true},
                 {u"本"},
                 {u"😀!"},
                 {u"a"},
                 {u"psst", 250, 400},
                 {u"b"}};
    Say(text);
    EXPECT_TRUE(events.empty()) << "nothing may reach the listener inside Speak";
    clock.AdvanceBy(10 * 60'000);

    const auto expected = SplitWords(ParseSpeechTags(text));
    ASSERT_EQ(expected.size(), std::size(paced));
    ASSERT_EQ(Count(Event::kWord), std::size(paced));
    ASSERT_EQ(Count(Event::kFinished), 1u);
    EXPECT_EQ(events.back().kind, Event::kFinished);
    // Each word: open mouths that never repeat back to back, then Closed before the next word.
    std::size_t word = 0;
    long long at = 0;
    std::set<Mouth> shapes;
    Mouth previous = Mouth::Closed;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        if (e.kind == Event::kWord) {
            EXPECT_EQ(previous, Mouth::Closed) << i;
            EXPECT_EQ(e.index, word);
            EXPECT_EQ(e.begin, expected[word].shownBegin) << word;
            EXPECT_EQ(e.length, expected[word].shownLength) << word;
            EXPECT_EQ(e.atMs, at += paced[word].pauseBeforeMs) << word;
            const auto pace = PaceWord(paced[word].text, paced[word].wpm, paced[word].stressed);
            at += pace.speakMs + pace.silenceAfterMs;
            ++word;
        } else if (e.kind == Event::kMouth) {
            EXPECT_NE(e.mouth, previous) << i;
            EXPECT_TRUE(previous != Mouth::Closed || events[i - 1].kind == Event::kWord) << i;
            shapes.insert(previous = e.mouth);
        }
    }
    EXPECT_EQ(events.back().atMs, at);
    EXPECT_EQ(previous, Mouth::Closed);
    EXPECT_EQ(shapes.size(), static_cast<std::size_t>(kMouthCount)) << "a varied mouth";
}

TEST_F(PacedEngineTest, ADestroyedEngineLeavesNoCallBehind) {
    {
        PacedEngine doomed{clock};
        Say(u"one two", &doomed);
        clock.AdvanceBy(50);
    }
    EXPECT_EQ(clock.PendingCount(), 0u);
}

// Words are found as they are reached: deep into a long text with tags along the way, each
// word still names its own place in the shown text, none is skipped and the end comes once.
TEST_F(PacedEngineTest, ALongTextIsPacedToItsEndWithEveryWordInPlace) {
    constexpr int kWords = 20'000;
    std::u16string tagged;
    std::vector<std::u16string> expected;
    for (int i = 0; i < kWords; ++i) {
        if (i % 997 == 0) tagged += i % 2 ? u"\\Spd=250\\" : u"\\Pau=10\\\\Spd=50\\";
        const std::string word = "w" + std::to_string(i) + (i % 13 == 0 ? "." : "");
        expected.emplace_back(word.begin(), word.end());
        tagged += expected.back() + u" ";
    }
    const std::u16string shown = ParseSpeechTags(tagged).ShownText();
    Say(tagged);
    clock.AdvanceBy(1'000'000'000);
    std::vector<std::u16string> words;
    for (const Event& e : events) {
        if (e.kind == Event::kWord) words.push_back(shown.substr(e.begin, e.length));
    }
    EXPECT_EQ(words, expected);
    EXPECT_EQ(Count(Event::kFinished), 1u);
    EXPECT_EQ(events.back().kind, Event::kFinished);
}

TEST_F(PacedEngineTest, NothingToSayFinishesThroughTheScheduler) {
    EXPECT_TRUE(Say(u" \\Pau=500\\ "));
    EXPECT_TRUE(events.empty());
    clock.RunDue();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, Event::kFinished);
}

TEST_F(PacedEngineTest, ListenerMayStopOrStartTheNextUtteranceFromItsCallbacks) {
    SpeakToEnd(u"one, two");
    const std::size_t total = events.size();
    for (std::size_t stopAt = 1; stopAt <= total; ++stopAt) {
        events.clear();
        afterEvent = [&] {
            if (events.size() == stopAt) engine.Stop();
        };
        SpeakToEnd(u"one, two");
        EXPECT_EQ(events.size(), stopAt);
        EXPECT_EQ(clock.PendingCount(), 0u);
    }
    events.clear();
    afterEvent = [&] {
        if (events.back().kind == Event::kFinished && Count(Event::kFinished) < 3) {
            Say(u"again and");
        }
    };
    SpeakToEnd(u"first");
    EXPECT_EQ(Count(Event::kFinished), 3u);
    EXPECT_EQ(Count(Event::kWord), 5u);
}

// Pause, Resume, SetRate and Stop in every kind of place on "one two three". A script is
// "step: what the listener heard | ...". Steps: to-word <n> (the clock runs until word n has
// begun: inside it), to-gap <n> (until word n's mouth has closed: between words), pause,
// resume, rate <wpm>, stop, speak (the text anew), end (ten minutes). Heard: word <index>,
// held, finished. While held, nothing may be scheduled at all.
TEST_F(PacedEngineTest, PauseResumeRateAndStopInEveryPlace) {
    const auto play = [this](const std::string& script) {
        vocalinka::test::ScriptLog log;
        afterEvent = [&] {
            const Event::Kind kind = events.back().kind;
            if (kind == Event::kWord) log.Note("word " + std::to_string(events.back().index));
            if (kind == Event::kHeld) log.Note("held");
            if (kind == Event::kFinished) log.Note("finished");
        };
        // Runs the clock until word n has begun, and, for a gap, until its mouth has closed.
        const auto runUntil = [&](std::size_t n, bool gap) {
            for (int ms = 0; ms < 60'000; ++ms) {
                if (Count(Event::kWord) == n + 1 &&
                    (!gap || (events.back().kind == Event::kMouth &&
                              events.back().mouth == Mouth::Closed))) {
                    return;
                }
                clock.AdvanceBy(1);
            }
            ADD_FAILURE() << "never reached";
        };
        const std::map<std::string, std::function<void(std::size_t)>> steps = {
            {"to-word", [&](std::size_t n) { runUntil(n, false); }},
            {"to-gap", [&](std::size_t n) { runUntil(n, true); }},
            {"pause", [&](std::size_t) { engine.Pause(); }},
            {"resume", [&](std::size_t) { engine.Resume(); }},
            {"rate", [&](std::size_t wpm) { engine.SetRate(static_cast<int>(wpm)); }},
            {"stop", [&](std::size_t) { engine.Stop(); }},
            {"speak", [&](std::size_t) { Say(u"one two three"); }},
            {"end", [&](std::size_t) { clock.AdvanceBy(10 * 60'000); }}};
        bool held = false;
        const std::string heard = log.Play(script, [&](auto& step, auto& argument) {
            ASSERT_TRUE(steps.contains(step)) << "unknown step " << step;
            const std::size_t heldBefore = Count(Event::kHeld);
            steps.at(step)(argument.empty() ? 0 : std::stoul(argument));
            held = Count(Event::kHeld) > heldBefore ||
                   (held && step != "resume" && step != "stop" && step != "speak");
            if (held) {
                EXPECT_EQ(clock.PendingCount(), 0u) << "held, yet scheduled, after " << step;
            }
        });
        afterEvent = nullptr;
        return heard;
    };
    const std::pair<const char*, std::string> scripts[] = {
        {"within a word: the word ends, then it holds; the next word follows the resume",
         "speak | to-word 0: word 0 | pause | end: held | resume | end: word 1, word 2, finished"},
        {"between words it holds at once",
         "speak | to-gap 1: word 0, word 1 | pause: held | end | resume | end: word 2, finished"},
        {"before the first word",
         "speak | pause: held | end | resume | end: word 0, word 1, word 2, finished"},
        {"twice paused, twice resumed: one hold, nothing lost",
         "speak | to-gap 0: word 0 | pause: held | pause | resume | resume | "
         "end: word 1, word 2, finished"},
        {"in the last word the end is held",
         "speak | to-word 2: word 0, word 1, word 2 | pause | "
         "end: held | resume | end: finished"},
        {"resume without a pause, pause with nothing spoken",
         "resume | pause | speak | resume | to-word 1: word 0, word 1 | end: word 2, finished | "
         "pause | resume | end"},
        {"stop while held ends it all, and the next utterance is not held",
         "speak | to-word 1: word 0, word 1 | pause | stop | end | speak | "
         "end: word 0, word 1, word 2, finished"},
        {"a new utterance while speaking replaces it",
         "speak | to-word 1: word 0, word 1 | speak | end: word 0, word 1, word 2, finished"},
        {"a new utterance while held replaces it",
         "speak | pause: held | speak | end: word 0, word 1, word 2, finished"},
        {"the speed changes within a word, between words and while held",
         "speak | rate 200 | to-word 0: word 0 | rate 60 | to-gap 1: word 1 | pause: held | "
         "rate 250 | resume | end: word 2, finished"},
    };
    for (const auto& [name, script] : scripts) {
        engine.Stop();
        events.clear();
        EXPECT_EQ(play(script), script) << name;
        EXPECT_EQ(clock.PendingCount(), 0u) << name;
    }
}

// Held at a word's end, the engine takes up again with the next word after that word's own
// pause; a new speed paces every later word, the word under way keeps its own, and pauses
// and stress stay where the tags put them. Speeds beyond the range are clamped.
TEST_F(PacedEngineTest, TheNewSpeedPacesTheNextWordsAndKeepsPausesAndStress) {
    Say(u"first \\Pau=400\\second \\Emp\\third fourth");
    const auto wordStart = [&](std::size_t index) {
        for (const Event& e : events) {
            if (e.kind == Event::kWord && e.index == index) return e.atMs;
        }
        ADD_FAILURE() << "no word " << index;
        return -1LL;
    };
    clock.AdvanceBy(1);
    engine.SetRate(1000);  // clamped to 250, from "second" on
    engine.Pause();
    clock.AdvanceBy(60'000);
    ASSERT_EQ(events.back().kind, Event::kHeld);
    const long long resumedAt = clock.NowMs();
    engine.Resume();
    clock.AdvanceBy(401);  // "second" has begun
    engine.SetRate(10);    // clamped to 50, from "third" on
    clock.AdvanceBy(60'000);
    ASSERT_EQ(Count(Event::kWord), 4u);
    EXPECT_EQ(wordStart(1), resumedAt + 400);
    const WordPace second = PaceWord(u"second", 250, false);
    EXPECT_EQ(wordStart(2), wordStart(1) + second.speakMs + second.silenceAfterMs);
    const WordPace third = PaceWord(u"third", 50, true);
    EXPECT_EQ(wordStart(3), wordStart(2) + third.speakMs + third.silenceAfterMs);
}

// Window timers fire late, by a tick or so: the lateness of one step is taken from the next,
// so over many words the pace is still the speed's, whatever the tick.
TEST_F(PacedEngineTest, TimersThatFireLateDoNotSlowTheWordsDown) {
    class LateScheduler final : public Scheduler {
    public:
        explicit LateScheduler(vocalinka::test::ManualScheduler& clock) : clock_(clock) {}
        Token RunAfter(int delayMs, std::function<void()> callback) override {
            return clock_.RunAfter(delayMs + kLateMs, std::move(callback));
        }
        void Cancel(Token token) override { clock_.Cancel(token); }
        long long NowMs() const override { return clock_.NowMs(); }

    private:
        vocalinka::test::ManualScheduler& clock_;
    } late(clock);
    PacedEngine lateEngine(late);
    std::u16string text;
    for (int i = 0; i < 20; ++i) text += u"word ";
    Say(text, &lateEngine);
    clock.AdvanceBy(60'000);
    std::vector<long long> starts;
    for (const Event& e : events) {
        if (e.kind == Event::kWord) starts.push_back(e.atMs);
    }
    ASSERT_EQ(starts.size(), 20u);
    const WordPace word = PaceWord(u"word", kNormalSpeedWpm, false);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        EXPECT_LE(starts[i] - starts[0], static_cast<long long>(i) * word.speakMs + kLateMs)
            << "word " << i;
    }
}

}  // namespace
}  // namespace agent::core
