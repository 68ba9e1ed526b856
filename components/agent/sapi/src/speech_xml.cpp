#include "agent/sapi/speech_xml.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "agent/core/speech_tags.h"

namespace agent::sapi {
namespace {

constexpr int kMinLevel = -10;
constexpr int kMaxLevel = 10;

int ClampLevel(long level) {
    return static_cast<int>(std::clamp<long>(level, kMinLevel, kMaxLevel));
}

void AppendNumber(std::u16string& out, int number) {
    for (const char digit : std::to_string(number)) out += static_cast<char16_t>(digit);
}

void AppendTag(std::u16string& out, std::u16string_view name, std::u16string_view attribute,
               int value) {
    out += u'<';
    out += name;
    out += u' ';
    out += attribute;
    out += u"=\"";
    AppendNumber(out, value);
    out += u"\"/>";
}

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::u16string_view EntityFor(char16_t c) {
    switch (c) {
        case u'&':
            return u"&amp;";
        case u'<':
            return u"&lt;";
        case u'>':
            return u"&gt;";
        default:
            return {};
    }
}

// SAPI gives an engine the text between two tags as one fragment, decoded, with the fragment's
// offset in the XML; an engine counting a word's place from there in decoded characters would
// land 4 short of the word after each "&amp;". A bookmark after every escaped character ends
// the fragment there, so that both ways of counting agree. Nobody listens for bookmark events.
constexpr std::u16string_view kFragmentEnd = u"<bookmark mark=\"0\"/>";

// XML 1.0 forbids most control characters, lone surrogates and U+FFFE/U+FFFF, and SAPI's
// parser may refuse the whole text for one of them. Copied text does hold such characters, so
// each becomes a space: never spoken, and one unit long, so positions stay exact.
bool AllowedInXml(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (c < 0x20) return c == u'\t' || c == u'\n' || c == u'\r';
    if (c == 0xFFFE || c == 0xFFFF) return false;
    if (IsHighSurrogate(c)) return i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
    if (IsLowSurrogate(c)) return i > 0 && IsHighSurrogate(text[i - 1]);
    return true;
}

bool EndsSentence(char16_t c) {
    return c == u'.' || c == u'!' || c == u'?' || c == 0x2026 || c == 0x3002 || c == 0xFF01 ||
           c == 0xFF0E || c == 0xFF1F;
}

// Where a part that may run from `begin` to at most `limit` of the text ends (see the
// constructor): after a sentence and its white space, else after white space, searched in the
// last half; else at the limit, moved back off a surrogate pair.
std::size_t CutPoint(std::u16string_view text, std::size_t begin, std::size_t limit) {
    const std::size_t earliest = begin + (limit - begin) / 2;
    std::size_t afterSpace = 0;
    for (std::size_t end = limit; end > earliest && end > begin + 1; --end) {
        if (!IsSpace(text[end - 1]) || (end < text.size() && IsSpace(text[end]))) continue;
        std::size_t wordEnd = end - 1;
        while (wordEnd > begin && IsSpace(text[wordEnd - 1])) --wordEnd;
        if (wordEnd > begin && EndsSentence(text[wordEnd - 1])) return end;
        if (afterSpace == 0) afterSpace = end;
    }
    if (afterSpace != 0) return afterSpace;
    if (IsHighSurrogate(text[limit - 1]) && limit < text.size() && IsLowSurrogate(text[limit]) &&
        limit - 1 > begin) {
        return limit - 1;
    }
    return limit;
}

}  // namespace

int RateForSpeed(int wordsPerMinute) {
    if (wordsPerMinute < 1) return kMinLevel;
    const double steps =
        10.0 * std::log(wordsPerMinute / double(core::kNormalSpeedWpm)) / std::log(3.0);
    return ClampLevel(std::lround(steps));
}

int PitchForHz(int hertz) {
    using core::kNormalPitchHz, core::kPitchHzRange;
    const int hz = kPitchHzRange.Clamp(hertz);
    const double steps =
        hz < kNormalPitchHz
            ? 10.0 * (hz - kNormalPitchHz) / double(kNormalPitchHz - kPitchHzRange.min)
            : 10.0 * (hz - kNormalPitchHz) / double(kPitchHzRange.max - kNormalPitchHz);
    return ClampLevel(std::lround(steps));
}

int VolumeLevel(int volume) {
    const int v = std::clamp(volume, 0, core::kMaxVolume);
    return static_cast<int>(std::lround(v * 100.0 / core::kMaxVolume));
}

SpeechXml::SpeechXml(const core::Utterance& utterance)
    : SpeechXml(utterance, XmlPosition{}, std::numeric_limits<std::size_t>::max()) {}

XmlPosition PositionAfterShown(const core::Utterance& utterance, std::size_t shownEnd) {
    const std::vector<core::Segment>& segments = utterance.segments;
    std::size_t segmentShownBegin = 0;
    for (std::size_t index = 0; index < segments.size(); ++index) {
        if (shownEnd <= segmentShownBegin) return {index, 0, segmentShownBegin};
        const core::Segment& segment = segments[index];
        const std::size_t segmentShownEnd = segmentShownBegin + segment.shown.size();
        if (shownEnd < segmentShownEnd && !segment.mapped) {
            return {index, shownEnd - segmentShownBegin, segmentShownBegin};
        }
        segmentShownBegin = segmentShownEnd;
    }
    return {segments.size(), 0, segmentShownBegin};
}

SpeechXml::SpeechXml(const core::Utterance& utterance, XmlPosition from, std::size_t maxUnits,
                     std::optional<int> speedWpm)
    : speedWpm_(speedWpm) {
    const std::vector<core::Segment>& segments = utterance.segments;
    std::size_t budget = std::max<std::size_t>(maxUnits, 1);
    std::size_t shownBegin = from.segmentShownBegin;
    for (std::size_t index = from.segment; index < segments.size(); ++index) {
        const core::Segment& segment = segments[index];
        const std::size_t begin = index == from.segment ? from.offset : 0;
        const std::size_t size = segment.Spoken().size();
        const bool mapped = segment.mapped;
        const bool somethingWritten = !runs_.empty() || !xml_.empty();
        if (budget == 0 || (somethingWritten && mapped && size > budget)) {
            next_ = XmlPosition{index, begin, shownBegin};
            return;
        }
        std::size_t end = size;
        if (!mapped && size - begin > budget) {
            end = CutPoint(segment.Spoken(), begin, begin + budget);
        }
        AppendSegment(segment, begin, end, shownBegin, mapped);
        if (end < size) {
            next_ = XmlPosition{index, end, shownBegin};
            return;
        }
        budget -= std::min(budget, size - begin);
        shownBegin += segment.shown.size();
    }
}

void SpeechXml::AppendSegment(const core::Segment& segment, std::size_t begin, std::size_t end,
                              std::size_t shownBegin, bool mapped) {
    const bool atStart = begin == 0;
    if (atStart && segment.pauseBeforeMs > 0) {
        AppendTag(xml_, u"silence", u"msec", segment.pauseBeforeMs);
    }
    AppendProsody(segment.prosody);

    std::optional<ShownRange> mappedTo;
    if (mapped) mappedTo = ShownRange{shownBegin, segment.shown.size()};
    const std::u16string_view spoken = segment.Spoken().substr(0, end);
    const auto space = [](char16_t c) { return IsSpace(c); };
    const auto wordBegin = std::find_if_not(spoken.begin(), spoken.end(), space);
    if (atStart && segment.emphasis && wordBegin != spoken.end()) {
        const std::size_t wordStart = std::size_t(wordBegin - spoken.begin());
        const std::size_t wordEnd =
            std::size_t(std::find_if(wordBegin, spoken.end(), space) - spoken.begin());
        AppendText(spoken.substr(0, wordStart), shownBegin, mappedTo);
        xml_ += u"<emph>";
        AppendText(spoken.substr(wordStart, wordEnd - wordStart), shownBegin + wordStart, mappedTo);
        xml_ += u"</emph>";
        AppendText(spoken.substr(wordEnd), shownBegin + wordEnd, mappedTo);
    } else {
        AppendText(spoken.substr(begin), shownBegin + begin, mappedTo);
    }
}

void SpeechXml::AppendProsody(const core::Prosody& prosody) {
    const Levels wanted{RateForSpeed(speedWpm_.value_or(prosody.speedWpm)),
                        PitchForHz(prosody.pitchHz), VolumeLevel(prosody.volume)};
    if (!levels_ || levels_->rate != wanted.rate) {
        AppendTag(xml_, u"rate", u"absspeed", wanted.rate);
    }
    if (!levels_ || levels_->pitch != wanted.pitch) {
        AppendTag(xml_, u"pitch", u"absmiddle", wanted.pitch);
    }
    if (!levels_ || levels_->volume != wanted.volume) {
        AppendTag(xml_, u"volume", u"level", wanted.volume);
    }
    levels_ = wanted;
}

void SpeechXml::AppendText(std::u16string_view text, std::size_t shownBegin,
                           std::optional<ShownRange> mappedTo) {
    const std::size_t textBegin = xml_.size();
    std::size_t plainXml = textBegin;  // where the current stretch of plain text began
    std::size_t plainShown = shownBegin;
    const auto endPlainRun = [&] {
        const std::size_t length = xml_.size() - plainXml;
        if (!mappedTo) AddRun({plainXml, length, plainShown, length, true});
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::u16string_view entity = EntityFor(text[i]);
        if (entity.empty()) {
            xml_ += AllowedInXml(text, i) ? text[i] : u' ';
            continue;
        }
        endPlainRun();
        if (!mappedTo) AddRun({xml_.size(), entity.size(), shownBegin + i, 1, false});
        xml_ += entity;
        xml_ += kFragmentEnd;
        plainXml = xml_.size();
        plainShown = shownBegin + i + 1;
    }
    endPlainRun();
    if (mappedTo) {
        AddRun({textBegin, xml_.size() - textBegin, mappedTo->begin, mappedTo->length, false});
    }
}

void SpeechXml::AddRun(Run run) {
    if (run.xmlLength > 0) runs_.push_back(run);
}

std::optional<ShownRange> SpeechXml::ShownWord(std::size_t position, std::size_t length) const {
    // A voice that reports a zero length still means the word that starts there.
    const std::size_t end = position + std::max<std::size_t>(length, 1);
    if (end < position) return std::nullopt;  // a nonsense length from a broken voice
    const auto first = std::partition_point(runs_.begin(), runs_.end(), [&](const Run& r) {
        return r.xmlBegin + r.xmlLength <= position;
    });
    const auto afterLast =
        std::partition_point(first, runs_.end(), [&](const Run& r) { return r.xmlBegin < end; });
    if (first == afterLast) return std::nullopt;
    const Run& last = *(afterLast - 1);

    const std::size_t shownBegin =
        first->exact
            ? first->shownBegin + (position > first->xmlBegin ? position - first->xmlBegin : 0)
            : first->shownBegin;
    const std::size_t shownEnd =
        last.exact ? last.shownBegin + std::min(end - last.xmlBegin, last.xmlLength)
                   : last.shownBegin + last.shownLength;
    if (shownEnd <= shownBegin) return std::nullopt;
    return ShownRange{shownBegin, shownEnd - shownBegin};
}

}  // namespace agent::sapi
