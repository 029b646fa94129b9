// What the image's and the byte map's drawing share, run on both: the rectangle copies against
// a slow per-cell reference at every awkward corner (INT_MIN/INT_MAX included, which UBSan
// watches), the spaced copy, the half blend, the wrapping rows and columns, masks, scaling,
// rotation, boxes, circles and the run and line tables. Each record's own operations are in
// test_img_draw.cpp and test_bytemap_draw.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/sintab.h"
#include "report_capture.h"
#include "support/twins.h"

namespace {

template <class Record>
class GridDraw : public ::testing::Test {};
TYPED_TEST_SUITE(GridDraw, twin::Surfaces, twin::Names);

// The record under test (R), its face (S), its cell type and an owner that frees it.
#define SURFACE_TWIN                                \
    using R = TypeParam;                            \
    using S = twin::Surface<R>;                     \
    using Cell [[maybe_unused]] = typename S::Cell; \
    using Own [[maybe_unused]] = std::unique_ptr<R, support::Freeing<R, S::Free>>

template <class R>
std::unique_ptr<R, support::Freeing<R, twin::Surface<R>::Free>> make(int32_t w, int32_t h, uint32_t seed = 1)
{
    return std::unique_ptr<R, support::Freeing<R, twin::Surface<R>::Free>>(twin::noisy<R>(w, h, seed));
}

template <class R>
std::unique_ptr<R, support::Freeing<R, twin::Surface<R>::Free>> blank(int32_t w, int32_t h)
{
    return std::unique_ptr<R, support::Freeing<R, twin::Surface<R>::Free>>(twin::filled<R>(w, h));
}

template <class R>
auto cellsOf(const std::unique_ptr<R, support::Freeing<R, twin::Surface<R>::Free>> &r)
{
    return twin::contents(r.get());
}

using support::surface::referenceBlit;

// A rectangle copy and the rule it combines each covered cell with, d = rule(d, s).
template <class R>
struct Family {
    using Cell = typename twin::Surface<R>::Cell;
    const char *name;
    void (*blit)(const R *, R *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t);
    std::function<Cell(Cell d, Cell s)> rule;
};

uint32_t saturate(uint32_t d, uint32_t s)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8)
        out |= std::min(((d >> shift) & 255) + ((s >> shift) & 255), 255u) << shift;
    return out;
}

// Both records' keyed and opaque copies; the image adds its two additive ones.
template <class R>
std::vector<Family<R>> families()
{
    using S = twin::Surface<R>;
    using Cell = typename S::Cell;
    std::vector<Family<R>> all = {
        {"keyed", S::BlitKeyed, [](Cell d, Cell s) { return s ? s : d; }},
        {"opaque", S::Blit, [](Cell, Cell s) { return s; }},
    };
    if constexpr (std::is_same_v<R, IMG>) {
        all.push_back({"add", IMGBlitAdd, [](uint32_t d, uint32_t s) { return d + s; }});
        all.push_back({"saturate", IMGBlitAddSaturate, saturate});
    }
    return all;
}

// Corners and sizes where clipping goes wrong: around both edges and at the 32-bit limits.
const int32_t corners[] = {INT_MIN, INT_MIN + 1, -100, -40, -9, -8, -7, -3, -2, -1, 0, 1, 2,
                           4, 5, 6, 7, 8, 9, 40, 100, INT_MAX - 8, INT_MAX - 1, INT_MAX};
const int32_t sizes[] = {INT_MIN, -1, 0, 1, 2, 3, 5, 7, 8, 9, 16, 40, INT_MAX - 1, INT_MAX};

}  // namespace

TYPED_TEST(GridDraw, BlitsMatchThePerCellReferenceAtEveryAwkwardCorner)
{
    SURFACE_TWIN;
    // A small source, and one wider than a vector block so that the fast rows and their tails
    // both run.
    for (std::pair<int32_t, int32_t> widths : {std::pair{7, 8}, {37, 41}}) {
        const int32_t sw = widths.first, dw = widths.second;
        const Own source = make<R>(sw, 5, 11);
        std::mt19937 random(2024);
        const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
        const std::string printed = reported(S::error(), [&] {
            for (int round = 0; round < 5000; ++round) {
                const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners),
                              dy = pick(corners), w = pick(sizes), h = pick(sizes);
                for (const Family<R> &f : families<R>()) {
                    Own fast = make<R>(dw, 6, round), slow = make<R>(dw, 6, round);
                    f.blit(source.get(), fast.get(), sx, sy, dx, dy, w, h);
                    referenceBlit(source.get(), slow.get(), sx, sy, dx, dy, w, h, f.rule);
                    ASSERT_EQ(cellsOf(fast), cellsOf(slow))
                        << f.name << " sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy
                        << " w " << w << " h " << h;
                }
            }
        });
        EXPECT_EQ(printed, "") << "clipping is not an error";
    }
}

