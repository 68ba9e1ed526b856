// The character and language choosers: a list built from the files of one folder, OK and
// Cancel. OK copies the selected entry into one field of the settings.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ok_cancel_dialog.h"
#include "settings/profile.h"

namespace vocalinka {

// Both choosers have one form (twips): the list at the left, OK above Cancel at the right.
inline constexpr int kChooserWidth = 4680;
inline constexpr int kChooserHeight = 3195;
constexpr std::array<DesignedControl, 3> ChooserControls(DesignedControl list, int buttonsLeft,
                                                         int okTop) {
    constexpr int kButtonWidth = 1215;
    constexpr int kButtonHeight = 495;
    constexpr int kCancelTop = 855;
    return {{list,
             {IDOK, buttonsLeft, okTop, kButtonWidth, kButtonHeight},
             {IDCANCEL, buttonsLeft, kCancelTop, kButtonWidth, kButtonHeight}}};
}

class ListChooser : public OkCancelDialog {
public:
    // Modal, owned by `owner`. OK with an entry selected sets the field to it; Cancel, the
    // close box and OK on an empty list leave it.
    void Run(HWND owner, ProfileSettings& settings);

protected:
    // The entry a file of the folder gives, or nothing for a file that is not offered.
    using EntryOf = std::optional<std::string> (*)(std::string_view fileName);

    // Offers the files of `folder` whose names end in `extension`, each as `entryOf` names it.
    ListChooser(HINSTANCE instance, int templateId, DialogDesign design, int listId,
                std::wstring folder, std::wstring_view extension, EntryOf entryOf,
                std::string ProfileSettings::*field);

private:
    void Form_Load() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;
    void cmdOK_Click() override;

    int listId_;
    std::wstring folder_;
    std::wstring_view extension_;
    EntryOf entryOf_;
    std::string ProfileSettings::*field_;
    ProfileSettings* settings_ = nullptr;
};

}  // namespace vocalinka
