// The lines of a character source: their tokens and the values they hold, every fault reported
// with the line it is on.
#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "geometry.h"

namespace charmaker {

// A fault in a source, with the line it is on ("line 12: unknown paint 'robe'").
class SourceError : public std::runtime_error {
public:
    SourceError(int line, const std::string& message);
};

// "key=value" from a frame or mouth line.
struct Setting {
    std::string key;
    std::string value;
    int line = 0;
};

using Tokens = std::span<const std::string>;

struct Line {
    int number = 0;
    std::vector<std::string> tokens;
};

// Splits the source into lines of tokens: "//" starts a comment, a line ending in "\"
// continues on the next one.
std::vector<Line> Tokenize(std::string_view source);

// Letters, digits and '_', at least one.
bool IsName(std::string_view text);

// The number `text` holds; a SourceError on `line` naming `what` when it holds none.
double NumberOr(int line, std::string_view text, std::string_view what);

// "x,y" or, when `same` is true, "v" meaning "v,v".
Vec2 ParsePair(int line, std::string_view text, bool same, std::string_view what);

// Reads the values of the statement on the current line; faults are reported at that line.
class LineReader {
public:
    void MoveTo(int line) { line_ = line; }
    int CurrentLine() const { return line_; }

    [[noreturn]] void Fail(const std::string& message) const;
    double Number(const std::string& token) const;
    int Integer(const std::string& token, int low, int high, std::string_view what) const;
    // Fails with the usage unless there are from `low` to `high` arguments.
    void Count(Tokens args, std::size_t low, std::size_t high, std::string_view usage) const;
    Vec2 Point(Tokens args, std::size_t at) const;
    // key=value tokens.
    std::vector<Setting> Settings(Tokens args) const;

private:
    int line_ = 0;
};

}  // namespace charmaker
