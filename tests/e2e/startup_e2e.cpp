// Start-up as the person sees it: an error that stays to be read, a button that says what it
// does, and a menu that opens on the first press.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "program_under_test.h"
#include "trace_reader.h"

namespace e2e {

using namespace std::chrono_literals;
namespace {

constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";

// Sets a file or folder below the Windows folder aside for one test and always puts it back,
// also after a test that failed half-way or a run that was killed before (it is found set
// aside). A folder set aside leaves an empty one in its place.
class SetAside {
public:
    explicit SetAside(const std::wstring& belowWindows) {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        path_ = std::wstring(windows) + L"\\" + belowWindows;
        away_ = path_ + L".away";
        PutBack();
        const DWORD attributes = GetFileAttributesW(path_.c_str());
        folder_ = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        done_ = MoveFileW(path_.c_str(), away_.c_str()) &&
                (!folder_ || CreateDirectoryW(path_.c_str(), nullptr));
    }
    SetAside(const SetAside&) = delete;
    SetAside& operator=(const SetAside&) = delete;
    ~SetAside() { PutBack(); }
    bool Done() const { return done_; }

private:
    void PutBack() const {
        if (GetFileAttributesW(away_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
        RemoveDirectoryW(path_.c_str());  // only ever the empty stand-in
        MoveFileW(away_.c_str(), path_.c_str());
    }
    std::wstring path_;
    std::wstring away_;
    bool folder_ = false;
    bool done_ = false;
};

// A dialog of the program's, with the application title.
HWND MessageBoxOf(const ProgramUnderTest& program) {
    HWND box = program.FindWindowOfClass(L"#32770");
    return box && TextOf(box) == kApplicationTitle ? box : nullptr;
}

std::wstring MessageTextOf(HWND box) {
    std::wstring text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (_wcsicmp(name, L"Static") == 0) text += TextOf(child);
    }
    return text;
}

TEST(StartupE2E, NoCharacterToLoadGivesAMessageThatStaysUntilClosed) {
    const SetAside characters(L"Msagent\\Chars");
    ASSERT_TRUE(characters.Done()) << "the character folder could not be emptied";
    ProgramUnderTest program;
    ASSERT_TRUE(program.Launch());

    HWND box = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (box = MessageBoxOf(program)) != nullptr; }, 20s))
        << "no message appeared";
    EXPECT_NE(MessageTextOf(box).find(L"Msagent\\Chars"), std::wstring::npos)
        << "the message does not name the character folder: " << MessageTextOf(box).size();
    // It stays on the screen, and the program with it, until the person answers.
    EXPECT_FALSE(PumpUntil([&] { return !IsWindowVisible(box); }, 2s)) << "the message closed";
    EXPECT_FALSE(program.WaitForExit(0ms).has_value());

    ASSERT_NE(program.WaitForFocusedWindowWithCaption(kApplicationTitle), nullptr);
    PressKey(VK_RETURN);
    const auto exitCode = program.WaitForExit();
    ASSERT_TRUE(exitCode.has_value()) << "the program did not end after the message";
    EXPECT_NE(*exitCode, 0u);
}

class StartedProgramE2E : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.Start()) << "the main window did not appear";
        command1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
        ASSERT_NE(command1_, nullptr);
    }
    ProgramUnderTest program_;
    HWND command1_ = nullptr;
};

TEST(StartupE2E, MissingLanguageComponentLeavesTheVoiceAsItWas) {
    const SetAside french(L"Msagent\\Intl\\AGT040C.DLL");
    ASSERT_TRUE(french.Done());
    const Trace trace;
    ProgramUnderTest program;
    program.WriteProfile("\"Character=Merlin\r\nLanguage=French\r\nSpeed=127\r\nPitch=127\"\r\n");
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(PumpUntil([&] { return !trace.Find("request", "Speak").empty(); }, 20s));

    // The balloon cannot speak French, so the voice does not either.
    EXPECT_FALSE(trace.Find("request", "LanguageID").empty());
    for (const TraceEntry& mode : trace.Find("request", "TTSModeID")) {
        ASSERT_FALSE(mode.args.empty());
        EXPECT_NE(mode.args[0], L"{0879A4E1-A92C-11D1-B17B-0020AFED142E}");
    }
    EXPECT_TRUE(program.Close());
}

// A push button's accessible name is its window text, which screen readers read from outside
// (Wine's Active Accessibility does not reach into another process, so the text is read
// directly).
TEST_F(StartedProgramE2E, ButtonNameSaysWhatAClickWillDo) {
    // The greeting is being spoken: a click would stop it. Then the balloon closes.
    EXPECT_EQ(TextOf(command1_), L"Stop reading");
    std::wstring name;
    EXPECT_TRUE(
        PumpUntil([&] { return (name = TextOf(command1_)) == L"Read selection aloud"; }, 60s))
        << "after the greeting the name is still " << name.size() << " characters long";
}

// Another program in front (the press must come from outside the program's process and the
// front window's: a window of the test's own would not show the fault).
class AnotherProgramInFront {
public:
    AnotherProgramInFront() {
        std::wstring command = L"notepad.exe";
        STARTUPINFOW startup{sizeof(startup)};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process_))
            return;
        PumpUntil([&] { return (window_ = VisibleWindowOf(process_.dwProcessId, L"Notepad")); },
                  10s);
        if (!window_) return;
        // Clear of the program's window: under Wine, without a window manager, the window in
        // front is also stacked in front on the X screen, even over top-most windows.
        MoveWindow(window_, 100, 300, 400, 300, TRUE);
        SetForegroundWindow(window_);
    }
    AnotherProgramInFront(const AnotherProgramInFront&) = delete;
    AnotherProgramInFront& operator=(const AnotherProgramInFront&) = delete;
    ~AnotherProgramInFront() { EndProcess(process_); }
    bool InFront() const {
        return window_ && PumpUntil([&] { return GetForegroundWindow() == window_; }, 5s);
    }

private:
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

TEST_F(StartedProgramE2E, MenuOpensOnTheFirstRightPressWhileAnotherWindowIsInFront) {
    const AnotherProgramInFront other;
    ASSERT_TRUE(other.InFront());

    PressMouse(CentreOf(command1_), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    EXPECT_TRUE(PumpUntil([&] { return program_.FindWindowOfClass(L"#32768") != nullptr; }, 3s))
        << "the first right press did not open the menu";
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([&] { return program_.FindWindowOfClass(L"#32768") == nullptr; }, 3s));
}

}  // namespace
}  // namespace e2e
