// BFONT: the 8-bit twin of the cell font: glyphs from an owned BYTEMAP sheet (a grid of equal
// cells in character-code order) drawn into a borrowed target BYTEMAP, one sheet cell to one
// target cell. The pen moves right by one glyph after each. Sheet cells of 0 are transparent
// when keyed.
#pragma once

#include <cstdint>

#include "core/report.h"
#include "gfx/bytemap.h"

struct BFONT {
    int32_t x, y;       // pen on the target, in cells: top-left corner of the next glyph
    int32_t reserved0;  // always 0
    int32_t width, height;  // glyph size in cells
    int32_t reserved1;  // always 0 (the scroller copies it)
    int32_t code;       // character code the next single-glyph operation draws
    BYTEMAP *sheet;     // the glyph sheet; owned, freed with the font
    BYTEMAP *target;    // the map drawn into; borrowed
};

extern ErrorReporter BFONTError;  // switch off at start; line "BFONT Error."

// The glyph of code g lies in the sheet at column (g * width) mod sheet width and row
// ((g * width) div sheet width) * height. Cells wholly or partly off the sheet or the target
// are clipped like any rectangle copy; the pen advances regardless.

BFONT *BFONTNew();                   // cells 6 x 6, pen (0, 0), code 0, no sheet or target; null on failure
void BFONTFree(BFONT **font);        // frees the sheet and the record (not the target), stores null
char *BFONTToASCII(const BFONT *font);  // a font has no text form: always null (reports a null font)
BFONT *BFONTFromASCII(const char *text);  // no text form: always null (reports a null text)
int BFONTEqual(const BFONT *a, const BFONT *b);  // 1 when pen, cells, code, target and sheet cells agree
BFONT *BFONTCopy(const BFONT *font);  // same fields, its own copy of the sheet, same target; null on failure
void BFONTDrawGlyph(BFONT *font);    // glyph of `code` keyed at the pen; x += width (reports no font/sheet)
void BFONTDrawGlyphOpaque(BFONT *font);  // the same, cells of 0 copied too
void BFONTDrawHex8(BFONT *font, uint32_t value);   // low byte as two upper-case hex digits, keyed
void BFONTDrawHex16(BFONT *font, uint32_t value);  // low 16 bits as four digits
void BFONTDrawHex32(BFONT *font, uint32_t value);  // all 32 bits as eight digits
void BFONTDrawLine(BFONT *font, const char *text);  // keyed, up to the first newline; bytes as codes 0..255
void BFONTDrawText(BFONT *font, const char *text);  // opaque; a newline returns to the first column one
                                     // glyph lower; bytes 128..255 are negative codes that draw nothing
// Every cell of the map as a keyed glyph, the map's top-left cell at its (x, y) on the target,
// clipped to the target; the pen ends at the first drawn column, below the last drawn row.
// Reports a missing font, map, sheet or target and a cell size below 1.
void BFONTDrawMap(BFONT *font, const BYTEMAP *map);
// big's current glyph magnified: each non-zero sheet cell of it drawn as small's current
// glyph on big's target; big's pen then moves right by small->width * big->width. Reports,
// and changes nothing, when big's cell does not lie wholly inside big's sheet.
void BFONTDrawBig(BFONT *big, BFONT *small);
