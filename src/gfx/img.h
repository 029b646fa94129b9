// IMG: one true-colour image of 0x00RRGGBB pixels, row by row from the top, no gap between
// rows; black (0) is the transparent value of every keyed blit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/report.h"

struct IMG {
    int32_t x, y;       // placement position used by other modules' drawing operations
    int32_t reserved0;  // always 0
    int32_t width, height;
    int32_t reserved1;  // always 0
    uint32_t *pixels;   // width * height, owned; pixel (c, r) is pixels[c + r * width]
};

extern ErrorReporter IMGError;  // switch off at start; line "IMG error"

// ---- Core and file formats ----

IMG *IMGNew();                                        // 16 x 16 black; null on failure
void IMGFree(IMG **image);                            // frees pixels and record, stores null
void IMGResize(IMG *image, int32_t width, int32_t height);  // new zeroed pixels, old ones dropped;
                                                      // no memory: reported, left 0 x 0 without pixels
void IMGClear(IMG *image);                            // every pixel 0
IMG *IMGCopy(const IMG *image);                       // new image, same size and pixels; null on failure
void IMGCopyTo(const IMG *source, IMG *destination);  // same size required, else reports
int IMGEqual(const IMG *a, const IMG *b);             // 1 when size and every pixel agree, else 0
uint32_t IMGGetPixel(const IMG *image, int32_t x, int32_t y);          // 0 outside
void IMGPutPixel(IMG *image, int32_t x, int32_t y, uint32_t value);    // outside is ignored
void IMGSubtract(IMG *image, uint32_t colour);        // per channel, clamped at 0
char *IMGToASCII(const IMG *image);                   // "IMG{" P3 body "}"; caller frees; null on failure
IMG *IMGFromASCII(const char *text);                  // parses IMGToASCII's form; null on failure
// PNM P1..P6 from memory. `size` bounds the read; compiled-in pictures may leave it out and
// are then trusted to hold all the cells their header announces, and nothing after it is
// read. Without a size P2 and P3 are refused (only a size tells where their last number
// ends). Null on failure.
IMG *IMGFromPNM(const void *data, size_t size = SIZE_MAX);
IMG *IMGLoadPNM(const char *path);                    // PNM P1..P6 file; null on failure
int IMGSavePPM(const IMG *image, const char *path);   // binary P6; 1 on success, 0 on failure

// ---- Drawing and blitting ----
// Black (0) is transparent for the keyed operations. A null image or a missing pixel array
// prints the error line and changes nothing; a block that misses an image is no error.

// The rectangle family: the w x h block at (sx, sy) of the source combined with the block at
// (dx, dy) of the destination, clipped to both.
void IMGBlitKeyed(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                  int32_t dy, int32_t w, int32_t h);      // d = s where s != 0
void IMGBlit(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
             int32_t dy, int32_t w, int32_t h);           // d = s
void IMGBlitAdd(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                int32_t dy, int32_t w, int32_t h);        // d + s as whole 32-bit values
void IMGBlitAddSaturate(const IMG *source, IMG *destination, int32_t sx, int32_t sy,
                        int32_t dx, int32_t dy, int32_t w,
                        int32_t h);                       // per channel, at most 255; bits 24-31 clear
// Keyed; source pixel (sx + i, sy + j) lands at (dx + i * stepX, dy + j * stepY) when its
// stepX x stepY spot lies wholly inside the destination. Steps below 1 report.
void IMGBlitSpaced(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                   int32_t dy, int32_t w, int32_t h, int32_t stepX, int32_t stepY);
// The whole source at (x, y); where s != 0, d = ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F).
void IMGBlendHalf(const IMG *source, IMG *destination, int32_t x, int32_t y);
// Row a of the source into row b of the destination from column offset mod width, wrapping
// at the right edge; min(source width, destination width) pixels. Rows outside report.
void IMGBlitRowWrap(const IMG *source, IMG *destination, int32_t a, int32_t b,
                    int32_t offset);                      // keyed
void IMGOrRowWrap(const IMG *source, IMG *destination, int32_t a, int32_t b,
                  int32_t offset);                        // d = d | s, every pixel
// Column a into column b from row offset mod height, wrapping at the bottom edge; keyed.
void IMGBlitColumnWrap(const IMG *source, IMG *destination, int32_t a, int32_t b,
                       int32_t offset);
// The first min(source width, destination width) pixels of row a into row b.
void IMGCopyRow(const IMG *source, IMG *destination, int32_t a, int32_t b);
void IMGAnd(const IMG *mask, IMG *image);  // image &= mask pixel by pixel; sizes must match, else reports
#ifndef _WIN32
void IMGInvert(IMG *image);                // every pixel (~p) & 0x00FFFFFF
#else
// The whole source at its own x, y; every covered pixel d + s as whole values, black included.
void IMGAddAt(const IMG *source, IMG *destination);
#endif
void IMGScale(const IMG *source, IMG *destination);  // nearest neighbour to the destination's size
IMG *IMGRotate(const IMG *source, int32_t angle);    // new, about sqrt 2 larger; 1024 a turn; null on failure
// Boxes must lie wholly inside (no clipping): otherwise the error line and nothing drawn.
void IMGFillBox(IMG *image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
void IMGBox(IMG *image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);  // outline
// 4 x 256 points through the sine table; the centre must be inside and the radius at least 1.
void IMGCircle(IMG *image, int32_t cx, int32_t cy, int32_t radius, uint32_t colour);
// New table of min(|a|, |b|) + 1 run lengths spreading the larger size over the smaller;
// the caller frees it. Null on failure.
int32_t *IMGRunTable(int32_t a, int32_t b);
// New array: 2n + 2, then the n + 1 points (x, y) of the line, both ends included; the caller
// frees it. Null on failure.
int32_t *IMGLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
