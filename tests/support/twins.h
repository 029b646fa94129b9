// The twin records and the twin fonts through one face, so that a typed test states a rule the
// two share once and runs it on both (namespace twin):
//   twin::Surface<IMG>, twin::Surface<BYTEMAP>   the image and the byte map: cell type, reporter
//                                               and its line, every operation both have
//   twin::Font<FONT>, twin::Font<BFONT>          the cell font and the bitmap font over them
//   TYPED_TEST_SUITE(Suite, twin::Surfaces)      or twin::Fonts
// Values a test writes go through the record's own rule (a byte map keeps the low byte), so a
// case reads the same for both.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "gfx/bfont.h"
#include "gfx/bytemap.h"
#include "gfx/font.h"
#include "gfx/img.h"
#include "support/helpers.h"

namespace twin {

template <class Record>
struct Surface;

template <>
struct Surface<IMG> {
    using Cell = uint32_t;
    static constexpr const char *keyword = "IMG";
    static constexpr const char *line = "IMG error\n";
    static ErrorReporter &error() { return IMGError; }
    static Cell *cells(const IMG *image) { return image->pixels; }
    static Cell random(std::mt19937 &rng) { return rng() & 0x00FFFFFFu; }
    static Cell grey(uint32_t v) { return v << 16 | v << 8 | v; }  // a grey sample as read from a file
    // A keyed spaced copy places a source pixel only where its whole stepX x stepY spot fits.
    static constexpr bool wholeSpots = true;
    // The half blend: each channel halved where the source is not black.
    static Cell blendHalf(Cell d, Cell s) { return s ? ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F) : d; }

    static constexpr auto New = IMGNew;
    static constexpr auto Free = IMGFree;
    static constexpr auto Resize = IMGResize;
    static constexpr auto Clear = IMGClear;
    static constexpr auto Copy = IMGCopy;
    static constexpr auto CopyTo = IMGCopyTo;
    static constexpr auto Equal = IMGEqual;
    static constexpr auto GetPixel = IMGGetPixel;
    static void PutPixel(IMG *i, int32_t x, int32_t y, uint32_t v) { IMGPutPixel(i, x, y, v); }
    static constexpr auto ToASCII = IMGToASCII;
    static constexpr auto FromASCII = IMGFromASCII;
    static IMG *FromPNM(const void *data, size_t size = SIZE_MAX) { return IMGFromPNM(data, size); }
    static constexpr auto LoadPNM = IMGLoadPNM;
    static constexpr auto Save = IMGSavePPM;
    static constexpr auto BlitKeyed = IMGBlitKeyed;
    static constexpr auto Blit = IMGBlit;
    static constexpr auto BlitSpaced = IMGBlitSpaced;
    static constexpr auto BlendHalf = IMGBlendHalf;
    static constexpr auto BlitRowWrap = IMGBlitRowWrap;
    static constexpr auto OrRowWrap = IMGOrRowWrap;
    static constexpr auto BlitColumnWrap = IMGBlitColumnWrap;
    static constexpr auto And = IMGAnd;
    static constexpr auto Scale = IMGScale;
    static constexpr auto Rotate = IMGRotate;
    static void FillBox(IMG *i, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t v) { IMGFillBox(i, x, y, w, h, v); }
    static void Box(IMG *i, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t v) { IMGBox(i, x, y, w, h, v); }
    static void Circle(IMG *i, int32_t x, int32_t y, int32_t r, uint32_t v) { IMGCircle(i, x, y, r, v); }
    static constexpr auto RunTable = IMGRunTable;
    static constexpr auto LinePoints = IMGLinePoints;
};

template <>
struct Surface<BYTEMAP> {
    using Cell = uint8_t;
    static constexpr const char *keyword = "BYTEMAP";
    static constexpr const char *line = "BYTEMAP error\n";
    static ErrorReporter &error() { return BYTEMAPError; }
    static Cell *cells(const BYTEMAP *map) { return map->data; }
    static Cell random(std::mt19937 &rng) { return uint8_t(rng()); }
    static Cell grey(uint32_t v) { return uint8_t(v); }
    // A keyed spaced copy drops only the cells that land outside.
    static constexpr bool wholeSpots = false;
    // The half blend: every covered cell averaged, 0 included.
    static Cell blendHalf(Cell d, Cell s) { return uint8_t((d + s) / 2); }

