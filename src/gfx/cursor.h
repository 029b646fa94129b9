// CURSOR: a read position running around a borrowed character buffer. It moves by a signed
// step, wraps at both ends so that 0 <= position < length, and remembers one position.
#pragma once

#include <cstdint>

#include "core/report.h"

struct CURSOR {
    int32_t position;  // index of the current character, 0 <= position < length
    int32_t step;      // added by CURSORStep; may be negative
    int32_t reserved;  // the fourth argument of CURSORSet; nothing reads it
    int32_t length;    // characters in the buffer; at least 1 for the cursor to move
    const char *data;  // the buffer; borrowed, never freed by the cursor
    int32_t mark;      // a remembered position
};

extern ErrorReporter CURSORError;  // switch off at start; line "CURSOR Error."

// Every operation but CURSORNew reports a null cursor (CURSORFree: a null address or pointer)
// and then changes nothing.
CURSOR *CURSORNew();                  // over "This is a CURSOR default data. ", step 1; null on failure
void CURSORFree(CURSOR **cursor);     // frees the record (not the buffer), stores null
char *CURSORToASCII(const CURSOR *cursor);  // a cursor has no text form: always null
CURSOR *CURSORFromASCII(const char *text);  // no text form: always null (reports a null text)
int CURSOREqual(const CURSOR *a, const CURSOR *b);  // 1 when every field agrees (the same buffer)
CURSOR *CURSORCopy(const CURSOR *cursor);  // same fields over the same borrowed buffer; null on failure
void CURSORSet(CURSOR *cursor, const char *data, int32_t length, int32_t reserved,
               int32_t step);         // attaches the buffer (not tested); position 0, mark kept
// The three moves report a buffer of length below 1 (nothing to wrap into) and leave the
// position as it was.
void CURSORStep(CURSOR *cursor);              // position = (position + step) wrapped into 0..length-1
void CURSORSeek(CURSOR *cursor, int32_t n);   // position = n wrapped into 0..length-1
void CURSORMark(CURSOR *cursor);              // mark = position
void CURSORReturn(CURSOR *cursor);            // position = mark (wrapped, should the buffer have shrunk)
