// The bitmap font: the big font's glyph placement, keyed and opaque glyphs, numbers, lines and
// texts, the character map against slow references (also drawn into the map it reads), the
// magnified glyph and the reports.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gfx/bfont.h"
#include "glyph_reference.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using XY = std::pair<int32_t, int32_t>;

// Sheet cells that tell where they came from (1..255), with zeros sprinkled in.
uint8_t sheetCell(int32_t x, int32_t y)
{
    if ((x * 5 + y * 3) % 4 == 0) return 0;
    return uint8_t((x * 31 + y * 17) % 255 + 1);
}

using support::newMap;

BYTEMAP *makeSheet(int32_t w, int32_t h)
{
    BYTEMAP *sheet = newMap(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) sheet->data[y * w + x] = sheetCell(x, y);
    return sheet;
}

BFONT *makeFont(int32_t cw, int32_t ch, int32_t sw, int32_t sh, BYTEMAP *target)
{
    BFONT *font = BFONTNew();
    font->width = cw;
    font->height = ch;
    font->sheet = makeSheet(sw, sh);
    font->target = target;
    return font;
}

using reference::corner;
using reference::showsGlyph;
using reference::showsText;
using reference::pixelByPixel;

std::vector<uint8_t> cellsOf(const BYTEMAP *map) { return reference::contents(map); }

void glyphByGlyph(BFONT *font, const BYTEMAP *map) { reference::glyphByGlyph<BFONTDrawGlyph>(font, map); }

}  // namespace

TEST(BFont, NewAndFree)
{
    BFONT *font = BFONTNew();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->width, 6);
    EXPECT_EQ(font->height, 6);
    EXPECT_EQ(font->x, 0);
    EXPECT_EQ(font->y, 0);
    EXPECT_EQ(font->code, 0);
    EXPECT_EQ(font->sheet, nullptr);
    EXPECT_EQ(font->target, nullptr);
    BFONTFree(&font);
    EXPECT_EQ(font, nullptr);

    BYTEMAP *target = newMap(8, 8, 9);
    font = makeFont(32, 32, 1024, 128, target);
    BFONTFree(&font);
    EXPECT_EQ(target->width, 8);
    EXPECT_EQ(target->data[63], 9);
    BYTEMAPFree(&target);

    EXPECT_EQ(reported(BFONTError, [&] { BFONTFree(&font); }), "BFONT Error.\n");
    EXPECT_EQ(reported(BFONTError, [&] { BFONTFree(nullptr); }), "BFONT Error.\n");
}

TEST(BFont, CopyEqualAndNoTextForm)
{
    BYTEMAP *target = newMap(8, 8);
    BFONT *font = makeFont(32, 32, 1024, 128, target);
    font->code = 'Z';
    BFONT *copy = BFONTCopy(font);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->sheet, font->sheet);
    EXPECT_EQ(copy->target, target);
    EXPECT_EQ(BFONTEqual(font, copy), 1);
    copy->sheet->data[1000] ^= 1;
    EXPECT_EQ(BFONTEqual(font, copy), 0);
    BFONTFree(&copy);

    EXPECT_EQ(BFONTToASCII(font), nullptr);
    const std::string out = reported(BFONTError, [&] {
        EXPECT_EQ(BFONTToASCII(nullptr), nullptr);
        EXPECT_EQ(BFONTFromASCII(nullptr), nullptr);
        EXPECT_EQ(BFONTEqual(nullptr, font), 0);
        EXPECT_EQ(BFONTCopy(nullptr), nullptr);
    });
    EXPECT_EQ(out, "BFONT Error.\nBFONT Error.\nBFONT Error.\nBFONT Error.\n");
    BFONTFree(&font);
    BYTEMAPFree(&target);
}

