#include "agent/core/paced_engine.h"

#include <algorithm>
#include <array>
#include <utility>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace agent::core {
namespace {

// About the length of a syllable at normal speed: the mouth changes this often.
constexpr int kMouthFrameMs = 100;
// How far behind its timeline the pacing may be and still catch up.
constexpr long long kLongestCatchUpMs = 250;
constexpr std::array kOpenMouths{Mouth::Small, Mouth::Medium, Mouth::Wide, Mouth::Round};

Mouth NextOpenMouth(Mouth mouth) {
    const auto found = std::find(kOpenMouths.begin(), kOpenMouths.end(), mouth);
    return found == kOpenMouths.end() || found + 1 == kOpenMouths.end() ? kOpenMouths.front()
                                                                        : *(found + 1);
}

// A shape that suits the letter, for Latin text; any other script gets a steady but varied
// pattern from the letter's value.
Mouth MouthForLetter(char16_t c, std::size_t salt) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
    if ((c >= 0xC0 && c <= 0xDE) && c != 0xD7) c = static_cast<char16_t>(c + 0x20);
    switch (c) {
        case u'a':
            return Mouth::Wide;
        case u'o':
        case u'u':
        case u'w':
            return Mouth::Round;
        case u'e':
        case u'i':
        case u'y':
            return Mouth::Medium;
        default:
            break;
    }
    if (c >= 0xE0 && c <= 0xE6) return Mouth::Wide;
    if (c >= 0xE8 && c <= 0xEF) return Mouth::Medium;
    if ((c >= 0xF2 && c <= 0xF6) || (c >= 0xF8 && c <= 0xFC)) return Mouth::Round;
    if (c >= u'a' && c <= u'z') return Mouth::Small;
    return kOpenMouths[(c + salt) % kOpenMouths.size()];
}

}  // namespace

PacedEngine::PacedEngine(Scheduler& scheduler) : scheduler_(scheduler) {}

PacedEngine::~PacedEngine() {
    Stop();
}

bool PacedEngine::Speak(SharedUtterance utterance, const VoiceChoice&, EngineListener& listener) {
    Stop();
    listener_ = &listener;
    utterance_ = std::move(utterance);
    cursor_.emplace(*utterance_);
    segmentsEntered_ = 0;
    pendingPauseMs_ = 0;
    pendingEmphasis_ = false;
    wordIndex_ = 0;
    dueMs_ = scheduler_.NowMs();
    if (PlanNext()) {
        Schedule(word_.pauseBeforeMs, &PacedEngine::StartWord);
    } else {
        Schedule(0, &PacedEngine::Finish);
    }
    return true;
}

void PacedEngine::Stop() {
    scheduler_.Cancel(pending_);
    pending_ = 0;
    pendingStep_ = nullptr;
    held_ = nullptr;
    paused_ = false;
    inWord_ = false;
    speedWpm_.reset();
    ++run_;
    listener_ = nullptr;
    cursor_.reset();
    utterance_.reset();
    word_ = {};
}

bool PacedEngine::PlanNext() {
    const std::optional<Word> word = cursor_->Next();
    if (!word) return false;
    const std::vector<Segment>& segments = utterance_->segments;
    // A pause or a stress on a segment without words waits for the next word.
    for (; segmentsEntered_ <= word->segment; ++segmentsEntered_) {
        const Segment& entered = segments[segmentsEntered_];
        pendingPauseMs_ =
            std::min(pendingPauseMs_ + std::clamp(entered.pauseBeforeMs, 0, kMaxTotalPauseMs),
                     kMaxTotalPauseMs);
        pendingEmphasis_ = pendingEmphasis_ || entered.emphasis;
    }
    const Segment& segment = segments[word->segment];
    // A word shown as nothing (a \Map\ to "") is paced by what it says.
    const std::u16string_view letters =
        word->shownLength > 0
            ? std::u16string_view(segment.shown)
                  .substr(word->shownBegin - cursor_->SegmentShownBegin(), word->shownLength)
            : segment.Spoken().substr(word->spokenBegin, word->spokenLength);
    word_ = {word->shownBegin, word->shownLength, letters, pendingPauseMs_, pendingEmphasis_};
    PaceAt(speedWpm_.value_or(segment.prosody.speedWpm));
    pendingPauseMs_ = 0;
    pendingEmphasis_ = false;
    return true;
}

void PacedEngine::PaceAt(int speedWpm) {
    const WordPace pace = PaceWord(word_.letters, speedWpm, word_.emphasis);
    // The mouth rests for the last fifth, so words stay apart without punctuation.
    word_.openMs = pace.speakMs * 4 / 5;
    word_.closedMs = pace.speakMs - word_.openMs + pace.silenceAfterMs;
}

