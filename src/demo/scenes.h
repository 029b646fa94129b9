// The five scenes of the cycle and what they keep between runs. Each scene is a function that
// runs its own frame loop, ends every frame with DemoFrameEnd and returns when its time is up
// or the viewer asks for the next scene; DemoCycle (cycle.cpp) calls them in order.
//
//   scene_logo.cpp      1 SceneRain, 2 ScenePlasma: text-mode rain and plasma with a logo
//   scene_scroller.cpp  3 SceneScroller: three plasma layers, big letters, a swinging logo
//   scene_bars.cpp      4 SceneBars: the music's waveform as a fading glyph trace
//   scene_pages.cpp     5 ScenePages: text pages typed over a tile, coloured by a rainbow
//
// A scene makes its objects on its first run and keeps them to the end of the process; nothing
// is allocated per frame. Every scene calls its set-up at every start, and the set-up makes
// only what is not made yet. A new scene gets a file of its own, its state and entry points here,
// and its place in SCENE_CYCLE (at the end of this file).
#pragma once

#include <cstdint>

#include "demo/textmode.h"
#include "fx/bplasma.h"
#include "fx/bscroll.h"
#include "fx/raster.h"
#include "gfx/bfont.h"
#include "gfx/bytemap.h"
#include "gfx/font.h"
#include "gfx/img.h"

// Glyph codes of the text-mode scenes.
constexpr uint8_t GLYPH_BACKGROUND = 185;  // the pale empty cell of scenes 1 and 2
constexpr uint8_t GLYPH_DROPS = 128;       // 128..143: rain drops, scene 2's plasma
constexpr uint8_t GLYPH_TRACE = 223;       // scene 4's bright trace cell
constexpr uint8_t GLYPH_TRACE_FLOOR = 192; // the dim cell every trace cell fades back to

// ---- Scenes 1 and 2 ----
// What a logo scene keeps from its first run on, and its logo-on flag.
struct SceneLogo {
    BYTEMAP *map;    // the logo: letter cells hold `colour`, the rest 0; 33 x 14 cells
    uint8_t base;    // first code of the colour range, 128 or 176, drawn once per program run
    uint8_t colour;  // the code the letter cells hold now
    uint8_t on;      // shown from half-time on; cleared at every start of the scene
};
extern SceneLogo rainLogo;     // scene 1's logo, from LOGO_RAIN
extern SceneLogo plasmaLogo;   // scene 2's logo, from LOGO_PLASMA
extern BPLASMA *scenePlasma;   // scene 2's plasma; its waves go on from run to run

void SceneRain();         // scene 1: SceneLength(1, T) frames, T read at the start
void SceneRainSetup();    // clears the frame, fills the map with background, makes the logo once
void SceneRainStep();     // drops fall one row, at most one is born, the map is rendered
void SceneRainFrame();    // one frame into `screen`: clear, rain step, the logo when it is on
void ScenePlasma();       // scene 2: SceneLength(2, T) frames, T read at the start
void ScenePlasmaSetup();  // clears, fills with background, makes the logo and the plasma once
void ScenePlasmaFrame();  // one frame into `screen`: tag, plasma, the logo when it is on, render

// ---- Scene 3 ----
extern uint8_t letterBase;       // first glyph of the letters' texture: 128, 144, 160 or 176
extern uint8_t logoBase;         // first glyph of the frame logo's texture, likewise
extern BPLASMA *backPlasma;      // layer 1: the background over the whole map
extern BPLASMA *letterPlasma;    // layer 2: the texture of the big letters
extern BPLASMA *logoPlasma;      // layer 3: the texture of the frame logo

