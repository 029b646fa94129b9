// Image drawing: the rectangle family against a slow per-pixel reference at every awkward
// corner (INT_MIN/INT_MAX included, which UBSan watches), and the other operations from
// their documented cases.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "core/sintab.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using Image = std::unique_ptr<IMG, support::Freeing<IMG, IMGFree>>;

// A w x h image whose pixels follow `seed`; about one in four is black, so the keyed paths
// have something to skip.
Image makeImage(int32_t w, int32_t h, uint32_t seed = 1)
{
    Image image(IMGNew());
    IMGResize(image.get(), w, h);
    std::mt19937 random(seed);
    for (int32_t k = 0; k < w * h; ++k)
        image->pixels[k] = random() % 4 == 0 ? 0 : random() & 0x00FFFFFFu;
    return image;
}

std::vector<uint32_t> pixelsOf(const IMG *image) { return support::surface::contents(image); }

using Rule = std::function<uint32_t(uint32_t d, uint32_t s)>;

using support::surface::referenceBlit;

using Blit = void (*)(const IMG *, IMG *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);

struct Family {
    const char *name;
    Blit blit;
    Rule rule;
};

uint32_t saturate(uint32_t d, uint32_t s)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= std::min(((d >> shift) & 255) + ((s >> shift) & 255), 255u) << shift;
    return out;
}

const Family families[] = {
    {"keyed", IMGBlitKeyed, [](uint32_t d, uint32_t s) { return s ? s : d; }},
    {"opaque", IMGBlit, [](uint32_t, uint32_t s) { return s; }},
    {"add", IMGBlitAdd, [](uint32_t d, uint32_t s) { return d + s; }},
    {"saturate", IMGBlitAddSaturate, saturate},
};

// Corners and sizes where clipping goes wrong: around both edges and at the 32-bit limits.
const int32_t corners[] = {INT_MIN, INT_MIN + 1, -100, -9, -8, -7, -3, -2, -1, 0, 1, 2,
                           4, 5, 6, 7, 8, 9, 100, INT_MAX - 8, INT_MAX - 1, INT_MAX};
const int32_t sizes[] = {INT_MIN, -1, 0, 1, 2, 3, 5, 7, 8, 9, 16, INT_MAX - 1, INT_MAX};

}  // namespace

TEST(IMGBlitFamily, MatchesThePerPixelReferenceAtEveryAwkwardCorner)
{
    const Image source = makeImage(7, 5, 11);
    std::mt19937 random(2024);
    const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
    const std::string printed = reported(IMGError, [&] {
        for (int round = 0; round < 6000; ++round) {
            const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners),
                          dy = pick(corners), w = pick(sizes), h = pick(sizes);
            for (const Family &f : families) {
                Image fast = makeImage(8, 6, round), slow = makeImage(8, 6, round);
                f.blit(source.get(), fast.get(), sx, sy, dx, dy, w, h);
                referenceBlit(source.get(), slow.get(), sx, sy, dx, dy, w, h, f.rule);
                ASSERT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get()))
                    << f.name << " sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy
                    << " w " << w << " h " << h;
            }
        }
    });
    EXPECT_EQ(printed, "") << "clipping is not an error";
}

TEST(IMGBlitFamily, SmallCornersExhaustively)
{
    const Image source = makeImage(5, 4, 3);
    for (int32_t sx = -6; sx <= 6; ++sx)
        for (int32_t dx = -7; dx <= 7; ++dx)
            for (int32_t w = -1; w <= 8; ++w)
                for (const Family &f : families) {
                    const int32_t sy = sx / 2, dy = -dx / 2, h = 8 - w;
                    Image fast = makeImage(6, 5, 9), slow = makeImage(6, 5, 9);
                    f.blit(source.get(), fast.get(), sx, sy, dx, dy, w, h);
                    referenceBlit(source.get(), slow.get(), sx, sy, dx, dy, w, h, f.rule);
                    ASSERT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get()))
                        << f.name << " sx " << sx << " dx " << dx << " w " << w;
                }
}

