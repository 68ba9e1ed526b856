// What the reading tests share: the program under test seen from outside (its button's
// picture, the Agent trace), and the windows it reads from.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "peer_windows.h"
#include "program_under_test.h"
#include "trace_reader.h"

namespace e2e {

class ReadingE2E : public testing::Test {
protected:
    void StartProgram(const std::string& profile = {});
    bool Busy() const;
    bool Idle() const;
    std::size_t Count(const std::string& kind, const std::string& name) const {
        return trace_.Find(kind, name).size();
    }
    bool WaitForCount(const std::string& kind, const std::string& name, std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds{20}) const {
        return PumpUntil([&] { return Count(kind, name) >= count; }, timeout);
    }
    void Click() const;
    // Waits for the greeting to end, so that a reading starts from the idle picture.
    void WaitForGreetingToEnd() const;

    Trace trace_;  // before the program, which reads the setting when it starts
    ProgramUnderTest program_;
    HWND command1_ = nullptr;
    HWND image1_ = nullptr;
    HWND image2_ = nullptr;
};

}  // namespace e2e
