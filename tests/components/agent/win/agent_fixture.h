// Runs a real Control on the test's thread: a character written by the format library into a
// temporary folder, the paced engine, a clock twenty times faster, and a message pump that
// waits for a condition, bounded.
#pragma once

#include <agent/agent.h>
#include <agent/agent_testing.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace agent::win::testing {

class RecordingEvents final : public Events {
public:
    void BalloonHide(const std::wstring& characterId) override {
        log.push_back(L"BalloonHide " + characterId);
    }
    void Hide(const std::wstring& characterId, HideCause cause) override {
        log.push_back(L"Hide " + characterId + L" " + std::to_wstring(static_cast<int>(cause)));
    }
    std::vector<std::wstring> log;
};

class AgentFixture : public ::testing::Test {
protected:
    static constexpr int kSpeedUp = 20;
    void SetUp() override;
    void TearDown() override;

    // Dispatches messages until done() holds or the bound passes; false on the bound.
    bool PumpUntil(const std::function<bool()>& done, int boundMs = 15000);
    // Dispatches whatever arrives for a while.
    void PumpFor(int ms);
    bool PumpUntilEvents(std::size_t count, int boundMs = 15000) {
        return PumpUntil([&] { return events.log.size() >= count; }, boundMs);
    }

    Character& LoadTest(const std::wstring& id = L"Test");
    // The character's or balloon window of the character with this id, or null.
    HWND CharacterWindow(const std::wstring& id = L"Test") const;
    HWND BalloonWindow(const std::wstring& id = L"Test") const;
    std::vector<std::string> TraceLines() const;
    static void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes);

    std::wstring folder;
    std::wstring characterPath;
    std::wstring tracePath;
    RecordingEvents events;
    agent::testing::ControlOptions options;
    std::unique_ptr<Control> control;
};

RECT WorkAreaOf(HWND window);
bool Inside(const RECT& outer, const RECT& inner);

}  // namespace agent::win::testing
