// What tests and benchmarks of the Agent component need beyond the program's API: a Control
// with a faster clock and without SAPI.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "agent/agent.h"

namespace agent::testing {

struct ControlOptions {
    // Never try SAPI: every utterance is paced silently, as when no voice can speak.
    bool silent = false;
    // Every delay of the component (animation, pacing, balloon linger) is divided by this.
    int speedUp = 1;
    // Where the language components are; empty: <Windows>\Msagent\Intl.
    std::wstring intlFolder;
    // The trace file; unset: read from the registry as usual; empty: no trace.
    std::optional<std::wstring> traceFile;
};

std::unique_ptr<Control> CreateControl(Events& events, HWND anchor, const ControlOptions& options);

}  // namespace agent::testing
