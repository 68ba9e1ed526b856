// Holding a reading in Wine's notepad while the character reads: pause and resume, faster and
// slower, with the shortcuts set in the registry and pressed as a person presses them, and the
// mouse wheel over the button. The words as they are shown come from the Agent trace.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "reading_fixture.h"
#include "resources/dialogs_resource.h"
#include "settings/profile.h"
#include "shortcut_keys.h"

namespace e2e {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr WORD kPauseKey = VK_F5;  // all with Ctrl+Shift, far from every default
constexpr WORD kSlowerKey = VK_F6;
constexpr WORD kFasterKey = VK_F7;

// A few hundred words of the same length, so that every word takes as long as the next.
std::wstring LongText() {
    std::wstring text;
    for (int i = 0; i < 300; ++i) text += L"reading ";
    return text;
}

class HoldingTheReading : public NotepadReading {
protected:
    void Press(WORD key) const { PressShortcut({VK_CONTROL, VK_SHIFT}, key); }

    // Reads the long text with the reading shortcut and waits for its first words.
    void ReadLongText() {
        notepad_.Select(LongText(), true);
        words_.clear();
        wordsBefore_ = trace_.Find("note", "Word").size();  // the greeting's
        PressShortcut({VK_CONTROL, VK_MENU}, VK_F8);
        ASSERT_TRUE(WaitForWord(2));
    }

    // The indices of the words shown so far, with the time each was first seen.
    struct Shown {
        int index;
        Clock::time_point at;
    };
    const std::vector<Shown>& Words() {
        const auto lines = trace_.Find("note", "Word");
        for (std::size_t i = wordsBefore_ + words_.size(); i < lines.size(); ++i) {
            words_.push_back({std::stoi(lines[i].args.at(0)), Clock::now()});
        }
        return words_;
    }
    bool WaitForWord(int index, std::chrono::milliseconds timeout = 20s) {
        return PumpUntil([&] { return !Words().empty() && Words().back().index >= index; },
                         timeout);
    }
    // The mean time between the next `count` words, watched as they come.
    std::chrono::duration<double, std::milli> MeanGap(int count) {
        // Every line is looked at as soon as it is written: the gaps are the words' own.
        const int first = Words().back().index + 1;
        EXPECT_TRUE(WaitForWord(first));
        const std::size_t from = words_.size() - 1;
        EXPECT_TRUE(WaitForWord(first + count));
        return (words_.back().at - words_[from].at) / (words_.back().index - words_[from].index);
    }
    std::string ProfileSpeed() const {
        vocalinka::ProfileSettings saved;
        vocalinka::ApplyProfileText(vocalinka::ReadFields(program_.ReadProfile().value_or("")),
                                    saved);
        return saved.Speed;
    }

