// The engine over a fake voice, through its real message window. The machine's own SAPI is left
// to the end-to-end tests, which read aloud through it.
#include "agent/sapi/sapi_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent/core/speech_tags.h"
#include "test_support/manual_scheduler.h"

namespace agent::sapi {
namespace {

using core::Mouth;
using Kind = VoiceEvent::Kind;
using Words = std::vector<std::u16string>;

core::SharedUtterance Utterance(std::u16string_view tagged) {
    return std::make_shared<const core::Utterance>(core::ParseSpeechTags(tagged));
}

// Records what it is asked and behaves as told. The engine owns it; the test keeps a pointer.
class FakeVoice final : public Voice {
public:
    ~FakeVoice() override {
        if (onDestroy) onDestroy(*this);
    }
    std::vector<InstalledVoice> InstalledVoices() override { return installed; }
    bool Use(const std::u16string& voiceId) override {
        used.push_back(voiceId);
        return brokenVoices.count(voiceId) == 0;
    }
    bool NotifyWindow(HWND toWindow, UINT withMessage) override {
        window = toWindow;
        message = withMessage;
        return !failNotify;
    }
    bool Speak(const std::u16string& xml, unsigned long& stream) override {
        if (failSpeak) return false;
        spoken.push_back(xml);
        stream = ++lastStream;
        return true;
    }
    void Purge() override { calls.push_back("purge"); }
    void Pause() override { calls.push_back("pause"); }
    void Resume() override { calls.push_back("resume"); }
    long Count(const std::string& call) const { return std::ranges::count(calls, call); }
    std::vector<VoiceEvent> TakeEvents() override { return std::exchange(waiting, {}); }
    // Queues events as a voice would and tells the engine's window that they wait.
    void Send(std::vector<VoiceEvent> events) {
        waiting.insert(waiting.end(), events.begin(), events.end());
        PostMessageW(window, message, 0, 0);
    }

    std::vector<InstalledVoice> installed = {{u"david", u"David", {0x409}},
                                             {u"hortense", u"Hortense", {0x40C}}};
    std::set<std::u16string> brokenVoices;  // Use() fails for these
    bool failNotify = false, failSpeak = false;
    Words used, spoken;
    std::vector<std::string> calls;  // purge, pause and resume, in order
    std::function<void(const FakeVoice&)> onDestroy;
    unsigned long lastStream = 0;
    HWND window = nullptr;
    UINT message = 0;
    std::vector<VoiceEvent> waiting;
};

class RecordingListener : public core::EngineListener {
public:
    void OnWord(std::size_t index, std::size_t begin, std::size_t length) override {
        indexes.push_back(index);
        words.push_back(shown.substr(begin, length));
        if (onWord) onWord();
    }
    void OnMouth(Mouth mouth) override { mouths.push_back(mouth); }
    void OnFinished() override { ++finished; }
    void OnHeld() override { ++held; }
    bool HeardNothing() const { return words.empty() && mouths.empty() && finished == 0; }