TYPED_TEST(GridDraw, BlitsAtSmallCornersExhaustively)
{
    SURFACE_TWIN;
    const Own source = make<R>(5, 4, 3);
    for (int32_t sx = -6; sx <= 6; ++sx)
        for (int32_t dx = -7; dx <= 7; ++dx)
            for (int32_t w = -1; w <= 8; ++w)
                for (const Family<R> &f : families<R>()) {
                    const int32_t sy = sx / 2, dy = -dx / 2, h = 8 - w;
                    Own fast = make<R>(6, 5, 9), slow = make<R>(6, 5, 9);
                    f.blit(source.get(), fast.get(), sx, sy, dx, dy, w, h);
                    referenceBlit(source.get(), slow.get(), sx, sy, dx, dy, w, h, f.rule);
                    ASSERT_EQ(cellsOf(fast), cellsOf(slow)) << f.name << " sx " << sx << " dx " << dx << " w " << w;
                }
}

TYPED_TEST(GridDraw, LongPackedWalksMatchTheReference)
{
    SURFACE_TWIN;
    // Whole records with packed rows go through one long walk (and wide vectors where the
    // processor has them); an odd size leaves a tail.
    for (auto [w, h] : {std::pair{64, 40}, {67, 40}, {256, 7}, {1001, 7}}) {
        for (const Family<R> &f : families<R>()) {
            const Own source = make<R>(w, h, 31);
            Own fast = make<R>(w, h, 32), slow = make<R>(w, h, 32);
            f.blit(source.get(), fast.get(), 0, 0, 0, 0, w, h);
            referenceBlit(source.get(), slow.get(), 0, 0, 0, 0, w, h, f.rule);
            EXPECT_EQ(cellsOf(fast), cellsOf(slow)) << f.name << " " << w;
        }
        const Own mask = make<R>(w, h, 3);
        Own anded = make<R>(w, h, 2);
        std::vector<Cell> want = cellsOf(anded);
        for (size_t k = 0; k < want.size(); ++k) want[k] &= S::cells(mask.get())[k];
        S::And(mask.get(), anded.get());
        EXPECT_EQ(cellsOf(anded), want) << w;
    }
}

TYPED_TEST(GridDraw, BlitDocumentedCases)
{
    SURFACE_TWIN;
    Own zero = blank<R>(16, 16), target = make<R>(16, 16, 5);
    const std::vector<Cell> before = cellsOf(target);
    S::BlitKeyed(zero.get(), target.get(), 0, 0, 0, 0, 16, 16);
    EXPECT_EQ(cellsOf(target), before) << "a keyed copy of 0 changes nothing";
    S::Blit(zero.get(), target.get(), 0, 0, 2, 3, 4, 5);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x) {
            const bool inBlock = x >= 2 && x < 6 && y >= 3 && y < 8;
            EXPECT_EQ(S::GetPixel(target.get(), x, y), inBlock ? 0 : before[x + y * 16]);
        }

    // 0 keeps the cell under a keyed copy and is copied by an opaque one.
    Own four = blank<R>(4, 1), keyed = blank<R>(4, 1), opaque = blank<R>(4, 1);
    const Cell cells[] = {5, 0, 7, 9};
    std::copy(cells, cells + 4, S::cells(four.get()));
    std::fill_n(S::cells(keyed.get()), 4, 3);
    std::fill_n(S::cells(opaque.get()), 4, 3);
    S::BlitKeyed(four.get(), keyed.get(), 0, 0, 0, 0, 4, 1);
    S::Blit(four.get(), opaque.get(), 0, 0, 0, 0, 4, 1);
    EXPECT_EQ(cellsOf(keyed), (std::vector<Cell>{5, 3, 7, 9}));
    EXPECT_EQ(cellsOf(opaque), (std::vector<Cell>{5, 0, 7, 9}));

    // Destination x = -3: source columns 0..2 are cut, column 3 lands at column 0.
    Own source = make<R>(8, 1, 7), row = blank<R>(8, 1);
    S::Blit(source.get(), row.get(), 0, 0, -3, 0, 8, 1);
    EXPECT_EQ(S::GetPixel(row.get(), 0, 0), S::GetPixel(source.get(), 3, 0));
    EXPECT_EQ(S::GetPixel(row.get(), 4, 0), S::GetPixel(source.get(), 7, 0));
    EXPECT_EQ(S::GetPixel(row.get(), 5, 0), 0u);
    // Source x = -2: the block starts at source column 0 and lands two columns right, two
    // columns narrower.
    S::Clear(row.get());
    S::Blit(source.get(), row.get(), -2, 0, 1, 0, 4, 1);
    std::vector<Cell> want(8, 0);
    want[3] = S::GetPixel(source.get(), 0, 0);
    want[4] = S::GetPixel(source.get(), 1, 0);
    EXPECT_EQ(cellsOf(row), want);

    // dx + w = 0 or -1 and dx = width draw nothing and report nothing.
    S::Clear(row.get());
    EXPECT_EQ(reported(S::error(), [&] {
                  S::Blit(source.get(), row.get(), 0, 0, -4, 0, 4, 1);
                  S::Blit(source.get(), row.get(), 0, 0, -5, 0, 4, 1);
                  S::Blit(source.get(), row.get(), 0, 0, 8, 0, 4, 1);
              }),
              "");
    EXPECT_EQ(cellsOf(row), std::vector<Cell>(8, 0));
}

