// The program's own texts that every part of it shares. Portable.
#pragma once

#include <string_view>

namespace vocalinka {

// The program's title: the About box shows it, and a window that bears it is never read from.
inline constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";
// The caption of the small main window.
inline constexpr wchar_t kMainCaption[] = L"Vocalinka";

// Joins the lines of the profile text and of multi-line messages.
inline constexpr std::string_view LineBreak = "\r\n";

}  // namespace vocalinka
