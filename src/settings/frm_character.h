// "Select Character": the characters installed in the Agent character folder.
#pragma once

#include <windows.h>

#include <string>

#include "settings/list_chooser.h"

namespace vocalinka {

class frmCharacter : public ListChooser {
public:
    // Lists the ".acs" files of `folder`; OK sets Character.
    explicit frmCharacter(HINSTANCE instance, std::wstring folder = InstalledFolder());

    // <Windows>\Msagent\Chars, where the character files are installed.
    static std::wstring InstalledFolder();
};

}  // namespace vocalinka
