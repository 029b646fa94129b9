// Scene 3, the plasma scroller: the character map composed from three layers, each textured by
// its own plasma: a background over everything, the scroll text in letters 32 cells high that
// hop, and a large frame logo swinging left and right, its outline flat and its inside
// textured. Each pixel of the letters and the logo becomes one glyph cell on screen.
#include <cstdlib>
#include <cstring>

#include "core/sintab.h"
#include "core/text.h"
#include "demo/data.h"
#include "demo/demo.h"
#include "demo/scenes.h"
#include "platform/fps.h"

uint8_t letterBase = 0x90;
uint8_t logoBase = 0xB0;
BPLASMA *backPlasma = nullptr;
BPLASMA *letterPlasma = nullptr;
BPLASMA *logoPlasma = nullptr;

SceneScrollerState scrollerScene = {nullptr, nullptr, nullptr, nullptr, nullptr, 0, 0, 768, 2, 0};

namespace {

constexpr int32_t MAX_SPEED = 32;  // scroll speed in pixels (cells) per frame, either way

// 'b': each base steps through 128, 144, 160, 176 and back to 128.
uint8_t nextBase(uint8_t base) { return static_cast<uint8_t>(((base + 16) & 63) | 128); }

BYTEMAP *newLayer()
{
    BYTEMAP *layer = BYTEMAPNew();
    BYTEMAPResize(layer, SCREEN_W, SCREEN_H);
    return layer;
}

BYTEMAP *mapOf(const BPLASMA *plasma) { return plasma ? plasma->map : nullptr; }

}  // namespace

void SceneScrollerSetup()
{
    SceneScrollerState &s = scrollerScene;
    if (s.setupDone) return;
    s.setupDone = 1;
    // The scroller shows capitals only: its text is an upper-cased copy.
    const int32_t length = TEXTLength(SCROLL_TEXT);
    s.text = static_cast<char *>(std::calloc(static_cast<size_t>(length) + 1, 1));
    if (s.text) {
        std::memcpy(s.text, SCROLL_TEXT, static_cast<size_t>(length));
        TEXTUpper(s.text);
    }

    s.scroller = BSCROLLNew();
    s.letterLayer = newLayer();
    BSCROLLSet(s.scroller, s.text, bigFont, s.letterLayer);
    if (s.scroller) {
        s.scroller->y = 0;
        s.scroller->speed = 3;
    }

    s.logoMap = SceneTextMap(LOGO_FRAME);
    BYTEMAPReplace(s.logoMap, ' ', 0);
    BYTEMAPReplace(s.logoMap, '\n', 0);
    BYTEMAPReplace(s.logoMap, '*', 255);
    BYTEMAPReplace(s.logoMap, '#', 240);
    s.logoLayer = newLayer();

    // Centred across the map, a third of the way down: (32 - 128) / 2 = -48, 32 / 3 - 16 / 2 = 2.
    if (charMap && s.logoMap) {
        s.logoHomeX = (charMap->width - s.logoMap->width) / 2;
        s.logoHomeY = charMap->height / 3 - s.logoMap->height / 2;
    }

    backPlasma = BPLASMANew();
    SceneWaves(backPlasma, {2, 3, 1, 2}, {1, 2, 2, 3});
    letterPlasma = BPLASMANew();
    SceneWaves(letterPlasma, {5, 7, 4, 5}, {2, 3, 3, 4});
    logoPlasma = BPLASMANew();
    SceneWaves(logoPlasma, {8, 7, 7, 6}, {5, 6, 5, 4});
}

void SceneScrollerFrame()
{
    SceneScrollerState &s = scrollerScene;
    IMGClear(screen);
    BYTEMAPClear(charMap);

    // Layer 1: the background plasma in the grey, green, brown and blue ramps 0..127 (a 0 is
    // not copied and leaves its cell at 0).
    BPLASMAStep(backPlasma);
    BPLASMADraw(backPlasma);
    SceneGlyphs(mapOf(backPlasma), 0, 127);
    SceneCover(mapOf(backPlasma));

    // The textures of layers 2 and 3, each in its own range of 16 glyphs.
    BPLASMAStep(letterPlasma);
    BPLASMADraw(letterPlasma);
    SceneGlyphs(mapOf(letterPlasma), letterBase, 15);
    BPLASMAStep(logoPlasma);
    BPLASMADraw(logoPlasma);
    SceneGlyphs(mapOf(logoPlasma), logoBase, 15);

    // Layer 2: the letters hop between rows 7 and 0 with the frame count of the whole run
    // (SINTAB's first half, 0..32766, shifted down by 12), repeating about every 19 frames.
    // The count is multiplied unsigned: only its low 9 bits matter, and they are the same.
    if (s.scroller) s.scroller->y = 7 - (SINTAB[(static_cast<uint32_t>(FPSFrameCount) * 27u) & 511u] >> 12);
    BYTEMAPClear(s.letterLayer);
    BSCROLLDraw(s.scroller);
    BSCROLLStep(s.scroller);
    // Letter pixels are 255: the texture stays under them and becomes 0 elsewhere.
    BYTEMAPAnd(s.letterLayer, mapOf(letterPlasma));
    SceneCover(mapOf(letterPlasma));

    // Layer 3: the logo swings from -192 to +191 cells around its home column.
    BYTEMAPClear(s.logoLayer);
    if (s.logoMap && charMap) {
        const int32_t x = s.logoHomeX + ((12 * charMap->width * SINTAB[s.logoPhase & SINMASK]) >> 16);
        s.logoMap->x = x;
        s.logoMap->y = s.logoHomeY;
        BYTEMAPBlitKeyed(s.logoMap, s.logoLayer, 0, 0, x, s.logoHomeY, s.logoMap->width, s.logoMap->height);
    }
    s.logoPhase = (s.logoPhase + s.logoPhaseStep) % SINSIZE;
    // Under the outline (240) a texture cell keeps only its base, one flat colour; under the
    // fill (255) it keeps base plus texture; elsewhere it becomes 0.
    BYTEMAPAnd(s.logoLayer, mapOf(logoPlasma));
    SceneCover(mapOf(logoPlasma));

    FONTDrawMap(textFont, charMap);
}

void SceneScrollerKey(uint8_t key)
{
    BSCROLL *const scroller = scrollerScene.scroller;
    switch (key) {
    case SDLK_a:
        if (scroller && scroller->speed < MAX_SPEED) ++scroller->speed;
        break;
    case SDLK_s:
        if (scroller && scroller->speed > -MAX_SPEED) --scroller->speed;
        break;
    case SDLK_b:
        letterBase = nextBase(letterBase);
        logoBase = nextBase(logoBase);
        break;
    default:
        DemoKey(key);
        break;
    }
}

void SceneScroller()
{
    SceneScrollerSetup();
    for (int32_t i = 0; i < SceneLength(3, FPSTarget); ++i) {
        SceneScrollerFrame();
        if (DemoFrameEnd(SceneScrollerKey)) return;
    }
}
