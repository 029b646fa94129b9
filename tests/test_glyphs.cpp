// What the cell font and the bitmap font share, run on both: glyph placement and the pen, keyed
// and opaque glyphs and their clipping, numbers, lines and texts, the character map against
// slow references, magnified glyphs and the reports. What only one of them has is in
// test_font.cpp and test_bfont.cpp.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "glyph_reference.h"
#include "report_capture.h"
#include "support/twins.h"

namespace {

using XY = std::pair<int32_t, int32_t>;
using reference::corner;
using reference::pixelByPixel;
using reference::showsGlyph;
using reference::showsText;

template <class F>
class Glyphs : public ::testing::Test {};
TYPED_TEST_SUITE(Glyphs, twin::Fonts, twin::Names);

// The font under test (F), its face (T), its sheet and target record (Sheet) with that
// record's face (S) and cell type.
#define FONT_TWIN                                 \
    using F = TypeParam;                          \
    using T = twin::Font<F>;                      \
    using Sheet = typename T::Sheet;              \
    using S = twin::Surface<Sheet>;               \
    using Cell [[maybe_unused]] = typename S::Cell

template <class Record>
bool allCells(const Record *r, uint32_t value)
{
    using Cell = typename twin::Surface<Record>::Cell;
    for (auto c : twin::contents(r))
        if (c != Cell(value)) return false;
    return true;
}

}  // namespace

TYPED_TEST(Glyphs, NewAndFree)
{
    FONT_TWIN;
    F *font = T::New();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->width, 6);
    EXPECT_EQ(font->height, 6);
    EXPECT_EQ(font->x, 0);
    EXPECT_EQ(font->y, 0);
    EXPECT_EQ(font->code, 0);
    EXPECT_EQ(font->reserved0, 0);
    EXPECT_EQ(font->reserved1, 0);
    EXPECT_EQ(font->sheet, nullptr);
    EXPECT_EQ(font->target, nullptr);
    T::Free(&font);
    EXPECT_EQ(font, nullptr);

    // Freeing frees the sheet (the leak checker would tell), never the target.
    for (XY cell : {XY{8, 8}, XY{32, 32}}) {
        Sheet *target = twin::filled<Sheet>(16, 16, 9);
        font = twin::makeFont<F>(cell.first, cell.second, 32 * cell.first, 10 * cell.second, target);
        T::Free(&font);
        EXPECT_EQ(font, nullptr);
        EXPECT_EQ(target->width, 16);
        EXPECT_TRUE(allCells(target, 9));
        S::Free(&target);
    }

    EXPECT_EQ(reported(T::error(), [&] { T::Free(&font); }), T::line);
    EXPECT_EQ(reported(T::error(), [&] { T::Free(nullptr); }), T::line);
}

