// The cell font: glyph placement and the pen, the keyed, opaque and additive glyphs, numbers,
// lines and texts, the character map against slow references, magnified glyphs and reports.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "gfx/font.h"
#include "gfx/glyphs.h"
#include "glyph_reference.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using XY = std::pair<int32_t, int32_t>;

// A sheet whose pixels tell where they came from: (x, y) holds 0x00yyyxxx + 1, except for a
// sprinkling of black pixels so that the key shows.
uint32_t sheetPixel(int32_t x, int32_t y)
{
    if ((x * 7 + y * 13) % 5 == 0) return 0;
    return (uint32_t(y) << 12 | uint32_t(x)) + 1;
}

using support::newImage;

IMG *makeSheet(int32_t w, int32_t h)
{
    IMG *sheet = newImage(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) sheet->pixels[x + y * w] = sheetPixel(x, y);
    return sheet;
}

// A font of cw x ch cells over a fresh sheet, drawing on `target`.
FONT *makeFont(int32_t cw, int32_t ch, int32_t sw, int32_t sh, IMG *target)
{
    FONT *font = FONTNew();
    font->width = cw;
    font->height = ch;
    font->sheet = makeSheet(sw, sh);
    font->target = target;
    return font;
}

bool allPixels(const IMG *image, uint32_t value)
{
    for (int32_t i = 0; i < image->width * image->height; ++i)
        if (image->pixels[i] != value) return false;
    return true;
}

std::vector<uint32_t> pixelsOf(const IMG *image) { return reference::contents(image); }

using reference::corner;
using reference::showsGlyph;
using reference::showsText;
using reference::pixelByPixel;

BYTEMAP *makeMap(int32_t w, int32_t h, int32_t x, int32_t y, uint32_t seed)
{
    return reference::randomMap(w, h, x, y, seed);
}

void glyphByGlyph(FONT *font, const BYTEMAP *map) { reference::glyphByGlyph<FONTDrawGlyph>(font, map); }

}  // namespace

TEST(Font, NewAndFree)
{
    FONT *font = FONTNew();
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
    FONTFree(&font);
    EXPECT_EQ(font, nullptr);

    IMG *target = newImage(16, 16, 0x123456);
    font = makeFont(8, 8, 256, 80, target);
    FONTFree(&font);  // frees the sheet (the leak checker would tell), never the target
    EXPECT_EQ(font, nullptr);
    EXPECT_EQ(target->width, 16);
    EXPECT_TRUE(allPixels(target, 0x123456));
    IMGFree(&target);

    EXPECT_EQ(reported(FONTError, [&] { FONTFree(&font); }), "FONT Error.\n");
    EXPECT_EQ(reported(FONTError, [&] { FONTFree(nullptr); }), "FONT Error.\n");
}