    std::u16string shown;  // the utterance's shown text, to turn word offsets back into text
    Words words;
    std::vector<std::size_t> indexes;
    std::vector<Mouth> mouths;
    int finished = 0, held = 0;
    std::function<void()> onWord;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class SapiEngineTest : public ::testing::Test {
protected:
    bool Say(std::u16string_view tagged, core::VoiceChoice choice = {},
             RecordingListener* to = nullptr) {
        RecordingListener& heard = to ? *to : listener;
        auto utterance = Utterance(tagged);
        heard.shown = utterance->ShownText();
        return engine.Speak(std::move(utterance), choice, heard);
    }
    // The word SAPI would report for `xmlWord` in the last XML.
    VoiceEvent WordEvent(std::u16string_view xmlWord) const {
        const std::size_t at = voice->spoken.back().find(xmlWord);
        return {Kind::Word, voice->lastStream, at, xmlWord.size(), 0};
    }
    VoiceEvent Event(Kind kind, int viseme = 0) const {
        return {kind, voice->lastStream, 0, 0, viseme};
    }
    void Send(std::vector<VoiceEvent> events) {
        voice->Send(std::move(events));
        PumpMessages();
    }

    vocalinka::test::ManualScheduler scheduler;
    FakeVoice* voice = nullptr;  // made at the first Speak
    SapiEngine engine{scheduler, [this] {
                          auto made = std::make_unique<FakeVoice>();
                          voice = made.get();
                          return made;
                      }};
    RecordingListener listener;
};

// How SAPI positions map to shown text is SpeechXml's part; here, that the engine uses it.
TEST_F(SapiEngineTest, SpeaksSapiXmlReportsShownWordsAndFinishesOnce) {
    const std::u16string tagged = u"It is \\Map=\"ten past two\"=\"2:10\"\\ x < y";
    ASSERT_TRUE(Say(tagged));
    EXPECT_EQ(voice->spoken.back(), SpeechXml(core::ParseSpeechTags(tagged)).Text());
    Send({Event(Kind::StreamStart), WordEvent(u"past"), WordEvent(u"&lt;"), Event(Kind::StreamEnd),
          Event(Kind::StreamEnd), WordEvent(u"y")});
    Send({Event(Kind::StreamEnd)});
    EXPECT_EQ(listener.words, (Words{u"2:10", u"<"}));
    EXPECT_EQ(listener.finished, 1);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());
}

TEST_F(SapiEngineTest, VisemesMoveTheMouthAndEachVoiceMustProveItGivesThem) {
    ASSERT_TRUE(Say(u"Hi"));
    EXPECT_FALSE(engine.GivesVisemes());
    Send({Event(Kind::Viseme, 2), Event(Kind::Viseme, 21), Event(Kind::Viseme, 7)});
    EXPECT_EQ(listener.mouths, (std::vector<Mouth>{Mouth::Wide, Mouth::Closed, Mouth::Round}));
    EXPECT_TRUE(engine.GivesVisemes());
    ASSERT_TRUE(Say(u"Hi again"));
    EXPECT_TRUE(engine.GivesVisemes()) << "the same voice";
    ASSERT_TRUE(Say(u"Salut", {1036, u""}));
    EXPECT_FALSE(engine.GivesVisemes()) << "a new voice";
}

TEST_F(SapiEngineTest, StopOrANewUtteranceSilencesTheOldOneAndDropsItsLaterEvents) {
    RecordingListener first;
    ASSERT_TRUE(Say(u"Hi there", {}, &first));
    voice->Send({Event(Kind::StreamStart), WordEvent(u"Hi")});
    engine.Stop();  // the events above are still waiting in the message queue
    engine.Stop();  // nothing speaks: nothing to purge
    EXPECT_EQ(voice->Count("purge"), 1);
    Send({WordEvent(u"there"), Event(Kind::Viseme, 2), Event(Kind::StreamEnd)});
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());