TYPED_TEST(GridDraw, SameRecordBlitsWalkFromTheTopLeft)
{
    SURFACE_TWIN;
    // Overlapping copies within one record give the plain top-left-first walk.
    for (int32_t shift = -3; shift <= 3; ++shift) {
        Own fast = make<R>(9, 7, 4), slow = make<R>(9, 7, 4);
        S::Blit(fast.get(), fast.get(), 1, 1, 1 + shift, 1 + shift / 2, 6, 5);
        Cell *p = S::cells(slow.get());
        for (int32_t j = 0; j < 5; ++j)
            for (int32_t i = 0; i < 6; ++i) {
                const int32_t x = 1 + shift + i, y = 1 + shift / 2 + j;
                if (x < 0 || x >= 9 || y < 0 || y >= 7) continue;
                p[x + y * 9] = p[1 + i + (1 + j) * 9];
            }
        EXPECT_EQ(cellsOf(fast), cellsOf(slow)) << "shift " << shift;
    }
}

TYPED_TEST(GridDraw, BlitsReportMissingRecords)
{
    SURFACE_TWIN;
    Own good = make<R>(4, 4), bare(S::New());
    std::free(S::cells(bare.get()));
    if constexpr (std::is_same_v<R, IMG>) bare->pixels = nullptr;
    else bare->data = nullptr;
    const std::vector<Cell> before = cellsOf(good);
    for (const Family<R> &f : families<R>()) {
        EXPECT_EQ(reported(S::error(), [&] { f.blit(nullptr, good.get(), 0, 0, 0, 0, 4, 4); }), S::line);
        EXPECT_EQ(reported(S::error(), [&] { f.blit(good.get(), nullptr, 0, 0, 0, 0, 4, 4); }), S::line);
        EXPECT_EQ(reported(S::error(), [&] { f.blit(bare.get(), good.get(), 0, 0, 0, 0, 4, 4); }), S::line);
    }
    EXPECT_EQ(cellsOf(good), before);
}

// Source cell (sx + i, sy + j) lands at (dx + i * stepX, dy + j * stepY) where it is not 0:
// in the image only where the whole stepX x stepY spot fits, in the map wherever the cell does.
TYPED_TEST(GridDraw, SpacedBlitPlacesCellsByTheRecordsRule)
{
    SURFACE_TWIN;
    const Own source = make<R>(5, 4, 21);
    std::mt19937 random(77);
    const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
    for (int round = 0; round < 3000; ++round) {
        const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners), dy = pick(corners);
        const int32_t w = int32_t(random() % 8), h = int32_t(random() % 8);
        const int32_t ex = 1 + int32_t(random() % 4), ey = 1 + int32_t(random() % 4);
        Own fast = make<R>(11, 9, round), slow = make<R>(11, 9, round);
        S::BlitSpaced(source.get(), fast.get(), sx, sy, dx, dy, w, h, ex, ey);
        const int64_t spotW = S::wholeSpots ? ex : 1, spotH = S::wholeSpots ? ey : 1;
        for (int64_t j = 0; j < h; ++j)
            for (int64_t i = 0; i < w; ++i) {
                const int64_t u = sx + i, v = sy + j, x = dx + i * ex, y = dy + j * ey;
                if (u < 0 || u >= 5 || v < 0 || v >= 4) continue;
                if (x < 0 || y < 0 || x + spotW > 11 || y + spotH > 9) continue;
                if (const Cell s = S::cells(source.get())[u + v * 5]) S::cells(slow.get())[x + y * 11] = s;
            }
        ASSERT_EQ(cellsOf(fast), cellsOf(slow))
            << "sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy << " steps " << ex << "," << ey;
    }
    Own target = make<R>(4, 4);
    for (std::pair<int32_t, int32_t> steps : {std::pair{0, 1}, {1, 0}})
        EXPECT_EQ(reported(S::error(), [&] { S::BlitSpaced(source.get(), target.get(), 0, 0, 0, 0, 2, 2, steps.first, steps.second); }),
                  S::line);
    EXPECT_EQ(reported(S::error(), [&] {
                  S::BlitSpaced(source.get(), target.get(), 0, 0, INT_MAX, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX);
              }),
              "");
    // Steps so far apart that no column lands: no row's address is even worked out.
    S::BlitSpaced(source.get(), target.get(), INT_MIN, 0, 0, 0, INT_MAX, 1, INT_MAX, 1);
    EXPECT_EQ(cellsOf(target), cellsOf(make<R>(4, 4)));
}