TEST(Font, CopyEqualAndNoTextForm)
{
    IMG *target = newImage(16, 16);
    FONT *font = makeFont(8, 8, 64, 40, target);
    font->x = 3;
    font->code = 'k';
    FONT *copy = FONTCopy(font);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->sheet, font->sheet) << "the copy owns a sheet of its own";
    EXPECT_EQ(IMGEqual(copy->sheet, font->sheet), 1);
    EXPECT_EQ(copy->target, target);
    EXPECT_EQ(FONTEqual(font, copy), 1);
    copy->sheet->pixels[5] ^= 1;
    EXPECT_EQ(FONTEqual(font, copy), 0);
    copy->sheet->pixels[5] ^= 1;
    copy->y = 1;
    EXPECT_EQ(FONTEqual(font, copy), 0);
    FONTFree(&copy);
    EXPECT_EQ(target->width, 16);

    FONT *bare = FONTNew(), *twin = FONTCopy(bare);
    EXPECT_EQ(twin->sheet, nullptr);
    EXPECT_EQ(FONTEqual(bare, twin), 1);
    EXPECT_EQ(FONTEqual(bare, font), 0);
    FONTFree(&twin);

    EXPECT_EQ(reported(FONTError, [&] { EXPECT_EQ(FONTToASCII(font), nullptr); }), "");
    EXPECT_EQ(reported(FONTError, [&] { EXPECT_EQ(FONTFromASCII("FONT{}"), nullptr); }), "");
    const std::string out = reported(FONTError, [&] {
        EXPECT_EQ(FONTToASCII(nullptr), nullptr);
        EXPECT_EQ(FONTFromASCII(nullptr), nullptr);
        EXPECT_EQ(FONTEqual(font, nullptr), 0);
        EXPECT_EQ(FONTCopy(nullptr), nullptr);
    });
    EXPECT_EQ(out, "FONT Error.\nFONT Error.\nFONT Error.\nFONT Error.\n");
    FONTFree(&bare);
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, GlyphCellsFollowCodeOrder)
{
    IMG *target = newImage(64, 16);
    FONT *font = makeFont(8, 8, 256, 80, target);

    // Code 65 comes from sheet (8, 16) and code 255 from (248, 56).
    font->code = 65;
    FONTDrawGlyphOpaque(font);
    EXPECT_EQ(IMGGetPixel(target, 1, 0), sheetPixel(9, 16));
    EXPECT_TRUE(showsGlyph(font, 0, 0, 65));
    EXPECT_EQ(font->x, 8);
    font->code = 255;
    FONTDrawGlyphOpaque(font);
    EXPECT_EQ(IMGGetPixel(target, 9, 0), sheetPixel(249, 56));
    EXPECT_EQ(IMGGetPixel(target, 15, 7), sheetPixel(255, 63));
    EXPECT_EQ(font->x, 16);

    // Codes 256..319 fill the last two cell rows; 320 and beyond lie below the sheet, and
    // negative codes before it: nothing drawn, the pen still moves.
    font->code = 300;
    FONTDrawGlyphOpaque(font);
    EXPECT_TRUE(showsGlyph(font, 16, 0, 300));
    EXPECT_EQ(IMGGetPixel(target, 16, 0), sheetPixel(96, 72));
    IMG *before = IMGCopy(target);
    for (int32_t code : {320, 1000, -1, -128, INT32_MAX, INT32_MIN}) {
        font->code = code;
        FONTDrawGlyphOpaque(font);
    }
    EXPECT_EQ(IMGEqual(before, target), 1);
    EXPECT_EQ(font->x, 24 + 6 * 8);
    IMGFree(&before);

    // A sheet narrower than a whole number of cells: a cell runs off its right edge and is cut.
    IMGFree(&font->sheet);
    font->sheet = makeSheet(20, 16);
    font->x = 0;
    font->code = 2;  // column 16, only 4 pixels on the sheet
    IMGClear(target);
    FONTDrawGlyphOpaque(font);
    EXPECT_EQ(IMGGetPixel(target, 3, 5), sheetPixel(19, 5));
    EXPECT_EQ(IMGGetPixel(target, 4, 5), 0u);
    font->code = 3;  // 24 = one row down at column 4
    FONTDrawGlyphOpaque(font);
    EXPECT_TRUE(showsGlyph(font, 8, 0, 3));
    EXPECT_EQ(IMGGetPixel(target, 8, 0), sheetPixel(4, 8));
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, KeyedOpaqueAndAdditiveGlyphs)
{
    const uint32_t ground = 0x00102030;
    IMG *target = newImage(24, 8, ground);
    FONT *font = makeFont(8, 8, 256, 80, target);
    int32_t sx = 0, sy = 0;
    corner(font, 'A', sx, sy);

    font->code = 'A';
    FONTDrawGlyph(font);
    FONTDrawGlyphOpaque(font);
    FONTDrawGlyphAdd(font);
    EXPECT_EQ(font->x, 24);
    for (int32_t j = 0; j < 8; ++j)
        for (int32_t i = 0; i < 8; ++i) {
            const uint32_t s = sheetPixel(sx + i, sy + j);
            EXPECT_EQ(IMGGetPixel(target, i, j), s ? s : ground) << i << "," << j;
            EXPECT_EQ(IMGGetPixel(target, 8 + i, j), s) << i << "," << j;
            EXPECT_EQ(IMGGetPixel(target, 16 + i, j), ground + s) << i << "," << j;
        }
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, GlyphsAreClippedAndThePenAlwaysMoves)
{
    IMG *target = newImage(20, 20);
    FONT *font = makeFont(8, 8, 256, 80, target);
    int32_t sx = 0, sy = 0;
    corner(font, 'Q', sx, sy);

    font->code = 'Q';
    font->x = -3;
    font->y = 15;
    FONTDrawGlyphOpaque(font);  // columns 3..7 of rows 0..4 land at (0..4, 15..19)
    EXPECT_EQ(font->x, 5);
    EXPECT_EQ(font->y, 15);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const bool in = x < 5 && y >= 15;
            EXPECT_EQ(IMGGetPixel(target, x, y), in ? sheetPixel(sx + 3 + x, sy + y - 15) : 0u)
                << x << "," << y;
        }

    IMG *before = IMGCopy(target);
    for (int32_t x : {-8, 20, INT32_MIN, INT32_MAX - 3}) {
        font->x = x;
        font->y = 0;
        FONTDrawGlyphOpaque(font);
        EXPECT_EQ(font->x, int32_t(uint32_t(x) + 8u)) << "wraps instead of overflowing";
    }
    font->x = 0;
    font->y = -8;
    FONTDrawGlyph(font);
    EXPECT_EQ(IMGEqual(before, target), 1);
    IMGFree(&before);

    // No target: the copy reports, the pen still moves. No sheet: the font reports and the pen
    // stays.
    font->target = nullptr;
    font->x = 0;
    EXPECT_EQ(reported(IMGError, [&] { FONTDrawGlyph(font); }), "IMG error\n");
    EXPECT_EQ(font->x, 8);
    font->target = target;
    IMG *sheet = font->sheet;
    font->sheet = nullptr;
    EXPECT_EQ(reported(FONTError, [&] {
                  FONTDrawGlyph(font);
                  FONTDrawGlyphOpaque(font);
                  FONTDrawGlyphAdd(font);
              }),
              "FONT Error.\nFONT Error.\nFONT Error.\n");
    EXPECT_EQ(font->x, 8);
    // A sheet without width has no cells to find (the cell position divides by it).
    IMG *empty = newImage(0, 0);
    font->sheet = empty;
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawGlyph(font); }), "FONT Error.\n");
    EXPECT_EQ(font->x, 8);
    font->sheet = sheet;
    IMGFree(&empty);
    EXPECT_EQ(reported(FONTError, [&] {
                  FONTDrawGlyph(nullptr);
                  FONTDrawGlyphOpaque(nullptr);
                  FONTDrawGlyphAdd(nullptr);
              }),
              "FONT Error.\nFONT Error.\nFONT Error.\n");
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, HexDigits)
{
    IMG *target = newImage(64, 8);
    FONT *font = makeFont(8, 8, 256, 80, target);

    const struct {
        uint32_t value;
        const char *digits;
    } bytes[] = {{0x1F7, "F7"}, {160, "A0"}, {159, "9F"}, {0, "00"}, {255, "FF"}, {0x9A, "9A"}};
    for (const auto &c : bytes) {
        IMGClear(target);
        font->x = 0;
        FONTDrawHex8(font, c.value);
        EXPECT_TRUE(showsText(font, 0, 0, c.digits)) << c.value;
        EXPECT_EQ(font->x, 16);
    }

    IMGClear(target);
    font->x = 0;
    FONTDrawHex32(font, 0x0000ABCD);
    EXPECT_TRUE(showsText(font, 0, 0, "0000ABCD"));
    EXPECT_EQ(font->x, 64);
    IMGClear(target);
    font->x = 0;
    FONTDrawHex32(font, 0xDEADBEEF);
    EXPECT_TRUE(showsText(font, 0, 0, "DEADBEEF"));
    IMGClear(target);
    font->x = 0;
    FONTDrawHex16(font, 0x12345678);
    EXPECT_TRUE(showsText(font, 0, 0, "5678"));
    EXPECT_EQ(font->x, 32);

    EXPECT_EQ(reported(FONTError, [&] { FONTDrawHex8(nullptr, 1); }), "FONT Error.\n");
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawHex16(nullptr, 1); }), "FONT Error.\n");
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawHex32(nullptr, 1); }), "FONT Error.\n");
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, LinesStopAtTheNewline)
{
    IMG *target = newImage(256, 16);
    FONT *font = makeFont(8, 8, 256, 80, target);

    // The tag at the top-right corner ends exactly at the right edge.
    font->x = 224;
    FONTDrawLine(font, "KOVA\n");
    EXPECT_TRUE(showsText(font, 224, 0, "KOVA"));
    EXPECT_EQ(font->x, 256);
    EXPECT_EQ(font->y, 0);
    for (int32_t x = 0; x < 224; ++x) EXPECT_EQ(IMGGetPixel(target, x, 3), 0u);

    // Bytes above 127 are codes 128..255; nothing after the newline is drawn.
    IMGClear(target);
    font->x = 0;
    FONTDrawLine(font, "\xE9z\nrest");
    EXPECT_TRUE(showsGlyph(font, 0, 0, 233));
    EXPECT_TRUE(showsGlyph(font, 8, 0, 'z'));
    EXPECT_EQ(font->x, 16);
    font->x = 40;
    FONTDrawLine(font, "");
    FONTDrawLine(font, "\n");
    EXPECT_EQ(font->x, 40);

    EXPECT_EQ(reported(FONTError, [&] { FONTDrawLine(font, nullptr); }), "FONT Error.\n");
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawLine(nullptr, "ab"); }), "FONT Error.\n");
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, TextsAreOpaqueAndBreakLines)
{
    IMG *target = newImage(64, 32, 0x00FFFFFF);
    FONT *font = makeFont(8, 8, 256, 80, target);

    font->x = 8;
    font->y = 4;
    FONTDrawText(font, "ab\ncd");
    EXPECT_TRUE(showsText(font, 8, 4, "ab"));
    EXPECT_TRUE(showsText(font, 8, 12, "cd"));
    EXPECT_EQ(font->x, 24);
    EXPECT_EQ(font->y, 12);
    EXPECT_EQ(IMGGetPixel(target, 7, 4), 0x00FFFFFFu);

    // A byte above 127 is a negative code: no cell, nothing drawn, one cell of pen movement.
    IMG *before = IMGCopy(target);
    font->x = 40;
    font->y = 20;
    FONTDrawText(font, "\xE9");
    EXPECT_EQ(IMGEqual(before, target), 1);
    EXPECT_EQ(font->x, 48);
    IMGFree(&before);

    std::string out = reported(FONTError, [&] {
        FONTDrawText(nullptr, "a");
        FONTDrawText(font, nullptr);
        font->target = nullptr;
        FONTDrawText(font, "a");
        font->target = target;
        IMG *sheet = font->sheet;
        font->sheet = nullptr;
        FONTDrawText(font, "a");
        font->sheet = sheet;
    });
    EXPECT_EQ(out, "FONT Error.\nFONT Error.\nFONT Error.\nFONT Error.\n");
    EXPECT_EQ(font->x, 48);
    FONTFree(&font);
    IMGFree(&target);
}

