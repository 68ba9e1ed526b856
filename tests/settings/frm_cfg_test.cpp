// The speech configuration dialog and the character chooser, run modally on this thread and
// driven from a timer. The language chooser is the same list on another folder.
#include "settings/frm_cfg.h"

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "dialog_test_support.h"
#include "resources/dialogs_resource.h"
#include "settings/frm_character.h"
#include "settings/slider_values.h"
#include "win32util/handles.h"
#include "win32util/text.h"
#include "win32util/window.h"

namespace vocalinka {

using win32util::UniqueFile;
using win32util::Utf8ToWide;
using win32util::WideToUtf8;
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

// Plain ".acs" files in any letter case, without their extension, in the file system's order;
// the first is selected, not the current setting. Only OK on an entry changes the setting:
// on an empty list it keeps naming what is installed rather than nothing.
TEST(CharacterChooser, ListsOnlyPlainAcsFilesInFileSystemOrderAndOnlyOkTakesOne) {
    const test::TemporaryFolder folder(L"choosers");
    for (const wchar_t* file :
         {L"Merlin.acs", L"Genie.acs", L"readme.txt", L"x.ACS", L".acs", L"Peedy.acs.bak"}) {
        folder.AddFile(file);
    }
    folder.AddFile(L"Old.acs", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
    folder.AddFile(L"Robby.acs", FILE_ATTRIBUTE_HIDDEN);
    folder.AddFile(L"Sys.acs", FILE_ATTRIBUTE_SYSTEM);
    folder.AddFolder(L"Folder.acs");
    const std::wstring empty = folder.AddFolder(L"empty");
    const std::set<std::wstring> listed = {L"Merlin", L"Genie", L"x", L"Old"};
    std::vector<std::wstring> expected;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::wstring name = entry.path().stem().wstring();
        if (listed.contains(name)) expected.push_back(name);
    }
    ASSERT_EQ(expected.size(), 4u);
    const std::string current = WideToUtf8(expected.back());

    const struct {
        std::wstring folder;
        void (*leave)(HWND dialog);
        std::string stored;
    } cases[] = {
        {folder.Path(), [](HWND d) { PostClick(d, IDOK); }, WideToUtf8(expected[0])},
        {folder.Path(), [](HWND d) { PostClick(d, IDCANCEL); }, current},
        {folder.Path(), [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, current},
        {empty, [](HWND d) { PostClick(d, IDOK); }, current},
        {empty + L"\\missing", [](HWND d) { PostClick(d, IDOK); }, current}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        test::DialogUnderTest<frmCharacter> chooser(cases[i].folder);
        const auto checkAndLeave = [&] {
            test::ExpectDialogFrame(chooser.Dialog(), chooser.Owner(), L"Select Character");
            HWND list = chooser.Item(IDC_LSTCHAR);
            std::vector<std::wstring> entries;
            for (LRESULT at = 0; at < SendMessageW(list, LB_GETCOUNT, 0, 0); ++at) {
                wchar_t text[MAX_PATH] = {};
                SendMessageW(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text));
                entries.emplace_back(text);
            }
            EXPECT_EQ(entries,
                      cases[i].folder == folder.Path() ? expected : std::vector<std::wstring>{});
            cases[i].leave(chooser.Dialog());
        };
        ProfileSettings settings;
        settings.Character = current;
        EXPECT_TRUE(chooser.Run(settings, {Do(checkAndLeave)})) << i;
        EXPECT_EQ(settings.Character, cases[i].stored) << i;
    }
}

// Files named for a device ("con.acs", "Nul .acs") are not offered: Windows would open the
// device in place of the file. Such files can only be made with the "\\?\" prefix.
TEST(CharacterChooser, OffersNoNameWindowsKeepsForADevice) {
    const test::TemporaryFolder folder(L"devices");
    folder.AddFile(L"Merlin.acs");
    const auto devicePath = [&](const wchar_t* name) {
        return L"\\\\?\\" + folder.Path() + L"\\" + name;
    };
    const wchar_t* devices[] = {L"con.acs", L"Nul .acs", L"COM1.acs", L"lpt9.x.acs"};
    for (const wchar_t* device : devices) {
        const UniqueFile file(CreateFileW(devicePath(device).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    // The folder's own clean-up cannot remove them.
    const auto removeDevices = [&] {
        for (const wchar_t* device : devices) DeleteFileW(devicePath(device).c_str());
    };
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        (void)entry;
        ++files;
    }
    if (files == 1) GTEST_SKIP() << "this file system makes no files named for devices";

    test::DialogUnderTest<frmCharacter> chooser(folder.Path());
    std::vector<std::wstring> entries;
    const auto readAndLeave = [&] {
        HWND list = chooser.Item(IDC_LSTCHAR);
        for (LRESULT at = 0; at < SendMessageW(list, LB_GETCOUNT, 0, 0); ++at) {
            wchar_t text[MAX_PATH] = {};
            SendMessageW(list, LB_GETTEXT, at, reinterpret_cast<LPARAM>(text));
            entries.emplace_back(text);
        }
        PostClick(chooser.Dialog(), IDCANCEL);
    };
    ProfileSettings settings;
    EXPECT_TRUE(chooser.Run(settings, {Do(readAndLeave)}));
    removeDevices();
    EXPECT_EQ(entries, std::vector<std::wstring>{L"Merlin"}) << files << " files";
}

}  // namespace
}  // namespace vocalinka