TYPED_TEST(GridDraw, BlendHalfCombinesEveryCoveredCellByTheRecordsRule)
{
    SURFACE_TWIN;
    Own white = blank<R>(1, 1), black = blank<R>(1, 1);
    S::cells(white.get())[0] = Cell(0x00FFFFFF);
    S::BlendHalf(white.get(), black.get(), 0, 0);
    EXPECT_EQ(S::cells(black.get())[0], Cell(0x007F7F7F));

    const Own source = make<R>(4, 3, 8);
    for (int32_t x : {INT_MIN, -4, -3, 0, 2, 5, 6, INT_MAX})
        for (int32_t y : {INT_MIN, -3, -1, 0, 4, 5, INT_MAX}) {
            Own fast = make<R>(6, 5, 2), slow = make<R>(6, 5, 2);
            EXPECT_EQ(reported(S::error(), [&] { S::BlendHalf(source.get(), fast.get(), x, y); }), "");
            referenceBlit(source.get(), slow.get(), 0, 0, x, y, 4, 3, S::blendHalf);
            ASSERT_EQ(cellsOf(fast), cellsOf(slow)) << x << "," << y;
        }
    EXPECT_EQ(reported(S::error(), [&] { S::BlendHalf(nullptr, black.get(), 0, 0); }), S::line);
}

TYPED_TEST(GridDraw, RowsAndColumnsWrapAndPlaceEachSourceCellOnce)
{
    SURFACE_TWIN;
    // Every pair of widths and offsets against "column (offset + i) mod width".
    for (int32_t sw : {1, 3, 5, 8, 10})
        for (int32_t dw : {1, 3, 4, 8})
            for (int32_t k : {INT_MIN, -9, -1, 0, 2, 3, 7, 8, 13, INT_MAX}) {
                const Own source = make<R>(sw, 2, sw), seed = make<R>(dw, 3, dw);
                Own keyed = make<R>(dw, 3, dw), ored = make<R>(dw, 3, dw);
                S::BlitRowWrap(source.get(), keyed.get(), 1, 2, k);
                S::OrRowWrap(source.get(), ored.get(), 1, 2, k);
                std::vector<Cell> wantKeyed = cellsOf(seed), wantOr = wantKeyed;
                const int32_t start = int32_t(((int64_t{k} % dw) + dw) % dw);
                for (int32_t i = 0; i < std::min(sw, dw); ++i) {
                    const Cell s = S::cells(source.get())[i + sw];
                    const int32_t at = 2 * dw + (start + i) % dw;
                    if (s) wantKeyed[at] = s;
                    wantOr[at] |= s;
                }
                EXPECT_EQ(cellsOf(keyed), wantKeyed) << sw << " " << dw << " " << k;
                EXPECT_EQ(cellsOf(ored), wantOr) << sw << " " << dw << " " << k;

                // The same with columns: transpose the shapes.
                const Own column = make<R>(2, sw, sw + 1);
                Own down = make<R>(3, dw, dw + 1);
                std::vector<Cell> wantDown = cellsOf(down);
                S::BlitColumnWrap(column.get(), down.get(), 1, 2, k);
                for (int32_t i = 0; i < std::min(sw, dw); ++i)
                    if (const Cell s = S::cells(column.get())[1 + i * 2]) wantDown[2 + ((start + i) % dw) * 3] = s;
                EXPECT_EQ(cellsOf(down), wantDown) << sw << " " << dw << " " << k;
            }

    // A 10-cell row into an 8-cell row at offset 5: cells 0..2 to 5..7, cells 3..7 to 0..4.
    Own ten = blank<R>(10, 1), eight = blank<R>(8, 1);
    for (int k = 0; k < 10; ++k) S::cells(ten.get())[k] = Cell(10 + k);
    S::BlitRowWrap(ten.get(), eight.get(), 0, 0, 5);
    EXPECT_EQ(cellsOf(eight), (std::vector<Cell>{13, 14, 15, 16, 17, 10, 11, 12}));

    // Offset -1 into a 256-wide row starts at column 255 and continues from column 0.
    Own source = blank<R>(3, 1), target = blank<R>(256, 1);
    S::cells(source.get())[0] = 1, S::cells(source.get())[1] = 2, S::cells(source.get())[2] = 3;
    S::BlitRowWrap(source.get(), target.get(), 0, 0, -1);
    EXPECT_EQ(S::cells(target.get())[255], 1u);
    EXPECT_EQ(S::cells(target.get())[0], 2u);
    EXPECT_EQ(S::cells(target.get())[1], 3u);

    for (auto call : {S::BlitRowWrap, S::OrRowWrap, S::BlitColumnWrap}) {
        for (std::pair<int32_t, int32_t> rows : {std::pair{5, 0}, {-1, 0}, {0, -1}})
            EXPECT_EQ(reported(S::error(), [&] { call(source.get(), target.get(), rows.first, rows.second, 0); }), S::line)
                << rows.first << "," << rows.second;
        EXPECT_EQ(reported(S::error(), [&] { call(nullptr, target.get(), 0, 0, 0); }), S::line);
        EXPECT_EQ(reported(S::error(), [&] { call(source.get(), nullptr, 0, 0, 0); }), S::line);
    }
    EXPECT_EQ(reported(S::error(), [&] { S::BlitColumnWrap(source.get(), target.get(), 0, 256, 0); }), S::line);

    // A destination without columns (or rows) takes nothing, and the offset is never divided
    // by its zero size.
    Own flat = blank<R>(0, 2), thin = blank<R>(2, 0);
    EXPECT_EQ(reported(S::error(), [&] {
                  S::BlitRowWrap(source.get(), flat.get(), 0, 1, 7);
                  S::OrRowWrap(source.get(), flat.get(), 0, 1, -7);
                  S::BlitColumnWrap(source.get(), thin.get(), 0, 1, 7);
              }),
              "");
}

