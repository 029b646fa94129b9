// BYTEMAP: an 8-bit map of width x height cells, row-major, no gap. Used for character maps,
// plasma buffers, 1-bit pictures (0 and 255) and masks; 0 is the transparent value.
#pragma once

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

// ---- Drawing and blitting ----