TEST(IMGBlitFamily, LongPackedWalksMatchTheReference)
{
    // Whole images with packed rows go through one long walk (and wide vectors where the
    // processor has them); an odd size leaves a tail.
    for (int32_t w : {64, 67})
        for (const Family &f : families) {
            const Image source = makeImage(w, 40, 31);
            Image fast = makeImage(w, 40, 32), slow = makeImage(w, 40, 32);
            f.blit(source.get(), fast.get(), 0, 0, 0, 0, w, 40);
            referenceBlit(source.get(), slow.get(), 0, 0, 0, 0, w, 40, f.rule);
            EXPECT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get())) << f.name << " " << w;
        }
}

TEST(IMGBlitFamily, DocumentedCases)
{
    Image black(IMGNew()), target = makeImage(16, 16, 5);
    const std::vector<uint32_t> before = pixelsOf(target.get());
    IMGBlitKeyed(black.get(), target.get(), 0, 0, 0, 0, 16, 16);
    EXPECT_EQ(pixelsOf(target.get()), before) << "a keyed copy of black changes nothing";
    IMGBlit(black.get(), target.get(), 0, 0, 2, 3, 4, 5);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const bool inBlock = x >= 2 && x < 6 && y >= 3 && y < 8;
            EXPECT_EQ(IMGGetPixel(target.get(), x, y), inBlock ? 0 : before[x + y * 16]);
        }

    // Destination x = -3: source columns 0..2 are cut, column 3 lands at column 0.
    Image source = makeImage(8, 1, 7), row(IMGNew());
    IMGResize(row.get(), 8, 1);
    IMGBlit(source.get(), row.get(), 0, 0, -3, 0, 8, 1);
    EXPECT_EQ(IMGGetPixel(row.get(), 0, 0), IMGGetPixel(source.get(), 3, 0));
    EXPECT_EQ(IMGGetPixel(row.get(), 4, 0), IMGGetPixel(source.get(), 7, 0));
    EXPECT_EQ(IMGGetPixel(row.get(), 5, 0), 0u);
    // Source x = -2: the block starts at source column 0 and lands two columns right.
    IMGClear(row.get());
    IMGBlit(source.get(), row.get(), -2, 0, 1, 0, 4, 1);
    EXPECT_EQ(IMGGetPixel(row.get(), 1, 0), 0u);
    EXPECT_EQ(IMGGetPixel(row.get(), 3, 0), IMGGetPixel(source.get(), 0, 0));
    EXPECT_EQ(IMGGetPixel(row.get(), 4, 0), IMGGetPixel(source.get(), 1, 0));
    EXPECT_EQ(IMGGetPixel(row.get(), 5, 0), 0u) << "two columns narrower";

    // dx + w = 0 and dx = width draw nothing and report nothing.
    IMGClear(row.get());
    EXPECT_EQ(reported(IMGError, [&] {
                  IMGBlit(source.get(), row.get(), 0, 0, -4, 0, 4, 1);
                  IMGBlit(source.get(), row.get(), 0, 0, 8, 0, 4, 1);
              }),
              "");
    EXPECT_EQ(pixelsOf(row.get()), std::vector<uint32_t>(8, 0));

    Image one(IMGNew()), two(IMGNew());
    IMGResize(one.get(), 1, 1);
    IMGResize(two.get(), 1, 1);
    one->pixels[0] = 0x00201000;
    two->pixels[0] = 0x00F01008;
    IMGBlitAddSaturate(one.get(), two.get(), 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(two->pixels[0], 0x00FF2008u);
    one->pixels[0] = 0x00000001;
    two->pixels[0] = 0x000000FF;
    IMGBlitAdd(one.get(), two.get(), 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(two->pixels[0], 0x00000100u) << "the carry enters green";
    one->pixels[0] = 0xFFFFFFFF;
    two->pixels[0] = 0x00000002;
    IMGBlitAdd(one.get(), two.get(), 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(two->pixels[0], 0x00000001u) << "wraps at 2^32";
}

TEST(IMGBlitFamily, SameImageWalksFromTheTopLeft)
{
    // Overlapping copies within one image give the plain top-left-first walk.
    for (int32_t shift = -3; shift <= 3; ++shift) {
        Image fast = makeImage(9, 7, 4), slow = makeImage(9, 7, 4);
        IMGBlit(fast.get(), fast.get(), 1, 1, 1 + shift, 1 + shift / 2, 6, 5);
        uint32_t *p = slow->pixels;
        for (int32_t j = 0; j < 5; ++j)
            for (int32_t i = 0; i < 6; ++i) {
                const int32_t x = 1 + shift + i, y = 1 + shift / 2 + j;
                if (x < 0 || x >= 9 || y < 0 || y >= 7) continue;
                p[x + y * 9] = p[1 + i + (1 + j) * 9];
            }
        EXPECT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get())) << "shift " << shift;
    }
}

