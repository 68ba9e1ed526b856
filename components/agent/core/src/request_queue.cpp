#include "agent/core/request_queue.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace agent::core {

RequestQueue::RequestQueue(Scheduler& scheduler, CharacterActions& actions, QueueEvents& events)
    : scheduler_(scheduler), actions_(actions), events_(events) {}

RequestQueue::~RequestQueue() {
    scheduler_.Cancel(next_);
    scheduler_.Cancel(linger_);
}

void RequestQueue::Show() {
    Enqueue({Kind::Show, {}});
}

void RequestQueue::Hide() {
    Enqueue({Kind::Hide, {}});
}

void RequestQueue::Speak(std::u16string text) {
    Enqueue({Kind::Speak, std::move(text)});
}

void RequestQueue::Enqueue(Request request) {
    pending_.push_back(std::move(request));
    ScheduleNext();
    CutLingerIfSpeakWaits();
}

void RequestQueue::ScheduleNext() {
    if (phase_ != Phase::Idle || pending_.empty() || next_ != 0 || HeldByPause()) return;
    next_ = scheduler_.RunAfter(0, [this] {
        next_ = 0;
        StartNext();
    });
}

void RequestQueue::StartNext() {
    // Requests that complete at once are finished here in order; the events they raise may
    // call back into the queue, so the loop re-reads its state every turn.
    while (phase_ == Phase::Idle && !pending_.empty() && !HeldByPause()) {
        Request request = std::move(pending_.front());
        pending_.pop_front();
        switch (request.kind) {
            case Kind::Show:
                if (visible_) break;
                visible_ = true;
                current_ = Kind::Show;
                phase_ = Phase::Running;
                actions_.BeginShow();
                return;
            case Kind::Hide:
                if (!visible_) {
                    events_.RaiseHide(kHideCauseProgram);
                    break;
                }
                current_ = Kind::Hide;
                phase_ = Phase::Running;
                actions_.BeginHide();
                return;
            case Kind::Speak:
                if (StartSpeak(std::move(request))) return;
                break;
        }
    }
}

bool RequestQueue::StartSpeak(Request request) {
    try {
        Utterance parsed = ParseSpeechTags(request.text);
        std::u16string().swap(request.text);  // the utterance holds it now: do not keep it twice
        if (request.speedWpm) {
            for (Segment& segment : parsed.segments) segment.prosody.speedWpm = *request.speedWpm;
        }
        auto utterance = std::make_shared<const Utterance>(std::move(parsed));
        if (HasWords(*utterance)) {
            current_ = Kind::Speak;
            phase_ = Phase::Running;
            actions_.BeginSpeak(std::move(utterance));
            return true;
        }
    } catch (const std::bad_alloc&) {
        // A text too big for the memory left fails alone: the program and the queue go on.
        scheduler_.Cancel(std::exchange(linger_, 0));
        if (std::exchange(phase_, Phase::Idle) != Phase::Idle) actions_.CancelCurrent();
    }
    events_.RaiseBalloonHide();
    return false;
}

bool RequestQueue::SpeakPending() const {
    return std::any_of(pending_.begin(), pending_.end(),
                       [](const Request& request) { return request.kind == Kind::Speak; });
}

bool RequestQueue::HeldByPause() const {
    return paused_ && !pending_.empty() && pending_.front().kind == Kind::Speak;
}

void RequestQueue::EndPauseWithoutSpeech() {
    if (paused_ && !SpeakRunning() && !SpeakPending()) paused_ = false;
}

void RequestQueue::Pause() {
    if (paused_) return;
    if (SpeakRunning()) {
        paused_ = true;
        actions_.PauseSpeech();
    } else if (SpeakPending()) {
        paused_ = true;
    }
}

void RequestQueue::Resume() {
    if (!std::exchange(paused_, false)) return;
    if (SpeakRunning()) actions_.ResumeSpeech();
    ScheduleNext();
}

void RequestQueue::SetRate(int speedWpm) {
    const int speed = kSpeedWpmRange.Clamp(speedWpm);
    for (Request& request : pending_) {
        if (request.kind == Kind::Speak) request.speedWpm = speed;
    }
    if (SpeakRunning()) actions_.ChangeRate(speed);
}

void RequestQueue::Complete() {
    // Late or doubled completions are ignored: they must not finish a later request.
    if (phase_ != Phase::Running) return;
    if (current_ == Kind::Speak) {
        phase_ = Phase::Lingering;
        EndPauseWithoutSpeech();  // a window side that finished while held
        const bool speakWaits = !pending_.empty() && pending_.front().kind == Kind::Speak;
        linger_ = scheduler_.RunAfter(speakWaits ? 0 : kBalloonLingerMs, [this] { EndLinger(); });
        return;
    }
    phase_ = Phase::Idle;
    if (current_ == Kind::Hide) {
        visible_ = false;
        events_.RaiseHide(kHideCauseProgram);
    }
    ScheduleNext();
}

void RequestQueue::EndLinger() {
    linger_ = 0;
    phase_ = Phase::Idle;
    actions_.CloseBalloon();
    events_.RaiseBalloonHide();
    ScheduleNext();
}

void RequestQueue::CutLingerIfSpeakWaits() {
    if (phase_ != Phase::Lingering || pending_.front().kind != Kind::Speak) return;
    scheduler_.Cancel(linger_);
    // Not from here: the owner is inside Speak() and expects no event before it returns.
    linger_ = scheduler_.RunAfter(0, [this] { EndLinger(); });
}

void RequestQueue::Stop() {
    CancelAll();
}

void RequestQueue::UserHid(int cause) {
    CancelAll();
    visible_ = false;
    actions_.HideAtOnce();
    events_.RaiseHide(cause);
}

void RequestQueue::CancelAll() {
    scheduler_.Cancel(std::exchange(next_, 0));
    scheduler_.Cancel(std::exchange(linger_, 0));
    const bool running = phase_ != Phase::Idle;
    const bool speaking = running && current_ == Kind::Speak;
    phase_ = Phase::Idle;
    paused_ = false;
    // Taken first: a BalloonHide handler may queue new requests, which must survive.
    const std::deque<Request> cancelled = std::exchange(pending_, {});
    if (running) {
        actions_.CancelCurrent();
        if (speaking) events_.RaiseBalloonHide();
    }
    for (const Request& request : cancelled) {
        if (request.kind == Kind::Speak) events_.RaiseBalloonHide();
    }
}

}  // namespace agent::core
