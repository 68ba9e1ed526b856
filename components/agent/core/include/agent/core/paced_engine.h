// The engine that always works: it moves the highlight and the mouth word by word at the
// tagged speed, silently. Used when no voice can speak.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "agent/core/speech_engine.h"

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
    // Closed; after the last word OnFinished. Always true.
    bool Speak(const Utterance& utterance, const VoiceChoice& voice,
               EngineListener& listener) override;
    void Stop() override;

private:
    struct PlannedWord {
        std::size_t shownBegin;
        std::size_t shownLength;
        std::size_t lettersBegin;  // the text the mouth follows, in letters_
        std::size_t lettersLength;
        int pauseBeforeMs;
        int openMs;    // mouth moving
        int closedMs;  // mouth closed after the word
    };

    void Plan(const Utterance& utterance);
    void Schedule(int delayMs, void (PacedEngine::*step)());
    void StartWord();
    void ShowFrame();
    void EndWord();
    void Finish();
    Mouth FrameMouth() const;
    int FrameCount() const;
    bool StillCurrent(unsigned long run) const { return run == run_; }

    Scheduler& scheduler_;
    EngineListener* listener_ = nullptr;
    std::vector<PlannedWord> words_;
    std::u16string letters_;
    std::size_t word_ = 0;
    int frame_ = 0;
    Mouth lastMouth_ = Mouth::Closed;
    Scheduler::Token pending_ = 0;
    unsigned long run_ = 0;  // rises on every Speak and Stop; older callbacks see the change
};

}  // namespace agent::core
