// Runs a real Control on the test's thread: a small character written by the format library
// into a temporary folder, the paced engine, a clock twenty times faster, and a message pump
// that waits for a condition, bounded.
#pragma once

#include <agent/agent.h>
#include <agent/agent_testing.h>
#include <agent/format/character_file.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace agent::win::testing {

using Log = std::vector<std::wstring>;

// Opaque frames, every animation a character needs and five mouth overlays.
inline std::vector<std::uint8_t> TestCharacterFile() {
    format::CharacterData c{.name = "Test", .width = 64, .height = 80, .balloonAnchor = {32, 20}};
    c.frames.assign(7, {std::vector<std::uint8_t>(64 * 80 * 4, 255)});
    for (format::MouthOverlay& mouth : c.mouths) {
        mouth = {24, 50, 16, 4, std::vector<std::uint8_t>(16 * 4 * 4, 255)};
    }
    c.animations = {{"Show", false, {{0, 100}, {1, 100}}},
                    {"Idle", true, {{2, 3000}, {3, 100}}},
                    {"Hide", false, {{4, 100}, {5, 100}}},
                    {"Speak", true, {{6, 250}}}};
    return format::WriteCharacterFile(c);
}

class RecordingEvents final : public Events {
public:
    void BalloonHide(const std::wstring& characterId) override {
        log.push_back(L"BalloonHide " + characterId);
    }
    void Hide(const std::wstring& characterId, HideCause cause) override {
        log.push_back(L"Hide " + characterId + L" " + std::to_wstring(static_cast<int>(cause)));
    }
    Log log;
};

class AgentFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder);
        WriteBytes(characterPath, TestCharacterFile());
        control = agent::testing::CreateControl(events, nullptr, options);
    }
    void TearDown() override {
        control.reset();
        PumpFor(20);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Dispatches messages until done() holds or the bound passes; false on the bound.
    bool PumpUntil(const std::function<bool()>& done, int boundMs = 15000) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(boundMs);
        while (true) {
            // One message at a time: a busy component keeps the queue full, and the condition
            // must be seen while it holds, not only once the queue runs dry.
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
                if (done()) return true;
            }
            if (done()) return true;
            if (GetTickCount64() > deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
    void PumpFor(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    bool PumpUntilEvents(std::size_t count, int boundMs = 15000) {
        return PumpUntil([&] { return events.log.size() >= count; }, boundMs);
    }

    Character& LoadTest(const std::wstring& id = L"Test") {
        control->Characters().Load(id, characterPath);
        return control->Characters().Item(id);
    }
    // The character window (titled with the id) or its balloon window; null when there is none.
    static HWND CharacterWindow(const std::wstring& id = L"Test") {
        return WindowOfThisThread(agent::testing::kCharacterWindowClass, id.c_str(), nullptr);
    }
    static HWND BalloonWindow(const std::wstring& id = L"Test") {
        const HWND owner = CharacterWindow(id);
        return owner ? WindowOfThisThread(agent::testing::kBalloonWindowClass, nullptr, owner)
                     : nullptr;
    }
    static HWND WindowOfThisThread(const wchar_t* className, const wchar_t* title, HWND owner) {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, className, title));) {
            if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
                (!owner || GetWindow(window, GW_OWNER) == owner)) {
                return window;
            }
        }
        return nullptr;
    }

    std::vector<std::string> TraceLines() const {
        std::ifstream file(std::filesystem::path(tracePath), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) lines.push_back(line);
        return lines;
    }
    static void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(std::filesystem::path(path), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    const std::wstring folder = std::filesystem::temp_directory_path() /
                                (L"agent_win_test_" + std::to_wstring(GetCurrentProcessId()) +
                                 L"_" + std::to_wstring(GetTickCount64()));
    const std::wstring characterPath = folder + L"\\Test.acs";
    const std::wstring tracePath = folder + L"\\trace.txt";
    RecordingEvents events;
    // Silent, twenty times faster, and no language components: the built-in English texts.
    agent::testing::ControlOptions options{
        .silent = true, .speedUp = 20, .intlFolder = folder + L"\\Intl", .traceFile = tracePath};
    std::unique_ptr<Control> control;
};

}  // namespace agent::win::testing
