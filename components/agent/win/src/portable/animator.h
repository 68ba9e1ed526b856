// Plays a character's animations on a Scheduler: the show and hide animations, idling with a
// blink now and then, and speaking with mouth shapes. It decides which frame is on screen and
// when; the window only draws what it is told.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "agent/core/speech_engine.h"

namespace agent::win {

struct AnimationStep {
    int frame = 0;
    int durationMs = 0;
};
using Animation = std::vector<AnimationStep>;

struct AnimationSet {
    Animation show;
    Animation idle;  // the first step is the resting pose; the rest is played as a blink
    Animation hide;
    Animation speak;  // body frames while talking, looped; the mouth is drawn over them
};

class FrameSink {
public:
    // mouth: the mouth shape to draw over the frame, only while speaking.
    virtual void ShowFrame(int frame, std::optional<core::Mouth> mouth) = 0;

protected:
    ~FrameSink() = default;
};

// Blinks come at pseudo-random intervals: lively to look at, repeatable in tests.
class BlinkTimer {
public:
    static constexpr int kMinPauseMs = 2500;
    static constexpr int kMaxPauseMs = 7000;
    explicit BlinkTimer(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
    int NextPauseMs();

private:
    std::uint32_t state_;
};

class Animator {
public:
    Animator(AnimationSet animations, core::Scheduler& scheduler, FrameSink& sink,
             std::uint32_t blinkSeed);
    ~Animator();
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    // Plays the show animation, calls done, then idles.
    void PlayShow(std::function<void()> done);
    // Plays the hide animation and calls done; nothing more is drawn afterwards.
    void PlayHide(std::function<void()> done);
    void Idle();
    void StartSpeaking();
    void SetMouth(core::Mouth mouth);
    void StopSpeaking();  // back to idling
    // Speaking held: the body as it is, the mouth closed, and nothing scheduled until the next
    // call. Only while speaking.
    void Rest();
    // Stops whatever plays; no callback of the current animation runs afterwards.
    void Halt();

private:
    enum class State { Still, Showing, Idling, Speaking, Resting, Hiding };

    void PlaySteps(const Animation& steps, std::size_t index, std::function<void()> done);
    void RestThenBlink();
    void SpeakStep(std::size_t index);
    void After(int delayMs, std::function<void()> callback);

    AnimationSet animations_;
    core::Scheduler& scheduler_;
    FrameSink& sink_;
    BlinkTimer blinks_;
    std::optional<core::Scheduler::Token> pending_;
    State state_ = State::Still;
    core::Mouth mouth_ = core::Mouth::Closed;
    int speakFrame_ = 0;
};

}  // namespace agent::win
