// Scenes 1 and 2, the logo scenes. Scene 1 lets glyph drops fall down a pale background and
// pile up; scene 2 fills the character map with a moving plasma. From half-time on each shows
// its ASCII-art logo in a colour that cycles one step per frame.
#include "core/random.h"
#include "demo/data.h"
#include "demo/demo.h"
#include "demo/overlay.h"
#include "demo/scenes.h"
#include "platform/fps.h"

SceneLogo rainLogo = {};
SceneLogo plasmaLogo = {};
BPLASMA *scenePlasma = nullptr;

namespace {

// The logo's 14 rows cover rows 8 to 21 of the character map.
constexpr int32_t LOGO_ROW = 8;

// Made on a scene's first run: a random colour range, and a map whose letter cells hold its
// first code and whose spaces and newlines are transparent.
void makeLogo(SceneLogo &logo, const char *text)
{
    logo.base = (random() & 1) ? 176 : 128;
    logo.colour = logo.base;
    logo.map = SceneTextMap(text);
    BYTEMAPReplace(logo.map, 'A', logo.base);
    BYTEMAPReplace(logo.map, '\n', 0);
    BYTEMAPReplace(logo.map, ' ', 0);
}

// One colour step, then the logo keyed into the character map (its newline column falls
// outside the 32 columns). With base 176 scene 1 skips 185, so its logo never takes the
// background's code; scene 2 skips nothing.
void showLogo(SceneLogo &logo, bool skipBackground)
{
    uint8_t next = static_cast<uint8_t>(logo.colour + 1);
    if (skipBackground && next == GLYPH_BACKGROUND) next = GLYPH_BACKGROUND + 1;
    next = static_cast<uint8_t>(logo.base + (next & 15));
    BYTEMAPReplace(logo.map, logo.colour, next);
    logo.colour = next;
    if (logo.map) BYTEMAPBlitKeyed(logo.map, charMap, 0, 0, 0, LOGO_ROW, logo.map->width, logo.map->height);
}

void fillBackground()
{
    IMGClear(screen);
    if (charMap) BYTEMAPFillBox(charMap, 0, 0, charMap->width, charMap->height, GLYPH_BACKGROUND);
}

bool isDrop(uint8_t cell) { return cell >= GLYPH_DROPS && cell <= GLYPH_DROPS + 15; }

}  // namespace

// ---- Scene 1: rain ----

void SceneRainSetup()
{
    fillBackground();
    rainLogo.on = 0;
    if (!rainLogo.map) makeLogo(rainLogo, LOGO_RAIN);
}

void SceneRainStep()
{
    if (charMap && charMap->data) {
        uint8_t *cell = charMap->data;
        const int32_t w = charMap->width;
        // Every row but the last, bottom right to top left: a drop that moves lands in a row
        // already walked, so it falls at most one row per frame. Drops stop on anything that
        // is not background: the logo, other drops, the last row.
        for (int32_t k = w * charMap->height - w - 1; k >= 0; --k) {
            if (isDrop(cell[k]) && cell[k + w] == GLYPH_BACKGROUND) {
                cell[k + w] = cell[k];
                cell[k] = GLYPH_BACKGROUND;
            }
        }
        // At most one drop is born per frame, in a free top-row cell found within w tries.
        for (int32_t tries = 0; tries < w; ++tries) {
            const int32_t n = static_cast<int32_t>(random() % w);
            if (cell[n] == GLYPH_BACKGROUND) {
                cell[n] = static_cast<uint8_t>(GLYPH_DROPS + (random() & 15));
                break;
            }
        }
    }
    FONTDrawMap(textFont, charMap);
}

// The logo is blitted after the frame's render, so it shows from the frame after half-time on.
void SceneRainFrame()
{
    IMGClear(screen);
    SceneRainStep();
    if (rainLogo.on) showLogo(rainLogo, true);
}

// Half-time switches the logo on before that frame's rain step, which does not look at it.
void SceneRain()
{
    SceneRainSetup();
    // Counts down from the visit's length less one to 0.
    const int32_t frames = SceneLength(1, FPSTarget) - 1, half = frames >> 1;
    for (int32_t i = frames; i >= 0; --i) {
        if (i == half) rainLogo.on = 1;
        SceneRainFrame();
        if (DemoFrameEnd(DemoKey)) return;
    }
}

// ---- Scene 2: plasma ----

void ScenePlasmaSetup()
{
    fillBackground();
    plasmaLogo.on = 0;
    if (!plasmaLogo.map) makeLogo(plasmaLogo, LOGO_PLASMA);
    if (!scenePlasma) {
        scenePlasma = BPLASMANew();
        SceneWaves(scenePlasma, {3, 4, 2, 3}, {2, 3, 3, 4});
    }
}

// The tag is drawn once under the plasma here; the frame end draws it again on top.
void ScenePlasmaFrame()
{
    BYTEMAP *const plasmaMap = scenePlasma ? scenePlasma->map : nullptr;
    IMGClear(screen);
    DemoDrawTag();
    BPLASMAStep(scenePlasma);
    BPLASMADraw(scenePlasma);
    SceneGlyphs(plasmaMap, GLYPH_DROPS, 15);
    SceneCover(plasmaMap);
    if (plasmaLogo.on) showLogo(plasmaLogo, false);
    FONTDrawMap(textFont, charMap);
}

// Half-time switches the logo on before that frame's plasma, which does not look at it.
void ScenePlasma()
{
    ScenePlasmaSetup();
    const int32_t frames = SceneLength(2, FPSTarget) - 1, half = frames >> 1;
    for (int32_t i = frames; i >= 0; --i) {
        if (i == half) plasmaLogo.on = 1;
        ScenePlasmaFrame();
        if (DemoFrameEnd(DemoKey)) return;
    }
}
