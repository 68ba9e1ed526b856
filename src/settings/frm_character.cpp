#include "settings/frm_character.h"

#include <utility>

#include "resources/dialogs_resource.h"
#include "settings/agent_files.h"
#include "speech/character_win.h"
#include "speech/speech_text.h"

namespace vocalinka {
namespace {

constexpr DesignedControl kControls[] = {
    {IDC_LSTCHAR, 240, 210, 2760, 2790},  // lstChar
    {IDOK, 3285, 225, 1215, 495},         // cmdOK
    {IDCANCEL, 3285, 855, 1215, 495},     // cmdCancel
};
constexpr DialogDesign kDesign{4680, 3195, kControls};

// Only the characters the program can load are offered: not a file such as "con.acs", which
// Windows would open as a device.
std::optional<std::string> OfferedCharacter(std::string_view fileName) {
    std::optional<std::string> name = CharacterNameOf(fileName);
    if (name && !IsCharacterName(ToU16(Utf8ToWide(*name)))) name.reset();
    return name;
}

}  // namespace

frmCharacter::frmCharacter(HINSTANCE instance, std::wstring folder)
    : ListChooser(instance, IDD_CHARACTER, kDesign, IDC_LSTCHAR, std::move(folder), L".acs",
                  OfferedCharacter, &ProfileSettings::Character) {}

}  // namespace vocalinka
