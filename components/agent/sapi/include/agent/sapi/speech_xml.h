// What the SAPI 5 voice is given for one utterance: SAPI's own XML with the utterance's speed,
// pitch, volume, pauses and emphasis, and the way back from the positions SAPI reports its
// words at to the text the balloon shows. Portable: no <windows.h>.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "agent/core/speech_engine.h"

namespace agent::sapi {

// SAPI takes rate and pitch as steps from -10 to 10 and volume in percent; the program gives
// words per minute, hertz and 0..65535. 127 wpm and 127 Hz are the voice's own normal (0).
//
// Rate: each SAPI step multiplies the speed by 3^(1/10), so r = round(10 * ln(wpm / 127) / ln 3),
// clamped to -10..10: 50 wpm is -8, 127 is 0, 250 is +6.
int RateForSpeed(int wordsPerMinute);

// Pitch: piecewise linear, 50..127 Hz onto -10..0 and 127..400 Hz onto 0..10, clamped. The
// logarithmic reading of SAPI's scale (24 steps an octave) would pin everything outside about
// 95..170 Hz to the ends, and a pitch slider that stops changing the voice reads as broken.
int PitchForHz(int hertz);

// Volume: round(v * 100 / 65535), clamped to 0..100.
int VolumeLevel(int volume);

struct ShownRange {
    std::size_t begin = 0;
    std::size_t length = 0;
    bool operator==(const ShownRange&) const = default;
};

// Where a part of an utterance starts: a segment, an offset into its spoken text, and where
// the segment begins in Utterance::ShownText().
struct XmlPosition {
    std::size_t segment = 0;
    std::size_t offset = 0;
    std::size_t segmentShownBegin = 0;
    bool operator==(const XmlPosition&) const = default;
};

// Where the rest of the utterance starts after the word that ends at this offset of
// Utterance::ShownText(): inside the word's segment, or at the start of the next one (with its
// pause and stress) when the word ends its segment or was said under \Map\, which is never
// split. Past the end: the end, from which nothing is left to say.
XmlPosition PositionAfterShown(const core::Utterance& utterance, std::size_t shownEnd);

class SpeechXml {
public:
    // The whole utterance as one text.
    explicit SpeechXml(const core::Utterance& utterance);
    // The part of the utterance from `from` holding at most about `maxUnits` of its spoken
    // text, so that a long text is given to the voice a part at a time and never held as XML
    // whole. A part ends after a sentence where one ends in its last half, else after white
    // space, else at the limit (never inside a surrogate pair); a mapped segment is never
    // split. Each part sets the prosody anew, as SAPI starts every text from its defaults; a
    // pause or a stress belongs to the start of its segment. Positions reported for a part's
    // text map to the whole utterance's shown text. An utterance shorter than maxUnits gives
    // the same text as the whole. speedWpm, when given, replaces every segment's speed.
    SpeechXml(const core::Utterance& utterance, XmlPosition from, std::size_t maxUnits,
              std::optional<int> speedWpm = std::nullopt);

    // Where the next part starts; nothing when this part reaches the end of the utterance.
    const std::optional<XmlPosition>& Next() const noexcept { return next_; }

    // For ISpVoice::Speak with SPF_IS_XML: each segment's spoken text, escaped, preceded by
    // <silence msec="n"/> for its pause and by <rate absspeed>, <pitch absmiddle> and
    // <volume level> wherever the prosody changes (always before the first segment); the first
    // word of an emphasised segment inside <emph>; & < > escaped, each followed by a bookmark
    // that keeps word positions exact however the engine counts them.
    const std::u16string& Text() const noexcept { return xml_; }

    // SAPI's SPEI_WORD_BOUNDARY gives a word as a position and length in Text(); this is that
    // word in Utterance::ShownText(). A word spoken under \Map\ is the whole shown text of its
    // segment. Nothing when the range holds no text (markup only, or past the end).
    std::optional<ShownRange> ShownWord(std::size_t position, std::size_t length) const;

private:
    // A stretch of Text() holding utterance text. Where `exact`, XML and shown text advance
    // together (plain text); otherwise the whole stretch stands for the whole shown range (an
    // escaped character, or a mapped segment's spoken text).
    struct Run {
        std::size_t xmlBegin;
        std::size_t xmlLength;
        std::size_t shownBegin;
        std::size_t shownLength;
        bool exact;
    };

    // SAPI's levels of a prosody, so that two prosodies that sound the same add no tags.
    struct Levels {
        int rate;
        int pitch;
        int volume;
    };

    // The segment's spoken text from begin to end; mapped: its spoken text differs from its
    // shown text.
    void AppendSegment(const core::Segment& segment, std::size_t begin, std::size_t end,
                       std::size_t segmentShownBegin, bool mapped);
    void AppendProsody(const core::Prosody& prosody);
    void AppendText(std::u16string_view text, std::size_t shownBegin,
                    std::optional<ShownRange> mappedTo);
    void AddRun(Run run);

    std::u16string xml_;
    std::vector<Run> runs_;
    std::optional<Levels> levels_;  // what the XML has set so far
    std::optional<int> speedWpm_;
    std::optional<XmlPosition> next_;
};

}  // namespace agent::sapi
