// The SAPI engine over a fake voice that records what it is asked and sends the events a test
// chooses, through the engine's real message window; and once over the machine's own SAPI.
#include "agent/sapi/sapi_engine.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "agent/core/manual_scheduler.h"
#include "agent/core/speech_tags.h"

namespace agent::sapi {
namespace {

using core::Mouth;
using Kind = VoiceEvent::Kind;

// What the fake voice was asked and how it is told to behave; the test keeps it while the
// engine owns the voice.
struct FakeVoiceState {
    std::vector<InstalledVoice> installed;
    std::set<std::u16string> brokenVoices;  // Use() fails for these
    bool failNotify = false;
    bool failSpeak = false;

    std::vector<std::u16string> used;
    std::vector<std::u16string> spoken;
    int purges = 0;
    unsigned long lastStream = 0;
    HWND window = nullptr;
    UINT message = 0;
    std::vector<VoiceEvent> waiting;

    // Queues events as a voice would and tells the engine's window that they wait.
    void Send(std::vector<VoiceEvent> events) {
        waiting.insert(waiting.end(), events.begin(), events.end());
        PostMessageW(window, message, 0, 0);
    }
};

class FakeVoice final : public Voice {
public:
    explicit FakeVoice(FakeVoiceState& state) : state_(state) {}
    std::vector<InstalledVoice> InstalledVoices() override { return state_.installed; }
    bool Use(const std::u16string& voiceId) override {
        state_.used.push_back(voiceId);
        return state_.brokenVoices.count(voiceId) == 0;
    }
    bool NotifyWindow(HWND window, UINT message) override {
        state_.window = window;
        state_.message = message;
        return !state_.failNotify;
    }
    bool Speak(const std::u16string& xml, unsigned long& stream) override {
        if (state_.failSpeak) return false;
        state_.spoken.push_back(xml);
        stream = ++state_.lastStream;
        return true;
    }
    void Purge() override { ++state_.purges; }
    std::vector<VoiceEvent> TakeEvents() override { return std::exchange(state_.waiting, {}); }

private:
    FakeVoiceState& state_;
};

class RecordingListener : public core::EngineListener {
public:
    void OnWord(std::size_t begin, std::size_t length) override {
        words.push_back(begin + length <= shown.size() ? shown.substr(begin, length)
                                                       : u"<out of range>");
        if (onWord) onWord();
    }
    void OnMouth(Mouth mouth) override { mouths.push_back(mouth); }
    void OnFinished() override {
        ++finished;
        if (onFinished) onFinished();
    }
    bool HeardNothing() const { return words.empty() && mouths.empty() && finished == 0; }

    std::u16string shown;  // the utterance's shown text, to turn word offsets back into text
    std::vector<std::u16string> words;
    std::vector<Mouth> mouths;
    int finished = 0;
    std::function<void()> onWord;
    std::function<void()> onFinished;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

class SapiEngineTest : public ::testing::Test {
protected:
    bool Say(std::u16string_view tagged, core::VoiceChoice choice = {}) {
        const core::Utterance utterance = core::ParseSpeechTags(tagged);
        listener.shown = utterance.ShownText();
        return engine.Speak(utterance, choice, listener);
    }
    // The word SAPI would report for `xmlWord` (its n-th occurrence) in the last XML.
    VoiceEvent WordEvent(std::u16string_view xmlWord, int occurrence = 0) const {
        const std::u16string& xml = voice.spoken.back();
        std::size_t at = xml.find(xmlWord);
        while (occurrence-- > 0) at = xml.find(xmlWord, at + 1);
        return {Kind::Word, voice.lastStream, at, xmlWord.size(), 0};
    }
    VoiceEvent Event(Kind kind, int viseme = 0) const {
        return {kind, voice.lastStream, 0, 0, viseme};
    }

