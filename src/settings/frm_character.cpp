#include "settings/frm_character.h"

#include <utility>

#include "characters/character_folder_win.h"
#include "characters/character_names.h"
#include "resources/dialogs_resource.h"
#include "win32util/text.h"

namespace vocalinka {
namespace {

constexpr auto kControls = ChooserControls({IDC_LSTCHAR, 240, 210, 2760, 2790}, 3285, 225);
constexpr DialogDesign kDesign{kChooserWidth, kChooserHeight, kControls};

// Only the characters the program can load are offered: not a file such as "con.acs", which
// Windows would open as a device.
std::optional<std::string> OfferedCharacter(std::string_view fileName) {
    std::optional<std::string> name = CharacterNameOf(fileName);
    if (name && !IsCharacterName(win32util::ToU16(win32util::Utf8ToWide(*name)))) name.reset();
    return name;
}

}  // namespace

frmCharacter::frmCharacter(HINSTANCE instance, std::wstring folder)
    : ListChooser(instance, IDD_CHARACTER, kDesign, IDC_LSTCHAR, std::move(folder),
                  WideCharacterExtension(), OfferedCharacter, &ProfileSettings::Character) {}

}  // namespace vocalinka
