// Runs a real Control on the test's thread: a small character written by the format library
// into a temporary folder, the paced engine, a clock twenty times faster, and a bounded pump.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "agent/agent.h"
#include "agent/agent_testing.h"
#include "agent/format/character_file.h"
#include "agent/window_ids.h"
#include "test_support/temporary_folder.h"
#include "test_support/test_files.h"
#include "win32util/handles.h"
#include "win32util/text.h"

namespace agent::win::testing {
namespace {

using vocalinka::test::SetFileBytes;
using Log = std::vector<std::wstring>;

// Opaque frames, every animation a character needs and five mouth overlays.
std::string TestCharacterFile() {
    format::CharacterData c{.name = "Test", .width = 64, .height = 80, .balloonAnchor = {32, 20}};
    c.frames.assign(7, {std::vector<std::uint8_t>(64 * 80 * 4, 255)});
    for (auto& mouth : c.mouths) mouth = {24, 50, 16, 4, std::vector<std::uint8_t>(256, 255)};
    c.animations = {{"Show", false, {{0, 100}, {1, 100}}},
                    {"Idle", true, {{2, 3000}, {3, 100}}},
                    {"Hide", false, {{4, 100}, {5, 100}}},
                    {"Speak", true, {{6, 250}}}};
    const std::vector<std::uint8_t> file = format::WriteCharacterFile(c);
    return {file.begin(), file.end()};
}

class RecordingEvents final : public Events {
public:
    void BalloonHide(const std::wstring& id) override { log.push_back(L"BalloonHide " + id); }
    void Hide(const std::wstring& id, HideCause cause) override {
        log.push_back(L"Hide " + id + L" " + std::to_wstring(static_cast<int>(cause)));
    }
    Log log;
};

class AgentFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetFileBytes(characterPath, TestCharacterFile());
        control = agent::testing::CreateControl(events, nullptr, options);
    }
    void TearDown() override {
        control.reset();
        PumpFor(20);
    }

    // False when the bound passes first. A busy component keeps the queue full: check after
    // each message (which the shared pump, emptying the queue first, would not).
    static bool PumpUntil(const std::function<bool()>& done, int boundMs = 15000) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(boundMs);
        for (MSG message; !done();) {
            if (GetTickCount64() > deadline) return false;
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            }
        }
        return true;
    }
    static void PumpFor(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    bool PumpUntilEvents(std::size_t count) {
        return PumpUntil([&] { return events.log.size() >= count; });
    }
    static bool PumpUntilVisible(HWND window) {
        return PumpUntil([=] { return IsWindowVisible(window) != FALSE; });
    }

    Character& LoadTest(const std::wstring& id = L"Test") {
        control->Characters().Load(id, characterPath);
        return control->Characters().Item(id);
    }
    // The character window, titled with the id, and the balloon window it owns; null if none.
    static HWND CharacterWindow(const std::wstring& id = L"Test") {
        return FindWindowExW(nullptr, nullptr, agent::win::kCharacterWindowClass, id.c_str());
    }
    static HWND BalloonWindow() {
        HWND balloon = nullptr;
        do {
            balloon = FindWindowExW(nullptr, balloon, agent::win::kBalloonWindowClass, nullptr);
        } while (balloon && GetWindow(balloon, GW_OWNER) != CharacterWindow());
        return balloon;
    }

    // The trace file's lines so far.
    std::vector<std::string> TraceLines() const {
        std::ifstream file(std::filesystem::path(*options.traceFile), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }
    // The indexes of the words shown so far, from the trace's "note Word" lines.
    std::vector<int> WordsShown() const {
        std::vector<int> words;
        for (const std::string& line : TraceLines()) {
            if (line.starts_with("note Word Test ")) words.push_back(std::stoi(line.substr(15)));
        }
        return words;
    }

    const vocalinka::test::TemporaryFolder temporary{L"agent-win"};
    const std::wstring folder = temporary.Path();
    const std::wstring characterPath = folder + L"\\Test.acs";
    RecordingEvents events;
    // Silent, twenty times faster, and no language components: the built-in English texts.
    agent::testing::ControlOptions options{.silent = true,
                                           .speedUp = 20,
                                           .intlFolder = folder + L"\\Intl",
                                           .traceFile = folder + L"\\trace.txt"};
    std::unique_ptr<Control> control;
};

constexpr wchar_t kLongText[] =
    L"One two three four five six seven eight nine ten eleven twelve thirteen fourteen "
    L"fifteen sixteen seventeen eighteen nineteen twenty.";

// The message of the Error that the call throws.
std::wstring ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.Message();
    }
    ADD_FAILURE() << "no error";
    return {};
}

