// BYTEMAP: an 8-bit map of width x height cells, row-major, no gap. Used for character maps,
// plasma buffers, 1-bit pictures (0 and 255) and masks; 0 is the transparent value.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/report.h"

struct BYTEMAP {
    int32_t x, y;       // placement position used by other modules' drawing operations
    int32_t reserved0;  // always 0
    int32_t width, height;
    int32_t reserved1;  // always 0
    uint8_t *data;      // width * height cells, owned; cell (c, r) is data[r * width + c]
};

extern ErrorReporter BYTEMAPError;  // switch off at start; line "BYTEMAP error"

// ---- Core and file formats ----

BYTEMAP *BYTEMAPNew();                                // 16 x 16 zeros; null on failure
void BYTEMAPFree(BYTEMAP **map);                      // frees data and record, stores null
void BYTEMAPResize(BYTEMAP *map, int32_t width, int32_t height);  // new zeroed cells, old ones dropped
void BYTEMAPClear(BYTEMAP *map);                      // every cell 0
uint8_t BYTEMAPGetPixel(const BYTEMAP *map, int32_t x, int32_t y);        // 0 outside
void BYTEMAPPutPixel(BYTEMAP *map, int32_t x, int32_t y, int32_t value);  // low byte; outside ignored
BYTEMAP *BYTEMAPCopy(const BYTEMAP *map);             // new map, same size and cells; null on failure
void BYTEMAPCopyTo(const BYTEMAP *source, BYTEMAP *destination);  // same size required, else reports
int BYTEMAPEqual(const BYTEMAP *a, const BYTEMAP *b); // 1 when size and every cell agree, else 0
char *BYTEMAPToASCII(const BYTEMAP *map);             // "BYTEMAP{" P3 body "}"; caller frees; null on failure
BYTEMAP *BYTEMAPFromASCII(const char *text);          // parses BYTEMAPToASCII's form; null on failure
BYTEMAP *BYTEMAPLoadPNM(const char *path);            // PNM P1..P6 file; null on failure
// PNM P1..P6 from memory. `size` bounds the read; compiled-in pictures may leave it out and
// are then trusted to hold the whole raster their header announces. Null on failure.
BYTEMAP *BYTEMAPFromPNM(const void *data, size_t size = SIZE_MAX);
int BYTEMAPSavePGM(const BYTEMAP *map, const char *path);  // binary P5; 1 on success, 0 on failure

// ---- Drawing and blitting ----
