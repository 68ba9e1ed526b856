// The speech configuration dialog, run modally on this thread and driven from a timer.
#include "settings/frm_cfg.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "settings/slider_values.h"

namespace vocalinka {
namespace {

using test::RunScripted;
using test::Step;
using test::Text;

Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

class SpeechConfiguration : public testing::Test {
protected:
    // Opens the dialog on `settings`; the steps find it open. False when a step did not run.
    bool Run(ProfileSettings& settings, std::vector<Step> steps) {
        steps.insert(steps.begin(),
                     [this] { return (dialog_ = form_.Handle()) && IsWindowVisible(dialog_); });
        return RunScripted([&] { form_.Run(owner_.Handle(), settings); }, std::move(steps));
    }
    // Opens the dialog, runs `body` in it, then presses a button.
    bool RunThenClose(ProfileSettings& settings, int button, std::function<void()> body) {
        return Run(settings,
                   {Do(std::move(body)), Do([this, button] { test::PostClick(dialog_, button); })});
    }
    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    int Position(int sliderId) const {
        return static_cast<int>(SendMessageW(Item(sliderId), TBM_GETPOS, 0, 0));
    }
    void Key(int sliderId, WORD key) const { SendMessageW(Item(sliderId), WM_KEYDOWN, key, 1); }
    // Waits for the range message, checks it and dismisses it.
    std::vector<Step> ExpectRangeMessage() {
        return {test::WaitForWindow(L"Configuration Error", box_), Do([this] {
                    const test::MessageBoxContent content = test::ReadMessageBox(box_);
                    EXPECT_EQ(content.text,
                              L"Talking speed out of range.\r\nPlease select a number from 50 - "
                              L"250.");
                    EXPECT_TRUE(content.hasIcon);
                    EXPECT_EQ(content.buttons, std::vector<int>{IDOK});
                    EXPECT_EQ(GetWindow(box_, GW_OWNER), dialog_);
                    test::PostClick(box_, IDOK);
                }),
                [] { return test::FindThreadWindow(L"Configuration Error") == nullptr; }};
    }

