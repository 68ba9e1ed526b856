// Waiting on this thread for a condition while its windows keep working.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <functional>

namespace vocalinka::test {

// Dispatches this thread's messages until `done` holds or `timeout` passes; false on time-out.
// Messages that `preTranslate` handles are not dispatched, as in the program's message loop.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds{10},
                      const std::function<bool(MSG&)>& preTranslate = {}) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (preTranslate && preTranslate(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Wakes for the next message at once; the condition may also change on another thread
        // or in another process, so it is looked at again every few milliseconds.
        MsgWaitForMultipleObjectsEx(0, nullptr,
                                    static_cast<DWORD>(std::min<long long>(left.count(), 10)),
                                    QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
    return true;
}

}  // namespace vocalinka::test
