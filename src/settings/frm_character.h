// "Select Character": the characters installed in the Agent character folder.
#pragma once

#include <windows.h>

#include <string>

#include "settings/list_chooser.h"
#include "speech/character_win.h"
#include "ui/win32_util.h"

namespace vocalinka {

class frmCharacter : public ListChooser {
public:
    // Lists the ".acs" files of `folder`, by default the folder where characters are installed;
    // OK sets Character.
    explicit frmCharacter(HINSTANCE instance,
                          std::wstring folder = CharacterFolder(WindowsDirectory()));
};

}  // namespace vocalinka
