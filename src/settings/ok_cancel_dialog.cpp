#include "settings/ok_cancel_dialog.h"

namespace vocalinka {

bool OkCancelDialog::OkOrCancelCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case IDOK:
            cmdOK_Click();
            return true;
        case IDCANCEL:  // also Escape and the close box
            cmdCancel_Click();
            return true;
    }
    return false;
}

}  // namespace vocalinka