TYPED_TEST(Glyphs, CopyEqualAndNoTextForm)
{
    FONT_TWIN;
    Sheet *target = twin::filled<Sheet>(16, 16);
    F *font = twin::makeFont<F>(8, 8, 64, 40, target);
    font->x = 3;
    font->code = 'k';
    F *copy = T::Copy(font);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->sheet, font->sheet) << "the copy owns a sheet of its own";
    EXPECT_EQ(S::Equal(copy->sheet, font->sheet), 1);
    EXPECT_EQ(copy->target, target);
    EXPECT_EQ(T::Equal(font, copy), 1);
    for (int cell : {5, 1000}) {
        S::cells(copy->sheet)[cell] ^= 1;
        EXPECT_EQ(T::Equal(font, copy), 0) << cell;
        S::cells(copy->sheet)[cell] ^= 1;
    }
    copy->y = 1;
    EXPECT_EQ(T::Equal(font, copy), 0);
    T::Free(&copy);
    EXPECT_EQ(target->width, 16);

    F *bare = T::New(), *twin = T::Copy(bare);
    EXPECT_EQ(twin->sheet, nullptr);
    EXPECT_EQ(T::Equal(bare, twin), 1);
    EXPECT_EQ(T::Equal(bare, font), 0);
    T::Free(&twin);

    EXPECT_EQ(reported(T::error(), [&] { EXPECT_EQ(T::ToASCII(font), nullptr); }), "");
    EXPECT_EQ(reported(T::error(), [&] { EXPECT_EQ(T::FromASCII("FONT{}"), nullptr); }), "");
    const std::string out = reported(T::error(), [&] {
        EXPECT_EQ(T::ToASCII(nullptr), nullptr);
        EXPECT_EQ(T::FromASCII(nullptr), nullptr);
        EXPECT_EQ(T::Equal(font, nullptr), 0);
        EXPECT_EQ(T::Equal(nullptr, font), 0);
        EXPECT_EQ(T::Copy(nullptr), nullptr);
    });
    EXPECT_EQ(out, twin::lines(T::line, 5));
    T::Free(&bare);
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, GlyphCellsFollowCodeOrder)
{
    FONT_TWIN;
    // The text font (8 x 8 cells on a 256 x 80 sheet) and the scroller's big font (32 x 32 on
    // 1024 x 128): where given codes lie, and the first code below the sheet.
    const struct {
        int32_t cw, ch, sw, sh;
        std::vector<std::pair<int32_t, XY>> codes;  // code, its cell's corner on the sheet
        int32_t below;
    } fonts[] = {
        {8, 8, 256, 80, {{65, {8, 16}}, {255, {248, 56}}, {300, {96, 72}}}, 320},
        {32, 32, 1024, 128, {{65, {32, 64}}, {127, {992, 96}}}, 128},
    };
    for (const auto &f : fonts) {
        Sheet *target = twin::filled<Sheet>(4 * f.cw, f.ch, 7);
        F *font = twin::makeFont<F>(f.cw, f.ch, f.sw, f.sh, target);
        int32_t x = 0;
        for (const auto &[code, at] : f.codes) {
            int32_t sx = -1, sy = -1;
            corner(font, code, sx, sy);
            EXPECT_EQ(XY(sx, sy), at) << code;
            font->code = code;
            T::DrawGlyphOpaque(font);
            EXPECT_TRUE(showsGlyph(font, x, 0, code));
            EXPECT_EQ(font->x, x += f.cw);
        }
        // Codes past the last cell lie below the sheet and negative codes before it: nothing
        // drawn, keyed or opaque; the pen still moves.
        Sheet *before = S::Copy(target);
        for (int32_t code : {f.below, 1000, -1, -128, INT32_MAX, INT32_MIN}) {
            font->code = code;
            T::DrawGlyph(font);
            T::DrawGlyphOpaque(font);
        }
        EXPECT_EQ(S::Equal(before, target), 1);
        EXPECT_EQ(font->x, x + 12 * f.cw);
        S::Free(&before);
        T::Free(&font);
        S::Free(&target);
    }

    // A sheet narrower than a whole number of cells: a cell runs off its right edge and is cut.
    Sheet *target = twin::filled<Sheet>(64, 16);
    F *font = twin::makeFont<F>(8, 8, 20, 16, target);
    font->code = 2;  // column 16, only 4 pixels on the sheet
    T::DrawGlyphOpaque(font);
    EXPECT_EQ(S::GetPixel(target, 3, 5), T::sheetCell(19, 5));
    EXPECT_EQ(S::GetPixel(target, 4, 5), 0u);
    font->code = 3;  // 24 = one row down at column 4
    T::DrawGlyphOpaque(font);
    EXPECT_TRUE(showsGlyph(font, 8, 0, 3));
    EXPECT_EQ(S::GetPixel(target, 8, 0), T::sheetCell(4, 8));
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, KeyedAndOpaqueGlyphs)
{
    FONT_TWIN;
    const Cell ground = Cell(0x00102030);
    Sheet *target = twin::filled<Sheet>(16, 8, ground);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);
    int32_t sx = 0, sy = 0;
    corner(font, 'A', sx, sy);

    // Keyed: where the glyph holds 0 the target keeps its value; opaque copies the 0s too.
    font->code = 'A';
    T::DrawGlyph(font);
    T::DrawGlyphOpaque(font);
    EXPECT_EQ(font->x, 16);
    for (int32_t j = 0; j < 8; ++j)
        for (int32_t i = 0; i < 8; ++i) {
            const Cell s = T::sheetCell(sx + i, sy + j);
            EXPECT_EQ(S::GetPixel(target, i, j), s ? s : ground) << i << "," << j;
            EXPECT_EQ(S::GetPixel(target, 8 + i, j), s) << i << "," << j;
        }
    // A keyed glyph over another glyph keeps that one where it holds 0.
    font->x = 8;
    font->code = 'B';
    T::DrawGlyph(font);
    int32_t bx = 0, by = 0;
    corner(font, 'B', bx, by);
    for (int32_t j = 0; j < 8; ++j)
        for (int32_t i = 0; i < 8; ++i) {
            const Cell s = T::sheetCell(bx + i, by + j);
            EXPECT_EQ(S::GetPixel(target, 8 + i, j), s ? s : T::sheetCell(sx + i, sy + j));
        }
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, GlyphsAreClippedAndThePenAlwaysMoves)
{
    FONT_TWIN;
    // A glyph cut at the target's edges: only the part on it is drawn, cell by cell.
    const struct {
        int32_t cw, ch, sw, sh, tw, th, x, y, code;
    } clips[] = {
        {8, 8, 256, 80, 20, 20, -3, 15, 'Q'},       // columns 3..7 of rows 0..4 at (0..4, 15..19)
        {32, 32, 1024, 128, 256, 32, 250, -30, 'C'},  // columns 0..5 of rows 30..31 at (250.., 0..1)
    };
    for (const auto &c : clips) {
        Sheet *target = twin::filled<Sheet>(c.tw, c.th);
        F *font = twin::makeFont<F>(c.cw, c.ch, c.sw, c.sh, target);
        int32_t sx = 0, sy = 0;
        corner(font, c.code, sx, sy);
        font->code = c.code;
        font->x = c.x;
        font->y = c.y;
        T::DrawGlyphOpaque(font);
        EXPECT_EQ(font->x, c.x + c.cw);
        EXPECT_EQ(font->y, c.y);
        for (int32_t y = 0; y < c.th; ++y)
            for (int32_t x = 0; x < c.tw; ++x) {
                const int32_t i = x - c.x, j = y - c.y;
                const bool in = i >= 0 && i < c.cw && j >= 0 && j < c.ch;
                EXPECT_EQ(S::GetPixel(target, x, y), in ? T::sheetCell(sx + i, sy + j) : 0u)
                    << x << "," << y;
            }
        T::Free(&font);
        S::Free(&target);
    }

    Sheet *target = twin::filled<Sheet>(20, 20);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);
    font->code = 'Q';
    Sheet *before = S::Copy(target);
    for (int32_t x : {-8, 20, INT32_MIN, INT32_MAX - 3}) {
        font->x = x;
        font->y = 0;
        T::DrawGlyphOpaque(font);
        EXPECT_EQ(font->x, int32_t(uint32_t(x) + 8u)) << "wraps instead of overflowing";
    }
    font->x = 0;
    font->y = -8;
    T::DrawGlyph(font);
    EXPECT_EQ(S::Equal(before, target), 1);
    S::Free(&before);

    // No target: the copy reports, the pen still moves. No sheet: the font reports and the pen
    // stays.
    font->target = nullptr;
    font->x = 0;
    EXPECT_EQ(reported(S::error(), [&] { T::DrawGlyph(font); }), S::line);
    EXPECT_EQ(font->x, 8);
    font->target = target;
    Sheet *sheet = font->sheet;
    font->sheet = nullptr;
    EXPECT_EQ(reported(T::error(), [&] {
                  T::DrawGlyph(font);
                  T::DrawGlyphOpaque(font);
              }),
              twin::lines(T::line, 2));
    EXPECT_EQ(font->x, 8);
    // A sheet without width has no cells to find (the cell position divides by it).
    Sheet *empty = twin::filled<Sheet>(0, 0);
    font->sheet = empty;
    EXPECT_EQ(reported(T::error(), [&] { T::DrawGlyph(font); }), T::line);
    EXPECT_EQ(font->x, 8);
    font->sheet = sheet;
    S::Free(&empty);
    EXPECT_EQ(reported(T::error(), [&] {
                  T::DrawGlyph(nullptr);
                  T::DrawGlyphOpaque(nullptr);
              }),
              twin::lines(T::line, 2));
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, HexDigits)
{
    FONT_TWIN;
    Sheet *target = twin::filled<Sheet>(64, 8);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);
    const auto shows = [&](auto draw, uint32_t value, const char *digits) {
        S::Clear(target);
        font->x = 0;
        draw(font, value);
        EXPECT_TRUE(showsText(font, 0, 0, digits)) << value;
        EXPECT_EQ(font->x, int32_t(8 * std::string(digits).size())) << value;
    };
    for (auto [value, digits] : std::initializer_list<std::pair<uint32_t, const char *>>{
             {0x1F7, "F7"}, {160, "A0"}, {159, "9F"}, {0, "00"}, {255, "FF"}, {0x9A, "9A"}})
        shows(T::DrawHex8, value, digits);
    shows(T::DrawHex32, 0x0000ABCD, "0000ABCD");
    shows(T::DrawHex32, 0xDEADBEEF, "DEADBEEF");
    shows(T::DrawHex16, 0x12345678, "5678");
    shows(T::DrawHex16, 0xFFFF1234, "1234");

    EXPECT_EQ(reported(T::error(), [&] { T::DrawHex8(nullptr, 1); }), T::line);
    EXPECT_EQ(reported(T::error(), [&] { T::DrawHex16(nullptr, 1); }), T::line);
    EXPECT_EQ(reported(T::error(), [&] { T::DrawHex32(nullptr, 1); }), T::line);
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, LinesStopAtTheNewline)
{
    FONT_TWIN;
    Sheet *target = twin::filled<Sheet>(256, 16);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);

    // The tag at the top-right corner ends exactly at the right edge.
    font->x = 224;
    T::DrawLine(font, "KOVA\n");
    EXPECT_TRUE(showsText(font, 224, 0, "KOVA"));
    EXPECT_EQ(font->x, 256);
    EXPECT_EQ(font->y, 0);
    for (int32_t x = 0; x < 224; ++x) EXPECT_EQ(S::GetPixel(target, x, 3), 0u);

    // Bytes above 127 are codes 128..255; nothing after the newline is drawn, and the newline
    // does not move the pen.
    for (const char *line : {"\xE9z\nrest", "\xE9q\nzz"}) {
        S::Clear(target);
        font->x = 0;
        T::DrawLine(font, line);
        EXPECT_TRUE(showsGlyph(font, 0, 0, 233));
        EXPECT_TRUE(showsGlyph(font, 8, 0, static_cast<unsigned char>(line[1])));
        EXPECT_EQ(font->x, 16);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 16; x < 256; ++x) ASSERT_EQ(S::GetPixel(target, x, y), 0u) << line;
    }
    font->x = 40;
    T::DrawLine(font, "");
    T::DrawLine(font, "\n");
    EXPECT_EQ(font->x, 40);

    EXPECT_EQ(reported(T::error(), [&] { T::DrawLine(font, nullptr); }), T::line);
    EXPECT_EQ(reported(T::error(), [&] { T::DrawLine(nullptr, "ab"); }), T::line);
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, TextsAreOpaqueAndBreakLines)
{
    FONT_TWIN;
    const Cell ground = Cell(0x00FFFFC8);
    Sheet *target = twin::filled<Sheet>(64, 32, ground);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);

    font->x = 8;
    font->y = 4;
    T::DrawText(font, "ab\ncd");
    EXPECT_TRUE(showsText(font, 8, 4, "ab"));
    EXPECT_TRUE(showsText(font, 8, 12, "cd"));
    EXPECT_EQ(font->x, 24);
    EXPECT_EQ(font->y, 12);
    EXPECT_EQ(S::GetPixel(target, 7, 4), ground);

    // A byte above 127 is a negative code: no cell, nothing drawn, one cell of pen movement,
    // alone or at the end of a line.
    Sheet *before = S::Copy(target);
    font->x = 40;
    font->y = 20;
    T::DrawText(font, "\xE9");
    EXPECT_EQ(S::Equal(before, target), 1);
    EXPECT_EQ(font->x, 48);
    S::Free(&before);
    for (int32_t i = 0; i < 64 * 32; ++i) S::cells(target)[i] = ground;
    font->x = 4;
    font->y = 2;
    T::DrawText(font, "ab\ncd\xE9");
    EXPECT_TRUE(showsText(font, 4, 10, "cd"));
    EXPECT_EQ(S::GetPixel(target, 20, 10), ground);
    EXPECT_EQ(font->x, 28);
    EXPECT_EQ(font->y, 10);

    std::string out = reported(T::error(), [&] {
        T::DrawText(nullptr, "a");
        T::DrawText(font, nullptr);
        font->target = nullptr;
        T::DrawText(font, "a");
        font->target = target;
        Sheet *sheet = font->sheet;
        font->sheet = nullptr;
        T::DrawText(font, "a");
        font->sheet = sheet;
    });
    EXPECT_EQ(out, twin::lines(T::line, 4));
    EXPECT_EQ(font->x, 28);
    T::Free(&font);
    S::Free(&target);
}