    test::OwnerWindow owner_;
    frmCFG form_{GetModuleHandleW(nullptr)};
    HWND dialog_ = nullptr;
    HWND box_ = nullptr;
};

std::string Where(int id, const RECT& r) {
    return std::to_string(id) + ": " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom);
}

// The scale-end labels are sized to their text: at their designed place, at least their
// designed size, and wide enough for their text in whatever font the system gives.
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

TEST_F(SpeechConfiguration, PlacesEveryControlAtItsDesignedPixelsAt96Dpi) {
    const struct {
        int id;
        RECT rect;
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
            if (e.sizedToText) {
                EXPECT_EQ(r.left, e.rect.left) << Where(e.id, r);
                EXPECT_EQ(r.top, e.rect.top) << Where(e.id, r);
                EXPECT_GE(r.right, e.rect.right) << Where(e.id, r);
                EXPECT_GE(r.bottom, e.rect.bottom) << Where(e.id, r);
                EXPECT_TRUE(FitsItsText(Item(e.id))) << Where(e.id, r);
            } else {
                EXPECT_TRUE(EqualRect(&r, &e.rect)) << Where(e.id, r);
            }
        }
    };
    ProfileSettings settings;
    EXPECT_TRUE(RunThenClose(settings, IDCANCEL, [&] {
        ASSERT_EQ(GetDpiForWindow(dialog_), 96u);
        RECT client{};
        GetClientRect(dialog_, &client);
        EXPECT_EQ(client.right, 312);   // 4680 twips
        EXPECT_EQ(client.bottom, 213);  // 3195 twips
        checkAll();
        // Resizing leaves every control where it is.
        SetWindowPos(dialog_, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
        checkAll();
    }));
}

TEST_F(SpeechConfiguration, IsASizableCentredOwnedWindowWithIconTaskbarButtonAndCaption) {
    ProfileSettings settings;
    EXPECT_TRUE(RunThenClose(settings, IDCANCEL, [this] {
        EXPECT_EQ(Text(dialog_), L"Speech Configuration");
        const LONG style = GetWindowLongW(dialog_, GWL_STYLE);
        for (const LONG bit :
             {WS_CAPTION, WS_SYSMENU, WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX}) {
            EXPECT_EQ(style & bit, bit) << std::hex << bit;
        }
        EXPECT_TRUE(GetWindowLongW(dialog_, GWL_EXSTYLE) & WS_EX_APPWINDOW);
        EXPECT_EQ(GetWindow(dialog_, GW_OWNER), owner_.Handle());
        EXPECT_NE(SendMessageW(dialog_, WM_GETICON, ICON_BIG, 0), 0);
        EXPECT_NE(SendMessageW(dialog_, WM_GETICON, ICON_SMALL, 0), 0);

        MONITORINFO monitor{sizeof(monitor)};
        GetMonitorInfoW(MonitorFromWindow(owner_.Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
        RECT window{};
        GetWindowRect(dialog_, &window);
        const RECT& work = monitor.rcWork;
        EXPECT_NEAR(window.left + window.right, work.left + work.right, 1);
        EXPECT_NEAR(window.top + window.bottom, work.top + work.bottom, 1);
    }));
}

TEST_F(SpeechConfiguration, OpensWithFocusOnOkAndTabsThroughButtonsThenSliders) {
    ProfileSettings settings;
    std::vector<Step> steps{Do([this] {
        EXPECT_EQ(GetFocus(), Item(IDOK));
        EXPECT_EQ(LOWORD(SendMessageW(dialog_, DM_GETDEFID, 0, 0)), IDOK);
    })};
    for (const int next : {IDCANCEL, IDC_SLDSPEED, IDC_SLDPITCH, IDOK}) {
        steps.push_back(Do([] { test::PostKey(GetFocus(), VK_TAB); }));
        steps.push_back([this, next] { return GetFocus() == Item(next); });
    }
    steps.push_back(Do([this] { test::PostClick(dialog_, IDCANCEL); }));
    EXPECT_TRUE(Run(settings, std::move(steps)));
}

TEST_F(SpeechConfiguration, SlidersHaveTheirRangesTicksAndSteps) {
    const struct {
        int id, minimum, maximum, ticks;
    } sliders[] = {
        // Ticks every 10 from 50 to 250; every 17 from 50 to 390, and the last at 400.
        {IDC_SLDSPEED, 50, 250, 21},
        {IDC_SLDPITCH, 50, 400, 22},
    };
    ProfileSettings settings;
    EXPECT_TRUE(RunThenClose(settings, IDCANCEL, [&] {
        for (const auto& s : sliders) {
            HWND slider = Item(s.id);
            EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMIN, 0, 0), s.minimum);
            EXPECT_EQ(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0), s.maximum);
            EXPECT_EQ(SendMessageW(slider, TBM_GETNUMTICS, 0, 0), s.ticks);
            EXPECT_EQ(SendMessageW(slider, TBM_GETLINESIZE, 0, 0), 1);
            EXPECT_EQ(SendMessageW(slider, TBM_GETPAGESIZE, 0, 0), 5);
        }
    }));
}

// Mended: a stored text that was no whole number in range could stop the dialog from opening.
TEST_F(SpeechConfiguration, OpensOnAnyStoredTextWithSlidersAtTheNearestValidValue) {
    const struct {
        const char* speed;
        const char* pitch;
        int speedPosition, pitchPosition;
        const wchar_t* speedLabel;
        const wchar_t* pitchLabel;
    } cases[] = {
        {"127", "127", 127, 127, L"127", L"127"},
        {"200", "380", 200, 380, L"200", L"380"},
        {"300", "999", 250, 400, L"300", L"400"},
        {"abc", "xyz", 127, 127, L"abc", L"127"},
        {"", "", 127, 127, L"", L"127"},
        {" 90", "90x", 90, 90, L"90", L"90"},
        {"-5", "-5", 50, 50, L"-5", L"50"},
        {"99999999999", "99999999999", 250, 400, L"99999999999", L"400"},
    };
    for (const auto& c : cases) {
        ProfileSettings settings;
        settings.Speed = c.speed;
        settings.Pitch = c.pitch;
        EXPECT_TRUE(RunThenClose(settings, IDCANCEL,
                                 [&] {
                                     EXPECT_EQ(Position(IDC_SLDSPEED), c.speedPosition);
                                     EXPECT_EQ(Position(IDC_SLDPITCH), c.pitchPosition);
                                     EXPECT_EQ(Text(Item(IDC_TXTSPEED)), c.speedLabel);
                                     EXPECT_EQ(Text(Item(IDC_LBLPITCH)), c.pitchLabel);
                                 }))
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
        {VK_NEXT, 133, 133},  {VK_PRIOR, 128, 128}, {VK_END, 250, 400},
        {VK_HOME, 50, 50},    {VK_UP, 50, 50},      {VK_DOWN, 51, 51},
    };
    ProfileSettings settings;
    std::vector<Step> steps;
    for (const auto& m : moves) {
        steps.push_back(Do([this, m] {
            Key(IDC_SLDSPEED, m.key);
            Key(IDC_SLDPITCH, m.key);
            EXPECT_EQ(Position(IDC_SLDSPEED), m.speed) << m.key;
            EXPECT_EQ(Position(IDC_SLDPITCH), m.pitch) << m.key;
            EXPECT_EQ(Text(Item(IDC_TXTSPEED)), std::to_wstring(m.speed)) << m.key;
            EXPECT_EQ(Text(Item(IDC_LBLPITCH)), std::to_wstring(m.pitch)) << m.key;
        }));
    }
    steps.push_back(Do([this] { Key(IDC_SLDPITCH, VK_END); }));
    steps.push_back(Do([this] { test::PostClick(dialog_, IDOK); }));
    EXPECT_TRUE(Run(settings, std::move(steps)));
    // OK stores what the labels show.
    EXPECT_EQ(settings.Speed, "51");
    EXPECT_EQ(settings.Pitch, "400");
}

