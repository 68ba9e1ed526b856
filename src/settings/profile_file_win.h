// Reading and writing the profile file on Windows.
#pragma once

#include <string>
#include <string_view>

namespace vocalinka {

// Larger files are not profiles (ours is 60 bytes): reading them fails and the defaults stay.
inline constexpr long long kMaxProfileBytes = 64 * 1024;

// Reads the fields of the file at `path` into `text` (UTF-8). The file is in the ANSI code page,
// or UTF-8 when it starts with a byte-order mark. False, with `text` untouched, when the file
// is missing, unreadable or too large.
bool ReadTextFile(const std::wstring& path, std::string& text);

// Writes `text` as one quoted record. Plain ANSI whenever the code page holds every character;
// otherwise UTF-8 with a byte-order mark, so that nothing is lost. The new file replaces the
// old one in a single rename: a failed or interrupted save leaves the previous file whole.
bool WriteTextFile(const std::wstring& path, std::string_view text);

// The program's folder followed by "\profile.pfl".
std::wstring ProfilePath();

}  // namespace vocalinka
