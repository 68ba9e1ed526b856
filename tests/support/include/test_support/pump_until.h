// Waiting on this thread for a condition while its windows keep working.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

namespace vocalinka::test {

// Dispatches this thread's messages until `done` holds or `timeout` passes; false on time-out.
// Messages that `preTranslate` handles are not dispatched, as in the program's message loop.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds{10},
                      const std::function<bool(MSG&)>& preTranslate = {}) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (preTranslate && preTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // The condition may change on another thread or in another process: looked at again
        // every few milliseconds.
        std::this_thread::sleep_for(std::chrono::milliseconds{5});
    }
    return true;
}

}  // namespace vocalinka::test
