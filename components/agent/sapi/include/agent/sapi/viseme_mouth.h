// SAPI 5 voices report 22 visemes (SPVISEMES: SP_VISEME_0 silence to SP_VISEME_21 p b m); the
// character draws 5 mouth shapes. Portable: no <windows.h>.
#pragma once

#include "agent/core/speech_engine.h"

namespace agent::sapi {

inline constexpr int kVisemeCount = 22;

// By the lips' opening and rounding while the sound is made:
//   Closed  0 silence, 21 p b m
//   Small   6 y iy ih ix, 13 r, 14 l, 15 s z, 16 sh ch jh zh, 17 th dh, 18 f v, 19 d t n,
//           20 k g ng
//   Medium  1 ae ax ah, 4 ey eh uh, 5 er, 12 h
//   Wide    2 aa, 9 aw, 11 ay
//   Round   3 ao, 7 w uw, 8 ow, 10 oy
// An id outside 0..21 (a voice's own extension) is Small: the mouth keeps moving a little.
core::Mouth MouthForViseme(int viseme);

}  // namespace agent::sapi
