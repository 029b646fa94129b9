// CURSOR: a wrapping read position over a borrowed character buffer, with one remembered
// position. The wrap is a truncating remainder made non-negative.
#include "gfx/cursor.h"

#include <cstdlib>

#include "core/ident.h"
#include "core/text.h"

ErrorReporter CURSORError = {0, "CURSOR Error."};
KOVA_IDENT(CURSORIdent, "CURSOR  ", "20110602", "ValenTRQ", "C       ", "CODE    ");

namespace {

const char DEFAULT_TEXT[] = "This is a CURSOR default data. ";

// value mod length in 0..length-1 (length >= 1). Taken in 64 bits so that a position plus a
// step near the 32-bit limits cannot overflow: with length 10, 11 gives 1 and -13 gives 7.
int32_t wrap(int64_t value, int32_t length)
{
    int64_t r = value % length;
    if (r < 0) r += length;
    return static_cast<int32_t>(r);
}

// Moves the cursor to `value` wrapped into the buffer; an empty buffer has nowhere to go.
void moveTo(CURSOR *cursor, int64_t value)
{
    if (cursor->length < 1) return report(CURSORError);
    cursor->position = wrap(value, cursor->length);
}

}  // namespace

CURSOR *CURSORNew()
{
    CURSOR *cursor = static_cast<CURSOR *>(std::calloc(1, sizeof(CURSOR)));
    CURSORSet(cursor, DEFAULT_TEXT, TEXTLength(DEFAULT_TEXT), 1, 1);  // reports a failed allocation
    return cursor;
}

void CURSORFree(CURSOR **cursor)
{
    if (!cursor || !*cursor) return report(CURSORError);
    std::free(*cursor);
    *cursor = nullptr;
}

char *CURSORToASCII(const CURSOR *cursor)
{
    if (!cursor) return report(CURSORError, nullptr);
    return nullptr;
}

CURSOR *CURSORFromASCII(const char *text)
{
    if (!text) return report(CURSORError, nullptr);
    return nullptr;
}

int CURSOREqual(const CURSOR *a, const CURSOR *b)
{
    if (!a || !b) return report(CURSORError, 0);
    return a->position == b->position && a->step == b->step && a->reserved == b->reserved &&
           a->length == b->length && a->data == b->data && a->mark == b->mark;
}

CURSOR *CURSORCopy(const CURSOR *cursor)
{
    if (!cursor) return report(CURSORError, nullptr);
    CURSOR *copy = static_cast<CURSOR *>(std::calloc(1, sizeof(CURSOR)));
    if (!copy) return report(CURSORError, nullptr);
    *copy = *cursor;
    return copy;
}

void CURSORSet(CURSOR *cursor, const char *data, int32_t length, int32_t reserved, int32_t step)
{
    if (!cursor) return report(CURSORError);
    cursor->data = data;
    cursor->length = length;
    cursor->reserved = reserved;
    cursor->step = step;
    cursor->position = 0;
}

void CURSORStep(CURSOR *cursor)
{
    if (!cursor) return report(CURSORError);
    moveTo(cursor, int64_t{cursor->position} + cursor->step);
}

void CURSORSeek(CURSOR *cursor, int32_t n)
{
    if (!cursor) return report(CURSORError);
    moveTo(cursor, n);
}

void CURSORMark(CURSOR *cursor)
{
    if (!cursor) return report(CURSORError);
    cursor->mark = cursor->position;
}

// A mark taken before CURSORSet attached a shorter buffer may lie past its end; it is wrapped
// like any other position so that the cursor never points outside the buffer.
void CURSORReturn(CURSOR *cursor)
{
    if (!cursor) return report(CURSORError);
    if (cursor->mark >= 0 && cursor->mark < cursor->length) {
        cursor->position = cursor->mark;
        return;
    }
    moveTo(cursor, cursor->mark);
}