TYPED_TEST(Glyphs, MapPlacement)
{
    FONT_TWIN;
    Sheet *target = twin::filled<Sheet>(256, 256);
    F *font = twin::makeFont<F>(8, 8, 256, 80, target);
    BYTEMAP *map = reference::randomMap(32, 32, -10, 0, 1);
    for (int32_t i = 0; i < 32 * 32; ++i) map->data[i] = uint8_t(i % 7 + 65);

    // At x = -10, map column 1 is drawn at column -2: its first two columns are cut off.
    T::DrawMap(font, map);
    int32_t sx = 0, sy = 0;
    corner(font, map->data[1], sx, sy);
    EXPECT_EQ(S::GetPixel(target, 0, 0), T::sheetCell(sx + 2, sy));
    EXPECT_EQ(S::GetPixel(target, 5, 3), T::sheetCell(sx + 7, sy + 3));
    EXPECT_TRUE(showsGlyph(font, 6, 0, map->data[2]));
    EXPECT_EQ(font->x, -2);
    EXPECT_EQ(font->y, 256);
    EXPECT_EQ(font->code, map->data[31 * 32 + 31]);

    // Wholly to the right, left, above or below: nothing drawn, nothing reported, pen kept.
    S::Clear(target);
    font->x = 5;
    font->y = 6;
    for (auto [x, y] : std::initializer_list<XY>{{256, 0}, {-256, 0}, {0, 256}, {0, -256}, {INT32_MIN, 0}, {0, INT32_MAX}}) {
        map->x = x;
        map->y = y;
        EXPECT_EQ(reported(T::error(), [&] { T::DrawMap(font, map); }), "");
    }
    EXPECT_TRUE(allCells(target, 0));
    EXPECT_EQ(font->x, 5);
    EXPECT_EQ(font->y, 6);

    // One pixel in at the left edge: only the last column of map column 31.
    map->x = -255;
    map->y = 0;
    T::DrawMap(font, map);
    EXPECT_EQ(font->x, -7);
    EXPECT_EQ(font->y, 256);
    corner(font, map->data[31], sx, sy);
    EXPECT_EQ(S::GetPixel(target, 0, 1), T::sheetCell(sx + 7, sy + 1));
    EXPECT_EQ(S::GetPixel(target, 1, 1), 0u);

    std::string out = reported(T::error(), [&] {
        T::DrawMap(nullptr, map);
        T::DrawMap(font, nullptr);
        font->target = nullptr;
        T::DrawMap(font, map);
        font->target = target;
        Sheet *sheet = font->sheet;
        font->sheet = nullptr;
        T::DrawMap(font, map);
        font->sheet = sheet;
    });
    EXPECT_EQ(out, twin::lines(T::line, 4));
    T::Free(&font);
    BYTEMAPFree(&map);
    S::Free(&target);
}

