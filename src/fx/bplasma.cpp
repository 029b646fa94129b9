// BPLASMA: sum-of-sines plasma into a BYTEMAP. The picture is separable, a per-column sum plus a
// per-row sum, so a render costs width + height table evaluations and one add, one shift and
// one byte store per cell.
#include "fx/bplasma.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "core/ident.h"
#include "core/sintab.h"

ErrorReporter BPLASMAError = {0, "BPLASMA Error."};

KOVA_IDENT(BPLASMAIdent, "BPLASMA ", "20110412", "ValenTRQ", "C       ", "CODE    ");

namespace {

constexpr int32_t DEFAULT_SIZE = 256;
constexpr BPLASMAWave DEFAULT_WAVES[6] = {
    {0, 15, 6}, {200, -21, 9}, {500, 13, 7}, {800, -19, 11}, {0, 0, 0}, {0, 0, 0}};

// The cells are drawn in runs of this many columns: a fixed trip count the compiler vectorises.
constexpr int32_t RUN = 256;
// Each table entry lies within +-65532 (two entries of at most 32766); biased by this it is
// never negative and below 2^17.
constexpr int32_t BIAS = 1 << 16;

// Fills table[n-1] down to table[0] with S(a) + S(b), the two positions moving by their strides.
// Unsigned arithmetic: any stride wraps modulo the table without overflow.
void buildTable(int32_t *table, int32_t n, const BPLASMAWave &a, const BPLASMAWave &b)
{
    uint32_t ia = static_cast<uint32_t>(a.phase) & 1023u;
    uint32_t ib = static_cast<uint32_t>(b.phase) & 1023u;
    const uint32_t sa = static_cast<uint32_t>(a.stride);
    const uint32_t sb = static_cast<uint32_t>(b.stride);
    for (int32_t k = n - 1; k >= 0; --k) {
        table[k] = SINTAB[ia] + SINTAB[ib];
        ia = (ia + sa) & 1023u;
        ib = (ib + sb) & 1023u;
    }
}

// The column terms of one run, each biased and split at bit 10, so that the per-cell work fits
// 16-bit lanes: with R and C the biased row and column terms,
//   ((R + C) >> 10) = (R >> 10) + (C >> 10) + (((R & 1023) + (C & 1023)) >> 10),
// which is ((rowsum + colsum) >> 10) + 128 since the two biases add to 128 << 10.
struct ColumnRun {
    alignas(32) uint8_t high[RUN];   // C >> 10, 0..127
    alignas(32) uint16_t low[RUN];   // C & 1023
};

// One full run of cells for a row whose biased term has high part rh and low part rl.
void drawRun(uint8_t *__restrict out, const uint8_t *__restrict high,
             const uint16_t *__restrict low, uint8_t rh, uint16_t rl)
{
    for (int32_t k = 0; k < RUN; ++k)
        out[k] = static_cast<uint8_t>(
            rh + high[k] + static_cast<uint8_t>(static_cast<uint16_t>(rl + low[k]) >> 10));
}

// The same for a shorter, last run.
void drawShortRun(uint8_t *__restrict out, const uint8_t *__restrict high,
                  const uint16_t *__restrict low, int32_t n, uint8_t rh, uint16_t rl)
{
    for (int32_t k = 0; k < n; ++k)
        out[k] = static_cast<uint8_t>(
            rh + high[k] + static_cast<uint8_t>(static_cast<uint16_t>(rl + low[k]) >> 10));
}

// A zeroed map of width x height made the module's way (BYTEMAPNew, BYTEMAPResize); null when
// either step fails.
BYTEMAP *newMap(int32_t width, int32_t height)
{
    BYTEMAP *map = BYTEMAPNew();
    if (!map) return nullptr;
    BYTEMAPResize(map, width, height);
    const bool empty = width == 0 || height == 0;
    if (map->width != width || map->height != height || (!map->data && !empty)) {
        BYTEMAPFree(&map);
        return nullptr;
    }
    return map;
}

int32_t *newTable(int32_t n)
{
    return static_cast<int32_t *>(std::calloc(static_cast<size_t>(std::max(n, 1)), sizeof(int32_t)));
}

bool validSize(int32_t width, int32_t height)
{
    return width >= 0 && height >= 0 &&
           static_cast<int64_t>(width) * height <= INT32_MAX;
}

bool drawable(const BPLASMA *plasma)
{
    const BYTEMAP *map = plasma->map;
    return map && plasma->xwave && plasma->ywave && plasma->width >= 0 && plasma->height >= 0 &&
           map->width == plasma->width && map->height == plasma->height &&
           (map->data || plasma->width == 0 || plasma->height == 0);
}

}  // namespace

BPLASMA *BPLASMANew()
{
    auto *plasma = static_cast<BPLASMA *>(std::calloc(1, sizeof(BPLASMA)));
    if (!plasma) return report(BPLASMAError, nullptr);
    std::copy(std::begin(DEFAULT_WAVES), std::end(DEFAULT_WAVES), plasma->wave);
    BPLASMAResize(plasma, DEFAULT_SIZE, DEFAULT_SIZE);
    if (!plasma->map) {
        std::free(plasma);
        return nullptr;
    }
    return plasma;
}

