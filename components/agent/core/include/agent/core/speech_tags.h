// Speech output tags: settings such as \Spd=150\ written inside the text a character speaks.
//
// How text is read:
// - `\\` is one literal backslash, everywhere outside a tag.
// - A tag is a backslash, an ASCII letter, then everything up to the next backslash, with no
//   white space except inside double quotes. Names are case-insensitive. Anything else that
//   starts with a backslash (`\ Rst \`, `\1`, a backslash with no closing one) is not a tag:
//   the backslash and what follows stay in the text and are read. A reader's text is never
//   swallowed because of a stray backslash.
// - Inside a tag's quotes `\\` is a backslash and `""` is a double quote; any other backslash
//   ends the tag there (its quote is then unclosed, so the tag is malformed).
// - Numbers are plain ASCII decimal digits, no sign; values beyond a tag's range are clamped,
//   however many digits they have.
// - Obeyed: Spd (words per minute), Pit (Hz), Vol (0..65535), Pau (ms of silence before what
//   follows; consecutive pauses add up to at most kMaxTotalPauseMs), Emp (stresses the next
//   word), Rst (speed, pitch and volume back to normal; cancels a pending Emp) and
//   Map="spoken"="shown". A setting lasts until the end of the text.
// - Dropped without a sound: the rest of the old tag set (Chr, Ctx, Lst, Mrk), unknown names
//   and malformed tags (`\Spd=fast\`, `\Spd=\`). One exception keeps prose safe: such a tag
//   with white space inside its quotes is read as text, since it is more likely a sentence
//   that happens to hold backslashes than a tag.
// - `|` is an ordinary character.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "agent/core/speech_engine.h"

namespace agent::core {

// The values a tag takes; a value beyond its range is clamped into it.
struct TagRange {
    int min;
    int max;
    constexpr int Clamp(int value) const { return std::clamp(value, min, max); }
};
inline constexpr TagRange kSpeedWpmRange{50, 250};
inline constexpr TagRange kPitchHzRange{50, 400};
inline constexpr TagRange kPauseMsRange{10, 2550};
inline constexpr int kMaxTotalPauseMs = 60'000;

// Splits tagged text into segments of one prosody each. A new segment starts where the
// prosody changes, after a pause and at an emphasis; a \Map\ is always a segment of its own,
// so outside of one a segment's spoken and shown text are the same, offset for offset.
// Pauses and emphasis with no text after them are dropped. Linear time; never fails.
Utterance ParseSpeechTags(std::u16string_view text);

// The text with every backslash doubled: ParseSpeechTags then shows and speaks it exactly as
// written, whatever it holds.
std::u16string EscapeSpeechText(std::u16string_view text);

}  // namespace agent::core