TEST_F(AgentFixture, LoadErrorsNameTheFileAndSayWhy) {
    std::string damaged = TestCharacterFile();  // the format tests have the rest
    damaged[damaged.size() / 2] ^= 0x5A;
    SetFileBytes(folder + L"\\Damaged.acs", damaged);
    const std::pair<std::wstring, std::wstring> cases[] = {
        {folder + L"\\Missing.acs", L"the file does not exist"},
        {folder + L"\\Nowhere\\Bad.acs", L"the file does not exist"},
        {folder, L"is a folder"},
        {folder + L"\\Damaged.acs", L"not a valid character file"}};
    for (const auto& [path, reason] : cases) {
        const std::wstring error = ErrorOf([&] { control->Characters().Load(L"Bad", path); });
        EXPECT_EQ(error.rfind(L"Cannot load character \"" + path + L"\": ", 0), 0u) << error;
        EXPECT_NE(error.find(reason), std::wstring::npos) << error;
        EXPECT_THROW(control->Characters().Item(L"Bad"), Error);
    }
}

TEST_F(AgentFixture, CollectionFindsIdsIgnoringCaseAndUnloadClosesEverything) {
    Character& character = LoadTest(L"Test");
    EXPECT_NO_THROW(control->Characters().Item(L"TEST"));
    EXPECT_THROW(control->Characters().Load(L"test", characterPath), Error);
    EXPECT_THROW(control->Characters().Unload(L"Other"), Error);
    character.Show();
    character.Speak(kLongText);
    ASSERT_TRUE(PumpUntilVisible(BalloonWindow()));
    control->Characters().Unload(L"Test");
    EXPECT_THROW(control->Characters().Item(L"Test"), Error);
    EXPECT_EQ(CharacterWindow(), nullptr);
    PumpFor(200);  // nothing of the unloaded character may run now
    EXPECT_TRUE(events.log.empty());
    EXPECT_NO_THROW(LoadTest(L"Test"));  // the same id loads again after an unload
}

// Nothing happens inside the calls. One trace line per request, refused ones too, and event.
TEST_F(AgentFixture, RequestsRunInOrderThroughTheMessageLoopAndAreTraced) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"\\Spd=150\\Caf\u00E9 \"one\"\r\n");
    character.Hide();
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    ASSERT_TRUE(PumpUntilEvents(2));
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    character.Stop();
    EXPECT_THROW(character.SetLanguageID(1036), Error);

    std::string path = win32util::WideToUtf8(characterPath);
    for (auto at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 2)) {
        path.insert(at, 1, '\\');
    }
    const std::vector<std::string> expected{
        "request Load Test \"" + path + "\"",
        "request Show Test",
        "request Speak Test \"\\\\Spd=150\\\\Caf\xC3\xA9 \\\"one\\\"\\r\\n\"",
        "request Hide Test",
        "event BalloonHide Test",
        "event Hide Test 3",
        "request Stop Test",
        "request LanguageID Test 1036"};
    std::vector<std::string> lines = TraceLines();
    std::erase_if(lines, [](const std::string& line) { return line.starts_with("note Word"); });
    EXPECT_EQ(lines, expected);
}

// Paused, the balloon keeps its word marked and no word is shown or traced; resumed, the words
// go on from the next one, indexes without a gap. Stop while paused ends the
// held Speak and the one waiting behind it with one BalloonHide each, and ends the pause.
TEST_F(AgentFixture, PauseHoldsTheWordsResumeGoesOnAndStopEndsThePause) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(kLongText);
    character.Pause();  // before the Speak began: it waits for the resume
    EXPECT_TRUE(character.IsPaused());
    ASSERT_TRUE(PumpUntilVisible(CharacterWindow()));
    PumpFor(300);
    EXPECT_TRUE(WordsShown().empty());
    character.Resume();
    const HWND balloon = BalloonWindow();
    const auto marked = [&] { return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0); };
    ASSERT_TRUE(PumpUntil([&] { return WordsShown().size() >= 3; }));
    character.Pause();
    character.Pause();
    PumpFor(100);  // the word under way ends
    const std::vector<int> atPause = WordsShown();
    const LRESULT word = marked();
    EXPECT_NE(word, 0);
    PumpFor(500);
    EXPECT_EQ(WordsShown(), atPause);
    EXPECT_EQ(marked(), word);
    EXPECT_TRUE(IsWindowVisible(balloon));
    EXPECT_TRUE(events.log.empty());
    character.SetRate(1000);
    character.Resume();
    ASSERT_TRUE(PumpUntilEvents(1));
    EXPECT_FALSE(character.IsPaused());
    std::vector<int> all(20);
    std::iota(all.begin(), all.end(), 0);
    EXPECT_EQ(WordsShown(), all);

    character.Speak(kLongText);
    character.Speak(L"Waiting in line.");
    ASSERT_TRUE(PumpUntil([&] { return WordsShown().size() > 21; }));
    character.Pause();
    PumpFor(100);
    character.Stop();
    EXPECT_FALSE(character.IsPaused());
    EXPECT_FALSE(IsWindowVisible(balloon));
    ASSERT_TRUE(PumpUntilEvents(3));
    PumpFor(200);
    EXPECT_EQ(events.log, Log(3, L"BalloonHide Test"));
    const std::vector<std::string> lines = TraceLines();
    for (const char* request : {"request Pause Test", "request Resume Test",
                                "request Rate Test 250", "request Stop Test"}) {
        EXPECT_NE(std::find(lines.begin(), lines.end(), request), lines.end()) << request;
    }
}

