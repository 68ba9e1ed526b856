#include "agent/core/paced_engine.h"

#include <algorithm>
#include <array>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace agent::core {
namespace {

// About the length of a syllable at normal speed: the mouth changes this often.
constexpr int kMouthFrameMs = 100;
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
    case u'a': return Mouth::Wide;
    case u'o': case u'u': case u'w': return Mouth::Round;
    case u'e': case u'i': case u'y': return Mouth::Medium;
    default: break;
    }
    if (c >= 0xE0 && c <= 0xE6) return Mouth::Wide;
    if (c >= 0xE8 && c <= 0xEF) return Mouth::Medium;
    if ((c >= 0xF2 && c <= 0xF6) || (c >= 0xF8 && c <= 0xFC)) return Mouth::Round;
    if (c >= u'a' && c <= u'z') return Mouth::Small;
    return kOpenMouths[(c + salt) % kOpenMouths.size()];
}

}  // namespace

PacedEngine::PacedEngine(Scheduler& scheduler) : scheduler_(scheduler) {}

PacedEngine::~PacedEngine() { Stop(); }

bool PacedEngine::Speak(const Utterance& utterance, const VoiceChoice&,
                        EngineListener& listener) {
    Stop();
    listener_ = &listener;
    Plan(utterance);
    word_ = 0;
    if (words_.empty()) {
        Schedule(0, &PacedEngine::Finish);
    } else {
        Schedule(words_.front().pauseBeforeMs, &PacedEngine::StartWord);
    }
    return true;
}

void PacedEngine::Stop() {
    scheduler_.Cancel(pending_);
    pending_ = 0;
    ++run_;
    listener_ = nullptr;
    words_.clear();
    letters_.clear();
}

void PacedEngine::Plan(const Utterance& utterance) {
    const std::vector<Word> words = SplitWords(utterance);
    words_.reserve(words.size());
    auto word = words.begin();
    std::size_t segmentShownBegin = 0;
    // A pause or a stress on a segment without words waits for the next word.
    int pauseMs = 0;
    bool emphasis = false;
    for (std::size_t index = 0; index < utterance.segments.size(); ++index) {
        const Segment& segment = utterance.segments[index];
        pauseMs = std::min(pauseMs + std::clamp(segment.pauseBeforeMs, 0, kMaxTotalPauseMs),
                           kMaxTotalPauseMs);
        emphasis = emphasis || segment.emphasis;
        for (; word != words.end() && word->segment == index; ++word) {
            // A word shown as nothing (a \Map\ to "") is paced by what it says.
            const std::u16string_view text =
                word->shownLength > 0
                    ? std::u16string_view(segment.shown)
                          .substr(word->shownBegin - segmentShownBegin, word->shownLength)
                    : std::u16string_view(segment.spoken)
                          .substr(word->spokenBegin, word->spokenLength);
            const WordPace pace = PaceWord(text, segment.prosody.speedWpm, emphasis);
            // The mouth rests for the last fifth, so words stay apart without punctuation.
            const int openMs = pace.speakMs * 4 / 5;
            words_.push_back({word->shownBegin, word->shownLength, letters_.size(), text.size(),
                              pauseMs, openMs, pace.speakMs - openMs + pace.silenceAfterMs});
            letters_.append(text);
            pauseMs = 0;
            emphasis = false;
        }
        segmentShownBegin += segment.shown.size();
    }
}

void PacedEngine::Schedule(int delayMs, void (PacedEngine::*step)()) {
    const unsigned long run = run_;
    pending_ = scheduler_.RunAfter(delayMs, [this, run, step] {
        if (!StillCurrent(run)) return;
        pending_ = 0;
        (this->*step)();
    });
}

// Each step calls the listener last or checks afterwards that the listener did not stop or
// restart the engine from inside the call, and touches nothing if it did.
void PacedEngine::StartWord() {
    const unsigned long run = run_;
    frame_ = 0;
    listener_->OnWord(words_[word_].shownBegin, words_[word_].shownLength);
    if (StillCurrent(run)) ShowFrame();
}

void PacedEngine::ShowFrame() {
    const unsigned long run = run_;
    lastMouth_ = FrameMouth();
    listener_->OnMouth(lastMouth_);
    if (!StillCurrent(run)) return;
    const int frames = FrameCount();
    const int openMs = words_[word_].openMs;
    const int frameMs = openMs * (frame_ + 1) / frames - openMs * frame_ / frames;
    ++frame_;
    Schedule(frameMs, frame_ < frames ? &PacedEngine::ShowFrame : &PacedEngine::EndWord);
}

void PacedEngine::EndWord() {
    const unsigned long run = run_;
    lastMouth_ = Mouth::Closed;
    listener_->OnMouth(Mouth::Closed);
    if (!StillCurrent(run)) return;
    const int closedMs = words_[word_].closedMs;
    ++word_;
    if (word_ == words_.size()) {
        Schedule(closedMs, &PacedEngine::Finish);
    } else {
        Schedule(closedMs + words_[word_].pauseBeforeMs, &PacedEngine::StartWord);
    }
}

void PacedEngine::Finish() {
    EngineListener* listener = listener_;
    Stop();
    // Last: the listener may start the next utterance from here.
    listener->OnFinished();
}

int PacedEngine::FrameCount() const {
    return std::max(1, words_[word_].openMs / kMouthFrameMs);
}

Mouth PacedEngine::FrameMouth() const {
    const PlannedWord& word = words_[word_];
    const auto frames = static_cast<std::size_t>(FrameCount());
    const auto frame = static_cast<std::size_t>(frame_);
    // The letter in the middle of this frame's share of the word.
    const char16_t letter =
        word.lettersLength == 0
            ? u'm'
            : letters_[word.lettersBegin + (2 * frame + 1) * word.lettersLength / (2 * frames)];
    const Mouth mouth = MouthForLetter(letter, word_ + frame);
    return mouth == lastMouth_ ? NextOpenMouth(mouth) : mouth;
}

}  // namespace agent::core