TEST_F(SpeechConfiguration, LabelsFollowTheMouseOnTheChannelAndWhileTheThumbIsDragged) {
    const auto press = [this](int sliderId, POINT at) {
        SendMessageW(Item(sliderId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    };
    const auto release = [this](int sliderId, POINT at) {
        SendMessageW(Item(sliderId), WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    };
    ProfileSettings settings;
    EXPECT_TRUE(RunThenClose(settings, IDOK, [&] {
        for (const int id : {IDC_SLDSPEED, IDC_SLDPITCH}) {
            HWND slider = Item(id);
            HWND label = Item(id == IDC_SLDSPEED ? IDC_TXTSPEED : IDC_LBLPITCH);
            RECT channel{}, thumb{};
            SendMessageW(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
            SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            const int y = (thumb.top + thumb.bottom) / 2;
            // A click on the channel right of the thumb: a large step up.
            const POINT right{channel.right - 2, y};
            press(id, right);
            release(id, right);
            EXPECT_EQ(Position(id), 132) << id;
            EXPECT_EQ(Text(label), L"132") << id;

            // The thumb dragged to the left end: the label follows before the button is
            // released.
            SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
            press(id, POINT{(thumb.left + thumb.right) / 2, y});
            const POINT beyondLeftEnd{channel.left - 20, y};
            SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON,
                         MAKELPARAM(beyondLeftEnd.x, beyondLeftEnd.y));
            EXPECT_EQ(Position(id), 50) << id;
            EXPECT_EQ(Text(label), L"50") << id;
            release(id, beyondLeftEnd);
            EXPECT_EQ(Text(label), L"50") << id;
        }
    }));
    EXPECT_EQ(settings.Speed, "50");
    EXPECT_EQ(settings.Pitch, "50");
}

TEST_F(SpeechConfiguration, KeysThroughTheDialogMoveTheFocusedSliderAndEnterIsOk) {
    ProfileSettings settings;
    EXPECT_TRUE(Run(settings, {Do([this] { SetFocus(Item(IDC_SLDSPEED)); }),
                               Do([this] { test::PostKey(Item(IDC_SLDSPEED), VK_RIGHT); }),
                               [this] { return Text(Item(IDC_TXTSPEED)) == L"128"; },
                               Do([this] { SetFocus(Item(IDC_SLDPITCH)); }),
                               Do([this] { test::PostKey(Item(IDC_SLDPITCH), VK_LEFT); }),
                               [this] { return Text(Item(IDC_LBLPITCH)) == L"126"; },
                               Do([this] { test::PostKey(Item(IDC_SLDPITCH), VK_RETURN); })}));
    EXPECT_EQ(settings, (ProfileSettings{"Merlin", "English", "128", "126"}));
}

TEST_F(SpeechConfiguration, CancelEscapeAndTheCloseBoxLeaveTheSettings) {
    const ProfileSettings stored{"Genie", "French", "200", "300"};
    const std::vector<std::function<void(HWND)>> closers = {
        [](HWND dialog) { test::PostClick(dialog, IDCANCEL); },
        [](HWND dialog) { test::PostKey(GetDlgItem(dialog, IDC_SLDSPEED), VK_ESCAPE); },
        [](HWND dialog) { PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (std::size_t i = 0; i < closers.size(); ++i) {
        ProfileSettings settings = stored;
        EXPECT_TRUE(Run(settings, {Do([this] {
                                       Key(IDC_SLDSPEED, VK_END);
                                       Key(IDC_SLDPITCH, VK_HOME);
                                       SetFocus(Item(IDC_SLDSPEED));
                                   }),
                                   Do([&] { closers[i](dialog_); })}))
            << i;
        EXPECT_EQ(settings, stored) << i;
    }
}

TEST_F(SpeechConfiguration, OkWithoutMovingStoresTheSettingsUnchanged) {
    ProfileSettings settings{"Genie", "French", "200", "300"};
    EXPECT_TRUE(RunThenClose(settings, IDOK, [] {}));
    EXPECT_EQ(settings, (ProfileSettings{"Genie", "French", "200", "300"}));
}

TEST_F(SpeechConfiguration, OkStoresAPlainNumberForAStoredTextThatIsNone) {
    ProfileSettings settings{"Merlin", "English", " 90", "127.6"};
    EXPECT_TRUE(RunThenClose(settings, IDOK, [] {}));
    EXPECT_EQ(settings.Speed, "90");
    EXPECT_EQ(settings.Pitch, "128");
}

TEST_F(SpeechConfiguration, SpeedOutOfRangeShowsTheMessageUntilTheSliderIsMoved) {
    const struct {
        const char* stored;
        WORD key;  // a move the slider can make from where the stored text puts it
        const char* storedAfterMove;
    } cases[] = {{"300", VK_LEFT, "249"}, {"abc", VK_LEFT, "126"}, {"49", VK_RIGHT, "51"}};
    for (const auto& c : cases) {
        ProfileSettings settings{"Merlin", "English", c.stored, "150"};
        std::vector<Step> steps{Do([this] { test::PostClick(dialog_, IDOK); })};
        for (Step& step : ExpectRangeMessage()) steps.push_back(std::move(step));
        steps.push_back(Do([&] {
            // The label shows the stored text again, the slider stays, the dialog stays open.
            EXPECT_EQ(Text(Item(IDC_TXTSPEED)), Utf8ToWide(c.stored));
            EXPECT_EQ(Position(IDC_SLDSPEED), SliderValueFor(c.stored, kSpeedRange));
            EXPECT_EQ(form_.Handle(), dialog_);
            test::PostClick(dialog_, IDOK);
        }));
        for (Step& step : ExpectRangeMessage()) steps.push_back(std::move(step));
        steps.push_back(Do([&] {
            Key(IDC_SLDSPEED, c.key);
            test::PostClick(dialog_, IDOK);
        }));
        EXPECT_TRUE(Run(settings, std::move(steps))) << c.stored;
        EXPECT_EQ(settings.Speed, c.storedAfterMove) << c.stored;
        EXPECT_EQ(settings.Pitch, "150") << c.stored;
    }
}

TEST_F(SpeechConfiguration, LaysItselfOutAgainWhenItsDpiChanges) {
    // At 144 DPI a pixel is 10 twips; halves round up.
    const struct {
        int id;
        RECT rect;
    } expected[] = {
        {IDOK, {336, 12, 458, 62}},
        {IDC_SLDSPEED, {39, 54, 279, 77}},
        {IDC_LBLPITCH, {246, 111, 284, 140}},
    };
    ProfileSettings settings;
    EXPECT_TRUE(RunThenClose(settings, IDCANCEL, [&] {
        RECT before{};
        GetWindowRect(dialog_, &before);
        RECT suggested{40, 30, 40 + 600, 30 + 400};
        SendMessageW(dialog_, WM_DPICHANGED, MAKEWPARAM(144, 144),
                     reinterpret_cast<LPARAM>(&suggested));
        for (const auto& e : expected) {
            const RECT r = test::RectInParent(Item(e.id));
            EXPECT_TRUE(EqualRect(&r, &e.rect)) << Where(e.id, r);
        }
        RECT after{};
        GetWindowRect(dialog_, &after);
        EXPECT_EQ(after.left, 40);
        EXPECT_EQ(after.top, 30);
        EXPECT_GT(after.right - after.left, before.right - before.left);

        // The controls' text grows with the DPI.
        LOGFONTW dialogFont{}, controlFont{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog_, WM_GETFONT, 0, 0)),
                   sizeof(dialogFont), &dialogFont);
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Item(IDOK), WM_GETFONT, 0, 0)),
                   sizeof(controlFont), &controlFont);
        EXPECT_EQ(controlFont.lfHeight, MulDiv(dialogFont.lfHeight, 3, 2));
    }));
}

}  // namespace
}  // namespace vocalinka
