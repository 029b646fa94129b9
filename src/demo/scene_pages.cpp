// Scene 5, the text pages: the compiled-in pages typed one byte per frame with a block cursor,
// over a dark tile magnified eight times, the typed pixels coloured by a scrolling rainbow.
// Unlike the text-mode scenes it draws in true colour. A page's end byte ends the scene; the
// next visit types the next page, and after the last page the text starts over.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "demo/data.h"
#include "demo/demo.h"
#include "demo/overlay.h"
#include "demo/scenes.h"
#include "platform/fps.h"

ScenePagesState pagesScene = {};

namespace {

constexpr int32_t TILE = 32;            // background tiles: the 8 glyphs at x 512..767 of the sheet
constexpr int32_t TILE_X = 512;
// On Windows the tile of the first visit is kept; elsewhere every visit chooses anew.
#ifdef _WIN32
constexpr bool NEW_TILE_EVERY_VISIT = false;
#else
constexpr bool NEW_TILE_EVERY_VISIT = true;
#endif

IMG *newCanvas(int32_t width, int32_t height)
{
    IMG *image = IMGNew();
    IMGResize(image, width, height);
    return image;
}

// One cell of tagFont, opaque, on the page canvas at the pen: glyph 0 erases, 204 is the cursor.
void typeGlyph(int32_t code)
{
    if (!tagFont) return;
    tagFont->x = pagesScene.penX;
    tagFont->y = pagesScene.penY;
    tagFont->target = pagesScene.canvas;
    tagFont->code = code;
    FONTDrawGlyphOpaque(tagFont);
}

// One of the eight tiles, chosen by rand(), magnified to the frame and darkened by half.
void makeBackground()
{
    ScenePagesState &s = pagesScene;
    if (s.background) IMGFree(&s.background);
    s.background = newCanvas(SCREEN_W, SCREEN_H);
    IMG *tile = newCanvas(TILE, TILE);
    const int32_t r = std::rand() % 8;
    IMGBlitKeyed(s.pageFont ? s.pageFont->sheet : nullptr, tile, TILE_X + TILE * r, 0, 0, 0, TILE, TILE);
    IMGScale(tile, s.background);
    IMGFree(&tile);
    IMGSubtract(s.background, 0x808080);
}

}  // namespace

void ScenePagesSetup()
{
    ScenePagesState &s = pagesScene;
    // Each object is made once; one that could not be made is tried again at the next visit,
    // and the others are kept rather than made again.
    if (!s.canvas) s.canvas = newCanvas(SCREEN_W, SCREEN_H);
    if (!s.pageFont) s.pageFont = DemoFontNew(32, 32, IMGFromPNM(PAGE_SHEET, PAGE_SHEET_SIZE), s.canvas);
    if (!s.rainbow) {
        s.rainbow = RASTERNew();
        RASTERResize(s.rainbow, BAR_COLOURS.count);
        if (s.rainbow && s.rainbow->table) {
            const int32_t count = std::min(s.rainbow->count, BAR_COLOUR_COUNT);
            std::memcpy(s.rainbow->table, BAR_COLOURS.colours, sizeof(uint32_t) * static_cast<size_t>(count));
        }
    }
    if (!s.rainbowCanvas) s.rainbowCanvas = newCanvas(SCREEN_W, SCREEN_H);
    if (NEW_TILE_EVERY_VISIT || !s.background) makeBackground();
}

void ScenePagesType()
{
    ScenePagesState &s = pagesScene;
    typeGlyph(0);
    s.character = static_cast<signed char>(PAGES_TEXT[s.position]);
    ++s.position;
    switch (s.character) {
    case '\n':
        s.penX = 0;
        s.penY += 8;
        break;
    case PAGE_END:
        s.penX = s.penY = 0;
        demoFlags |= DEMO_LEAVE_SCENE;
        break;
    case 0:  // the end of the text: the pages start over
        s.penX = s.penY = 0;
        s.position = 0;
        break;
    default:
        // No wrapping: a glyph at x 256 or on a line at y 256 and beyond is clipped away.
        typeGlyph(s.character);
        s.penX += 8;
        break;
    }
    typeGlyph(GLYPH_CURSOR);
}

void ScenePagesFrame()
{
    ScenePagesState &s = pagesScene;
    IMGBlit(s.background, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    ScenePagesType();
    // The full-width rainbow, one colour per pixel row, cut to the lit pixels of the typed text.
    RASTERDraw(s.rainbow, s.rainbowCanvas);
    RASTERAdvance(s.rainbow);
    IMGAnd(s.canvas, s.rainbowCanvas);
    IMGBlitKeyed(s.rainbowCanvas, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
}

// Each visit starts on an empty page; the typing goes on where the last visit stopped.
void ScenePages()
{
    ScenePagesSetup();
    IMGClear(pagesScene.canvas);
    for (int32_t i = 0; i < SceneLength(5, FPSTarget); ++i) {
        ScenePagesFrame();
        if (DemoFrameEnd(DemoKey)) return;
    }
}