TEST(Font, MapPlacement)
{
    IMG *target = newImage(256, 256);
    FONT *font = makeFont(8, 8, 256, 80, target);
    BYTEMAP *map = makeMap(32, 32, -10, 0, 1);
    for (int32_t i = 0; i < 32 * 32; ++i) map->data[i] = uint8_t(i % 7 + 65);

    // At x = -10, map column 1 is drawn at column -2: its first two columns are cut off.
    FONTDrawMap(font, map);
    int32_t sx = 0, sy = 0;
    corner(font, map->data[1], sx, sy);
    EXPECT_EQ(IMGGetPixel(target, 0, 0), sheetPixel(sx + 2, sy));
    EXPECT_EQ(IMGGetPixel(target, 5, 3), sheetPixel(sx + 7, sy + 3));
    EXPECT_TRUE(showsGlyph(font, 6, 0, map->data[2]));
    EXPECT_EQ(font->x, -2);
    EXPECT_EQ(font->y, 256);
    EXPECT_EQ(font->code, map->data[31 * 32 + 31]);

    // Wholly to the right, left, above or below: nothing drawn, nothing reported, pen kept.
    IMGClear(target);
    font->x = 5;
    font->y = 6;
    for (auto [x, y] : std::initializer_list<XY>{{256, 0}, {-256, 0}, {0, 256}, {0, -256}, {INT32_MIN, 0}, {0, INT32_MAX}}) {
        map->x = x;
        map->y = y;
        EXPECT_EQ(reported(FONTError, [&] { FONTDrawMap(font, map); }), "");
    }
    EXPECT_TRUE(allPixels(target, 0));
    EXPECT_EQ(font->x, 5);
    EXPECT_EQ(font->y, 6);

    // One pixel in at the left edge: only the last column of map column 31.
    map->x = -255;
    map->y = 0;
    FONTDrawMap(font, map);
    EXPECT_EQ(font->x, -7);
    EXPECT_EQ(font->y, 256);
    corner(font, map->data[31], sx, sy);
    EXPECT_EQ(IMGGetPixel(target, 0, 1), sheetPixel(sx + 7, sy + 1));
    EXPECT_EQ(IMGGetPixel(target, 1, 1), 0u);

    std::string out = reported(FONTError, [&] {
        FONTDrawMap(nullptr, map);
        FONTDrawMap(font, nullptr);
        font->target = nullptr;
        FONTDrawMap(font, map);
        font->target = target;
        IMG *sheet = font->sheet;
        font->sheet = nullptr;
        FONTDrawMap(font, map);
        font->sheet = sheet;
    });
    EXPECT_EQ(out, "FONT Error.\nFONT Error.\nFONT Error.\nFONT Error.\n");
    FONTFree(&font);
    BYTEMAPFree(&map);
    IMGFree(&target);
}

