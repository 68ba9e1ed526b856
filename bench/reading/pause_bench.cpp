// What holding a reading costs: from a press of the pause shortcut until the words stand
// still, and from a press to resume until the next word is shown. Measured in the same run as
// ratios to the system's delivery of the same press to a window of this benchmark.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "peer_windows.h"
#include "press_timing.h"
#include "program_under_test.h"
#include "shortcut_keys.h"
#include "trace_reader.h"

namespace {

using namespace reading_bench;
using e2e::PumpUntil;

// The words shown so far, each with the time it was first seen.
class WordWatch {
public:
    explicit WordWatch(const e2e::Trace& trace) : trace_(trace) {}
    std::size_t Look() {
        const std::size_t count = trace_.Find("note", "Word").size();
        while (seenAt_.size() < count) seenAt_.push_back(Clock::now());
        return count;
    }
    Clock::time_point LastSeen() const { return seenAt_.back(); }

private:
    const e2e::Trace& trace_;
    std::vector<Clock::time_point> seenAt_;
};

}  // namespace

int main() {
    e2e::Trace trace;
    e2e::Notepad notepad;
    if (!notepad.Ready()) {
        std::puts("pause: notepad could not be started");
        return 1;
    }
    std::wstring text;
    for (int i = 0; i < 400; ++i) text += L"listen ";
    notepad.Select(text, true);

    const e2e::HotkeySetting pauseKeys(L"Ctrl+Shift+F5", L"PauseHotkey");
    e2e::ProgramUnderTest program;
    if (!program.Start() ||
        !PumpUntil([&] { return !trace.Find("event", "BalloonHide").empty(); }, 30s)) {
        std::puts("pause: vocalinka did not start and greet");
        return 1;
    }
    const DeliveryWindow delivery(MOD_CONTROL | MOD_SHIFT, VK_F6);
    const auto pressPause = PressKeys({VK_CONTROL, VK_SHIFT}, VK_F5);
    const auto pressDelivered = PressKeys({VK_CONTROL, VK_SHIFT}, VK_F6);

    BringForward(notepad.Main());
    e2e::PressShortcut({VK_CONTROL, VK_MENU}, VK_F8);
    WordWatch words(trace);
    if (!PumpUntil([&] { return words.Look() >= 3; }, 30s)) {
        std::puts("pause: the reading did not start");
        return 1;
    }

    constexpr int kRuns = 9;
    std::vector<double> pauseMs, resumeMs, deliveryMs;
    for (int run = 0; run < kRuns; ++run) {
        TimeUntilMore(notepad.Main(), pressDelivered, &DeliveryWindow::Delivered, deliveryMs);

        // Paused when the Pause request is in and no word follows for a second; until the
        // last word that was still shown, if one came after the press.
        BringForward(notepad.Main());
        const std::size_t pauses = trace.Find("request", "Pause").size();
        const std::size_t before = words.Look();
        const auto pressed = pressPause();
        if (!SpinUntil([&] { return trace.Find("request", "Pause").size() > pauses; }, 3000ms)) {
            continue;
        }
        const auto requested = Clock::now();
        std::size_t shown = words.Look();
        for (auto still = Clock::now(); Clock::now() - still < 1s;) {
            if (words.Look() != shown) {
                shown = words.Look();
                still = Clock::now();
            }
        }
        pauseMs.push_back(
            Ms((shown > before ? std::max(words.LastSeen(), requested) : requested) - pressed));

        TimeUntilMore(
            notepad.Main(), pressPause, [&] { return words.Look(); }, resumeMs);
        PumpUntil([&] { return words.Look() > shown + 1; }, 3s);
    }
    if (pauseMs.empty() || resumeMs.empty() || deliveryMs.empty()) {
        std::printf("pause: %zu pauses, %zu resumes and %zu deliveries measured of %d\n",
                    pauseMs.size(), resumeMs.size(), deliveryMs.size(), kRuns);
        return 1;
    }
    const double baseline = Median(deliveryMs), pause = Median(pauseMs), resume = Median(resumeMs);
    std::printf(
        "the press delivered to a window of the benchmark (median of %zu): %.2f ms, the "
        "baseline\n",
        deliveryMs.size(), baseline);
    std::printf("press to pause, until the last word shown (median of %zu): %.2f ms, ratio %.2f\n",
                pauseMs.size(), pause, pause / baseline);
    std::printf("press to resume, until the next word shown (median of %zu): %.2f ms, ratio %.2f\n",
                resumeMs.size(), resume, resume / baseline);
    return 0;
}