TEST(IMGBlitFamily, MissingImagesReport)
{
    Image good = makeImage(4, 4), bare(IMGNew());
    std::free(bare->pixels);
    bare->pixels = nullptr;
    const std::vector<uint32_t> before = pixelsOf(good.get());
    for (const Family &f : families) {
        EXPECT_EQ(reported(IMGError, [&] { f.blit(nullptr, good.get(), 0, 0, 0, 0, 4, 4); }), "IMG error\n");
        EXPECT_EQ(reported(IMGError, [&] { f.blit(good.get(), nullptr, 0, 0, 0, 0, 4, 4); }), "IMG error\n");
        EXPECT_EQ(reported(IMGError, [&] { f.blit(bare.get(), good.get(), 0, 0, 0, 0, 4, 4); }), "IMG error\n");
    }
    EXPECT_EQ(pixelsOf(good.get()), before);
}

TEST(IMGBlitSpaced, PlacesWholeSpotsOnly)
{
    const Image source = makeImage(5, 4, 21);
    std::mt19937 random(77);
    const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
    for (int round = 0; round < 3000; ++round) {
        const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners),
                      dy = pick(corners);
        const int32_t w = int32_t(random() % 8), h = int32_t(random() % 8);
        const int32_t ex = 1 + int32_t(random() % 4), ey = 1 + int32_t(random() % 4);
        Image fast = makeImage(11, 9, round), slow = makeImage(11, 9, round);
        IMGBlitSpaced(source.get(), fast.get(), sx, sy, dx, dy, w, h, ex, ey);
        for (int64_t j = 0; j < h; ++j)
            for (int64_t i = 0; i < w; ++i) {
                const int64_t u = sx + i, v = sy + j, x = dx + i * ex, y = dy + j * ey;
                if (u < 0 || u >= 5 || v < 0 || v >= 4) continue;
                if (x < 0 || y < 0 || x + ex > 11 || y + ey > 9) continue;
                if (const uint32_t s = source->pixels[u + v * 5]) slow->pixels[x + y * 11] = s;
            }
        ASSERT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get()))
            << "sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy << " steps " << ex
            << "," << ey;
    }
    Image target = makeImage(4, 4);
    EXPECT_EQ(reported(IMGError, [&] { IMGBlitSpaced(source.get(), target.get(), 0, 0, 0, 0, 2, 2, 0, 1); }),
              "IMG error\n");
    EXPECT_EQ(reported(IMGError, [&] {
                  IMGBlitSpaced(source.get(), target.get(), 0, 0, INT_MAX, INT_MIN, INT_MAX,
                                INT_MAX, INT_MAX, INT_MAX);
              }),
              "");
    // Steps so far apart that no column lands: no row's address is even worked out.
    IMGBlitSpaced(source.get(), target.get(), INT_MIN, 0, 0, 0, INT_MAX, 1, INT_MAX, 1);
    EXPECT_EQ(pixelsOf(target.get()), pixelsOf(makeImage(4, 4).get()));
}

TEST(IMGBlendHalf, HalvesEachChannelWhereTheSourceIsNotBlack)
{
    Image white(IMGNew()), black(IMGNew());
    IMGResize(white.get(), 1, 1);
    IMGResize(black.get(), 1, 1);
    white->pixels[0] = 0x00FFFFFF;
    IMGBlendHalf(white.get(), black.get(), 0, 0);
    EXPECT_EQ(black->pixels[0], 0x007F7F7Fu);

    const Image source = makeImage(4, 3, 8);
    for (int32_t x : {INT_MIN, -4, -3, 0, 2, 5, 6, INT_MAX})
        for (int32_t y : {INT_MIN, -3, -1, 0, 4, 5, INT_MAX}) {
            Image fast = makeImage(6, 5, 2), slow = makeImage(6, 5, 2);
            IMGBlendHalf(source.get(), fast.get(), x, y);
            referenceBlit(source.get(), slow.get(), 0, 0, x, y, 4, 3, [](uint32_t d, uint32_t s) {
                return s ? ((s >> 1) & 0x7F7F7F) + ((d >> 1) & 0x7F7F7F) : d;
            });
            ASSERT_EQ(pixelsOf(fast.get()), pixelsOf(slow.get())) << x << "," << y;
        }
    EXPECT_EQ(reported(IMGError, [&] { IMGBlendHalf(nullptr, black.get(), 0, 0); }), "IMG error\n");
}

