// The glyph algorithm shared by the cell font (IMG sheet and target, 32-bit pixels) and the
// bitmap font (BYTEMAP sheet and target, 8-bit cells): glyph placement, numbers, lines and
// texts, the character-map walk with its fast keyed copy, and the magnified glyph. The two
// modules call it with their own rectangle copies and reporter; nothing else includes it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "core/report.h"
#include "gfx/bytemap.h"
#include "gfx/grid.h"
#include "gfx/img.h"
#include "gfx/rect.h"
#include "gfx/wide.h"

namespace glyphs {

// Pen arithmetic wraps at the 32-bit limits instead of overflowing.
inline int32_t wrap32(int64_t value) { return static_cast<int32_t>(value); }
inline int32_t advance(int32_t pen, int64_t by) { return wrap32(int64_t{pen} + by); }

// A 64-bit coordinate handed to a rectangle copy; one beyond 32 bits lies off every surface,
// and so does the nearest 32-bit value.
inline int32_t narrow(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

struct Corner {
    int64_t x, y;
};

// Top-left corner in the sheet of the cell of `code`: with a = code * width, column
// a mod sheet width and row (a div sheet width) * height, truncating. The sheet is at least
// one pixel wide. The row quotient is bounded before the product so that nothing overflows;
// a bounded row is still far below any sheet.
template <class Font>
Corner cellCorner(const Font &font, int32_t code)
{
    const int64_t a = int64_t{code} * font.width;
    const int64_t w = font.sheet->width;
    const int64_t row = std::clamp<int64_t>(a / w, INT32_MIN, INT32_MAX);
    return {a % w, row * font.height};
}

// ---- Single glyphs, numbers, lines and texts ----

// The record a font's sheet and target are: IMG or BYTEMAP.
template <class Font>
using Sheet = std::remove_pointer_t<decltype(Font::sheet)>;

// The rectangle copy a glyph is drawn with: one of the sheet record's blits, such as
// IMGBlitKeyed or BYTEMAPBlit (source, destination, sx, sy, dx, dy, w, h).
template <class Font>
using Blit = void (*)(const Sheet<Font> *, Sheet<Font> *, int32_t, int32_t, int32_t, int32_t,
                      int32_t, int32_t);

// Copies the glyph of `code` to the pen with `blit` (which clips and reports a missing
// target), then moves the pen right by one cell, visible or not.
template <class Font>
void drawGlyph(Font *font, Blit<Font> blit, const ErrorReporter &error)
{
    if (!font || !font->sheet || font->sheet->width < 1) return report(error);
    const Corner corner = cellCorner(*font, font->code);
    blit(font->sheet, font->target, narrow(corner.x), narrow(corner.y), font->x, font->y,
         font->width, font->height);
    font->x = advance(font->x, font->width);
}

// Code of the upper-case hexadecimal digit n (0..15): '0'..'9', 'A'..'F'.
inline int32_t hexDigit(uint32_t n) { return static_cast<int32_t>(n <= 9 ? 48 + n : 55 + n); }

// The low `digits` hexadecimal digits of value, most significant first, as glyphs.
template <class Font>
void drawHex(Font *font, Blit<Font> blit, uint32_t value, int digits, const ErrorReporter &error)
{
    if (!font) return report(error);
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) {
        font->code = hexDigit((value >> shift) & 0xF);
        drawGlyph(font, blit, error);
    }
}

// Glyphs up to the first newline or the end; each byte is a code 0..255.
template <class Font>
void drawLine(Font *font, Blit<Font> blit, const char *text, const ErrorReporter &error)
{
    if (!font || !text) return report(error);
    for (const char *p = text; *p && *p != '\n'; ++p) {
        font->code = static_cast<unsigned char>(*p);
        drawGlyph(font, blit, error);
    }
}

// Glyphs where a newline returns to the starting column one cell lower. Bytes are taken as
// signed, so 128..255 give codes -128..-1 whose cells lie off the sheet: they draw nothing
// and the pen still advances.
template <class Font>
void drawText(Font *font, Blit<Font> blit, const char *text, const ErrorReporter &error)
{
    if (!font || !text || !font->sheet || !font->target) return report(error);
    const int32_t x0 = font->x;
    for (const char *p = text; *p; ++p) {
        if (*p == '\n') {
            font->x = x0;
            font->y = advance(font->y, font->height);
        } else {
            font->code = static_cast<signed char>(*p);
            drawGlyph(font, blit, error);
        }
    }
}

// ---- Character maps ----

// Walks the cells of `map` in drawing order: the map's top-left cell sits at the map's
// (x, y) on the target; whole cells off the left and top edges are skipped, a row stops at
// the target's right edge, the walk at its bottom edge. The cells that lie wholly on the
// target go to whole(codes, stride, n, rows, x, y) as blocks of n cells by `rows` rows (map
// rows `stride` cells apart), drawn from pen (x, y) on, one cell apart: a block of many rows
// when no cut cell lies beside them, so that the drawing order stays row by row, else one
// row's run. The cells cut by an edge go one by one to cut(code, x, y). The pen ends at the
// first drawn column, on the row where the walk stopped; `code` holds the last cell drawn.
// Cell sizes are at least 1.
template <class Font, class Whole, class Cut>
void walkMap(Font *font, const BYTEMAP *map, Whole &&whole, Cut &&cut)
{
    const int64_t cw = font->width, ch = font->height;
    const int64_t tw = font->target->width, th = font->target->height;
    const int64_t mx = map->x, my = map->y;
    const int64_t mw = map->width, mh = map->height;
    if (mx + mw * cw < 1 || mx >= tw || my + mh * ch < 1 || my >= th) return;

    // The first visible column k0 at x0 (cut when x0 < 0), the end of the visible columns,
    // and the columns ka .. kb - 1 whose cells lie wholly on the target.
    const int64_t k0 = mx < 0 ? -mx / cw : 0, x0 = mx < 0 ? -(-mx % cw) : mx;
    const int64_t kEnd = std::min(mw, k0 + (tw - x0 + cw - 1) / cw);
    const int64_t ka = std::min(kEnd, x0 < 0 ? k0 + 1 : k0), xa = x0 + (ka - k0) * cw;
    const int64_t kb = tw - cw - xa < 0 ? ka : std::min(kEnd, ka + (tw - cw - xa) / cw + 1);
    const int64_t r0 = my < 0 ? -my / ch : 0;

    int32_t last = font->code;
    int64_t y = my < 0 ? -(-my % ch) : my;
    for (int64_t r = r0; y < th && r < mh; ++r, y += ch) {
        const uint8_t *row = map->data + r * mw;
        if (y < 0 || y > th - ch) {  // cut at the top or the bottom: every cell is cut
            for (int64_t k = k0; k < kEnd; ++k) cut(row[k], x0 + (k - k0) * cw, y);
        } else if (ka == k0 && kb == kEnd && ka < kb) {
            // No cut cells beside the rows: this one and the whole rows below it in one block.
            const int64_t rows = std::min(mh - r, (th - ch - y) / ch + 1);
            whole(row + ka, mw, kb - ka, rows, xa, y);
            r += rows - 1;
            y += (rows - 1) * ch;
            row += (rows - 1) * mw;
        } else {
            for (int64_t k = k0; k < ka; ++k) cut(row[k], x0 + (k - k0) * cw, y);
            if (ka < kb) whole(row + ka, mw, kb - ka, 1, xa, y);
            for (int64_t k = kb; k < kEnd; ++k) cut(row[k], x0 + (k - k0) * cw, y);
        }
        if (kEnd > k0) last = row[kEnd - 1];
    }
    font->code = last;
    font->x = wrap32(x0);
    font->y = wrap32(y);
}

// One keyed row of n pixels: d = s wherever s is not 0, computed as d = s | (d & keep) with
// keep all ones where s is 0. Without a branch per pixel it becomes three vector operations,
// and stays branch-free in the scalar loop of a cut row. The sheet and the target must not
// overlap.
template <int W, class Pixel>
inline void keyedRow(const Pixel *__restrict s, Pixel *__restrict d, int64_t n)
{
    if constexpr (W > 0) n = W;
    for (int64_t i = 0; i < n; ++i) {
        const Pixel keep = s[i] ? Pixel(0) : Pixel(~Pixel(0));
        d[i] = Pixel(s[i] | (d[i] & keep));
    }
}

// Keyed copy of a glyph block of w x h. W and H are the width and height when they are known
// when compiling (an 8-wide row then vectorises and 8 rows unroll), or 0 for the runtime w
// and h.
template <int W, int H, class Pixel>
inline void copyKeyed(const Pixel *s, int64_t sStride, Pixel *d, int64_t dStride, int64_t w,
                      int64_t h)
{
    if constexpr (H > 0) {
#pragma GCC unroll 16
        for (int64_t j = 0; j < H; ++j) keyedRow<W>(s + j * sStride, d + j * dStride, w);
    } else {
        for (int64_t j = 0; j < h; ++j) keyedRow<W>(s + j * sStride, d + j * dStride, w);
    }
}

// A glyph's cell and the target it is drawn on, for the map walk's keyed copy.
template <class Pixel>
struct Glyph {
    const Pixel *sheet;
    int64_t sw, sh;  // sheet size
    Pixel *target;
    int64_t tw, th;  // target size
    int64_t cw, ch;  // cell size
};

// A cut glyph: the part of the cell at sheet (sx, sy) that lies on both the sheet and the
// target, drawn at (x, y). A glyph cut only at the top or bottom keeps its full-width rows
// (width W when it is not 0). Kept out of line so that the walk's common case stays small.
template <int W, class Pixel>
[[gnu::noinline]] void copyKeyedClipped(const Glyph<Pixel> &g, int64_t sx, int64_t sy, int64_t x,
                                        int64_t y)
{
    rect::Block b;
    if (!rect::clip(int32_t(g.sw), int32_t(g.sh), int32_t(g.tw), int32_t(g.th), sx, sy, x, y,
                    g.cw, g.ch, b)) {
        return;
    }
    const Pixel *s = g.sheet + int64_t{b.sy} * g.sw + b.sx;
    Pixel *d = g.target + int64_t{b.dy} * g.tw + b.dx;
    if (W > 0 && b.w == W) return copyKeyed<W, 0>(s, g.sw, d, g.tw, W, b.h);
    copyKeyed<0, 0>(s, g.sw, d, g.tw, b.w, b.h);
}

// ---- The 8 x 8 cells of a text screen ----
//
// The text-mode frame draws 1,024 of them, so a block of them has a loop of its own. Its rows
// are written in the compiler's vector extension (wide.h), which gives vector code at every
// optimisation level (g++ 12 at -O3 unrolls the plain 8-pixel loop of keyedRow first and
// leaves all rows but the first scalar). A row of 32-bit pixels is two 16-byte vectors, or
// one 32-byte vector where the processor has AVX2 (the same loop compiled a second time and
// chosen at run time, as the long walks of rect.h are); a row of 8-bit cells is one 8-byte
// vector.
using wide::Cells8;
using wide::Pixels4;
using wide::Pixels8;

// The keyed row d = s | (d & (s == 0)) of 8 pixels in vectors V (s == 0 is all ones in the
// lanes where s is 0). The sheet and the target must not overlap.
template <class V, class Pixel>
[[gnu::always_inline]] inline void keyedRow8(const Pixel *s, Pixel *d)
{
    constexpr int LANES = int(sizeof(V) / sizeof(Pixel));
    for (int i = 0; i < 8; i += LANES) {
        V a, b;
        std::memcpy(&a, s + i, sizeof a);
        std::memcpy(&b, d + i, sizeof b);
        b = a | (b & V(a == 0));
        std::memcpy(d + i, &b, sizeof b);
    }
}

// A block of `columns` x `rows` cells of a map (rows `stride` cells apart) whose 8 x 8 glyphs
// all lie wholly on the target, the first at `target`, and whose codes all lie wholly on the
// sheet: the glyph of code c starts at sheet + offset[c].
template <class V, class Pixel>
[[gnu::always_inline]] inline void drawBlock8x8(const Pixel *sheet, int64_t sw, Pixel *target,
                                                int64_t tw, const int64_t *offset,
                                                const uint8_t *cells, int64_t stride,
                                                int64_t columns, int64_t rows)
{
    for (int64_t r = 0; r < rows; ++r, cells += stride, target += 8 * tw) {
        Pixel *d = target;
        for (int64_t k = 0; k < columns; ++k, d += 8) {
            const Pixel *s = sheet + offset[cells[k]];
            for (int j = 0; j < 8; ++j) keyedRow8<V>(s + j * sw, d + j * tw);
        }
    }
}

// The block for each pixel type, in the widest vectors the processor has.
inline void drawInnerBlock(const uint8_t *sheet, int64_t sw, uint8_t *target, int64_t tw,
                           const int64_t *offset, const uint8_t *cells, int64_t stride,
                           int64_t columns, int64_t rows)
{
    drawBlock8x8<Cells8>(sheet, sw, target, tw, offset, cells, stride, columns, rows);
}

KOVA_WIDE_CODE inline void drawBlock8x8Wide(const uint32_t *sheet, int64_t sw, uint32_t *target,
                                            int64_t tw, const int64_t *offset,
                                            const uint8_t *cells, int64_t stride, int64_t columns,
                                            int64_t rows)
{
    drawBlock8x8<Pixels8>(sheet, sw, target, tw, offset, cells, stride, columns, rows);
}

inline void drawInnerBlock(const uint32_t *sheet, int64_t sw, uint32_t *target, int64_t tw,
                           const int64_t *offset, const uint8_t *cells, int64_t stride,
                           int64_t columns, int64_t rows)
{
    if (wide::present())
        return drawBlock8x8Wide(sheet, sw, target, tw, offset, cells, stride, columns, rows);
    drawBlock8x8<Pixels4>(sheet, sw, target, tw, offset, cells, stride, columns, rows);
}

// The map walk with the keyed copy done here, clipped once per glyph: a glyph wholly inside
// the sheet and the target takes the unclipped copy (of fixed width W and height H when they
// are not 0; a block of 8 x 8 cells whose codes all lie on the sheet takes the vector loop),
// a cut glyph copies the overlap of its cell with the sheet and the target. The sheet, the
// target and the map do not share memory.
template <int W, int H, class Font>
void drawMapFast(Font *font, const BYTEMAP *map)
{
    const auto sheet = view(font->sheet);
    const auto target = view(font->target);
    using Pixel = std::remove_pointer_t<decltype(sheet.cells)>;
    const Glyph<Pixel> g = {sheet.cells,  sheet.width,   sheet.height, target.cells,
                            target.width, target.height, font->width,  font->height};

    // Where each of the 256 codes a map cell can hold sits in the sheet, stepping the corner
    // one cell at a time instead of dividing per code; `offset` is its first pixel when the
    // whole cell lies on the sheet, else -1.
    int64_t cellX[256], cellY[256], offset[256];
    int64_t cx = 0, cy = 0;
    bool allWhole = true;
    for (int32_t code = 0; code < 256; ++code) {
        const bool whole = cx + g.cw <= g.sw && cy + g.ch <= g.sh;
        allWhole = allWhole && whole;
        cellX[code] = cx;
        cellY[code] = cy;
        offset[code] = whole ? cy * g.sw + cx : -1;
        cx += g.cw;
        if (cx >= g.sw) {
            if (cx < 2 * g.sw) {
                cx -= g.sw;
                cy += g.ch;
            } else {
                const Corner next = cellCorner(*font, code + 1);
                cx = next.x;
                cy = next.y;
            }
        }
    }

    const auto cut = [&](int32_t code, int64_t x, int64_t y) {
        copyKeyedClipped<W>(g, cellX[code], cellY[code], x, y);
    };
    const auto whole = [&](const uint8_t *codes, int64_t stride, int64_t n, int64_t rows,
                           int64_t x, int64_t y) {
        if constexpr (W == 8 && H == 8) {
            if (allWhole) {
                return drawInnerBlock(g.sheet, g.sw, g.target + y * g.tw + x, g.tw, offset, codes,
                                      stride, n, rows);
            }
        }
        for (int64_t j = 0; j < rows; ++j, codes += stride, y += g.ch) {
            Pixel *d = g.target + y * g.tw + x;
            for (int64_t k = 0; k < n; ++k, d += g.cw) {
                const int64_t o = offset[codes[k]];
                if (o >= 0)
                    copyKeyed<W, H>(g.sheet + o, g.sw, d, g.tw, g.cw, g.ch);
                else
                    cut(codes[k], x + k * g.cw, y);
            }
        }
    };
    walkMap(font, map, whole, cut);
}

// Every cell of the map as a keyed glyph drawn with `keyed`. Cell sizes below 1 are refused:
// the walk divides by them and could not advance. Where the fast copy cannot be used (missing
// pixel arrays, which the copy reports, or a sheet, target and map that share memory), every
// glyph is drawn by its own rectangle copy, in the same order.
template <class Font>
void drawMap(Font *font, Blit<Font> keyed, const BYTEMAP *map, const ErrorReporter &error)
{
    if (!font || !map || !map->data || !font->sheet || !font->target) return report(error);
    if (font->width < 1 || font->height < 1) return report(error);

    const auto *sheet = font->sheet;
    const auto *target = font->target;
    const void *sheetCells = view(sheet).cells, *targetCells = view(target).cells;
    const bool separate = sheet != target && sheetCells != targetCells &&
                          static_cast<const void *>(map->data) != targetCells;
    if (!sheetCells || !targetCells || !separate || sheet->width < 1 || sheet->height < 0 ||
        target->width < 0 || target->height < 0) {
        const auto one = [&](int32_t code, int64_t x, int64_t y) {
            font->code = code;
            font->x = wrap32(x);
            font->y = wrap32(y);
            drawGlyph(font, keyed, error);
        };
        const auto each = [&](const uint8_t *codes, int64_t stride, int64_t n, int64_t rows,
                              int64_t x, int64_t y) {
            for (int64_t j = 0; j < rows; ++j, codes += stride, y += font->height)
                for (int64_t k = 0; k < n; ++k) one(codes[k], x + k * font->width, y);
        };
        return walkMap(font, map, each, one);
    }
    if (font->width == 8 && font->height == 8) return drawMapFast<8, 8>(font, map);
    if (font->width == 8) return drawMapFast<8, 0>(font, map);
    drawMapFast<0, 0>(font, map);
}

// ---- Magnified glyphs ----

// big's current glyph, each non-zero sheet pixel drawn as small's current glyph (with
// `keyed`) at big's pen plus (small's cell size) x (the pixel's place in the cell). big's
// cell is read straight from its sheet, so it must lie wholly inside it: otherwise report,
// change nothing.
template <class Font>
void drawBig(Font *big, Font *small, Blit<Font> keyed, const ErrorReporter &error)
{
    if (!big || !small || !big->sheet || !big->target || !small->sheet) return report(error);
    const auto *sheet = big->sheet;
    const auto *cells = view(sheet).cells;
    const int32_t w = big->width, h = big->height;
    Corner corner = {0, 0};
    if (w > 0 && h > 0) {
        if (!cells || sheet->width < 1) return report(error);
        corner = cellCorner(*big, big->code);
        if (corner.x < 0 || corner.y < 0 || corner.x + w > sheet->width ||
            corner.y + h > sheet->height) {
            return report(error);
        }
    }

    small->target = big->target;
    // A cell without width or height has no pixels, however long its other side is.
    for (int32_t i = 0; w > 0 && i < h; ++i) {
        const auto *row = cells + (corner.y + i) * sheet->width + corner.x;
        for (int32_t j = 0; j < w; ++j) {
            if (!row[j]) continue;
            small->x = wrap32(big->x + int64_t{small->width} * j);
            small->y = wrap32(big->y + int64_t{small->height} * i);
            drawGlyph(small, keyed, error);
        }
    }
    big->x = advance(big->x, int64_t{small->width} * w);
}

// ---- Life cycle ----

template <class Font>
Font *newFont(const ErrorReporter &error)
{
    Font *font = static_cast<Font *>(std::calloc(1, sizeof(Font)));
    if (!font) return report(error, nullptr);
    font->width = 6;
    font->height = 6;
    return font;
}

// Frees the sheet with `freeSheet`, then the record; the target is borrowed.
template <class Font>
void freeFont(Font **font, void (*freeSheet)(Sheet<Font> **), const ErrorReporter &error)
{
    if (!font || !*font) return report(error);
    if ((*font)->sheet) freeSheet(&(*font)->sheet);
    std::free(*font);
    *font = nullptr;
}

// A new font with the same pen, cells and code, its own copy of the sheet (made with
// `copySheet`) and the same borrowed target. Null, after a report, on a missing font or a
// failed allocation.
template <class Font>
Font *copyFont(const Font *font, Sheet<Font> *(*copySheet)(const Sheet<Font> *),
               const ErrorReporter &error)
{
    if (!font) return report(error, static_cast<Font *>(nullptr));
    Font *copy = static_cast<Font *>(std::calloc(1, sizeof(Font)));
    if (!copy) return report(error, copy);
    *copy = *font;
    if (font->sheet) {
        copy->sheet = copySheet(font->sheet);
        if (!copy->sheet) {
            std::free(copy);
            return report(error, static_cast<Font *>(nullptr));
        }
    }
    return copy;
}

// 1 when two fonts have the same pen, cells, code and target and equal sheets (by
// `equalSheets`, or neither has one); a missing font is reported and gives 0.
template <class Font>
int equalFonts(const Font *a, const Font *b,
               int (*equalSheets)(const Sheet<Font> *, const Sheet<Font> *),
               const ErrorReporter &error)
{
    if (!a || !b) return report(error, 0);
    if (a->x != b->x || a->y != b->y || a->width != b->width || a->height != b->height ||
        a->code != b->code || a->target != b->target) {
        return 0;
    }
    if (!a->sheet || !b->sheet) return a->sheet == b->sheet;
    return a->sheet == b->sheet || equalSheets(a->sheet, b->sheet);
}

}  // namespace glyphs