// The fast map walk against both slow references, on awkward placements, cell sizes and
// sheets: pixels, pen and code must all agree.
TEST(Font, MapMatchesGlyphByGlyphAndPixelByPixel)
{
    const struct {
        int32_t cw, ch, sw, sh, tw, th;
    } setups[] = {
        {8, 8, 256, 80, 256, 256},  // the demo's text font
        {8, 8, 64, 40, 100, 70},    // codes far beyond the sheet
        {8, 8, 60, 36, 37, 29},     // sheet not a whole number of cells wide or high
        {6, 6, 256, 80, 50, 41},    // a new font's cell size
        {5, 7, 33, 50, 64, 64},
        {32, 32, 1024, 128, 256, 256},
        {1, 1, 16, 16, 10, 10},
        {9, 3, 8, 100, 40, 40},     // cells wider than the sheet
    };
    const XY places[] = {
        {0, 0},    {-10, 0},  {0, -10},  {-1, -1},  {-7, -9}, {-8, -8}, {3, 5},   {-300, 4},
        {30, -60}, {-255, -3}, {96, 64}, {-130, -77}, {7, 1},  {1000, 0}, {0, -5000},
    };
    int checked = 0;
    for (const auto &s : setups) {
        IMG *fast = newImage(s.tw, s.th, 0x00ABCDEF);
        IMG *slow = newImage(s.tw, s.th, 0x00ABCDEF);
        IMG *plain = newImage(s.tw, s.th, 0x00ABCDEF);
        FONT *font = makeFont(s.cw, s.ch, s.sw, s.sh, fast);
        // Glyph columns and rows that end exactly at the right and bottom edges, one pixel
        // short of them, and one pixel past them.
        std::vector<XY> all(std::begin(places), std::end(places));
        const int32_t ex = s.tw % s.cw, ey = s.th % s.ch;
        for (int32_t d : {-1, 0, 1}) all.push_back({ex + d, ey + d});
        all.push_back({ex - s.cw + 1, ey - s.ch + 1});
        for (auto [x, y] : all) {
            for (auto [mw, mh] : std::initializer_list<XY>{{32, 32}, {13, 7}, {1, 1}, {0, 5}}) {
                BYTEMAP *map = makeMap(mw, mh, x, y, uint32_t(checked));
                font->target = fast;
                font->x = 11;
                font->y = 12;
                font->code = 13;
                FONTDrawMap(font, map);
                const int32_t fx = font->x, fy = font->y, fc = font->code;

                font->target = slow;
                font->x = 11;
                font->y = 12;
                font->code = 13;
                glyphByGlyph(font, map);
                pixelByPixel(font, map, plain);

                EXPECT_EQ(pixelsOf(fast), pixelsOf(slow))
                    << "cells " << s.cw << "x" << s.ch << " map " << mw << "x" << mh << " at " << x << "," << y;
                EXPECT_EQ(pixelsOf(fast), pixelsOf(plain));
                EXPECT_EQ(fx, font->x);
                EXPECT_EQ(fy, font->y);
                EXPECT_EQ(fc, font->code);
                BYTEMAPFree(&map);
                ++checked;
            }
        }
        FONTFree(&font);
        IMGFree(&fast);
        IMGFree(&slow);
        IMGFree(&plain);
    }
    EXPECT_EQ(checked, 8 * 19 * 4);
}