// The fast map walk against both slow references, on awkward placements, cell sizes, sheets
// and map sizes: pixels, pen and code must all agree.
TYPED_TEST(Glyphs, MapMatchesGlyphByGlyphAndPixelByPixel)
{
    FONT_TWIN;
    struct Setup {
        int32_t cw, ch, sw, sh, tw, th;
        uint32_t ground;
    };
    const struct Sweep {
        std::vector<Setup> setups;
        std::vector<XY> places, sizes;
    } sweeps[] = {
        {{
             {8, 8, 256, 80, 256, 256, 0x00ABCDEF},  // the demo's text font
             {8, 8, 64, 40, 100, 70, 0x00ABCDEF},    // codes far beyond the sheet
             {8, 8, 60, 36, 37, 29, 0x00ABCDEF},     // sheet not a whole number of cells wide or high
             {6, 6, 256, 80, 50, 41, 0x00ABCDEF},    // a new font's cell size
             {5, 7, 33, 50, 64, 64, 0x00ABCDEF},
             {32, 32, 1024, 128, 256, 256, 0x00ABCDEF},
             {1, 1, 16, 16, 10, 10, 0x00ABCDEF},
             {9, 3, 8, 100, 40, 40, 0x00ABCDEF},     // cells wider than the sheet
         },
         {{0, 0}, {-10, 0}, {0, -10}, {-1, -1}, {-7, -9}, {-8, -8}, {3, 5}, {-300, 4}, {30, -60},
          {-255, -3}, {96, 64}, {-130, -77}, {7, 1}, {1000, 0}, {0, -5000}},
         {{32, 32}, {13, 7}, {1, 1}, {0, 5}}},
        {{{8, 8, 256, 80, 77, 61, 3}, {8, 8, 50, 30, 77, 61, 3}, {32, 32, 1024, 128, 77, 61, 3},
          {3, 5, 16, 16, 77, 61, 3}},
         {{0, 0}, {-10, 0}, {-1, -1}, {-8, -15}, {5, 3}, {-200, 100}, {250, -250}},
         {{40, 20}}},
    };
    int checked = 0;
    const auto check = [&](const Setup &s, XY place, XY size) {
        const auto [x, y] = place;
        const auto [mw, mh] = size;
        Sheet *fast = twin::filled<Sheet>(s.tw, s.th, s.ground);
        Sheet *slow = twin::filled<Sheet>(s.tw, s.th, s.ground);
        Sheet *plain = twin::filled<Sheet>(s.tw, s.th, s.ground);
        F *font = twin::makeFont<F>(s.cw, s.ch, s.sw, s.sh, fast);
        BYTEMAP *map = reference::randomMap(mw, mh, x, y, uint32_t(checked));
        font->x = 11;
        font->y = 12;
        font->code = 13;
        T::DrawMap(font, map);
        const int32_t fx = font->x, fy = font->y, fc = font->code;

        font->target = slow;
        font->x = 11;
        font->y = 12;
        font->code = 13;
        reference::glyphByGlyph<T::DrawGlyph>(font, map);
        pixelByPixel(font, map, plain);

        EXPECT_EQ(twin::contents(fast), twin::contents(slow))
            << "cells " << s.cw << "x" << s.ch << " map " << mw << "x" << mh << " at " << x << "," << y;
        EXPECT_EQ(twin::contents(fast), twin::contents(plain));
        EXPECT_EQ(fx, font->x);
        EXPECT_EQ(fy, font->y);
        EXPECT_EQ(fc, font->code);
        BYTEMAPFree(&map);
        T::Free(&font);
        S::Free(&fast);
        S::Free(&slow);
        S::Free(&plain);
        ++checked;
    };
    for (const Sweep &sweep : sweeps)
        for (const Setup &s : sweep.setups) {
            // Glyph columns and rows that end exactly at the right and bottom edges, one pixel
            // short of them, and one pixel past them.
            std::vector<XY> all = sweep.places;
            const int32_t ex = s.tw % s.cw, ey = s.th % s.ch;
            for (int32_t d : {-1, 0, 1}) all.push_back({ex + d, ey + d});
            all.push_back({ex - s.cw + 1, ey - s.ch + 1});
            for (XY place : all)
                for (XY size : sweep.sizes) check(s, place, size);
        }
    // A small map wholly on the target.
    for (const Setup &s : sweeps[1].setups) check(s, {5, 3}, {8, 6});
    EXPECT_EQ(checked, 8 * 19 * 4 + 4 * 11 + 4);
}