TEST(IMGWrap, RowsAndColumnsWrapAndPlaceEachSourcePixelOnce)
{
    // Every pair of widths and offsets against "column (offset + i) mod width".
    for (int32_t sw : {1, 3, 8, 10})
        for (int32_t dw : {1, 3, 8})
            for (int32_t k : {INT_MIN, -9, -1, 0, 2, 7, 8, 13, INT_MAX}) {
                const Image source = makeImage(sw, 2, sw), seed = makeImage(dw, 3, dw);
                Image keyed = makeImage(dw, 3, dw), ored = makeImage(dw, 3, dw);
                IMGBlitRowWrap(source.get(), keyed.get(), 1, 2, k);
                IMGOrRowWrap(source.get(), ored.get(), 1, 2, k);
                std::vector<uint32_t> wantKeyed = pixelsOf(seed.get()), wantOr = wantKeyed;
                const int32_t start = int32_t(((int64_t{k} % dw) + dw) % dw);
                for (int32_t i = 0; i < std::min(sw, dw); ++i) {
                    const uint32_t s = source->pixels[i + sw];
                    const int32_t at = 2 * dw + (start + i) % dw;
                    if (s) wantKeyed[at] = s;
                    wantOr[at] |= s;
                }
                EXPECT_EQ(pixelsOf(keyed.get()), wantKeyed) << sw << " " << dw << " " << k;
                EXPECT_EQ(pixelsOf(ored.get()), wantOr) << sw << " " << dw << " " << k;

                // The same with columns: transpose the shapes.
                const Image column = makeImage(2, sw, sw + 1);
                Image down = makeImage(3, dw, dw + 1);
                std::vector<uint32_t> wantDown = pixelsOf(down.get());
                IMGBlitColumnWrap(column.get(), down.get(), 1, 2, k);
                for (int32_t i = 0; i < std::min(sw, dw); ++i)
                    if (const uint32_t s = column->pixels[1 + i * 2])
                        wantDown[2 + ((start + i) % dw) * 3] = s;
                EXPECT_EQ(pixelsOf(down.get()), wantDown) << sw << " " << dw << " " << k;
            }

    // Offset -1 into a 256-wide row starts at column 255 and continues from column 0.
    Image source(IMGNew()), target(IMGNew());
    IMGResize(source.get(), 3, 1);
    IMGResize(target.get(), 256, 1);
    source->pixels[0] = 1, source->pixels[1] = 2, source->pixels[2] = 3;
    IMGBlitRowWrap(source.get(), target.get(), 0, 0, -1);
    EXPECT_EQ(target->pixels[255], 1u);
    EXPECT_EQ(target->pixels[0], 2u);
    EXPECT_EQ(target->pixels[1], 3u);

    for (auto call : {IMGBlitRowWrap, IMGOrRowWrap, IMGBlitColumnWrap}) {
        EXPECT_EQ(reported(IMGError, [&] { call(source.get(), target.get(), 5, 0, 0); }), "IMG error\n");
        EXPECT_EQ(reported(IMGError, [&] { call(source.get(), target.get(), -1, 0, 0); }), "IMG error\n");
        EXPECT_EQ(reported(IMGError, [&] { call(nullptr, target.get(), 0, 0, 0); }), "IMG error\n");
    }
    EXPECT_EQ(reported(IMGError, [&] { IMGBlitColumnWrap(source.get(), target.get(), 0, 256, 0); }),
              "IMG error\n");

    // A destination without columns (or rows) takes nothing, and the offset is never
    // divided by its zero size.
    Image flat(IMGNew()), thin(IMGNew());
    IMGResize(flat.get(), 0, 2);
    IMGResize(thin.get(), 2, 0);
    EXPECT_EQ(reported(IMGError, [&] {
                  IMGBlitRowWrap(source.get(), flat.get(), 0, 1, 7);
                  IMGOrRowWrap(source.get(), flat.get(), 0, 1, -7);
                  IMGBlitColumnWrap(source.get(), thin.get(), 0, 1, 7);
              }),
              "");
}

