#include "animator.h"

#include <algorithm>

namespace agent::win {
namespace {

// A step shorter than this would only burn timer messages.
constexpr int kMinStepMs = 10;

}  // namespace

int BlinkTimer::NextPauseMs() {
    // xorshift32: small, fast and the same sequence for the same seed.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return kMinPauseMs + static_cast<int>(state_ % (kMaxPauseMs - kMinPauseMs + 1));
}

Animator::Animator(AnimationSet animations, core::Scheduler& scheduler, FrameSink& sink,
                   std::uint32_t blinkSeed)
    : animations_(std::move(animations)), scheduler_(scheduler), sink_(sink), blinks_(blinkSeed) {}

Animator::~Animator() {
    Halt();
}

void Animator::Halt() {
    if (pending_) scheduler_.Cancel(*pending_);
    pending_.reset();
    state_ = State::Still;
}

void Animator::After(int delayMs, std::function<void()> callback) {
    pending_ = scheduler_.RunAfter(std::max(delayMs, kMinStepMs), [this, callback] {
        pending_.reset();
        callback();
    });
}

void Animator::PlaySteps(const Animation& steps, std::size_t index, std::function<void()> done) {
    if (index >= steps.size()) {
        done();
        return;
    }
    sink_.ShowFrame(steps[index].frame, std::nullopt);
    After(steps[index].durationMs,
          [this, &steps, index, done] { PlaySteps(steps, index + 1, done); });
}

void Animator::PlayShow(std::function<void()> done) {
    Halt();
    state_ = State::Showing;
    if (animations_.show.empty()) {
        // Nothing to play: still finish through the scheduler, like every other path.
        After(0, [this, done] {
            Idle();
            done();
        });
        return;
    }
    PlaySteps(animations_.show, 0, [this, done] {
        Idle();
        done();
    });
}

void Animator::PlayHide(std::function<void()> done) {
    Halt();
    state_ = State::Hiding;
    if (animations_.hide.empty()) {
        After(0, [this, done] {
            state_ = State::Still;
            done();
        });
        return;
    }
    PlaySteps(animations_.hide, 0, [this, done] {
        state_ = State::Still;
        done();
    });
}

void Animator::Idle() {
    Halt();
    state_ = State::Idling;
    if (animations_.idle.empty()) return;
    sink_.ShowFrame(animations_.idle.front().frame, std::nullopt);
    RestThenBlink();
}

void Animator::RestThenBlink() {
    if (animations_.idle.size() < 2) return;
    After(blinks_.NextPauseMs(), [this] {
        PlaySteps(animations_.idle, 1, [this] {
            sink_.ShowFrame(animations_.idle.front().frame, std::nullopt);
            RestThenBlink();
        });
    });
}

void Animator::StartSpeaking() {
    Halt();
    state_ = State::Speaking;
    mouth_ = core::Mouth::Closed;
    if (animations_.speak.empty()) return;
    SpeakStep(0);
}

void Animator::SpeakStep(std::size_t index) {
    const AnimationStep& step = animations_.speak[index % animations_.speak.size()];
    speakFrame_ = step.frame;
    sink_.ShowFrame(speakFrame_, mouth_);
    if (animations_.speak.size() > 1) {
        After(step.durationMs, [this, index] { SpeakStep(index + 1); });
    }
}

void Animator::SetMouth(core::Mouth mouth) {
    if (state_ != State::Speaking || mouth == mouth_) return;
    mouth_ = mouth;
    if (!animations_.speak.empty()) sink_.ShowFrame(speakFrame_, mouth_);
}

void Animator::StopSpeaking() {
    if (state_ == State::Speaking || state_ == State::Resting) Idle();
}

void Animator::Rest() {
    if (state_ != State::Speaking) return;
    Halt();
    state_ = State::Resting;
    mouth_ = core::Mouth::Closed;
    if (!animations_.speak.empty()) sink_.ShowFrame(speakFrame_, mouth_);
}

}  // namespace agent::win
