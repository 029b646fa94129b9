// IMG: one true-colour raster of 0x00RRGGBB pixels, row by row from the top, no gap between
// rows; black (0) is the transparent value of every keyed blit.
#pragma once

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

// ---- Drawing and blitting ----
