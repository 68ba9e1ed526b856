#include "settings/frm_language.h"

#include <utility>

#include "resources/dialogs_resource.h"
#include "settings/agent_files.h"

namespace vocalinka {
namespace {

constexpr DesignedControl kControls[] = {
    {IDC_LSTLANGUAGE, 240, 240, 2790, 2595},  // lstLanguage
    {IDOK, 3315, 240, 1215, 495},             // cmdOK
    {IDCANCEL, 3315, 855, 1215, 495},         // cmdCancel
};
constexpr DialogDesign kDesign{4680, 3195, kControls};

}  // namespace

frmLanguage::frmLanguage(HINSTANCE instance, std::wstring folder)
    : ListChooser(instance, IDD_LANGUAGE, kDesign, IDC_LSTLANGUAGE, std::move(folder), L".dll",
                  LanguageOf, &ProfileSettings::Language) {}

}  // namespace vocalinka