TYPED_TEST(Glyphs, MapOverItsOwnSheetAndBadCellSizes)
{
    FONT_TWIN;
    // The sheet as its own target: glyph copies read what earlier ones wrote, in order.
    F *font = twin::makeFont<F>(8, 8, 64, 64, nullptr);
    font->target = font->sheet;
    Sheet *copy = S::Copy(font->sheet);
    BYTEMAP *map = reference::randomMap(5, 5, 3, -2, 7);
    T::DrawMap(font, map);
    F *slow = twin::makeFont<F>(8, 8, 64, 64, nullptr);
    S::Free(&slow->sheet);
    slow->sheet = copy;
    slow->target = copy;
    reference::glyphByGlyph<T::DrawGlyph>(slow, map);
    EXPECT_EQ(S::Equal(font->sheet, copy), 1);
    T::Free(&slow);

    // Cell sizes below 1 cannot be walked: reported, nothing changes.
    Sheet *target = twin::filled<Sheet>(32, 32);
    font->target = target;
    map->x = -3;
    for (auto [w, h] : std::initializer_list<XY>{{0, 8}, {8, 0}, {-8, 8}, {8, -1}}) {
        font->width = w;
        font->height = h;
        font->x = 1;
        EXPECT_EQ(reported(T::error(), [&] { T::DrawMap(font, map); }), T::line);
        EXPECT_EQ(font->x, 1);
    }
    EXPECT_TRUE(allCells(target, 0));

    // A map without cells is missing too.
    font->width = font->height = 8;
    uint8_t *cells = map->data;
    map->data = nullptr;
    EXPECT_EQ(reported(T::error(), [&] { T::DrawMap(font, map); }), T::line);
    map->data = cells;
    T::Free(&font);
    BYTEMAPFree(&map);
    S::Free(&target);
}

