// Drawing into byte maps: keyed, opaque, spaced, wrapped and blended copies, masks, the
// colour-table expansion to an image, scaling, rotation, boxes, lines, circles and whole-map
// arithmetic. The bodies shared with the image live in gfx/rect.h.
#include <algorithm>
#include <cstdlib>

#include "core/list.h"
#include "core/random.h"
#include "gfx/bytemap.h"
#include "gfx/grid.h"
#include "gfx/img.h"
#include "gfx/rect.h"

namespace {

// Cells from `start` to start + length along one row (or one column), clipped to the map.
// The line across must lie inside, and the span must reach the map.
void span(BYTEMAP *map, int32_t x, int32_t y, int32_t length, int32_t value, bool vertical)
{
    if (!rect::valid(view(map))) return report(BYTEMAPError);
    const auto v = view(map);
    const int64_t across = vertical ? x : y, acrossLimit = vertical ? v.width : v.height;
    const int64_t start = vertical ? y : x, limit = vertical ? v.height : v.width;
    if (across < 0 || across >= acrossLimit || start >= limit || start + length < 0)
        return report(BYTEMAPError);
    const int64_t first = std::max<int64_t>(start, 0);
    const int64_t last = std::min<int64_t>(start + length, limit - 1);
    if (last < first) return;  // a negative length covers no cell
    const auto n = int32_t(last - first + 1);
    if (vertical)
        rect::fillBlock(v, x, int32_t(first), 1, n, uint8_t(value));
    else
        rect::fillBlock(v, int32_t(first), y, n, 1, uint8_t(value));
}

}  // namespace

void BYTEMAPBlitKeyed(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                      int32_t dx, int32_t dy, int32_t w, int32_t h)
{
    rect::blit(BYTEMAPError, view(source), view(destination), sx, sy, dx, dy, w, h, rect::Keyed{});
}

void BYTEMAPBlit(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                 int32_t dx, int32_t dy, int32_t w, int32_t h)
{
    rect::blit(BYTEMAPError, view(source), view(destination), sx, sy, dx, dy, w, h, rect::Copy{});
}

void BYTEMAPBlitSpaced(const BYTEMAP *source, BYTEMAP *destination, int32_t sx, int32_t sy,
                       int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t stepX,
                       int32_t stepY)
{
    rect::blitSpaced(BYTEMAPError, view(source), view(destination), sx, sy, dx, dy, w, h, stepX, stepY, false);
}

void BYTEMAPBlendHalf(const BYTEMAP *source, BYTEMAP *destination, int32_t dx, int32_t dy)
{
    rect::place(BYTEMAPError, view(source), view(destination), dx, dy, [](uint8_t d, uint8_t s) { return uint8_t((d + s) >> 1); });
}

void BYTEMAPBlitRowWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                        int32_t offset)
{
    rect::wrap(BYTEMAPError, view(source), view(destination), a, b, offset, false, rect::Keyed{});
}

void BYTEMAPOrRowWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                      int32_t offset)
{
    rect::wrap(BYTEMAPError, view(source), view(destination), a, b, offset, false, rect::Or{});
}

void BYTEMAPBlitColumnWrap(const BYTEMAP *source, BYTEMAP *destination, int32_t a, int32_t b,
                           int32_t offset)
{
    rect::wrap(BYTEMAPError, view(source), view(destination), a, b, offset, true, rect::Keyed{});
}

void BYTEMAPAnd(const BYTEMAP *mask, BYTEMAP *target)
{
    rect::combineAll(BYTEMAPError, view(mask), view(target), rect::And{});
}

void BYTEMAPToIMG(const BYTEMAP *map, IMG *image, const LIST *colours)
{
    if (!rect::valid(view(map)) || !rect::valid(view(image))) return report(BYTEMAPError);
    if (!colours || !colours->items || colours->capacity < 256) return report(BYTEMAPError);
    if (map->width != image->width || map->height != image->height) return report(BYTEMAPError);
    // The slots carry colour values, not addresses: read the 256 of them once.
    uint32_t table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint32_t(uintptr_t(colours->items[i]));
    const size_t n = rect::cellCount(view(map));
    for (size_t k = 0; k < n; ++k) image->pixels[k] = table[map->data[k]];
}

void BYTEMAPScale(const BYTEMAP *source, BYTEMAP *destination)
{
    rect::scale(BYTEMAPError, view(source), view(destination));
}

BYTEMAP *BYTEMAPRotate(const BYTEMAP *source, int32_t angle)
{
    int32_t w, h;
    if (!rect::rotatedSides(BYTEMAPError, view(source), w, h)) return nullptr;
    BYTEMAP *out = grid::Cells::make(w, h, true);
    if (!out) return report(BYTEMAPError, out);
    rect::rotate(view(source), view(out), angle);
    return out;
}

void BYTEMAPFillBox(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value)
{
    rect::fillBox(BYTEMAPError, view(map), x, y, w, h, uint8_t(value));
}

// The box clipped like a copy of the map onto itself at the same place.
void BYTEMAPFillBoxClipped(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h,
                           int32_t value)
{
    if (!rect::valid(view(map))) return report(BYTEMAPError);
    int64_t left = x, top = y, width = w, height = h;
    if (width < 0) left += width, width = -width;
    if (height < 0) top += height, height = -height;
    const auto v = view(map);
    rect::Block b;
    if (rect::clip(v.width, v.height, v.width, v.height, left, top, left, top, width, height, b))
        rect::fillBlock(v, b.dx, b.dy, b.w, b.h, uint8_t(value));
}

