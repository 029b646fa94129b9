// FONT: a cell font drawing glyphs from an owned glyph sheet (an IMG laid out as a grid of
// equal cells in character-code order) onto a borrowed target IMG. Each glyph is copied to
// the pen, which then moves right by one cell. Black sheet pixels are transparent when keyed.
#pragma once

#include <cstdint>

#include "core/report.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"

struct FONT {
    int32_t x, y;       // pen on the target, in pixels: top-left corner of the next glyph
    int32_t reserved0;  // always 0
    int32_t width, height;  // cell size in pixels
    int32_t reserved1;  // always 0
    int32_t code;       // character code the next single-glyph operation draws
    IMG *sheet;         // the glyph sheet; owned, freed with the font
    IMG *target;        // the image drawn on; borrowed
};

extern ErrorReporter FONTError;  // switch off at start; line "FONT Error."

// The glyph of code g lies in the sheet at column (g * width) mod sheet width and row
// ((g * width) div sheet width) * height. Cells wholly or partly off the sheet or the target
// are clipped like any rectangle copy; the pen advances regardless.

FONT *FONTNew();                     // cells 6 x 6, pen (0, 0), code 0, no sheet or target; null on failure
void FONTFree(FONT **font);          // frees the sheet and the record (not the target), stores null
char *FONTToASCII(const FONT *font);   // a font has no text form: always null (reports a null font)
FONT *FONTFromASCII(const char *text);  // no text form: always null (reports a null text)
int FONTEqual(const FONT *a, const FONT *b);  // 1 when pen, cells, code, target and sheet pixels agree
FONT *FONTCopy(const FONT *font);    // same fields, its own copy of the sheet, same target; null on failure
void FONTDrawGlyph(FONT *font);      // glyph of `code` keyed at the pen; x += width (reports no font/sheet)
void FONTDrawGlyphOpaque(FONT *font);  // the same, black pixels copied too
void FONTDrawGlyphAdd(FONT *font);   // the same, each pixel added to the target as a 32-bit value
void FONTDrawHex8(FONT *font, uint32_t value);   // low byte as two upper-case hex digits, keyed
void FONTDrawHex16(FONT *font, uint32_t value);  // low 16 bits as four digits
void FONTDrawHex32(FONT *font, uint32_t value);  // all 32 bits as eight digits
void FONTDrawLine(FONT *font, const char *text);  // keyed, up to the first newline; bytes as codes 0..255
void FONTDrawText(FONT *font, const char *text);  // opaque; a newline returns to the first column one
                                     // cell lower; bytes 128..255 are negative codes that draw nothing
// Every cell of the map as a keyed glyph, the map's top-left cell at its (x, y) on the target,
// clipped to the target; the pen ends at the first drawn column, below the last drawn row.
// Reports a missing font, map, sheet or target and a cell size below 1.
void FONTDrawMap(FONT *font, const BYTEMAP *map);
// big's current glyph magnified: each non-black sheet pixel of it drawn as small's current
// glyph on big's target; big's pen then moves right by small->width * big->width. Reports,
// and changes nothing, when big's cell does not lie wholly inside big's sheet.
void FONTDrawBig(FONT *big, FONT *small);
