// BFONT: the bitmap font over 8-bit maps. The glyph algorithm is shared with the cell font
// (gfx/glyphs.h); this module binds it to the map copies and the BFONT reporter.
#include "gfx/bfont.h"

#include "core/ident.h"
#include "gfx/glyphs.h"

ErrorReporter BFONTError = {0, "BFONT Error."};
KOVA_IDENT(BFONTIdent, "BFONT   ", "20110612", "ValenTRQ", "C       ", "CODE    ");

BFONT *BFONTNew() { return glyphs::newFont<BFONT>(BFONTError); }
void BFONTFree(BFONT **font) { glyphs::freeFont<BYTEMAPFree>(font, BFONTError); }
char *BFONTToASCII(const BFONT *font) { return font ? nullptr : report(BFONTError, nullptr); }
BFONT *BFONTFromASCII(const char *text) { return text ? nullptr : report(BFONTError, nullptr); }
int BFONTEqual(const BFONT *a, const BFONT *b) { return glyphs::equalFonts<BYTEMAPEqual>(a, b, BFONTError); }
BFONT *BFONTCopy(const BFONT *font) { return glyphs::copyFont<BYTEMAPCopy>(font, BFONTError); }
void BFONTDrawGlyph(BFONT *font) { glyphs::drawGlyph<BYTEMAPBlitKeyed>(font, BFONTError); }
void BFONTDrawGlyphOpaque(BFONT *font) { glyphs::drawGlyph<BYTEMAPBlit>(font, BFONTError); }
void BFONTDrawHex8(BFONT *font, uint32_t value) { glyphs::drawHex8<BYTEMAPBlitKeyed>(font, value, BFONTError); }
void BFONTDrawHex16(BFONT *font, uint32_t value) { glyphs::drawHex16<BYTEMAPBlitKeyed>(font, value, BFONTError); }
void BFONTDrawHex32(BFONT *font, uint32_t value) { glyphs::drawHex32<BYTEMAPBlitKeyed>(font, value, BFONTError); }
void BFONTDrawLine(BFONT *font, const char *text) { glyphs::drawLine<BYTEMAPBlitKeyed>(font, text, BFONTError); }
void BFONTDrawText(BFONT *font, const char *text) { glyphs::drawText<BYTEMAPBlit>(font, text, BFONTError); }
void BFONTDrawMap(BFONT *font, const BYTEMAP *map) { glyphs::drawMap<BYTEMAPBlitKeyed>(font, map, BFONTError); }
void BFONTDrawBig(BFONT *big, BFONT *small) { glyphs::drawBig<BYTEMAPBlitKeyed>(big, small, BFONTError); }
