// Random sequences of drawing operations with extreme arguments on small images and maps (sides
// 0 to 9, source and destination often the same surface), through the fonts and the colour bars
// too. Beyond what the sanitizers see, cheap invariants: no operation but a resize moves or
// resizes a surface or a font's sheet, point lists start and end on their ends, run tables add
// up, rotated copies have the promised size, a copy compares equal.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "core/list.h"
#include "fx/raster.h"
#include "gfx/bfont.h"
#include "gfx/font.h"

namespace {

constexpr int32_t EDGES[] = {INT32_MIN, INT32_MIN + 1, -65536, -1025, -1024, -257, -9, -8, -2, -1, 0, 1, 2,
                             3,         7,             8,      9,     15,    16,   255, 256, 1023, 1024,
                             65536,     INT32_MAX - 1, INT32_MAX};

struct Fuzz {
    FuzzedDataProvider in;
    IMG *images[3] = {};
    BYTEMAP *maps[3] = {};

    Fuzz(const uint8_t *data, size_t size) : in(data, size) {}

    // Mostly an edge of some range, else any 32-bit value.
    int32_t arg()
    {
        const auto k = in.ConsumeIntegral<uint8_t>();
        return k < 3 * std::size(EDGES) ? EDGES[k % std::size(EDGES)] : in.ConsumeIntegral<int32_t>();
    }
    int32_t near() { return in.ConsumeIntegralInRange<int32_t>(-12, 12); }  // around a small surface
    int32_t any() { return in.ConsumeBool() ? arg() : near(); }
    int32_t side() { return in.ConsumeIntegralInRange<int32_t>(0, 9); }
    IMG *image() { return images[in.ConsumeIntegralInRange(0, 2)]; }
    BYTEMAP *map() { return maps[in.ConsumeIntegralInRange(0, 2)]; }
};

template <class Surface, class Cell>
void fill(Fuzz &f, Surface *s, Cell *cells)
{
    for (int32_t i = 0; i < s->width * s->height; ++i) cells[i] = Cell(f.in.ConsumeIntegral<uint32_t>() & 0x00FFFFFF);
}

struct Shape {
    const void *cells;
    int32_t width, height;
};
Shape shape(const IMG *i) { return {i->pixels, i->width, i->height}; }
Shape shape(const BYTEMAP *m) { return {m->data, m->width, m->height}; }
bool operator!=(const Shape &a, const Shape &b) { return a.cells != b.cells || a.width != b.width || a.height != b.height; }

void check(bool ok)
{
    if (!ok) std::abort();
}

// A point list: 2n + 2 in element 0, then (x0, y0) first and (x1, y1) last.
void checkLine(int32_t *points, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    if (!points) return;
    const int32_t n = points[0];
    check(n >= 2 && n % 2 == 0 && points[1] == x0 && points[2] == y0 && points[n - 1] == x1 && points[n] == y1);
    std::free(points);
}

// Runs of a table of a and b: min + 1 counters, the first min of them adding up to max.
void checkRuns(int32_t *runs, int32_t a, int32_t b)
{
    if (!runs) return;
    const int64_t s = std::min(std::abs(int64_t{a}), std::abs(int64_t{b}));
    const int64_t l = std::max(std::abs(int64_t{a}), std::abs(int64_t{b}));
    int64_t sum = 0;
    for (int64_t i = 0; i <= s; ++i) sum += runs[i];
    check(sum == l + 1);
    std::free(runs);
}

int64_t rotatedSide(int32_t side) { return (int64_t{side} * 92667) >> 16; }

template <class Font>
void aim(Fuzz &f, Font *font)
{
    font->x = f.any();
    font->y = f.any();
    font->code = f.any();
    if (f.in.ConsumeIntegral<uint8_t>() < 16) font->width = f.any(), font->height = f.any();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Fuzz f(data, size);
    for (auto &i : f.images) {
        i = IMGNew();
        IMGResize(i, f.side(), f.side());
        fill(f, i, i->pixels);
    }
    for (auto &m : f.maps) {
        m = BYTEMAPNew();
        BYTEMAPResize(m, f.side(), f.side());
        fill(f, m, m->data);
    }
    FONT *font = FONTNew();
    font->sheet = IMGCopy(f.images[0]);
    font->target = f.images[1];
    FONT *small = FONTNew();
    small->sheet = IMGCopy(f.images[2]);
    BFONT *bfont = BFONTNew();
    bfont->sheet = BYTEMAPCopy(f.maps[0]);
    bfont->target = f.maps[1];
    BFONT *bsmall = BFONTNew();
    bsmall->sheet = BYTEMAPCopy(f.maps[2]);
    RASTER *bars = RASTERNew();
    RASTERResize(bars, f.in.ConsumeIntegralInRange(0, 40));
    LIST *colours = LISTNew();
    static uint32_t palette[256];
    for (uint32_t &c : palette) LISTAppend(colours, &c);

    for (int steps = 0; steps < 64 && f.in.remaining_bytes() > 0; ++steps) {
        Shape before[6];
        for (int k = 0; k < 3; ++k) before[k] = shape(f.images[k]), before[3 + k] = shape(f.maps[k]);
        const Shape sheets[4] = {shape(font->sheet), shape(small->sheet), shape(bfont->sheet), shape(bsmall->sheet)};
        bool resized = false;
        IMG *a = f.image(), *b = f.image();
        BYTEMAP *m = f.map(), *n = f.map();
        switch (f.in.ConsumeIntegralInRange(0, 58)) {
        case 0: IMGBlitKeyed(a, b, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 1: IMGBlit(a, b, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 2: IMGBlitAdd(a, b, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 3: IMGBlitAddSaturate(a, b, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 4: IMGBlitSpaced(a, b, f.any(), f.any(), f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 5: IMGBlendHalf(a, b, f.any(), f.any()); break;
        case 6: IMGBlitRowWrap(a, b, f.any(), f.any(), f.any()); break;
        case 7: IMGOrRowWrap(a, b, f.any(), f.any(), f.any()); break;
        case 8: IMGBlitColumnWrap(a, b, f.any(), f.any(), f.any()); break;
        case 9: IMGCopyRow(a, b, f.any(), f.any()); break;
        case 10: IMGAnd(a, b); break;
        case 11: IMGInvert(a); break;
        case 12: IMGScale(a, b); break;
        case 13: {
            const int32_t angle = f.any();
            if (IMG *r = IMGRotate(a, angle)) {
                check(r->width == rotatedSide(a->width) && r->height == rotatedSide(a->height));
                IMGFree(&r);
            }
            break;
        }
        case 14: IMGFillBox(a, f.any(), f.any(), f.any(), f.any(), uint32_t(f.arg())); break;
        case 15: IMGBox(a, f.any(), f.any(), f.any(), f.any(), uint32_t(f.arg())); break;
        case 16: IMGCircle(a, f.any(), f.any(), f.any(), uint32_t(f.arg())); break;
        case 17: IMGPutPixel(a, f.any(), f.any(), uint32_t(f.arg())); break;
        case 18: IMGGetPixel(a, f.any(), f.any()); break;
        case 19: IMGSubtract(a, uint32_t(f.arg())); break;
        case 20: IMGCopyTo(a, b); check(!(a->width == b->width && a->height == b->height) || IMGEqual(a, b)); break;
        case 21: IMGResize(a, f.side(), f.side()), resized = true; break;
        case 22: BYTEMAPBlitKeyed(m, n, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 23: BYTEMAPBlit(m, n, f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 24: BYTEMAPBlitSpaced(m, n, f.any(), f.any(), f.any(), f.any(), f.any(), f.any(), f.any(), f.any()); break;
        case 25: BYTEMAPBlendHalf(m, n, f.any(), f.any()); break;
        case 26: BYTEMAPBlitRowWrap(m, n, f.any(), f.any(), f.any()); break;
        case 27: BYTEMAPOrRowWrap(m, n, f.any(), f.any(), f.any()); break;
        case 28: BYTEMAPBlitColumnWrap(m, n, f.any(), f.any(), f.any()); break;
        case 29: BYTEMAPAnd(m, n); break;
        case 30: BYTEMAPToIMG(m, a, f.in.ConsumeBool() ? colours : nullptr); break;
        case 31: BYTEMAPScale(m, n); break;
        case 32: {
            const int32_t angle = f.any();
            if (BYTEMAP *r = BYTEMAPRotate(m, angle)) {
                check(r->width == rotatedSide(m->width) && r->height == rotatedSide(m->height));
                BYTEMAPFree(&r);
            }
            break;
        }
        case 33: BYTEMAPFillBox(m, f.any(), f.any(), f.any(), f.any(), f.arg()); break;
        case 34: BYTEMAPFillBoxClipped(m, f.any(), f.any(), f.any(), f.any(), f.arg()); break;
        case 35: BYTEMAPBox(m, f.any(), f.any(), f.any(), f.any(), f.arg()); break;
        case 36: BYTEMAPHLine(m, f.any(), f.any(), f.any(), f.arg()); break;
        case 37: BYTEMAPVLine(m, f.any(), f.any(), f.any(), f.arg()); break;
        case 38: BYTEMAPLine(m, f.any(), f.any(), f.any(), f.any(), f.arg()); break;
        case 39: BYTEMAPCircle(m, f.any(), f.any(), f.any(), f.arg()); break;
        case 40: BYTEMAPReplace(m, f.arg(), f.arg()); break;
        case 41: BYTEMAPAdd(m, f.arg()), BYTEMAPSubtract(n, f.arg()), BYTEMAPInvert(m); break;
        case 42: BYTEMAPLookup(m, n); break;
        case 43: BYTEMAPRandom(m, f.arg(), f.arg()); break;
        case 44: BYTEMAPPutPixel(m, f.any(), f.any(), f.arg()), BYTEMAPGetPixel(n, f.any(), f.any()); break;
        case 45: BYTEMAPResize(m, f.side(), f.side()), resized = true; break;
        case 46: {  // tables and point lists: sizes bounded (they allocate that much), or far apart (refused)
            const int32_t x0 = f.in.ConsumeIntegralInRange(-3000, 3000), y0 = f.in.ConsumeIntegralInRange(-3000, 3000);
            const int32_t x1 = f.in.ConsumeIntegralInRange(-3000, 3000), y1 = f.in.ConsumeIntegralInRange(-3000, 3000);
            checkLine(f.in.ConsumeBool() ? IMGLinePoints(x0, y0, x1, y1) : BYTEMAPLinePoints(x0, y0, x1, y1), x0, y0, x1, y1);
            checkRuns(f.in.ConsumeBool() ? IMGRunTable(x0, y1) : BYTEMAPRunTable(x0, y1), x0, y1);
            check(!IMGLinePoints(INT32_MIN, y0, INT32_MAX, y1) && !BYTEMAPRunTable(x0, INT32_MIN));
            break;
        }
        case 47: aim(f, font), FONTDrawGlyph(font), FONTDrawGlyphOpaque(font), FONTDrawGlyphAdd(font); break;
        case 48: aim(f, font), FONTDrawHex8(font, uint32_t(f.arg())), FONTDrawHex32(font, uint32_t(f.arg())); break;
        case 49: {
            const std::string text = f.in.ConsumeRandomLengthString(40);
            aim(f, font), FONTDrawLine(font, text.c_str()), FONTDrawText(font, text.c_str());
            break;
        }
        case 50: m->x = f.any(), m->y = f.any(), aim(f, font), FONTDrawMap(font, m); break;
        case 51: aim(f, font), aim(f, small), FONTDrawBig(font, small); break;
        case 52: aim(f, bfont), BFONTDrawGlyph(bfont), BFONTDrawGlyphOpaque(bfont), BFONTDrawHex16(bfont, uint32_t(f.arg())); break;
        case 53: {
            const std::string text = f.in.ConsumeRandomLengthString(40);
            aim(f, bfont), BFONTDrawLine(bfont, text.c_str()), BFONTDrawText(bfont, text.c_str());
            break;
        }
        case 54: n->x = f.any(), n->y = f.any(), aim(f, bfont), BFONTDrawMap(bfont, n); break;
        case 55: aim(f, bfont), aim(f, bsmall), BFONTDrawBig(bfont, bsmall); break;
        case 56: bars->phase = f.arg(), bars->speed = f.arg(), RASTERAdvance(bars), RASTERDraw(bars, a), RASTERDrawBlended(bars, b, f.arg()); break;
        case 57: RASTERFillRow(a, uint32_t(f.arg()), f.any(), f.any(), f.any()), RASTERBlendRow(b, uint32_t(f.arg()), f.any(), f.any(), f.any(), f.arg()); break;
        default: RASTERSmooth(bars, f.arg()); break;
        }
        // Only a resize moves or resizes a surface; nothing touches a font's sheet.
        for (int k = 0; k < 3; ++k) {
            check(resized || !(shape(f.images[k]) != before[k]));
            check(resized || !(shape(f.maps[k]) != before[3 + k]));
        }
        check(!(shape(font->sheet) != sheets[0]) && !(shape(small->sheet) != sheets[1]));
        check(!(shape(bfont->sheet) != sheets[2]) && !(shape(bsmall->sheet) != sheets[3]));
    }

    FONTFree(&font);
    FONTFree(&small);
    BFONTFree(&bfont);
    BFONTFree(&bsmall);
    RASTERFree(&bars);
    LISTFree(&colours);
    for (auto &i : f.images) IMGFree(&i);
    for (auto &m : f.maps) BYTEMAPFree(&m);
    return 0;
}