    ASSERT_TRUE(Say(u"one", {}, &first));
    const VoiceEvent oldWord = WordEvent(u"one");
    ASSERT_TRUE(Say(u"two three"));
    EXPECT_EQ(voice->Count("purge"), 2);
    // The old utterance's last events arrive after the new one started.
    Send({{Kind::Viseme, oldWord.stream, 0, 0, 2},
          oldWord,
          {Kind::StreamEnd, oldWord.stream, 0, 0, 0},
          WordEvent(u"three"),
          Event(Kind::StreamEnd)});
    EXPECT_TRUE(first.HeardNothing());
    EXPECT_TRUE(listener.mouths.empty());
    EXPECT_EQ(listener.words, Words{u"three"});
    EXPECT_EQ(listener.finished, 1);
}

// A long text of ampersands and words goes to the voice a part at a time: the next part when
// the last has been spoken, each part's words naming their place in the whole text, one end.
TEST_F(SapiEngineTest, ALongTextIsGivenToTheVoiceAPartAtATime) {
    std::u16string text;
    for (int i = 0; text.size() < 3 * SapiEngine::kPartUnits; ++i) {
        const std::string number = std::to_string(i);  // each word once
        text += u'w';
        text.append(number.begin(), number.end());
        text += u" &&&& ";
    }
    ASSERT_TRUE(Say(text));
    std::size_t parts = 0;
    while (listener.finished == 0 && parts < 10) {
        ASSERT_EQ(voice->spoken.size(), ++parts);
        const std::u16string& xml = voice->spoken.back();
        // No part holds more than its share of text, its escapes and their bookmarks.
        EXPECT_LT(xml.size(), SapiEngine::kPartUnits * 30);
        const std::size_t at = xml.find(u'w');  // the first word: tags hold no "w"
        ASSERT_NE(at, std::u16string::npos);
        const std::size_t end = xml.find(u' ', at);
        ASSERT_NE(end, std::u16string::npos);
        const std::u16string word = xml.substr(at, end - at);
        Send({Event(Kind::StreamStart), {Kind::Word, voice->lastStream, at, word.size(), 0}});
        ASSERT_FALSE(listener.words.empty());
        EXPECT_EQ(listener.words.back(), word) << "part " << parts;
        EXPECT_EQ(listener.finished, 0);
        Send({Event(Kind::StreamEnd)});
    }
    EXPECT_GE(parts, 3u);
    EXPECT_EQ(listener.finished, 1);
    EXPECT_EQ(voice->spoken.size(), parts) << "nothing is spoken after the end";
}

// Held, the listener hears nothing (words and the end wait for Resume, the mouth rests) and a
// silent voice is not taken for a mute one; SAPI's pause count always comes back to nothing,
// after the purge, whether the pause ends by Resume, Stop or the engine's end.
TEST_F(SapiEngineTest, PauseHoldsTheWordsAndEveryPauseOfTheVoiceIsMatched) {
    ASSERT_TRUE(Say(u"one two three"));
    Send({Event(Kind::StreamStart), WordEvent(u"one")});
    engine.Pause();
    engine.Pause();
    EXPECT_EQ(listener.held, 1);
    EXPECT_EQ(voice->Count("pause"), 1);
    Send({WordEvent(u"two"), Event(Kind::Viseme, 2)});
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_EQ(listener.words, Words{u"one"});
    EXPECT_TRUE(listener.mouths.empty());
    engine.Resume();
    engine.Resume();
    EXPECT_EQ(voice->Count("resume"), 1);
    PumpMessages();
    EXPECT_EQ(listener.words, (Words{u"one", u"two"}));
    EXPECT_EQ(listener.indexes, (std::vector<std::size_t>{0, 1}));

    engine.Pause();
    Send({WordEvent(u"three"), Event(Kind::StreamEnd)});
    EXPECT_EQ(listener.finished, 0);
    engine.Stop();
    EXPECT_EQ(voice->calls,
              (std::vector<std::string>{"pause", "resume", "pause", "purge", "resume"}));
    PumpMessages();
    EXPECT_EQ(listener.words.size(), 2u);
    EXPECT_EQ(listener.finished, 0);

    long pausesLeft = -1;
    {
        SapiEngine doomed(scheduler, [&] {
            auto made = std::make_unique<FakeVoice>();
            made->onDestroy = [&](const FakeVoice& gone) {
                pausesLeft = gone.Count("pause") - gone.Count("resume");
            };
            return made;
        });
        RecordingListener other;
        ASSERT_TRUE(doomed.Speak(Utterance(u"Hi"), {}, other));
        doomed.Pause();
    }
    EXPECT_EQ(pausesLeft, 0) << "a pause left at the engine's end";
}

// A new speed: the rest from the word after the last one reported is given to the voice at
// that speed, the old part's late events are dropped and the word indexes go on. Held, the
// voice stays paused with the new rest and speaks it at Resume.
TEST_F(SapiEngineTest, ANewSpeedSpeaksTheRestFromTheNextWord) {
    ASSERT_TRUE(Say(u"One two three four"));
    engine.SetRate(1000);
    ASSERT_EQ(voice->spoken.size(), 2u);
    EXPECT_NE(voice->spoken.back().find(u"One two three four"), std::u16string::npos)
        << "nothing reported yet: all of it";
    const VoiceEvent one = WordEvent(u"One");
    Send({Event(Kind::StreamStart), one});
    engine.SetRate(300);
    ASSERT_EQ(voice->spoken.size(), 3u);
    const std::u16string& rest = voice->spoken.back();
    EXPECT_EQ(rest.rfind(u"<rate absspeed=\"6\"/>", 0), 0u) << "at 250, the fastest";
    EXPECT_EQ(rest.find(u"One"), std::u16string::npos);
    EXPECT_NE(rest.find(u" two three four"), std::u16string::npos);
    Send({one, WordEvent(u"two")});
    engine.Pause();
    engine.SetRate(60);
    EXPECT_EQ(voice->spoken.back().find(u"two"), std::u16string::npos);
    EXPECT_EQ(voice->Count("resume"), 0) << "still held";
    engine.Resume();
    Send({WordEvent(u"three"), WordEvent(u"four"), Event(Kind::StreamEnd)});
    EXPECT_EQ(listener.words, (Words{u"One", u"two", u"three", u"four"}));
    EXPECT_EQ(listener.indexes, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_EQ(listener.finished, 1);
    EXPECT_EQ(voice->Count("pause"), voice->Count("resume"));
}

TEST_F(SapiEngineTest, AListenerMayStopFromItsCallbacks) {
    ASSERT_TRUE(Say(u"one two three"));
    listener.onWord = [this] { engine.Stop(); };
    Send({WordEvent(u"one"), WordEvent(u"two"), Event(Kind::StreamEnd)});
    EXPECT_EQ(listener.words, Words{u"one"});
    EXPECT_EQ(listener.finished, 0);
}

TEST_F(SapiEngineTest, AVoiceThatStaysSilentIsReportedOnceAndRefusedAfter) {
    int stalls = 0;
    engine.SetStallHandler([&] { ++stalls; });
    ASSERT_TRUE(Say(u"Hi"));
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs - 1);
    EXPECT_EQ(stalls, 0);
    scheduler.AdvanceBy(1);
    EXPECT_EQ(stalls, 1);
    EXPECT_TRUE(engine.Stalled());
    EXPECT_EQ(voice->Count("purge"), 1) << "a late start must not speak over the fallback";

    Send({Event(Kind::StreamStart), WordEvent(u"Hi"), Event(Kind::StreamEnd)});
    EXPECT_TRUE(listener.HeardNothing());
    EXPECT_FALSE(Say(u"Again"));
    EXPECT_EQ(voice->spoken.size(), 1u);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_EQ(stalls, 1);
}

TEST_F(SapiEngineTest, FailuresStartNothing) {
    for (const std::string failure : {"no SAPI", "notification refused", "Speak refused"}) {
        SapiEngine failing(scheduler, [&]() -> std::unique_ptr<Voice> {
            if (failure == "no SAPI") return nullptr;
            auto made = std::make_unique<FakeVoice>();
            made->failNotify = failure == "notification refused";
            made->failSpeak = failure == "Speak refused";
            return made;
        });
        failing.SetStallHandler([&] { ADD_FAILURE() << "stall after " << failure; });
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_FALSE(failing.Speak(Utterance(u"Hi"), {}, listener)) << failure;
        }
        scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
        PumpMessages();
        EXPECT_TRUE(listener.HeardNothing()) << failure;
    }
}

TEST_F(SapiEngineTest, VoiceIsSetOnlyWhenTheChoiceChangesAndFallsBackToTheDefault) {
    const struct {
        long languageId;
        std::set<std::u16string> broken;
        Words used;
        bool spoke, noted;
    } cases[] = {
        {1036, {}, {u"hortense"}, true, false},
        {1036, {}, {}, true, false},                                   // the same voice again
        {1031, {}, {u""}, true, true},                                 // German: the default voice
        {1036, {u"hortense"}, {u"hortense", u""}, true, true},         // listed, cannot be loaded
        {1036, {u"hortense", u""}, {u"hortense", u""}, false, false},  // no voice works at all
    };
    ASSERT_TRUE(Say(u"Hello"));  // in English, with David
    for (const auto& c : cases) {
        voice->used.clear();
        voice->brokenVoices = c.broken;
        EXPECT_EQ(Say(u"Bonjour", {c.languageId, u""}), c.spoke) << c.languageId;
        EXPECT_EQ(voice->used, c.used) << c.languageId;
        EXPECT_TRUE(!c.spoke || engine.LastVoiceNote().empty() != c.noted) << c.languageId;
    }
}

}  // namespace
}  // namespace agent::sapi
