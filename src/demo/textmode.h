// The text mode of scenes 1 to 4: a 32 x 32 character map of glyph codes, rendered onto the
// frame by a cell font of 8 x 8 texture glyphs; the scroller's big letters, drawn into a map;
// and the helpers that paint plasma layers and ASCII art into the map.
#pragma once

#include <cstdint>

#include "fx/bplasma.h"
#include "gfx/bfont.h"
#include "gfx/bytemap.h"
#include "gfx/font.h"

// ---- The fonts and the map, made by DemoInit ----
extern FONT *textFont;    // 8 x 8 cells of TEXT_SHEET, target `screen`: renders charMap
extern BYTEMAP *charMap;  // 32 x 32 glyph codes, one per 8 x 8 cell of the frame
extern BFONT *bigFont;    // 32 x 32 letters of BIG_SHEET drawn into a map (the scroller's font)

void DemoTextSetup();     // textFont and charMap
void DemoBigFontSetup();  // bigFont, targeting charMap until the scroller retargets it

// ---- Helpers the text-mode scenes share ----
// Every cell v of a plasma's map becomes base + (v & mask): the plasma drawn with one glyph range.
void SceneGlyphs(BYTEMAP *map, uint8_t base, uint8_t mask);
// The layer's top-left cells keyed over the whole character map (cells of 0 are not copied).
void SceneCover(const BYTEMAP *layer);
// Sets waves 1 to 4 of a plasma: steps[i] is the phase increment per frame, strides[i] the
// table increment per cell.
void SceneWaves(BPLASMA *plasma, const int32_t (&steps)[4], const int32_t (&strides)[4]);
// A new map one column wider than an ASCII-art text's lines (the newline column) and one row
// per line, holding the text's bytes row by row; null on failure.
BYTEMAP *SceneTextMap(const char *text);
