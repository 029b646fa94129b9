// BSCROLL: a horizontally scrolling line of text drawn with a BFONT into a BYTEMAP. It keeps a
// CURSOR at the leftmost visible character and a pixel offset into it; the text wraps around
// endlessly in both directions.
#pragma once

#include <cstdint>

#include "core/report.h"
#include "gfx/bfont.h"
#include "gfx/bytemap.h"
#include "gfx/cursor.h"

struct BSCROLL {
    int32_t x;          // target column of the text's left end before the offset
    int32_t y;          // target row of the glyphs' top edge; callers may move it every frame
    int32_t reserved0;  // 0 after BSCROLLNew, 1 after BSCROLLSet; nothing reads it
    int32_t width;      // target cells to cover: decides how many glyphs BSCROLLDraw draws
    int32_t height;     // the font's cell height after BSCROLLSet; nothing reads it
    int32_t reserved1;  // copy of the font's second reserved word; nothing reads it
    int32_t offset;     // pixels the leftmost character has scrolled out, 0..glyph width
    const char *text;   // zero-terminated scroll text, borrowed
    int32_t speed;      // pixels added to offset by BSCROLLStep; negative scrolls back
    CURSOR *cursor;     // over text, owned; position = index of the leftmost visible character
    BFONT *font;        // draws the glyphs, borrowed
    BYTEMAP *target;    // drawn into, borrowed
};

extern ErrorReporter BSCROLLError;  // switch off at start; line "BSCROLL error"

BSCROLL *BSCROLLNew();                     // 256 wide, speed 1, no text, font or target; null on failure
void BSCROLLFree(BSCROLL **scroller);      // frees the cursor and the record (not text, font, target)
char *BSCROLLToASCII(const BSCROLL *scroller);  // the scroller has no text form: always null
BSCROLL *BSCROLLFromASCII(const char *text);    // no text form: always null
// 1 when both show the same thing: same text, font and target, placement, offset, speed and
// cursor position.
int BSCROLLEqual(const BSCROLL *a, const BSCROLL *b);
BSCROLL *BSCROLLCopy(const BSCROLL *scroller);  // same fields, own cursor at the same place
// Attaches text, font and target (all required): cursor restarts at the first character,
// x = y = 0, width = target width, height = font cell height; offset and speed are kept.
void BSCROLLSet(BSCROLL *scroller, const char *text, BFONT *font, BYTEMAP *target);
// Draws width / glyph width + 2 glyphs keyed from column x - offset, row y; the cursor ends
// where it started. An empty text draws nothing.
void BSCROLLDraw(BSCROLL *scroller);
// offset += speed; whole glyph widths that scroll out move the cursor (forwards or back) and
// leave 0 <= offset < glyph width (exactly glyph width after a move back onto an edge).
void BSCROLLStep(BSCROLL *scroller);
