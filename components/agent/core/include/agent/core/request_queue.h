// The requests of one character, carried out one after another in the order made.
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "agent/core/speech_engine.h"

namespace agent::core {

// Hide causes, numbered as the program knows them.
inline constexpr int kHideCauseUserTaskbar = 1;
inline constexpr int kHideCauseProgram = 3;
inline constexpr int kHideCauseUserMenu = 7;

// How long the balloon stays up after the last word, so the reader can finish reading.
inline constexpr int kBalloonLingerMs = 2000;

// What the window side does for the queue. BeginShow, BeginHide and BeginSpeak are finished
// by a later call to RequestQueue::Complete(): Show and Hide when their animation has ended
// (the window hidden by then, for Hide), Speak when its speech has ended. Complete() may also
// be called from inside a Begin call.
class CharacterActions {
public:
    virtual void BeginShow() = 0;  // the window appears at once, then animates
    virtual void BeginHide() = 0;
    // Opens the balloon and speaks. The utterance always has at least one word. May throw
    // std::bad_alloc (a huge text): the queue then cancels that Speak and goes on.
    virtual void BeginSpeak(SharedUtterance utterance) = 0;
    // The finished Speak's linger time is over: close its balloon.
    virtual void CloseBalloon() = 0;
    // Ends the running Show, Hide or Speak now: the animation stops with the character still
    // visible (a cancelled Hide leaves it shown), the speech is silenced and the balloon
    // closes. No Complete() follows.
    virtual void CancelCurrent() = 0;
    // The user hid the character: hide the window now, without animation.
    virtual void HideAtOnce() = 0;
    // Holds the running Speak after the word being spoken; the balloon stays as it is.
    virtual void PauseSpeech() = 0;
    // Goes on with the held Speak from the word after the last one spoken.
    virtual void ResumeSpeech() = 0;
    // The running Speak speaks its next words at this speed (words per minute, 50..250).
    virtual void ChangeRate(int speedWpm) = 0;

protected:
    ~CharacterActions() = default;
};

// Raised synchronously, from inside Stop() and UserHid() too: an implementation that reaches
// the program should post them to its message loop.
class QueueEvents {
public:
    virtual void RaiseBalloonHide() = 0;
    virtual void RaiseHide(int cause) = 0;

protected:
    ~QueueEvents() = default;
};

// Rules:
// - Show(), Hide(), Speak() return at once. A request starts from a scheduler call, never from
//   inside the owner's call, and only after the previous one completed.
// - Show of a visible character and Hide of a hidden one complete at once; that Hide still
//   raises Hide(program), so the program's Hide handler runs for every Hide it asked for.
// - Speak: after its speech ends the balloon stays kBalloonLingerMs, then closes and raises
//   BalloonHide, and the next request starts. When the next request is a Speak the linger is
//   cut short, since the next words replace the old ones anyway. A Speak that shows and says
//   nothing (empty, only tags or white space) raises BalloonHide when its turn comes.
// - Every Speak raises exactly one BalloonHide: when it ends, when it is cancelled running or
//   pending, and when it had nothing to say. A cancelled Hide raises no Hide event.
// - Stop() cancels the running and every pending request.
// - UserHid(cause): the user hid the character. Everything running or pending is cancelled
//   (a queued Show or Speak must not bring back what the user sent away), the character hides
//   at once and Hide(cause) is raised after the BalloonHides of cancelled Speaks.
// - Speak does not show a hidden character.
// - A Speak that runs out of memory while it is prepared or begun (std::bad_alloc) ends like
//   a stopped one: CancelCurrent, its BalloonHide, and the next request runs.
// - Pause() holds the speech: the running Speak through PauseSpeech, and a pending Speak by
//   not starting it when its turn comes (requests before it still run). It does nothing when
//   no Speak is running or pending (a lingering one has said its words) or when paused already.
//   Requests made while paused wait behind the held Speak, in order.
// - Resume() ends the pause: ResumeSpeech for the running Speak, and the held one starts.
// - Stop() and UserHid() end the pause with everything they cancel; no pause outlives the
//   last Speak, so a later reading never starts held.
// - SetRate(speed) clamps the speed to 50..250 and gives it to the running Speak through
//   ChangeRate and to every pending Speak, which then begins at that speed whatever its tags
//   say. Speaks requested later keep their own speed. Paused, it holds from the resume on.
class RequestQueue {
public:
    // The scheduler, the actions and the events must outlive the queue.
    RequestQueue(Scheduler& scheduler, CharacterActions& actions, QueueEvents& events);
    // Cancels its scheduled calls; raises nothing and calls no action.
    ~RequestQueue();
    RequestQueue(const RequestQueue&) = delete;
    RequestQueue& operator=(const RequestQueue&) = delete;

    void Show();
    void Hide();
    void Speak(std::u16string text);
    void Stop();
    void UserHid(int cause);
    void Complete();
    void Pause();
    void Resume();
    void SetRate(int speedWpm);

    bool IsVisible() const { return visible_; }
    bool IsIdle() const { return phase_ == Phase::Idle && pending_.empty(); }
    bool IsPaused() const { return paused_; }

private:
    enum class Kind { Show, Hide, Speak };
    enum class Phase { Idle, Running, Lingering };
    struct Request {
        Kind kind;
        std::u16string text;
        std::optional<int> speedWpm = {};  // Speak: set by SetRate before it began
    };

    void Enqueue(Request request);
    void ScheduleNext();
    void StartNext();
    // False when the Speak had nothing to say or failed; its BalloonHide is raised then.
    bool StartSpeak(Request request);
    bool SpeakRunning() const { return phase_ == Phase::Running && current_ == Kind::Speak; }
    bool SpeakPending() const;
    // A pause held the next Speak back: nothing starts until Resume.
    bool HeldByPause() const;
    void EndPauseWithoutSpeech();
    void EndLinger();
    void CutLingerIfSpeakWaits();
    void CancelAll();

    Scheduler& scheduler_;
    CharacterActions& actions_;
    QueueEvents& events_;
    std::deque<Request> pending_;
    Kind current_ = Kind::Show;  // meaningful when phase_ is not Idle
    Phase phase_ = Phase::Idle;
    bool visible_ = false;
    bool paused_ = false;
    Scheduler::Token next_ = 0;
    Scheduler::Token linger_ = 0;
};

}  // namespace agent::core
