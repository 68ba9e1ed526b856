// Any UTF-16 text: words lie inside the texts, in order, and escaped text reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "agent/core/speech_tags.h"
#include "agent/core/words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace agent::core;
    const auto require = [](bool condition) {
        if (!condition) std::abort();
    };
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const Utterance utterance = ParseSpeechTags(text);
    const std::size_t shownSize = utterance.ShownText().size();
    std::size_t previousEnd = 0;
    for (const Word& word : SplitWords(utterance)) {
        require(word.shownBegin >= previousEnd && word.segment < utterance.segments.size());
        previousEnd = word.shownBegin + word.shownLength;
        const std::size_t spokenSize = utterance.segments[word.segment].Spoken().size();
        require(previousEnd <= shownSize && word.spokenBegin + word.spokenLength <= spokenSize);
    }
    for (const Segment& s : utterance.segments) PaceWord(s.shown, s.prosody.speedWpm, s.emphasis);
    require(ParseSpeechTags(EscapeSpeechText(text)).ShownText() == text);
    return 0;
}
