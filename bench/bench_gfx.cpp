// Image and byte-map drawing beside what a user would reach for instead: memcpy/memset for
// opaque copies and fills, SDL's colour-keyed blit for the keyed copy, SDL_gfx's zoomSurface
// for tile scaling. All run in one binary, interleaved, and the ratios are printed at the end.
#include <SDL/SDL.h>
#include <SDL/SDL_rotozoom.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>

#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "ratio.h"

namespace {

constexpr int32_t side = 256;

// A frame-sized image with about one black pixel in four, like a layer to be overlaid.
IMG *layer(int32_t w, int32_t h, uint32_t seed)
{
    IMG *image = IMGNew();
    IMGResize(image, w, h);
    std::mt19937 random(seed);
    for (int32_t k = 0; k < w * h; ++k)
        image->pixels[k] = random() % 4 == 0 ? 0 : random() & 0x00FFFFFFu;
    return image;
}

BYTEMAP *cells(uint32_t seed)
{
    BYTEMAP *map = BYTEMAPNew();
    BYTEMAPResize(map, side, side);
    std::mt19937 random(seed);
    for (int32_t k = 0; k < side * side; ++k) map->data[k] = random() % 4 == 0 ? 0 : uint8_t(random());
    return map;
}

// A 32-bit SDL surface over an image's pixels, same layout, no copy.
SDL_Surface *surfaceOver(IMG *image)
{
    return SDL_CreateRGBSurfaceFrom(image->pixels, image->width, image->height, 32,
                                    image->width * 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

void touch(const void *p)
{
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
}

// Runs step(source, screen) once per iteration over two frame-sized layers.
template <typename Step>
void overImages(benchmark::State &state, Step step, int32_t w = side, int32_t h = side)
{
    IMG *source = layer(w, h, 1), *screen = layer(side, side, 2);
    for (auto _ : state) {
        step(source, screen);
        touch(screen->pixels);
    }
    IMGFree(&source);
    IMGFree(&screen);
}

// Runs step(source, target) once per iteration over two 256 x 256 maps.
template <typename Step>
void overMaps(benchmark::State &state, Step step)
{
    BYTEMAP *source = cells(1), *target = cells(2);
    for (auto _ : state) {
        step(source, target);
        touch(target->data);
    }
    BYTEMAPFree(&source);
    BYTEMAPFree(&target);
}

// ---- Floors ----
// On the very buffers the operations use, with sizes the compiler cannot see: a constant size
// lets it inline the copy as a string move, which is far slower than the C library's call on
// some machines and is not what a caller with run-time sizes gets.

size_t opaque(size_t n)
{
    benchmark::DoNotOptimize(n);
    return n;
}

void Memcpy256K(benchmark::State &state)
{
    overImages(state, [](IMG *s, IMG *d) { std::memcpy(d->pixels, s->pixels, opaque(side * side * 4)); });
}
BENCHMARK(Memcpy256K);

// The same bytes as 256 row-sized copies, as the opaque blit makes them.
void Memcpy256KByRows(benchmark::State &state)
{
    overImages(state, [](IMG *s, IMG *d) {
        const size_t rowBytes = opaque(side * 4);
        for (int32_t row = 0; row < side; ++row)
            std::memcpy(d->pixels + row * side, s->pixels + row * side, rowBytes);
    });
}
BENCHMARK(Memcpy256KByRows);

void Memset256K(benchmark::State &state)
{
    overImages(state, [](IMG *, IMG *d) { std::memset(d->pixels, 0x40, opaque(side * side * 4)); });
}
BENCHMARK(Memset256K);

void Memcpy64K(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *s, BYTEMAP *d) { std::memcpy(d->data, s->data, opaque(side * side)); });
}
BENCHMARK(Memcpy64K);

// ---- Full-screen image passes ----

void IMGBlitKeyedScreen(benchmark::State &state)
{
    overImages(state, [](IMG *s, IMG *d) { IMGBlitKeyed(s, d, 0, 0, 0, 0, side, side); });
}
BENCHMARK(IMGBlitKeyedScreen);

void SDLBlitColourKeyScreen(benchmark::State &state)
{
    IMG *source = layer(side, side, 1), *screen = layer(side, side, 2);
    SDL_Surface *s = surfaceOver(source), *d = surfaceOver(screen);
    SDL_SetColorKey(s, SDL_SRCCOLORKEY, 0);
    for (auto _ : state) {
        SDL_BlitSurface(s, nullptr, d, nullptr);
        touch(screen->pixels);
    }
    SDL_FreeSurface(s);
    SDL_FreeSurface(d);
    IMGFree(&source);
    IMGFree(&screen);
}
BENCHMARK(SDLBlitColourKeyScreen);

void IMGBlitScreen(benchmark::State &state)
{
    overImages(state, [](IMG *s, IMG *d) { IMGBlit(s, d, 0, 0, 0, 0, side, side); });
}
BENCHMARK(IMGBlitScreen);

// A block one pixel to the right: rows are no longer packed (and one column is clipped).
void IMGBlitScreenRows(benchmark::State &state)
{
    overImages(state, [](IMG *s, IMG *d) { IMGBlit(s, d, 0, 0, 1, 0, side, side); });
}
BENCHMARK(IMGBlitScreenRows);

void IMGFillBoxScreen(benchmark::State &state)
{
    overImages(state, [](IMG *, IMG *d) { IMGFillBox(d, 0, 0, side, side, 0x00404040); });
}
BENCHMARK(IMGFillBoxScreen);

void IMGAndScreen(benchmark::State &state)
{
    overImages(state, [](IMG *mask, IMG *d) { IMGAnd(mask, d); });
}
BENCHMARK(IMGAndScreen);

// ---- Tile scaling ----

void IMGScaleTile(benchmark::State &state)
{
    overImages(state, [](IMG *tile, IMG *d) { IMGScale(tile, d); }, 32, 32);
}
BENCHMARK(IMGScaleTile);

// zoomSurface makes a new surface on every call: that is what its user pays.
void ZoomSurfaceTile(benchmark::State &state)
{
    IMG *tile = layer(32, 32, 3);
    SDL_Surface *s = surfaceOver(tile);
    for (auto _ : state) {
        SDL_Surface *zoomed = zoomSurface(s, 8.0, 8.0, SMOOTHING_OFF);
        touch(zoomed->pixels);
        SDL_FreeSurface(zoomed);
    }
    SDL_FreeSurface(s);
    IMGFree(&tile);
}
BENCHMARK(ZoomSurfaceTile);

// ---- 64 KiB byte-map passes ----

void BYTEMAPBlitKeyedPlasma(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *s, BYTEMAP *d) { BYTEMAPBlitKeyed(s, d, 0, 0, 0, 0, side, side); });
}
BENCHMARK(BYTEMAPBlitKeyedPlasma);

