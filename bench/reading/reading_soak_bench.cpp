// What a reading leaves behind, and what a huge one costs. A soak of readings against Wine's
// notepad (click, Speak, second click, balloon closed), with the program's private bytes and
// object counts at reading 100 and at the last; then, in a fresh program, a reading of 4 MB of
// selected text, its peak private bytes against the text's own size.
//     reading_soak_bench.exe [readings]     (1000 when not given)
#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "peer_windows.h"
#include "program_under_test.h"
#include "trace_reader.h"

namespace {

using namespace std::chrono_literals;
using e2e::PumpUntil;

struct Usage {
    double privateMb = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
    int windows = 0;
};

BOOL CALLBACK CountWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<std::pair<DWORD, int>*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->first) {
        ++search->second;
        EnumChildWindows(window, CountWindow, data);
    }
    return TRUE;
}

Usage UsageOf(DWORD processId) {
    Usage usage;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (!process) return usage;
    // The commit charge: the private bytes. (Wine reports no PrivateUsage for another
    // process, but fills PagefileUsage with the process's anonymous resident memory.)
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, &counters, sizeof(counters))) {
        usage.privateMb = static_cast<double>(counters.PagefileUsage) / (1 << 20);
    }
    usage.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    usage.user = GetGuiResources(process, GR_USEROBJECTS);
    GetProcessHandleCount(process, &usage.handles);
    CloseHandle(process);
    std::pair<DWORD, int> search{processId, 0};
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&search));
    usage.windows = search.second;
    return usage;
}

void Print(const char* when, const Usage& usage) {
    std::printf(
        "  %-14s private %.2f MB, GDI objects %lu, USER objects %lu, handles %lu, windows %d\n",
        when, usage.privateMb, usage.gdi, usage.user, usage.handles, usage.windows);
}

class Reader {
public:
    bool Start() {
        if (!program_.Start()) return false;
        command1_ = FindWindowExW(program_.MainWindow(), nullptr, L"Button", nullptr);
        return PumpUntil([&] { return Count("event", "BalloonHide") >= 1; }, 30s);
    }
    std::size_t Count(const char* kind, const char* name) const {
        return trace_.Find(kind, name).size();
    }
    // One reading of what is selected in the window in front, stopped by a second click once
    // it has started; false when a step did not happen. `watch` runs at every poll.
    bool Read(
        std::chrono::milliseconds bound = 5s, const std::function<void()>& watch = [] {}) {
        const std::size_t speaks = Count("request", "Speak");
        const std::size_t hides = Count("event", "BalloonHide");
        Click();
        auto spoken = [&] {
            watch();
            return Count("request", "Speak") > speaks;
        };
        if (!PumpUntil(spoken, bound)) return false;
        // A while of reading, so that what the reading itself holds is counted too.
        PumpUntil([&] { return watch(), false; }, 500ms);
        Click();
        return PumpUntil([&] { return watch(), Count("event", "BalloonHide") > hides; }, bound);
    }
    DWORD ProcessId() const { return program_.ProcessId(); }
    HWND MainWindow() const { return program_.MainWindow(); }

private:
    void Click() const {
        e2e::PressMouse(e2e::CentreOf(command1_), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    }
    e2e::Trace trace_;
    e2e::ProgramUnderTest program_;
    HWND command1_ = nullptr;
};

bool Soak(int readings) {
    e2e::Notepad notepad;
    Reader reader;
    if (!notepad.Ready() || !reader.Start()) {
        std::puts("soak: notepad or vocalinka did not start");
        return false;
    }
    notepad.Select(L"The quick brown fox jumps over the lazy dog.", true);
    std::printf("soak: %d readings of a short text from notepad\n", readings);
    Usage at100;
    int incomplete = 0;
    for (int reading = 1; reading <= readings; ++reading) {
        // The user works in notepad between readings.
        SetForegroundWindow(notepad.Main());
        PumpUntil([&] { return GetForegroundWindow() == notepad.Main(); }, 2s);
        if (!reader.Read()) {
            // A click lost on a loaded machine: counted, and the soak goes on.
            ++incomplete;
            PumpUntil([] { return false; }, 1s);
        }
        if (reading == 1) Print("reading 1:", UsageOf(reader.ProcessId()));
        if (reading == 100) Print("reading 100:", at100 = UsageOf(reader.ProcessId()));
    }
    const Usage last = UsageOf(reader.ProcessId());
    char when[32];
    std::snprintf(when, sizeof(when), "reading %d:", readings);
    Print(when, last);
    std::printf("  readings that did not complete: %d\n", incomplete);
    if (incomplete > readings / 10) return false;
    if (readings > 100) {
        const int more = readings - 100;
        std::printf(
            "  growth from reading 100 to %d: %.3f MB (%.1f KB a reading; goal < 1 MB in all), "
            "windows %+d, handles %+ld; GDI/USER counts %s\n",
            readings, last.privateMb - at100.privateMb,
            (last.privateMb - at100.privateMb) * 1024 / more, last.windows - at100.windows,
            static_cast<long>(last.handles) - static_cast<long>(at100.handles),
            at100.gdi == 0 && last.gdi == 0
                ? "not measurable here (GetGuiResources gives 0)"
                : (last.gdi == at100.gdi && last.user == at100.user ? "equal" : "differ"));
    }
    return true;
}

bool HugeReading() {
    e2e::StandIn huge(L"huge");
    Reader reader;
    if (!huge.Ready() || !reader.Start()) {
        std::puts("huge: the stand-in or vocalinka did not start");
        return false;
    }
    const Usage before = UsageOf(reader.ProcessId());
    SetForegroundWindow(huge.Window());
    PumpUntil([&] { return GetForegroundWindow() == huge.Window(); }, 5s);
    const auto start = std::chrono::steady_clock::now();
    double peakMb = before.privateMb;
    const auto watch = [&] { peakMb = std::max(peakMb, UsageOf(reader.ProcessId()).privateMb); };
    if (!reader.Read(120s, watch)) {
        std::puts("huge: the reading of 4 MB did not complete");
        return false;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const Usage after = UsageOf(reader.ProcessId());
    constexpr double kTextMb = 4.0;  // 2 Mi UTF-16 characters
    std::printf(
        "huge: a 4 MB selection read for 0.5 s and stopped, in %.2f s in all; private bytes "
        "%.1f MB before, peak %.1f MB (goal: under 200 MB), %.1f MB after; the reading's own "
        "peak over the text's size: %.1f\n",
        seconds, before.privateMb, peakMb, after.privateMb, (peakMb - before.privateMb) / kTextMb);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int readings = argc > 1 ? std::atoi(argv[1]) : 1000;
    const bool soaked = Soak(readings > 0 ? readings : 1000);
    const bool huge = HugeReading();
    return soaked && huge ? 0 : 1;
}
