#pragma once

namespace vocalinka {

// The program's title: the About box shows it, and a window that bears it is never read from.
inline constexpr wchar_t kApplicationTitle[] = L"Vocalinka 'Parlemot'";
// The caption of the small main window.
inline constexpr wchar_t kMainCaption[] = L"Vocalinka";

}  // namespace vocalinka
