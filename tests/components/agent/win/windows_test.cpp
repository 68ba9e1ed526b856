// The character and balloon windows on the desktop: styles, focus, placement, dragging and the
// balloon's pages.
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

RECT WorkAreaOf(HWND window) {
    MONITORINFO info{sizeof(info)};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Drags the character window with the left button as the user would, by its own messages, so
// that its top left corner lands on the point.
void DragTo(HWND window, POINT topLeft) {
    const RECT rect = RectOf(window);
    const LPARAM to = MAKELPARAM(10 + topLeft.x - rect.left, 10 + topLeft.y - rect.top);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, to);
    SendMessageW(window, WM_LBUTTONUP, 0, to);
}

// A window of the program the user reads in, in front.
win32util::UniqueWindow ReaderWindow() {
    win32util::UniqueWindow reader(CreateWindowExW(0, L"STATIC", L"Reader",
                                                   WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 400,
                                                   300, nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(reader.get());
    return reader;
}

// The character and its balloon float above the reader's window without ever taking the
// keyboard from it, and the balloon stays on screen wherever the user drags the character.
TEST_F(AgentFixture, WindowsFloatOnTopWithoutTakingTheKeyboardWhereverTheyAreDragged) {
    const auto reader = ReaderWindow();
    const bool readerInFront =
        PumpUntil([&] { return GetForegroundWindow() == reader.get(); }, 3000);
    Character& character = LoadTest();
    character.Show();
    character.Speak(
        L"This balloon holds a sentence long enough to need a few lines of room, "
        L"so that it is wide and tall wherever the character stands.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    for (const HWND window : {CharacterWindow(), BalloonWindow()}) {
        const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
        for (const DWORD wanted : {DWORD{WS_EX_LAYERED}, DWORD{WS_EX_TOPMOST},
                                   DWORD{WS_EX_TOOLWINDOW}, DWORD{WS_EX_NOACTIVATE}})
            EXPECT_EQ(exStyle & wanted, wanted) << std::hex << wanted;
        EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
        EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(window),
                               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
                  MA_NOACTIVATE);
    }
    const RECT work = WorkAreaOf(CharacterWindow());
    // Partly beyond each corner and each edge of the work area.
    const LONG left = work.left - 20, right = work.right - 40, middle = (work.left + right) / 2;
    const LONG top = work.top - 30, bottom = work.bottom - 50, centre = (work.top + bottom) / 2;
    for (const POINT to :
         {POINT{left, top}, POINT{middle, top}, POINT{right, top}, POINT{right, centre},
          POINT{right, bottom}, POINT{middle, bottom}, POINT{left, bottom}, POINT{left, centre}}) {
        DragTo(CharacterWindow(), to);
        ASSERT_EQ(RectOf(CharacterWindow()).left, to.x);
        const RECT balloon = RectOf(BalloonWindow());
        EXPECT_TRUE(balloon.left >= work.left && balloon.top >= work.top &&
                    balloon.right <= work.right && balloon.bottom <= work.bottom)
            << to.x << "," << to.y << ": " << balloon.left << "," << balloon.top << ","
            << balloon.right << "," << balloon.bottom;
        EXPECT_TRUE(IsWindowVisible(BalloonWindow()));
    }
    ASSERT_TRUE(PumpUntilEvents(1));
    character.Hide();
    ASSERT_TRUE(PumpUntilEvents(2));
    if (!readerInFront) GTEST_SKIP() << "this desktop gives no window the foreground";
    EXPECT_EQ(GetForegroundWindow(), reader.get());
    EXPECT_EQ(GetFocus(), reader.get());
}

// First at the right of the work area below the anchor, then where the user dragged it: across
// a hide and show, and for the next character loaded.
TEST_F(AgentFixture, AppearsBelowTheAnchorThenStaysWhereTheUserPutsIt) {
    const auto anchor = ReaderWindow();
    MoveWindow(anchor.get(), 700, 30, 200, 60, TRUE);
    control = agent::testing::CreateControl(events, anchor.get(), options);
    Character& character = LoadTest();
    character.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    EXPECT_EQ(RectOf(CharacterWindow()).right, WorkAreaOf(CharacterWindow()).right - 8);
    EXPECT_EQ(RectOf(CharacterWindow()).top, RectOf(anchor.get()).bottom + 8);

    DragTo(CharacterWindow(), {300, 250});
    character.Hide();
    character.Show();
    ASSERT_TRUE(PumpUntilEvents(1));
    EXPECT_EQ(events.log, (Log{L"Hide Test 3"}));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    EXPECT_EQ(RectOf(CharacterWindow()).left, 300);
    control->Characters().Unload(L"Test");
    LoadTest(L"Other").Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow(L"Other")) != FALSE; }));
    EXPECT_EQ(RectOf(CharacterWindow(L"Other")).left, 300);
    EXPECT_EQ(RectOf(CharacterWindow(L"Other")).top, 250);
}

// A long text reads to its end, even with the character hidden: the page turns forward as the
// words go, the marked word only moves forward, and the last page holds the end of the text.
TEST_F(AgentFixture, LongTextTurnsItsPagesToTheEnd) {
    options.speedUp = 100000;
    control = agent::testing::CreateControl(events, nullptr, options);
    std::wstring text;
    for (int i = 1; i <= 1500; ++i) text += L"word" + std::to_wstring(i) + L" ";
    text += L"end.";
    LoadTest().Speak(text);
    const auto ask = [balloon = BalloonWindow()](UINT message) {
        return SendMessageW(balloon, message, 0, 0);
    };
    LRESULT lastWord = 0, lastPage = 0, lastPageEnd = 0;
    int pageTurns = 0;
    bool backwards = false;
    const auto follow = [&] {
        if (const LRESULT word = ask(agent::testing::kBalloonGetWord); word != 0) {
            const LRESULT page = ask(agent::testing::kBalloonGetPageBegin);
            backwards |= word < lastWord || page < lastPage;
            pageTurns += page != lastPage;
            lastWord = word;
            lastPage = page;
            lastPageEnd = ask(agent::testing::kBalloonGetPageEnd);
        }
        return !events.log.empty();
    };
    ASSERT_TRUE(PumpUntil(follow, 120000));
    EXPECT_FALSE(backwards);
    EXPECT_GT(pageTurns, 20);
    EXPECT_EQ(static_cast<std::size_t>(lastPageEnd), text.size() + 1);
    EXPECT_EQ(events.log, (Log{L"BalloonHide Test"}));
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
}

}  // namespace
}  // namespace agent::win::testing
