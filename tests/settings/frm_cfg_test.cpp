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

namespace vocalinka {
namespace {

using test::Do;
using test::PostClick;
using test::PostKey;
using test::Step;
using test::Text;

class SpeechConfiguration : public testing::Test {
protected:
    // Opens the dialog on `settings`; the steps find it open. False when a step did not run.
    bool Run(ProfileSettings& settings, std::vector<Step> steps) {
        steps.insert(steps.begin(),
                     [this] { return (dialog_ = form_.Handle()) && IsWindowVisible(dialog_); });
        return test::RunScripted([&] { form_.Run(owner_.get(), settings); }, std::move(steps));
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    int Position(int sliderId) const {
        return static_cast<int>(SendMessageW(Item(sliderId), TBM_GETPOS, 0, 0));
    }
    void Key(int sliderId, WORD key) const { SendMessageW(Item(sliderId), WM_KEYDOWN, key, 1); }
    // Both sliders stand at `speed` and `pitch` and their labels show these texts.
    void ExpectSliders(int speed, int pitch, const std::wstring& speedLabel,
                       const std::wstring& pitchLabel) const {
        EXPECT_EQ(Position(IDC_SLDSPEED), speed);
        EXPECT_EQ(Position(IDC_SLDPITCH), pitch);
        EXPECT_EQ(Text(Item(IDC_TXTSPEED)), speedLabel);
        EXPECT_EQ(Text(Item(IDC_LBLPITCH)), pitchLabel);
    }

    UniqueWindow owner_ = test::MakeOwnerWindow();
    frmCFG form_{GetModuleHandleW(nullptr)};
    HWND dialog_ = nullptr;
};

// The scale-end labels are sized to their text: wide and high enough for it in whatever font
// the system gives.
bool FitsItsText(HWND label) {
    const std::wstring text = Text(label);
    HDC dc = GetDC(label);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(label, dc);
    RECT client{};
    GetClientRect(label, &client);
    return client.right >= size.cx && client.bottom >= size.cy;
}

TEST_F(SpeechConfiguration, IsACentredWindowWithItsControlsAtTheDesignedPixelsForItsDpi) {
    const struct {
        int id;
        RECT rect;  // at 96 DPI; those sized to their text are at least this large
        bool sizedToText;
    } expected[] = {
        {IDOK, {224, 8, 305, 41}, false},           {IDCANCEL, {225, 52, 306, 85}, false},
        {IDC_LBLRANGE, {7, 9, 212, 24}, false},     {IDC_TXTSPEED, {165, 6, 190, 25}, false},
        {IDC_LBL50, {8, 35, 20, 48}, true},         {IDC_SLDSPEED, {26, 36, 186, 51}, false},
        {IDC_LBL250, {189, 35, 207, 48}, true},     {IDC_LABEL3, {5, 77, 153, 92}, false},
        {IDC_LBLPITCH, {164, 74, 189, 93}, false},  {IDC_LBLFIFTY, {8, 105, 20, 118}, true},
        {IDC_SLDPITCH, {27, 106, 187, 121}, false}, {IDC_LABEL1, {189, 103, 207, 116}, true},
    };
    const auto checkAll = [&] {
        for (const auto& e : expected) {
            const RECT r = test::RectInParent(Item(e.id));
            bool placed = EqualRect(&r, &e.rect) != FALSE;
            if (e.sizedToText) {
                placed = r.left == e.rect.left && r.top == e.rect.top && r.right >= e.rect.right &&
                         r.bottom >= e.rect.bottom && FitsItsText(Item(e.id));
            }
            EXPECT_TRUE(placed) << e.id << ": " << r.left << "," << r.top << "," << r.right << ","
                                << r.bottom;
        }
    };
    const auto atDesignedDpi = [&] {
        test::ExpectDialogFrame(dialog_, owner_.get(), L"Speech Configuration");
        ASSERT_EQ(GetDpiForWindow(dialog_), 96u);
        MONITORINFO monitor{sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(owner_.get(), MONITOR_DEFAULTTONEAREST), &monitor);
        RECT window{}, client{};
        GetWindowRect(dialog_, &window);
        EXPECT_NEAR(window.left + window.right, monitor.rcWork.left + monitor.rcWork.right, 1);
        EXPECT_NEAR(window.top + window.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
        GetClientRect(dialog_, &client);
        EXPECT_EQ(client.right, 312);   // 4680 twips
        EXPECT_EQ(client.bottom, 213);  // 3195 twips
        checkAll();
        // Resizing leaves every control where it is.
        SetWindowPos(dialog_, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
        checkAll();
    };
    // At 144 DPI a pixel is 10 twips, halves round up; the window goes where the system
    // suggests and the controls' text grows.
    const auto atNewDpi = [&] {
        RECT suggested{40, 30, 640, 430};
        SendMessageW(dialog_, WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
        const RECT ok = test::RectInParent(Item(IDOK)), designedOk{336, 12, 458, 62};
        EXPECT_TRUE(EqualRect(&ok, &designedOk))
            << ok.left << "," << ok.top << "," << ok.right << "," << ok.bottom;
        RECT window{};
        GetWindowRect(dialog_, &window);
        EXPECT_EQ(window.left, 40);
        EXPECT_EQ(window.top, 30);
        LOGFONTW dialogFont{}, controlFont{};
        const auto font = [](HWND of) {
            return reinterpret_cast<HFONT>(SendMessageW(of, WM_GETFONT, 0, 0));
        };
        GetObjectW(font(dialog_), sizeof(dialogFont), &dialogFont);
        GetObjectW(font(Item(IDOK)), sizeof(controlFont), &controlFont);
        EXPECT_EQ(controlFont.lfHeight, MulDiv(dialogFont.lfHeight, 3, 2));
        PostClick(dialog_, IDCANCEL);
    };
    ProfileSettings settings;
    EXPECT_TRUE(Run(settings, {Do(atDesignedDpi), Do(atNewDpi)}));
}

// Mended: a stored text that was no whole number in range could stop the dialog from opening.
// Whatever it opens on, OK stores what the labels show; Cancel, Escape and the close box store
// nothing, even after the sliders moved.
TEST_F(SpeechConfiguration, OpensOnAnyStoredTextAndOnlyOkStoresWhatTheLabelsShow) {
    enum Exit { kOk, kCancel, kEscape, kCloseBox };
    const struct {
        const char *speed, *pitch;
        int speedAt, pitchAt;
        const wchar_t *speedLabel, *pitchLabel;
        Exit exit;
        const char *storedSpeed, *storedPitch;
    } cases[] = {
        {"200", "380", 200, 380, L"200", L"380", kOk, "200", "380"},
        {" 90", "127.6", 90, 128, L"90", L"128", kOk, "90", "128"},
        {"300", "999", 250, 400, L"300", L"400", kCancel, "300", "999"},
        {"abc", "xyz", 127, 127, L"abc", L"127", kEscape, "abc", "xyz"},
        {"", "-5", 127, 50, L"", L"50", kCloseBox, "", "-5"},
        {"99999999999", "", 250, 127, L"99999999999", L"127", kCancel, "99999999999", ""},
    };
    for (const auto& c : cases) {
        const auto checkAndLeave = [&] {
            ExpectSliders(c.speedAt, c.pitchAt, c.speedLabel, c.pitchLabel);
            if (c.exit != kOk) {
                Key(IDC_SLDSPEED, VK_END);
                Key(IDC_SLDPITCH, VK_HOME);
                SetFocus(Item(IDC_SLDSPEED));
            }
            if (c.exit == kOk) PostClick(dialog_, IDOK);
            if (c.exit == kCancel) PostClick(dialog_, IDCANCEL);
            if (c.exit == kEscape) PostKey(Item(IDC_SLDSPEED), VK_ESCAPE);
            if (c.exit == kCloseBox) PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
        };
        ProfileSettings settings{"Genie", "French", c.speed, c.pitch};
        EXPECT_TRUE(Run(settings, {Do(checkAndLeave)})) << c.speed << " / " << c.pitch;
        EXPECT_EQ(settings, (ProfileSettings{"Genie", "French", c.storedSpeed, c.storedPitch}))
            << c.speed << " / " << c.pitch;
    }
}

// Mended: the pitch label followed only a mouse click, so the keyboard stored a value the
// user never saw. Both labels now follow every move.
TEST_F(SpeechConfiguration, LabelsFollowEveryKeyboardMoveOfTheirSlider) {
    const struct {
        WORD key;
        int speed, pitch;
    } moves[] = {
        {VK_RIGHT, 128, 128}, {VK_RIGHT, 129, 129}, {VK_LEFT, 128, 128},
        {VK_NEXT, 133, 133},  {VK_PRIOR, 128, 128}, {VK_HOME, 50, 50},
        {VK_UP, 50, 50},      {VK_DOWN, 51, 51},    {VK_END, 250, 400},
    };
    ProfileSettings settings;
    // Ticks every 10 from 50 to 250; every 17 from 50 to 390, and the last at 400.
    std::vector<Step> steps{Do([this] {
        EXPECT_EQ(SendMessageW(Item(IDC_SLDSPEED), TBM_GETNUMTICS, 0, 0), 21);
        EXPECT_EQ(SendMessageW(Item(IDC_SLDPITCH), TBM_GETNUMTICS, 0, 0), 22);
    })};
    for (const auto& m : moves) {
        steps.push_back(Do([this, m] {
            Key(IDC_SLDSPEED, m.key);
            Key(IDC_SLDPITCH, m.key);
            ExpectSliders(m.speed, m.pitch, std::to_wstring(m.speed), std::to_wstring(m.pitch));
        }));
    }
    steps.push_back(Do([this] { Key(IDC_SLDSPEED, VK_LEFT); }));
    steps.push_back(Do([this] { PostClick(dialog_, IDOK); }));
    EXPECT_TRUE(Run(settings, std::move(steps)));
    EXPECT_EQ(settings.Speed, "249");
    EXPECT_EQ(settings.Pitch, "400");
}

TEST_F(SpeechConfiguration, LabelsFollowTheThumbWhileItIsDragged) {
    const auto mouse = [this](int sliderId, UINT message, POINT at) {
        SendMessageW(Item(sliderId), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(at.x, at.y));
    };
    const auto dragToTheLeftEnd = [&] {
        for (const int id : {IDC_SLDSPEED, IDC_SLDPITCH}) {
            HWND label = Item(id == IDC_SLDSPEED ? IDC_TXTSPEED : IDC_LBLPITCH);
            RECT channel{}, thumb{};
            SendMessageW(Item(id), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            SendMessageW(Item(id), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            // The label follows before the button is released.
            const int y = (thumb.top + thumb.bottom) / 2;
            mouse(id, WM_LBUTTONDOWN, {(thumb.left + thumb.right) / 2, y});
            mouse(id, WM_MOUSEMOVE, {channel.left - 20, y});
            EXPECT_EQ(Text(label), L"50") << id;
            mouse(id, WM_LBUTTONUP, {channel.left - 20, y});
        }
        PostClick(dialog_, IDOK);
    };
    ProfileSettings settings;
    EXPECT_TRUE(Run(settings, {Do(dragToTheLeftEnd)}));
    EXPECT_EQ(settings.Speed, "50");
    EXPECT_EQ(settings.Pitch, "50");
}

TEST_F(SpeechConfiguration, SpeedOutOfRangeShowsTheMessageUntilTheSliderIsMoved) {
    ProfileSettings settings{"Merlin", "English", "abc", "150"};
    HWND box = nullptr;
    const std::vector<Step> rangeMessage = {
        test::WaitForWindow(L"Configuration Error", box), Do([&] {
            EXPECT_EQ(test::MessageBoxText(box),
                      L"Talking speed out of range.\r\nPlease select a number from 50 - 250.");
            EXPECT_EQ(GetWindow(box, GW_OWNER), dialog_);
            PostClick(box, IDOK);
        }),
        [] { return test::FindThreadWindow(L"Configuration Error") == nullptr; }};
    std::vector<Step> steps{Do([this] { PostClick(dialog_, IDOK); })};
    steps.insert(steps.end(), rangeMessage.begin(), rangeMessage.end());
    steps.push_back(Do([&] {
        // The label shows the stored text again, the slider stays, the dialog stays open.
        ExpectSliders(127, 150, L"abc", L"150");
        PostClick(dialog_, IDOK);
    }));
    steps.insert(steps.end(), rangeMessage.begin(), rangeMessage.end());
    steps.push_back(Do([&] {
        Key(IDC_SLDSPEED, VK_LEFT);
        PostClick(dialog_, IDOK);
    }));
    EXPECT_TRUE(Run(settings, std::move(steps)));
    EXPECT_EQ(settings, (ProfileSettings{"Merlin", "English", "126", "150"}));
}

}  // namespace
}  // namespace vocalinka
