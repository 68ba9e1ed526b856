// The main window, created in-process: what can only be seen from inside (menu items, picture
// identity, settings) is checked here; the end-to-end tests observe the running program.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "shell/app_window.h"
#include "shell/frm_text_to_sound.h"
#include "ui/app_title.h"
#include "win32util/text.h"

namespace vocalinka {

using win32util::WideToUtf8;
namespace {

std::wstring Text(HWND window) {
    wchar_t buffer[256] = {};
    GetWindowTextW(window, buffer, 256);
    return buffer;
}

class MainWindow : public testing::Test {
protected:
    void TearDown() override { DeleteFileW(ProfilePath().c_str()); }
    HINSTANCE instance_ = GetModuleHandleW(nullptr);
};

TEST_F(MainWindow, PopupMenuHoldsTheFiveItemsInOrder) {
    AppWindow application(instance_);
    frmTextToSound form(instance_);
    form.Create(application.Handle());
    HMENU menu = form.mnuFile();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 5);
    const struct {
        UINT id;
        const wchar_t* caption;
    } items[] = {{IDM_CFG, L"S&peech Configuration..."},
                 {IDM_CHARACTER, L"&Change Character..."},
                 {IDM_LANGUAGE, L"&Select Language..."},
                 {0, nullptr},
                 {IDM_ABOUT, L"&About"}};
    for (int i = 0; i < 5; ++i) {
        MENUITEMINFOW info{sizeof(info), MIIM_FTYPE | MIIM_ID | MIIM_STRING};
        wchar_t caption[64] = {};
        info.dwTypeData = caption;
        info.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        if (!items[i].caption) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(info.wID, items[i].id);
        EXPECT_STREQ(caption, items[i].caption);
    }
    // The menu is never attached as a menu bar.
    EXPECT_EQ(GetMenu(form.Handle()), nullptr);
}

TEST_F(MainWindow, ShowsTheBusyPictureObjectOfImage2WhileGreetingAndHidesTheOtherControls) {
    AppWindow application(instance_);
    frmTextToSound form(instance_);
    form.Create(application.Handle());
    const auto picture = [](HWND image) {
        return SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0);
    };
    EXPECT_NE(picture(form.Image1()), 0);
    EXPECT_NE(picture(form.Image2()), 0);
    EXPECT_NE(picture(form.Image1()), picture(form.Image2()));
    EXPECT_EQ(SendMessageW(form.Command1(), BM_GETIMAGE, IMAGE_BITMAP, 0), picture(form.Image2()));
    EXPECT_TRUE(form.IsReading());
    for (HWND hidden : {form.TextBox(), form.Image1(), form.Image2()}) {
        EXPECT_FALSE(IsWindowVisible(hidden));
    }
    EXPECT_TRUE(IsWindowVisible(form.Command1()));
    EXPECT_EQ(GetFocus(), form.Command1());
}

// The button draws itself, and answers for its picture as a picture button does: whoever asks
// from outside sees the handle it was last given.
TEST_F(MainWindow, ButtonHandsBackThePreviousPictureAndAnswersWithTheNewOne) {
    AppWindow application(instance_);
    frmTextToSound form(instance_);
    form.Create(application.Handle());
    const LRESULT idle = SendMessageW(form.Image1(), STM_GETIMAGE, IMAGE_BITMAP, 0);
    const LRESULT busy = SendMessageW(form.Image2(), STM_GETIMAGE, IMAGE_BITMAP, 0);
    EXPECT_EQ(SendMessageW(form.Command1(), BM_SETIMAGE, IMAGE_BITMAP, idle), busy);
    EXPECT_EQ(SendMessageW(form.Command1(), BM_GETIMAGE, IMAGE_BITMAP, 0), idle);
    EXPECT_FALSE(form.IsReading());
    EXPECT_EQ(SendMessageW(form.Command1(), BM_SETIMAGE, IMAGE_BITMAP, busy), idle);
    EXPECT_TRUE(form.IsReading());
}

TEST_F(MainWindow, IsOwnedByTheHiddenUnownedWindowWithTheApplicationTitle) {
    AppWindow application(instance_);
    frmTextToSound form(instance_);
    form.Create(application.Handle());
    EXPECT_EQ(GetWindow(form.Handle(), GW_OWNER), application.Handle());
    EXPECT_EQ(Text(application.Handle()), kApplicationTitle);
    EXPECT_FALSE(IsWindowVisible(application.Handle()));
    EXPECT_EQ(GetWindow(application.Handle(), GW_OWNER), nullptr);
    EXPECT_EQ(Text(form.Handle()), L"Vocalinka");
}

TEST_F(MainWindow, LoadsTheProfileBesideTheProgram) {
    std::ofstream(WideToUtf8(ProfilePath()), std::ios::binary)
        << "\"Character=Robby\r\nSpeed=200\"\r\n";
    AppWindow application(instance_);
    frmTextToSound form(instance_);
    form.Create(application.Handle());
    EXPECT_EQ(form.Settings(), (ProfileSettings{"Robby", "English", "200", "127"}));
}

TEST(SetTopMostWindow, ReturnsSetWindowPosResultOnlyWhenMakingTopMost) {
    HWND window = CreateWindowExW(0, L"STATIC", L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    EXPECT_NE(SetTopMostWindow(window, true), 0);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(SetTopMostWindow(window, false), 0);
    EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(window);
    EXPECT_EQ(SetTopMostWindow(window, true), 0);  // a window that is gone
}

}  // namespace
}  // namespace vocalinka
