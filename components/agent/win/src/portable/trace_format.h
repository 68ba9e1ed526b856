// Lines of the Agent trace file. The program's end-to-end tests read this file to watch the
// component from outside, so the format is kept simple and stable; components/agent/win/README.md
// describes it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace agent::win {

inline constexpr std::size_t kTraceTextLimit = 200;

// Builds one trace line: "<kind> <name> <character id>[ <argument>...]", UTF-8, no line end.
class TraceLine {
public:
    TraceLine(std::string_view kind, std::string_view name, std::u16string_view characterId);
    // A text argument, always quoted and escaped.
    TraceLine& Text(std::u16string_view text);
    // A text that may be long, such as what is read aloud: whole when it has at most
    // kTraceTextLimit units, else its first kTraceTextLimit units (a surrogate pair is not
    // split) followed by the whole text's length in UTF-16 units as a number argument.
    TraceLine& Excerpt(std::u16string_view text);
    TraceLine& Number(long long value);
    const std::string& str() const noexcept { return line_; }

private:
    std::string line_;
};

// The character id bare when it is a plain token, else quoted like a text argument.
std::string TraceToken(std::u16string_view text);
// The text in double quotes. Inside, a backslash is written \\ and a quote \"; carriage return,
// line feed and tab are \r \n \t; every other character that some reader could take for a line
// break or that UTF-8 cannot carry (other C0 and C1 controls, DEL, U+2028, U+2029, a lone
// surrogate) is \uXXXX with four upper-case hex digits. Everything else is plain UTF-8.
std::string TraceQuoted(std::u16string_view text);

}  // namespace agent::win
