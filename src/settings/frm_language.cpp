#include "settings/frm_language.h"

#include <utility>

#include "resources/dialogs_resource.h"
#include "settings/agent_files.h"

namespace vocalinka {
namespace {

constexpr auto kControls = ChooserControls({IDC_LSTLANGUAGE, 240, 240, 2790, 2595}, 3315, 240);
constexpr DialogDesign kDesign{kChooserWidth, kChooserHeight, kControls};

}  // namespace

frmLanguage::frmLanguage(HINSTANCE instance, std::wstring folder)
    : ListChooser(instance, IDD_LANGUAGE, kDesign, IDC_LSTLANGUAGE, std::move(folder), L".dll",
                  LanguageOf, &ProfileSettings::Language) {}

}  // namespace vocalinka
