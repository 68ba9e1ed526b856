// Measures the Agent component against plain Win32 baselines taken in the same run, and prints
// each figure as a ratio, so that the numbers mean the same on a fast or a slow machine:
//   first frame   Show until the character is on screen, against a plain layered window's
//                 first UpdateLayeredWindow of the same size
//   first word    Speak until the balloon marks the first word, against drawing one line of
//                 text into a layered window
//   paging        one word of a long text (balloon drawn, page turned as needed), against
//                 the same one-line drawing
//   memory        private bytes and working set a loaded, shown character adds, against its
//                 decoded pictures
//   idle CPU      CPU time while the character idles (blinking), against an idle message loop
//   paused CPU    CPU time while the character holds a paused reading, against the same
//                 character idling
//   agent_bench [character file]   (default <Windows>\Msagent\Chars\Merlin.acs)
#include <windows.h>
// After windows.h, which they need.
#include <psapi.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "agent/agent.h"
#include "agent/agent_testing.h"
#include "agent/format/character_file.h"
#include "agent/window_ids.h"
#include "bench_common.h"
#include "win32util/window.h"

namespace {

using namespace agent_bench;

constexpr int kRepeats = 5;
constexpr int kIdleSeconds = 5;
constexpr int kPagingWords = 3000;

class NoEvents final : public agent::Events {
public:
    void BalloonHide(const std::wstring&) override { ++balloonHides; }
    void Hide(const std::wstring&, agent::HideCause) override {}
    int balloonHides = 0;
};

void PumpUntil(const std::function<bool()>& done, int boundMs = 60000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(boundMs);
    while (!done() && Clock::now() < deadline) {
        MSG message;
        bool any = false;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            any = true;
            DispatchMessageW(&message);
            if (done()) return;
        }
        // Every change the figures wait for comes with a message, so a long wait costs no
        // precision and keeps the pump itself from showing up as CPU time.
        if (!any) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Surface {
    Surface(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB};
        dc = CreateCompatibleDC(nullptr);
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        SelectObject(dc, bitmap);
    }
    ~Surface() {
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    HDC dc;
    HBITMAP bitmap;
    void* bits = nullptr;
};

HWND PlainLayeredWindow() {
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"AgentBenchPlain";
    win32util::RegisterWindowClass(windowClass);
    return CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                           L"AgentBenchPlain", L"", WS_POPUP, 100, 100, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// A plain layered window's first picture: what any such window costs.
double PlainFirstFrameMs(int width, int height, const std::vector<std::uint8_t>& pixels) {
    const HWND window = PlainLayeredWindow();
    const auto start = Clock::now();
    Surface surface(width, height);
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint8_t*>(surface.bits));
    SIZE size{width, height};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, surface.dc, &source, 0, &blend, ULW_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    GdiFlush();
    const double elapsed = MillisecondsSince(start);
    DestroyWindow(window);
    return elapsed;
}

// One line of text drawn into a layered window of balloon size.
double PlainTextLineMs(HWND window) {
    const auto start = Clock::now();
    Surface surface(420, 110);
    const RECT rect{0, 0, 420, 110};
    FillRect(surface.dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT text{12, 12, 408, 98};
    DrawTextW(surface.dc, L"Hello! I am Merlin and I read aloud.", -1, &text, DT_SINGLELINE);
    SIZE size{420, 110};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, 0};
    UpdateLayeredWindow(window, nullptr, nullptr, &size, surface.dc, &source, 0, &blend, ULW_ALPHA);
    GdiFlush();
    return MillisecondsSince(start);
}

double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

void Row(const char* what, double measured, double baseline, const char* unit) {
    const double ratio = measured / std::max(baseline, 1e-3);
    std::printf("%-13s %12.2f %12.2f %-9s %9.2f\n", what, measured, baseline, unit, ratio);
}

}  // namespace

int main() {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring path = count > 1 ? args[1] : DefaultCharacter();
    LocalFree(args);

    std::ifstream file(path.c_str(), std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    const agent::format::ParseResult parsed = agent::format::ParseCharacterFile(bytes);
    if (!parsed.character) {
        std::fprintf(stderr, "agent_bench: cannot use the character file: %s\n",
                     parsed.error.empty() ? "it cannot be read" : parsed.error.c_str());
        return 1;
    }
    const agent::format::CharacterData& data = *parsed.character;
    double decodedBytes = 0;
    for (const auto& frame : data.frames) decodedBytes += static_cast<double>(frame.bgra.size());
    for (const auto& mouth : data.mouths) decodedBytes += static_cast<double>(mouth.bgra.size());

    NoEvents events;
    agent::testing::ControlOptions options;
    options.silent = true;  // the paced engine: the same timing with or without a voice
    options.traceFile = L"";

    std::vector<double> firstFrame, plainFrame, firstWord, plainLine;
    const HWND lineWindow = PlainLayeredWindow();
    for (int i = 0; i < kRepeats; ++i) {
        plainFrame.push_back(PlainFirstFrameMs(data.width, data.height, data.frames[0].bgra));
        plainLine.push_back(PlainTextLineMs(lineWindow));

        const auto control = agent::testing::CreateControl(events, nullptr, options);
        control->Characters().Load(L"Bench", path);
        agent::Character& character = control->Characters().Item(L"Bench");
        const HWND characterWindow = FindWindowOfClass(agent::win::kCharacterWindowClass);
        const HWND balloon = FindWindowOfClass(agent::win::kBalloonWindowClass);
        auto start = Clock::now();
        character.Show();
        PumpUntil([&] { return IsWindowVisible(characterWindow) != FALSE; });
        firstFrame.push_back(MillisecondsSince(start));
        PumpUntil([] { return false; }, 2000);  // the show animation ends
        start = Clock::now();
        character.Speak(L"\\Spd=150\\\\Pit=127\\Hello! I am Merlin and I read aloud.");
        PumpUntil([&] { return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0) != 0; });
        firstWord.push_back(MillisecondsSince(start));
        character.Stop();
    }

    // Paging: a long text read with every delay cut to nothing, so only the work is timed.
    double pagingPerWord = 0;
    {
        options.speedUp = 1000000;
        const auto control = agent::testing::CreateControl(events, nullptr, options);
        control->Characters().Load(L"Bench", path);
        std::wstring text;
        for (int i = 0; i < kPagingWords; ++i) text += L"word" + std::to_wstring(i) + L" ";
        const int before = events.balloonHides;
        const auto start = Clock::now();
        control->Characters().Item(L"Bench").Speak(text);
        PumpUntil([&] { return events.balloonHides > before; }, 600000);
        pagingPerWord = MillisecondsSince(start) / kPagingWords;
        options.speedUp = 1;
    }

    // Memory and idle CPU of one shown character.
    PumpUntil([] { return false; }, 200);
    const double loopCpuStart = CpuMs();
    PumpUntil([] { return false; }, kIdleSeconds * 1000);
    const double loopCpu = CpuMs() - loopCpuStart;

    const Memory before = MemoryNow();
    const auto control = agent::testing::CreateControl(events, nullptr, options);
    control->Characters().Load(L"Bench", path);
    control->Characters().Item(L"Bench").Show();
    PumpUntil([] { return false; }, 500);
    const Memory after = MemoryNow();
    const double idleCpuStart = CpuMs();
    PumpUntil([] { return false; }, kIdleSeconds * 1000);
    const double idleCpu = CpuMs() - idleCpuStart;

    agent::Character& reader = control->Characters().Item(L"Bench");
    reader.Speak(L"Hello! I am Merlin and I read aloud, and now I wait for you to go on.");
    const HWND balloon = FindWindowOfClass(agent::win::kBalloonWindowClass);
    PumpUntil([&] { return SendMessageW(balloon, agent::win::kBalloonGetWord, 0, 0) != 0; });
    reader.Pause();
    PumpUntil([] { return false; }, 1000);  // the word under way ends
    const double pausedCpuStart = CpuMs();
    PumpUntil([] { return false; }, kIdleSeconds * 1000);
    const double pausedCpu = CpuMs() - pausedCpuStart;
    reader.Stop();

    std::printf("%-13s %12s %12s %-9s %9s\n", "measure", "agent", "baseline", "unit", "ratio");
    Row("first frame", Median(firstFrame), Median(plainFrame), "ms");
    Row("first word", Median(firstWord), Median(plainLine), "ms");
    Row("paging", pagingPerWord, Median(plainLine), "ms/word");
    Row("private bytes", (after.privateBytes - before.privateBytes) / 1024.0, decodedBytes / 1024.0,
        "KiB");
    Row("working set", (after.workingSet - before.workingSet) / 1024.0, decodedBytes / 1024.0,
        "KiB");
    Row("idle CPU", idleCpu / kIdleSeconds, loopCpu / kIdleSeconds, "ms/s");
    Row("paused CPU", pausedCpu / kIdleSeconds, idleCpu / kIdleSeconds, "ms/s");
    DestroyWindow(lineWindow);
    return 0;
}