void PacedEngine::Schedule(int delayMs, Step step) {
    if (paused_ && (step == &PacedEngine::StartWord || step == &PacedEngine::Finish)) {
        Hold(step);
        return;
    }
    // A timer that fired late shortens the next delay by as much, so the words keep the pace of
    // their speed; after a stall longer than a word, the pace starts afresh rather than rush.
    const long long now = scheduler_.NowMs();
    if (now - dueMs_ > kLongestCatchUpMs) dueMs_ = now;
    dueMs_ += delayMs;
    const unsigned long run = run_;
    pendingStep_ = step;
    pending_ =
        scheduler_.RunAfter(static_cast<int>(std::max(0LL, dueMs_ - now)), [this, run, step] {
            if (!StillCurrent(run)) return;
            pending_ = 0;
            pendingStep_ = nullptr;
            (this->*step)();
        });
}

void PacedEngine::Hold(Step step) {
    held_ = step;
    // Last: the listener may stop the engine from here.
    listener_->OnHeld();
}

void PacedEngine::Pause() {
    if (!listener_ || paused_) return;
    paused_ = true;
    // Within a word, or called from the listener while the next step is being chosen: that
    // step is held when it is scheduled.
    if (inWord_ || !pendingStep_) return;
    const Step waiting = std::exchange(pendingStep_, nullptr);
    scheduler_.Cancel(std::exchange(pending_, 0));
    Hold(waiting);
}

void PacedEngine::Resume() {
    if (!paused_) return;
    paused_ = false;
    const Step held = std::exchange(held_, nullptr);
    dueMs_ = scheduler_.NowMs();
    if (held) Schedule(held == &PacedEngine::StartWord ? word_.pauseBeforeMs : 0, held);
}

void PacedEngine::SetRate(int speedWpm) {
    if (!listener_) return;
    speedWpm_ = kSpeedWpmRange.Clamp(speedWpm);
    // A word planned but not begun takes the new speed too.
    if (held_ == &PacedEngine::StartWord || pendingStep_ == &PacedEngine::StartWord) {
        PaceAt(*speedWpm_);
    }
}

// Each step calls the listener last or checks afterwards that the listener did not stop or
// restart the engine from inside the call, and touches nothing if it did.
void PacedEngine::StartWord() {
    const unsigned long run = run_;
    frame_ = 0;
    inWord_ = true;
    listener_->OnWord(wordIndex_, word_.shownBegin, word_.shownLength);
    if (StillCurrent(run)) ShowFrame();
}

void PacedEngine::ShowFrame() {
    const unsigned long run = run_;
    lastMouth_ = FrameMouth();
    listener_->OnMouth(lastMouth_);
    if (!StillCurrent(run)) return;
    const int frames = FrameCount();
    const int openMs = word_.openMs;
    const int frameMs = openMs * (frame_ + 1) / frames - openMs * frame_ / frames;
    ++frame_;
    Schedule(frameMs, frame_ < frames ? &PacedEngine::ShowFrame : &PacedEngine::EndWord);
}

void PacedEngine::EndWord() {
    const unsigned long run = run_;
    lastMouth_ = Mouth::Closed;
    inWord_ = false;
    listener_->OnMouth(Mouth::Closed);
    if (!StillCurrent(run)) return;
    const int closedMs = word_.closedMs;
    ++wordIndex_;
    if (PlanNext()) {
        Schedule(closedMs + word_.pauseBeforeMs, &PacedEngine::StartWord);
    } else {
        Schedule(closedMs, &PacedEngine::Finish);
    }
}

void PacedEngine::Finish() {
    EngineListener* listener = listener_;
    Stop();
    // Last: the listener may start the next utterance from here.
    listener->OnFinished();
}

int PacedEngine::FrameCount() const {
    return std::max(1, word_.openMs / kMouthFrameMs);
}

Mouth PacedEngine::FrameMouth() const {
    const std::u16string_view letters = word_.letters;
    const auto frames = static_cast<std::size_t>(FrameCount());
    const auto frame = static_cast<std::size_t>(frame_);
    // The letter in the middle of this frame's share of the word.
    const char16_t letter =
        letters.empty() ? u'm' : letters[(2 * frame + 1) * letters.size() / (2 * frames)];
    const Mouth mouth = MouthForLetter(letter, wordIndex_ + frame);
    return mouth == lastMouth_ ? NextOpenMouth(mouth) : mouth;
}

}  // namespace agent::core