    const HotkeySetting pause_{L"Ctrl+Shift+F5", L"PauseHotkey"};
    const HotkeySetting slower_{L"Ctrl+Shift+F6", L"SlowerHotkey"};
    const HotkeySetting faster_{L"Ctrl+Shift+F7", L"FasterHotkey"};
    std::vector<Shown> words_;
    std::size_t wordsBefore_ = 0;
};

// Whether another program could take the pause keys now, asked as a program asks for them:
// for a window of its own.
bool PauseKeysFree() {
    const HWND window =
        CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    const bool free =
        RegisterHotKey(window, 1, MOD_CONTROL | MOD_SHIFT | MOD_NOREPEAT, kPauseKey) != FALSE;
    if (free) UnregisterHotKey(window, 1);
    DestroyWindow(window);
    return free;
}

TEST_F(HoldingTheReading, PauseHoldsTheWordsResumeGoesOnFromTheNextAndAClickStopsItPaused) {
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
    // At rest, the pause keys are anybody's.
    ASSERT_TRUE(PauseKeysFree());
    ASSERT_NO_FATAL_FAILURE(ReadLongText());
    EXPECT_FALSE(PauseKeysFree()) << "a reading holds the pause keys";

    Press(kPauseKey);
    ASSERT_TRUE(WaitForCount("request", "Pause", 1));
    // The word being spoken ends; then nothing moves for as long as the person thinks.
    PumpUntil([] { return false; }, 1s);
    const int lastShown = Words().back().index;
    EXPECT_FALSE(WaitForWord(lastShown + 1, 2s)) << "a word was shown while paused";
    EXPECT_TRUE(Busy());

    Press(kPauseKey);
    ASSERT_TRUE(WaitForCount("request", "Resume", 1));
    ASSERT_TRUE(WaitForWord(lastShown + 1));
    EXPECT_EQ(Words()[Words().size() - 1].index, lastShown + 1);
    EXPECT_EQ(Words()[Words().size() - 2].index, lastShown) << "resumed from elsewhere";

    // Paused again, a click stops the reading as it stops any reading.
    Press(kPauseKey);
    ASSERT_TRUE(WaitForCount("request", "Pause", 2));
    const std::size_t hides = Count("event", "BalloonHide");
    Click();
    ASSERT_TRUE(WaitForCount("request", "Stop", 1));
    EXPECT_TRUE(WaitForCount("event", "BalloonHide", hides + 1));
    EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_FALSE(PumpUntil([&] { return Count("event", "BalloonHide") > hides + 1; }, 1s));
    // The keys are given back with the reading.
    EXPECT_TRUE(PumpUntil(PauseKeysFree, 5s));
}

TEST_F(HoldingTheReading, FasterAndSlowerChangeTheWordsPaceAndTheProfileKeepsTheLastSpeed) {
    ASSERT_TRUE(notepad_.Ready());
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
    ASSERT_NO_FATAL_FAILURE(ReadLongText());
    const std::string savedBefore = program_.ReadProfile().value_or("");
    const auto normal = MeanGap(10);

    for (int i = 0; i < 3; ++i) Press(kFasterKey);
    ASSERT_TRUE(WaitForCount("request", "Rate", 3));
    const auto rates = trace_.Find("request", "Rate");
    EXPECT_EQ(rates[0].args.at(0), L"137");
    EXPECT_EQ(rates[2].args.at(0), L"157");
    // The gaps are watched from outside, through a file, to within a few milliseconds.
    constexpr double kWatchError = 0.99;
    const auto faster = MeanGap(10);
    EXPECT_GE(normal / faster, 157.0 / 127.0 * kWatchError)
        << normal.count() << " ms, then " << faster.count();

    for (int i = 0; i < 6; ++i) Press(kSlowerKey);
    ASSERT_TRUE(WaitForCount("request", "Rate", 9));
    EXPECT_EQ(trace_.Find("request", "Rate").back().args.at(0), L"97");
    const auto slower = MeanGap(10);
    EXPECT_GE(slower / faster, 157.0 / 97.0 * kWatchError)
        << faster.count() << " ms, then " << slower.count();

    // Not written at every step: the profile changes once, when the reading ends.
    EXPECT_EQ(program_.ReadProfile().value_or(""), savedBefore);
    Click();
    ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    EXPECT_TRUE(PumpUntil([&] { return ProfileSpeed() == "97"; }, 5s)) << ProfileSpeed();
    // The next reading speaks at the new speed from its first word.
    notepad_.Select(L"Slower now.", true);
    const std::size_t speaks = Count("request", "Speak");
    PressShortcut({VK_CONTROL, VK_MENU}, VK_F8);
    ASSERT_TRUE(WaitForCount("request", "Speak", speaks + 1));
    EXPECT_EQ(LastSpoken(), L"\\Spd=97\\\\Pit=127\\Slower now.");
}

TEST_F(HoldingTheReading, OutsideAReadingTheWheelAndTheKeysSetTheNextReadingsSpeedAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartReadyToRead());
    SetCursorPos(CentreOf(command1_).x, CentreOf(command1_).y);
    for (int notch = 0; notch < 2; ++notch) {
        INPUT wheel{INPUT_MOUSE};
        wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
        wheel.mi.mouseData = WHEEL_DELTA;
        SendInput(1, &wheel, sizeof(wheel));
    }
    EXPECT_TRUE(PumpUntil([&] { return ProfileSpeed() == "147"; }, 5s)) << ProfileSpeed();
    Press(kSlowerKey);
    EXPECT_TRUE(PumpUntil([&] { return ProfileSpeed() == "137"; }, 5s)) << ProfileSpeed();
    // The pause keys do nothing at rest, and nothing is asked of the character.
    Press(kPauseKey);
    EXPECT_FALSE(WaitForCount("request", "Pause", 1, 1s));
    EXPECT_EQ(Count("request", "Rate"), 0u);
    EXPECT_TRUE(Idle());

    // With the speech configuration open, its slider moves instead, and OK stores it.
    const HWND dialog = program_.OpenFromMenu('P', L"Speech Configuration");
    ASSERT_NE(dialog, nullptr);
    Press(kFasterKey);
    Press(kFasterKey);
    const HWND label = GetDlgItem(dialog, IDC_TXTSPEED);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(label) == L"157"; })) << TextOf(label);
    EXPECT_EQ(ProfileSpeed(), "137");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Gone(dialog));
    EXPECT_TRUE(PumpUntil([&] { return ProfileSpeed() == "157"; }, 5s)) << ProfileSpeed();
}

}  // namespace
}  // namespace e2e