// The block of inner 8 x 8 cells is drawn in 32-byte vectors where the processor has AVX2 and
// in 16-byte vectors elsewhere; FONTDrawMap takes only one of the two on a given machine, so
// both are held here to the keyed rule, pixel by pixel, on a target with rows longer than the
// block and a map whose rows are longer than the block's.
TEST(Font, InnerBlockIsTheSameInEveryVectorWidth)
{
    IMG *sheet = makeSheet(256, 80);
    int64_t offset[256];
    for (int32_t code = 0; code < 256; ++code) offset[code] = code / 32 * 8 * 256 + code % 32 * 8;
    BYTEMAP *map = makeMap(7, 5, 0, 0, 5);
    const auto keyedByHand = [&](const IMG *before) {
        std::vector<uint32_t> want = pixelsOf(before);
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t k = 0; k < 6; ++k)
                for (int32_t j = 0; j < 8; ++j)
                    for (int32_t i = 0; i < 8; ++i) {
                        const uint32_t s = sheet->pixels[offset[map->data[r * 7 + k]] + j * 256 + i];
                        if (s) want[size_t((3 + 8 * r + j) * 61 + 2 + 8 * k + i)] = s;
                    }
        return want;
    };
    IMG *narrow = newImage(61, 40, 0x00123456), *wide = newImage(61, 40, 0x00123456);
    const std::vector<uint32_t> want = keyedByHand(narrow);
    glyphs::drawBlock8x8<glyphs::Pixels4>(sheet->pixels, 256, narrow->pixels + 3 * 61 + 2, 61, offset,
                                          map->data, 7, 6, 4);
    glyphs::drawBlock8x8<glyphs::Pixels8>(sheet->pixels, 256, wide->pixels + 3 * 61 + 2, 61, offset,
                                          map->data, 7, 6, 4);
    EXPECT_EQ(pixelsOf(narrow), want);
    EXPECT_EQ(pixelsOf(wide), want);
    IMGFree(&narrow);
    IMGFree(&wide);
    IMGFree(&sheet);
    BYTEMAPFree(&map);
}