// Scene 3's own objects, made by its first run and kept.
struct SceneScrollerState {
    char *text;              // the scroll text, upper-cased copy of SCROLL_TEXT; owned
    BSCROLL *scroller;       // moves the text, drawing with bigFont into letterLayer
    BYTEMAP *letterLayer;    // 256 x 256: the letters at full size
    BYTEMAP *logoMap;        // 128 x 16: '#' outline 240, '*' fill 255, the rest 0
    BYTEMAP *logoLayer;      // 256 x 256: the logo placed at its swing position
    int32_t logoHomeX;       // rest position of the logo: -48
    int32_t logoHomeY;       // 2
    int32_t logoPhase;       // SINTAB index of the swing: 768 at start
    int32_t logoPhaseStep;   // 2: one full swing every 512 frames
    uint8_t setupDone;       // 1 once SceneScrollerSetup has made the objects: later calls return at once
};
extern SceneScrollerState scrollerScene;

void SceneScroller();                // scene 3: SceneLength(3, T) frames, T read before every frame
void SceneScrollerSetup();           // makes the objects above, on its first call only
void SceneScrollerFrame();           // draws one frame into `screen`
void SceneScrollerKey(uint8_t key);  // 'a', 's', 'b', and the common keys

// ---- Scene 4 ----
struct SceneBarsState {
    const int32_t *values;  // the music's loop values, borrowed; null when there is no music
    int32_t step;           // values the position moves per frame: loop length / T
    int32_t position;       // index of the first value shown
    uint8_t on;             // whether the trace is drawn
};
extern SceneBarsState barsScene;

void SceneBars();       // scene 4: SceneLength(4, T) frames, T read before every frame
void SceneBarsSetup();  // clears the frame and the map, takes the loop and the step
void SceneBarsDraw();   // one frame's trace into charMap
void SceneBarsFrame();  // one frame into `screen`: clear, trace when on, decay, render

// ---- Scene 5 ----
struct ScenePagesState {
    IMG *canvas;       // 256 x 256: the text typed so far, glyphs on black
    FONT *pageFont;    // 32 x 32 cells of PAGE_SHEET: its sheet supplies the background tiles
    RASTER *rainbow;   // the 96 colours of BAR_COLOURS, scrolling one entry per frame
    IMG *rainbowCanvas;  // 256 x 256: the rainbow, cut to the typed pixels
    IMG *background;   // 256 x 256: a darkened tile magnified 8 times, made at every visit
    // The typist, kept for the whole run: the pen on the canvas, the next byte of PAGES_TEXT
    // and the byte read last (sign-extended).
    int32_t penX, penY;
    int32_t position;
    int32_t character;
};
extern ScenePagesState pagesScene;

constexpr uint8_t PAGE_END = 1;       // byte of PAGES_TEXT that ends a page and the scene
constexpr int32_t GLYPH_CURSOR = 204; // tagFont's solid block; glyph 0 erases it

void ScenePages();       // scene 5: SceneLength(5, T) = 1024 frames at most, whatever the speed
void ScenePagesSetup();  // objects once, a new background at every visit
void ScenePagesType();   // erases the cursor, types one byte, draws the cursor
void ScenePagesFrame();  // one frame into `screen`: background, one byte typed, the coloured text

// ---- Scene lengths ----
// Frames of one visit of scene `scene` (1 to 5) at `fps` frames per second when no key ends it
// sooner: 20T + 1, 10T + 1, 40T and 20T for T = fps; scene 5 types for at most 1024 frames
// whatever the speed, and its page's end byte may end it sooner. Scenes 1 and 2 take T at their
// start; scenes 3 and 4 take it before every frame, so a new speed rescales what is left. 0 for
// any other scene. kova-record --scene-lengths prints these for the scripts.
constexpr int32_t SCENE_COUNT = 5;
constexpr int32_t SceneLength(int32_t scene, int32_t fps)
{
    switch (scene) {
    case 1: return 20 * fps + 1;
    case 2: return 10 * fps + 1;
    case 3: return 40 * fps;
    case 4: return 20 * fps;
    case 5: return 1024;
    default: return 0;
    }
}

// ---- The cycle ----
// The scenes in the order DemoCycle (cycle.h) plays them, again and again.
inline constexpr void (*SCENE_CYCLE[])() = {SceneRain, ScenePlasma, SceneScroller, SceneBars,
                                            ScenePages};