void BYTEMAPAndPlasma(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *mask, BYTEMAP *d) { BYTEMAPAnd(mask, d); });
}
BENCHMARK(BYTEMAPAndPlasma);

// Two passes per iteration, so that the map returns to where it started.
void BYTEMAPReplacePlasma(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *, BYTEMAP *d) {
        BYTEMAPReplace(d, 7, 9);
        BYTEMAPReplace(d, 9, 7);
    });
}
BENCHMARK(BYTEMAPReplacePlasma);

void BYTEMAPAddPlasma(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *, BYTEMAP *d) { BYTEMAPAdd(d, 128); });
}
BENCHMARK(BYTEMAPAddPlasma);

void BYTEMAPLookupPlasma(benchmark::State &state)
{
    overMaps(state, [](BYTEMAP *table, BYTEMAP *d) { BYTEMAPLookup(d, table); });
}
BENCHMARK(BYTEMAPLookupPlasma);

}  // namespace

int main(int argc, char **argv)
{
    return kovabench::runWithRatios(argc, argv, [](const kovabench::RatioReporter &r) {
        using kovabench::absolute;
        using kovabench::ratio;
        ratio(r, "keyed screen copy / memcpy 256 KiB", "IMGBlitKeyedScreen", "Memcpy256K", "target <= 4");
        ratio(r, "keyed screen copy / memcpy by 1 KiB rows", "IMGBlitKeyedScreen", "Memcpy256KByRows",
              "target <= 4");
        ratio(r, "SDL colour-key blit / keyed screen copy", "SDLBlitColourKeyScreen", "IMGBlitKeyedScreen",
              "speed-up");
        ratio(r, "opaque screen copy / memcpy 256 KiB", "IMGBlitScreen", "Memcpy256K", "target <= 1.2");
        ratio(r, "opaque screen copy / memcpy by 1 KiB rows", "IMGBlitScreen", "Memcpy256KByRows",
              "target <= 1.2");
        ratio(r, "opaque copy, unpacked rows / memcpy 256 KiB", "IMGBlitScreenRows", "Memcpy256K",
              "target <= 1.2");
        ratio(r, "screen fill / memset 256 KiB", "IMGFillBoxScreen", "Memset256K", "target <= 1.2");
        ratio(r, "screen mask (IMGAnd) / memcpy by 1 KiB rows", "IMGAndScreen", "Memcpy256KByRows", "");
        ratio(r, "zoomSurface / IMGScale 32 -> 256", "ZoomSurfaceTile", "IMGScaleTile", "target >= 12");
        absolute(r, "64 KiB keyed byte-map blit", "BYTEMAPBlitKeyedPlasma", "target <= 3 us");
        absolute(r, "64 KiB byte-map AND", "BYTEMAPAndPlasma", "target <= 3 us");
        absolute(r, "64 KiB byte-map replace (remap)", "BYTEMAPReplacePlasma", "target <= 3 us", 2);
        absolute(r, "64 KiB byte-map add", "BYTEMAPAddPlasma", "target <= 3 us");
        absolute(r, "64 KiB byte-map table lookup", "BYTEMAPLookupPlasma", "");
        absolute(r, "memcpy 64 KiB", "Memcpy64K", "floor");
    });
}
