// Command1's face. The button draws itself (BS_OWNERDRAW) because Wine's Common Controls 6
// button copies the bitmap on every BM_SETIMAGE and never frees the previous copy: a reading
// changes the picture several times, and each change leaked a bitmap.
#pragma once

#include <windows.h>

namespace vocalinka {

// Draws an owner-drawn push button for WM_DRAWITEM: its frame (raised, or sunken while pushed,
// thicker at higher DPI), `picture` centred (greyed when the button is disabled) and the focus
// rectangle when the keyboard cues are shown. System colours only, so that high contrast holds.
void DrawPictureButton(const DRAWITEMSTRUCT& item, HBITMAP picture, int dpi);

}  // namespace vocalinka
