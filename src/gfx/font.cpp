// FONT: the cell font over true-colour images. The glyph algorithm is shared with the bitmap
// font (gfx/glyphs.h); this module binds it to the image copies and the FONT reporter.
#include "gfx/font.h"

#include "core/ident.h"
#include "gfx/glyphs.h"

ErrorReporter FONTError = {0, "FONT Error."};
KOVA_IDENT(FONTIdent, "FONT    ", "20110319", "ValenTRQ", "C       ", "CODE    ");

FONT *FONTNew() { return glyphs::newFont<FONT>(FONTError); }
void FONTFree(FONT **font) { glyphs::freeFont<IMGFree>(font, FONTError); }
char *FONTToASCII(const FONT *font) { return font ? nullptr : report(FONTError, nullptr); }
FONT *FONTFromASCII(const char *text) { return text ? nullptr : report(FONTError, nullptr); }
int FONTEqual(const FONT *a, const FONT *b) { return glyphs::equalFonts<IMGEqual>(a, b, FONTError); }
FONT *FONTCopy(const FONT *font) { return glyphs::copyFont<IMGCopy>(font, FONTError); }
void FONTDrawGlyph(FONT *font) { glyphs::drawGlyph<IMGBlitKeyed>(font, FONTError); }
void FONTDrawGlyphOpaque(FONT *font) { glyphs::drawGlyph<IMGBlit>(font, FONTError); }
void FONTDrawGlyphAdd(FONT *font) { glyphs::drawGlyph<IMGBlitAdd>(font, FONTError); }
void FONTDrawHex8(FONT *font, uint32_t value) { glyphs::drawHex8<IMGBlitKeyed>(font, value, FONTError); }
void FONTDrawHex16(FONT *font, uint32_t value) { glyphs::drawHex16<IMGBlitKeyed>(font, value, FONTError); }
void FONTDrawHex32(FONT *font, uint32_t value) { glyphs::drawHex32<IMGBlitKeyed>(font, value, FONTError); }
void FONTDrawLine(FONT *font, const char *text) { glyphs::drawLine<IMGBlitKeyed>(font, text, FONTError); }
void FONTDrawText(FONT *font, const char *text) { glyphs::drawText<IMGBlit>(font, text, FONTError); }
void FONTDrawMap(FONT *font, const BYTEMAP *map) { glyphs::drawMap<IMGBlitKeyed>(font, map, FONTError); }
void FONTDrawBig(FONT *big, FONT *small) { glyphs::drawBig<IMGBlitKeyed>(big, small, FONTError); }
