#include "agent/core/paced_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "agent/core/manual_scheduler.h"
#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace agent::core {
namespace {

// The clock the tests here rely on; that callbacks may schedule more, they show themselves.
TEST(ManualScheduler, RunsInTimeOrderAndCancelsOnlyWhatWaits) {
    ManualScheduler clock;
    std::string log;
    const auto note = [&](int delayMs, char name) {  // logs its name and the time it ran
        return clock.RunAfter(delayMs, [&, name] { log += name + std::to_string(clock.NowMs()); });
    };
    note(20, 'c');
    const Scheduler::Token doomed = note(10, 'x');
    note(10, 'b');
    note(20, 'd');                               // same time as c: in the order scheduled
    const Scheduler::Token ran = note(-5, 'a');  // negative: now
    clock.RunDue();
    EXPECT_EQ(log, "a0");
    // Tokens already run or cancelled, 0 (never given) and unknown ones cancel nothing.
    for (const Scheduler::Token token : {doomed, ran, doomed, Scheduler::Token{0}, ran + 100}) {
        clock.Cancel(token);
    }
    clock.AdvanceBy(25);
    EXPECT_EQ(log, "a0b10c20d20");
    EXPECT_EQ(clock.NowMs(), 25);
    EXPECT_EQ(clock.PendingCount(), 0u);
}

struct Event {
    enum Kind { kWord, kMouth, kFinished } kind;
    long long atMs;
    std::size_t begin = 0;  // kWord
    std::size_t length = 0;
    Mouth mouth = Mouth::Closed;
};

constexpr long long kLongEnoughMs = 10 * 60'000;

// The test is the listener: it notes every call with the clock's reading.
class PacedEngineTest : public ::testing::Test, public EngineListener {
protected:
    void OnWord(std::size_t begin, std::size_t length) override {
        Note({Event::kWord, clock.NowMs(), begin, length});
    }
    void OnMouth(Mouth mouth) override { Note({Event::kMouth, clock.NowMs(), 0, 0, mouth}); }
    void OnFinished() override { Note({Event::kFinished, clock.NowMs()}); }
    void Note(const Event& event) {
        events.push_back(event);
        if (afterEvent) afterEvent();
    }

    std::vector<Event> Only(Event::Kind kind) const {
        std::vector<Event> found;
        std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                     [kind](const Event& e) { return e.kind == kind; });
        return found;
    }
    bool Say(std::u16string_view tagged) {
        return engine.Speak(ParseSpeechTags(tagged), VoiceChoice{}, *this);
    }
    void SpeakToEnd(std::u16string_view tagged) {
        Say(tagged);
        clock.AdvanceBy(kLongEnoughMs);
    }

    ManualScheduler clock;
    PacedEngine engine{clock};
    std::vector<Event> events;
    std::function<void()> afterEvent;  // may stop or restart the engine
};

TEST_F(PacedEngineTest, PacesEveryWordWithAMouthThatMovesWithinIt) {
    const std::u16string text =
        u"\\Pau=300\\Good morning, dear \\Spd=250\\friend. \\Emp\\日本語 😀! "
        u"a\\Pau=400\\ \\Map=\"psst\"=\"\"\\ b";
    struct Paced {
        std::u16string text;  // what PaceWord is given: the shown word, or the spoken one
        int wpm = 250;
        int pauseBeforeMs = 0;
        bool stressed = false;
    };
    // A pause before a segment without words waits for the next word.
    const std::vector<Paced> paced = {
        {u"Good", 127, 300}, {u"morning,", 127}, {u"dear", 127}, {u"friend."}, {u"日", 250, 0, true},
        {u"本"}, {u"語"}, {u"😀!"}, {u"a"}, {u"psst", 250, 400}, {u"b"}};
    Say(text);
    EXPECT_TRUE(events.empty()) << "nothing may reach the listener inside Speak";
    clock.AdvanceBy(kLongEnoughMs);

    const auto expected = SplitWords(ParseSpeechTags(text));
    const auto words = Only(Event::kWord);
    ASSERT_EQ(words.size(), paced.size());
    ASSERT_EQ(expected.size(), paced.size());
    long long expectedAt = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].begin, expected[i].shownBegin) << i;
        EXPECT_EQ(words[i].length, expected[i].shownLength) << i;
        expectedAt += paced[i].pauseBeforeMs;
        EXPECT_EQ(words[i].atMs, expectedAt) << i;
        const WordPace pace = PaceWord(paced[i].text, paced[i].wpm, paced[i].stressed);
        expectedAt += pace.speakMs + pace.silenceAfterMs;
    }
    ASSERT_EQ(Only(Event::kFinished).size(), 1u);
    EXPECT_EQ(events.back().kind, Event::kFinished);
    EXPECT_EQ(events.back().atMs, expectedAt);

    // Each word: open mouths that never repeat back to back, then Closed before the next word.
    std::set<Mouth> shapes;
    Mouth previous = Mouth::Closed;
    for (std::size_t i = 0; i < events.size(); ++i) {
        if (events[i].kind == Event::kWord) {
            EXPECT_EQ(previous, Mouth::Closed) << i;
        } else if (events[i].kind == Event::kMouth) {
            EXPECT_NE(events[i].mouth, previous) << i;
            // A word's first shape comes right after the word.
            EXPECT_TRUE(previous != Mouth::Closed || events[i - 1].kind == Event::kWord) << i;
            shapes.insert(previous = events[i].mouth);
        }
    }
    EXPECT_EQ(previous, Mouth::Closed);
    EXPECT_EQ(shapes.size(), static_cast<std::size_t>(kMouthCount)) << "a varied mouth";
}

TEST_F(PacedEngineTest, ANewSpeakOrTheEnginesEndSilenceTheOldUtterance) {
    Say(u"one two three");
    clock.AdvanceBy(100);
    ASSERT_FALSE(events.empty());
    events.clear();
    SpeakToEnd(u"four five");
    EXPECT_EQ(Only(Event::kWord).size(), 2u);
    EXPECT_EQ(Only(Event::kFinished).size(), 1u);
    {
        PacedEngine doomed{clock};
        doomed.Speak(ParseSpeechTags(u"one two"), VoiceChoice{}, *this);
        clock.AdvanceBy(50);
    }
    EXPECT_EQ(clock.PendingCount(), 0u) << "a destroyed engine leaves no call behind";
}

TEST_F(PacedEngineTest, NothingToSayFinishesThroughTheScheduler) {
    for (const std::u16string tagged : {u"", u"   ", u"\\Pau=500\\\\Spd=100\\"}) {
        events.clear();
        EXPECT_TRUE(Say(tagged));
        EXPECT_TRUE(events.empty()) << ::testing::PrintToString(tagged);
        clock.RunDue();
        ASSERT_EQ(events.size(), 1u) << ::testing::PrintToString(tagged);
        EXPECT_EQ(events[0].kind, Event::kFinished);
    }
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
    int rounds = 0;
    afterEvent = [&] {
        if (events.back().kind == Event::kFinished && ++rounds < 3) {
            Say(u"again and");
        }
    };
    SpeakToEnd(u"first");
    EXPECT_EQ(Only(Event::kFinished).size(), 3u);
    EXPECT_EQ(Only(Event::kWord).size(), 5u);
}

}  // namespace
}  // namespace agent::core
