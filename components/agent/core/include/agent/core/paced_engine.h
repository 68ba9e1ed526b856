// The engine that always works: it moves the highlight and the mouth word by word at the
// tagged speed, silently. Used when no voice can speak.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "agent/core/speech_engine.h"
#include "agent/core/words.h"

namespace agent::core {

class PacedEngine final : public SpeechEngine {
public:
    // The scheduler must outlive the engine.
    explicit PacedEngine(Scheduler& scheduler);
    ~PacedEngine() override;
    PacedEngine(const PacedEngine&) = delete;
    PacedEngine& operator=(const PacedEngine&) = delete;

    // Stops what runs, then paces this utterance. Nothing reaches the listener before Speak
    // returns, not even for an utterance without words. Per word: OnWord, a few mouth shapes,
    // Closed; after the last word OnFinished. Always true. Words are found one at a time as
    // they are reached, so a text of any length costs the same to start and keeps no list.
    bool Speak(SharedUtterance utterance, const VoiceChoice& voice,
               EngineListener& listener) override;
    void Stop() override;
    // Held, nothing is scheduled at all. A pause between words holds at once (OnHeld from
    // inside Pause); within a word, after its mouth has closed. Resume starts the next word
    // after its own tagged pause, without the silence the held word had left to run.
    void Pause() override;
    void Resume() override;
    void SetRate(int speedWpm) override;

private:
    struct PlannedWord {
        std::size_t shownBegin = 0;
        std::size_t shownLength = 0;
        std::u16string_view letters;  // the text the mouth follows, inside the utterance
        int pauseBeforeMs = 0;
        bool emphasis = false;
        int openMs = 0;    // mouth moving
        int closedMs = 0;  // mouth closed after the word
    };
    using Step = void (PacedEngine::*)();

    // Plans the next word into word_; false after the last.
    bool PlanNext();
    // The word's mouth and silence at this speed.
    void PaceAt(int speedWpm);
    // Schedules the step, or, held, keeps it for Resume when it begins a word or the end.
    void Schedule(int delayMs, Step step);
    void Hold(Step step);
    void StartWord();
    void ShowFrame();
    void EndWord();
    void Finish();
    Mouth FrameMouth() const;
    int FrameCount() const;
    bool StillCurrent(unsigned long run) const { return run == run_; }

    Scheduler& scheduler_;
    EngineListener* listener_ = nullptr;
    SharedUtterance utterance_;
    std::optional<WordCursor> cursor_;  // walks utterance_
    std::size_t segmentsEntered_ = 0;   // segments whose pause and stress have been taken
    int pendingPauseMs_ = 0;            // of segments entered without a word yet
    bool pendingEmphasis_ = false;
    PlannedWord word_;
    bool inWord_ = false;  // between StartWord and EndWord: a pause waits for the word's end
    std::size_t wordIndex_ = 0;
    std::optional<int> speedWpm_;  // from SetRate, over the tags
    bool paused_ = false;
    Step held_ = nullptr;         // what Resume runs: StartWord or Finish
    Step pendingStep_ = nullptr;  // what pending_ runs
    int frame_ = 0;
    Mouth lastMouth_ = Mouth::Closed;
    Scheduler::Token pending_ = 0;
    // When the step under way was due: the next is timed from here, not from when this one
    // actually ran, so that late timers do not add up over the words.
    long long dueMs_ = 0;
    unsigned long run_ = 0;  // rises on every Speak and Stop; older callbacks see the change
};

}  // namespace agent::core
