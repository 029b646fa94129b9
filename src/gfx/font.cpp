// FONT: the cell font over true-colour images. The glyph algorithm is shared with the bitmap
// font (gfx/glyphs.h); this module binds it to the image copies and the FONT reporter.
#include "gfx/font.h"

#include "core/ident.h"
#include "gfx/glyphs.h"

ErrorReporter FONTError = {0, "FONT Error."};
KOVA_IDENT(FONTIdent, "FONT    ", "20110319", "ValenTRQ", "C       ", "CODE    ");

FONT *FONTNew() { return glyphs::newFont<FONT>(FONTError); }
void FONTFree(FONT **font) { glyphs::freeFont(font, IMGFree, FONTError); }
char *FONTToASCII(const FONT *font) { return font ? nullptr : report(FONTError, nullptr); }
FONT *FONTFromASCII(const char *text) { return text ? nullptr : report(FONTError, nullptr); }
int FONTEqual(const FONT *a, const FONT *b) { return glyphs::equalFonts(a, b, IMGEqual, FONTError); }
FONT *FONTCopy(const FONT *font) { return glyphs::copyFont(font, IMGCopy, FONTError); }
void FONTDrawGlyph(FONT *font) { glyphs::drawGlyph(font, IMGBlitKeyed, FONTError); }
void FONTDrawGlyphOpaque(FONT *font) { glyphs::drawGlyph(font, IMGBlit, FONTError); }
void FONTDrawGlyphAdd(FONT *font) { glyphs::drawGlyph(font, IMGBlitAdd, FONTError); }
void FONTDrawHex8(FONT *font, uint32_t value) { glyphs::drawHex(font, IMGBlitKeyed, value, 2, FONTError); }
void FONTDrawHex16(FONT *font, uint32_t value) { glyphs::drawHex(font, IMGBlitKeyed, value, 4, FONTError); }
void FONTDrawHex32(FONT *font, uint32_t value) { glyphs::drawHex(font, IMGBlitKeyed, value, 8, FONTError); }
void FONTDrawLine(FONT *font, const char *text) { glyphs::drawLine(font, IMGBlitKeyed, text, FONTError); }
void FONTDrawText(FONT *font, const char *text) { glyphs::drawText(font, IMGBlit, text, FONTError); }
void FONTDrawMap(FONT *font, const BYTEMAP *map) { glyphs::drawMap(font, IMGBlitKeyed, map, FONTError); }
void FONTDrawBig(FONT *big, FONT *small) { glyphs::drawBig(big, small, IMGBlitKeyed, FONTError); }
