#include <string>

#include "agent_fixture.h"
#include "win32util/handles.h"

namespace agent::win::testing {
namespace {

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Drags the window by its own mouse messages so that its top left corner lands on the point.
void DragTo(HWND window, POINT topLeft) {
    const RECT rect = RectOf(window);
    const LPARAM to = MAKELPARAM(10 + topLeft.x - rect.left, 10 + topLeft.y - rect.top);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageW(window, WM_LBUTTONUP, 0, to);
}

// The anchor is the window of the program the user reads in: the windows never take the
// keyboard from it, and stay on screen and where the user put them, across a hide and show.
TEST_F(AgentFixture, WindowsFloatBelowTheAnchorWithoutTakingTheKeyboardAndStayWhereDragged) {
    const win32util::UniqueWindow reader(
        CreateWindowExW(0, L"STATIC", L"Reader", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 700, 30, 200, 60,
                        nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(reader.get());
    const bool readerInFront =
        PumpUntil([&] { return GetForegroundWindow() == reader.get(); }, 3000);
    control = agent::testing::CreateControl(events, reader.get(), options);
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"A sentence long enough to need a few lines of room, wide and tall.");
    ASSERT_TRUE(PumpUntilVisible(BalloonWindow()));
    EXPECT_EQ(RectOf(CharacterWindow()).top, RectOf(reader.get()).bottom + 8);
    constexpr DWORD kFloating = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    for (const HWND window : {CharacterWindow(), BalloonWindow()})
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & kFloating, kFloating);
    MONITORINFO monitor{sizeof(monitor)};
    GetMonitorInfoW(MonitorFromWindow(CharacterWindow(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;
    // Partly beyond two corners of the work area, then inside it.
    for (const POINT to :
         {POINT{work.left - 20, work.top - 30}, {work.right - 40, work.bottom - 50}, {300, 250}}) {
        DragTo(CharacterWindow(), to);
        ASSERT_EQ(RectOf(CharacterWindow()).left, to.x);
        const RECT balloon = RectOf(BalloonWindow());
        EXPECT_TRUE(balloon.left >= work.left && balloon.top >= work.top &&
                    balloon.right <= work.right && balloon.bottom <= work.bottom)
            << to.x << "," << to.y;
    }
    character.Hide();
    character.Show();
    ASSERT_TRUE(PumpUntilEvents(2));
    ASSERT_TRUE(PumpUntilVisible(CharacterWindow()));
    EXPECT_EQ(RectOf(CharacterWindow()).left, 300);
    EXPECT_EQ(RectOf(CharacterWindow()).top, 250);
    if (!readerInFront) GTEST_SKIP() << "this desktop gives no window the foreground";
    EXPECT_EQ(GetForegroundWindow(), reader.get());
    EXPECT_EQ(GetFocus(), reader.get());
}

// Even with the character hidden: the page only turns forward, and the last one ends the text.
TEST_F(AgentFixture, LongTextTurnsItsPagesToTheEnd) {
    options.speedUp = 100000;
    control = agent::testing::CreateControl(events, nullptr, options);
    std::wstring text;
    for (int i = 1; i <= 1500; ++i) text += L"word" + std::to_wstring(i) + L" ";
    LoadTest().Speak(text += L"end.");
    const auto ask = [balloon = BalloonWindow()](UINT message) {
        return SendMessageW(balloon, message, 0, 0);
    };
    LRESULT pageBegin = 0, pageEnd = 0;
    int pageTurns = 0;
    const auto follow = [&] {
        if (const LRESULT begin = ask(agent::testing::kBalloonGetPageBegin); begin != 0) {
            EXPECT_GE(begin, pageBegin);
            pageTurns += begin != pageBegin;
            pageBegin = begin;
            pageEnd = ask(agent::testing::kBalloonGetPageEnd);
        }
        return !events.log.empty();
    };
    ASSERT_TRUE(PumpUntil(follow, 120000));
    EXPECT_GT(pageTurns, 20);
    EXPECT_EQ(static_cast<std::size_t>(pageEnd), text.size() + 1);
    EXPECT_EQ(events.log, (Log{L"BalloonHide Test"}));
}

}  // namespace
}  // namespace agent::win::testing