    static constexpr auto New = BYTEMAPNew;
    static constexpr auto Free = BYTEMAPFree;
    static constexpr auto Resize = BYTEMAPResize;
    static constexpr auto Clear = BYTEMAPClear;
    static constexpr auto Copy = BYTEMAPCopy;
    static constexpr auto CopyTo = BYTEMAPCopyTo;
    static constexpr auto Equal = BYTEMAPEqual;
    static constexpr auto GetPixel = BYTEMAPGetPixel;
    static void PutPixel(BYTEMAP *m, int32_t x, int32_t y, uint32_t v) { BYTEMAPPutPixel(m, x, y, int32_t(v)); }
    static constexpr auto ToASCII = BYTEMAPToASCII;
    static constexpr auto FromASCII = BYTEMAPFromASCII;
    static BYTEMAP *FromPNM(const void *data, size_t size = SIZE_MAX) { return BYTEMAPFromPNM(data, size); }
    static constexpr auto LoadPNM = BYTEMAPLoadPNM;
    static constexpr auto Save = BYTEMAPSavePGM;
    static constexpr auto BlitKeyed = BYTEMAPBlitKeyed;
    static constexpr auto Blit = BYTEMAPBlit;
    static constexpr auto BlitSpaced = BYTEMAPBlitSpaced;
    static constexpr auto BlendHalf = BYTEMAPBlendHalf;
    static constexpr auto BlitRowWrap = BYTEMAPBlitRowWrap;
    static constexpr auto OrRowWrap = BYTEMAPOrRowWrap;
    static constexpr auto BlitColumnWrap = BYTEMAPBlitColumnWrap;
    static constexpr auto And = BYTEMAPAnd;
    static constexpr auto Scale = BYTEMAPScale;
    static constexpr auto Rotate = BYTEMAPRotate;
    static void FillBox(BYTEMAP *m, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t v) { BYTEMAPFillBox(m, x, y, w, h, int32_t(v)); }
    static void Box(BYTEMAP *m, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t v) { BYTEMAPBox(m, x, y, w, h, int32_t(v)); }
    static void Circle(BYTEMAP *m, int32_t x, int32_t y, int32_t r, uint32_t v) { BYTEMAPCircle(m, x, y, r, int32_t(v)); }
    static constexpr auto RunTable = BYTEMAPRunTable;
    static constexpr auto LinePoints = BYTEMAPLinePoints;
};

using Surfaces = ::testing::Types<IMG, BYTEMAP>;

// Owns a record for the length of a test.
template <class Record>
using Owned = support::Owned<Record, Surface<Record>::Free>;

// A fresh w x h record, every cell at `fill`.
template <class Record>
Record *filled(int32_t w, int32_t h, uint32_t fill = 0)
{
    Record *r = Surface<Record>::New();
    Surface<Record>::Resize(r, w, h);
    for (int32_t i = 0; i < w * h; ++i) Surface<Record>::cells(r)[i] = typename Surface<Record>::Cell(fill);
    return r;
}

// A w x h record whose cells follow `seed`, about one in four of them 0 so that the keyed paths
// have something to skip.
template <class Record>
Record *noisy(int32_t w, int32_t h, uint32_t seed = 1)
{
    Record *r = filled<Record>(w, h);
    std::mt19937 rng(seed);
    for (int32_t k = 0; k < w * h; ++k) Surface<Record>::cells(r)[k] = rng() % 4 == 0 ? 0 : Surface<Record>::random(rng);
    return r;
}

template <class Record>
auto contents(const Record *r)
{
    return support::surface::contents(r);
}

template <class F>
struct Font;

