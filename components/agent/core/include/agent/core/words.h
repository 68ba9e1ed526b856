// Words of an utterance, for the balloon's highlight and for pacing speech that has no voice.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "agent/core/speech_engine.h"

namespace agent::core {

struct Word {
    std::size_t shownBegin = 0;  // into Utterance::ShownText()
    std::size_t shownLength = 0;
    std::size_t segment = 0;      // index into Utterance::segments
    std::size_t spokenBegin = 0;  // into that segment's spoken text
    std::size_t spokenLength = 0;
    bool operator==(const Word&) const = default;
};

// Words are runs of text between white space (the zero width space included, as Thai and
// Khmer text uses it between words). Chinese and Japanese are written without spaces: each
// ideograph or kana is a word of its own, small kana and marks staying with the one before;
// Latin letters or digits after one start a new word. A surrogate pair is never split, and no
// word crosses a segment. A \Map\ segment is one word whose shown and spoken ranges cover its
// whole (trimmed) texts; its shown range is empty when only its spoken text has letters.
std::vector<Word> SplitWords(const Utterance& utterance);

// The same words one at a time, so that a long text is walked without a list of all its words.
// The utterance must outlive the cursor and stay unchanged.
class WordCursor {
public:
    explicit WordCursor(const Utterance& utterance) : utterance_(&utterance) {}
    // The next word, or nothing after the last.
    std::optional<Word> Next();
    // Where the segment of the word last returned begins in the shown text.
    std::size_t SegmentShownBegin() const noexcept { return shownBase_; }

private:
    void EnterSegment(std::size_t index);

    const Utterance* utterance_;
    std::size_t segment_ = 0;
    bool entered_ = false;       // segment_'s facts below are set
    bool mapped_ = false;        // its spoken text differs from its shown text
    std::size_t shownBase_ = 0;  // where segment_ begins in the shown text
    std::size_t at_ = 0;         // how far segment_ has been read
    bool afterCjk_ = false;      // the word so far ends in a CJK unit and what may follow one
};

// True when the utterance has at least one word; stops at the first.
bool HasWords(const Utterance& utterance);

// How long a word takes when paced without a voice, in milliseconds.
//   base   = 60000 / wpm (the time of an average word of five letters)
//   speak  = base * (letters + 3) / 8, kept within [base / 2, base * 3];
//            a stressed word takes a quarter longer
//   silent = base after . ! ? and their counterparts in other scripts, base / 2 after
//            , ; : and theirs (closing quotes and brackets after them do not hide them)
// Letters are code points, trailing punctuation not counted.
struct WordPace {
    int speakMs = 0;
    int silenceAfterMs = 0;
    bool operator==(const WordPace&) const = default;
};
WordPace PaceWord(std::u16string_view word, int speedWpm, bool emphasized);

}  // namespace agent::core
