// BFONT: the bitmap font over 8-bit maps. The glyph algorithm is shared with the cell font
// (gfx/glyphs.h); this module binds it to the map copies and the BFONT reporter.
#include "gfx/bfont.h"

#include "core/ident.h"
#include "gfx/glyphs.h"

ErrorReporter BFONTError = {0, "BFONT Error."};
KOVA_IDENT(BFONTIdent, "BFONT   ", "20110612", "ValenTRQ", "C       ", "CODE    ");

BFONT *BFONTNew() { return glyphs::newFont<BFONT>(BFONTError); }
void BFONTFree(BFONT **font) { glyphs::freeFont(font, BYTEMAPFree, BFONTError); }
char *BFONTToASCII(const BFONT *font) { return font ? nullptr : report(BFONTError, nullptr); }
BFONT *BFONTFromASCII(const char *text) { return text ? nullptr : report(BFONTError, nullptr); }
int BFONTEqual(const BFONT *a, const BFONT *b) { return glyphs::equalFonts(a, b, BYTEMAPEqual, BFONTError); }
BFONT *BFONTCopy(const BFONT *font) { return glyphs::copyFont(font, BYTEMAPCopy, BFONTError); }
void BFONTDrawGlyph(BFONT *font) { glyphs::drawGlyph(font, BYTEMAPBlitKeyed, BFONTError); }
void BFONTDrawGlyphOpaque(BFONT *font) { glyphs::drawGlyph(font, BYTEMAPBlit, BFONTError); }
void BFONTDrawHex8(BFONT *font, uint32_t value) { glyphs::drawHex(font, BYTEMAPBlitKeyed, value, 2, BFONTError); }
void BFONTDrawHex16(BFONT *font, uint32_t value) { glyphs::drawHex(font, BYTEMAPBlitKeyed, value, 4, BFONTError); }
void BFONTDrawHex32(BFONT *font, uint32_t value) { glyphs::drawHex(font, BYTEMAPBlitKeyed, value, 8, BFONTError); }
void BFONTDrawLine(BFONT *font, const char *text) { glyphs::drawLine(font, BYTEMAPBlitKeyed, text, BFONTError); }
void BFONTDrawText(BFONT *font, const char *text) { glyphs::drawText(font, BYTEMAPBlit, text, BFONTError); }
void BFONTDrawMap(BFONT *font, const BYTEMAP *map) { glyphs::drawMap(font, BYTEMAPBlitKeyed, map, BFONTError); }
void BFONTDrawBig(BFONT *big, BFONT *small) { glyphs::drawBig(big, small, BYTEMAPBlitKeyed, BFONTError); }
