// Reads a character file from disk.
#pragma once

#include <string>

#include "agent/format/character_file.h"

namespace agent::win {

// Files larger than this are not characters (ours are well under a megabyte).
inline constexpr long long kMaxCharacterFileBytes = 64LL << 20;

// Throws agent::Error naming the file and saying why it cannot be used, e.g.
// Cannot load character "C:\Windows\Msagent\Chars\Foo.acs": the file does not exist.
format::CharacterData LoadCharacterFile(const std::wstring& path);

}  // namespace agent::win