TYPED_TEST(GridDraw, AndMasksEqualSizesOnly)
{
    SURFACE_TWIN;
    for (auto [w, h] : {std::pair{6, 4}, {33, 3}}) {
        const Own mask = make<R>(w, h, 1);
        Own target = make<R>(w, h, 2);
        std::vector<Cell> want = cellsOf(target);
        for (size_t k = 0; k < want.size(); ++k) want[k] &= S::cells(mask.get())[k];
        S::And(mask.get(), target.get());
        EXPECT_EQ(cellsOf(target), want);

        // A mask of another shape, larger or the same count transposed, is refused, and so is
        // the target as a mask for a larger record.
        const Own wide = make<R>(w + 2, h, 3), tall = make<R>(w, h + 1, 3), turned = make<R>(h, w, 3);
        for (const R *wrong : {wide.get(), tall.get(), turned.get()})
            EXPECT_EQ(reported(S::error(), [&] { S::And(wrong, target.get()); }), S::line);
        Own larger = make<R>(w + 2, h, 3);
        EXPECT_EQ(reported(S::error(), [&] { S::And(target.get(), larger.get()); }), S::line);
        EXPECT_EQ(cellsOf(target), want);
        S::And(target.get(), target.get());
        EXPECT_EQ(cellsOf(target), want);
        EXPECT_EQ(reported(S::error(), [&] { S::And(nullptr, target.get()); }), S::line);
        EXPECT_EQ(reported(S::error(), [&] { S::And(mask.get(), nullptr); }), S::line);
    }
}

