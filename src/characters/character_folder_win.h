// Where characters are installed and which are there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vocalinka {

// ".acs" as the W functions take it.
std::wstring_view WideCharacterExtension();

// <Windows>\Msagent\Chars, where characters are installed.
std::wstring CharacterFolder(const std::wstring& windowsDirectory);
// The file of a character: the folder, the name and ".acs".
std::wstring CharacterPath(const std::wstring& windowsDirectory, const std::wstring& name);
// Names of the installed characters (their files without ".acs"), in file system order.
std::vector<std::wstring> InstalledCharacters(const std::wstring& windowsDirectory);

}  // namespace vocalinka
