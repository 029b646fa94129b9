// The effects against their floors: a 256 x 256 plasma step and render beside a memset and a
// memcpy of its 64 KiB, and the colour bars over a 256 x 256 image beside a fill of its 256 KiB.
// Prints the ratios of the median CPU times measured in this run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/sintab.h"
#include "fx/bplasma.h"
#include "fx/raster.h"
#include "gfx/img.h"
#include "ratio.h"

namespace {

constexpr size_t kPlasmaBytes = 256 * 256;
constexpr size_t kImageBytes = 256 * 256 * 4;

void memsetOf(benchmark::State &state, size_t bytes)
{
    std::vector<uint8_t> buf(bytes);
    uint8_t v = 0;
    for (auto _ : state) {
        std::memset(buf.data(), ++v, buf.size());
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
}

void BM_Memset64K(benchmark::State &state) { memsetOf(state, kPlasmaBytes); }
BENCHMARK(BM_Memset64K);

void BM_Memcpy64K(benchmark::State &state)
{
    // Source and destination in one buffer, 2 KiB apart beyond the copy: two separate 64 KiB
    // allocations sit a multiple of 4 KiB (plus 16) apart here, and that aliasing makes the
    // copy many times slower than its floor (README, Speed).
    std::vector<uint8_t> buf(2 * kPlasmaBytes + 4096, 7);
    const uint8_t *from = buf.data();
    uint8_t *to = buf.data() + kPlasmaBytes + 2048 + 64;
    for (auto _ : state) {
        std::memcpy(to, from, kPlasmaBytes);
        benchmark::DoNotOptimize(to);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy64K);

void BM_PlasmaStepDraw(benchmark::State &state)
{
    BPLASMA *plasma = BPLASMANew();
    for (auto _ : state) {
        BPLASMAStep(plasma);
        BPLASMADraw(plasma);
        benchmark::DoNotOptimize(plasma->map->data);
        benchmark::ClobberMemory();
    }
    BPLASMAFree(&plasma);
}
BENCHMARK(BM_PlasmaStepDraw);

// The same work written the obvious way: the formula per cell, no tables.
void BM_PlasmaPlainLoop(benchmark::State &state)
{
    BPLASMA *plasma = BPLASMANew();
    for (auto _ : state) {
        BPLASMAStep(plasma);
        const BPLASMAWave *w = plasma->wave;
        uint8_t *out = plasma->map->data;
        for (int v = 0; v < 256; ++v)
            for (int u = 0; u < 256; ++u)
                *out++ = static_cast<uint8_t>(
                    ((SINTAB[(w[0].phase + u * w[0].stride) & 1023] +
                      SINTAB[(w[1].phase + u * w[1].stride) & 1023] +
                      SINTAB[(w[2].phase + v * w[2].stride) & 1023] +
                      SINTAB[(w[3].phase + v * w[3].stride) & 1023]) >> 10) + 128);
        benchmark::DoNotOptimize(plasma->map->data);
        benchmark::ClobberMemory();
    }
    BPLASMAFree(&plasma);
}
BENCHMARK(BM_PlasmaPlainLoop);

void BM_Memset256K(benchmark::State &state) { memsetOf(state, kImageBytes); }
BENCHMARK(BM_Memset256K);

RASTER *rainbowBars()
{
    RASTER *r = RASTERNew();
    RASTERResize(r, 96);
    for (int32_t i = 0; i < 96; ++i) r->table[i] = 0x010101u * static_cast<uint32_t>(i) | 0xF00000;
    return r;
}

IMG *screenImage()
{
    IMG *img = IMGNew();
    IMGResize(img, 256, 256);
    return img;
}

// Runs draw(bars, image) and advances the bars once per iteration over a 256 x 256 image.
template <typename Draw>
void overBars(benchmark::State &state, Draw draw)
{
    RASTER *bars = rainbowBars();
    IMG *img = screenImage();
    for (auto _ : state) {
        draw(bars, img);
        RASTERAdvance(bars);
        benchmark::DoNotOptimize(img->pixels);
        benchmark::ClobberMemory();
    }
    RASTERFree(&bars);
    IMGFree(&img);
}

void BM_RasterDrawAdvance(benchmark::State &state)
{
    overBars(state, [](RASTER *bars, IMG *img) { RASTERDraw(bars, img); });
}
BENCHMARK(BM_RasterDrawAdvance);

// The rows written through the image's pixel accessor, as a user of the image module would.
void BM_RasterPutPixelLoop(benchmark::State &state)
{
    overBars(state, [](RASTER *bars, IMG *img) {
        const int32_t p = bars->phase >> 16;
        for (int32_t y = 0; y < 256; ++y) {
            const uint32_t colour = bars->table[(p + y) % bars->count];
            for (int32_t x = 0; x < 256; ++x) IMGPutPixel(img, x, y, colour);
        }
    });
}
BENCHMARK(BM_RasterPutPixelLoop);

void BM_RasterDrawBlended(benchmark::State &state)
{
    overBars(state, [](RASTER *bars, IMG *img) { RASTERDrawBlended(bars, img, 96); });
}
BENCHMARK(BM_RasterDrawBlended);

}  // namespace

int main(int argc, char **argv)
{
    return kovabench::runWithRatios(argc, argv, [](const kovabench::RatioReporter &r) {
        using kovabench::ratio;
        ratio(r, "BM_PlasmaStepDraw / BM_Memset64K", "BM_PlasmaStepDraw", "BM_Memset64K", "");
        ratio(r, "BM_PlasmaStepDraw / BM_Memcpy64K", "BM_PlasmaStepDraw", "BM_Memcpy64K", "");
        ratio(r, "BM_PlasmaPlainLoop / BM_PlasmaStepDraw", "BM_PlasmaPlainLoop", "BM_PlasmaStepDraw", "speed-up");
        ratio(r, "BM_RasterDrawAdvance / BM_Memset256K", "BM_RasterDrawAdvance", "BM_Memset256K", "");
        ratio(r, "BM_RasterPutPixelLoop / BM_RasterDrawAdvance", "BM_RasterPutPixelLoop",
              "BM_RasterDrawAdvance", "speed-up");
        ratio(r, "BM_RasterDrawBlended / BM_Memset256K", "BM_RasterDrawBlended", "BM_Memset256K", "");
        kovabench::absolute(r, "plasma step and draw, 256 x 256", "BM_PlasmaStepDraw", "target <= 5 us");
    });
}
