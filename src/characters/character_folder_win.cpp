#include "characters/character_folder_win.h"

#include "characters/character_names.h"
#include "win32util/files.h"
#include "win32util/text.h"

namespace vocalinka {

std::wstring_view WideCharacterExtension() {
    // ASCII: each letter is one UTF-16 unit.
    static const std::wstring extension(kCharacterExtension.begin(), kCharacterExtension.end());
    return extension;
}

std::wstring CharacterFolder(const std::wstring& windowsDirectory) {
    return windowsDirectory + L"\\Msagent\\Chars";
}

std::wstring CharacterPath(const std::wstring& windowsDirectory, const std::wstring& name) {
    return CharacterFolder(windowsDirectory) + L"\\" + name +
           std::wstring(WideCharacterExtension());
}

std::vector<std::wstring> InstalledCharacters(const std::wstring& windowsDirectory) {
    std::vector<std::wstring> names;
    for (const std::wstring& file : win32util::FilesWithExtension(CharacterFolder(windowsDirectory),
                                                                  WideCharacterExtension())) {
        if (const auto name = CharacterNameOf(win32util::WideToUtf8(file))) {
            names.push_back(win32util::Utf8ToWide(*name));
        }
    }
    return names;
}

}  // namespace vocalinka
