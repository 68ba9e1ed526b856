#include "agent/core/paced_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <set>
#include <vector>

#include "agent/core/manual_scheduler.h"
#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace agent::core {
namespace {

struct Event {
    enum Kind { kWord, kMouth, kFinished } kind;
    long long atMs;
    std::size_t begin = 0;  // kWord
    std::size_t length = 0;
    Mouth mouth = Mouth::Closed;
};

class Recorder final : public EngineListener {
public:
    explicit Recorder(const Scheduler& clock) : clock_(clock) {}

    void OnWord(std::size_t begin, std::size_t length) override {
        Note({Event::kWord, clock_.NowMs(), begin, length});
    }
    void OnMouth(Mouth mouth) override { Note({Event::kMouth, clock_.NowMs(), 0, 0, mouth}); }
    void OnFinished() override { Note({Event::kFinished, clock_.NowMs()}); }

    std::vector<Event> Only(Event::Kind kind) const {
        std::vector<Event> found;
        std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                     [kind](const Event& e) { return e.kind == kind; });
        return found;
    }

    std::vector<Event> events;
    std::function<void()> afterEvent;  // may stop or restart the engine

private:
    void Note(const Event& event) {
        events.push_back(event);
        if (afterEvent) afterEvent();
    }

    const Scheduler& clock_;
};

constexpr long long kLongEnoughMs = 10 * 60'000;

class PacedEngineTest : public ::testing::Test {
protected:
    void SpeakToEnd(std::u16string_view tagged) {
        engine.Speak(ParseSpeechTags(tagged), VoiceChoice{}, recorder);
        clock.AdvanceBy(kLongEnoughMs);
    }

    ManualScheduler clock;
    PacedEngine engine{clock};
    Recorder recorder{clock};
};

TEST_F(PacedEngineTest, WordsComeInOrderWithClosedMouthsBetween) {
    const std::u16string text = u"Good morning, dear friend. 日本語 😀!";
    engine.Speak(ParseSpeechTags(text), VoiceChoice{}, recorder);
    EXPECT_TRUE(recorder.events.empty()) << "nothing may reach the listener inside Speak";
    clock.AdvanceBy(kLongEnoughMs);

    const auto expected = SplitWords(ParseSpeechTags(text));
    const auto words = recorder.Only(Event::kWord);
    ASSERT_EQ(words.size(), expected.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(words[i].begin, expected[i].shownBegin) << i;
        EXPECT_EQ(words[i].length, expected[i].shownLength) << i;
    }
    ASSERT_EQ(recorder.Only(Event::kFinished).size(), 1u);
    EXPECT_EQ(recorder.events.back().kind, Event::kFinished);

    // Each word: open mouths that never repeat back to back, then Closed before the next word.
    std::set<Mouth> shapes;
    Mouth previous = Mouth::Closed;
    for (std::size_t i = 0; i < recorder.events.size(); ++i) {
        const Event& e = recorder.events[i];
        EXPECT_LE(recorder.events[i > 0 ? i - 1 : 0].atMs, e.atMs);
        if (e.kind == Event::kWord) {
            EXPECT_EQ(previous, Mouth::Closed) << i;
        } else if (e.kind == Event::kMouth) {
            EXPECT_NE(e.mouth, previous) << i;
            // A word's first shape comes right after the word.
            EXPECT_TRUE(previous != Mouth::Closed || recorder.events[i - 1].kind == Event::kWord);
            shapes.insert(previous = e.mouth);
        }
    }
    EXPECT_EQ(previous, Mouth::Closed);
    EXPECT_EQ(shapes.size(), static_cast<std::size_t>(kMouthCount)) << "a varied mouth";
}

