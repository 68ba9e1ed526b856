// The character and balloon windows on the desktop: styles, focus, placement, dragging and the
// balloon's pages.
#include <windowsx.h>

#include <string>

#include "agent_fixture.h"

namespace agent::win::testing {
namespace {

RECT RectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// Drags the character window with the left button as the user would, by its own messages.
void Drag(HWND window, int dx, int dy) {
    const LPARAM grip = MAKELPARAM(10, 10);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, grip);
    SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + dx, 10 + dy));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(10 + dx, 10 + dy));
}

void DragTo(HWND window, POINT topLeft) {
    const RECT rect = RectOf(window);
    Drag(window, topLeft.x - rect.left, topLeft.y - rect.top);
}

class ReaderWindow {
public:
    ReaderWindow() {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = L"AgentTestReader";
        RegisterClassExW(&windowClass);
        hwnd = CreateWindowExW(0, L"AgentTestReader", L"Reader", WS_OVERLAPPEDWINDOW, 100, 100, 400,
                               300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ShowWindow(hwnd, SW_SHOW);
        SetForegroundWindow(hwnd);
    }
    ~ReaderWindow() { DestroyWindow(hwnd); }
    ReaderWindow(const ReaderWindow&) = delete;
    ReaderWindow& operator=(const ReaderWindow&) = delete;
    HWND hwnd;
};

TEST_F(AgentFixture, WindowsAreTopMostLayeredAndNeverActivate) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"Look at me.");
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
}

TEST_F(AgentFixture, TheReadersWindowStaysInFront) {
    ReaderWindow reader;
    if (!PumpUntil([&] { return GetForegroundWindow() == reader.hwnd; }, 3000))
        GTEST_SKIP() << "this desktop gives no window the foreground";
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"I do not take the keyboard from you.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    Drag(CharacterWindow(), 30, 20);
    ASSERT_TRUE(PumpUntilEvents(1));
    character.Hide();
    ASSERT_TRUE(PumpUntilEvents(2));
    EXPECT_EQ(GetForegroundWindow(), reader.hwnd);
    EXPECT_EQ(GetFocus(), reader.hwnd);
}

TEST_F(AgentFixture, FirstAppearsAtTheRightOfTheWorkAreaBelowTheAnchor) {
    ReaderWindow anchor;
    MoveWindow(anchor.hwnd, 700, 30, 200, 60, TRUE);
    control = agent::testing::CreateControl(events, anchor.hwnd, options);
    LoadTest().Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    const RECT work = WorkAreaOf(CharacterWindow());
    const RECT rect = RectOf(CharacterWindow());
    EXPECT_EQ(rect.right, work.right - 8);
    EXPECT_EQ(rect.top, RectOf(anchor.hwnd).bottom + 8);
}

TEST_F(AgentFixture, StaysWhereTheUserPutItAcrossHideShowAndReload) {
    Character& character = LoadTest();
    character.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    DragTo(CharacterWindow(), {300, 250});
    EXPECT_EQ(RectOf(CharacterWindow()).left, 300);
    EXPECT_EQ(RectOf(CharacterWindow()).top, 250);
    character.Hide();
    character.Show();
    ASSERT_TRUE(PumpUntilEvents(1));
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow()) != FALSE; }));
    EXPECT_EQ(RectOf(CharacterWindow()).left, 300);
    control->Characters().Unload(L"Test");
    LoadTest(L"Other").Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(CharacterWindow(L"Other")) != FALSE; }));
    EXPECT_EQ(RectOf(CharacterWindow(L"Other")).left, 300);
    EXPECT_EQ(RectOf(CharacterWindow(L"Other")).top, 250);
}

struct Edge {
    const char* name;
    // Where to drag the character, relative to the work area: -1 beyond the left/top edge,
    // 0 the middle, 1 beyond the right/bottom edge.
    int horizontal;
    int vertical;
};

class BalloonEdgeTest : public AgentFixture, public ::testing::WithParamInterface<Edge> {};

TEST_P(BalloonEdgeTest, BalloonStaysOnScreenWhenTheCharacterIsDraggedToAnEdge) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(
        L"This balloon holds a sentence long enough to need a few lines of room, "
        L"so that it is wide and tall wherever the character stands.");
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(BalloonWindow()) != FALSE; }));
    const RECT work = WorkAreaOf(CharacterWindow());
    const RECT character_rect = RectOf(CharacterWindow());
    const int width = character_rect.right - character_rect.left;
    const int height = character_rect.bottom - character_rect.top;
    const auto place = [](int where, LONG low, LONG high, int size) {
        return where < 0 ? low - size / 3 : where > 0 ? high - 2 * size / 3 : (low + high) / 2;
    };
    DragTo(CharacterWindow(), {place(GetParam().horizontal, work.left, work.right, width),
                               place(GetParam().vertical, work.top, work.bottom, height)});
    const RECT balloon = RectOf(BalloonWindow());
    EXPECT_TRUE(Inside(work, balloon))
        << balloon.left << "," << balloon.top << "," << balloon.right << "," << balloon.bottom;
    EXPECT_TRUE(IsWindowVisible(BalloonWindow()));
}

INSTANTIATE_TEST_SUITE_P(Edges, BalloonEdgeTest,
                         ::testing::Values(Edge{"TopLeft", -1, -1}, Edge{"Top", 0, -1},
                                           Edge{"TopRight", 1, -1}, Edge{"Right", 1, 0},
                                           Edge{"BottomRight", 1, 1}, Edge{"Bottom", 0, 1},
                                           Edge{"BottomLeft", -1, 1}, Edge{"Left", -1, 0}),
                         [](const auto& tested) { return tested.param.name; });

// A long text reads to its end: the page turns forward as the words go, the marked word only
// moves forward, and the last page holds the end of the text.
TEST_F(AgentFixture, LongTextTurnsItsPagesToTheEnd) {
    options.speedUp = 100000;
    control = agent::testing::CreateControl(events, nullptr, options);
    std::wstring text;
    for (int i = 1; i <= 1500; ++i) text += L"word" + std::to_wstring(i) + L" ";
    text += L"end.";
    Character& character = LoadTest();
    character.Speak(text);
    const HWND balloon = BalloonWindow();
    LRESULT lastWord = 0;
    LRESULT lastPage = 0;
    int pageTurns = 0;
    bool backwards = false;
    LRESULT finalPageEnd = 0;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const LRESULT word = SendMessageW(balloon, agent::testing::kBalloonGetWord, 0, 0);
            const LRESULT page = SendMessageW(balloon, agent::testing::kBalloonGetPageBegin, 0, 0);
            if (word != 0) {
                backwards |= word < lastWord || page < lastPage;
                if (page != lastPage) ++pageTurns;
                lastWord = word;
                lastPage = page;
                finalPageEnd = SendMessageW(balloon, agent::testing::kBalloonGetPageEnd, 0, 0);
            }
            return !events.log.empty();
        },
        120000));
    EXPECT_FALSE(backwards);
    EXPECT_GT(pageTurns, 20);
    EXPECT_EQ(static_cast<std::size_t>(finalPageEnd), text.size() + 1);
    EXPECT_EQ(events.log, (std::vector<std::wstring>{L"BalloonHide Test"}));
}

}  // namespace
}  // namespace agent::win::testing