TYPED_TEST(GridDraw, ScaleFitsEachOfTheFourCases)
{
    SURFACE_TWIN;
    // Both grow: 32 x 32 into 256 x 256 gives 8 x 8 blocks.
    const Own tile = make<R>(32, 32, 6);
    Own screen = blank<R>(256, 256);
    S::Scale(tile.get(), screen.get());
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            ASSERT_EQ(S::cells(screen.get())[x + y * 256], S::cells(tile.get())[x / 8 + (y / 8) * 32]) << x << "," << y;

    // Both shrink: halving takes (2x + 1, 2y + 1).
    const Own big = make<R>(256, 256, 7);
    Own half = blank<R>(128, 128);
    S::Scale(big.get(), half.get());
    for (int32_t y = 0; y < 128; ++y)
        for (int32_t x = 0; x < 128; ++x)
            ASSERT_EQ(S::cells(half.get())[x + y * 128], S::cells(big.get())[2 * x + 1 + (2 * y + 1) * 256]);

    // 3 -> 4 columns: the run table 2, 1, 1 repeats the first column; 7 -> 10: runs
    // 2, 1, 2, 1, 2, 1, 1; 10 -> 7: each destination cell takes the last source cell of its run.
    const Own three = make<R>(3, 1, 8);
    Own four = blank<R>(4, 1);
    S::Scale(three.get(), four.get());
    const Cell *t = S::cells(three.get());
    EXPECT_EQ(cellsOf(four), (std::vector<Cell>{t[0], t[0], t[1], t[2]}));
    Own seven = blank<R>(7, 1), ten = blank<R>(10, 1), back = blank<R>(7, 1);
    for (int k = 0; k < 7; ++k) S::cells(seven.get())[k] = Cell(k + 1);
    S::Scale(seven.get(), ten.get());
    EXPECT_EQ(cellsOf(ten), (std::vector<Cell>{1, 1, 2, 3, 3, 4, 5, 5, 6, 7}));
    S::Scale(ten.get(), back.get());
    EXPECT_EQ(cellsOf(back), (std::vector<Cell>{1, 2, 3, 4, 5, 6, 7}));

    // Width shrinks, height grows: 4 x 2 into 2 x 4 takes columns 1 and 3, each row twice.
    const Own wide = make<R>(4, 2, 9);
    Own narrow = blank<R>(2, 4);
    S::Scale(wide.get(), narrow.get());
    const Cell *w = S::cells(wide.get());
    EXPECT_EQ(cellsOf(narrow), (std::vector<Cell>{w[1], w[3], w[1], w[3], w[5], w[7], w[5], w[7]}));

    // Width grows, height shrinks: 2 x 4 into 4 x 2 takes the first row of each run; both
    // shrinking takes the last.
    const Own upright = make<R>(2, 4, 10);
    Own flat = blank<R>(4, 2), thin = blank<R>(1, 2);
    S::Scale(upright.get(), flat.get());
    S::Scale(upright.get(), thin.get());
    const Cell *u = S::cells(upright.get());
    EXPECT_EQ(cellsOf(flat), (std::vector<Cell>{u[0], u[0], u[1], u[1], u[4], u[4], u[5], u[5]}));
    EXPECT_EQ(cellsOf(thin), (std::vector<Cell>{u[3], u[7]}));

    // Same size copies; the record onto itself stays; empty destinations draw nothing.
    Own copy = blank<R>(32, 32);
    S::Scale(tile.get(), copy.get());
    EXPECT_EQ(S::Equal(tile.get(), copy.get()), 1);
    S::Scale(copy.get(), copy.get());
    EXPECT_EQ(S::Equal(tile.get(), copy.get()), 1);
    Own empty = blank<R>(0, 5);
    EXPECT_EQ(reported(S::error(), [&] { S::Scale(tile.get(), empty.get()); }), "");
    EXPECT_EQ(reported(S::error(), [&] { S::Scale(nullptr, copy.get()); }), S::line);
    EXPECT_EQ(reported(S::error(), [&] { S::Scale(tile.get(), nullptr); }), S::line);
    copy->width = -1;
    EXPECT_EQ(reported(S::error(), [&] { S::Scale(tile.get(), copy.get()); }), S::line);
    copy->width = 32;
    copy->height = -1;
    EXPECT_EQ(reported(S::error(), [&] { S::Scale(tile.get(), copy.get()); }), S::line);
    copy->height = 32;
}

TYPED_TEST(GridDraw, RotateSizesAndSamplesBySineTable)
{
    SURFACE_TWIN;
    for (auto [side, angle, turned] : {std::tuple{100, 0, 141}, {256, 5, 361}, {16, 0, 22}}) {
        const Own square = make<R>(side, side, 3);
        R *out = S::Rotate(square.get(), angle);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(out->width, turned);
        EXPECT_EQ(out->height, turned);
        S::Free(&out);
    }

    // Each cell against the documented sampling rule, for a few angles including extremes.
    const Own source = make<R>(9, 7, 12);
    for (int32_t angle : {0, 1, 100, 256, 700, 1024, -300, INT_MIN, INT_MAX}) {
        R *out = S::Rotate(source.get(), angle);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(out->width, 12);
        ASSERT_EQ(out->height, 9);
        const int32_t sn = SINTAB[((-int64_t{angle}) % 1024 + 1024) % 1024];
        const int32_t cs = SINTAB[((-int64_t{angle} - 256) % 1024 + 1024) % 1024];
        for (int32_t y = 0; y < 9; ++y)
            for (int32_t x = 0; x < 12; ++x) {
                const int32_t u = (((x - 6) * cs) >> 15) - (((y - 4) * sn) >> 15) + 4;
                const int32_t v = (((x - 6) * sn) >> 15) + (((y - 4) * cs) >> 15) + 3;
                ASSERT_EQ(S::cells(out)[x + y * 12], S::GetPixel(source.get(), u, v))
                    << "angle " << angle << " at " << x << "," << y;
            }
        S::Free(&out);
    }

    // Angle 0 reads the table's cosine slot at -256, which is -32766: a half turn, so the
    // centre stays and its neighbours swap sides; 1024 is a full turn.
    const Own map = make<R>(16, 16, 3);
    R *turned = S::Rotate(map.get(), 0), *full = S::Rotate(map.get(), 1024);
    EXPECT_EQ(S::cells(turned)[11 + 11 * 22], S::cells(map.get())[8 + 8 * 16]);
    EXPECT_EQ(S::cells(turned)[12 + 11 * 22], S::cells(map.get())[7 + 8 * 16]);
    EXPECT_EQ(S::cells(turned)[0], 0u) << "corners fall outside the source";
    EXPECT_EQ(S::Equal(turned, full), 1);
    S::Free(&full);
    S::Free(&turned);

    R *result = source.get();
    EXPECT_EQ(reported(S::error(), [&] { result = S::Rotate(nullptr, 0); }), S::line);
    EXPECT_EQ(result, nullptr);
    // A side whose rotated size does not fit 32 bits is refused before anything is made.
    Cell cell = 0;
    R wide = {};
    wide.width = INT_MAX;
    wide.height = 1;
    if constexpr (std::is_same_v<R, IMG>) wide.pixels = &cell;
    else wide.data = &cell;
    result = source.get();
    EXPECT_EQ(reported(S::error(), [&] { result = S::Rotate(&wide, 0); }), S::line);
    EXPECT_EQ(result, nullptr);
}

