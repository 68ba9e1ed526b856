// How the component's windows are found and asked what they show: their class names and
// private query messages. For the component's own sources, its tests and its benchmarks; not
// part of the program's API.
#pragma once

#include <windows.h>

namespace agent::win {

// Every character has one character window and one balloon window, both top-level windows of
// the thread that created the Control. The character window's title is the character id.
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

}  // namespace agent::win
