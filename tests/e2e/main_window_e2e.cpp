// The running program, observed from outside its process.
#include <gtest/gtest.h>
#include <windows.h>

#include "program_under_test.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

constexpr char kDefaultProfile[] =
    "\"Character=Merlin\r\nLanguage=English\r\nSpeed=127\r\nPitch=127\"\r\n";

class MainWindowE2E : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program_.Start()) << "the main window did not appear"; }
    HWND Command1() const {
        return FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
    }
    HWND PopupMenu() const { return program_.FindWindowOfClass(L"#32768"); }
    ProgramUnderTest program_;
};

TEST_F(MainWindowE2E, IsATopMostToolWindowWithoutTaskbarButton) {
    HWND main = program_.MainWindow();
    wchar_t caption[64] = {};
    GetWindowTextW(main, caption, 64);
    EXPECT_STREQ(caption, L"Vocalinka");

    const LONG style = GetWindowLongW(main, GWL_STYLE);
    const LONG exStyle = GetWindowLongW(main, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(GetMenu(main), nullptr);

    // Owned by the program's hidden application window, which the target search skips.
    HWND owner = GetWindow(main, GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    wchar_t title[64] = {};
    GetWindowTextW(owner, title, 64);
    EXPECT_STREQ(title, L"Vocalinka 'Parlemot'");
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
    GetWindowRect(Command1(), &button);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.left, 0);
    EXPECT_EQ(button.top, -1);
    EXPECT_EQ(button.right, 46);
    EXPECT_EQ(button.bottom, 43);
    EXPECT_EQ(ChildWindowFromPoint(main, POINT{23, 21}), Command1());
}

TEST_F(MainWindowE2E, RightPressOpensThePopupMenuAndLeftPressDoesNot) {
    PressMouse(CentreOf(Command1()), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_FALSE(PumpUntil([&] { return PopupMenu() != nullptr; }, 500ms));

    PressMouse(CentreOf(Command1()), MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    EXPECT_FALSE(PumpUntil([&] { return PopupMenu() != nullptr; }, 500ms));

    PressMouse(CentreOf(Command1()), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([&] { return PopupMenu() != nullptr; }));
    // The menu opens at the mouse pointer, moved to the left as far as the screen's edge asks.
    RECT menu{};
    GetWindowRect(PopupMenu(), &menu);
    const POINT pointer = CentreOf(Command1());
    EXPECT_TRUE(menu.left <= pointer.x && pointer.x <= menu.right)
        << menu.left << ".." << menu.right << " for " << pointer.x;
    EXPECT_LE(std::abs(menu.top - pointer.y), 1);

    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return PopupMenu() == nullptr; }));
}

TEST_F(MainWindowE2E, ClosingWritesNoProfile) {
    ASSERT_TRUE(program_.Close());
    EXPECT_FALSE(program_.ReadProfile().has_value());
}

TEST(MainWindowE2EProfile, ClosingLeavesAnExistingProfileAsItWas) {
    ProgramUnderTest program;
    const std::string handWritten = "Character=Merlin\nSpeed=150\n";
    program.WriteProfile(handWritten);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.Close());
    EXPECT_EQ(program.ReadProfile(), handWritten);
}

}  // namespace
}  // namespace e2e
