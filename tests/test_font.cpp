// The cell font's own operations, beside what it shares with the bitmap font (test_glyphs.cpp):
// the additive glyph, and the character map's inner block in each vector width.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/font.h"
#include "gfx/glyphs.h"
#include "glyph_reference.h"
#include "report_capture.h"
#include "support/twins.h"

namespace {

using Face = twin::Font<FONT>;

}  // namespace

TEST(Font, AdditiveGlyphsAddWholePixels)
{
    const uint32_t ground = 0x00102030;
    IMG *target = support::newImage(16, 8, ground);
    FONT *font = twin::makeFont<FONT>(8, 8, 256, 80, target);
    int32_t sx = 0, sy = 0;
    reference::corner(font, 'A', sx, sy);
    font->code = 'A';
    font->x = 8;
    FONTDrawGlyphAdd(font);
    EXPECT_EQ(font->x, 16);
    for (int32_t j = 0; j < 8; ++j)
        for (int32_t i = 0; i < 8; ++i) {
            EXPECT_EQ(IMGGetPixel(target, i, j), ground);
            EXPECT_EQ(IMGGetPixel(target, 8 + i, j), ground + Face::sheetCell(sx + i, sy + j)) << i << "," << j;
        }
    IMG *sheet = font->sheet;
    font->sheet = nullptr;
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawGlyphAdd(font); }), "FONT Error.\n");
    EXPECT_EQ(font->x, 16);
    font->sheet = sheet;
    EXPECT_EQ(reported(FONTError, [&] { FONTDrawGlyphAdd(nullptr); }), "FONT Error.\n");
    FONTFree(&font);
    IMGFree(&target);
}

// The block of inner 8 x 8 cells is drawn in 32-byte vectors where the processor has AVX2 and
// in 16-byte vectors elsewhere; FONTDrawMap takes only one of the two on a given machine, so
// both are held here to the keyed rule, pixel by pixel, on a target with rows longer than the
// block and a map whose rows are longer than the block's.
TEST(Font, InnerBlockIsTheSameInEveryVectorWidth)
{
    IMG *sheet = twin::makeSheet<FONT>(256, 80);
    int64_t offset[256];
    for (int32_t code = 0; code < 256; ++code) offset[code] = code / 32 * 8 * 256 + code % 32 * 8;
    BYTEMAP *map = reference::randomMap(7, 5, 0, 0, 5);
    const auto keyedByHand = [&](const IMG *before) {
        std::vector<uint32_t> want = reference::contents(before);
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t k = 0; k < 6; ++k)
                for (int32_t j = 0; j < 8; ++j)
                    for (int32_t i = 0; i < 8; ++i) {
                        const uint32_t s = sheet->pixels[offset[map->data[r * 7 + k]] + j * 256 + i];
                        if (s) want[size_t((3 + 8 * r + j) * 61 + 2 + 8 * k + i)] = s;
                    }
        return want;
    };
    IMG *narrow = support::newImage(61, 40, 0x00123456), *wide = support::newImage(61, 40, 0x00123456);
    const std::vector<uint32_t> want = keyedByHand(narrow);
    glyphs::drawBlock8x8<glyphs::Pixels4>(sheet->pixels, 256, narrow->pixels + 3 * 61 + 2, 61, offset,
                                          map->data, 7, 6, 4);
    glyphs::drawBlock8x8<glyphs::Pixels8>(sheet->pixels, 256, wide->pixels + 3 * 61 + 2, 61, offset,
                                          map->data, 7, 6, 4);
    EXPECT_EQ(reference::contents(narrow), want);
    EXPECT_EQ(reference::contents(wide), want);
    IMGFree(&narrow);
    IMGFree(&wide);
    IMGFree(&sheet);
    BYTEMAPFree(&map);
}
