// SAMPLE: a growable array of signed 32-bit sound values, one mono value at 44,100 per second.
#pragma once

#include <cstdint>

#include "core/report.h"

struct SAMPLE {
    int32_t length;    // values in use
    int32_t capacity;  // values allocated
    int32_t *values;   // capacity values, owned, zero-filled
};

extern ErrorReporter SAMPLEError;  // the module's error switch and line
