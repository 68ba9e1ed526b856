#include "speech/character_win.h"

#include <windows.h>
#include <winnetwk.h>

#include <algorithm>

#include "characters/character_folder_win.h"
#include "characters/character_names.h"
#include "win32util/system_library.h"
#include "win32util/text.h"

namespace vocalinka {

using win32util::ToU16;

std::wstring LoadCharacterOrFallback(agent::CharacterCollection& characters,
                                     const std::wstring& windowsDirectory,
                                     const std::wstring& preferred) {
    std::vector<std::wstring> candidates{preferred, L"Merlin"};
    const auto installed = InstalledCharacters(windowsDirectory);
    candidates.insert(candidates.end(), installed.begin(), installed.end());
    std::vector<std::wstring> tried;
    for (const auto& name : candidates) {
        if (!IsCharacterName(ToU16(name)) ||
            std::find(tried.begin(), tried.end(), name) != tried.end()) {
            continue;
        }
        tried.push_back(name);
        try {
            characters.Load(name, CharacterPath(windowsDirectory, name));
            return name;
        } catch (const agent::Error&) {
            // A damaged or missing character: the next one may do.
        }
    }
    throw agent::Error(L"Vocalinka found no character it could load in the folder \"" +
                       CharacterFolder(windowsDirectory) +
                       L"\". Install a character (a file ending in .acs) there and start "
                       L"Vocalinka again.");
}

std::wstring UserName() {
    wchar_t buffer[256] = {};
    DWORD length = 255;
    // MPR is loaded from System32 only (win32util/system_library.h).
    const auto getUser =
        win32util::SystemFunction<decltype(WNetGetUserW)>(L"mpr.dll", "WNetGetUserW");
    if (!getUser || getUser(nullptr, buffer, &length) != NO_ERROR) return {};
    return buffer;
}

std::wstring GreetingDate(const LanguageEntry& language) {
    const bool french = language.languageId == 1036;
    const DWORD flags = french ? 0 : DATE_LONGDATE;
    const wchar_t* format = french ? L"dd MMM, yyyy" : nullptr;
    wchar_t buffer[128] = {};
    const int length =
        GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, flags, nullptr, format, buffer, 128, nullptr);
    return length > 0 ? std::wstring(buffer) : std::wstring{};
}

}  // namespace vocalinka
