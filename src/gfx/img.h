// IMG: one true-colour raster of 0x00RRGGBB pixels, row by row from the top, no gap between
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
void IMGResize(IMG *image, int32_t width, int32_t height);  // new zeroed pixels, old ones dropped
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
// are then trusted to hold the whole raster their header announces. Null on failure.
IMG *IMGFromPNM(const void *data, size_t size = SIZE_MAX);
IMG *IMGLoadPNM(const char *path);                    // PNM P1..P6 file; null on failure
int IMGSavePPM(const IMG *image, const char *path);   // binary P6; 1 on success, 0 on failure

// ---- Drawing and blitting ----
