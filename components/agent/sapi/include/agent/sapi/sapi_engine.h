// The character's voice: a SpeechEngine over SAPI 5. Lives on the user-interface thread, which
// must run a message loop: the voice's events arrive as messages to a message-only window of
// the engine's own and are passed to the listener from there. A listener may call Speak or
// Stop from its callbacks, but must not destroy the engine there.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "agent/core/speech_engine.h"
#include "agent/sapi/speech_xml.h"
#include "agent/sapi/voice.h"
#include "win32util/handles.h"

namespace agent::sapi {

class SapiEngine final : public core::SpeechEngine {
public:
    using VoiceFactory = std::function<std::unique_ptr<Voice>()>;

    // A voice that accepts an utterance but sends no event at all within this time is taken
    // to be mute (seen with SAPI stubs that "succeed" and never speak): the engine silences
    // the utterance, reports the stall and refuses later utterances, so that the caller can
    // read them with the paced engine without ever hearing two voices.
    static constexpr int kFirstEventBoundMs = 2000;

    // A long text is given to the voice a part of about this many characters at a time, the
    // next when the last has been spoken, so that its XML never exists whole.
    static constexpr std::size_t kPartUnits = 8192;

    // The voice is made at the first Speak, so that an engine that never speaks costs nothing.
    explicit SapiEngine(core::Scheduler& scheduler, VoiceFactory makeVoice = MakeSapiVoice);
    ~SapiEngine() override;
    SapiEngine(const SapiEngine&) = delete;
    SapiEngine& operator=(const SapiEngine&) = delete;

    // Stops what is speaking, then speaks the utterance. False when SAPI cannot be had, the
    // voice refuses the text, or the engine has stalled before: nothing was started.
    bool Speak(core::SharedUtterance utterance, const core::VoiceChoice& voice,
               core::EngineListener& listener) override;
    void Stop() override;
    // The voice pauses at its next word boundary; the listener is told at once (OnHeld) and
    // hears nothing more until Resume: the voice's events meanwhile wait and come then. The
    // voice's pause is always matched by one Resume, by Resume, Stop or the engine's end.
    void Pause() override;
    void Resume() override;
    // The rest of the utterance, from the word after the last one reported, replaces what the
    // voice has, at the new speed; word offsets and indexes go on as before. When the voice
    // refuses it the utterance ends there (OnFinished, from inside this call).
    void SetRate(int speedWpm) override;

    // Called on the user-interface thread when an utterance stalled (see kFirstEventBoundMs).
    // Its listener hears nothing more; the caller speaks the utterance another way.
    void SetStallHandler(std::function<void()> handler) { stallHandler_ = std::move(handler); }
    bool Stalled() const noexcept { return stalled_; }

    // True once the current voice has sent a viseme, so OnMouth follows its sounds. Until then
    // (and for voices without visemes) only OnWord arrives and the caller moves the mouth itself.
    bool GivesVisemes() const noexcept { return givesVisemes_; }

    // Why the last Speak's voice is not the one asked for (unknown mode id, no voice of that
    // language): a few words for a trace line; empty when it is.
    const std::u16string& LastVoiceNote() const noexcept { return voiceNote_; }

private:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool EnsureVoice();
    bool ChooseVoice(const core::VoiceChoice& choice);
    void OnVoiceEvents();
    void OnVoiceEvent(const VoiceEvent& event);
    // Gives the voice the part of the utterance that starts there; false when it refuses it.
    bool SpeakPart(XmlPosition from);
    void ArmStallTimer();
    void OnPartSpoken();
    void OnNoEventInTime(unsigned long stream);
    void CancelStallTimer();
    void Forget();  // no utterance is current any more

    core::Scheduler& scheduler_;
    VoiceFactory makeVoice_;
    // Declared before the voice, so the voice, which posts to the window, goes first.
    HWND hwnd_ = nullptr;  // set by the window procedure when the window is made
    win32util::UniqueWindow window_;
    std::unique_ptr<Voice> voice_;
    bool voiceUnavailable_ = false;
    std::vector<InstalledVoice> installed_;
    std::u16string chosenVoiceId_;  // empty: the default voice
    std::u16string voiceNote_;

    // The utterance now speaking, and its part that the voice has.
    core::SharedUtterance utterance_;
    std::optional<unsigned long> stream_;
    std::optional<SpeechXml> xml_;
    XmlPosition partStart_;
    std::optional<std::size_t> lastShownEnd_;  // of the last word reported from this part
    std::size_t wordsReported_ = 0;
    std::optional<int> speedWpm_;         // from SetRate, over the tags
    bool paused_ = false;                 // the voice holds one Pause of ours
    bool stallTimerHeld_ = false;         // paused before the voice was heard from
    std::vector<VoiceEvent> heldEvents_;  // arrived while paused
    core::EngineListener* listener_ = nullptr;
    std::optional<core::Scheduler::Token> stallTimer_;

    bool stalled_ = false;
    bool givesVisemes_ = false;
    std::function<void()> stallHandler_;
};

}  // namespace agent::sapi
