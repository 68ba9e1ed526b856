// How much a click on the button, and a press of the reading shortcut, add to the copy they ask
// of the target. All are measured in the same run against Wine's notepad: notepad's own copy
// (Ctrl+C sent straight to it, until the text is on the clipboard), a click on Command1 and a
// press of the shortcut (each until the Agent trace shows the Speak request).
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

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

void SendCtrlC() {
    INPUT inputs[4] = {};
    const WORD keys[4] = {VK_CONTROL, 'C', 'C', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wVk = keys[i];
        inputs[i].ki.dwFlags = (i >= 2) ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, inputs, sizeof(INPUT));
}

}  // namespace

int main() {
    e2e::Trace trace;
    std::wstring command = L"notepad.exe";
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION notepadProcess{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &notepadProcess)) {
        std::puts("reading: notepad could not be started");
        return 1;
    }
    HWND notepad = nullptr;
    PumpUntil(
        [&] { return (notepad = e2e::VisibleWindowOf(notepadProcess.dwProcessId, L"Notepad")); },
        20s);
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    const wchar_t text[] = L"The quick brown fox jumps over the lazy dog.";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(edit, EM_SETSEL, 0, -1);

    const e2e::HotkeySetting shortcut(L"Ctrl+Alt+F9");
    e2e::ProgramUnderTest program;
    if (!program.Start() ||
        !PumpUntil([&] { return !trace.Find("event", "BalloonHide").empty(); }, 30s)) {
        std::puts("reading: vocalinka did not start and greet");
        TerminateProcess(notepadProcess.hProcess, 0);
        return 1;
    }
    HWND command1 = FindWindowExW(program.MainWindow(), nullptr, L"Button", nullptr);

    constexpr int kRuns = 9;
    std::vector<double> copyMs, clickMs, pressMs;
    for (int run = 0; run < kRuns; ++run) {
        // Notepad's own copy.
        SetForegroundWindow(notepad);
        PumpUntil([&] { return GetForegroundWindow() == notepad; }, 2s);
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
        const DWORD before = GetClipboardSequenceNumber();
        auto start = Clock::now();
        SendCtrlC();
        if (SpinUntil(
                [&] {
                    return GetClipboardSequenceNumber() != before &&
                           IsClipboardFormatAvailable(CF_UNICODETEXT);
                },
                2000ms)) {
            copyMs.push_back(Ms(Clock::now() - start));
        }

        // A click on the button, the user having worked in notepad.
        SetForegroundWindow(notepad);
        PumpUntil([&] { return GetForegroundWindow() == notepad; }, 2s);
        const std::size_t speaks = trace.Find("request", "Speak").size();
        const std::size_t stops = trace.Find("request", "Stop").size();
        e2e::PressMouse(e2e::CentreOf(command1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        start = Clock::now();
        if (SpinUntil([&] { return trace.Find("request", "Speak").size() > speaks; }, 3000ms)) {
            clickMs.push_back(Ms(Clock::now() - start));
        }
        // The second click stops it before the next round.
        e2e::PressMouse(e2e::CentreOf(command1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
        PumpUntil([&] { return trace.Find("request", "Stop").size() > stops; }, 3s);
        PumpUntil([&] { return trace.Find("event", "BalloonHide").size() > speaks; }, 3s);

        // The shortcut, pressed in notepad; a second press stops the reading.
        SetForegroundWindow(notepad);
        PumpUntil([&] { return GetForegroundWindow() == notepad; }, 2s);
        const std::size_t pressSpeaks = trace.Find("request", "Speak").size();
        const std::size_t pressStops = trace.Find("request", "Stop").size();
        start = Clock::now();
        e2e::PressShortcut({VK_CONTROL, VK_MENU}, VK_F9);
        if (SpinUntil([&] { return trace.Find("request", "Speak").size() > pressSpeaks; },
                      3000ms)) {
            pressMs.push_back(Ms(Clock::now() - start));
        }
        e2e::PressShortcut({VK_CONTROL, VK_MENU}, VK_F9);
        PumpUntil([&] { return trace.Find("request", "Stop").size() > pressStops; }, 3s);
        PumpUntil([&] { return trace.Find("event", "BalloonHide").size() > pressSpeaks; }, 3s);
    }
    TerminateProcess(notepadProcess.hProcess, 0);
    CloseHandle(notepadProcess.hProcess);
    CloseHandle(notepadProcess.hThread);

    if (copyMs.empty() || clickMs.empty() || pressMs.empty()) {
        std::printf("reading: %zu copies, %zu clicks and %zu presses measured of %d\n",
                    copyMs.size(), clickMs.size(), pressMs.size(), kRuns);
        return 1;
    }
    const double copy = Median(copyMs), click = Median(clickMs), press = Median(pressMs);
    std::printf(
        "click to Speak request (median of %zu): %.2f ms; notepad's own copy (median of "
        "%zu): %.2f ms; the click's own share %.2f ms (goal < 5 ms), ratio %.2f\n",
        clickMs.size(), click, copyMs.size(), copy, click - copy, click / copy);
    std::printf(
        "shortcut press to Speak request (median of %zu): %.2f ms; its own share %.2f ms, "
        "ratio to the copy %.2f, to the click %.2f\n",
        pressMs.size(), press, press - copy, press / copy, press / click);
    return 0;
}
