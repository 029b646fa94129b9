// SAMPLE: a growable array of signed 32-bit sound values, one mono value at 44,100 per second.
// All arithmetic is plain 32-bit two's-complement: it wraps, never clamps; right shifts of
// negative values are arithmetic. Operations check their arguments first; a bad argument is
// reported and leaves the sample unchanged with a neutral result (null, 0, -1).
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/report.h"

struct SAMPLE {
    int32_t length;    // values in use
    int32_t capacity;  // values allocated
    int32_t *values;   // capacity values, owned, zero-filled
};

extern ErrorReporter SAMPLEError;  // the module's error switch and line "SAMPLE error"

// ---- Common operations ----
SAMPLE *SAMPLENew();                                  // length 0, capacity 32, zeroed; null on failure
void SAMPLEFree(SAMPLE **sample);                     // frees values and record, stores null; reports a null address or pointer
SAMPLE *SAMPLECopy(const SAMPLE *sample);             // same values, capacity = length (32 when empty); null on failure
int32_t SAMPLEEqual(const SAMPLE *a, const SAMPLE *b);  // 1 when same length and values; 0 (reported) otherwise
char *SAMPLEToASCII(const SAMPLE *sample);            // "SAMPLE{" count, values one per line "}\n"; caller frees; null on failure
SAMPLE *SAMPLEFromASCII(const char *text);            // reads that form; null (reported) when malformed or truncated

// ---- Storage ----
int32_t SAMPLEReserve(SAMPLE *sample, int32_t n);     // capacity becomes exactly n > 0, the tail past n is dropped; 1, or 0 unchanged
int32_t SAMPLESetLength(SAMPLE *sample, int32_t n);   // n >= 0, reserving exactly n when needed; 1, or 0 unchanged
void SAMPLEZero(SAMPLE *sample);                      // values 0..length-1 become 0

// ---- Element access (positions 0..length-1) ----
int32_t SAMPLEGet(const SAMPLE *sample, int32_t i);   // value at i, or 0
void SAMPLESet(SAMPLE *sample, int32_t v, int32_t i); // stores v at i
int32_t SAMPLEFind(const SAMPLE *sample, int32_t v, int32_t from);  // first position >= from holding v, or -1
void SAMPLEInsert(SAMPLE *sample, int32_t v, int32_t i);  // i in 0..length; doubles the capacity when full
void SAMPLERemove(SAMPLE *sample, int32_t i);         // later values move down, length shrinks by 1

// ---- Runs of values ----
void SAMPLECopyRange(const SAMPLE *src, SAMPLE *dst, int32_t count, int32_t srcStart,
                     int32_t dstStart);              // within both lengths; overlapping moves are safe
SAMPLE *SAMPLESub(const SAMPLE *sample, int32_t first, int32_t end);  // new sample of first..end-1, clipped to the sample
void SAMPLEInsertSample(SAMPLE *dst, const SAMPLE *src, int32_t at);  // all of src into dst at 0..dst length
void SAMPLEResample(SAMPLE *sample, int32_t n);       // nearest-neighbour to n > 0 values; length = capacity = n
void SAMPLEReverse(SAMPLE *sample);                   // reverses 0..length-1 in place
void SAMPLERotateLeft(SAMPLE *sample, int32_t n);     // new[i] = old[(i + n) mod length]; empty samples are refused
void SAMPLERotateRight(SAMPLE *sample, int32_t n);    // new[i] = old[(i - n) mod length]; empty samples are refused

// ---- Arithmetic (wrapping 32-bit) ----
void SAMPLEAdd(SAMPLE *a, const SAMPLE *b);           // a[i] += b[i] below the shorter length
void SAMPLEMultiplySample(SAMPLE *a, const SAMPLE *b);  // a[i] *= b[i] below the shorter length
void SAMPLEMultiply(SAMPLE *sample, int32_t k);       // every value times k
void SAMPLEShiftLeft(SAMPLE *sample, int32_t n);      // every value << n, n in 0..32 (32 gives 0)
void SAMPLEShiftRight(SAMPLE *sample, int32_t n);     // every value >> n arithmetic, n in 0..32 (32 gives 0 or -1)
int32_t SAMPLEMin(const SAMPLE *sample);              // smallest value; 0 (reported) when empty
int32_t SAMPLEMax(const SAMPLE *sample);              // largest value; 0 (reported) when empty
void SAMPLEScaleToRange(SAMPLE *sample, int32_t lo, int32_t hi);  // maps min..max linearly onto lo..hi (16.16 factor)

// ---- Comparison ----
int32_t SAMPLEMatchCount(const SAMPLE *a, const SAMPLE *b, int32_t offset);  // equal values with b[0] over a[offset]
int32_t SAMPLEBestOffset(const SAMPLE *a, const SAMPLE *b);  // first offset with the most matches; -(b length) when none

// ---- Raw files ----
// width 8 or 16, order 'b' or 'l', sign 's' or 'u'; reads to the end of the file. Null on failure.
SAMPLE *SAMPLERead(std::FILE *file, int32_t width, char order, char sign);
// width 8, 16, 24 or 32 (any other counts as 16), order 'b' big-endian, anything else little-endian; values are clamped to the width.
void SAMPLEWrite(const SAMPLE *sample, std::FILE *file, int32_t width, char order);
