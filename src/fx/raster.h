// RASTER: scrolling colour bars. Every pixel row of an IMG is filled with one colour of a
// circular colour table, the table position advancing one entry per row; a 16.16 fixed-point
// phase moves the whole pattern from frame to frame.
#pragma once

#include <cstdint>

#include "core/report.h"
#include "gfx/img.h"

struct RASTER {
    int32_t phase;    // 16.16: table position of row 0 (phase >> 16); 0 <= phase <= count << 16
    int32_t speed;    // 16.16: added to phase by RASTERAdvance; 0x10000 (one entry) when new
    int32_t count;    // colours in the table, 0..RASTER_MAX_COUNT
    uint32_t *table;  // count colours 0x00RRGGBB, owned
};

// The largest table: count << 16 must stay a signed 32-bit phase.
constexpr int32_t RASTER_MAX_COUNT = 32767;

extern ErrorReporter RASTERError;  // switch off at start; line "RASTER error"

RASTER *RASTERNew();                      // phase 0, speed 0x10000, 256 black colours; null on failure
void RASTERFree(RASTER **raster);         // frees table and record, stores null
char *RASTERToASCII(const RASTER *raster);    // no text form: always null
RASTER *RASTERFromASCII(const char *text);    // no text form: always null
int RASTEREqual(const RASTER *a, const RASTER *b);  // 1 when counts and all colours match
RASTER *RASTERCopy(const RASTER *raster);    // same count, phase, speed and colours; null on failure
// count black colours, phase 0, speed kept. A count outside 0..RASTER_MAX_COUNT or a failed
// allocation reports and keeps the old table.
void RASTERResize(RASTER *raster, int32_t count);
void RASTERClear(RASTER *raster);         // every colour black
// Colour table files: a little-endian signed 32-bit count (1..RASTER_MAX_COUNT), then that many
// little-endian 32-bit colours, nothing after them; the layout of the compiled-in tables.
RASTER *RASTERLoad(const char *path);     // new raster (phase 0, speed 0x10000) or null
int RASTERSave(const RASTER *raster, const char *path);  // 1 written, 0 on failure
// Row y gets table[((phase >> 16) + y) mod count], for every row of the image.
void RASTERDraw(const RASTER *raster, IMG *image);
// The same walk, each row mixed towards its colour by alpha/256 (0 keeps, 256 replaces).
void RASTERDrawBlended(const RASTER *raster, IMG *image, int32_t alpha);
// phase += speed, wrapped into 0..(count << 16); speed 0x10000 moves the bars up one row.
void RASTERAdvance(RASTER *raster);
// Each colour becomes the mean of 2n + 2 terms: itself twice and n neighbours on each side,
// wrapping past the end and reflecting at the start (entry |i - k|). n >= 1.
void RASTERSmooth(RASTER *raster, int32_t n);
// Sets pixels first..last of one row, clipped to the image; a row outside it is skipped.
void RASTERFillRow(IMG *image, uint32_t colour, int32_t row, int32_t first, int32_t last);
// Mixes pixels first..last of one row towards colour: per channel (old (256 - alpha) +
// colour alpha) >> 8, alpha clamped to 0..256; clipped like RASTERFillRow.
void RASTERBlendRow(IMG *image, uint32_t colour, int32_t row, int32_t first, int32_t last,
                    int32_t alpha);
