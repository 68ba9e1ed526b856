// What the reading benchmarks share: timing a press from outside the program, and the
// baseline every ratio is taken against, the system's delivery of the same press to a window
// of the benchmark itself.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "program_under_test.h"

namespace reading_bench {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

inline double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> values) {
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
inline void BringForward(HWND window) {
    SetForegroundWindow(window);
    e2e::PumpUntil([&] { return GetForegroundWindow() == window; }, 2s);
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

// A shortcut counts from before its keys go in.
inline auto PressKeys(std::vector<WORD> modifiers, WORD key) {
    return [modifiers, key] {
        const auto start = Clock::now();
        e2e::PressShortcut(modifiers, key);
        return start;
    };
}

// A top-most window of this benchmark, away from notepad and the character, that counts the
// clicks it gets and the presses of the shortcut it holds: what the system's delivery alone
// costs.
class DeliveryWindow {
public:
    DeliveryWindow(UINT modifiers, UINT key) {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.lpfnWndProc = Count;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ReadingBenchDelivery";
        RegisterClassExW(&wc);
        window_ =
            CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"Delivery", WS_POPUP | WS_VISIBLE, 20,
                            880, 160, 80, nullptr, nullptr, wc.hInstance, nullptr);
        RegisterHotKey(window_, kHotkeyId, modifiers | MOD_NOREPEAT, key);
    }
    ~DeliveryWindow() {
        UnregisterHotKey(window_, kHotkeyId);
        DestroyWindow(window_);
    }
    DeliveryWindow(const DeliveryWindow&) = delete;
    DeliveryWindow& operator=(const DeliveryWindow&) = delete;

    HWND Window() const { return window_; }
    static int Delivered() { return delivered_; }

private:
    static constexpr int kHotkeyId = 1;
    static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_LBUTTONUP || message == WM_HOTKEY) ++delivered_;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static inline int delivered_ = 0;
    HWND window_ = nullptr;
};

}  // namespace reading_bench
