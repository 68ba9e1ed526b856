// The Agent component with huge texts and over many readings, each figure against a baseline
// of the same run:
//   4 MB plain / 4 MB '&'   the most working set a process gains while a 4 Mi-character text
//                           is spoken (from Speak until its tenth word; the process's peak,
//                           each text in a process of its own), against the text's own size
//                           in UTF-16 (8 MiB)
//   SAPI markup            the working set the SAPI XML of the 4 MB '&' text holds: one part
//                           (as spoken now) against the whole text in one (as it once was)
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
//   agent_memory_bench --huge plain|& [character file]   one huge Speak; exit code: KiB gained
#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "agent/agent.h"
#include "agent/agent_testing.h"
#include "agent/core/speech_tags.h"
#include "agent/sapi/sapi_engine.h"
#include "agent/sapi/speech_xml.h"
#include "agent/window_ids.h"
#include "bench_common.h"

namespace {

using namespace agent_bench;

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

double PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<double>(counters.PeakWorkingSetSize);
}

Memory Max(Memory a, Memory b) {
    return {std::max(a.privateBytes, b.privateBytes), std::max(a.workingSet, b.workingSet)};
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
        return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0) - 1;
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
    // The peak catches what lived and died inside one message, between two samples.
    cost.gained = {most.privateBytes - before.privateBytes,
                   std::max(most.workingSet, PeakWorkingSet()) - before.workingSet};
    return cost;
}

void Row(const char* what, double measured, double baseline, const char* unit) {
    const double ratio = measured / std::max(baseline, 1e-3);
    std::printf("%-26s %12.2f %12.2f %-6s %9.3f\n", what, measured, baseline, unit, ratio);
}

}  // namespace

std::wstring HugeText(std::wstring_view which) {
    if (which == L"&") return std::wstring(kHugeChars, L'&');
    std::wstring plain;
    plain.reserve(kHugeChars);
    for (int i = 0; plain.size() < kHugeChars; ++i) {
        plain += i % 12 == 11 ? L"reading. " : L"words ";
    }
    plain.resize(kHugeChars);
    return plain;
}

// Each huge text is spoken in a process of its own: the process's peak working set then
// shows what that Speak alone reached. Returns the gain in KiB as the process's exit code.
double SpeakHugeInChild(const std::wstring& which, const std::wstring& characterPath) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(self) + L"\" --huge " + which + L" \"" + characterPath + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<double>(code);
}

// The working set that SAPI's markup of the utterance holds while it lives: made whole, as
// the engine once did, or one part, as it does now.
double MarkupKiB(const agent::core::Utterance& utterance, bool whole) {
    const double before = MemoryNow().workingSet;
    const agent::sapi::SpeechXml xml =
        whole ? agent::sapi::SpeechXml(utterance)
              : agent::sapi::SpeechXml(utterance, {}, agent::sapi::SapiEngine::kPartUnits);
    const double after = MemoryNow().workingSet;
    return xml.Text().empty() ? 0 : (after - before) / 1024;
}

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    const bool child = count > 2 && std::wstring_view(args[1]) == L"--huge";
    const std::wstring which = child ? args[2] : L"";
    const int pathArgument = child ? 3 : 1;
    const std::wstring path = count > pathArgument ? args[pathArgument] : DefaultCharacter();
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
    const HWND balloon = FindWindowOfClass(agent::win::kBalloonWindowClass);
    character.Show();
    PumpUntil([] { return false; }, 2000);

    if (child) {
        const SpeakCost cost = MeasureSpeak(character, balloon, HugeText(which));
        return static_cast<int>(cost.gained.workingSet / 1024);
    }
    const double textKiB = static_cast<double>(kHugeChars * sizeof(wchar_t)) / 1024;
    const double plainKiB = SpeakHugeInChild(L"plain", path);
    const double ampersandKiB = SpeakHugeInChild(L"&", path);

    // Under Wine no voice speaks, so the markup is measured on its own.
    double markupWholeKiB = 0, markupPartKiB = 0;
    {
        const std::wstring text = HugeText(L"&");
        const agent::core::Utterance utterance = agent::core::ParseSpeechTags(
            std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
        markupPartKiB = MarkupKiB(utterance, false);
        markupWholeKiB = MarkupKiB(utterance, true);
    }

    const SpeakCost shortCost = MeasureSpeak(character, balloon, kShortText);
    const SpeakCost plainCost = MeasureSpeak(character, balloon, HugeText(L"plain"));
    const SpeakCost ampersandCost = MeasureSpeak(character, balloon, HugeText(L"&"));

    Memory atSample;
    for (int cycle = 1; cycle <= kSoakCycles; ++cycle) {
        const int before = events.balloonHides;
        character.Speak(kShortText);
        PumpUntil([&] { return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0) != 0; });
        character.Stop();
        PumpUntil([&] { return events.balloonHides > before; });
        if (cycle == kSoakSample) atSample = MemoryNow();
    }
    const Memory atEnd = MemoryNow();
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);

    std::printf("%-26s %12s %12s %-6s %9s\n", "measure", "agent", "baseline", "unit", "ratio");
    Row("4 MB plain working set", plainKiB, textKiB, "KiB");
    Row("4 MB '&' working set", ampersandKiB, textKiB, "KiB");
    Row("SAPI markup 4 MB '&' part", markupPartKiB, markupWholeKiB, "KiB");
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
    std::printf("soak working set at %d: %.0f KiB, at %d: %.0f KiB; GDI %lu, USER %lu\n",
                kSoakSample, atSample.workingSet / 1024, kSoakCycles, atEnd.workingSet / 1024, gdi,
                user);
    return 0;
}
