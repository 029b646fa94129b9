// The character map of the text-mode scenes (1,024 keyed 8 x 8 glyphs from the 256 x 80 text
// sheet onto the 256 x 256 frame) beside what a user would reach for instead: 1,024 SDL
// colour-keyed blits of the same cells from a surface over the same sheet, and the floor, a
// 256 KiB memcpy. All run in one binary, interleaved; the ratios are printed at the end.
#include <SDL/SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "demo/data.h"
#include "gfx/bfont.h"
#include "gfx/font.h"

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

// Keeps the median (or, without repetitions, the mean) real time of every benchmark in
// nanoseconds, for the ratios printed after the runs.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !medians.count(name)))
                ns[name] = run.GetAdjustedRealTime() * scale(run.time_unit);
            if (median) medians[name] = true;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::map<std::string, bool> medians;

    static double scale(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

void ratio(const RatioReporter &r, const char *what, const char *a, const char *b, const char *target)
{
    const auto x = r.ns.find(a), y = r.ns.find(b);
    if (x == r.ns.end() || y == r.ns.end() || y->second <= 0) return;
    std::printf("  %-44s %7.2f   (%s)\n", what, x->second / y->second, target);
}

}  // namespace

// Without arguments: 15 interleaved repetitions, medians compared.
int main(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=15";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (argc == 1) args.insert(args.end(), {repetitions.data(), interleave.data(), aggregates.data()});
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (medians of this run):\n");
    ratio(reporter, "FONTDrawMap / memcpy 256 KiB", "FONTDrawMapScreen", "Memcpy256K", "at most 5");
    ratio(reporter, "SDL colour-keyed glyphs / FONTDrawMap", "SDLBlitColourKeyGlyphs",
          "FONTDrawMapScreen", "at least 10");
    ratio(reporter, "FONTDrawMap clipped left-bottom / unclipped", "FONTDrawMapClipped",
          "FONTDrawMapScreen", "at most 1.3");
    ratio(reporter, "FONTDrawMap clipped right-top / unclipped", "FONTDrawMapClippedRightTop",
          "FONTDrawMapScreen", "at most 1.3");
    ratio(reporter, "glyph by glyph / FONTDrawMap", "FONTDrawGlyphEachCell", "FONTDrawMapScreen",
          "speed-up of the map walk");
    ratio(reporter, "BFONTDrawMap / memcpy 256 KiB", "BFONTDrawMapScreen", "Memcpy256K", "a quarter of the bytes");
    return 0;
}
