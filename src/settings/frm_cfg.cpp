#include "settings/frm_cfg.h"

#include <commctrl.h>

#include <string>

#include "resources/dialogs_resource.h"
#include "settings/slider_values.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::Utf8ToWide;
using win32util::WideToUtf8;
using win32util::WindowText;
namespace {

// The four scale-end labels are sized to their text.
constexpr bool kSizedToText = true;
constexpr DesignedControl kControls[] = {
    {IDOK, 3360, 120, 1215, 495},                       // cmdOK
    {IDCANCEL, 3375, 780, 1215, 495},                   // cmdCancel
    {IDC_LBLRANGE, 105, 135, 3075, 225},                // lblRange
    {IDC_TXTSPEED, 2475, 90, 375, 285},                 // txtSpeed
    {IDC_LBL50, 120, 525, 180, 195, kSizedToText},      // lbl50
    {IDC_SLDSPEED, 390, 540, 2400, 225},                // sldSpeed
    {IDC_LBL250, 2835, 525, 270, 195, kSizedToText},    // lbl250
    {IDC_LABEL3, 75, 1155, 2220, 225},                  // Label3
    {IDC_LBLPITCH, 2460, 1110, 375, 285},               // lblPitch
    {IDC_LBLFIFTY, 120, 1575, 180, 195, kSizedToText},  // lblFifty
    {IDC_SLDPITCH, 405, 1590, 2400, 225},               // sldPitch
    {IDC_LABEL1, 2835, 1545, 270, 195, kSizedToText},   // Label1
};
constexpr DialogDesign kDesign{4680, 3195, kControls};

constexpr int kSpeedTickSpacing = 10;
constexpr int kPitchTickSpacing = 17;
constexpr int kSmallStep = 1;
constexpr int kLargeStep = 5;

void SetUpSlider(HWND slider, SliderRange range, int tickSpacing, int position) {
    SendMessageW(slider, TBM_SETRANGEMIN, FALSE, range.minimum);
    SendMessageW(slider, TBM_SETRANGEMAX, FALSE, range.maximum);
    SendMessageW(slider, TBM_SETTICFREQ, tickSpacing, 0);
    SendMessageW(slider, TBM_SETLINESIZE, 0, kSmallStep);
    SendMessageW(slider, TBM_SETPAGESIZE, 0, kLargeStep);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
}

void ShowSliderValue(HWND slider, HWND label) {
    const auto value = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    SetWindowTextW(label, std::to_wstring(value).c_str());
}

}  // namespace

frmCFG::frmCFG(HINSTANCE instance) : OkCancelDialog(instance, IDD_CFG, kDesign) {}

void frmCFG::Run(HWND owner, ProfileSettings& settings) {
    // Start-up leaves the slider class to the one dialog that uses it.
    const INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    settings_ = &settings;
    RunModal(owner);
    settings_ = nullptr;
}

void frmCFG::Form_Load() {
    SetWindowTextW(Item(IDC_TXTSPEED), Utf8ToWide(SpeedLabelFor(settings_->Speed)).c_str());
    SetUpSlider(Item(IDC_SLDSPEED), kSpeedRange, kSpeedTickSpacing,
                SliderValueFor(settings_->Speed, kSpeedRange));
    SetWindowTextW(Item(IDC_LBLPITCH), Utf8ToWide(PitchLabelFor(settings_->Pitch)).c_str());
    SetUpSlider(Item(IDC_SLDPITCH), kPitchRange, kPitchTickSpacing,
                SliderValueFor(settings_->Pitch, kPitchRange));
}

bool frmCFG::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR&) {
    switch (message) {
        case WM_HSCROLL:
            // Every notification, whether from the mouse or the keyboard, moves the label with it.
            if (reinterpret_cast<HWND>(lParam) == Item(IDC_SLDSPEED)) sldSpeed_Scroll();
            if (reinterpret_cast<HWND>(lParam) == Item(IDC_SLDPITCH)) sldPitch_Scroll();
            return true;
        case WM_COMMAND:
            return OkOrCancelCommand(wParam);
    }
    return false;
}

int frmCFG::SliderSpeed() const {
    return static_cast<int>(SendMessageW(Item(IDC_SLDSPEED), TBM_GETPOS, 0, 0));
}

void frmCFG::MoveSpeedSlider(int speed) {
    SendMessageW(Item(IDC_SLDSPEED), TBM_SETPOS, TRUE, speed);
    sldSpeed_Scroll();
}

void frmCFG::sldSpeed_Scroll() {
    ShowSliderValue(Item(IDC_SLDSPEED), Item(IDC_TXTSPEED));
}

void frmCFG::sldPitch_Scroll() {
    ShowSliderValue(Item(IDC_SLDPITCH), Item(IDC_LBLPITCH));
}

void frmCFG::cmdOK_Click() {
    const std::string speed = WideToUtf8(WindowText(Item(IDC_TXTSPEED)));
    if (!SpeedAccepted(speed)) {
        const std::string text = std::string("Talking speed out of range.")
                                     .append(LineBreak)
                                     .append("Please select a number from 50 - 250.");
        MessageBoxW(Handle(), Utf8ToWide(text).c_str(), L"Configuration Error",
                    MB_ICONEXCLAMATION | MB_OK);
        // The slider stays where it is; OK keeps failing until it is moved.
        SetWindowTextW(Item(IDC_TXTSPEED), Utf8ToWide(SpeedLabelFor(settings_->Speed)).c_str());
        return;
    }
    settings_->Speed = speed;
    settings_->Pitch = WideToUtf8(WindowText(Item(IDC_LBLPITCH)));
    Close();
}

}  // namespace vocalinka