TYPED_TEST(Glyphs, BigGlyphs)
{
    FONT_TWIN;
    // A big glyph of small glyphs: 8 x 8 of them, and the scroller's 32 x 32 (256 wide).
    const struct {
        int32_t cw, ch, sw, sh, code, x, y;
        char small;
        int32_t tw, th, last;            // the last whole cell of the sheet
        std::vector<int32_t> refused;    // codes whose cell is not wholly on it
    } bigs[] = {
        {8, 8, 64, 16, 9, 3, 2, 'x', 256, 128, 15, {16, -1, 100, INT32_MAX}},  // 9: sheet (8, 8)
        {32, 32, 1024, 128, 'K', 10, 20, '#', 300, 300, 127, {128, -1, INT32_MAX}},
    };
    for (const auto &b : bigs) {
        Sheet *target = twin::filled<Sheet>(b.tw, b.th);
        F *small = twin::makeFont<F>(8, 8, 256, 80, nullptr);
        F *big = twin::makeFont<F>(b.cw, b.ch, b.sw, b.sh, target);
        small->code = b.small;
        big->code = b.code;
        big->x = b.x;
        big->y = b.y;
        T::DrawBig(big, small);
        EXPECT_EQ(big->x, b.x + 8 * b.cw);
        EXPECT_EQ(big->y, b.y);
        EXPECT_EQ(small->target, target);
        EXPECT_EQ(small->code, b.small);

        Sheet *want = twin::filled<Sheet>(b.tw, b.th);
        F *probe = twin::makeFont<F>(8, 8, 256, 80, want);
        probe->code = b.small;
        int32_t sx = 0, sy = 0;
        corner(big, b.code, sx, sy);
        for (int32_t i = 0; i < b.ch; ++i)
            for (int32_t j = 0; j < b.cw; ++j) {
                if (!T::sheetCell(sx + j, sy + i)) continue;
                probe->x = b.x + 8 * j;
                probe->y = b.y + 8 * i;
                T::DrawGlyph(probe);
            }
        EXPECT_EQ(twin::contents(target), twin::contents(want));
        T::Free(&probe);
        S::Free(&want);

        // The big cell is read straight from the sheet: one not wholly inside it is refused.
        big->code = b.last;
        big->x = 0;
        EXPECT_EQ(reported(T::error(), [&] { T::DrawBig(big, small); }), "");
        EXPECT_EQ(big->x, 8 * b.cw);
        for (int32_t code : b.refused) {
            big->code = code;
            big->x = 0;
            small->x = small->y = 77;
            EXPECT_EQ(reported(T::error(), [&] { T::DrawBig(big, small); }), T::line) << code;
            EXPECT_EQ(big->x, 0);
            EXPECT_EQ(small->x, 77);
        }
        T::Free(&big);
        T::Free(&small);
        S::Free(&target);
    }

    Sheet *target = twin::filled<Sheet>(256, 128);
    F *small = twin::makeFont<F>(8, 8, 256, 80, nullptr);
    F *big = twin::makeFont<F>(8, 8, 58, 16, target);
    Sheet *before = S::Copy(target);
    big->code = 7;  // sheet (56, 0): a cell running 2 pixels past a 58-wide sheet
    EXPECT_EQ(reported(T::error(), [&] { T::DrawBig(big, small); }), T::line);
    EXPECT_EQ(S::Equal(before, target), 1);
    // A cell without width draws nothing and takes no time, however tall it is.
    big->width = 0;
    big->height = INT32_MAX;
    T::DrawBig(big, small);
    EXPECT_EQ(S::Equal(before, target), 1);
    big->width = 8;
    big->height = 8;
    S::Free(&before);

    std::string out = reported(T::error(), [&] {
        T::DrawBig(nullptr, small);
        T::DrawBig(big, nullptr);
        big->target = nullptr;
        T::DrawBig(big, small);
        big->target = target;
        Sheet *sheet = small->sheet;
        small->sheet = nullptr;
        T::DrawBig(big, small);
        small->sheet = sheet;
        sheet = big->sheet;
        big->sheet = nullptr;
        T::DrawBig(big, small);
        big->sheet = sheet;
    });
    EXPECT_EQ(out, twin::lines(T::line, 5));
    T::Free(&big);
    T::Free(&small);
    S::Free(&target);
}