TEST(IMGCopyRow, CopiesTheShorterWidthFromColumnZero)
{
    const Image source = makeImage(5, 3, 4);
    Image target = makeImage(3, 2, 5);
    const std::vector<uint32_t> before = pixelsOf(target.get());
    IMGCopyRow(source.get(), target.get(), 2, 1);
    EXPECT_EQ(std::vector<uint32_t>(target->pixels + 3, target->pixels + 6),
              std::vector<uint32_t>(source->pixels + 10, source->pixels + 13));
    EXPECT_EQ(std::vector<uint32_t>(target->pixels, target->pixels + 3),
              std::vector<uint32_t>(before.begin(), before.begin() + 3));
    EXPECT_EQ(reported(IMGError, [&] { IMGCopyRow(source.get(), target.get(), 3, 0); }), "IMG error\n");
    EXPECT_EQ(reported(IMGError, [&] { IMGCopyRow(source.get(), target.get(), 0, 2); }), "IMG error\n");
}

TEST(IMGAnd, MasksEqualSizesAndRefusesOthers)
{
    const Image mask = makeImage(6, 4, 1);
    Image image = makeImage(6, 4, 2);
    std::vector<uint32_t> want = pixelsOf(image.get());
    for (size_t k = 0; k < want.size(); ++k) want[k] &= mask->pixels[k];
    IMGAnd(mask.get(), image.get());
    EXPECT_EQ(pixelsOf(image.get()), want);

    // A mask larger than the image would be read past the image's end: refused.
    const Image big = makeImage(8, 4, 3), tall = makeImage(6, 5, 3);
    for (const IMG *wrong : {big.get(), tall.get()})
        EXPECT_EQ(reported(IMGError, [&] { IMGAnd(wrong, image.get()); }), "IMG error\n");
    EXPECT_EQ(reported(IMGError, [&] { IMGAnd(image.get(), big.get()); }), "IMG error\n");
    EXPECT_EQ(pixelsOf(image.get()), want);
    IMGAnd(image.get(), image.get());
    EXPECT_EQ(pixelsOf(image.get()), want);
    EXPECT_EQ(reported(IMGError, [&] { IMGAnd(nullptr, image.get()); }), "IMG error\n");
}

#ifndef _WIN32
TEST(IMGInvert, ComplementsTheLow24Bits)
{
    Image big = makeImage(61, 37, 5);
    std::vector<uint32_t> want = pixelsOf(big.get());
    for (uint32_t &p : want) p = ~p & 0x00FFFFFF;
    IMGInvert(big.get());
    EXPECT_EQ(pixelsOf(big.get()), want);

    Image image = makeImage(3, 1);
    image->pixels[0] = 0x00000000;
    image->pixels[1] = 0xFF123456;
    image->pixels[2] = 0x00FFFFFF;
    IMGInvert(image.get());
    EXPECT_EQ(pixelsOf(image.get()), (std::vector<uint32_t>{0x00FFFFFF, 0x00EDCBA9, 0}));
    EXPECT_EQ(reported(IMGError, [] { IMGInvert(nullptr); }), "IMG error\n");
}
#else
TEST(IMGAddAt, AddsAtTheSourcesOwnPlace)
{
    Image source = makeImage(2, 2, 1), target = makeImage(4, 4, 2);
    source->x = 3, source->y = -1;
    std::vector<uint32_t> want = pixelsOf(target.get());
    want[3] += source->pixels[2];
    IMGAddAt(source.get(), target.get());
    EXPECT_EQ(pixelsOf(target.get()), want);
}
#endif

