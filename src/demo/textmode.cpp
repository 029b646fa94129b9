// The text mode: the character map, its two fonts, and the helpers that paint layers into it.
#include "demo/textmode.h"

#include <algorithm>
#include <cstring>

#include "core/blocks.h"
#include "core/text.h"
#include "demo/data.h"
#include "demo/stage.h"

FONT *textFont = nullptr;
BYTEMAP *charMap = nullptr;
BFONT *bigFont = nullptr;

void DemoTextSetup()
{
    textFont = DemoFontNew(8, 8, IMGFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE), screen);
    charMap = BYTEMAPNew();
    BYTEMAPResize(charMap, SCREEN_W / 8, SCREEN_H / 8);
}

void DemoBigFontSetup()
{
    bigFont = BFONTNew();
    if (!bigFont) return;
    bigFont->width = 32;
    bigFont->height = 32;
    bigFont->sheet = BYTEMAPFromPNM(BIG_SHEET, BIG_SHEET_SIZE);
    bigFont->target = charMap;
}

// A pass over a whole 256 x 256 plasma every frame, up to three times in scene 3, in the fixed
// blocks that become vector code.
void SceneGlyphs(BYTEMAP *map, uint8_t base, uint8_t mask)
{
    if (!map || !map->data || map->width < 1 || map->height < 1) return;
    const size_t count = static_cast<size_t>(map->width) * static_cast<size_t>(map->height);
    const auto glyph = [base, mask](uint8_t v) { return static_cast<uint8_t>(base + (v & mask)); };
    blocks::update<32>(map->data, count, glyph);
}

void SceneCover(const BYTEMAP *layer)
{
    const int32_t columns = charMap ? charMap->width : 0, rows = charMap ? charMap->height : 0;
    BYTEMAPBlitKeyed(layer, charMap, 0, 0, 0, 0, columns, rows);
}

void SceneWaves(BPLASMA *plasma, const int32_t (&steps)[4], const int32_t (&strides)[4])
{
    if (!plasma) return;
    for (int i = 0; i < 4; ++i) {
        plasma->wave[i].step = steps[i];
        plasma->wave[i].stride = strides[i];
    }
}

BYTEMAP *SceneTextMap(const char *text)
{
    BYTEMAP *map = BYTEMAPNew();
    if (!map) return nullptr;
    BYTEMAPResize(map, TEXTWidth(text) + 1, TEXTLines(text));
    if (!map->data) {
        BYTEMAPFree(&map);
        return nullptr;
    }
    // Byte for byte, row by row: with lines of equal length every row holds one line and its
    // newline. A text shorter than the map leaves the rest empty rather than reading past it.
    const int32_t cells = map->width * map->height;
    std::memcpy(map->data, text, static_cast<size_t>(std::min(cells, TEXTLength(text))));
    return map;
}
