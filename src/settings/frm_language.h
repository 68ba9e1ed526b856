// "Select Language": the languages whose Agent language components are installed.
#pragma once

#include <windows.h>

#include <string>

#include "agent/intl/language_texts.h"
#include "settings/list_chooser.h"

namespace vocalinka {

class frmLanguage : public ListChooser {
public:
    // Lists "English" for AGT0409.DLL and "French" for AGT040C.DLL in `folder`, by default the
    // folder where the language components are installed; OK sets Language.
    explicit frmLanguage(HINSTANCE instance,
                         std::wstring folder = agent::intl::DefaultIntlFolder());
};

}  // namespace vocalinka
