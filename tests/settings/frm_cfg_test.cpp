// The speech configuration dialog, run modally on this thread and driven from a timer.
#include "settings/frm_cfg.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "settings/slider_values.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::Utf8ToWide;
using win32util::WindowText;
namespace {

using test::Do;
using test::PostClick;

class SpeechConfiguration : public testing::Test, public test::DialogUnderTest<frmCFG> {
protected:
    using DialogUnderTest::Run;  // not testing::Test's
    void Key(int sliderId, WORD key) const { SendMessageW(Item(sliderId), WM_KEYDOWN, key, 1); }
    // Both sliders stand at `speed` and `pitch` and their labels show these texts.
    void ExpectSliders(int speed, int pitch, const std::wstring& speedLabel,
                       const std::wstring& pitchLabel) const {
        EXPECT_EQ(SendMessageW(Item(IDC_SLDSPEED), TBM_GETPOS, 0, 0), speed);
        EXPECT_EQ(SendMessageW(Item(IDC_SLDPITCH), TBM_GETPOS, 0, 0), pitch);
        EXPECT_EQ(WindowText(Item(IDC_TXTSPEED)), speedLabel);
        EXPECT_EQ(WindowText(Item(IDC_LBLPITCH)), pitchLabel);
    }
};

// Centred on the owner's screen. A new DPI moves the window where the system suggests, places
// the controls from their designed twips (at 144 DPI a pixel is 10 twips, halves round up) and
// grows their text.
TEST_F(SpeechConfiguration, IsACentredWindowWithItsControlsPlacedForItsDpi) {
    const auto atDesignedDpi = [&] {
        test::ExpectDialogFrame(Dialog(), Owner(), L"Speech Configuration");
        ASSERT_EQ(GetDpiForWindow(Dialog()), 96u);
        MONITORINFO monitor{sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(Owner(), MONITOR_DEFAULTTONEAREST), &monitor);
        RECT window{};
        GetWindowRect(Dialog(), &window);
        EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 1);
        EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
    };
    const auto atNewDpi = [&] {
        RECT suggested{40, 30, 640, 430}, window{}, ok{}, designedOk{336, 12, 458, 62};
        SendMessageW(Dialog(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
        GetWindowRect(Dialog(), &window);
        EXPECT_EQ(window.left, 40);
        EXPECT_EQ(window.top, 30);
        GetWindowRect(Item(IDOK), &ok);
        MapWindowPoints(HWND_DESKTOP, Dialog(), reinterpret_cast<POINT*>(&ok), 2);
        EXPECT_TRUE(EqualRect(&ok, &designedOk))
            << ok.left << "," << ok.top << "," << ok.right << "," << ok.bottom;
        LOGFONTW dialogFont{}, controlFont{};
        const auto font = [](HWND of) {
            return reinterpret_cast<HFONT>(SendMessageW(of, WM_GETFONT, 0, 0));
        };
        GetObjectW(font(Dialog()), sizeof(dialogFont), &dialogFont);
        GetObjectW(font(Item(IDOK)), sizeof(controlFont), &controlFont);
        EXPECT_EQ(controlFont.lfHeight, MulDiv(dialogFont.lfHeight, 3, 2));
        PostClick(Dialog(), IDCANCEL);
    };
    ProfileSettings settings;
    EXPECT_TRUE(Run(settings, {Do(atDesignedDpi), Do(atNewDpi)}));
}

// Mended: a stored text that was no whole number in range could stop the dialog from opening.
// It opens on any text, and Cancel, Escape and the close box store nothing, even after the
// sliders moved.
TEST_F(SpeechConfiguration, OpensOnAnyStoredTextAndCancelEscapeAndTheCloseBoxStoreNothing) {
    enum Exit { kCancel, kEscape, kCloseBox };
    const struct {
        const char *speed, *pitch;
        Exit exit;
    } cases[] = {{"300", "999", kCancel},
                 {"abc", "xyz", kEscape},
                 {"", "-5", kCloseBox},
                 {"99999999999", "127.6", kCancel}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.speed) + " / " + c.pitch);
        const auto checkAndLeave = [&] {
            ExpectSliders(SliderValueFor(c.speed, kSpeedRange),
                          SliderValueFor(c.pitch, kPitchRange), Utf8ToWide(SpeedLabelFor(c.speed)),
                          Utf8ToWide(PitchLabelFor(c.pitch)));
            Key(IDC_SLDSPEED, VK_END);
            Key(IDC_SLDPITCH, VK_HOME);
            SetFocus(Item(IDC_SLDSPEED));
            if (c.exit == kCancel) PostClick(Dialog(), IDCANCEL);
            if (c.exit == kEscape) test::PostKey(Item(IDC_SLDSPEED), VK_ESCAPE);
            if (c.exit == kCloseBox) PostMessageW(Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0);
        };
        ProfileSettings settings{"Merlin", "English", c.speed, c.pitch};
        EXPECT_TRUE(Run(settings, {Do(checkAndLeave)}));
        EXPECT_EQ(settings.Speed, c.speed);
        EXPECT_EQ(settings.Pitch, c.pitch);
    }
}

// Mended: the pitch label followed only a mouse click, so the keyboard stored a value the
// user never saw. Both labels now follow every move, and OK stores what they show.
TEST_F(SpeechConfiguration, LabelsFollowEveryKeyboardMoveOfTheirSlider) {
    const struct {
        WORD key;
        int speed, pitch;
    } moves[] = {{VK_RIGHT, 128, 128}, {VK_NEXT, 133, 133}, {VK_PRIOR, 128, 128},
                 {VK_HOME, 50, 50},    {VK_UP, 50, 50},     {VK_DOWN, 51, 51},
                 {VK_END, 250, 400},   {VK_LEFT, 249, 399}};
    std::vector<test::Step> steps;
    for (const auto& m : moves) {
        steps.push_back(Do([this, m] {
            Key(IDC_SLDSPEED, m.key);
            Key(IDC_SLDPITCH, m.key);
            ExpectSliders(m.speed, m.pitch, std::to_wstring(m.speed), std::to_wstring(m.pitch));
        }));
    }
    steps.push_back(Do([this] { PostClick(Dialog(), IDOK); }));
    ProfileSettings settings;
    EXPECT_TRUE(Run(settings, std::move(steps)));
    EXPECT_EQ(settings.Speed, "249");
    EXPECT_EQ(settings.Pitch, "399");
}

}  // namespace
}  // namespace vocalinka