TEST_F(PacedEngineTest, WordStartsFollowThePace) {
    struct Paced {
        std::u16string text;  // what PaceWord is given
        int wpm = kNormalSpeedWpm;
        int pauseBeforeMs = 0;
        bool stressed = false;
    };
    struct Case {
        const char* name;
        std::u16string tagged;
        std::vector<Paced> words;
    };
    const std::vector<Case> cases = {
        {"plain", u"one two, three.", {{u"one"}, {u"two,"}, {u"three."}}},
        {"fast", u"\\Spd=250\\one two", {{u"one", 250}, {u"two", 250}}},
        {"slow", u"\\Spd=50\\one two", {{u"one", 50}, {u"two", 50}}},
        {"pauses", u"\\Pau=300\\one \\Pau=700\\two", {{u"one", 127, 300}, {u"two", 127, 700}}},
        {"a pause on a segment without words waits for the next word",
         u"one\\Pau=400\\ \\Spd=200\\two", {{u"one"}, {u"two", 200, 400}}},
        {"stress", u"\\Emp\\one two", {{u"one", 127, 0, true}, {u"two"}}},
        {"a word shown as nothing is paced by its sound", u"a \\Map=\"psst\"=\"\"\\ b",
         {{u"a"}, {u"psst"}, {u"b"}}},
    };
    for (const Case& c : cases) {
        recorder.events.clear();
        long long expectedAt = clock.NowMs();
        SpeakToEnd(c.tagged);
        const auto words = recorder.Only(Event::kWord);
        ASSERT_EQ(words.size(), c.words.size()) << c.name;
        for (std::size_t i = 0; i < words.size(); ++i) {
            expectedAt += c.words[i].pauseBeforeMs;
            EXPECT_EQ(words[i].atMs, expectedAt) << c.name << ", word " << i;
            const WordPace pace = PaceWord(c.words[i].text, c.words[i].wpm, c.words[i].stressed);
            expectedAt += pace.speakMs + pace.silenceAfterMs;
        }
        EXPECT_EQ(recorder.events.back().atMs, expectedAt) << c.name << ", finished";
    }
}

TEST_F(PacedEngineTest, StopAndNewSpeakSilenceTheOldUtterance) {
    Recorder second{clock};
    engine.Speak(ParseSpeechTags(u"one two three four"), VoiceChoice{}, recorder);
    clock.AdvanceBy(700);
    const std::size_t heard = recorder.events.size();
    ASSERT_GT(heard, 0u);
    engine.Stop();
    clock.AdvanceBy(kLongEnoughMs);
    EXPECT_EQ(recorder.events.size(), heard);
    EXPECT_EQ(clock.PendingCount(), 0u);

    engine.Speak(ParseSpeechTags(u"one two three"), VoiceChoice{}, recorder);
    clock.AdvanceBy(100);
    const std::size_t heardAgain = recorder.events.size();
    engine.Speak(ParseSpeechTags(u"four five"), VoiceChoice{}, second);
    clock.AdvanceBy(kLongEnoughMs);
    EXPECT_EQ(recorder.events.size(), heardAgain);
    EXPECT_EQ(second.Only(Event::kWord).size(), 2u);
    EXPECT_EQ(second.Only(Event::kFinished).size(), 1u);
}

TEST_F(PacedEngineTest, NothingToSayFinishesThroughTheScheduler) {
    for (const std::u16string tagged : {u"", u"   ", u"\\Pau=500\\\\Spd=100\\"}) {
        recorder.events.clear();
        EXPECT_TRUE(engine.Speak(ParseSpeechTags(tagged), VoiceChoice{}, recorder));
        EXPECT_TRUE(recorder.events.empty()) << ::testing::PrintToString(tagged);
        clock.RunDue();
        ASSERT_EQ(recorder.events.size(), 1u) << ::testing::PrintToString(tagged);
        EXPECT_EQ(recorder.events[0].kind, Event::kFinished);
    }
}

TEST_F(PacedEngineTest, ListenerMayStopFromAnyCallback) {
    SpeakToEnd(u"one, two");
    const std::size_t total = recorder.events.size();
    for (std::size_t stopAt = 1; stopAt <= total; ++stopAt) {
        recorder.events.clear();
        recorder.afterEvent = [&] {
            if (recorder.events.size() == stopAt) engine.Stop();
        };
        SpeakToEnd(u"one, two");
        EXPECT_EQ(recorder.events.size(), stopAt);
        EXPECT_EQ(clock.PendingCount(), 0u);
    }
}

TEST_F(PacedEngineTest, ListenerMayStartTheNextUtteranceWhenFinished) {
    int rounds = 0;
    recorder.afterEvent = [&] {
        if (recorder.events.back().kind == Event::kFinished && ++rounds < 3) {
            engine.Speak(ParseSpeechTags(u"again and"), VoiceChoice{}, recorder);
        }
    };
    SpeakToEnd(u"first");
    EXPECT_EQ(recorder.Only(Event::kFinished).size(), 3u);
    EXPECT_EQ(recorder.Only(Event::kWord).size(), 5u);
}

TEST(PacedEngineLifetime, DestroyingTheEngineCancelsItsCalls) {
    ManualScheduler clock;
    Recorder recorder{clock};
    {
        PacedEngine engine{clock};
        engine.Speak(ParseSpeechTags(u"one two"), VoiceChoice{}, recorder);
        clock.AdvanceBy(50);
    }
    EXPECT_EQ(clock.PendingCount(), 0u);
}

}  // namespace
}  // namespace agent::core
