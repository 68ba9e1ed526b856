// "Select Language": the languages whose Agent language components are installed.
#pragma once

#include <windows.h>

#include <string>

#include "settings/list_chooser.h"

namespace vocalinka {

class frmLanguage : public ListChooser {
public:
    // Lists "English" for AGT0409.DLL and "French" for AGT040C.DLL in `folder`; OK sets
    // Language.
    explicit frmLanguage(HINSTANCE instance, std::wstring folder = InstalledFolder());

    // <Windows>\Msagent\Intl, where the language components are installed.
    static std::wstring InstalledFolder();
};

}  // namespace vocalinka