template <>
struct Font<FONT> {
    using Sheet = IMG;
    static constexpr const char *line = "FONT Error.\n";
    static ErrorReporter &error() { return FONTError; }
    // Sheet pixels that tell where they came from, 0x00yyyxxx + 1, with black sprinkled in.
    static uint32_t sheetCell(int32_t x, int32_t y)
    {
        if ((x * 7 + y * 13) % 5 == 0) return 0;
        return (uint32_t(y) << 12 | uint32_t(x)) + 1;
    }
    static constexpr auto New = FONTNew;
    static constexpr auto Free = FONTFree;
    static constexpr auto Copy = FONTCopy;
    static constexpr auto Equal = FONTEqual;
    static constexpr auto ToASCII = FONTToASCII;
    static constexpr auto FromASCII = FONTFromASCII;
    static constexpr auto DrawGlyph = FONTDrawGlyph;
    static constexpr auto DrawGlyphOpaque = FONTDrawGlyphOpaque;
    static constexpr auto DrawHex8 = FONTDrawHex8;
    static constexpr auto DrawHex16 = FONTDrawHex16;
    static constexpr auto DrawHex32 = FONTDrawHex32;
    static constexpr auto DrawLine = FONTDrawLine;
    static constexpr auto DrawText = FONTDrawText;
    static constexpr auto DrawMap = FONTDrawMap;
    static constexpr auto DrawBig = FONTDrawBig;
};

template <>
struct Font<BFONT> {
    using Sheet = BYTEMAP;
    static constexpr const char *line = "BFONT Error.\n";
    static ErrorReporter &error() { return BFONTError; }
    // Sheet cells that tell where they came from (1..255), with zeros sprinkled in.
    static uint8_t sheetCell(int32_t x, int32_t y)
    {
        if ((x * 5 + y * 3) % 4 == 0) return 0;
        return uint8_t((x * 31 + y * 17) % 255 + 1);
    }
    static constexpr auto New = BFONTNew;
    static constexpr auto Free = BFONTFree;
    static constexpr auto Copy = BFONTCopy;
    static constexpr auto Equal = BFONTEqual;
    static constexpr auto ToASCII = BFONTToASCII;
    static constexpr auto FromASCII = BFONTFromASCII;
    static constexpr auto DrawGlyph = BFONTDrawGlyph;
    static constexpr auto DrawGlyphOpaque = BFONTDrawGlyphOpaque;
    static constexpr auto DrawHex8 = BFONTDrawHex8;
    static constexpr auto DrawHex16 = BFONTDrawHex16;
    static constexpr auto DrawHex32 = BFONTDrawHex32;
    static constexpr auto DrawLine = BFONTDrawLine;
    static constexpr auto DrawText = BFONTDrawText;
    static constexpr auto DrawMap = BFONTDrawMap;
    static constexpr auto DrawBig = BFONTDrawBig;
};

using Fonts = ::testing::Types<FONT, BFONT>;

// Test names by record: Suite/IMG.Case, Suite/BYTEMAP.Case, Suite/FONT.Case, Suite/BFONT.Case.
struct Names {
    template <class T>
    static std::string GetName(int)
    {
        if constexpr (std::is_same_v<T, IMG>) return "IMG";
        if constexpr (std::is_same_v<T, BYTEMAP>) return "BYTEMAP";
        if constexpr (std::is_same_v<T, FONT>) return "FONT";
        return "BFONT";
    }
};

// A sheet of w x h cells from the font's sheetCell.
template <class F>
typename Font<F>::Sheet *makeSheet(int32_t w, int32_t h)
{
    using S = typename Font<F>::Sheet;
    S *sheet = filled<S>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) Surface<S>::cells(sheet)[x + y * w] = Font<F>::sheetCell(x, y);
    return sheet;
}

// A font of cw x ch cells over a fresh sw x sh sheet, drawing on `target`.
template <class F>
F *makeFont(int32_t cw, int32_t ch, int32_t sw, int32_t sh, typename Font<F>::Sheet *target)
{
    F *font = Font<F>::New();
    font->width = cw;
    font->height = ch;
    font->sheet = makeSheet<F>(sw, sh);
    font->target = target;
    return font;
}

// n copies of a module's report line.
inline std::string lines(const char *line, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += line;
    return out;
}

}  // namespace twin
