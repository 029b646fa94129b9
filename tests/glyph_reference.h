// Test helpers shared by the font tests: where a code's cell lies, what a drawn glyph must
// look like, and two slow, obvious ways of drawing a character map to hold the fast one to.
// Written over either font and surface type, as the fonts themselves are.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "support/helpers.h"

namespace reference {

using support::surface::cells;
using support::surface::contents;
inline uint32_t at(const IMG *image, int32_t x, int32_t y) { return IMGGetPixel(image, x, y); }
inline uint32_t at(const BYTEMAP *map, int32_t x, int32_t y) { return BYTEMAPGetPixel(map, x, y); }

// Where the glyph of `code` starts in the font's sheet.
template <class Font>
void corner(const Font *font, int32_t code, int32_t &sx, int32_t &sy)
{
    const int64_t a = int64_t{code} * font->width;
    sx = int32_t(a % font->sheet->width);
    sy = int32_t(a / font->sheet->width * font->height);
}

// The cell at (x, y) of the target holds the glyph of `code` exactly as the sheet has it
// (what a keyed glyph leaves on an empty target, or any opaque glyph).
template <class Font>
::testing::AssertionResult showsGlyph(const Font *font, int32_t x, int32_t y, int32_t code)
{
    int32_t sx = 0, sy = 0;
    corner(font, code, sx, sy);
    for (int32_t j = 0; j < font->height; ++j)
        for (int32_t i = 0; i < font->width; ++i) {
            const uint32_t want = at(font->sheet, sx + i, sy + j);
            const uint32_t got = at(font->target, x + i, y + j);
            if (want != got)
                return ::testing::AssertionFailure()
                       << "code " << code << " at (" << x << ", " << y << "), pixel (" << i << ", "
                       << j << "): " << std::hex << got << " instead of " << want;
        }
    return ::testing::AssertionSuccess();
}

// The glyphs of `text` side by side from (x, y).
template <class Font>
::testing::AssertionResult showsText(const Font *font, int32_t x, int32_t y, const std::string &text)
{
    for (size_t k = 0; k < text.size(); ++k) {
        auto r = showsGlyph(font, x + int32_t(k) * font->width, y, static_cast<unsigned char>(text[k]));
        if (!r) return r;
    }
    return ::testing::AssertionSuccess();
}

// The character map as its walk reads: whole cells off the left and top skipped, each visible
// cell one keyed glyph (DrawGlyph) at the pen, rows stopping at the right edge, the walk at
// the bottom; the pen left at the first drawn column below the last row.
template <auto DrawGlyph, class Font>
void glyphByGlyph(Font *font, const BYTEMAP *map)
{
    const auto *t = font->target;
    const int32_t cw = font->width, ch = font->height;
    if (int64_t{map->x} + int64_t{map->width} * cw < 1 || map->x >= t->width ||
        int64_t{map->y} + int64_t{map->height} * ch < 1 || map->y >= t->height)
        return;
    const int32_t k0 = map->x < 0 ? -map->x / cw : 0, x0 = map->x < 0 ? -(-map->x % cw) : map->x;
    const int32_t r0 = map->y < 0 ? -map->y / ch : 0, y0 = map->y < 0 ? -(-map->y % ch) : map->y;
    int32_t y = y0;
    for (int32_t r = r0; y < t->height && r < map->height; ++r, y += ch) {
        font->x = x0;
        font->y = y;
        for (int32_t k = k0; font->x < t->width && k < map->width; ++k) {
            font->code = BYTEMAPGetPixel(map, k, r);
            DrawGlyph(font);
        }
    }
    font->x = x0;
    font->y = y;
}

// The character map pixel by pixel, the plainest way: every non-zero sheet pixel of every
// cell that lands on `target`.
template <class Font, class Surface>
void pixelByPixel(const Font *font, const BYTEMAP *map, Surface *target)
{
    const auto *sheet = font->sheet;
    for (int32_t r = 0; r < map->height; ++r)
        for (int32_t c = 0; c < map->width; ++c) {
            int32_t sx = 0, sy = 0;
            corner(font, map->data[r * map->width + c], sx, sy);
            for (int32_t j = 0; j < font->height; ++j)
                for (int32_t i = 0; i < font->width; ++i) {
                    const int64_t x = int64_t{map->x} + int64_t{c} * font->width + i;
                    const int64_t y = int64_t{map->y} + int64_t{r} * font->height + j;
                    if (sx + i >= sheet->width || sy + j >= sheet->height) continue;
                    if (x < 0 || y < 0 || x >= target->width || y >= target->height) continue;
                    const auto s = cells(sheet)[sx + i + (sy + j) * sheet->width];
                    if (s) cells(target)[x + y * target->width] = s;
                }
        }
}

// A map of w x h pseudo-random codes at (x, y).
inline BYTEMAP *randomMap(int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed)
{
    BYTEMAP *map = BYTEMAPNew();
    BYTEMAPResize(map, w, h);
    map->x = x;
    map->y = y;
    for (int32_t i = 0; i < w * h; ++i) {
        seed = seed * 1103515245u + 12345u;
        map->data[i] = uint8_t(seed >> 16);
    }
    return map;
}

}  // namespace reference