void BPLASMAFree(BPLASMA **plasma)
{
    if (!plasma || !*plasma) return report(BPLASMAError);
    BPLASMA *p = *plasma;
    if (p->map) BYTEMAPFree(&p->map);
    std::free(p->xwave);
    std::free(p->ywave);
    std::free(p);
    *plasma = nullptr;
}

char *BPLASMAToASCII(const BPLASMA *) { return nullptr; }

BPLASMA *BPLASMAFromASCII(const char *) { return nullptr; }

int BPLASMAEqual(const BPLASMA *a, const BPLASMA *b)
{
    if (!a || !b || !drawable(a) || !drawable(b)) return report(BPLASMAError, 0);
    if (a->width != b->width || a->height != b->height) return 0;
    for (int i = 0; i < 6; ++i) {
        const BPLASMAWave &wa = a->wave[i], &wb = b->wave[i];
        if (wa.phase != wb.phase || wa.step != wb.step || wa.stride != wb.stride) return 0;
    }
    const size_t cells = static_cast<size_t>(a->width) * static_cast<size_t>(a->height);
    return cells == 0 || std::memcmp(a->map->data, b->map->data, cells) == 0 ? 1 : 0;
}

BPLASMA *BPLASMACopy(const BPLASMA *plasma)
{
    if (!plasma || !drawable(plasma)) return report(BPLASMAError, nullptr);
    auto *copy = static_cast<BPLASMA *>(std::calloc(1, sizeof(BPLASMA)));
    if (!copy) return report(BPLASMAError, nullptr);
    std::copy(std::begin(plasma->wave), std::end(plasma->wave), copy->wave);
    BPLASMAResize(copy, plasma->width, plasma->height);
    if (!copy->map) {
        std::free(copy);
        return nullptr;
    }
    const size_t cells = static_cast<size_t>(plasma->width) * static_cast<size_t>(plasma->height);
    if (cells) std::memcpy(copy->map->data, plasma->map->data, cells);
    std::copy_n(plasma->xwave, plasma->width, copy->xwave);
    std::copy_n(plasma->ywave, plasma->height, copy->ywave);
    return copy;
}

void BPLASMAResize(BPLASMA *plasma, int32_t width, int32_t height)
{
    if (!plasma || !validSize(width, height)) return report(BPLASMAError);
    // Everything new is made before anything old goes, so a failure leaves the plasma whole.
    BYTEMAP *map = newMap(width, height);
    int32_t *xwave = newTable(width);
    int32_t *ywave = newTable(height);
    if (!map || !xwave || !ywave) {
        if (map) BYTEMAPFree(&map);
        std::free(xwave);
        std::free(ywave);
        return report(BPLASMAError);
    }
    if (plasma->map) BYTEMAPFree(&plasma->map);
    std::free(plasma->xwave);
    std::free(plasma->ywave);
    plasma->width = width;
    plasma->height = height;
    plasma->map = map;
    plasma->xwave = xwave;
    plasma->ywave = ywave;
}

void BPLASMAStep(BPLASMA *plasma)
{
    if (!plasma) return report(BPLASMAError);
    for (BPLASMAWave &w : plasma->wave)
        w.phase = static_cast<int32_t>((static_cast<uint32_t>(w.phase) +
                                        static_cast<uint32_t>(w.step)) & 1023u);
}

void BPLASMADraw(BPLASMA *plasma)
{
    if (!plasma || !drawable(plasma)) return report(BPLASMAError);
    const int32_t w = plasma->width, h = plasma->height;
    buildTable(plasma->xwave, w, plasma->wave[0], plasma->wave[1]);
    buildTable(plasma->ywave, h, plasma->wave[2], plasma->wave[3]);
    if (w == 0 || h == 0) return;

    // Both tables run from their last entry, the cells from the first, so cell (u, v) takes
    // xwave[w - 1 - u] and ywave[h - 1 - v]. The column terms are turned round and split once
    // per run; the row loops then read them straight.
    ColumnRun run;
    const int32_t *xwave = plasma->xwave, *ywave = plasma->ywave;
    for (int32_t c0 = 0; c0 < w; c0 += std::min(RUN, w - c0)) {
        const int32_t n = std::min(RUN, w - c0);
        for (int32_t i = 0; i < n; ++i) {
            const int32_t c = xwave[w - 1 - c0 - i] + BIAS;
            run.high[i] = static_cast<uint8_t>(c >> 10);
            run.low[i] = static_cast<uint16_t>(c & 1023);
        }
        for (int32_t v = 0; v < h; ++v) {
            uint8_t *out = plasma->map->data + static_cast<size_t>(v) * static_cast<size_t>(w) + c0;
            const int32_t r = ywave[h - 1 - v] + BIAS;
            const auto rh = static_cast<uint8_t>(r >> 10);
            const auto rl = static_cast<uint16_t>(r & 1023);
            if (n == RUN)
                drawRun(out, run.high, run.low, rh, rl);
            else
                drawShortRun(out, run.high, run.low, n, rh, rl);
        }
    }
}
