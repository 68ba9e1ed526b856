// What a click on the button, and a press of the reading shortcut, cost until the character is
// asked to speak. Measured in the same run, as ratios to notepad's own copy (Ctrl+C sent
// straight to it, until the text is on the clipboard): a click and a press on Wine's notepad,
// whose edit is read directly, and a click on a stand-in window that only the copy keys can
// read, through the clipboard. The click's and the press's own shares are what they take
// beyond the system's delivery of the same click or press to a window of this program.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "peer_windows.h"
#include "program_under_test.h"
#include "shortcut_keys.h"
#include "trace_reader.h"

namespace {

using Clock = std::chrono::steady_clock;
using e2e::PumpUntil;
using namespace std::chrono_literals;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Spins without sleeping, so that the measure is not rounded to the scheduler's tick.
template <class Done>
bool SpinUntil(Done done, std::chrono::milliseconds bound) {
    const auto end = Clock::now() + bound;
    while (!done()) {
        if (Clock::now() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return true;
}

// Brings the window to the front and waits until it is there.
void BringForward(HWND window) {
    SetForegroundWindow(window);
    PumpUntil([&] { return GetForegroundWindow() == window; }, 2s);
}

// Times from the trigger (the time it gives) until `count` grows, with `window` in front.
template <class Trigger, class Count>
void TimeUntilMore(HWND window, const Trigger& trigger, const Count& count,
                   std::vector<double>& into) {
    BringForward(window);
    const auto before = count();
    const auto start = trigger();
    if (SpinUntil([&] { return count() > before; }, 3000ms)) {
        into.push_back(Ms(Clock::now() - start));
    }
}

// A click counts from the press, once the pointer is over the window; a shortcut from before
// its keys go in.
auto ClickOn(HWND window) {
    return [window] {
        e2e::PressMouse(e2e::CentreOf(window), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        return Clock::now();
    };
}
auto PressCtrlAlt(WORD key) {
    return [key] {
        const auto start = Clock::now();
        e2e::PressShortcut({VK_CONTROL, VK_MENU}, key);
        return start;
    };
}

// A window of this program that counts the clicks and shortcut presses it gets: what the
// system's delivery alone costs.
int g_delivered = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP || message == WM_HOTKEY) ++g_delivered;
    return DefWindowProcW(window, message, wParam, lParam);
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

    const e2e::HotkeySetting shortcut(L"Ctrl+Alt+F9");
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
    const auto pressShortcut = PressCtrlAlt(VK_F9);

    WNDCLASSEXW wc{sizeof(wc)};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ReadingBenchDelivery";
    RegisterClassExW(&wc);
    // Above notepad, as Vocalinka's window is, and away from it and from the character.
    const HWND delivery =
        CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Delivery", WS_POPUP | WS_VISIBLE, 20,
                        880, 160, 80, nullptr, nullptr, wc.hInstance, nullptr);
    constexpr int kHotkeyId = 1;
    RegisterHotKey(delivery, kHotkeyId, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, VK_F10);
    // Delivered to that window, from the same start as the reading's, with notepad in front.
    const auto deliver = [&](const auto& trigger, std::vector<double>& into) {
        TimeUntilMore(
            notepad, trigger, [] { return g_delivered; }, into);
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
        deliver(ClickOn(delivery), clickDeliveryMs);
        deliver(PressCtrlAlt(VK_F10), pressDeliveryMs);
    }
    UnregisterHotKey(delivery, kHotkeyId);
    DestroyWindow(delivery);
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
