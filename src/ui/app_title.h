// The program's own texts: those every part of it shares, and the main window's. Portable.
#pragma once

#include <string_view>

namespace vocalinka {

// The program's title: the About box shows it, and a window that bears it is never read from.
inline constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";
// The caption of the small main window.
inline constexpr wchar_t kMainCaption[] = L"Vocalinka";

// Command1's accessible names: what a click will do.
inline constexpr wchar_t kReadName[] = L"Read selection aloud";
inline constexpr wchar_t kStopName[] = L"Stop reading";

// Why a reading did not copy the selection.
inline constexpr wchar_t kClipboardTooLargeMessage[] =
    L"The clipboard holds too much to be put back after copying (more than 64 MB), so the "
    L"selection was not copied and the clipboard was left as it is.\r\n\r\nCopy something "
    L"smaller, or empty the clipboard, and click again.";
inline constexpr wchar_t kClipboardUnkeepableMessage[] =
    L"The clipboard holds something that could not be put back after copying, so the selection "
    L"was not copied and the clipboard was left as it is.\r\n\r\nCopy something else, or "
    L"empty the clipboard, and click again.";
inline constexpr wchar_t kElevatedTargetMessage[] =
    L"Vocalinka cannot read from a program running as administrator: Windows keeps other "
    L"programs from reaching into it.\r\n\r\nTo read from it, run Vocalinka as administrator "
    L"too.";

// Joins the lines of the profile text and of multi-line messages.
inline constexpr std::string_view LineBreak = "\r\n";

}  // namespace vocalinka