TEST(IMGScale, FitsEachOfTheFourCases)
{
    // Both grow: 32 x 32 into 256 x 256 gives 8 x 8 blocks.
    const Image tile = makeImage(32, 32, 6);
    Image screen(IMGNew());
    IMGResize(screen.get(), 256, 256);
    IMGScale(tile.get(), screen.get());
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            ASSERT_EQ(screen->pixels[x + y * 256], tile->pixels[x / 8 + (y / 8) * 32]) << x << "," << y;

    // Both shrink: halving takes (2x + 1, 2y + 1).
    const Image big = makeImage(256, 256, 7);
    Image half(IMGNew());
    IMGResize(half.get(), 128, 128);
    IMGScale(big.get(), half.get());
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 128; ++x)
            ASSERT_EQ(half->pixels[x + y * 128], big->pixels[2 * x + 1 + (2 * y + 1) * 256]);

    // 3 -> 4 columns: the run table 2, 1, 1 repeats the first column.
    Image three = makeImage(3, 1, 8), four(IMGNew());
    IMGResize(four.get(), 4, 1);
    IMGScale(three.get(), four.get());
    const uint32_t *t = three->pixels;
    EXPECT_EQ(pixelsOf(four.get()), (std::vector<uint32_t>{t[0], t[0], t[1], t[2]}));

    // Width shrinks, height grows: 4 x 2 into 2 x 4 takes columns 1 and 3, each row twice.
    const Image wide = makeImage(4, 2, 9);
    Image narrow(IMGNew());
    IMGResize(narrow.get(), 2, 4);
    IMGScale(wide.get(), narrow.get());
    const uint32_t *w = wide->pixels;
    EXPECT_EQ(pixelsOf(narrow.get()),
              (std::vector<uint32_t>{w[1], w[3], w[1], w[3], w[5], w[7], w[5], w[7]}));

    // Width grows, height shrinks: 2 x 4 into 4 x 2 takes the first row of each run.
    const Image upright = makeImage(2, 4, 10);
    Image flat(IMGNew());
    IMGResize(flat.get(), 4, 2);
    IMGScale(upright.get(), flat.get());
    const uint32_t *u = upright->pixels;
    EXPECT_EQ(pixelsOf(flat.get()),
              (std::vector<uint32_t>{u[0], u[0], u[1], u[1], u[4], u[4], u[5], u[5]}));

    // Same size copies; the image onto itself stays; empty destinations draw nothing.
    Image copy(IMGNew());
    IMGResize(copy.get(), 32, 32);
    IMGScale(tile.get(), copy.get());
    EXPECT_EQ(IMGEqual(tile.get(), copy.get()), 1);
    IMGScale(copy.get(), copy.get());
    EXPECT_EQ(IMGEqual(tile.get(), copy.get()), 1);
    Image empty(IMGNew());
    IMGResize(empty.get(), 0, 5);
    EXPECT_EQ(reported(IMGError, [&] { IMGScale(tile.get(), empty.get()); }), "");
    EXPECT_EQ(reported(IMGError, [&] { IMGScale(nullptr, copy.get()); }), "IMG error\n");
    copy->width = -1;
    EXPECT_EQ(reported(IMGError, [&] { IMGScale(tile.get(), copy.get()); }), "IMG error\n");
    copy->width = 32;
}

TEST(IMGRotate, SizesAndSamplesBySineTable)
{
    const Image square = makeImage(100, 100, 3);
    IMG *turned = IMGRotate(square.get(), 0);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->width, 141);
    EXPECT_EQ(turned->height, 141);
    IMGFree(&turned);
    const Image screen = makeImage(256, 256, 3);
    turned = IMGRotate(screen.get(), 5);
    EXPECT_EQ(turned->width, 361);
    IMGFree(&turned);

    // Each pixel against the documented sampling rule, for a few angles including extremes.
    const Image source = makeImage(9, 7, 12);
    for (int32_t angle : {0, 1, 100, 256, 700, 1024, -300, INT_MIN, INT_MAX}) {
        IMG *out = IMGRotate(source.get(), angle);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->width, 12);
        ASSERT_EQ(out->height, 9);
        const int32_t sn = SINTAB[((-int64_t{angle}) % 1024 + 1024) % 1024];
        const int32_t cs = SINTAB[((-int64_t{angle} - 256) % 1024 + 1024) % 1024];
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < 12; ++x) {
                const int32_t u = (((x - 6) * cs) >> 15) - (((y - 4) * sn) >> 15) + 4;
                const int32_t v = (((x - 6) * sn) >> 15) + (((y - 4) * cs) >> 15) + 3;
                ASSERT_EQ(out->pixels[x + y * 12], IMGGetPixel(source.get(), u, v))
                    << "angle " << angle << " at " << x << "," << y;
            }
        IMGFree(&out);
    }
    IMG *result = source.get();
    EXPECT_EQ(reported(IMGError, [&] { result = IMGRotate(nullptr, 0); }), "IMG error\n");
    EXPECT_EQ(result, nullptr);
    // A side whose rotated size does not fit 32 bits is refused before anything is made.
    uint32_t pixel = 0;
    const IMG wide = {0, 0, 0, INT_MAX, 1, 0, &pixel};
    result = source.get();
    EXPECT_EQ(reported(IMGError, [&] { result = IMGRotate(&wide, 0); }), "IMG error\n");
    EXPECT_EQ(result, nullptr);
}

