// The text mode of scenes 1 to 4: a 32 x 32 character map of glyph codes, rendered onto the
// frame by a cell font of 8 x 8 texture glyphs, and the helpers that paint layers into it.
#include <algorithm>
#include <cstring>

#include "core/text.h"
#include "demo/data.h"
#include "demo/demo.h"
#include "demo/scenes.h"

FONT *textFont = nullptr;
BYTEMAP *charMap = nullptr;

void DemoTextSetup()
{
    textFont = DemoFontNew(8, 8, IMGFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE), screen);
    charMap = BYTEMAPNew();
    BYTEMAPResize(charMap, SCREEN_W / 8, SCREEN_H / 8);
}

// A pass over a whole 256 x 256 plasma every frame, up to three times in scene 3: walked in
// blocks of 32 cells, a trip count the compiler knows, so that it becomes vector code at -O2
// (a loop over a count known only at run time stays scalar there, eight times slower).
void SceneGlyphs(BYTEMAP *map, uint8_t base, uint8_t mask)
{
    if (!map || !map->data || map->width < 1 || map->height < 1) return;
    uint8_t *cell = map->data;
    const size_t count = static_cast<size_t>(map->width) * static_cast<size_t>(map->height);
    constexpr size_t BLOCK = 32;
    size_t k = 0;
    for (; count - k >= BLOCK; k += BLOCK)
        for (size_t i = 0; i < BLOCK; ++i) cell[k + i] = static_cast<uint8_t>(base + (cell[k + i] & mask));
    for (; k < count; ++k) cell[k] = static_cast<uint8_t>(base + (cell[k] & mask));
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
