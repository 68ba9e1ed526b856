// Feeds any UTF-16 text to the tag parser and the word splitter and checks what must always
// hold: words lie inside the texts, in order, and escaped text reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agent::core;
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }

    const Utterance utterance = ParseSpeechTags(text);
    const std::u16string shown = utterance.ShownText();
    std::size_t previousEnd = 0;
    for (const Word& word : SplitWords(utterance)) {
        Require(word.shownBegin >= previousEnd);
        Require(word.shownBegin + word.shownLength <= shown.size());
        Require(word.segment < utterance.segments.size());
        const Segment& segment = utterance.segments[word.segment];
        Require(word.spokenBegin + word.spokenLength <= segment.spoken.size());
        previousEnd = word.shownBegin + word.shownLength;
    }
    for (const Segment& segment : utterance.segments) {
        const Prosody& prosody = segment.prosody;
        Require(prosody.speedWpm >= kMinSpeedWpm && prosody.speedWpm <= kMaxSpeedWpm);
        Require(prosody.pitchHz >= kMinPitchHz && prosody.pitchHz <= kMaxPitchHz);
        Require(prosody.volume >= 0 && prosody.volume <= kMaxVolume);
        Require(segment.pauseBeforeMs >= 0 && segment.pauseBeforeMs <= kMaxTotalPauseMs);
        PaceWord(segment.shown, segment.prosody.speedWpm, segment.emphasis);
    }
    Require(ParseSpeechTags(EscapeSpeechText(text)).ShownText() == text);
    return 0;
}
