// The plasma: exact cell values against the closed formula, the wave steps, resizing and the
// reports of bad arguments.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/sintab.h"
#include "fx/bplasma.h"
#include "report_capture.h"

namespace {

int32_t S(int64_t k) { return SINTAB[k & 1023]; }

// value(u, v) = ((S(p1 + u s1) + S(p2 + u s2) + S(p3 + v s3) + S(p4 + v s4)) >> 10) + 128
int expected(const BPLASMA *p, int64_t u, int64_t v)
{
    const BPLASMAWave *w = p->wave;
    const int32_t sum = S(w[0].phase + u * w[0].stride) + S(w[1].phase + u * w[1].stride) +
                        S(w[2].phase + v * w[2].stride) + S(w[3].phase + v * w[3].stride);
    return (sum >> 10) + 128;
}

int cell(const BPLASMA *p, int32_t u, int32_t v) { return p->map->data[v * p->width + u]; }

// Every cell of the plasma's map against the formula; returns the number of mismatches.
int mismatches(const BPLASMA *p)
{
    int bad = 0;
    for (int32_t v = 0; v < p->height; ++v)
        for (int32_t u = 0; u < p->width; ++u)
            if (cell(p, u, v) != expected(p, u, v) && ++bad < 5)
                ADD_FAILURE() << "cell (" << u << ", " << v << ") of " << p->width << " x "
                              << p->height << ": " << cell(p, u, v) << " vs " << expected(p, u, v);
    return bad;
}

}  // namespace

TEST(BPlasma, FreshPlasmaHasTheDefaultWavesAndKnownCells)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width, 256);
    EXPECT_EQ(p->height, 256);
    EXPECT_EQ(p->x, 0);
    EXPECT_EQ(p->y, 0);
    ASSERT_NE(p->map, nullptr);
    EXPECT_EQ(p->map->width, 256);
    EXPECT_EQ(p->map->height, 256);
    const int32_t defaults[4][3] = {{0, 15, 6}, {200, -21, 9}, {500, 13, 7}, {800, -19, 11}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p->wave[i].phase, defaults[i][0]) << "wave " << i + 1;
        EXPECT_EQ(p->wave[i].step, defaults[i][1]) << "wave " << i + 1;
        EXPECT_EQ(p->wave[i].stride, defaults[i][2]) << "wave " << i + 1;
    }
    for (int i = 4; i < 6; ++i) {
        EXPECT_EQ(p->wave[i].phase, 0);
        EXPECT_EQ(p->wave[i].step, 0);
        EXPECT_EQ(p->wave[i].stride, 0);
    }

    BPLASMADraw(p);
    EXPECT_EQ(cell(p, 0, 0), 128);  // 0 + 30852 + 2210 - 32098 = 964, shifted to 0
    EXPECT_EQ(cell(p, 1, 0), 130);
    EXPECT_EQ(cell(p, 255, 255), 168);
    int lo = 255, hi = 0;
    for (int i = 0; i < 256 * 256; ++i) {
        lo = std::min<int>(lo, p->map->data[i]);
        hi = std::max<int>(hi, p->map->data[i]);
    }
    EXPECT_GE(lo, 32);
    EXPECT_LE(hi, 236);
    EXPECT_EQ(mismatches(p), 0);
    BPLASMAFree(&p);
    EXPECT_EQ(p, nullptr);
}

