#include "agent/core/paced_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"
#include "test_support/manual_scheduler.h"

namespace agent::core {
namespace {

struct Event {
    enum Kind { kWord, kMouth, kFinished } kind;
    long long atMs;
    std::size_t begin = 0, length = 0;  // kWord
    Mouth mouth = Mouth::Closed;
};

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
    std::size_t Count(Event::Kind kind) const {
        return std::count_if(events.begin(), events.end(), [&](auto& e) { return e.kind == kind; });
    }
    bool Say(std::u16string_view tagged) {
        return engine.Speak(std::make_shared<const Utterance>(ParseSpeechTags(tagged)),
                            VoiceChoice{}, *this);
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

TEST_F(PacedEngineTest, ANewSpeakOrTheEnginesEndSilenceTheOldUtterance) {
    Say(u"one two three");
    clock.AdvanceBy(100);
    events.clear();
    SpeakToEnd(u"four five");
    EXPECT_EQ(Count(Event::kWord), 2u);
    EXPECT_EQ(Count(Event::kFinished), 1u);
    {
        PacedEngine doomed{clock};
        doomed.Speak(std::make_shared<const Utterance>(ParseSpeechTags(u"one two")), {}, *this);
        clock.AdvanceBy(50);
    }
    EXPECT_EQ(clock.PendingCount(), 0u) << "a destroyed engine leaves no call behind";
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
    for (const Event& e : events)
        if (e.kind == Event::kWord) words.push_back(shown.substr(e.begin, e.length));
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

}  // namespace
}  // namespace agent::core
