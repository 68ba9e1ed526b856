#include "agent/core/speech_tags.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "unicode.h"

namespace agent::core {
namespace {

constexpr char16_t kBackslash = u'\\';
constexpr char16_t kQuote = u'"';
// Above every tag's range: longer numbers saturate here instead of overflowing.
constexpr int kNumberCeiling = 1'000'000;

constexpr bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr bool IsAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool NameIs(std::u16string_view name, std::u16string_view lowerCase) {
    return std::equal(name.begin(), name.end(), lowerCase.begin(), lowerCase.end(),
                      [](char16_t a, char16_t b) { return (a | 0x20) == b; });
}

struct TagArgument {
    bool quoted = false;
    int number = 0;       // when not quoted
    std::u16string text;  // when quoted
};

struct Tag {
    std::u16string_view name;
    std::vector<TagArgument> arguments;

    bool Is(std::u16string_view lowerCase, std::size_t count, bool quoted) const {
        return NameIs(name, lowerCase) && arguments.size() == count &&
               std::all_of(arguments.begin(), arguments.end(),
                           [quoted](const TagArgument& a) { return a.quoted == quoted; });
    }
};

// A quoted argument starting just after its opening quote; advances `at` past the closing one.
std::optional<std::u16string> ReadQuoted(std::u16string_view body, std::size_t& at) {
    std::u16string value;
    while (at < body.size()) {
        const char16_t c = body[at];
        const bool doubled = at + 1 < body.size() && body[at + 1] == c;
        if (c == kQuote && !doubled) {
            ++at;
            return value;
        }
        if (c == kBackslash && !doubled) return std::nullopt;
        value.push_back(c);
        at += (c == kQuote || c == kBackslash) ? 2 : 1;
    }
    return std::nullopt;
}

// name [ "=" value { "=" value } ] with value = digits | quoted. Nullopt when malformed.
std::optional<Tag> ParseTagBody(std::u16string_view body) {
    std::size_t at = 0;
    while (at < body.size() && IsAsciiLetter(body[at])) ++at;
    Tag tag{body.substr(0, at), {}};
    while (at < body.size()) {
        if (body[at] != u'=' || at + 1 == body.size()) return std::nullopt;
        ++at;
        TagArgument argument;
        if (body[at] == kQuote) {
            ++at;
            auto text = ReadQuoted(body, at);
            if (!text) return std::nullopt;
            argument.quoted = true;
            argument.text = std::move(*text);
        } else if (IsAsciiDigit(body[at])) {
            for (; at < body.size() && IsAsciiDigit(body[at]); ++at) {
                const int digit = body[at] - u'0';
                argument.number = std::min(argument.number * 10 + digit, kNumberCeiling);
            }
        } else {
            return std::nullopt;
        }
        tag.arguments.push_back(std::move(argument));
    }
    return tag;
}

struct TagMatch {
    std::size_t closing;     // position of the closing backslash
    std::optional<Tag> tag;  // nullopt: malformed
    bool spaceInQuotes;
};

// The tag whose opening backslash is at `opening`, or nullopt when what follows cannot be a
// tag and must be read as text. Stops at the first backslash that is not a pair inside quotes, so
// a failed attempt never scans text that a later attempt scans again: parsing stays linear.
std::optional<TagMatch> MatchTag(std::u16string_view text, std::size_t opening) {
    const std::size_t start = opening + 1;
    if (start >= text.size() || !IsAsciiLetter(text[start])) return std::nullopt;
    bool quoted = false;
    bool spaceInQuotes = false;
    for (std::size_t at = start; at < text.size(); ++at) {
        const char16_t c = text[at];
        const bool doubled = at + 1 < text.size() && text[at + 1] == c;
        if (c == kBackslash && !(quoted && doubled)) {
            return TagMatch{at, ParseTagBody(text.substr(start, at - start)), spaceInQuotes};
        }
        if (quoted) {
            if ((c == kQuote || c == kBackslash) && doubled) {
                ++at;
            } else if (c == kQuote) {
                quoted = false;
            } else if (unicode::IsWhiteSpace(c)) {
                spaceInQuotes = true;
            }
        } else if (c == kQuote) {
            quoted = true;
        } else if (unicode::IsWhiteSpace(c)) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

class UtteranceBuilder {
public:
    void AddText(std::u16string_view text) {
        if (text.empty()) return;
        if (NeedsNewSegment()) StartSegment();
        segments_.back().shown.append(text);
    }

    void AddMapped(std::u16string spoken, std::u16string shown) {
        if (spoken.empty() && shown.empty()) return;
        StartSegment();
        // Spoken as shown: an ordinary segment of its own, the text held once.
        segments_.back().mapped = spoken != shown;
        if (segments_.back().mapped) segments_.back().mappedSpoken = std::move(spoken);
        segments_.back().shown = std::move(shown);
        lastIsMapped_ = true;
    }

    // False when the tag is not obeyed: the rest of the old tag set (Chr, Ctx, Lst, Mrk),
    // unknown names and wrong arguments.
    bool Apply(const Tag& tag) {
        if (tag.Is(u"spd", 1, false)) {
            prosody_.speedWpm = kSpeedWpmRange.Clamp(tag.arguments[0].number);
        } else if (tag.Is(u"pit", 1, false)) {
            prosody_.pitchHz = kPitchHzRange.Clamp(tag.arguments[0].number);
        } else if (tag.Is(u"vol", 1, false)) {
            prosody_.volume = std::clamp(tag.arguments[0].number, 0, kMaxVolume);
        } else if (tag.Is(u"pau", 1, false)) {
            const int pause = kPauseMsRange.Clamp(tag.arguments[0].number);
            pendingPauseMs_ = std::min(pendingPauseMs_ + pause, kMaxTotalPauseMs);
        } else if (tag.Is(u"emp", 0, false)) {
            pendingEmphasis_ = true;
        } else if (tag.Is(u"rst", 0, false)) {
            prosody_ = Prosody{};
            pendingEmphasis_ = false;
        } else if (tag.Is(u"map", 2, true)) {
            AddMapped(tag.arguments[0].text, tag.arguments[1].text);
        } else {
            return false;
        }
        return true;
    }

    Utterance Finish() {
        // Text added in pieces (around escaped backslashes) may have left room to spare.
        for (Segment& segment : segments_) {
            if (segment.shown.capacity() > segment.shown.size() + segment.shown.size() / 8) {
                segment.shown.shrink_to_fit();
            }
        }
        return Utterance{std::move(segments_)};
    }

private:
    bool NeedsNewSegment() const {
        return segments_.empty() || lastIsMapped_ || segments_.back().prosody != prosody_ ||
               pendingPauseMs_ > 0 || pendingEmphasis_;
    }

    void StartSegment() {
        Segment segment;
        segment.prosody = prosody_;
        segment.pauseBeforeMs = std::exchange(pendingPauseMs_, 0);
        segment.emphasis = std::exchange(pendingEmphasis_, false);
        segments_.push_back(std::move(segment));
        lastIsMapped_ = false;
    }

    std::vector<Segment> segments_;
    Prosody prosody_;
    int pendingPauseMs_ = 0;
    bool pendingEmphasis_ = false;
    bool lastIsMapped_ = false;
};

}  // namespace

std::u16string Utterance::ShownText() const {
    std::size_t length = 0;
    for (const Segment& segment : segments) length += segment.shown.size();
    std::u16string text;
    text.reserve(length);
    for (const Segment& segment : segments) text += segment.shown;
    return text;
}

Utterance ParseSpeechTags(std::u16string_view text) {
    // Text goes into the segments as it is read: a long text is not gathered twice.
    UtteranceBuilder builder;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t backslash = std::min(text.find(kBackslash, at), text.size());
        builder.AddText(text.substr(at, backslash - at));
        at = backslash;
        if (at == text.size()) break;
        if (at + 1 < text.size() && text[at + 1] == kBackslash) {
            builder.AddText(text.substr(at, 1));
            at += 2;
            continue;
        }
        const auto match = MatchTag(text, at);
        const bool obeyed = match && match->tag && builder.Apply(*match->tag);
        if (!match || (!obeyed && match->spaceInQuotes)) {
            // Not a tag, or more likely a sentence with backslashes than one: read it.
            builder.AddText(text.substr(at, 1));
            ++at;
        } else {
            at = match->closing + 1;
        }
    }
    return builder.Finish();
}

std::u16string EscapeSpeechText(std::u16string_view text) {
    std::u16string escaped;
    const auto backslashes = std::count(text.begin(), text.end(), kBackslash);
    escaped.reserve(text.size() + static_cast<std::size_t>(backslashes));
    for (const char16_t c : text) {
        escaped.push_back(c);
        if (c == kBackslash) escaped.push_back(kBackslash);
    }
    return escaped;
}

}  // namespace agent::core
