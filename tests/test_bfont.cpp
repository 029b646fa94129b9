// The bitmap font's own case, beside what it shares with the cell font (test_glyphs.cpp): its
// target is a byte map like the character map, so a map can be drawn into itself.
#include <gtest/gtest.h>

#include "gfx/bfont.h"
#include "glyph_reference.h"
#include "support/twins.h"

// Each map cell is read after the glyphs before it were drawn, as the glyph-by-glyph walk does.
TEST(BFont, AMapDrawnIntoItselfReadsWhatEarlierGlyphsWrote)
{
    BFONT *font = twin::makeFont<BFONT>(8, 8, 256, 80, nullptr);
    BYTEMAP *self = reference::randomMap(40, 40, 0, 0, 99), *twin = BYTEMAPCopy(self);
    self->x = twin->x = -3;
    self->y = twin->y = 2;
    font->target = self;
    BFONTDrawMap(font, self);
    font->target = twin;
    reference::glyphByGlyph<BFONTDrawGlyph>(font, twin);
    EXPECT_EQ(reference::contents(self), reference::contents(twin));
    BYTEMAPFree(&self);
    BYTEMAPFree(&twin);
    BFONTFree(&font);
}
