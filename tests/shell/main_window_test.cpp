// The main window, created in-process: what can only be seen from inside (menu items, picture
// identity, settings) is checked here; the end-to-end tests observe the running program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "resources/resource.h"
#include "settings/profile_file_win.h"
#include "shell/app_window.h"
#include "shell/frm_text_to_sound.h"
#include "test_support/test_files.h"

namespace vocalinka {

namespace {

// The program's two windows, as its start makes them.
class MainWindow : public testing::Test {
protected:
    void SetUp() override { form_.Create(application_.Handle()); }
    AppWindow application_{GetModuleHandleW(nullptr)};
    frmTextToSound form_{GetModuleHandleW(nullptr)};
};

TEST_F(MainWindow, PopupMenuHoldsTheFiveItemsInOrder) {
    HMENU menu = form_.mnuFile();
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
}

// The button draws itself, and answers for its picture as a picture button does: whoever asks
// from outside sees the handle it was last given.
TEST_F(MainWindow, ShowsImage2sBusyPictureWhileGreetingAndHandsBackThePreviousPicture) {
    const LRESULT idle = SendMessageW(form_.Image1(), STM_GETIMAGE, IMAGE_BITMAP, 0);
    const LRESULT busy = SendMessageW(form_.Image2(), STM_GETIMAGE, IMAGE_BITMAP, 0);
    EXPECT_NE(idle, 0);
    EXPECT_NE(busy, 0);
    EXPECT_NE(idle, busy);
    EXPECT_EQ(SendMessageW(form_.Command1(), BM_GETIMAGE, IMAGE_BITMAP, 0), busy);
    EXPECT_TRUE(form_.IsReading());
    for (HWND hidden : {form_.TextBox(), form_.Image1(), form_.Image2()}) {
        EXPECT_FALSE(IsWindowVisible(hidden));
    }
    EXPECT_TRUE(IsWindowVisible(form_.Command1()));
    EXPECT_EQ(GetFocus(), form_.Command1());

    EXPECT_EQ(SendMessageW(form_.Command1(), BM_SETIMAGE, IMAGE_BITMAP, idle), busy);
    EXPECT_EQ(SendMessageW(form_.Command1(), BM_GETIMAGE, IMAGE_BITMAP, 0), idle);
    EXPECT_FALSE(form_.IsReading());
    EXPECT_EQ(SendMessageW(form_.Command1(), BM_SETIMAGE, IMAGE_BITMAP, busy), idle);
    EXPECT_TRUE(form_.IsReading());
}

TEST(MainWindowProfile, LoadsTheProfileBesideTheProgram) {
    vocalinka::test::SetFileBytes(ProfilePath(), "\"Character=Robby\r\nSpeed=200\"\r\n");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    AppWindow application(instance);
    frmTextToSound form(instance);
    form.Create(application.Handle());
    EXPECT_EQ(form.Settings(), (ProfileSettings{"Robby", "English", "200", "127"}));
    DeleteFileW(ProfilePath().c_str());
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
