// One loaded character: its windows, its animations, its voices and its request queue.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "agent/agent.h"
#include "agent/agent_testing.h"
#include "agent/core/paced_engine.h"
#include "agent/core/request_queue.h"
#include "agent/format/character_file.h"
#include "agent/intl/language_texts.h"
#include "agent/sapi/sapi_engine.h"
#include "balloon_window.h"
#include "character_window.h"
#include "portable/animator.h"
#include "trace_log.h"
#include "window_scheduler.h"

namespace agent::win {

// What the characters of one Control share.
class ControlContext {
public:
    ControlContext(Events& events, HWND anchor, testing::ControlOptions options);
    ControlContext(const ControlContext&) = delete;
    ControlContext& operator=(const ControlContext&) = delete;

    // Events reach the program from the message loop, in the order raised, each traced as it
    // is delivered.
    void PostBalloonHide(const std::wstring& characterId);
    void PostHide(const std::wstring& characterId, HideCause cause);
    void Trace(const TraceLine& line) const { trace_.Write(line); }

    WindowScheduler& Scheduler() noexcept { return scheduler_; }
    HWND Anchor() const noexcept { return anchor_; }
    const testing::ControlOptions& Options() const noexcept { return options_; }
    // Where the user last put a character; later characters and shows start there.
    std::optional<Point> userPlacement;

private:
    Events& events_;
    HWND anchor_;
    testing::ControlOptions options_;
    TraceLog trace_;
    WindowScheduler scheduler_;
};

class CharacterImpl final : public Character,
                            core::CharacterActions,
                            core::QueueEvents,
                            core::EngineListener,
                            CharacterWindowListener {
public:
    CharacterImpl(ControlContext& context, std::wstring id, format::CharacterData data);
    ~CharacterImpl() override;
    CharacterImpl(const CharacterImpl&) = delete;
    CharacterImpl& operator=(const CharacterImpl&) = delete;

    const std::wstring& Id() const noexcept { return id_; }

    void Show() override;
    void Hide() override;
    void Speak(std::wstring_view text) override;
    void Stop() override;
    void Pause() override;
    void Resume() override;
    bool IsPaused() const override { return queue_.IsPaused(); }
    void SetRate(int speedWpm) override;
    void SetLanguageID(long languageId) override;
    long LanguageID() const override { return languageId_; }
    void SetTTSModeID(std::wstring_view modeId) override;
    std::wstring TTSModeID() const override { return ttsModeId_; }

private:
    void BeginShow() override;
    void BeginHide() override;
    void BeginSpeak(core::SharedUtterance utterance) override;
    void CloseBalloon() override;
    void CancelCurrent() override;
    void HideAtOnce() override;
    void PauseSpeech() override;
    void ResumeSpeech() override;
    void ChangeRate(int speedWpm) override;

    void RaiseBalloonHide() override;
    void RaiseHide(int cause) override;

    void OnWord(std::size_t index, std::size_t shownBegin, std::size_t shownLength) override;
    void OnMouth(core::Mouth mouth) override;
    void OnHeld() override;
    void OnFinished() override;

    void OnHideCommand() override;
    void OnMoved() override;
    void OnPlacedByUser(Point topLeft) override;

    void TraceRequest(std::string_view name) const;
    std::wstring IntlFolder() const;
    void ApplyTexts(const intl::TextsOrError& loaded);
    Point ShowPosition();
    core::VoiceChoice Voice() const;
    void SpeakPaced();
    void UsePacedFromNowOn(std::u16string_view why);
    void StopSpeech();
    void StopMouthSteps();
    // Moves the mouth through one word, for voices that report words but no visemes.
    void MouthWord(std::size_t step);

    ControlContext& context_;
    std::wstring id_;
    format::CharacterData data_;
    CharacterWindow window_;
    BalloonWindow balloon_;
    Animator animator_;
    core::PacedEngine paced_;
    std::unique_ptr<sapi::SapiEngine> sapi_;  // null when the Control is silent
    core::SpeechEngine* speaking_ = nullptr;
    bool pacedFromNowOn_ = false;
    core::SharedUtterance utterance_;  // while it is spoken
    // Of the Speak under way, for the paced engine when it takes over from a mute voice.
    bool speechHeld_ = false;
    std::optional<int> speedWpm_;
    std::optional<core::Scheduler::Token> mouthStep_;
    long languageId_ = 1033;
    std::wstring ttsModeId_;
    core::RequestQueue queue_;  // last: it goes first and calls nothing on the way out
};

}  // namespace agent::win
