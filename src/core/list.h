// LIST: an ordered, growable array of borrowed, untyped pointers. Never frees what it holds.
#pragma once

#include <cstdint>

#include "core/report.h"

struct LIST {
    int32_t capacity;  // slots allocated: 2, 4, 8, ...
    int32_t count;     // slots in use, positions 0..count-1
    void **items;      // capacity slots, owned, zero-filled when allocated
};

extern ErrorReporter LISTError;  // switch off at start; line "LIST error"