TYPED_TEST(GridDraw, BoxesFitWhollyInsideOrAreRefused)
{
    SURFACE_TWIN;
    Own record = blank<R>(8, 6);
    S::FillBox(record.get(), 2, 1, 3, 2, 0xFF00FF07u);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(S::GetPixel(record.get(), x, y), x >= 2 && x < 5 && y >= 1 && y < 3 ? Cell(0xFF00FF07u) : 0u)
                << "stored by the record's rule";

    S::Clear(record.get());
    S::Box(record.get(), 1, 1, 4, 3, 7);
    const char *want[] = {"........", ".####...", ".#..#...", ".####...", "........", "........"};
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            EXPECT_EQ(S::GetPixel(record.get(), x, y), want[y][x] == '#' ? 7u : 0u) << x << "," << y;
    S::FillBox(record.get(), 0, 0, 8, 6, 9);  // the whole record
    EXPECT_EQ(cellsOf(record), std::vector<Cell>(48, 9));

    const std::vector<Cell> before = cellsOf(record);
    const int32_t refused[][4] = {{4, 0, 5, 1}, {5, 1, 4, 2}, {0, 3, 1, 4}, {-1, 0, 2, 2}, {-1, 0, 2, 1},
                                  {0, 0, 0, 1}, {0, 0, 1, -1}, {8, 0, 1, 1}, {1, 1, INT_MAX, 1},
                                  {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, 0, INT_MAX, 1}};
    for (const auto &b : refused) {
        EXPECT_EQ(reported(S::error(), [&] { S::FillBox(record.get(), b[0], b[1], b[2], b[3], 1); }), S::line);
        EXPECT_EQ(reported(S::error(), [&] { S::Box(record.get(), b[0], b[1], b[2], b[3], 1); }), S::line);
    }
    EXPECT_EQ(cellsOf(record), before);
    EXPECT_EQ(reported(S::error(), [&] { S::FillBox(nullptr, 0, 0, 1, 1, 1); }), S::line);
    EXPECT_EQ(reported(S::error(), [&] { S::Box(nullptr, 0, 0, 1, 1, 1); }), S::line);
}

TYPED_TEST(GridDraw, CirclePlotsFourQuarterTurnsOfPoints)
{
    SURFACE_TWIN;
    Own record = blank<R>(40, 40);
    S::Circle(record.get(), 20, 20, 10, 5);
    int count = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x)
            if (S::cells(record.get())[x + y * 40]) {
                ++count;
                // The right half sits one column left of the mirror of the left half.
                EXPECT_EQ(S::GetPixel(record.get(), 39 - x, y), 5u) << x << "," << y;
                EXPECT_EQ(S::GetPixel(record.get(), x, 40 - y), 5u) << x << "," << y;
            }
    EXPECT_GT(count, 40);
    // 10 * 32766 >> 15 is 9: the widest points are (cx + 9 - 1, cy) and (cx - 9, cy).
    EXPECT_EQ(S::GetPixel(record.get(), 28, 20), 5u);
    EXPECT_EQ(S::GetPixel(record.get(), 11, 20), 5u);
    EXPECT_EQ(S::GetPixel(record.get(), 29, 20), 0u);

    // Radius 1 gives two points; a huge radius puts every point far outside: nothing drawn,
    // nothing overflows.
    S::Clear(record.get());
    S::Circle(record.get(), 5, 5, 1, 3);
    std::vector<Cell> want(1600, 0);
    want[4 + 5 * 40] = want[5 + 5 * 40] = 3;
    EXPECT_EQ(cellsOf(record), want);
    S::Circle(record.get(), 5, 5, INT_MAX, 3);
    S::Circle(record.get(), 0, 0, INT_MAX, 3);
    EXPECT_EQ(cellsOf(record), want);
    // 4 * 32766 >> 15 is 3: (cx, cy + 3) and its left neighbour.
    S::Circle(record.get(), 5, 5, 4, 2);
    EXPECT_EQ(S::GetPixel(record.get(), 5, 8), 2u);
    EXPECT_EQ(S::GetPixel(record.get(), 4, 8), 2u);
    for (auto args : {std::vector<int32_t>{5, 5, 0}, {-1, 5, 3}, {5, 40, 3}, {40, 5, 3}})
        EXPECT_EQ(reported(S::error(), [&] { S::Circle(record.get(), args[0], args[1], args[2], 1); }), S::line);
}

