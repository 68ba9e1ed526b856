// What the reading tests share: the program under test seen from outside (its button's
// picture, the Agent trace), and the windows it reads from.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "clipboard_text.h"
#include "peer_windows.h"
#include "program_under_test.h"
#include "trace_reader.h"

namespace e2e {

class ReadingE2E : public testing::Test {
protected:
    static constexpr wchar_t kOwnClipboard[] = L"the user's own clipboard";
    // The speed and pitch of the default profile, as the character is asked to use them.
    static constexpr wchar_t kDefaultTags[] = L"\\Spd=127\\\\Pit=127\\";
    void StartProgram(const std::string& profile = {}) {
        if (!profile.empty()) program_.WriteProfile(profile);
        ASSERT_TRUE(program_.Start());
        command1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
        image1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Static", nullptr);
        image2_ = FindWindowExW(program_.MainWindow(), image1_, L"Static", nullptr);
    }
    // The button shows the busy picture (Image2) or the idle one (Image1).
    bool Shows(HWND image) const {
        return SendMessageW(command1_, BM_GETIMAGE, IMAGE_BITMAP, 0) ==
               SendMessageW(image, STM_GETIMAGE, IMAGE_BITMAP, 0);
    }
    bool Busy() const { return Shows(image2_); }
    bool Idle() const { return Shows(image1_); }
    std::size_t Count(const std::string& kind, const std::string& name) const {
        return trace_.Find(kind, name).size();
    }
    bool WaitForCount(const std::string& kind, const std::string& name, std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds{20}) const {
        return PumpUntil([&] { return Count(kind, name) >= count; }, timeout);
    }
    // What the character was last asked to say, with its speed and pitch tags.
    std::wstring LastSpoken() const {
        const auto speaks = trace_.Find("request", "Speak");
        return speaks.empty() || speaks.back().args.empty() ? L"<nothing>" : speaks.back().args[0];
    }
    // The clipboard as the user left it before a reading, and back to it after.
    static bool KeepOwnClipboard() { return test_clipboard::SetClipboardText(kOwnClipboard); }
    static bool ClipboardComesBack() {
        return PumpUntil([] { return test_clipboard::ClipboardText() == kOwnClipboard; });
    }
    void Click() const {
        PressMouse(CentreOf(command1_), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    }
    // A click (or `press`) stops the reading: the character is asked to stop, and
    // the button shows the idle picture.
    void ExpectTheReadingStops(const std::function<void()>& press = {}) const {
        const std::size_t stops = Count("request", "Stop");
        press ? press() : Click();
        EXPECT_TRUE(WaitForCount("request", "Stop", stops + 1));
        EXPECT_TRUE(PumpUntil([&] { return Idle(); }));
    }
    // Pumps until `done` holds, asking the program's window all along whether it answers
    // within `answerTime`; whether `done` came in time, and how often the window did not answer.
    struct Answered {
        bool done;
        int unanswered;
    };
    Answered WaitWhileAnswering(const std::function<bool()>& done,
                                std::chrono::milliseconds answerTime,
                                std::chrono::milliseconds timeout) const {
        int unanswered = 0;
        const bool came = PumpUntil(
            [&] {
                DWORD_PTR result = 0;
                if (!SendMessageTimeoutW(program_.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                         static_cast<UINT>(answerTime.count()), &result)) {
                    ++unanswered;
                }
                return done();
            },
            timeout);
        return {came, unanswered};
    }
    // Waits for the greeting to end, so that a reading starts from the idle picture.
    void WaitForGreetingToEnd() const {
        ASSERT_TRUE(WaitForCount("event", "BalloonHide", 1, std::chrono::seconds{30}));
        ASSERT_TRUE(PumpUntil([&] { return Idle(); }));
    }
    // The program on this profile (or the default one), greeted and idle, with the user's own
    // clipboard; `speaks_` counts what it has been asked to say so far.
    void StartReadyToRead(const std::string& profile = {}) {
        ASSERT_NO_FATAL_FAILURE(StartProgram(profile));
        ASSERT_NO_FATAL_FAILURE(WaitForGreetingToEnd());
        speaks_ = Count("request", "Speak");
        ASSERT_TRUE(KeepOwnClipboard());
    }

    Trace trace_;  // before the program, which reads the setting when it starts
    ProgramUnderTest program_;
    HWND command1_ = nullptr;
    HWND image1_ = nullptr;
    HWND image2_ = nullptr;
    std::size_t speaks_ = 0;
};

// The tests that read from notepad have one of their own.
class NotepadReading : public ReadingE2E {
protected:
    Notepad notepad_;
};

}  // namespace e2e
