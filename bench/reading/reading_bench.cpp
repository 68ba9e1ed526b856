// What a click on the button, and a press of the reading shortcut, cost until the character is
// asked to speak. Measured in the same run, as ratios to notepad's own copy (Ctrl+C sent
// straight to it, until the text is on the clipboard): a click and a press on Wine's notepad,
// whose edit is read directly, and a click on a stand-in window that only the copy keys can
// read, through the clipboard. The click's and the press's own shares are what they take
// beyond the system's delivery of the same click or press to a window of this program.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "peer_windows.h"
#include "press_timing.h"
#include "program_under_test.h"
#include "shortcut_keys.h"
#include "trace_reader.h"

namespace {

using namespace reading_bench;
using e2e::PumpUntil;

// A click counts from the press, once the pointer is over the window.
auto ClickOn(HWND window) {
    return [window] {
        e2e::PressMouse(e2e::CentreOf(window), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        return Clock::now();
    };
}

}  // namespace

int main() {
    e2e::Trace trace;
    e2e::Notepad notepadWindow;
    if (!notepadWindow.Ready()) {
        std::puts("reading: notepad could not be started");
        return 1;
    }
    notepadWindow.Select(L"The quick brown fox jumps over the lazy dog.", true);
    const HWND notepad = notepadWindow.Main();

    const e2e::HotkeySetting shortcut(L"Ctrl+Alt+F7");
    e2e::ProgramUnderTest program;
    if (!program.Start() ||
        !PumpUntil([&] { return !trace.Find("event", "BalloonHide").empty(); }, 30s)) {
        std::puts("reading: vocalinka did not start and greet");
        return 1;
    }
    HWND command1 = FindWindowExW(program.MainWindow(), nullptr, L"Button", nullptr);

    e2e::StandIn copyOnly(L"copy");
    if (!copyOnly.Ready()) {
        std::puts("reading: the stand-in window did not start");
        return 1;
    }
    // From the trigger until the Speak request; the same trigger stops the reading again.
    const auto measure = [&](HWND target, const auto& trigger, std::vector<double>& into) {
        const std::size_t speaks = trace.Find("request", "Speak").size();
        const std::size_t stops = trace.Find("request", "Stop").size();
        TimeUntilMore(
            target, trigger, [&] { return trace.Find("request", "Speak").size(); }, into);
        trigger();
        PumpUntil([&] { return trace.Find("request", "Stop").size() > stops; }, 3s);
        PumpUntil([&] { return trace.Find("event", "BalloonHide").size() > speaks; }, 3s);
    };
    const auto clickButton = ClickOn(command1);
    const auto pressShortcut = PressKeys({VK_CONTROL, VK_MENU}, VK_F7);

    // Above notepad, as Vocalinka's window is; it holds a shortcut none of Vocalinka's use.
    const DeliveryWindow delivery(MOD_CONTROL | MOD_ALT, VK_F6);
    // Delivered to that window, from the same start as the reading's, with notepad in front.
    const auto deliver = [&](const auto& trigger, std::vector<double>& into) {
        TimeUntilMore(notepad, trigger, &DeliveryWindow::Delivered, into);
    };

    constexpr int kRuns = 9;
    std::vector<double> copyMs, clickMs, pressMs, copyClickMs, clickDeliveryMs, pressDeliveryMs;
    for (int run = 0; run < kRuns; ++run) {
        // Notepad's own copy.
        BringForward(notepad);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        const DWORD before = GetClipboardSequenceNumber();
        const auto start = Clock::now();
        e2e::PressShortcut({VK_CONTROL}, 'C');
        if (SpinUntil(
                [&] {
                    return GetClipboardSequenceNumber() != before &&
                           IsClipboardFormatAvailable(CF_UNICODETEXT);
                },
                2000ms)) {
            copyMs.push_back(Ms(Clock::now() - start));
        }
        measure(notepad, clickButton, clickMs);
        measure(notepad, pressShortcut, pressMs);
        measure(copyOnly.Window(), clickButton, copyClickMs);
        deliver(ClickOn(delivery.Window()), clickDeliveryMs);
        deliver(PressKeys({VK_CONTROL, VK_MENU}, VK_F6), pressDeliveryMs);
    }
    if (copyMs.empty() || clickMs.empty() || pressMs.empty() || copyClickMs.empty() ||
        clickDeliveryMs.empty() || pressDeliveryMs.empty()) {
        std::printf(
            "reading: %zu copies, %zu clicks, %zu presses, %zu copying clicks and %zu and %zu "
            "deliveries measured of %d\n",
            copyMs.size(), clickMs.size(), pressMs.size(), copyClickMs.size(),
            clickDeliveryMs.size(), pressDeliveryMs.size(), kRuns);
        return 1;
    }
    const double copy = Median(copyMs), direct = Median(clickMs), press = Median(pressMs),
                 copying = Median(copyClickMs), clickAlone = Median(clickDeliveryMs),
                 pressAlone = Median(pressDeliveryMs);
    std::printf("notepad's own copy (median of %zu): %.2f ms, the baseline\n", copyMs.size(), copy);
    std::printf(
        "click to Speak, read directly from notepad (median of %zu): %.2f ms, ratio to "
        "the copy %.2f; the click's delivery alone %.2f ms, so its own share %.2f ms "
        "(goal: under 5 ms), ratio to the copy %.2f\n",
        clickMs.size(), direct, direct / copy, clickAlone, direct - clickAlone,
        (direct - clickAlone) / copy);
    std::printf(
        "shortcut press to Speak, read directly from notepad (median of %zu): %.2f ms, "
        "ratio to the copy %.2f; the press's delivery alone %.2f ms, so its own share %.2f ms, "
        "ratio to the click's own share %.2f\n",
        pressMs.size(), press, press / copy, pressAlone, press - pressAlone,
        (press - pressAlone) / (direct - clickAlone));
    std::printf(
        "click to Speak through the copy keys and the clipboard (median of %zu): %.2f "
        "ms, ratio to the copy %.2f; ratio of the direct click to it %.2f\n",
        copyClickMs.size(), copying, copying / copy, direct / copying);
    return 0;
}
