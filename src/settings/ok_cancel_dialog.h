// A settings dialog closed by OK or Cancel: Cancel, Escape and the close box leave the settings
// as they were; what OK keeps is the dialog's own.
#pragma once

#include <windows.h>

#include "ui/dialog_window.h"

namespace vocalinka {

class OkCancelDialog : public DesignedDialog {
protected:
    using DesignedDialog::DesignedDialog;

    // Sends a WM_COMMAND of OK or Cancel to its handler; false for any other command.
    bool OkOrCancelCommand(WPARAM wParam);

    virtual void cmdOK_Click() = 0;
    void cmdCancel_Click() { Close(); }
};

}  // namespace vocalinka