TEST(BFont, BigFontGlyphs)
{
    BYTEMAP *target = newMap(256, 32, 7);
    BFONT *font = makeFont(32, 32, 1024, 128, target);

    // Code 65 from sheet (32, 64), code 127 from (992, 96); 128 lies below the sheet.
    font->code = 65;
    BFONTDrawGlyphOpaque(font);
    EXPECT_EQ(BYTEMAPGetPixel(target, 1, 0), sheetCell(33, 64));
    EXPECT_TRUE(showsGlyph(font, 0, 0, 65));
    font->code = 127;
    BFONTDrawGlyphOpaque(font);
    EXPECT_EQ(BYTEMAPGetPixel(target, 63, 31), sheetCell(1023, 127));
    EXPECT_EQ(font->x, 64);
    BYTEMAP *before = BYTEMAPCopy(target);
    for (int32_t code : {128, 1000, -1, -128, INT32_MIN, INT32_MAX}) {
        font->code = code;
        BFONTDrawGlyph(font);
        BFONTDrawGlyphOpaque(font);
    }
    EXPECT_EQ(BYTEMAPEqual(before, target), 1);
    EXPECT_EQ(font->x, 64 + 12 * 32);
    BYTEMAPFree(&before);

    // Keyed over a filled target: where the glyph holds 0 the target keeps its value.
    font->x = 32;
    font->code = 'B';
    BFONTDrawGlyph(font);
    int32_t sx = 0, sy = 0;
    corner(font, 'B', sx, sy);
    for (int32_t j = 0; j < 32; ++j)
        for (int32_t i = 0; i < 32; ++i) {
            const uint8_t s = sheetCell(sx + i, sy + j);
            EXPECT_EQ(BYTEMAPGetPixel(target, 32 + i, j), s ? s : sheetCell(992 + i, 96 + j));
        }

    // Clipped at the edges; no target reports through the copy and still moves the pen; no
    // sheet reports here and leaves the pen.
    font->x = 250;
    font->y = -30;
    font->code = 'C';
    BFONTDrawGlyphOpaque(font);
    corner(font, 'C', sx, sy);
    EXPECT_EQ(BYTEMAPGetPixel(target, 255, 1), sheetCell(sx + 5, sy + 31));
    EXPECT_EQ(font->x, 282);
    font->target = nullptr;
    EXPECT_EQ(reported(BYTEMAPError, [&] { BFONTDrawGlyph(font); }), "BYTEMAP error\n");
    EXPECT_EQ(font->x, 314);
    font->target = target;
    BYTEMAP *sheet = font->sheet;
    font->sheet = nullptr;
    EXPECT_EQ(reported(BFONTError, [&] { BFONTDrawGlyph(font); BFONTDrawGlyphOpaque(font); }),
              "BFONT Error.\nBFONT Error.\n");
    EXPECT_EQ(font->x, 314);
    font->sheet = sheet;
    EXPECT_EQ(reported(BFONTError, [&] { BFONTDrawGlyph(nullptr); BFONTDrawGlyphOpaque(nullptr); }),
              "BFONT Error.\nBFONT Error.\n");
    BFONTFree(&font);
    BYTEMAPFree(&target);
}