TEST(IMGBoxes, FitWhollyInsideOrAreRefused)
{
    Image image(IMGNew());
    IMGResize(image.get(), 8, 6);
    IMGFillBox(image.get(), 2, 1, 3, 2, 0xFF00FF00u);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(IMGGetPixel(image.get(), x, y),
                      x >= 2 && x < 5 && y >= 1 && y < 3 ? 0xFF00FF00u : 0u) << "colour stored unmasked";

    IMGClear(image.get());
    IMGBox(image.get(), 1, 1, 4, 3, 7);
    const char *want[] = {"........", ".####...", ".#..#...", ".####...", "........", "........"};
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(IMGGetPixel(image.get(), x, y), want[y][x] == '#' ? 7u : 0u) << x << "," << y;
    IMGFillBox(image.get(), 0, 0, 8, 6, 9);  // the whole image
    EXPECT_EQ(pixelsOf(image.get()), std::vector<uint32_t>(48, 9));

    const std::vector<uint32_t> before = pixelsOf(image.get());
    const int32_t refused[][4] = {{4, 0, 5, 1},  {0, 3, 1, 4},          {-1, 0, 2, 2},
                                  {0, 0, 0, 1},  {0, 0, 1, -1},         {8, 0, 1, 1},
                                  {1, 1, INT_MAX, 1}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                                  {INT_MIN, 0, INT_MAX, 1}};
    for (const auto &b : refused) {
        EXPECT_EQ(reported(IMGError, [&] { IMGFillBox(image.get(), b[0], b[1], b[2], b[3], 1); }), "IMG error\n");
        EXPECT_EQ(reported(IMGError, [&] { IMGBox(image.get(), b[0], b[1], b[2], b[3], 1); }), "IMG error\n");
    }
    EXPECT_EQ(pixelsOf(image.get()), before);
}

TEST(IMGCircle, PlotsFourQuarterTurnsOfPoints)
{
    Image image(IMGNew());
    IMGResize(image.get(), 40, 40);
    IMGCircle(image.get(), 20, 20, 10, 5);
    int count = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if (image->pixels[x + y * 40]) {
                ++count;
                // The right half sits one column left of the mirror of the left half.
                EXPECT_EQ(IMGGetPixel(image.get(), 39 - x, y), 5u) << x << "," << y;
                EXPECT_EQ(IMGGetPixel(image.get(), x, 40 - y), 5u) << x << "," << y;
            }
    EXPECT_GT(count, 40);
    // 10 * 32766 >> 15 is 9: the widest points are (cx + 9 - 1, cy) and (cx - 9, cy).
    EXPECT_EQ(IMGGetPixel(image.get(), 28, 20), 5u);
    EXPECT_EQ(IMGGetPixel(image.get(), 11, 20), 5u);
    EXPECT_EQ(IMGGetPixel(image.get(), 29, 20), 0u);

    IMGClear(image.get());
    IMGCircle(image.get(), 5, 5, 1, 3);
    std::vector<uint32_t> want(1600, 0);
    want[4 + 5 * 40] = want[5 + 5 * 40] = 3;
    EXPECT_EQ(pixelsOf(image.get()), want);

    // A huge radius puts every point far outside: nothing drawn, nothing overflows.
    IMGClear(image.get());
    IMGCircle(image.get(), 0, 0, INT_MAX, 3);
    EXPECT_EQ(pixelsOf(image.get()), std::vector<uint32_t>(1600, 0));
    for (auto args : {std::vector<int32_t>{5, 5, 0}, {-1, 5, 3}, {5, 40, 3}})
        EXPECT_EQ(reported(IMGError, [&] { IMGCircle(image.get(), args[0], args[1], args[2], 1); }),
                  "IMG error\n");
}

