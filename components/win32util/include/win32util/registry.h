// Typed registry reads.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win32util {

// The REG_SZ value `value` of `key` under `root`, up to its first null; nothing when the value
// is missing, of another type or cannot be read.
[[nodiscard]] std::optional<std::wstring> ReadRegistryString(HKEY root, const wchar_t* key,
                                                             const wchar_t* value);

}  // namespace win32util
