// The SAPI engine over a fake voice that records what it is asked and sends the events a test
// chooses, through the engine's real message window; and once over the machine's own SAPI.
#include "agent/sapi/sapi_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
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

struct Heard {
    std::vector<std::u16string> words;  // the shown text of each OnWord
    std::vector<Mouth> mouths;
    int finished = 0;
    bool Nothing() const { return words.empty() && mouths.empty() && finished == 0; }
};

class RecordingListener : public core::EngineListener {
public:
    explicit RecordingListener(std::u16string shown = {}) : shown_(std::move(shown)) {}
    void OnWord(std::size_t begin, std::size_t length) override {
        heard.words.push_back(begin + length <= shown_.size() ? shown_.substr(begin, length)
                                                              : u"<out of range>");
        if (onWord) onWord();
    }
    void OnMouth(Mouth mouth) override { heard.mouths.push_back(mouth); }
    void OnFinished() override {
        ++heard.finished;
        if (onFinished) onFinished();
    }
    void Expect(std::u16string shown) { shown_ = std::move(shown); }

    Heard heard;
    std::function<void()> onWord;
    std::function<void()> onFinished;

private:
    std::u16string shown_;
};

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? char(c) : '?';
    return out;
}

class SapiEngineTest : public ::testing::Test {
protected:
    // Speaks tagged text; the listener then turns shown offsets back into text.
    bool Say(std::u16string_view tagged, core::VoiceChoice choice = {}) {
        const core::Utterance utterance = core::ParseSpeechTags(tagged);
        listener.Expect(utterance.ShownText());
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

TEST_F(SapiEngineTest, SpeaksTheUtteranceAsSapiXml) {
    ASSERT_TRUE(Say(u"\\Spd=50\\\\Pit=400\\\\Vol=32768\\Hello & <you>\\Pau=500\\ there"));
    ASSERT_EQ(voice.spoken.size(), 1u);
    const std::u16string& xml = voice.spoken[0];
    for (const std::u16string_view part :
         {u"<rate absspeed=\"-8\"/>", u"<pitch absmiddle=\"10\"/>", u"<volume level=\"50\"/>",
          u"Hello &amp;", u"&lt;", u"you&gt;", u"<silence msec=\"500\"/> there"}) {
        EXPECT_NE(xml.find(part), xml.npos) << Narrow(part) << " in " << Narrow(xml);
    }
    EXPECT_EQ(xml.find(u"<you>"), xml.npos) << "the text must never become markup";
}

TEST_F(SapiEngineTest, WordsAreReportedInTheShownText) {
    const struct {
        const char* name;
        std::u16string tagged;
        std::u16string xmlWord;
        int occurrence;
        std::u16string shown;
    } cases[] = {
        {"plain", u"Good morning", u"morning", 0, u"morning"},
        {"after tags", u"\\Spd=200\\Good \\Pit=300\\morning", u"morning", 0, u"morning"},
        {"mapped", u"It is \\Map=\"ten past two\"=\"2:10\"\\ now", u"past", 0, u"2:10"},
        {"ampersand", u"Tom & Jerry", u"&amp;", 0, u"&"},
        {"after escapes", u"a<b> & c<d> done", u"done", 0, u"done"},
        {"inside an escape", u"x < y", u"&lt;", 0, u"<"},
        {"Greek", u"Γειά σου κόσμε", u"σου", 0, u"σου"},
        {"Chinese", u"你好 世界", u"世界", 0, u"世界"},
        {"emoji before", u"\xD83D\xDC4B hello", u"hello", 0, u"hello"},
    };
    for (const auto& c : cases) {
        listener.heard = {};
        ASSERT_TRUE(Say(c.tagged)) << c.name;
        voice.Send({Event(Kind::StreamStart), WordEvent(c.xmlWord, c.occurrence)});
        PumpMessages();
        ASSERT_EQ(listener.heard.words.size(), 1u) << c.name;
        EXPECT_EQ(listener.heard.words[0], c.shown) << c.name;
    }
}

TEST_F(SapiEngineTest, VisemesMoveTheMouthAndProveTheVoiceGivesThem) {
    ASSERT_TRUE(Say(u"Hi"));
    EXPECT_FALSE(engine.GivesVisemes());
    voice.Send({Event(Kind::Viseme, 2), Event(Kind::Viseme, 21), Event(Kind::Viseme, 7)});
    PumpMessages();
    EXPECT_EQ(listener.heard.mouths,
              (std::vector<Mouth>{Mouth::Wide, Mouth::Closed, Mouth::Round}));
    EXPECT_TRUE(engine.GivesVisemes());
    EXPECT_TRUE(listener.heard.words.empty());
}

TEST_F(SapiEngineTest, TheEndFinishesExactlyOnce) {
    ASSERT_TRUE(Say(u"Hi there"));
    voice.Send(
        {WordEvent(u"Hi"), Event(Kind::StreamEnd), Event(Kind::StreamEnd), WordEvent(u"there")});
    PumpMessages();
    voice.Send({Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_EQ(listener.heard.finished, 1);
    EXPECT_EQ(listener.heard.words, std::vector<std::u16string>{u"Hi"});
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());
}

TEST_F(SapiEngineTest, StopSilencesTheVoiceAndDropsItsLaterEvents) {
    ASSERT_TRUE(Say(u"Hi there"));
    voice.Send({Event(Kind::StreamStart), WordEvent(u"Hi")});
    engine.Stop();  // the events above are still waiting in the message queue
    EXPECT_EQ(voice.purges, 1);
    voice.Send({WordEvent(u"there"), Event(Kind::Viseme, 2), Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(listener.heard.Nothing());
    engine.Stop();  // nothing speaks: nothing to purge
    EXPECT_EQ(voice.purges, 1);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
    EXPECT_FALSE(engine.Stalled());
}

TEST_F(SapiEngineTest, ANewUtteranceReplacesTheOldOneAndItsEvents) {
    RecordingListener first;
    first.Expect(u"one");
    ASSERT_TRUE(engine.Speak(core::ParseSpeechTags(u"one"), {}, first));
    const VoiceEvent oldWord = WordEvent(u"one");
    const unsigned long oldStream = oldWord.stream;
    ASSERT_TRUE(Say(u"two three"));
    EXPECT_EQ(voice.purges, 1);
    // The old utterance's last events arrive after the new one started.
    voice.Send({{Kind::Viseme, oldStream, 0, 0, 2},
                oldWord,
                {Kind::StreamEnd, oldStream, 0, 0, 0},
                WordEvent(u"three"),
                Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_TRUE(first.heard.Nothing());
    EXPECT_TRUE(listener.heard.mouths.empty());
    EXPECT_EQ(listener.heard.words, std::vector<std::u16string>{u"three"});
    EXPECT_EQ(listener.heard.finished, 1);
}

TEST_F(SapiEngineTest, AListenerMayStopOrSpeakAgainFromItsCallbacks) {
    ASSERT_TRUE(Say(u"one two three"));
    listener.onWord = [this] { engine.Stop(); };
    voice.Send({WordEvent(u"one"), WordEvent(u"two"), Event(Kind::StreamEnd)});
    PumpMessages();
    EXPECT_EQ(listener.heard.words, std::vector<std::u16string>{u"one"});
    EXPECT_EQ(listener.heard.finished, 0);

    listener.heard = {};
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
    EXPECT_EQ(listener.heard.words, std::vector<std::u16string>{u"more"});
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
    EXPECT_TRUE(listener.heard.Nothing());
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
    const struct {
        const char* name;
        bool noVoice;
        bool failNotify;
        bool failSpeak;
    } cases[] = {
        {"no SAPI", true, false, false},
        {"notification refused", false, true, false},
        {"Speak refused", false, false, true},
    };
    for (const auto& c : cases) {
        FakeVoiceState state;
        state.failNotify = c.failNotify;
        state.failSpeak = c.failSpeak;
        SapiEngine failing(scheduler, [&]() -> std::unique_ptr<Voice> {
            if (c.noVoice) return nullptr;
            return std::make_unique<FakeVoice>(state);
        });
        int stalls = 0;
        failing.SetStallHandler([&] { ++stalls; });
        RecordingListener heard;
        EXPECT_FALSE(failing.Speak(core::ParseSpeechTags(u"Hi"), {}, heard)) << c.name;
        EXPECT_FALSE(failing.Speak(core::ParseSpeechTags(u"Hi"), {}, heard)) << c.name;
        scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs * 2);
        PumpMessages();
        EXPECT_TRUE(heard.heard.Nothing()) << c.name;
        EXPECT_EQ(stalls, 0) << c.name;
        EXPECT_TRUE(state.spoken.empty()) << c.name;
    }
}

TEST_F(SapiEngineTest, VoiceFollowsModeIdThenLanguageWithANoteWhenSubstituted) {
    voice.installed = {{u"david", u"David", {0x409}}, {u"hortense", u"Hortense", {0x40C}}};
    const std::u16string french = u"{0879a4e1-a92c-11d1-b17b-0020afed142e}";
    const std::u16string english = u"{C77C5160-2867-11D0-847B-444553540000}";
    const struct {
        const char* name;
        long languageId;
        std::u16string modeId;
        std::u16string voice;
        bool noted;
    } cases[] = {
        {"French", 1036, u"", u"hortense", false},
        {"English", 1033, u"", u"david", false},
        {"French mode id", 1033, french, u"hortense", false},
        {"English mode id", 1036, english, u"david", false},
        {"unknown mode id", 1036, u"{12345678-0000-0000-0000-000000000000}", u"hortense", true},
        {"German: default voice", 1031, u"", u"", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(Say(u"Bonjour", {c.languageId, c.modeId})) << c.name;
        ASSERT_FALSE(voice.used.empty()) << c.name;
        EXPECT_EQ(voice.used.back(), c.voice) << c.name;
        EXPECT_EQ(!engine.LastVoiceNote().empty(), c.noted) << c.name;
    }
}

TEST_F(SapiEngineTest, AVoiceIsSetOnlyWhenItChanges) {
    voice.installed = {{u"david", u"David", {0x409}}};
    ASSERT_TRUE(Say(u"one"));
    ASSERT_TRUE(Say(u"two"));
    EXPECT_EQ(voice.used, std::vector<std::u16string>{u"david"});
}

TEST_F(SapiEngineTest, ABrokenVoiceFallsBackToTheDefault) {
    voice.installed = {{u"hortense", u"Hortense", {0x40C}}};
    voice.brokenVoices = {u"hortense"};
    ASSERT_TRUE(Say(u"Bonjour", {1036, u""}));
    EXPECT_EQ(voice.used, (std::vector<std::u16string>{u"hortense", u""}));
    EXPECT_NE(engine.LastVoiceNote().find(u"default voice"), std::u16string::npos);

    voice.brokenVoices.insert(u"");
    voice.used.clear();
    EXPECT_FALSE(Say(u"Bonjour", {1036, u""})) << "no voice works at all";
    EXPECT_EQ(voice.used, (std::vector<std::u16string>{u"hortense", u""}));
}

TEST_F(SapiEngineTest, ANewVoiceMustProveItGivesVisemes) {
    voice.installed = {{u"david", u"David", {0x409}}, {u"hortense", u"Hortense", {0x40C}}};
    ASSERT_TRUE(Say(u"Hi", {1033, u""}));
    voice.Send({Event(Kind::Viseme, 4)});
    PumpMessages();
    EXPECT_TRUE(engine.GivesVisemes());
    ASSERT_TRUE(Say(u"Salut", {1036, u""}));
    EXPECT_FALSE(engine.GivesVisemes());
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
    listener.Expect(utterance.ShownText());
    if (!engine.Speak(utterance, {}, listener)) {
        PumpMessages();
        EXPECT_TRUE(listener.heard.Nothing());
        return;
    }
    // Bounded waits in real time for a real voice; the stall check runs on the test's clock.
    const auto pumpFor = [&](DWORD milliseconds) {
        const DWORD start = GetTickCount();
        while (listener.heard.finished == 0 && GetTickCount() - start < milliseconds) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            PumpMessages();
        }
    };
    pumpFor(3000);
    scheduler.AdvanceBy(SapiEngine::kFirstEventBoundMs);
    if (!stalled) pumpFor(30'000);
    EXPECT_NE(listener.heard.finished == 1, stalled);
    EXPECT_LE(listener.heard.finished, 1);
    for (const std::u16string& word : listener.heard.words) EXPECT_NE(word, u"<out of range>");
}

}  // namespace
}  // namespace agent::sapi
