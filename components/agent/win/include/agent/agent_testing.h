// What tests and benchmarks of the Agent component need beyond the program's API: a Control
// with a faster clock and without SAPI, and the names and private messages of its windows so
// that they can be found and asked what they show.
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

// Window classes: every character has one character window and one balloon window, both
// top-level windows of the thread that created the Control. The character window's title is
// the character id.
inline constexpr wchar_t kCharacterWindowClass[] = L"VocalinkaAgentCharacter";
inline constexpr wchar_t kBalloonWindowClass[] = L"VocalinkaAgentBalloon";

// WM_COMMAND identifier of the character window's pop-up menu command "Hide".
inline constexpr UINT kHideCommand = 101;

// Sent to a character window: its pop-up menu as it would open now; the caller destroys it.
inline constexpr UINT kCharacterGetMenu = WM_APP + 43;

// Sent to a balloon window: the offset in the shown text of the marked word, plus one; 0 when
// no word is marked yet or the balloon is closed.
inline constexpr UINT kBalloonGetWord = WM_APP + 40;

// Sent to a balloon window: the offsets where the page shown begins and ends, plus one; 0
// when the balloon is closed.
inline constexpr UINT kBalloonGetPageBegin = WM_APP + 41;
inline constexpr UINT kBalloonGetPageEnd = WM_APP + 42;

}  // namespace agent::testing