TEST(BPlasma, StepAdvancesAllSixPhasesAndWraps)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    BPLASMAStep(p);
    EXPECT_EQ(p->wave[0].phase, 15);
    EXPECT_EQ(p->wave[1].phase, 179);
    EXPECT_EQ(p->wave[2].phase, 513);
    EXPECT_EQ(p->wave[3].phase, 781);
    EXPECT_EQ(p->wave[4].phase, 0);
    EXPECT_EQ(p->wave[5].phase, 0);

    p->wave[0].phase = 1020;  // 1020 + 15 wraps to 11
    p->wave[1].phase = 5;     // 5 - 21 wraps down to 1008
    p->wave[4].step = 7;      // the undrawn waves step too
    p->wave[5].phase = 3;
    p->wave[5].step = INT32_MIN;  // any step, even the extremes, wraps without overflow
    p->wave[2].phase = 1000;
    p->wave[2].step = INT32_MAX;
    BPLASMAStep(p);
    EXPECT_EQ(p->wave[0].phase, 11);
    EXPECT_EQ(p->wave[1].phase, 1008);
    EXPECT_EQ(p->wave[4].phase, 7);
    EXPECT_EQ(p->wave[5].phase, 3);
    EXPECT_EQ(p->wave[2].phase, (1000 + 1023) & 1023);
    EXPECT_EQ(p->wave[0].step, 15) << "steps and strides are left alone";
    EXPECT_EQ(p->wave[0].stride, 6);
    BPLASMAFree(&p);
}

TEST(BPlasma, DrawMatchesTheFormulaForAnySizeAndWaves)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    // The demo's scene settings, then odd ones: negative and huge strides, phases out of range.
    const int32_t settings[][8] = {
        {3, 2, 4, 3, 2, 3, 3, 4},
        {0, -1, 1023, -1023, 512, 1, 7, 13},
        {INT32_MAX, INT32_MIN, -5, INT32_MAX, 2000, -777, INT32_MIN, 1},
    };
    // Sizes around the 256-column runs: exact, one short, one over, several runs, a last short run.
    const int32_t sizes[][2] = {{256, 256}, {1, 1}, {255, 3}, {257, 5}, {600, 2}, {32, 8}, {3, 300}};
    for (const auto &s : settings) {
        for (int i = 0; i < 4; ++i) {
            p->wave[i].phase = s[2 * i];
            p->wave[i].stride = s[2 * i + 1];
        }
        for (const auto &size : sizes) {
            BPLASMAResize(p, size[0], size[1]);
            ASSERT_EQ(p->width, size[0]);
            BPLASMADraw(p);
            EXPECT_EQ(mismatches(p), 0);
        }
    }
    BPLASMAFree(&p);
}

TEST(BPlasma, TablesHoldTheWaveSumsLastEntryFirst)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    BPLASMAResize(p, 5, 3);
    BPLASMAStep(p);
    BPLASMADraw(p);
    const BPLASMAWave *w = p->wave;
    for (int k = 0; k < 5; ++k) {
        const int n = 4 - k;  // xwave[4] is the first column's sum
        EXPECT_EQ(p->xwave[k], S(w[0].phase + n * w[0].stride) + S(w[1].phase + n * w[1].stride));
    }
    for (int r = 0; r < 3; ++r) {
        const int n = 2 - r;
        EXPECT_EQ(p->ywave[r], S(w[2].phase + n * w[2].stride) + S(w[3].phase + n * w[3].stride));
    }

    // A 1 x 1 plasma holds ((S(p1) + S(p2) + S(p3) + S(p4)) >> 10) + 128.
    BPLASMAResize(p, 1, 1);
    BPLASMADraw(p);
    EXPECT_EQ(p->map->data[0],
              ((S(w[0].phase) + S(w[1].phase) + S(w[2].phase) + S(w[3].phase)) >> 10) + 128);
    BPLASMAFree(&p);
}

TEST(BPlasma, TheMapBelongsToTheCallerBetweenRenders)
{
    BPLASMA *a = BPLASMANew();
    BPLASMA *b = BPLASMANew();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    BPLASMADraw(a);
    for (int i = 0; i < 256 * 256; ++i) a->map->data[i] = static_cast<uint8_t>(128 + (a->map->data[i] & 15));
    a->xwave[0] = 12345;
    BPLASMAStep(a);
    BPLASMAStep(b);
    BPLASMADraw(a);
    BPLASMADraw(b);
    EXPECT_EQ(BPLASMAEqual(a, b), 1) << "the next render overwrites the caller's cells";
    BPLASMAFree(&a);
    BPLASMAFree(&b);
}

