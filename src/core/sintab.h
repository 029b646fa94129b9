// The sine table: one period of a sine in 1024 signed 16-bit entries, amplitude 32766.
// Entry k is about 32767 * sin(2 pi k / 1024); wrap an index with `& SINMASK` or `% SINSIZE`.
// Used by the rotations and circles of the images and maps, the plasma and the scroller scene.
#pragma once

#include <cstdint>

extern const int16_t SINTAB[1024];  // 0..255 rising, 256..511 mirrored, 512..1023 negated
extern int32_t SINSIZE;             // 1024
extern int32_t SINMASK;             // 1023