// Stopped while speaking or still waiting, hidden by the user from the menu: every Speak ends
// in exactly one BalloonHide, and none is raised inside the call.
TEST_F(AgentFixture, EverySpeakEndsInOneBalloonHideWhateverEndsIt) {
    Character& character = LoadTest();
    character.Show();
    character.Speak(L"");
    character.Speak(L"\\Spd=200\\");
    character.Speak(kLongText);
    character.Speak(L"Waiting in line.");
    const HWND balloon = BalloonWindow();
    ASSERT_TRUE(
        PumpUntil([&] { return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0) > 1; }));
    ASSERT_EQ(events.log, Log(2, L"BalloonHide Test"));
    character.Stop();
    EXPECT_EQ(events.log.size(), 2u);
    EXPECT_FALSE(IsWindowVisible(balloon));  // a stopped balloon closes at once
    ASSERT_TRUE(PumpUntilEvents(4));
    EXPECT_TRUE(IsWindowVisible(CharacterWindow()));  // Stop does not hide the character

    character.Speak(kLongText);
    character.Speak(L"Never read.");
    ASSERT_TRUE(PumpUntilVisible(balloon));
    SendMessageW(CharacterWindow(), WM_COMMAND, agent::win::kHideCommand, 0);
    EXPECT_FALSE(IsWindowVisible(CharacterWindow()));
    EXPECT_FALSE(IsWindowVisible(balloon));
    ASSERT_TRUE(PumpUntilEvents(7));
    PumpFor(200);
    EXPECT_EQ(Log(events.log.begin() + 4, events.log.end()),
              (Log{L"BalloonHide Test", L"BalloonHide Test", L"Hide Test 7"}));
}

std::wstring MenuText(HWND characterWindow) {
    const win32util::UniqueMenu menu(reinterpret_cast<HMENU>(
        SendMessageW(characterWindow, agent::win::kCharacterGetMenu, 0, 0)));
    wchar_t text[64] = {};
    GetMenuStringW(menu.get(), agent::win::kHideCommand, text, 64, MF_BYCOMMAND);
    return text;
}

// English needs no component. Another language is read from its component when it is chosen;
// without one it is an error that names the file and keeps the language as it was.
TEST_F(AgentFixture, LanguagesComeFromTheirComponentsAndEnglishIsBuiltIn) {
    Character& character = LoadTest();
    EXPECT_NE(ErrorOf([&] { character.SetLanguageID(1036); }).find(L"AGT040C.DLL"),
              std::wstring::npos);
    EXPECT_EQ(character.LanguageID(), 1033);

    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::filesystem::create_directories(options.intlFolder);
    ASSERT_TRUE(CopyFileW(std::filesystem::path(program).replace_filename(L"AGT040C.DLL").c_str(),
                          (options.intlFolder + L"\\AGT040C.DLL").c_str(), FALSE));
    character.SetLanguageID(1036);
    EXPECT_EQ(character.LanguageID(), 1036);
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Masquer");
    character.SetLanguageID(1033);  // no English component here: the built-in texts
    EXPECT_EQ(MenuText(CharacterWindow()), L"&Hide");
}

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
    for (const HWND window : {CharacterWindow(), BalloonWindow()}) {
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & kFloating, kFloating);
    }
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
        if (const LRESULT begin = ask(agent::win::kBalloonGetPageBegin); begin != 0) {
            EXPECT_GE(begin, pageBegin);
            pageTurns += begin != pageBegin;
            pageBegin = begin;
            pageEnd = ask(agent::win::kBalloonGetPageEnd);
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