TEST(BPlasma, ResizeGivesZerosAndABadSizeKeepsTheOldPlasma)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    BPLASMADraw(p);
    BPLASMAResize(p, 32, 8);
    ASSERT_NE(p->map, nullptr);
    EXPECT_EQ(p->width, 32);
    EXPECT_EQ(p->height, 8);
    EXPECT_EQ(p->map->width, 32);
    EXPECT_EQ(p->map->height, 8);
    for (int i = 0; i < 32 * 8; ++i) ASSERT_EQ(p->map->data[i], 0) << i;
    for (int i = 0; i < 32; ++i) EXPECT_EQ(p->xwave[i], 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p->ywave[i], 0);

    BPLASMADraw(p);
    BYTEMAP *map = p->map;
    const int32_t bad[][2] = {{-1, 8}, {8, -1}, {INT32_MIN, 1}, {65536, 65536}};
    for (const auto &size : bad) {
        EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAResize(p, size[0], size[1]); }),
                  "BPLASMA Error.\n")
            << size[0] << " x " << size[1];
        EXPECT_EQ(p->map, map);
        EXPECT_EQ(p->width, 32);
        EXPECT_EQ(p->height, 8);
    }
    EXPECT_EQ(mismatches(p), 0) << "the picture survives a refused resize";

    // An empty plasma is allowed and draws nothing.
    BPLASMAResize(p, 0, 4);
    EXPECT_EQ(p->width, 0);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMADraw(p); }), "");
    BPLASMAFree(&p);
}

TEST(BPlasma, CopyAndEqual)
{
    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    BPLASMAResize(p, 40, 30);
    p->wave[4].step = 9;
    BPLASMAStep(p);
    BPLASMADraw(p);
    BPLASMA *c = BPLASMACopy(p);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->map, p->map);
    EXPECT_EQ(c->width, 40);
    EXPECT_EQ(c->height, 30);
    EXPECT_EQ(BPLASMAEqual(p, c), 1);
    EXPECT_EQ(c->xwave[7], p->xwave[7]);
    EXPECT_EQ(c->ywave[29], p->ywave[29]);

    c->map->data[40 * 30 - 1] ^= 1;
    EXPECT_EQ(BPLASMAEqual(p, c), 0) << "a cell";
    c->map->data[40 * 30 - 1] ^= 1;
    c->wave[5].stride = 1;
    EXPECT_EQ(BPLASMAEqual(p, c), 0) << "an undrawn wave";
    BPLASMAResize(c, 30, 40);
    EXPECT_EQ(BPLASMAEqual(p, c), 0) << "the size";

    EXPECT_EQ(BPLASMAToASCII(p), nullptr);
    EXPECT_EQ(BPLASMAFromASCII("BPLASMA{}"), nullptr);
    BPLASMAFree(&p);
    BPLASMAFree(&c);
}

TEST(BPlasma, BadArgumentsAreReportedAndChangeNothing)
{
    const std::string line = "BPLASMA Error.\n";
    BPLASMA *none = nullptr;
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAFree(nullptr); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAFree(&none); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAStep(nullptr); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMADraw(nullptr); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAResize(nullptr, 4, 4); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { EXPECT_EQ(BPLASMACopy(nullptr), nullptr); }), line);
    EXPECT_EQ(reported(BPLASMAError, [&] { EXPECT_EQ(BPLASMAEqual(nullptr, nullptr), 0); }), line);

    BPLASMA *p = BPLASMANew();
    ASSERT_NE(p, nullptr);
    // A map taken away or resized behind the plasma's back is not drawn into.
    BYTEMAP *map = p->map;
    p->map = nullptr;
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMADraw(p); }), line);
    p->map = map;
    BYTEMAPResize(p->map, 8, 8);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMADraw(p); }), line);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(p->map->data[i], 0);
    EXPECT_EQ(reported(BPLASMAError, [&] { BPLASMAStep(p); BPLASMAResize(p, 8, 8); BPLASMADraw(p); }), "");
    EXPECT_EQ(mismatches(p), 0);
    BPLASMAFree(&p);
}
