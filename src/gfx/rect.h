// The drawing bodies that the image (32-bit pixels) and the byte map (8-bit cells) share:
// one rectangle clipping, the rectangle and whole-grid walks, and the twin algorithms
// (spaced and wrapped copies, boxes, lines, circles, scaling, rotation, run tables, point
// lists) written once over the cell type. Each works on a View, which gfx/grid.h builds from
// a record in one line; the modules' functions stay thin: they pick the reporter and the
// per-cell rule and call these.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <type_traits>

#include "core/blocks.h"
#include "core/report.h"
#include "core/sintab.h"
#include "gfx/wide.h"

namespace rect {

// A borrowed view of a grid's cells, row by row without gaps: the image's pixels, the map's
// cells. A missing record gives a view without cells, which no operation draws on.
template <typename P>
struct View {
    P *cells = nullptr;
    int32_t width = 0, height = 0;
};

// A view that can be drawn on: it has its cell array.
template <typename P>
bool valid(View<P> v)
{
    return v.cells != nullptr;
}

// Cells of a view; 0 when a size is not positive, so a damaged record is never walked.
template <typename P>
size_t cellCount(View<P> v)
{
    return v.width > 0 && v.height > 0 ? size_t(v.width) * size_t(v.height) : 0;
}

template <typename P>
P *cellAt(View<P> v, int64_t column, int64_t row)
{
    return v.cells + row * v.width + column;
}

template <typename P>
bool inside(View<P> v, int64_t column, int64_t row)
{
    return column >= 0 && column < v.width && row >= 0 && row < v.height;
}

// The per-cell rules of the copies. Each returns the new destination value from d and s.
struct Copy {
    template <typename P> P operator()(P, P s) const { return s; }
};
struct Keyed {  // 0 is transparent; written as a select so that it becomes a vector blend
    template <typename P> P operator()(P d, P s) const { return s ? s : d; }
};
struct Add {  // whole values, wrapping
    template <typename P> P operator()(P d, P s) const { return P(d + s); }
};
struct And {
    template <typename P> P operator()(P d, P s) const { return P(d & s); }
};
struct Or {
    template <typename P> P operator()(P d, P s) const { return P(d | s); }
};

// ---- The rectangle clipping ----

// A block already clipped to both grids: corners inside, sizes positive.
struct Block {
    int32_t sx, sy, dx, dy, w, h;
};

// Clips the w x h block at (sx, sy) of a source sw x sh onto (dx, dy) of a destination
// dw x dh: the source edges first, then the destination edges. Every sum is taken in 64 bits,
// so corners and sizes anywhere in the 32-bit range cannot overflow. False when nothing is
// left to draw; a block wholly outside is clipping, not a fault.
inline bool clip(int32_t sw, int32_t sh, int32_t dw, int32_t dh, int64_t sx, int64_t sy,
                 int64_t dx, int64_t dy, int64_t w, int64_t h, Block &out)
{
    if (dx >= dw || dx + w < 0 || dy >= dh || dy + h < 0) return false;
    if (sx >= sw || sx + w < 0 || sy >= sh || sy + h < 0) return false;
    if (sx < 0) w += sx, dx -= sx, sx = 0;
    if (sy < 0) h += sy, dy -= sy, sy = 0;
    if (sx + w > sw) w = sw - sx;
    if (sy + h > sh) h = sh - sy;
    if (dx < 0) w += dx, sx -= dx, dx = 0;
    if (dy < 0) h += dy, sy -= dy, dy = 0;
    if (dx + w > dw) w = dw - dx;
    if (dy + h > dh) h = dh - dy;
    if (w <= 0 || h <= 0) return false;
    out = {int32_t(sx), int32_t(sy), int32_t(dx), int32_t(dy), int32_t(w), int32_t(h)};
    return true;
}

// ---- Walks ----

// d[i] = op(d[i], s[i]) for n cells of two distinct arrays, in 32-byte blocks.
template <typename P, typename Op>
inline void combineBlocks(P *__restrict d, const P *__restrict s, size_t n, Op op)
{
    blocks::combine<32 / sizeof(P)>(d, s, n, op);
}

// c[i] = op(c[i]) for n cells, in the same blocks.
template <typename P, typename Op>
inline void updateBlocks(P *__restrict c, size_t n, Op op)
{
    blocks::update<32 / sizeof(P)>(c, n, op);
}

// The same blocks in 256-bit registers where the processor has them (wide.h), for walks long
// enough to repay the test.
template <typename P, typename Op>
KOVA_WIDE_CODE void combineWide(P *__restrict d, const P *__restrict s, size_t n, Op op)
{
    combineBlocks(d, s, n, op);
}

template <typename P, typename Op>
KOVA_WIDE_CODE void updateWide(P *__restrict c, size_t n, Op op)
{
    updateBlocks(c, n, op);
}

template <typename P, typename Op>
inline void combine(P *__restrict d, const P *__restrict s, size_t n, Op op)
{
    if (n >= 1024 && wide::present()) return combineWide(d, s, n, op);
    combineBlocks(d, s, n, op);
}

template <typename P, typename Op>
inline void update(P *__restrict c, size_t n, Op op)
{
    if (n >= 1024 && wide::present()) return updateWide(c, n, op);
    updateBlocks(c, n, op);
}

// n cells set to v: bytes through memset, 32-bit cells through the C library's wide fill
// where wchar_t is 32 bits (it has the same vector paths as memset), else vector stores.
template <typename P>
inline void fill(P *c, size_t n, P v)
{
    if constexpr (sizeof(P) == 1)
        std::memset(c, v, n);
    else if constexpr (sizeof(P) == sizeof(wchar_t))
        std::wmemset(reinterpret_cast<wchar_t *>(c), wchar_t(v), n);
    else
        update(c, n, [v](P) { return v; });
}

// Walks a clipped block row by row from the top left, combining each source cell into its
// destination cell. A grid combined with itself is walked cell by cell in that same order,
// so overlapping blocks give the result of the plain walk; distinct grids take the fast rows.
// Opaque copies stay one memcpy per row even when the rows are packed: row-sized copies take
// the C library's vector path, where one large call may take a slower string-move path.
template <typename P, typename Op>
void walk(View<P> s, View<P> d, const Block &b, Op op)
{
    const P *sp = cellAt(s, b.sx, b.sy);
    P *dp = cellAt(d, b.dx, b.dy);
    if (s.cells == d.cells) {
        for (int32_t j = 0; j < b.h; ++j, sp += s.width, dp += d.width)
            for (int32_t i = 0; i < b.w; ++i) dp[i] = op(dp[i], sp[i]);
        return;
    }
    if constexpr (std::is_same_v<Op, Copy>) {
        for (int32_t j = 0; j < b.h; ++j, sp += s.width, dp += d.width)
            std::memcpy(dp, sp, size_t(b.w) * sizeof(P));
        return;
    }
    const bool packed = b.w == s.width && b.w == d.width;  // rows packed in both: one pass
    const int32_t rows = packed ? 1 : b.h;
    const size_t n = packed ? size_t(b.w) * size_t(b.h) : size_t(b.w);
    for (int32_t j = 0; j < rows; ++j, sp += s.width, dp += d.width) combine(dp, sp, n, op);
}

// The rectangle family: guard, clip, walk.
template <typename P, typename Op>
void blit(const ErrorReporter &err, View<P> s, View<P> d, int32_t sx, int32_t sy, int32_t dx,
          int32_t dy, int32_t w, int32_t h, Op op)
{
    if (!valid(s) || !valid(d)) return report(err);
    Block b;
    if (clip(s.width, s.height, d.width, d.height, sx, sy, dx, dy, w, h, b)) walk(s, d, b, op);
}

// The whole source with its top-left cell at (x, y), clipped to the destination.
template <typename P, typename Op>
void place(const ErrorReporter &err, View<P> s, View<P> d, int32_t x, int32_t y, Op op)
{
    blit(err, s, d, 0, 0, x, y, s.width, s.height, op);
}

// Every target cell combined with the mask cell at the same index. The two must have the
// same size: a smaller one would be read or written past its end.
template <typename P, typename Op>
void combineAll(const ErrorReporter &err, View<P> m, View<P> t, Op op)
{
    if (!valid(m) || !valid(t)) return report(err);
    if (m.width != t.width || m.height != t.height) return report(err);
    if (m.cells == t.cells) {  // a map with itself: AND and OR leave it as it is
        update(t.cells, cellCount(t), [&](auto c) { return op(c, c); });
        return;
    }
    combine(t.cells, m.cells, cellCount(t), op);
}

// Every cell of a record replaced by op(cell).
template <typename P, typename Op>
void updateAll(const ErrorReporter &err, View<P> v, Op op)
{
    if (!valid(v)) return report(err);
    update(v.cells, cellCount(v), op);
}

// ---- Spaced and wrapped copies ----

// First index i >= 0 with base + i * step >= 0, and the end of the indices with
// base + i * step + extent <= limit (step >= 1).
inline int64_t firstAtOrAbove(int64_t base, int64_t step)
{
    return base >= 0 ? 0 : (-base + step - 1) / step;
}
inline int64_t endBelow(int64_t base, int64_t step, int64_t extent, int64_t limit)
{
    const int64_t room = limit - extent - base;
    return room < 0 ? 0 : room / step + 1;
}

// Keyed copy of the w x h block at (sx, sy) that places source cell (sx + i, sy + j) at
// (dx + i * ex, dy + j * ey). A placement is drawn when its source cell lies inside the source
// and its spot lies inside the destination: the one cell, or with `wholeSpot` the whole
// ex x ey spot starting there. The index ranges are clipped first, so nothing is tested per
// cell but the key.
template <typename P>
void blitSpaced(const ErrorReporter &err, View<P> s, View<P> d, int32_t sx, int32_t sy,
                int32_t dx, int32_t dy, int32_t w, int32_t h, int32_t ex, int32_t ey,
                bool wholeSpot)
{
    if (!valid(s) || !valid(d) || ex < 1 || ey < 1) return report(err);
    const int64_t i0 = std::max({int64_t{0}, -int64_t{sx}, firstAtOrAbove(dx, ex)});
    const int64_t j0 = std::max({int64_t{0}, -int64_t{sy}, firstAtOrAbove(dy, ey)});
    const int64_t i1 = std::min({int64_t{w}, int64_t{s.width} - sx,
                                 endBelow(dx, ex, wholeSpot ? ex : 1, d.width)});
    const int64_t j1 = std::min({int64_t{h}, int64_t{s.height} - sy,
                                 endBelow(dy, ey, wholeSpot ? ey : 1, d.height)});
    if (i1 <= i0) return;  // no column lands: form no row pointers, which could lie anywhere
    for (int64_t j = j0; j < j1; ++j) {
        const auto *sp = cellAt(s, sx + i0, sy + j);
        auto *dp = cellAt(d, dx + i0 * ex, dy + j * ey);
        for (int64_t i = 0; i < i1 - i0; ++i)
            if (sp[i]) dp[i * ex] = sp[i];
    }
}

// One line of cells wrapped into another: `sn` source cells `ss` apart, `dn` destination
// cells `ds` apart. The offset k is taken modulo dn (made non-negative); source cells
// 0 .. n-1 go to k .. k+n-1, the rest of the first min(sn, dn) continue from 0, none twice.
template <typename P, typename Op>
void wrapLine(const P *s, int64_t ss, int32_t sn, P *d, int64_t ds, int32_t dn, int32_t k,
              Op op)
{
    if (dn <= 0) return;
    k %= dn;
    if (k < 0) k += dn;
    const int32_t m = std::min(sn, dn);
    const int32_t n = std::min(sn, dn - k);
    for (int32_t i = 0; i < n; ++i) d[(k + i) * ds] = op(d[(k + i) * ds], s[i * ss]);
    for (int32_t i = std::max(n, 0); i < m; ++i) d[(i - n) * ds] = op(d[(i - n) * ds], s[i * ss]);
}

// Line a of the source wrapped into line b of the destination at offset k: rows, or columns
// when `columns` is set. A line outside its grid is an error.
template <typename P, typename Op>
void wrap(const ErrorReporter &err, View<P> s, View<P> d, int32_t a, int32_t b, int32_t k,
          bool columns, Op op)
{
    if (!valid(s) || !valid(d)) return report(err);
    const int32_t sLines = columns ? s.width : s.height, dLines = columns ? d.width : d.height;
    if (a < 0 || a >= sLines || b < 0 || b >= dLines) return report(err);
    if (columns)
        wrapLine(cellAt(s, a, 0), s.width, s.height, cellAt(d, b, 0), d.width, d.height, k, op);
    else
        wrapLine(cellAt(s, 0, a), 1, s.width, cellAt(d, 0, b), 1, d.width, k, op);
}

// ---- Boxes, lines and circles ----

// The w x h block at (x, y) lies wholly inside (a box that does not fit is refused whole).
template <typename P>
bool boxInside(View<P> v, int32_t x, int32_t y, int32_t w, int32_t h)
{
    return x >= 0 && y >= 0 && x < v.width && y < v.height && w > 0 && h > 0 &&
           w <= v.width - x && h <= v.height - y;
}

// Fills a block already known to lie inside: one pass when its rows are packed.
template <typename P>
void fillBlock(View<P> v, int32_t x, int32_t y, int32_t w, int32_t h, P value)
{
    if (w == v.width) return fill(cellAt(v, 0, y), size_t(w) * size_t(h), value);
    for (int32_t j = 0; j < h; ++j) fill(cellAt(v, x, y + j), size_t(w), value);
}

// A filled box that must lie wholly inside.
template <typename P>
void fillBox(const ErrorReporter &err, View<P> v, int32_t x, int32_t y, int32_t w, int32_t h,
             P value)
{
    if (!valid(v) || !boxInside(v, x, y, w, h)) return report(err);
    fillBlock(v, x, y, w, h, value);
}

// The one-cell outline of a box that must lie wholly inside: the top and bottom rows over
// the full width, the left and right columns over the full height.
template <typename P>
void outlineBox(const ErrorReporter &err, View<P> v, int32_t x, int32_t y, int32_t w, int32_t h,
                P value)
{
    if (!valid(v) || !boxInside(v, x, y, w, h)) return report(err);
    fillBlock(v, x, y, w, 1, value);
    fillBlock(v, x, y + h - 1, w, 1, value);
    fillBlock(v, x, y, 1, h, value);
    fillBlock(v, x + w - 1, y, 1, h, value);
}

// Writes one cell when it lies inside, as the single-cell put does; 64-bit positions, so
// far-away points are dropped instead of wrapping into the grid.
template <typename P>
void plot(View<P> v, int64_t column, int64_t row, P value)
{
    if (inside(v, column, row)) *cellAt(v, column, row) = value;
}

// 256 steps of a quarter turn, four points each. The right half lands one column left of the
// mirror image of the left half. Products of a radius and a table entry are 64-bit and
// brought back to the radius's scale by an arithmetic shift right by 15.
template <typename P>
void circle(const ErrorReporter &err, View<P> v, int32_t cx, int32_t cy, int32_t r, P value)
{
    if (!valid(v) || !inside(v, cx, cy) || r < 1) return report(err);
    for (int32_t k = 0; k < SINSIZE / 4; ++k) {
        const int64_t a = (int64_t{r} * SINTAB[(k + SINSIZE / 4) & SINMASK]) >> 15;
        const int64_t b = (int64_t{r} * SINTAB[k & SINMASK]) >> 15;
        plot(v, cx + a - 1, cy + b, value);
        plot(v, cx - a, cy + b, value);
        plot(v, cx + a - 1, cy - b, value);
        plot(v, cx - a, cy - b, value);
    }
}

// ---- Scaling and rotation ----

// The run table: the larger magnitude l spread over the smaller s in s + 1 counters, with a
// running term t = l: l + 1 times, count one; t -= s; when t <= 0, move on and t += l. The
// first s counters add up to l; the last holds what is left over. Null on a failed
// allocation, or when l + 1 would not fit a counter (the table would not be usable anyway).
inline int32_t *runTable(const ErrorReporter &err, int32_t a, int32_t b)
{
    int64_t s = a < 0 ? -int64_t{a} : a;
    int64_t l = b < 0 ? -int64_t{b} : b;
    if (s > l) std::swap(s, l);
    if (l >= INT32_MAX) return report(err, static_cast<int32_t *>(nullptr));
    auto *counts = static_cast<int32_t *>(std::calloc(size_t(s) + 1, sizeof(int32_t)));
    if (!counts) return report(err, counts);
    int64_t t = l;
    for (int64_t n = 0, i = 0; n <= l; ++n) {
        ++counts[i];
        t -= s;
        if (t <= 0) ++i, t += l;
    }
    return counts;
}

// One destination row from one source row along the width: growing, source column c is
// repeated over its run X[c]; shrinking, destination column k takes the last source column
// of its run X[k]. A growing run is written in whole 32-byte blocks while a block fits before
// the row's end: what a block writes past its run, the next runs overwrite.
template <typename P>
void scaleRow(const P *__restrict s, int32_t sw, P *__restrict d, int32_t dw, const int32_t *x)
{
    if (dw >= sw) {
        constexpr int32_t LANES = 32 / sizeof(P);
        P *const end = d + dw;
        for (int32_t c = 0; c < sw; ++c) {
            const P v = s[c];
            for (P *const runEnd = d + x[c]; d < runEnd;) {
                if (end - d < LANES) {
                    *d++ = v;
                    continue;
                }
                for (int32_t k = 0; k < LANES; ++k) d[k] = v;
                d = runEnd - d > LANES ? d + LANES : runEnd;
            }
        }
        return;
    }
    int64_t c = -1;
    for (int32_t k = 0; k < dw; ++k) d[k] = s[c += x[k]];
}

// Nearest-neighbour fit of the whole source to the destination's present size. Growing rows
// are built once and copied down their run; a shrinking height takes the last source row of
// each run, or the first when the width grows.
template <typename P>
void scale(const ErrorReporter &err, View<P> s, View<P> d)
{
    if (!valid(s) || !valid(d)) return report(err);
    if (d.width < 0 || d.height < 0 || s.width < 0 || s.height < 0) return report(err);
    if (s.cells == d.cells) return;  // the same size both ways: nothing moves
    int32_t *x = runTable(err, d.width, s.width);
    int32_t *y = runTable(err, d.height, s.height);
    if (x && y) {
        const size_t rowBytes = size_t(d.width) * sizeof(*d.cells);
        int64_t r = 0;  // source row where the current run starts (shrinking), or dest row
        if (d.height >= s.height) {
            for (int32_t j = 0; j < s.height; r += y[j], ++j) {
                auto *first = cellAt(d, 0, r);
                scaleRow(cellAt(s, 0, j), s.width, first, d.width, x);
                for (int64_t n = 1; n < y[j]; ++n) std::memcpy(first + n * d.width, first, rowBytes);
            }
        } else {
            const bool firstRow = d.width >= s.width;
            for (int32_t k = 0; k < d.height; r += y[k], ++k)
                scaleRow(cellAt(s, 0, firstRow ? r : r + y[k] - 1), s.width, cellAt(d, 0, k),
                         d.width, x);
        }
    }
    std::free(x);
    std::free(y);
}

// The side of a rotated copy: (side * 92667) >> 16, just under side * sqrt(2); -1 when it
// does not fit 32 bits.
inline int32_t rotatedSide(int32_t side)
{
    const int64_t n = (int64_t{side} * 92667) >> 16;
    return n < 0 || n > INT32_MAX ? -1 : int32_t(n);
}

// Fills d with s rotated about its centre by `angle` (1024 to a full turn), every cell taken
// from the bottom-right corner backwards: with sn = SINTAB[-angle], cs = SINTAB[-angle - 256]
// (indices brought into 0..1023), p = column - W/2 and q = row - H/2, the cell reads source
// (w/2 + (p*cs >> 15) - (q*sn >> 15), h/2 + (p*sn >> 15) + (q*cs >> 15)), 0 outside.
template <typename P>
void rotate(View<P> s, View<P> d, int32_t angle)
{
    const auto wrap = [](int64_t k) { return ((k % SINSIZE) + SINSIZE) % SINSIZE; };
    const int64_t sn = SINTAB[wrap(-int64_t{angle})];
    const int64_t cs = SINTAB[wrap(-int64_t{angle} - SINSIZE / 4)];
    const int64_t cx = s.width / 2, cy = s.height / 2, ox = d.width / 2, oy = d.height / 2;
    for (int64_t row = d.height - 1; row >= 0; --row) {
        const int64_t q = row - oy;
        for (int64_t column = d.width - 1; column >= 0; --column) {
            const int64_t p = column - ox;
            const int64_t u = ((p * cs) >> 15) - ((q * sn) >> 15) + cx;
            const int64_t v = ((p * sn) >> 15) + ((q * cs) >> 15) + cy;
            *cellAt(d, column, row) = inside(s, u, v) ? *cellAt(s, u, v) : P{0};
        }
    }
}

// The sides of a rotated copy of s, each just under sqrt(2) times longer; false (reported)
// for a view without cells or a side that would not fit 32 bits.
template <typename P>
bool rotatedSides(const ErrorReporter &err, View<P> s, int32_t &w, int32_t &h)
{
    if (!valid(s)) return report(err, false);
    w = rotatedSide(s.width);
    h = rotatedSide(s.height);
    return w >= 0 && h >= 0 ? true : report(err, false);
}

// ---- Point lists ----

// The points of a line from (x0, y0) to (x1, y1), both ends included, stepping one cell along
// the longer axis each time: element 0 holds 2n + 2, then n + 1 pairs (x, y), n being the
// larger distance. Null on a failed allocation or when 2n + 2 would not fit element 0.
// The shorter axis moves when the error term e (half the longer distance at the start, less
// the shorter distance per step) drops to 0 or below. Along an axis the line does not cross
// at all the step is 0: a one-step straight line starts with e = 0 and would otherwise leave
// its axis at once, ending beside its end point.
inline int32_t *linePoints(const ErrorReporter &err, int32_t x0, int32_t y0, int32_t x1,
                           int32_t y1)
{
    const int64_t ax = std::abs(int64_t{x1} - x0), ay = std::abs(int64_t{y1} - y0);
    const int32_t sx = ax == 0 ? 0 : x1 < x0 ? -1 : 1, sy = ay == 0 ? 0 : y1 < y0 ? -1 : 1;
    const int64_t n = std::max(ax, ay);
    if (2 * n + 3 > INT32_MAX) return report(err, static_cast<int32_t *>(nullptr));
    auto *out = static_cast<int32_t *>(std::malloc(size_t(2 * n + 3) * sizeof(int32_t)));
    if (!out) return report(err, out);
    out[0] = int32_t(2 * n + 2);
    int32_t *p = out + 1;
    int64_t x = x0, y = y0;
    if (ay < ax) {
        int64_t e = ax >> 1;
        for (int64_t k = 0; k <= n; ++k, x += sx) {
            *p++ = int32_t(x), *p++ = int32_t(y);
            const int64_t t = e - ay;
            if (t > 0) e = t;
            else e = t + ax, y += sy;
        }
    } else {
        int64_t e = ay >> 1;
        for (int64_t k = 0; k <= n; ++k, y += sy) {
            *p++ = int32_t(x), *p++ = int32_t(y);
            e -= ax;
            if (e <= 0) x += sx, e += ay;
        }
    }
    return out;
}

}  // namespace rect
