// What both Agent benchmarks need: the clock, the process's memory, the component's windows
// and the character they load.
#pragma once

#include <psapi.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <string_view>

namespace agent_bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Memory {
    double privateBytes = 0;
    double workingSet = 0;
};

inline Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return {static_cast<double>(counters.PrivateUsage),
            static_cast<double>(counters.WorkingSetSize)};
}

struct WindowSearch {
    const wchar_t* className;
    HWND found;
};

inline BOOL CALLBACK MatchClass(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (std::wstring_view(name) != search.className) return TRUE;
    search.found = hwnd;
    return FALSE;
}

// A window of this class made by this thread; null when there is none.
inline HWND FindWindowOfClass(const wchar_t* className) {
    WindowSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

inline std::wstring DefaultCharacter() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\Msagent\\Chars\\Merlin.acs";
}

}  // namespace agent_bench
