// The Agent component with huge texts and over many readings, each figure against a baseline
// of the same run:
//   4 MB plain / 4 MB '&'   the most private bytes and working set the process gains while a
//                           4 Mi-character text is spoken (from Speak until its tenth word),
//                           against the text's own size in UTF-16 (8 MiB)
//   Speak call             how long Speak of the huge text blocks the caller, against Speak
//                           of one sentence
//   first word             Speak until the balloon marks the first word, huge against short
//   longest stall          the longest the message loop waited on the component from Speak to
//                           the tenth word, huge against short
//   soak                   private bytes and working set after 100 and after 1,000 Speak/Stop
//                           cycles of a short text; the growth from 100 to 1,000 (goal: under
//                           1 MiB), against the memory at 100
// Private bytes are PrivateUsage and the working set WorkingSetSize. Under Wine 8 only the
// working set is measured (PrivateUsage reads 0), and GetGuiResources always gives 0 for the
// GDI and USER object counts printed with the soak.
//   agent_memory_bench [character file]   (default <Windows>\Msagent\Chars\Merlin.acs)
#include <agent/agent.h>
#include <agent/agent_testing.h>
#include <psapi.h>
#include <shellapi.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kHugeChars = 4u << 20;
constexpr int kSoakCycles = 1000;
constexpr int kSoakSample = 100;
constexpr int kWordsWatched = 10;
constexpr wchar_t kShortText[] = L"\\Spd=150\\\\Pit=127\\Hello! I am Merlin and I read aloud.";

class CountingEvents final : public agent::Events {
public:
    void BalloonHide(const std::wstring&) override { ++balloonHides; }
    void Hide(const std::wstring&, agent::HideCause) override {}
    int balloonHides = 0;
};

struct Memory {
    double privateBytes = 0;
    double workingSet = 0;
};

Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return {static_cast<double>(counters.PrivateUsage),
            static_cast<double>(counters.WorkingSetSize)};
}

Memory Max(Memory a, Memory b) {
    return {std::max(a.privateBytes, b.privateBytes), std::max(a.workingSet, b.workingSet)};
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Pumps messages until done() or the bound; notes the longest time one message took and the
// most memory seen between messages.
struct PumpReport {
    double longestMessageMs = 0;
    Memory most;
};

PumpReport PumpUntil(const std::function<bool()>& done, int boundMs = 120000) {
    PumpReport report;
    report.most = MemoryNow();
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    while (!done() && Clock::now() < deadline) {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            continue;
        }
        const auto start = Clock::now();
        DispatchMessageW(&message);
        report.longestMessageMs = std::max(report.longestMessageMs, MillisecondsSince(start));
        report.most = Max(report.most, MemoryNow());
    }
    return report;
}

struct WindowSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (std::wstring_view(name) != search.className) return TRUE;
    search.found = hwnd;
    return FALSE;
}

