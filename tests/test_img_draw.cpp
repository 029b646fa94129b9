// The image's own drawing, beside what it shares with the byte map (test_grid_draw.cpp): the
// additive copies' documented cases, the row copy, and the platform's invert or add-at.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "gfx/img.h"
#include "report_capture.h"
#include "support/twins.h"

namespace {

using Image = std::unique_ptr<IMG, support::Freeing<IMG, IMGFree>>;

Image makeImage(int32_t w, int32_t h, uint32_t seed = 1) { return Image(twin::noisy<IMG>(w, h, seed)); }

std::vector<uint32_t> pixelsOf(const IMG *image) { return support::surface::contents(image); }

}  // namespace

TEST(IMGBlitFamily, AdditiveCopiesDocumentedCases)
{
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
