// The character map of the text-mode scenes (1,024 keyed 8 x 8 glyphs from the 256 x 80 text
// sheet onto the 256 x 256 frame) beside what a user would reach for instead: 1,024 SDL
// colour-keyed blits of the same cells from a surface over the same sheet, and the floor, a
// 256 KiB memcpy. All run in one binary, interleaved; the ratios are printed at the end.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "demo/data.h"
#include "gfx/bfont.h"
#include "gfx/font.h"
#include "ratio.h"

namespace {

constexpr int32_t side = 256;

void touch(const void *p)
{
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
}

// A 32 x 32 character map of codes 0..255 at (x, y).
BYTEMAP *characterMap(int32_t x, int32_t y)
{
    BYTEMAP *map = BYTEMAPNew();
    BYTEMAPResize(map, 32, 32);
    map->x = x;
    map->y = y;
    std::mt19937 random(7);
    for (int32_t k = 0; k < 32 * 32; ++k) map->data[k] = uint8_t(random());
    return map;
}

// The demo's text font: 8 x 8 cells over the compiled-in sheet, drawing on a 256 x 256 frame.
struct TextFont {
    IMG *screen = IMGNew();
    FONT *font = FONTNew();

    TextFont()
    {
        IMGResize(screen, side, side);
        font->width = font->height = 8;
        font->sheet = IMGFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE);
        font->target = screen;
    }
    ~TextFont()
    {
        FONTFree(&font);
        IMGFree(&screen);
    }
};

// A 32-bit SDL surface over an image's pixels, same layout, no copy.
SDL_Surface *surfaceOver(IMG *image)
{
    return SDL_CreateRGBSurfaceFrom(image->pixels, image->width, image->height, 32,
                                    image->width * 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

// The floor. Both blocks are page-aligned mappings; shifting the destination by a little over
// a kilobyte keeps loads and stores from contending for the same cache sets, which can slow
// the copy several times over and would flatter every ratio against it.
void Memcpy256K(benchmark::State &state)
{
    constexpr size_t shift = (1024 + 64) / 4;
    std::vector<uint32_t> a(side * side, 1), b(side * side + shift);
    for (auto _ : state) {
        std::memcpy(b.data() + shift, a.data(), a.size() * 4);
        touch(b.data());
    }
}
BENCHMARK(Memcpy256K);

void mapAt(benchmark::State &state, int32_t x, int32_t y)
{
    TextFont t;
    BYTEMAP *map = characterMap(x, y);
    for (auto _ : state) {
        FONTDrawMap(t.font, map);
        touch(t.screen->pixels);
    }
    BYTEMAPFree(&map);
}

void FONTDrawMapScreen(benchmark::State &state) { mapAt(state, 0, 0); }
BENCHMARK(FONTDrawMapScreen);

// Cut on the left and at the bottom: 63 of the glyphs take the clipped copy.
void FONTDrawMapClipped(benchmark::State &state) { mapAt(state, -3, 5); }
BENCHMARK(FONTDrawMapClipped);

// Cut on the right and at the top.
void FONTDrawMapClippedRightTop(benchmark::State &state) { mapAt(state, 4, -6); }
BENCHMARK(FONTDrawMapClippedRightTop);

// The same map drawn one FONTDrawGlyph (one clipped keyed rectangle copy) per cell.
void FONTDrawGlyphEachCell(benchmark::State &state)
{
    TextFont t;
    BYTEMAP *map = characterMap(0, 0);
    for (auto _ : state) {
        for (int32_t r = 0; r < 32; ++r) {
            t.font->x = 0;
            t.font->y = r * 8;
            for (int32_t c = 0; c < 32; ++c) {
                t.font->code = map->data[r * 32 + c];
                FONTDrawGlyph(t.font);
            }
        }
        touch(t.screen->pixels);
    }
    BYTEMAPFree(&map);
}
BENCHMARK(FONTDrawGlyphEachCell);

// 1,024 SDL_BlitSurface calls with a colour key of black, cell by cell from the same sheet.
void SDLBlitColourKeyGlyphs(benchmark::State &state)
{
    TextFont t;
    BYTEMAP *map = characterMap(0, 0);
    SDL_Surface *sheet = surfaceOver(t.font->sheet), *screen = surfaceOver(t.screen);
    SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, 0);
    for (auto _ : state) {
        for (int32_t r = 0; r < 32; ++r)
            for (int32_t c = 0; c < 32; ++c) {
                const int32_t code = map->data[r * 32 + c];
                SDL_Rect from = {Sint16(code % 32 * 8), Sint16(code / 32 * 8), 8, 8};
                SDL_Rect to = {Sint16(c * 8), Sint16(r * 8), 8, 8};
                SDL_BlitSurface(sheet, &from, screen, &to);
            }
        touch(t.screen->pixels);
    }
    SDL_FreeSurface(sheet);
    SDL_FreeSurface(screen);
    BYTEMAPFree(&map);
}
BENCHMARK(SDLBlitColourKeyGlyphs);

// The bitmap font's twin of the text-mode frame: 1,024 keyed 8 x 8 glyphs of bytes.
void BFONTDrawMapScreen(benchmark::State &state)
{
    BYTEMAP *screen = BYTEMAPNew();
    BYTEMAPResize(screen, side, side);
    BFONT *font = BFONTNew();
    font->width = font->height = 8;
    font->sheet = BYTEMAPFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE);
    font->target = screen;
    BYTEMAP *map = characterMap(0, 0);
    for (auto _ : state) {
        BFONTDrawMap(font, map);
        touch(screen->data);
    }
    BYTEMAPFree(&map);
    BFONTFree(&font);
    BYTEMAPFree(&screen);
}
BENCHMARK(BFONTDrawMapScreen);

}  // namespace

// Without arguments: 15 interleaved repetitions rather than the usual 9.
int main(int argc, char **argv)
{
    return kovabench::runWithRatios(
        argc, argv,
        [](const kovabench::RatioReporter &r) {
            using kovabench::ratio;
            ratio(r, "FONTDrawMap / memcpy 256 KiB", "FONTDrawMapScreen", "Memcpy256K", "at most 5");
            ratio(r, "SDL colour-keyed glyphs / FONTDrawMap", "SDLBlitColourKeyGlyphs", "FONTDrawMapScreen",
                  "at least 10");
            ratio(r, "FONTDrawMap clipped left-bottom / unclipped", "FONTDrawMapClipped", "FONTDrawMapScreen",
                  "at most 1.3");
            ratio(r, "FONTDrawMap clipped right-top / unclipped", "FONTDrawMapClippedRightTop",
                  "FONTDrawMapScreen", "at most 1.3");
            ratio(r, "glyph by glyph / FONTDrawMap", "FONTDrawGlyphEachCell", "FONTDrawMapScreen",
                  "speed-up of the map walk");
            ratio(r, "BFONTDrawMap / memcpy 256 KiB", "BFONTDrawMapScreen", "Memcpy256K",
                  "a quarter of the bytes");
        },
        15);
}
