#include "settings/profile.h"

#include <algorithm>

#include "parseit/parseit.h"
#include "win32util/ascii.h"

namespace vocalinka {
namespace {

constexpr char kQuote = '"';

constexpr std::array kFields{&ProfileSettings::Character, &ProfileSettings::Language,
                             &ProfileSettings::Speed, &ProfileSettings::Pitch};

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Consumes one line end at `pos` (CR LF, LF or a lone CR).
std::size_t SkipLineEnd(std::string_view text, std::size_t pos) {
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
    return pos;
}

// Hand-edited files may end lines with LF or CR alone; the profile text splits on CR LF.
std::string NormaliseLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (IsLineEnd(text[i])) {
            out += LineBreak;
            i = SkipLineEnd(text, i);
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

std::string ProfileText(const ProfileSettings& settings) {
    std::string text;
    text.append("Character=").append(settings.Character).append(LineBreak);
    text.append("Language=").append(settings.Language).append(LineBreak);
    text.append("Speed=").append(settings.Speed).append(LineBreak);
    text.append("Pitch=").append(settings.Pitch);
    return text;
}

std::string QuotedRecord(std::string_view text) {
    std::string record;
    record.reserve(text.size() + 4);
    record += kQuote;
    for (const char c : text) {
        if (c == kQuote) record += kQuote;
        record += c;
    }
    record += kQuote;
    record += LineBreak;
    return record;
}

std::string ReadFields(std::string_view fileText) {
    std::string result;
    std::size_t pos = 0;
    bool newLine = false;  // the next field starts a line of its own
    bool first = true;
    const std::size_t n = fileText.size();
    while (pos < n) {
        while (pos < n && fileText[pos] == ' ') ++pos;
        if (pos >= n) break;
        if (newLine && !first) result += LineBreak;
        first = false;
        if (fileText[pos] == kQuote) {
            std::size_t close = fileText.find(kQuote, pos + 1);
            // Two quotes in a row stand for one quote of the text.
            while (close != std::string_view::npos && close + 1 < n &&
                   fileText[close + 1] == kQuote) {
                result.append(fileText.substr(pos + 1, close - pos));
                pos = close + 1;
                close = fileText.find(kQuote, pos + 1);
            }
            if (close == std::string_view::npos) {  // a lone quote: the rest is the field
                result.append(fileText.substr(pos + 1));
                break;
            }
            result.append(fileText.substr(pos + 1, close - pos - 1));
            // The rest of the line is consumed up to a comma (another field follows on this
            // line) or the line end.
            pos = close + 1;
            while (pos < n && fileText[pos] != ',' && !IsLineEnd(fileText[pos])) ++pos;
            if (pos < n && fileText[pos] == ',') {
                ++pos;
                newLine = false;
            } else {
                pos = SkipLineEnd(fileText, pos);
                newLine = true;
            }
        } else {
            // An unquoted field is the line as written, commas included, so that a hand-edited
            // value keeps them.
            std::size_t end = pos;
            while (end < n && !IsLineEnd(fileText[end])) ++end;
            result.append(fileText.substr(pos, end - pos));
            pos = SkipLineEnd(fileText, end);
            newLine = true;
        }
    }
    return result;
}

void StringToArray(std::string_view sString, std::vector<std::string>& sArray,
                   std::string_view sDelimit) {
    if (sString.empty()) return;
    sArray.clear();
    long position = 0;
    while (static_cast<std::size_t>(position) < sString.size()) {
        const std::string_view token = parseit::NextToken(position, sString, sDelimit);
        position += static_cast<long>(token.size() + sDelimit.size());
        if (token.find_first_not_of(' ') != std::string_view::npos) sArray.emplace_back(token);
    }
}

void ReturnKeyValue(std::string_view sLines, std::string& sKey, std::string& sValue) {
    sKey.clear();
    sValue.clear();
    if (const auto equals = sLines.find('='); equals != std::string_view::npos) {
        sKey = sLines.substr(0, equals);
        sValue = sLines.substr(equals + 1);
    } else if (win32util::ContainsIgnoringAsciiCase(sLines, "begin")) {
        sKey = "begin";
    } else if (sLines.size() == 3 && win32util::ContainsIgnoringAsciiCase(sLines, "end")) {
        sKey = "end";
    }
}

void ApplyProfileText(std::string_view profileText, ProfileSettings& settings) {
    std::vector<std::string> lines;
    StringToArray(NormaliseLineBreaks(profileText), lines, LineBreak);
    std::string key;
    std::string value;
    for (const auto& line : lines) {
        ReturnKeyValue(line, key, value);
        if (key == "Character") {
            settings.Character = value;
        } else if (key == "Language") {
            settings.Language = value;
        } else if (key == "Speed") {
            settings.Speed = value;
        } else if (key == "Pitch") {
            settings.Pitch = value;
        }
    }
}

ProfileSettings ProfileChanges::Merge(const ProfileSettings& current,
                                      const ProfileSettings& stored) {
    ProfileSettings merged = stored;
    for (std::size_t i = 0; i < kFields.size(); ++i) {
        const auto field = kFields[i];
        changed_[i] = changed_[i] || current.*field != loaded_.*field;
        if (changed_[i]) merged.*field = current.*field;
    }
    return merged;
}

}  // namespace vocalinka
