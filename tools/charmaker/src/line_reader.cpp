#include "line_reader.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <optional>

namespace charmaker {
namespace {

std::optional<double> ParseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

SourceError::SourceError(int line, const std::string& message)
    : std::runtime_error("line " + std::to_string(line) + ": " + message) {}

std::vector<Line> Tokenize(std::string_view source) {
    std::vector<Line> lines;
    bool continues = false;
    int number = 0;
    while (!source.empty()) {
        const std::size_t end = source.find('\n');
        std::string_view text = source.substr(0, end);
        source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
        ++number;
        text = text.substr(0, text.find("//"));
        while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
            text.remove_suffix(1);
        }
        const bool continued = continues;
        continues = !text.empty() && text.back() == '\\';
        if (continues) text.remove_suffix(1);
        if (!continued) lines.push_back({number, {}});
        std::size_t at = 0;
        while (at < text.size()) {
            if (std::isspace(static_cast<unsigned char>(text[at]))) {
                ++at;
                continue;
            }
            std::size_t stop = at;
            while (stop < text.size() && !std::isspace(static_cast<unsigned char>(text[stop]))) {
                ++stop;
            }
            lines.back().tokens.emplace_back(text.substr(at, stop - at));
            at = stop;
        }
        if (lines.back().tokens.empty() && !continues) lines.pop_back();
    }
    if (!lines.empty() && lines.back().tokens.empty()) lines.pop_back();  // a final "\"
    return lines;
}

bool IsName(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    });
}

double NumberOr(int line, std::string_view text, std::string_view what) {
    const std::optional<double> value = ParseNumber(text);
    if (!value) {
        throw SourceError(line,
                          std::string(what) + " must be a number, not '" + std::string(text) + "'");
    }
    return *value;
}

Vec2 ParsePair(int line, std::string_view text, bool same, std::string_view what) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos && same) {
        const double value = NumberOr(line, text, what);
        return {value, value};
    }
    if (comma == std::string_view::npos) {
        throw SourceError(line, std::string(what) + " must be two numbers as x,y");
    }
    return {NumberOr(line, text.substr(0, comma), what),
            NumberOr(line, text.substr(comma + 1), what)};
}

void LineReader::Fail(const std::string& message) const {
    throw SourceError(line_, message);
}

double LineReader::Number(const std::string& token) const {
    return NumberOr(line_, token, "a value");
}

int LineReader::Integer(const std::string& token, int low, int high, std::string_view what) const {
    const double value = Number(token);
    if (value != std::floor(value) || value < low || value > high) {
        Fail(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
             std::to_string(high));
    }
    return static_cast<int>(value);
}

void LineReader::Count(Tokens args, std::size_t low, std::size_t high,
                       std::string_view usage) const {
    if (args.size() < low || args.size() > high) Fail("expected: " + std::string(usage));
}

Vec2 LineReader::Point(Tokens args, std::size_t at) const {
    return {Number(args[at]), Number(args[at + 1])};
}

std::vector<Setting> LineReader::Settings(Tokens args) const {
    std::vector<Setting> settings;
    for (const std::string& token : args) {
        const std::size_t equals = token.find('=');
        if (equals == std::string::npos || equals == 0) {
            Fail("'" + token + "' is not a setting of the form key=value");
        }
        settings.push_back({token.substr(0, equals), token.substr(equals + 1), line_});
    }
    return settings;
}

}  // namespace charmaker
