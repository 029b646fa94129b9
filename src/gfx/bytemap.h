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
void BYTEMAPResize(BYTEMAP *map, int32_t width, int32_t height);  // new zeroed cells, old ones dropped;
                                                      // no memory: reported, left 0 x 0 without cells
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
// are then trusted to hold all the cells their header announces, and nothing after it is
// read. Without a size P2 and P3 are refused (only a size tells where their last number
// ends). Null on failure.
BYTEMAP *BYTEMAPFromPNM(const void *data, size_t size = SIZE_MAX);
int BYTEMAPSavePGM(const BYTEMAP *map, const char *path);  // binary P5; 1 on success, 0 on failure

// ---- Drawing and blitting ----
// A null map or a missing cell array runs the error routine and changes nothing; a block
// that misses a map is no error. 0 is transparent for the keyed copies; values are stored as
// their low byte.

struct IMG;
struct LIST;

// The w x h block at (sx, sy) of the source onto (dx, dy) of the destination, clipped to both.
void BYTEMAPBlitKeyed(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                      int32_t dx, int32_t dy, int32_t w, int32_t h);  // 0 cells skipped
void BYTEMAPBlit(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                 int32_t dx, int32_t dy, int32_t w, int32_t h);       // every cell
// Keyed; source cell (sx + i, sy + j) lands at (dx + i * stepX, dy + j * stepY), dropped
// outside the destination. Steps below 1 report.
void BYTEMAPBlitSpaced(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                       int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t stepX,
                       int32_t stepY);
// The whole source at (dx, dy), clipped; every covered cell (s + d) / 2, 0 included.
void BYTEMAPBlendHalf(const BYTEMAP *source, BYTEMAP *destination, int32_t dx, int32_t dy);
// Row a into row b from column offset mod width, wrapping; min of the widths cells.
void BYTEMAPBlitRowWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                        int32_t offset);  // keyed
void BYTEMAPOrRowWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                      int32_t offset);    // d | s, every cell
// Column a into column b from row offset mod height, wrapping; keyed.
void BYTEMAPBlitColumnWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                           int32_t offset);
void BYTEMAPAnd(const BYTEMAP *mask, BYTEMAP *target);  // target &= mask; sizes must match
// Pixel k = colour table slot [cell k] (0x00RRGGBB values held in the slots). Same size and a
// table of at least 256 slots required.
void BYTEMAPToIMG(const BYTEMAP *map, IMG *image, const LIST *colours);
void BYTEMAPScale(const BYTEMAP *source, BYTEMAP *destination);  // nearest neighbour to the destination's size
BYTEMAP *BYTEMAPRotate(const BYTEMAP *source, int32_t angle);    // new, about sqrt 2 larger; null on failure

// Boxes must lie wholly inside: otherwise the error routine and nothing drawn.
void BYTEMAPFillBox(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
// Negative sizes move the corner first; clipped to the map, no error when outside.
void BYTEMAPFillBoxClipped(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h,
                           int32_t value);
void BYTEMAPBox(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value);
// Cells (x, y) to (x + length, y), clipped; row outside, x >= width or x + length < 0 report.
void BYTEMAPHLine(BYTEMAP *map, int32_t x, int32_t y, int32_t length, int32_t value);
// Cells (x, y) to (x, y + length), clipped; column outside, y >= height or y + length < 0 report.
void BYTEMAPVLine(BYTEMAP *map, int32_t x, int32_t y, int32_t length, int32_t value);
// Fixed-point line towards (x1, y1), that end cell excluded; cells outside are skipped.
void BYTEMAPLine(BYTEMAP *map, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t value);
// 4 x 256 cells through the sine table; the centre must be inside and the radius at least 1.
void BYTEMAPCircle(BYTEMAP *map, int32_t cx, int32_t cy, int32_t radius, int32_t value);

// Whole-map arithmetic, every cell in place.
void BYTEMAPReplace(BYTEMAP *map, int32_t from, int32_t to);  // cells equal to from's low byte become to
void BYTEMAPAdd(BYTEMAP *map, int32_t value);                 // modulo 256
void BYTEMAPSubtract(BYTEMAP *map, int32_t value);            // minus value's low byte, clamped at 0
void BYTEMAPInvert(BYTEMAP *map);                             // 255 - cell
void BYTEMAPLookup(BYTEMAP *map, const BYTEMAP *table);       // table cell [cell]; table of 256 cells or more
// base + (mask & the next value of the system's random generator), from the last cell back.
void BYTEMAPRandom(BYTEMAP *map, int32_t base, int32_t mask);

// New table of min(|a|, |b|) + 1 run lengths (caller frees); null on failure.
int32_t *BYTEMAPRunTable(int32_t a, int32_t b);
// New array: 2n + 2, then the n + 1 cells (x, y) of the line, both ends (caller frees); null on failure.
int32_t *BYTEMAPLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