void BYTEMAPBox(BYTEMAP *map, int32_t x, int32_t y, int32_t w, int32_t h, int32_t value)
{
    rect::outlineBox(BYTEMAPError, view(map), x, y, w, h, uint8_t(value));
}

void BYTEMAPHLine(BYTEMAP *map, int32_t x, int32_t y, int32_t length, int32_t value)
{
    span(map, x, y, length, value, false);
}

void BYTEMAPVLine(BYTEMAP *map, int32_t x, int32_t y, int32_t length, int32_t value)
{
    span(map, x, y, length, value, true);
}

// A 16.16 fixed-point walk along the longer axis from (x0, y0) (after ordering the ends by
// column), the cell (x1, y1) excluded. The walk starts half a cell in (+0x8000) and adds
// step = shorter * 65536 / longer per cell. Only the steps whose cell along the walk lies
// inside the map are visited; each point is computed from the start, as repeated addition
// would give. Everything is 64-bit from the first subtraction on, so ends anywhere in the
// 32-bit range cannot overflow.
void BYTEMAPLine(BYTEMAP *map, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t value)
{
    if (!rect::valid(view(map))) return report(BYTEMAPError);
    if (x1 < x0) std::swap(x0, x1), std::swap(y0, y1);
    const auto v = view(map);
    if (x1 < 0 || x0 >= v.width || (y0 < 0 && y1 < 0) || (y0 >= v.height && y1 >= v.height))
        return report(BYTEMAPError);
    const auto c = uint8_t(value);
    const int64_t ax = x0, ay = y0, width = v.width, height = v.height;
    const int64_t dx = x1 - ax, dy = y1 - ay, ady = dy < 0 ? -dy : dy;
    const int64_t sy = dy < 0 ? -1 : 1;
    if (dx == 0 && dy == 0) return rect::plot(v, ax, ay, c);
    if (dx < ady) {
        // Rows ay + k * sy with 0 <= row < height.
        const int64_t step = dx * 65536 / ady, f = ax * 65536 + 0x8000;
        const int64_t k0 = std::max<int64_t>(0, sy > 0 ? -ay : ay - (height - 1));
        const int64_t k1 = std::min<int64_t>(ady, sy > 0 ? height - ay : ay + 1);
        for (int64_t k = k0; k < k1; ++k) rect::plot(v, (f + k * step) >> 16, ay + k * sy, c);
    } else {
        const int64_t step = sy * (ady * 65536 / dx), f = ay * 65536 + 0x8000;
        const int64_t k0 = std::max<int64_t>(0, -ax);
        const int64_t k1 = std::min<int64_t>(dx, width - ax);
        for (int64_t k = k0; k < k1; ++k) rect::plot(v, ax + k, (f + k * step) >> 16, c);
    }
}

void BYTEMAPCircle(BYTEMAP *map, int32_t cx, int32_t cy, int32_t radius, int32_t value)
{
    rect::circle(BYTEMAPError, view(map), cx, cy, radius, uint8_t(value));
}

void BYTEMAPReplace(BYTEMAP *map, int32_t from, int32_t to)
{
    const auto f = uint8_t(from), t = uint8_t(to);
    rect::updateAll(BYTEMAPError, view(map), [f, t](uint8_t c) { return c == f ? t : c; });
}

void BYTEMAPAdd(BYTEMAP *map, int32_t value)
{
    const auto a = uint8_t(value);
    rect::updateAll(BYTEMAPError, view(map), [a](uint8_t c) { return uint8_t(c + a); });
}

void BYTEMAPSubtract(BYTEMAP *map, int32_t value)
{
    const auto s = uint8_t(value);
    rect::updateAll(BYTEMAPError, view(map), [s](uint8_t c) { return uint8_t(c > s ? c - s : 0); });
}

void BYTEMAPInvert(BYTEMAP *map)
{
    rect::updateAll(BYTEMAPError, view(map), [](uint8_t c) { return uint8_t(255 - c); });
}

// Cell by cell in storage order, so a map used as its own table reads the cells already
// replaced, as a plain walk would.
void BYTEMAPLookup(BYTEMAP *map, const BYTEMAP *table)
{
    if (!rect::valid(view(map)) || !rect::valid(view(table))) return report(BYTEMAPError);
    if (rect::cellCount(view(table)) < 256) return report(BYTEMAPError);
    const size_t n = rect::cellCount(view(map));
    for (size_t k = 0; k < n; ++k) map->data[k] = table->data[map->data[k]];
}

void BYTEMAPRandom(BYTEMAP *map, int32_t base, int32_t mask)
{
    if (!rect::valid(view(map))) return report(BYTEMAPError);
    for (size_t k = rect::cellCount(view(map)); k-- > 0;)
        map->data[k] = uint8_t(uint32_t(base) + uint32_t(mask & random()));
}

int32_t *BYTEMAPRunTable(int32_t a, int32_t b)
{
    return rect::runTable(BYTEMAPError, a, b);
}

int32_t *BYTEMAPLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return rect::linePoints(BYTEMAPError, x0, y0, x1, y1);
}