    core::ManualScheduler scheduler;
    FakeVoiceState voice;
    SapiEngine engine{scheduler, [this] { return std::make_unique<FakeVoice>(voice); }};
    RecordingListener listener;
};

// How SAPI positions map to shown text is SpeechXml's part; here, that the engine uses it.
TEST_F(SapiEngineTest, SpeaksSapiXmlReportsShownWordsAndFinishesOnce) {
    const std::u16string tagged = u"It is \\Map=\"ten past two\"=\"2:10\"\\ x < y";
    ASSERT_TRUE(Say(tagged));
    EXPECT_EQ(voice.spoken.back(), SpeechXml(core::ParseSpeechTags(tagged)).Text());
    voice.Send({Event(Kind::StreamStart), WordEvent(u"past"), WordEvent(u"&lt;"),
                Event(Kind::StreamEnd), Event(Kind::StreamEnd), WordEvent(u"y")});
    PumpMessages();
    voice.Send({Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_EQ(listener.words, (std::vector<std::u16string>{u"2:10", u"<"}));
    EXPECT_EQ(listener.finished, 1);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());
}

TEST_F(SapiEngineTest, VisemesMoveTheMouthAndEachVoiceMustProveItGivesThem) {
    voice.installed = {{u"david", u"David", {0x409}}, {u"hortense", u"Hortense", {0x40C}}};
    ASSERT_TRUE(Say(u"Hi"));
    EXPECT_FALSE(engine.GivesVisemes());
    voice.Send({Event(Kind::Viseme, 2), Event(Kind::Viseme, 21), Event(Kind::Viseme, 7)});
    PumpMessages();
    EXPECT_EQ(listener.mouths, (std::vector<Mouth>{Mouth::Wide, Mouth::Closed, Mouth::Round}));
    EXPECT_TRUE(listener.words.empty());
    EXPECT_TRUE(engine.GivesVisemes());
    ASSERT_TRUE(Say(u"Hi again"));
    EXPECT_TRUE(engine.GivesVisemes()) << "the same voice";
    ASSERT_TRUE(Say(u"Salut", {1036, u""}));
    EXPECT_FALSE(engine.GivesVisemes()) << "a new voice";
}

TEST_F(SapiEngineTest, StopSilencesTheVoiceAndDropsItsLaterEvents) {
    ASSERT_TRUE(Say(u"Hi there"));
    voice.Send({Event(Kind::StreamStart), WordEvent(u"Hi")});
    engine.Stop();  // the events above are still waiting in the message queue
    EXPECT_EQ(voice.purges, 1);
    voice.Send({WordEvent(u"there"), Event(Kind::Viseme, 2), Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(listener.HeardNothing());
    engine.Stop();  // nothing speaks: nothing to purge
    EXPECT_EQ(voice.purges, 1);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());
}

TEST_F(SapiEngineTest, ANewUtteranceReplacesTheOldOneAndItsEvents) {
    RecordingListener first;
    first.shown = u"one";
    ASSERT_TRUE(engine.Speak(core::ParseSpeechTags(u"one"), {}, first));
    const VoiceEvent oldWord = WordEvent(u"one");
    ASSERT_TRUE(Say(u"two three"));
    EXPECT_EQ(voice.purges, 1);
    // The old utterance's last events arrive after the new one started.
    voice.Send({{Kind::Viseme, oldWord.stream, 0, 0, 2}, oldWord,
                {Kind::StreamEnd, oldWord.stream, 0, 0, 0}, WordEvent(u"three"),
                Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(first.HeardNothing());
    EXPECT_TRUE(listener.mouths.empty());
    EXPECT_EQ(listener.words, std::vector<std::u16string>{u"three"});
    EXPECT_EQ(listener.finished, 1);
}

TEST_F(SapiEngineTest, AListenerMayStopOrSpeakAgainFromItsCallbacks) {
    ASSERT_TRUE(Say(u"one two three"));
    listener.onWord = [this] { engine.Stop(); };
    voice.Send({WordEvent(u"one"), WordEvent(u"two"), Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_EQ(listener.words, std::vector<std::u16string>{u"one"});
    EXPECT_EQ(listener.finished, 0);

    listener.words.clear();
    listener.onWord = nullptr;
    ASSERT_TRUE(Say(u"again"));
    bool spokeAgain = false;
    listener.onFinished = [&] { spokeAgain = Say(u"more"); };
    voice.Send({Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(spokeAgain);
    EXPECT_EQ(voice.spoken.size(), 3u);
    voice.Send({WordEvent(u"more")});
    PumpMessages();
    EXPECT_EQ(listener.words, std::vector<std::u16string>{u"more"});
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
    EXPECT_EQ(voice.purges, 1) << "a late start must not speak over the fallback";

    voice.Send({Event(Kind::StreamStart), WordEvent(u"Hi"), Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(listener.HeardNothing());
    EXPECT_FALSE(Say(u"Again"));
    EXPECT_EQ(voice.spoken.size(), 1u);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_EQ(stalls, 1);
}

TEST_F(SapiEngineTest, AnyFirstEventShowsTheVoiceIsAlive) {
    for (const Kind first : {Kind::StreamStart, Kind::Word, Kind::Viseme}) {
        ASSERT_TRUE(Say(u"Hi"));
        voice.Send({first == Kind::Word ? WordEvent(u"Hi") : Event(first)});
        PumpMessages();
        scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 3);
        EXPECT_FALSE(engine.Stalled()) << int(first);
    }
}

TEST_F(SapiEngineTest, FailuresStartNothing) {
    for (const std::string failure : {"no SAPI", "notification refused", "Speak refused"}) {
        FakeVoiceState state;
        state.failNotify = failure == "notification refused";
        state.failSpeak = failure == "Speak refused";
        SapiEngine failing(scheduler, [&]() -> std::unique_ptr<Voice> {
            return failure == "no SAPI" ? nullptr : std::make_unique<FakeVoice>(state);
        });
        int stalls = 0;
        failing.SetStallHandler([&] { ++stalls; });
        for (int attempt = 0; attempt < 2; ++attempt) {
            EXPECT_FALSE(failing.Speak(core::ParseSpeechTags(u"Hi"), {}, listener)) << failure;
        }
        scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
        PumpMessages();
        EXPECT_TRUE(listener.HeardNothing()) << failure;
        EXPECT_EQ(stalls, 0) << failure;
        EXPECT_TRUE(state.spoken.empty()) << failure;
    }
}

TEST_F(SapiEngineTest, VoiceIsSetOnlyWhenTheChoiceChangesAndFallsBackToTheDefault) {
    voice.installed = {{u"david", u"David", {0x409}}, {u"hortense", u"Hortense", {0x40C}}};
    const struct {
        const char* name;
        long languageId;
        std::vector<std::u16string> used;
        bool noted;
    } cases[] = {
        {"French", 1036, {u"hortense"}, false},
        {"the same voice again", 1036, {}, false},
        {"English", 1033, {u"david"}, false},
        {"German: default voice", 1031, {u""}, true},
    };
    for (const auto& c : cases) {
        voice.used.clear();
        ASSERT_TRUE(Say(u"Bonjour", {c.languageId, u""})) << c.name;
        EXPECT_EQ(voice.used, c.used) << c.name;
        EXPECT_EQ(!engine.LastVoiceNote().empty(), c.noted) << c.name;
    }

    // A listed voice that cannot be loaded.
    voice.brokenVoices = {u"hortense"};
    voice.used.clear();
    ASSERT_TRUE(Say(u"Bonjour", {1036, u""}));
    EXPECT_EQ(voice.used, (std::vector<std::u16string>{u"hortense", u""}));
    EXPECT_NE(engine.LastVoiceNote().find(u"default voice"), std::u16string::npos);
    voice.brokenVoices.insert(u"");
    voice.used.clear();
    EXPECT_FALSE(Say(u"Bonjour", {1036, u""})) << "no voice works at all";
    EXPECT_EQ(voice.used, (std::vector<std::u16string>{u"hortense", u""}));
}

// The machine's own SAPI. Windows speaks and finishes; Wine 8 refuses Speak; a SAPI that
// accepts and never reports must end in a stall. Only that contract is asserted.
TEST(RealSapi, SpeaksToTheEndOrFailsCleanly) {
    core::ManualScheduler scheduler;
    RecordingListener listener;
    bool stalled = false;
    SapiEngine engine(scheduler);
    engine.SetStallHandler([&] { stalled = true; });
    const core::Utterance utterance = core::ParseSpeechTags(u"\\Spd=250\\Hi.");
    listener.shown = utterance.ShownText();
    if (!engine.Speak(utterance, {}, listener)) {
        PumpMessages();
        EXPECT_TRUE(listener.HeardNothing());
        return;
    }
    // Bounded waits in real time for a real voice; the stall check runs on the test's clock.
    const auto pumpFor = [&](DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (listener.finished == 0 && GetTickCount() - start < milliseconds) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
    };
    pumpFor(3000);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs);
    if (!stalled) pumpFor(30'000);
    EXPECT_NE(listener.finished == 1, stalled);
    EXPECT_LE(listener.finished, 1);
    for (const std::u16string& word : listener.words) EXPECT_NE(word, u"<out of range>");
}

}  // namespace
}  // namespace agent::sapi
