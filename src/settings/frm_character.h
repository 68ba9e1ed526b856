// "Select Character": the characters installed in the Agent character folder.
#pragma once

#include <windows.h>

#include <string>

#include "characters/character_folder_win.h"
#include "settings/list_chooser.h"
#include "win32util/files.h"

namespace vocalinka {

class frmCharacter : public ListChooser {
public:
    // Lists the ".acs" files of `folder`, by default the folder where characters are installed;
    // OK sets Character.
    explicit frmCharacter(HINSTANCE instance,
                          std::wstring folder = CharacterFolder(win32util::WindowsDirectory()));
};

}  // namespace vocalinka
