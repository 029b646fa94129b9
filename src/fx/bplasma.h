// BPLASMA: the sum-of-sines plasma, computed into a BYTEMAP one frame at a time. Two horizontal
// and two vertical waves are read from SINTAB and added per cell; their phases drift with every
// step, so the pattern moves and morphs. Cells hold 0..255 centred on 128.
#pragma once

#include <cstdint>

#include "core/report.h"
#include "gfx/bytemap.h"

// One wave: a position in SINTAB, advanced by `step` every frame and by `stride` per cell.
struct BPLASMAWave {
    int32_t phase;   // SINTAB position, kept within 0..1023 by BPLASMAStep
    int32_t step;    // added to phase by every BPLASMAStep
    int32_t stride;  // added to the table position from one cell to the next
};

struct BPLASMA {
    int32_t x, y;       // zero; not used by the plasma
    int32_t reserved0;  // zero
    int32_t width, height;
    int32_t reserved1;  // zero
    // wave[0], wave[1]: horizontal (vary with the column); wave[2], wave[3]: vertical (vary with
    // the row); wave[4], wave[5]: stepped with the others but not drawn.
    BPLASMAWave wave[6];
    BYTEMAP *map;    // width x height cells, owned: the picture drawn by BPLASMADraw
    int32_t *xwave;  // width entries, owned: per-column sum of waves 1 and 2, last column first
    int32_t *ywave;  // height entries, owned: per-row sum of waves 3 and 4, last row first
};

extern ErrorReporter BPLASMAError;  // switch off at start; line "BPLASMA Error."

BPLASMA *BPLASMANew();                     // 256 x 256, default waves, map all 0; null on failure
void BPLASMAFree(BPLASMA **plasma);        // frees map, tables and record, stores null
char *BPLASMAToASCII(const BPLASMA *plasma);  // the plasma has no text form: always null
BPLASMA *BPLASMAFromASCII(const char *text);  // no text form: always null
int BPLASMAEqual(const BPLASMA *a, const BPLASMA *b);  // 1 when sizes, waves and map cells match
BPLASMA *BPLASMACopy(const BPLASMA *plasma);  // same size, waves, map and tables; null on failure
// New zeroed map and tables of width x height; on a bad size or a failed allocation reports
// and keeps the old ones.
void BPLASMAResize(BPLASMA *plasma, int32_t width, int32_t height);
void BPLASMAStep(BPLASMA *plasma);         // phase = (phase + step) & 1023 for all six waves
// Rebuilds xwave, ywave and every map cell: cell (u, v) =
// ((S(p1 + u s1) + S(p2 + u s2) + S(p3 + v s3) + S(p4 + v s4)) >> 10) + 128, S(k) = SINTAB[k & 1023].
void BPLASMADraw(BPLASMA *plasma);
