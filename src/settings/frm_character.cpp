#include "settings/frm_character.h"

#include <utility>

#include "resources/dialogs_resource.h"
#include "settings/agent_files.h"
#include "speech/character_win.h"
#include "speech/speech_text.h"

namespace vocalinka {
namespace {

constexpr auto kControls = ChooserControls({IDC_LSTCHAR, 240, 210, 2760, 2790}, 3285, 225);
constexpr DialogDesign kDesign{kChooserWidth, kChooserHeight, kControls};

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
