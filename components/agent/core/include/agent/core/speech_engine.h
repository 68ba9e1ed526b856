// The seam between the character and whatever makes it speak: SAPI 5 on Windows, or the
// paced engine that shows the words silently at the tagged speed when no voice can speak.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace agent::core {

// 127 is "normal" for both, as the program's sliders call it.
inline constexpr int kNormalSpeedWpm = 127;
inline constexpr int kNormalPitchHz = 127;
inline constexpr int kMaxVolume = 65535;

struct Prosody {
    int speedWpm = kNormalSpeedWpm;  // 50..250
    int pitchHz = kNormalPitchHz;    // 50..400
    int volume = kMaxVolume;         // 0..65535
    bool operator==(const Prosody&) const = default;
};

// A run of text spoken with one prosody. Text is UTF-16 because every consumer (SAPI, the
// balloon's DrawTextW) wants UTF-16 and SAPI reports word positions in UTF-16 units.
struct Segment {
    std::u16string shown;  // what the balloon shows
    // What the voice says when it differs from what is shown (only under \Map\); otherwise
    // empty, so that a long text is held once.
    std::u16string mappedSpoken;
    bool mapped = false;
    Prosody prosody;
    int pauseBeforeMs = 0;  // from \Pau=n\ just before this segment
    bool emphasis = false;  // from \Emp\: stresses the first word of the segment
    bool operator==(const Segment&) const = default;
    // What the voice says.
    std::u16string_view Spoken() const noexcept { return mapped ? mappedSpoken : shown; }
};

struct Utterance {
    std::vector<Segment> segments;
    std::u16string ShownText() const;  // all segments' shown text, concatenated
};

// Shared, never copied: a long text is held once, for as long as anyone still reads it.
using SharedUtterance = std::shared_ptr<const Utterance>;

enum class Mouth { Closed, Small, Medium, Wide, Round };
inline constexpr int kMouthCount = 5;

// Receives an engine's progress. Called on the user-interface thread only.
class EngineListener {
public:
    // The word now spoken, as offsets into Utterance::ShownText(). index counts the words
    // reported for this utterance from 0, on across pauses and speed changes.
    virtual void OnWord(std::size_t index, std::size_t shownBegin, std::size_t shownLength) = 0;
    virtual void OnMouth(Mouth mouth) = 0;
    // The speech is held after Pause(): the word under way has ended and nothing more comes
    // until Resume(). May be called from inside Pause().
    virtual void OnHeld() = 0;
    // The utterance was spoken to its end. Never called after Stop().
    virtual void OnFinished() = 0;

protected:
    ~EngineListener() = default;
};

struct VoiceChoice {
    long languageId = 1033;    // 1033 English, 1036 French
    std::u16string ttsModeId;  // engine mode id as the program set it; may be empty
};

class SpeechEngine {
public:
    virtual ~SpeechEngine() = default;
    // Starts speaking and returns at once; the engine keeps the utterance while it speaks.
    // False: this engine cannot speak this utterance (no voice, a failed call); nothing was
    // started and the caller falls back. May throw std::bad_alloc, with nothing started.
    virtual bool Speak(SharedUtterance utterance, const VoiceChoice& voice,
                       EngineListener& listener) = 0;
    // Silences the current utterance; its listener hears nothing more. Ends a pause.
    virtual void Stop() = 0;
    // Holds the utterance under way once the word being spoken has ended (OnHeld then tells).
    // Nothing when nothing is spoken or it is held already.
    virtual void Pause() = 0;
    // Goes on with the word after the last one spoken. Nothing unless held.
    virtual void Resume() = 0;
    // The utterance under way speaks at this speed (words per minute, clamped to 50..250) from
    // its next word on, whatever its tags said; pitch, pauses and stress stay. Held, it takes
    // effect from the resume. Nothing when nothing is spoken.
    virtual void SetRate(int speedWpm) = 0;
};

// Deferred calls on the user-interface thread: a window timer on Windows, a virtual clock in
// tests, so that pacing is tested without sleeping.
class Scheduler {
public:
    using Token = unsigned long;
    virtual Token RunAfter(int delayMs, std::function<void()> callback) = 0;
    virtual void Cancel(Token token) = 0;  // unknown or already run tokens are ignored
    virtual long long NowMs() const = 0;

protected:
    ~Scheduler() = default;
};

}  // namespace agent::core