TEST(IMGRunTable, SpreadsTheLargerSizeOverTheSmaller)
{
    const auto table = [](int32_t a, int32_t b, int n) {
        int32_t *t = IMGRunTable(a, b);
        std::vector<int32_t> out(t, t + n);
        std::free(t);
        return out;
    };
    EXPECT_EQ(table(3, 4, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(4, 3, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(-3, -4, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(128, 256, 129).back(), 1);
    EXPECT_EQ(table(128, 256, 128), std::vector<int32_t>(128, 2));
    EXPECT_EQ(table(0, 5, 1), std::vector<int32_t>{6});
    EXPECT_EQ(table(0, 0, 1), std::vector<int32_t>{1});
    for (int32_t a = 1; a <= 40; ++a)
        for (int32_t b = a; b <= 90; b += 7) {
            const std::vector<int32_t> t = table(a, b, a + 1);
            int32_t sum = 0;
            for (int32_t k = 0; k < a; ++k) {
                sum += t[k];
                EXPECT_GE(t[k], 1);
            }
            EXPECT_EQ(sum, b) << a << " " << b;
        }
    int32_t dummy = 0, *none = &dummy;
    EXPECT_EQ(reported(IMGError, [&] { none = IMGRunTable(3, INT_MIN); }), "IMG error\n");
    EXPECT_EQ(none, nullptr);
}

TEST(IMGLinePoints, StepsAlongTheLongerAxis)
{
    const auto points = [](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        int32_t *p = IMGLinePoints(x0, y0, x1, y1);
        std::vector<int32_t> out(p, p + p[0] + 1);
        std::free(p);
        return out;
    };
    EXPECT_EQ(points(0, 0, 3, 1), (std::vector<int32_t>{8, 0, 0, 1, 1, 2, 1, 3, 1}));
    EXPECT_EQ(points(0, 0, 1, 3), (std::vector<int32_t>{8, 0, 0, 1, 1, 1, 2, 1, 3}));
    EXPECT_EQ(points(3, 1, 0, 0), (std::vector<int32_t>{8, 3, 1, 2, 0, 1, 0, 0, 0}));
    EXPECT_EQ(points(2, 2, 4, 4), (std::vector<int32_t>{6, 2, 2, 3, 3, 4, 4}));
    EXPECT_EQ(points(5, -5, 5, -5), (std::vector<int32_t>{2, 5, -5}));
    const std::vector<int32_t> far = points(INT_MAX - 2, INT_MIN, INT_MAX, INT_MIN + 1);
    EXPECT_EQ(far, (std::vector<int32_t>{6, INT_MAX - 2, INT_MIN, INT_MAX - 1, INT_MIN + 1,
                                         INT_MAX, INT_MIN + 1}));
    // A line across the whole 32-bit range has more points than element 0 can count.
    int32_t *none = nullptr;
    EXPECT_EQ(reported(IMGError, [&] { none = IMGLinePoints(INT_MIN, 0, INT_MAX, 0); }), "IMG error\n");
    EXPECT_EQ(none, nullptr);
}

// Every line with both ends in a 9 x 9 box, from both twins, against the closed form: with n
// the longer distance and d the shorter, point k moves k cells along the longer axis and
// min(d, (k * d + (n + 1) / 2) / n) along the shorter (none at k = 0). Every line ends on its
// end point, the one-step straight lines included.
TEST(IMGLinePoints, EveryLineInABoxEndsOnItsEndPoint)
{
    for (auto linePoints : {IMGLinePoints, BYTEMAPLinePoints})
        for (int32_t x0 = -4; x0 <= 4; ++x0) for (int32_t y0 = -4; y0 <= 4; ++y0)
        for (int32_t x1 = -4; x1 <= 4; ++x1) for (int32_t y1 = -4; y1 <= 4; ++y1) {
            const int32_t ax = std::abs(x1 - x0), ay = std::abs(y1 - y0);
            const int32_t n = std::max(ax, ay), d = std::min(ax, ay);
            const int32_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
            std::vector<int32_t> want{2 * n + 2};
            for (int32_t k = 0; k <= n; ++k) {
                const int32_t m = k == 0 ? 0 : std::min(d, (k * d + (n + 1) / 2) / n);
                want.push_back(x0 + sx * (ay < ax ? k : m));
                want.push_back(y0 + sy * (ay < ax ? m : k));
            }
            int32_t *p = linePoints(x0, y0, x1, y1);
            ASSERT_EQ(std::vector<int32_t>(p, p + p[0] + 1), want) << x0 << "," << y0 << " " << x1 << "," << y1;
            std::free(p);
        }
}