TEST(Font, MapOverItsOwnSheetAndBadCellSizes)
{
    // The sheet as its own target: glyph copies read what earlier ones wrote, in order.
    FONT *font = makeFont(8, 8, 64, 64, nullptr);
    font->target = font->sheet;
    IMG *copy = IMGCopy(font->sheet);
    BYTEMAP *map = makeMap(5, 5, 3, -2, 7);
    FONTDrawMap(font, map);
    FONT *slow = makeFont(8, 8, 64, 64, nullptr);
    IMGFree(&slow->sheet);
    slow->sheet = copy;
    slow->target = copy;
    glyphByGlyph(slow, map);
    EXPECT_EQ(IMGEqual(font->sheet, copy), 1);
    FONTFree(&slow);

    // Cell sizes below 1 cannot be walked: reported, nothing changes.
    IMG *target = newImage(32, 32);
    font->target = target;
    map->x = -3;
    for (auto [w, h] : std::initializer_list<XY>{{0, 8}, {8, 0}, {-8, 8}, {8, -1}}) {
        font->width = w;
        font->height = h;
        font->x = 1;
        EXPECT_EQ(reported(FONTError, [&] { FONTDrawMap(font, map); }), "FONT Error.\n");
        EXPECT_EQ(font->x, 1);
    }
    EXPECT_TRUE(allPixels(target, 0));

    // A map without cells is missing too.
    font->width = font->height = 8;
    uint8_t *cells = map->data;
    map->data = nullptr;
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawMap(font, map); }), "FONT Error.\n");
    map->data = cells;
    FONTFree(&font);
    BYTEMAPFree(&map);
    IMGFree(&target);
}