HWND FindWindowOfClass(const wchar_t* className) {
    WindowSearch search{className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DefaultCharacter() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\Msagent\\Chars\\Merlin.acs";
}

// What one Speak cost, from the call until the balloon had marked kWordsWatched words.
struct SpeakCost {
    double callMs = 0;
    double firstWordMs = 0;
    double longestMessageMs = 0;
    Memory gained;
};

SpeakCost MeasureSpeak(agent::Character& character, HWND balloon, const std::wstring& text) {
    SpeakCost cost;
    const Memory before = MemoryNow();
    const auto start = Clock::now();
    character.Speak(text);
    cost.callMs = MillisecondsSince(start);
    Memory most = Max(before, MemoryNow());
    const auto marked = [&] {
        return SendMessageW(balloon, agent::testing::kBalloonGetWord, 0, 0) - 1;
    };
    PumpReport pumped = PumpUntil([&] { return marked() >= 0; });
    cost.firstWordMs = MillisecondsSince(start);
    cost.longestMessageMs = pumped.longestMessageMs;
    most = Max(most, pumped.most);
    // The words that follow, so that paging and the next SAPI part are counted too.
    LRESULT last = marked();
    for (int word = 1; word < kWordsWatched; ++word) {
        pumped = PumpUntil([&] { return marked() != last; }, 10000);
        last = marked();
        cost.longestMessageMs = std::max(cost.longestMessageMs, pumped.longestMessageMs);
        most = Max(most, pumped.most);
    }
    character.Stop();
    PumpUntil([] { return false; }, 200);
    cost.gained = {most.privateBytes - before.privateBytes, most.workingSet - before.workingSet};
    return cost;
}

void Row(const char* what, double measured, double baseline, const char* unit) {
    const double ratio = measured / std::max(baseline, 1e-3);
    std::printf("%-26s %12.2f %12.2f %-6s %9.3f\n", what, measured, baseline, unit, ratio);
}

}  // namespace

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring path = count > 1 ? args[1] : DefaultCharacter();
    LocalFree(args);

    CountingEvents events;
    agent::testing::ControlOptions options;
    options.traceFile = L"";  // SAPI is tried as in the program; under Wine it cannot speak
    const auto control = agent::testing::CreateControl(events, nullptr, options);
    try {
        control->Characters().Load(L"Bench", path);
    } catch (const agent::Error& error) {
        std::fprintf(stderr, "agent_memory_bench: %s\n", error.what());
        return 1;
    }
    agent::Character& character = control->Characters().Item(L"Bench");
    const HWND balloon = FindWindowOfClass(agent::testing::kBalloonWindowClass);
    character.Show();
    PumpUntil([] { return false; }, 2000);

    std::wstring plain;
    plain.reserve(kHugeChars);
    for (int i = 0; plain.size() < kHugeChars; ++i)
        plain += i % 12 == 11 ? L"reading. " : L"words ";
    plain.resize(kHugeChars);
    const std::wstring ampersands(kHugeChars, L'&');
    const double textBytes = static_cast<double>(kHugeChars * sizeof(wchar_t));

    const SpeakCost shortCost = MeasureSpeak(character, balloon, kShortText);
    const SpeakCost plainCost = MeasureSpeak(character, balloon, plain);
    const SpeakCost ampersandCost = MeasureSpeak(character, balloon, ampersands);

    Memory atSample;
    for (int cycle = 1; cycle <= kSoakCycles; ++cycle) {
        const int before = events.balloonHides;
        character.Speak(kShortText);
        PumpUntil(
            [&] { return SendMessageW(balloon, agent::testing::kBalloonGetWord, 0, 0) != 0; });
        character.Stop();
        PumpUntil([&] { return events.balloonHides > before; });
        if (cycle == kSoakSample) atSample = MemoryNow();
    }
    const Memory atEnd = MemoryNow();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    std::printf("%-26s %12s %12s %-6s %9s\n", "measure", "agent", "baseline", "unit", "ratio");
    Row("4 MB plain private bytes", plainCost.gained.privateBytes / 1024, textBytes / 1024, "KiB");
    Row("4 MB plain working set", plainCost.gained.workingSet / 1024, textBytes / 1024, "KiB");
    Row("4 MB '&' private bytes", ampersandCost.gained.privateBytes / 1024, textBytes / 1024,
        "KiB");
    Row("4 MB '&' working set", ampersandCost.gained.workingSet / 1024, textBytes / 1024, "KiB");
    Row("Speak call 4 MB plain", plainCost.callMs, shortCost.callMs, "ms");
    Row("Speak call 4 MB '&'", ampersandCost.callMs, shortCost.callMs, "ms");
    Row("first word 4 MB plain", plainCost.firstWordMs, shortCost.firstWordMs, "ms");
    Row("first word 4 MB '&'", ampersandCost.firstWordMs, shortCost.firstWordMs, "ms");
    Row("longest stall 4 MB plain", plainCost.longestMessageMs, shortCost.longestMessageMs, "ms");
    Row("longest stall 4 MB '&'", ampersandCost.longestMessageMs, shortCost.longestMessageMs, "ms");
    Row("soak private growth", (atEnd.privateBytes - atSample.privateBytes) / 1024,
        atSample.privateBytes / 1024, "KiB");
    Row("soak working set growth", (atEnd.workingSet - atSample.workingSet) / 1024,
        atSample.workingSet / 1024, "KiB");
    std::printf("soak private bytes at %d: %.0f KiB, at %d: %.0f KiB; GDI %lu, USER %lu\n",
                kSoakSample, atSample.privateBytes / 1024, kSoakCycles, atEnd.privateBytes / 1024,
                gdi, user);
    return 0;
}
