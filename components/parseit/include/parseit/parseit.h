// A small string tokeniser: hands out the pieces of a text between occurrences of a separator.
#pragma once

#include <string_view>

namespace parseit {

// The run of `text` that begins at `position` (0-based, in code units) and ends just before
// the next occurrence of `separator` at or after it, or at the end of the text. Empty when
// `position` is at or beyond the end. An empty separator never matches, so the token is the
// rest of the text. The caller advances the position itself.
std::string_view NextToken(long position, std::string_view text, std::string_view separator);

}  // namespace parseit
