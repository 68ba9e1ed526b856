// The running program's main window, observed from outside its process: its styles and place,
// a button that says what it does, and a menu that opens on the first press.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "reading_fixture.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

class MainWindowE2E : public ReadingE2E {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_NE(command1_, nullptr);
    }
    HWND PopupMenu() const { return program_.FindWindowOfClass(L"#32768"); }
    // One right press on the button opens the menu, and Escape closes it.
    void ExpectFirstRightPressOpensTheMenu() const {
        PressMouse(CentreOf(command1_), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
        EXPECT_TRUE(PumpUntil([&] { return PopupMenu() != nullptr; }, 3s))
            << "the first right press did not open the menu";
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(PumpUntil([&] { return PopupMenu() == nullptr; }, 3s));
    }
};

TEST_F(MainWindowE2E, IsATopMostToolWindowWithoutTaskbarButton) {
    HWND main = program_.MainWindow();
    EXPECT_EQ(TextOf(main), L"Vocalinka");

    const LONG checkedExStyles = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_APPWINDOW;
    EXPECT_EQ(GetWindowLongW(main, GWL_EXSTYLE) & checkedExStyles,
              WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    const LONG checkedStyles = WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(GetWindowLongW(main, GWL_STYLE) & checkedStyles, WS_CAPTION);
    EXPECT_EQ(GetMenu(main), nullptr);

    // Owned by the program's hidden, unowned application window, which the target search
    // skips.
    HWND owner = GetWindow(main, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_EQ(TextOf(owner), kApplicationTitle);
    EXPECT_EQ(GetWindow(owner, GW_OWNER), nullptr);
}

TEST_F(MainWindowE2E, StandsNearTheTopRightCornerWithItsDesignedClientSize) {
    HWND main = program_.MainWindow();
    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 46);   // 690 twips at 96 DPI
    EXPECT_EQ(client.bottom, 43);  // 645 twips

    RECT outer{};
    GetWindowRect(main, &outer);
    const int width = outer.right - outer.left;
    // 375 twips from the top; 100 twips (6.67 pixels) from the right edge of the screen.
    EXPECT_EQ(outer.top, 25);
    EXPECT_EQ(outer.left, GetSystemMetrics(SM_CXSCREEN) - width - 7);

    // Command1 covers the client area and reaches one pixel above it.
    RECT button{};
    GetWindowRect(command1_, &button);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(std::vector<LONG>({button.left, button.top, button.right, button.bottom}),
              std::vector<LONG>({0, -1, 46, 43}));
    EXPECT_EQ(ChildWindowFromPoint(main, POINT{23, 21}), command1_);
}

TEST_F(MainWindowE2E, RightPressOpensThePopupMenuAndLeftPressDoesNot) {
    const POINT pointer = CentreOf(command1_);
    PressMouse(pointer, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(PumpUntil([&] { return PopupMenu() != nullptr; }, 500ms));

    PressMouse(pointer, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    EXPECT_FALSE(PumpUntil([&] { return PopupMenu() != nullptr; }, 500ms));

    PressMouse(pointer, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([&] { return PopupMenu() != nullptr; }));
    // The menu opens at the mouse pointer, moved to the left as far as the screen's edge asks.
    RECT menu{};
    GetWindowRect(PopupMenu(), &menu);
    EXPECT_TRUE(menu.left <= pointer.x && pointer.x <= menu.right)
        << menu.left << ".." << menu.right << " for " << pointer.x;
    EXPECT_LE(std::abs(menu.top - pointer.y), 1);

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return PopupMenu() == nullptr; }));
}

// Another program in front: the press comes from outside the program's process and the front
// window's (a window of the test's own would not show the fault).
TEST_F(MainWindowE2E, MenuOpensOnTheFirstRightPressWhileAnotherWindowIsInFront) {
    const Notepad other;
    ASSERT_TRUE(other.Ready());
    // Clear of the program's window: under Wine, without a window manager, the window in front
    // is also stacked in front on the X screen, even over top-most windows.
    MoveWindow(other.Main(), 100, 300, 400, 300, TRUE);
    ASSERT_TRUE(other.Activate());

    ExpectFirstRightPressOpensTheMenu();
}

// The window in front is the program's own About box, which the main window owns.
TEST_F(MainWindowE2E, MenuOpensOnTheFirstRightPressWhileTheAboutBoxIsInFront) {
    HWND about = program_.OpenFromMenu('A', L"About Vocalinka 'Parlemot'");
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == about; }));

    ExpectFirstRightPressOpensTheMenu();
    EXPECT_TRUE(IsWindowVisible(about));
}

// A push button's accessible name is its window text, which screen readers read from outside
// (Wine's Active Accessibility does not reach into another process, so the text is read
// directly).
TEST_F(MainWindowE2E, ButtonNameSaysWhatAClickWillDo) {
    // The greeting is being spoken: a click would stop it. Then the balloon closes.
    EXPECT_EQ(TextOf(command1_), L"Stop reading");
    std::wstring name;
    EXPECT_TRUE(
        PumpUntil([&] { return (name = TextOf(command1_)) == L"Read selection aloud"; }, 60s))
        << "after the greeting the name is still " << name.size() << " characters long";
}

// Closing saves nothing: no profile is made, and one written by hand stays as it was.
TEST(MainWindowE2EProfile, ClosingSavesNothing) {
    for (const std::optional<std::string>& before :
         {std::optional<std::string>(),
          std::optional<std::string>("Character=Merlin\nSpeed=150\n")}) {
        ProgramUnderTest program;
        if (before) program.WriteProfile(*before);
        ASSERT_TRUE(program.Start());
        EXPECT_TRUE(program.Close());
        EXPECT_EQ(program.ReadProfile(), before);
    }
}

}  // namespace
}  // namespace e2e
