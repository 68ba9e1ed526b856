// Runs a real Control on the test's thread: a small character written by the format library
// into a temporary folder, the paced engine, a clock twenty times faster, and a bounded pump.
#pragma once

#include <agent/agent.h>
#include <agent/agent_testing.h>
#include <agent/format/character_file.h>
#include <gtest/gtest.h>
#include <test_support/temporary_folder.h>
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
    for (auto& mouth : c.mouths) mouth = {24, 50, 16, 4, std::vector<std::uint8_t>(256, 255)};
    c.animations = {{"Show", false, {{0, 100}, {1, 100}}},
                    {"Idle", true, {{2, 3000}, {3, 100}}},
                    {"Hide", false, {{4, 100}, {5, 100}}},
                    {"Speak", true, {{6, 250}}}};
    return format::WriteCharacterFile(c);
}

class RecordingEvents final : public Events {
public:
    void BalloonHide(const std::wstring& id) override { log.push_back(L"BalloonHide " + id); }
    void Hide(const std::wstring& id, HideCause cause) override {
        log.push_back(L"Hide " + id + L" " + std::to_wstring(static_cast<int>(cause)));
    }
    Log log;
};

class AgentFixture : public ::testing::Test {
protected:
    void SetUp() override {
        WriteBytes(characterPath, TestCharacterFile());
        control = agent::testing::CreateControl(events, nullptr, options);
    }
    void TearDown() override {
        control.reset();
        PumpFor(20);
    }

    // False when the bound passes first. A busy component keeps the queue full: check after
    // each message (which the shared pump, emptying the queue first, would not).
    static bool PumpUntil(const std::function<bool()>& done, int boundMs = 15000) {
        const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(boundMs);
        for (MSG message; !done();) {
            if (GetTickCount64() > deadline) return false;
            if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            }
        }
        return true;
    }
    static void PumpFor(int ms) {
        PumpUntil([] { return false; }, ms);
    }
    bool PumpUntilEvents(std::size_t count) {
        return PumpUntil([&] { return events.log.size() >= count; });
    }
    static bool PumpUntilVisible(HWND window) {
        return PumpUntil([=] { return IsWindowVisible(window) != FALSE; });
    }

    Character& LoadTest(const std::wstring& id = L"Test") {
        control->Characters().Load(id, characterPath);
        return control->Characters().Item(id);
    }
    // The character window, titled with the id, and the balloon window it owns; null if none.
    static HWND CharacterWindow(const std::wstring& id = L"Test") {
        return FindWindowExW(nullptr, nullptr, agent::testing::kCharacterWindowClass, id.c_str());
    }
    static HWND BalloonWindow() {
        HWND balloon = nullptr;
        do {
            balloon = FindWindowExW(nullptr, balloon, agent::testing::kBalloonWindowClass, nullptr);
        } while (balloon && GetWindow(balloon, GW_OWNER) != CharacterWindow());
        return balloon;
    }

    static void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(std::filesystem::path(path), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes));
    }

    const vocalinka::test::TemporaryFolder temporary{L"agent-win"};
    const std::wstring folder = temporary.Path();
    const std::wstring characterPath = folder + L"\\Test.acs";
    RecordingEvents events;
    // Silent, twenty times faster, and no language components: the built-in English texts.
    agent::testing::ControlOptions options{.silent = true,
                                           .speedUp = 20,
                                           .intlFolder = folder + L"\\Intl",
                                           .traceFile = folder + L"\\trace.txt"};
    std::unique_ptr<Control> control;
};

}  // namespace agent::win::testing