TEST(BFont, NumbersLinesAndTexts)
{
    BYTEMAP *target = newMap(64, 24);
    BFONT *font = makeFont(8, 8, 256, 80, target);

    for (auto [value, digits] : std::initializer_list<std::pair<uint32_t, const char *>>{
             {0x1F7, "F7"}, {160, "A0"}, {159, "9F"}}) {
        BYTEMAPClear(target);
        font->x = 0;
        BFONTDrawHex8(font, value);
        EXPECT_TRUE(showsText(font, 0, 0, digits)) << value;
        EXPECT_EQ(font->x, 16);
    }
    BYTEMAPClear(target);
    font->x = 0;
    BFONTDrawHex32(font, 43981);
    EXPECT_TRUE(showsText(font, 0, 0, "0000ABCD"));
    EXPECT_EQ(font->x, 64);
    BYTEMAPClear(target);
    font->x = 0;
    BFONTDrawHex16(font, 0xFFFF1234);
    EXPECT_TRUE(showsText(font, 0, 0, "1234"));

    // A line stops at the newline without moving the pen for it; 0xE9 is code 233.
    BYTEMAPClear(target);
    font->x = 0;
    BFONTDrawLine(font, "\xE9q\nzz");
    EXPECT_TRUE(showsGlyph(font, 0, 0, 233));
    EXPECT_TRUE(showsGlyph(font, 8, 0, 'q'));
    EXPECT_EQ(font->x, 16);
    EXPECT_EQ(BYTEMAPGetPixel(target, 20, 3), 0);

    // A text is opaque and returns to its first column one cell lower; 0xE9 draws nothing.
    BYTEMAPClear(target);
    for (int32_t i = 0; i < 64 * 24; ++i) target->data[i] = 200;
    font->x = 4;
    font->y = 2;
    BFONTDrawText(font, "ab\ncd\xE9");
    EXPECT_TRUE(showsText(font, 4, 2, "ab"));
    EXPECT_TRUE(showsText(font, 4, 10, "cd"));
    EXPECT_EQ(BYTEMAPGetPixel(target, 20, 10), 200);
    EXPECT_EQ(font->x, 28);
    EXPECT_EQ(font->y, 10);

    std::string out = reported(BFONTError, [&] {
        BFONTDrawHex8(nullptr, 1);
        BFONTDrawHex16(nullptr, 1);
        BFONTDrawHex32(nullptr, 1);
        BFONTDrawLine(nullptr, "a");
        BFONTDrawLine(font, nullptr);
        BFONTDrawText(font, nullptr);
        font->target = nullptr;
        BFONTDrawText(font, "a");
        font->target = target;
    });
    std::string seven;
    for (int i = 0; i < 7; ++i) seven += "BFONT Error.\n";
    EXPECT_EQ(out, seven);
    EXPECT_EQ(font->x, 28);
    BFONTFree(&font);
    BYTEMAPFree(&target);
}

TEST(BFont, MapPlacementAndReferences)
{
    BYTEMAP *target = newMap(256, 256);
    BFONT *font = makeFont(8, 8, 256, 80, target);
    BYTEMAP *map = newMap(32, 32);
    for (int32_t i = 0; i < 32 * 32; ++i) map->data[i] = uint8_t(i % 5 + 48);
    map->x = -10;

    // Map column 1 lands at column -2; a map wholly to the right draws and reports nothing.
    BFONTDrawMap(font, map);
    int32_t sx = 0, sy = 0;
    corner(font, map->data[1], sx, sy);
    EXPECT_EQ(BYTEMAPGetPixel(target, 0, 0), sheetCell(sx + 2, sy));
    EXPECT_EQ(font->x, -2);
    EXPECT_EQ(font->y, 256);
    BYTEMAP *before = BYTEMAPCopy(target);
    map->x = 256;
    EXPECT_EQ(reported(BFONTError, [&] { BFONTDrawMap(font, map); }), "");
    EXPECT_EQ(BYTEMAPEqual(before, target), 1);
    BYTEMAPFree(&before);

    const XY places[] = {{0, 0}, {-10, 0}, {-1, -1}, {-8, -15}, {5, 3}, {-200, 100}, {250, -250}};
    const struct {
        int32_t cw, ch, sw, sh;
    } setups[] = {{8, 8, 256, 80}, {8, 8, 50, 30}, {32, 32, 1024, 128}, {3, 5, 16, 16}};
    int n = 0;
    for (const auto &s : setups) {
        BYTEMAP *fast = newMap(77, 61, 3), *slow = newMap(77, 61, 3), *plain = newMap(77, 61, 3);
        BFONT *f = makeFont(s.cw, s.ch, s.sw, s.sh, fast);
        std::vector<XY> all(std::begin(places), std::end(places));
        const int32_t ex = 77 % s.cw, ey = 61 % s.ch;  // glyphs ending at, short of and past the edges
        for (int32_t d : {-1, 0, 1}) all.push_back({ex + d, ey + d});
        all.push_back({5, 3});  // last, with a map of 8 x 6 cells: wholly on the target
        for (size_t i = 0; i < all.size(); ++i) {
            const auto [x, y] = all[i];
            const bool inside = i + 1 == all.size();
            BYTEMAP *m = reference::randomMap(inside ? 8 : 40, inside ? 6 : 20, x, y, uint32_t(++n));
            f->target = fast;
            BFONTDrawMap(f, m);
            const int32_t fx = f->x, fy = f->y, fc = f->code;
            f->target = slow;
            glyphByGlyph(f, m);
            pixelByPixel(f, m, plain);
            EXPECT_EQ(cellsOf(fast), cellsOf(slow)) << s.cw << "x" << s.ch << " at " << x << "," << y;
            EXPECT_EQ(cellsOf(fast), cellsOf(plain));
            EXPECT_EQ(fx, f->x);
            EXPECT_EQ(fy, f->y);
            EXPECT_EQ(fc, f->code);
            BYTEMAPFree(&m);
        }
        BFONTFree(&f);
        BYTEMAPFree(&fast);
        BYTEMAPFree(&slow);
        BYTEMAPFree(&plain);
    }

    // A map drawn into itself: each cell is read after the glyphs before it were drawn.
    BYTEMAP *self = reference::randomMap(40, 40, 0, 0, 99), *twin = BYTEMAPCopy(self);
    self->x = twin->x = -3;
    self->y = twin->y = 2;
    font->target = self;
    BFONTDrawMap(font, self);
    font->target = twin;
    glyphByGlyph(font, twin);
    EXPECT_EQ(cellsOf(self), cellsOf(twin));
    BYTEMAPFree(&self);
    BYTEMAPFree(&twin);

    font->target = target;
    font->width = 0;
    map->x = -5;
    std::string out = reported(BFONTError, [&] {
        BFONTDrawMap(font, map);  // a cell size below 1
        font->width = 8;
        BFONTDrawMap(nullptr, map);
        BFONTDrawMap(font, nullptr);
        font->target = nullptr;
        BFONTDrawMap(font, map);
        font->target = target;
    });
    EXPECT_EQ(out, "BFONT Error.\nBFONT Error.\nBFONT Error.\nBFONT Error.\n");
    BFONTFree(&font);
    BYTEMAPFree(&map);
    BYTEMAPFree(&target);
}

