// LIST: an ordered, growable array of borrowed, untyped pointers. Never frees what it holds.
// Capacity starts at 2 and only ever doubles; slots past count are not kept clean.
#pragma once

#include <cstdint>

#include "core/report.h"

struct LIST {
    int32_t capacity;  // slots allocated: 2, 4, 8, ...
    int32_t count;     // slots in use, positions 0..count-1
    void **items;      // capacity slots, owned, zero-filled when allocated
};

extern ErrorReporter LISTError;  // switch off at start; line "LIST error"

// ---- Common operations ----
LIST *LISTNew();                                       // capacity 2, count 0; null on failure
void LISTFree(LIST **list);                            // frees slots and record, stores null; items untouched
char *LISTToASCII(const LIST *list);                   // no text form: always null (reports a null list)
LIST *LISTFromASCII(const char *text);                 // no text form: always null (reports a null text)
int32_t LISTEqual(const LIST *a, const LIST *b);       // 1 when same count and same pointers in order (both null: 1)
LIST *LISTCopy(const LIST *list);                      // new list, same pointers in the same order; null on failure

// ---- Editing ----
// The three operations that may grow return 1 when the item(s) went in and 0 when they were
// refused (bad argument, or the slot array could not grow: the list then stays as it was).
int32_t LISTAppend(LIST *list, void *item);            // stores at position count, doubling first when full
int32_t LISTInsert(LIST *list, void *item, int32_t position);  // position 0..count; later items move up
void LISTRemove(LIST *list, int32_t position);         // position 0..count-1; later items move down, old last slot nulled
void *LISTPop(LIST *list);                             // removes and returns the last item; null (reported) when empty
void *LISTGet(const LIST *list, int32_t position);     // item at 0..count-1, or null
void LISTSet(LIST *list, void *item, int32_t position);  // replaces the item at 0..count-1
int32_t LISTFind(const LIST *list, const void *item);  // first position holding item, or -1 (null item: -1)

// ---- Ranges (first inclusive, end exclusive, first < end) ----
LIST *LISTSub(const LIST *list, int32_t first, int32_t end);  // new list of positions first..end-1, or null
void LISTRemoveRange(LIST *list, int32_t first, int32_t end);  // later items move down to first
int32_t LISTInsertRange(const LIST *source, LIST *target, int32_t first, int32_t end,
                        int32_t position);             // source first..end-1 into target at position (may be the same list); 1 or 0
int32_t LISTGrow(LIST *list);                          // doubles the capacity; 1, or 0 with the list unchanged