TEST(Font, BigGlyphs)
{
    IMG *target = newImage(256, 128);
    FONT *small = makeFont(8, 8, 256, 80, nullptr);
    FONT *big = makeFont(8, 8, 64, 16, target);
    small->code = 'x';
    big->code = 9;  // sheet (8, 8)
    big->x = 3;
    big->y = 2;

    FONTDrawBig(big, small);
    EXPECT_EQ(big->x, 3 + 64);
    EXPECT_EQ(big->y, 2);
    EXPECT_EQ(small->target, target);
    IMG *want = newImage(256, 128);
    FONT *probe = makeFont(8, 8, 256, 80, want);
    probe->code = 'x';
    for (int32_t i = 0; i < 8; ++i)
        for (int32_t j = 0; j < 8; ++j) {
            if (!sheetPixel(8 + j, 8 + i)) continue;
            probe->x = 3 + 8 * j;
            probe->y = 2 + 8 * i;
            FONTDrawGlyph(probe);
        }
    EXPECT_EQ(pixelsOf(target), pixelsOf(want));
    EXPECT_EQ(small->code, 'x');
    FONTFree(&probe);
    IMGFree(&want);

    // The big cell is read straight from the sheet: one not wholly inside it is refused.
    IMG *before = IMGCopy(target);
    for (int32_t code : {15, 16, -1, 100, INT32_MAX}) {  // 15: the last whole cell; 16: below
        big->code = code;
        big->x = 0;
        small->x = small->y = 77;
        const std::string out = reported(FONTError, [&] { FONTDrawBig(big, small); });
        if (code == 15) {
            EXPECT_EQ(out, "");
            EXPECT_EQ(big->x, 64);
            continue;
        }
        EXPECT_EQ(out, "FONT Error.\n") << code;
        EXPECT_EQ(big->x, 0);
        EXPECT_EQ(small->x, 77);
    }
    IMGCopyTo(before, target);
    big->code = 7;  // sheet (56, 0): a cell running 2 pixels past a 58-wide sheet
    IMGFree(&big->sheet);
    big->sheet = makeSheet(58, 16);
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawBig(big, small); }), "FONT Error.\n");
    EXPECT_EQ(IMGEqual(before, target), 1);
    // A cell without width draws nothing and takes no time, however tall it is.
    big->width = 0;
    big->height = INT32_MAX;
    FONTDrawBig(big, small);
    EXPECT_EQ(IMGEqual(before, target), 1);
    big->width = 8;
    big->height = 8;
    IMGFree(&before);

    std::string out = reported(FONTError, [&] {
        FONTDrawBig(nullptr, small);
        FONTDrawBig(big, nullptr);
        big->target = nullptr;
        FONTDrawBig(big, small);
        big->target = target;
        IMG *sheet = small->sheet;
        small->sheet = nullptr;
        FONTDrawBig(big, small);
        small->sheet = sheet;
    });
    EXPECT_EQ(out, "FONT Error.\nFONT Error.\nFONT Error.\nFONT Error.\n");
    FONTFree(&big);
    FONTFree(&small);
    IMGFree(&target);
}
