// "Speech Configuration": two sliders for the talking speed and the voice pitch.
#pragma once

#include <windows.h>

#include "settings/ok_cancel_dialog.h"
#include "settings/profile.h"

namespace vocalinka {

class frmCFG : public OkCancelDialog {
public:
    explicit frmCFG(HINSTANCE instance);

    // Modal, owned by `owner`. OK stores the two numbers the labels show in Speed and Pitch;
    // Cancel and the close box leave them. The caller saves the profile in every case.
    void Run(HWND owner, ProfileSettings& settings);
    // While it runs: where the speed slider stands, and moving it as the person would (the
    // label follows; OK stores it).
    int SliderSpeed() const;
    void MoveSpeedSlider(int speed);

private:
    void Form_Load() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void sldSpeed_Scroll();
    void sldPitch_Scroll();
    void cmdOK_Click() override;

    ProfileSettings* settings_ = nullptr;
};

}  // namespace vocalinka