TEST(BFont, BigGlyphs)
{
    // The scroller's letters magnified: a 32 x 32 glyph of 8 x 8 glyphs is 256 wide.
    BYTEMAP *target = newMap(300, 300);
    BFONT *big = makeFont(32, 32, 1024, 128, target);
    BFONT *small = makeFont(8, 8, 256, 80, nullptr);
    big->code = 'K';
    big->x = 10;
    big->y = 20;
    small->code = '#';
    BFONTDrawBig(big, small);
    EXPECT_EQ(big->x, 10 + 256);
    EXPECT_EQ(big->y, 20);
    EXPECT_EQ(small->target, target);

    BYTEMAP *want = newMap(300, 300);
    BFONT *probe = makeFont(8, 8, 256, 80, want);
    probe->code = '#';
    int32_t sx = 0, sy = 0;
    corner(big, 'K', sx, sy);
    for (int32_t i = 0; i < 32; ++i)
        for (int32_t j = 0; j < 32; ++j) {
            if (!sheetCell(sx + j, sy + i)) continue;
            probe->x = 10 + 8 * j;
            probe->y = 20 + 8 * i;
            BFONTDrawGlyph(probe);
        }
    EXPECT_EQ(cellsOf(target), cellsOf(want));
    BFONTFree(&probe);
    BYTEMAPFree(&want);

    // A big code beyond the sheet would be read outside it: refused, nothing changes.
    big->code = 128;
    big->x = 0;
    EXPECT_EQ(reported(BFONTError, [&] { BFONTDrawBig(big, small); }), "BFONT Error.\n");
    EXPECT_EQ(big->x, 0);
    std::string out = reported(BFONTError, [&] {
        BFONTDrawBig(nullptr, small);
        BFONTDrawBig(big, nullptr);
        BYTEMAP *sheet = big->sheet;
        big->sheet = nullptr;
        BFONTDrawBig(big, small);
        big->sheet = sheet;
    });
    EXPECT_EQ(out, "BFONT Error.\nBFONT Error.\nBFONT Error.\n");
    BFONTFree(&big);
    BFONTFree(&small);
    BYTEMAPFree(&target);
}