TYPED_TEST(GridDraw, RunTableSpreadsTheLargerSizeOverTheSmaller)
{
    SURFACE_TWIN;
    const auto table = [](int32_t a, int32_t b, int n) {
        int32_t *t = S::RunTable(a, b);
        std::vector<int32_t> out(t, t + n);
        std::free(t);
        return out;
    };
    EXPECT_EQ(table(3, 4, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(4, 3, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(-3, -4, 4), (std::vector<int32_t>{2, 1, 1, 1}));
    EXPECT_EQ(table(2, 4, 3), (std::vector<int32_t>{2, 2, 1}));
    EXPECT_EQ(table(-10, 7, 8), (std::vector<int32_t>{2, 1, 2, 1, 2, 1, 1, 1}));
    EXPECT_EQ(table(128, 256, 129).back(), 1);
    EXPECT_EQ(table(128, 256, 128), std::vector<int32_t>(128, 2));
    std::vector<int32_t> eights(32, 8);
    eights.push_back(1);
    EXPECT_EQ(table(32, 256, 33), eights);
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
    EXPECT_EQ(reported(S::error(), [&] { none = S::RunTable(3, INT_MIN); }), S::line);
    EXPECT_EQ(none, nullptr);
}

TYPED_TEST(GridDraw, LinePointsStepAlongTheLongerAxis)
{
    SURFACE_TWIN;
    const auto points = [](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        int32_t *p = S::LinePoints(x0, y0, x1, y1);
        std::vector<int32_t> out(p, p + p[0] + 1);
        std::free(p);
        return out;
    };
    EXPECT_EQ(points(0, 0, 3, 1), (std::vector<int32_t>{8, 0, 0, 1, 1, 2, 1, 3, 1}));
    EXPECT_EQ(points(0, 0, 1, 3), (std::vector<int32_t>{8, 0, 0, 1, 1, 1, 2, 1, 3}));
    EXPECT_EQ(points(3, 1, 0, 0), (std::vector<int32_t>{8, 3, 1, 2, 0, 1, 0, 0, 0}));
    EXPECT_EQ(points(2, 2, 4, 4), (std::vector<int32_t>{6, 2, 2, 3, 3, 4, 4}));
    EXPECT_EQ(points(0, 0, -2, 5), (std::vector<int32_t>{12, 0, 0, -1, 1, -1, 2, -1, 3, -2, 4, -2, 5}));
    EXPECT_EQ(points(5, -5, 5, -5), (std::vector<int32_t>{2, 5, -5}));
    EXPECT_EQ(points(INT_MAX - 2, INT_MIN, INT_MAX, INT_MIN + 1),
              (std::vector<int32_t>{6, INT_MAX - 2, INT_MIN, INT_MAX - 1, INT_MIN + 1, INT_MAX, INT_MIN + 1}));
    // A line across the whole 32-bit range has more points than element 0 can count.
    for (auto a : {std::vector<int32_t>{INT_MIN, 0, INT_MAX, 0}, {0, INT_MIN, 0, INT_MAX}}) {
        int32_t *none = nullptr;
        EXPECT_EQ(reported(S::error(), [&] { none = S::LinePoints(a[0], a[1], a[2], a[3]); }), S::line);
        EXPECT_EQ(none, nullptr);
    }

    // Every line with both ends in a 9 x 9 box against the closed form: with n the longer
    // distance and d the shorter, point k moves k cells along the longer axis and
    // min(d, (k * d + (n + 1) / 2) / n) along the shorter (none at k = 0). Every line ends on
    // its end point, the one-step straight lines included.
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
        ASSERT_EQ(points(x0, y0, x1, y1), want) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
}
