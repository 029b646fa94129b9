// Byte-map drawing: copies against a slow per-cell reference at the awkward corners
// (INT_MIN/INT_MAX included), and the fills, lines, circles, resampling, rotation, table
// expansion and whole-map arithmetic from their documented cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/list.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using Map = std::unique_ptr<BYTEMAP, support::Freeing<BYTEMAP, BYTEMAPFree>>;

// A w x h map whose cells follow `seed`; about one in four is 0.
Map makeMap(int32_t w, int32_t h, uint32_t seed = 1)
{
    Map map(BYTEMAPNew());
    BYTEMAPResize(map.get(), w, h);
    std::mt19937 random(seed);
    for (int32_t k = 0; k < w * h; ++k) map->data[k] = random() % 4 == 0 ? 0 : uint8_t(random());
    return map;
}

// A map drawn from text, one string per row: '.' is 0, '#' is 1.
std::vector<std::string> picture(const BYTEMAP *map)
{
    std::vector<std::string> rows;
    for (int32_t y = 0; y < map->height; ++y) {
        std::string row;
        for (int32_t x = 0; x < map->width; ++x) row += map->data[x + y * map->width] ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

std::vector<uint8_t> cellsOf(const BYTEMAP *map) { return support::surface::contents(map); }

using Rule = std::function<uint8_t(uint8_t d, uint8_t s)>;

using support::surface::referenceBlit;

const int32_t corners[] = {INT_MIN, INT_MIN + 1, -40, -9, -8, -3, -2, -1, 0, 1, 2,
                           5, 6, 7, 8, 9, 40, INT_MAX - 8, INT_MAX - 1, INT_MAX};
const int32_t sizes[] = {INT_MIN, -1, 0, 1, 2, 3, 7, 8, 9, 40, INT_MAX - 1, INT_MAX};

}  // namespace

TEST(BYTEMAPBlit, MatchesThePerCellReferenceAtEveryAwkwardCorner)
{
    using Blit = void (*)(const BYTEMAP *, BYTEMAP *, int32_t, int32_t, int32_t, int32_t,
                          int32_t, int32_t);
    const std::pair<Blit, Rule> families[] = {
        {BYTEMAPBlitKeyed, [](uint8_t d, uint8_t s) { return s ? s : d; }},
        {BYTEMAPBlit, [](uint8_t, uint8_t s) { return s; }},
    };
    // Sources wider than a vector block, so that the fast rows and their tails both run.
    const Map source = makeMap(37, 5, 11);
    std::mt19937 random(99);
    const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
    const std::string printed = reported(BYTEMAPError, [&] {
        for (int round = 0; round < 5000; ++round) {
            const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners),
                          dy = pick(corners), w = pick(sizes), h = pick(sizes);
            for (const auto &[blit, rule] : families) {
                Map fast = makeMap(41, 6, round), slow = makeMap(41, 6, round);
                blit(source.get(), fast.get(), sx, sy, dx, dy, w, h);
                referenceBlit(source.get(), slow.get(), sx, sy, dx, dy, w, h, rule);
                ASSERT_EQ(cellsOf(fast.get()), cellsOf(slow.get()))
                    << "sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy << " w " << w
                    << " h " << h;
            }
        }
    });
    EXPECT_EQ(printed, "") << "clipping is not an error";
}

TEST(BYTEMAPBlit, LongPackedWalksMatchTheReference)
{
    // Whole maps go through one long walk (wide vectors where present); 1001 x 7 leaves a tail.
    for (int32_t w : {256, 1001}) {
        const Map source = makeMap(w, 7, 1), mask = makeMap(w, 7, 3);
        Map keyed = makeMap(w, 7, 2), opaque = makeMap(w, 7, 2), anded = makeMap(w, 7, 2);
        Map slowKeyed = makeMap(w, 7, 2), slowOpaque = makeMap(w, 7, 2);
        std::vector<uint8_t> wantAnd = cellsOf(anded.get());
        for (size_t k = 0; k < wantAnd.size(); ++k) wantAnd[k] &= mask->data[k];
        BYTEMAPBlitKeyed(source.get(), keyed.get(), 0, 0, 0, 0, w, 7);
        BYTEMAPBlit(source.get(), opaque.get(), 0, 0, 0, 0, w, 7);
        BYTEMAPAnd(mask.get(), anded.get());
        referenceBlit(source.get(), slowKeyed.get(), 0, 0, 0, 0, w, 7,
                      [](uint8_t d, uint8_t s) { return s ? s : d; });
        referenceBlit(source.get(), slowOpaque.get(), 0, 0, 0, 0, w, 7, [](uint8_t, uint8_t s) { return s; });
        EXPECT_EQ(cellsOf(keyed.get()), cellsOf(slowKeyed.get())) << w;
        EXPECT_EQ(cellsOf(opaque.get()), cellsOf(slowOpaque.get())) << w;
        EXPECT_EQ(cellsOf(anded.get()), wantAnd) << w;

        // Whole-map arithmetic against cell-by-cell rules.
        Map map = makeMap(w, 7, 4);
        std::vector<uint8_t> want = cellsOf(map.get());
        BYTEMAPReplace(map.get(), want[5], 1);
        BYTEMAPAdd(map.get(), 200);
        BYTEMAPSubtract(map.get(), 50);
        BYTEMAPInvert(map.get());
        const uint8_t from = want[5];
        for (uint8_t &c : want) {
            c = uint8_t((c == from ? 1 : c) + 200);
            c = uint8_t(255 - (c > 50 ? c - 50 : 0));
        }
        EXPECT_EQ(cellsOf(map.get()), want) << w;
    }
}

TEST(BYTEMAPBlit, DocumentedCases)
{
    Map source(BYTEMAPNew()), keyed(BYTEMAPNew()), opaque(BYTEMAPNew());
    for (BYTEMAP *m : {source.get(), keyed.get(), opaque.get()}) BYTEMAPResize(m, 4, 1);
    const uint8_t cells[] = {5, 0, 7, 9};
    std::copy(cells, cells + 4, source->data);
    std::fill_n(keyed->data, 4, 3);
    std::fill_n(opaque->data, 4, 3);
    BYTEMAPBlitKeyed(source.get(), keyed.get(), 0, 0, 0, 0, 4, 1);
    BYTEMAPBlit(source.get(), opaque.get(), 0, 0, 0, 0, 4, 1);
    EXPECT_EQ(cellsOf(keyed.get()), (std::vector<uint8_t>{5, 3, 7, 9})) << "0 keeps the cell under it";
    EXPECT_EQ(cellsOf(opaque.get()), (std::vector<uint8_t>{5, 0, 7, 9}));

    // sx = -2: destination column dx + 2 receives source column 0, two columns narrower.
    Map row(BYTEMAPNew());
    BYTEMAPResize(row.get(), 8, 1);
    BYTEMAPBlit(source.get(), row.get(), -2, 0, 1, 0, 4, 1);
    EXPECT_EQ(cellsOf(row.get()), (std::vector<uint8_t>{0, 0, 0, 5, 0, 0, 0, 0}));

    BYTEMAPClear(row.get());
    EXPECT_EQ(reported(BYTEMAPError, [&] {
                  BYTEMAPBlit(source.get(), row.get(), 0, 0, 8, 0, 4, 1);   // dx = width
                  BYTEMAPBlit(source.get(), row.get(), 0, 0, -5, 0, 4, 1);  // dx + w = -1
                  BYTEMAPBlit(source.get(), row.get(), 0, 0, -4, 0, 4, 1);  // dx + w = 0
              }),
              "");
    EXPECT_EQ(cellsOf(row.get()), std::vector<uint8_t>(8, 0));
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPBlit(nullptr, row.get(), 0, 0, 0, 0, 1, 1); }),
              "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPBlitKeyed(row.get(), nullptr, 0, 0, 0, 0, 1, 1); }),
              "BYTEMAP error\n");
}

TEST(BYTEMAPBlitSpaced, DropsCellsOutsideTheDestination)
{
    const Map source = makeMap(5, 4, 21);
    std::mt19937 random(5);
    const auto pick = [&](const auto &set) { return set[random() % std::size(set)]; };
    for (int round = 0; round < 3000; ++round) {
        const int32_t sx = pick(corners), sy = pick(corners), dx = pick(corners),
                      dy = pick(corners);
        const int32_t w = int32_t(random() % 8), h = int32_t(random() % 8);
        const int32_t ex = 1 + int32_t(random() % 4), ey = 1 + int32_t(random() % 4);
        Map fast = makeMap(11, 9, round), slow = makeMap(11, 9, round);
        BYTEMAPBlitSpaced(source.get(), fast.get(), sx, sy, dx, dy, w, h, ex, ey);
        for (int64_t j = 0; j < h; ++j)
            for (int64_t i = 0; i < w; ++i) {
                const int64_t u = sx + i, v = sy + j, x = dx + i * ex, y = dy + j * ey;
                if (u < 0 || u >= 5 || v < 0 || v >= 4 || x < 0 || y < 0 || x >= 11 || y >= 9) continue;
                if (const uint8_t s = source->data[u + v * 5]) slow->data[x + y * 11] = s;
            }
        ASSERT_EQ(cellsOf(fast.get()), cellsOf(slow.get()))
            << "sx " << sx << " sy " << sy << " dx " << dx << " dy " << dy << " steps " << ex << "," << ey;
    }
    Map target = makeMap(4, 4);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPBlitSpaced(source.get(), target.get(), 0, 0, 0, 0, 2, 2, 1, 0); }),
              "BYTEMAP error\n");
}

TEST(BYTEMAPBlendHalf, AveragesEveryCoveredCell)
{
    const Map source = makeMap(4, 3, 8);
    for (int32_t x : {INT_MIN, -4, -3, 0, 2, 5, 6, INT_MAX})
        for (int32_t y : {INT_MIN, -3, -1, 0, 4, 5, INT_MAX}) {
            Map fast = makeMap(6, 5, 2), slow = makeMap(6, 5, 2);
            EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPBlendHalf(source.get(), fast.get(), x, y); }), "");
            referenceBlit(source.get(), slow.get(), 0, 0, x, y, 4, 3,
                          [](uint8_t d, uint8_t s) { return uint8_t((d + s) / 2); });
            ASSERT_EQ(cellsOf(fast.get()), cellsOf(slow.get())) << x << "," << y;
        }
    Map one(BYTEMAPNew()), two(BYTEMAPNew());
    BYTEMAPResize(one.get(), 1, 1);
    BYTEMAPResize(two.get(), 1, 1);
    one->data[0] = 255, two->data[0] = 0;
    BYTEMAPBlendHalf(one.get(), two.get(), 0, 0);
    EXPECT_EQ(two->data[0], 127);
    one->data[0] = 0;
    BYTEMAPBlendHalf(one.get(), two.get(), 0, 0);
    EXPECT_EQ(two->data[0], 63) << "0 is blended too";
}

TEST(BYTEMAPWrap, RowsAndColumnsWrap)
{
    // A 10-cell row into an 8-cell row at offset 5: cells 0..2 to 5..7, cells 3..7 to 0..4.
    Map source(BYTEMAPNew()), target(BYTEMAPNew());
    BYTEMAPResize(source.get(), 10, 1);
    BYTEMAPResize(target.get(), 8, 1);
    for (int k = 0; k < 10; ++k) source->data[k] = uint8_t(10 + k);
    BYTEMAPBlitRowWrap(source.get(), target.get(), 0, 0, 5);
    EXPECT_EQ(cellsOf(target.get()), (std::vector<uint8_t>{13, 14, 15, 16, 17, 10, 11, 12}));

    // Keyed and OR rows, and keyed columns, against "(offset + i) mod size".
    for (int32_t k : {INT_MIN, -9, -1, 0, 3, 8, INT_MAX}) {
        const Map row = makeMap(5, 1, 3), column = makeMap(1, 5, 4);
        Map keyed = makeMap(4, 2, 6), ored = makeMap(4, 2, 6), down = makeMap(3, 4, 7);
        std::vector<uint8_t> wantKeyed = cellsOf(keyed.get()), wantOr = wantKeyed, wantDown = cellsOf(down.get());
        BYTEMAPBlitRowWrap(row.get(), keyed.get(), 0, 1, k);
        BYTEMAPOrRowWrap(row.get(), ored.get(), 0, 1, k);
        BYTEMAPBlitColumnWrap(column.get(), down.get(), 0, 2, k);
        const int32_t start = int32_t(((int64_t{k} % 4) + 4) % 4);
        for (int32_t i = 0; i < 4; ++i) {
            const uint8_t s = row->data[i], c = column->data[i];
            if (s) wantKeyed[4 + (start + i) % 4] = s;
            wantOr[4 + (start + i) % 4] |= s;
            if (c) wantDown[2 + ((start + i) % 4) * 3] = c;
        }
        EXPECT_EQ(cellsOf(keyed.get()), wantKeyed) << k;
        EXPECT_EQ(cellsOf(ored.get()), wantOr) << k;
        EXPECT_EQ(cellsOf(down.get()), wantDown) << k;
    }
    for (auto call : {BYTEMAPBlitRowWrap, BYTEMAPOrRowWrap, BYTEMAPBlitColumnWrap}) {
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(source.get(), target.get(), 10, 0, 0); }), "BYTEMAP error\n");
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(source.get(), target.get(), 0, -1, 0); }), "BYTEMAP error\n");
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(source.get(), nullptr, 0, 0, 0); }), "BYTEMAP error\n");
    }
}

TEST(BYTEMAPAnd, MasksEqualSizesOnly)
{
    const Map mask = makeMap(33, 3, 1), other = makeMap(3, 33, 1);
    Map target = makeMap(33, 3, 2);
    std::vector<uint8_t> want = cellsOf(target.get());
    for (size_t k = 0; k < want.size(); ++k) want[k] &= mask->data[k];
    BYTEMAPAnd(mask.get(), target.get());
    EXPECT_EQ(cellsOf(target.get()), want);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPAnd(other.get(), target.get()); }), "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPAnd(nullptr, target.get()); }), "BYTEMAP error\n");
    EXPECT_EQ(cellsOf(target.get()), want);
}

TEST(BYTEMAPToIMG, ExpandsThroughTheColourTable)
{
    const Map map = makeMap(5, 3, 4);
    IMG *image = IMGNew();
    IMGResize(image, 5, 3);
    void *slots[256];
    for (uintptr_t k = 0; k < 256; ++k) slots[k] = reinterpret_cast<void *>(k * 0x010203u);
    LIST table = {256, 256, slots};
    BYTEMAPToIMG(map.get(), image, &table);
    for (int k = 0; k < 15; ++k) EXPECT_EQ(image->pixels[k], map->data[k] * 0x010203u);

    LIST small = {255, 255, slots};
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPToIMG(map.get(), image, &small); }), "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPToIMG(map.get(), image, nullptr); }), "BYTEMAP error\n");
    IMGResize(image, 3, 5);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPToIMG(map.get(), image, &table); }), "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPToIMG(map.get(), nullptr, &table); }), "BYTEMAP error\n");
    IMGFree(&image);
}

TEST(BYTEMAPScale, RepeatsOrPicksAlongEachAxis)
{
    // 7 -> 10 columns: runs 2, 1, 2, 1, 2, 1, 1.
    Map source(BYTEMAPNew()), wide(BYTEMAPNew());
    BYTEMAPResize(source.get(), 7, 1);
    BYTEMAPResize(wide.get(), 10, 1);
    for (int k = 0; k < 7; ++k) source->data[k] = uint8_t(k + 1);
    BYTEMAPScale(source.get(), wide.get());
    EXPECT_EQ(cellsOf(wide.get()), (std::vector<uint8_t>{1, 1, 2, 3, 3, 4, 5, 5, 6, 7}));
    // 10 -> 7: each destination cell takes the last source cell of its run.
    Map back(BYTEMAPNew());
    BYTEMAPResize(back.get(), 7, 1);
    BYTEMAPScale(wide.get(), back.get());
    EXPECT_EQ(cellsOf(back.get()), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7}));

    // Height shrinking while the width grows takes the first row of each run; otherwise the last.
    const Map tall = makeMap(2, 4, 9);
    Map flat(BYTEMAPNew()), thin(BYTEMAPNew());
    BYTEMAPResize(flat.get(), 4, 2);
    BYTEMAPResize(thin.get(), 1, 2);
    BYTEMAPScale(tall.get(), flat.get());
    BYTEMAPScale(tall.get(), thin.get());
    const uint8_t *t = tall->data;
    EXPECT_EQ(cellsOf(flat.get()), (std::vector<uint8_t>{t[0], t[0], t[1], t[1], t[4], t[4], t[5], t[5]}));
    EXPECT_EQ(cellsOf(thin.get()), (std::vector<uint8_t>{t[3], t[7]}));

    // A 32 x 32 map onto 256 x 256: 8 x 8 blocks.
    const Map tile = makeMap(32, 32, 5);
    Map screen(BYTEMAPNew());
    BYTEMAPResize(screen.get(), 256, 256);
    BYTEMAPScale(tile.get(), screen.get());
    for (int32_t y = 0; y < 256; y += 3)
        for (int32_t x = 0; x < 256; x += 5)
            ASSERT_EQ(screen->data[x + y * 256], tile->data[x / 8 + (y / 8) * 32]);

    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPScale(tile.get(), nullptr); }), "BYTEMAP error\n");
    screen->height = -1;
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPScale(tile.get(), screen.get()); }), "BYTEMAP error\n");
    screen->height = 256;
}

TEST(BYTEMAPRotate, MakesALargerMap)
{
    const Map map = makeMap(16, 16, 3);
    BYTEMAP *turned = BYTEMAPRotate(map.get(), 0);
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->width, 22);
    EXPECT_EQ(turned->height, 22);
    // Angle 0 reads the table's cosine slot at -256, which is -32766: a half turn, so the
    // centre stays and its neighbours swap sides.
    EXPECT_EQ(turned->data[11 + 11 * 22], map->data[8 + 8 * 16]);
    EXPECT_EQ(turned->data[12 + 11 * 22], map->data[7 + 8 * 16]);
    EXPECT_EQ(turned->data[0], 0) << "corners fall outside the source";
    BYTEMAP *full = BYTEMAPRotate(map.get(), 1024);
    EXPECT_EQ(BYTEMAPEqual(turned, full), 1) << "1024 is a full turn";
    BYTEMAPFree(&full);
    BYTEMAPFree(&turned);
    BYTEMAP *none = map.get();
    EXPECT_EQ(reported(BYTEMAPError, [&] { none = BYTEMAPRotate(nullptr, 3); }), "BYTEMAP error\n");
    EXPECT_EQ(none, nullptr);
}

TEST(BYTEMAPBoxes, StrictAndClippedFills)
{
    Map map(BYTEMAPNew());
    BYTEMAPResize(map.get(), 6, 4);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPFillBox(map.get(), 3, 1, 4, 2, 1); }), "BYTEMAP error\n");
    EXPECT_EQ(cellsOf(map.get()), std::vector<uint8_t>(24, 0)) << "x + w = width + 1 draws nothing";
    BYTEMAPFillBoxClipped(map.get(), 3, 1, 4, 2, 1);
    EXPECT_EQ(picture(map.get()), (std::vector<std::string>{"......", "...###", "...###", "......"}));

    BYTEMAPClear(map.get());
    BYTEMAPFillBoxClipped(map.get(), 2, 3, -3, -2, 0x101);  // corner moves to (-1, 1)
    EXPECT_EQ(picture(map.get()), (std::vector<std::string>{"......", "##....", "##....", "......"}));
    EXPECT_EQ(map->data[6], 1) << "the value's low byte";
    const std::vector<uint8_t> before = cellsOf(map.get());
    EXPECT_EQ(reported(BYTEMAPError, [&] {
                  BYTEMAPFillBoxClipped(map.get(), 6, 0, 2, 2, 9);
                  BYTEMAPFillBoxClipped(map.get(), INT_MAX, INT_MIN, INT_MAX, INT_MIN, 9);
                  BYTEMAPFillBoxClipped(map.get(), INT_MIN, 0, INT_MIN, 2, 9);
              }),
              "");
    EXPECT_EQ(cellsOf(map.get()), before);
    BYTEMAPFillBoxClipped(map.get(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0);  // reaches -1: nothing
    BYTEMAPFillBoxClipped(map.get(), -1, -1, INT_MAX, INT_MAX, 0);
    EXPECT_EQ(cellsOf(map.get()), std::vector<uint8_t>(24, 0));

    BYTEMAPBox(map.get(), 1, 0, 4, 3, 1);
    EXPECT_EQ(picture(map.get()), (std::vector<std::string>{".####.", ".#..#.", ".####.", "......"}));
    for (auto call : {BYTEMAPFillBox, BYTEMAPBox}) {
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(map.get(), 0, 0, 0, 1, 1); }), "BYTEMAP error\n");
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(map.get(), 1, 1, INT_MAX, 1, 1); }), "BYTEMAP error\n");
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(map.get(), -1, 0, 2, 1, 1); }), "BYTEMAP error\n");
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(nullptr, 0, 0, 1, 1, 1); }), "BYTEMAP error\n");
    }
}

TEST(BYTEMAPLines, SpansLinesAndCircles)
{
    Map map(BYTEMAPNew());
    BYTEMAPResize(map.get(), 6, 4);
    BYTEMAPHLine(map.get(), -3, 1, 5, 1);
    BYTEMAPVLine(map.get(), 5, 2, 100, 1);
    EXPECT_EQ(picture(map.get()), (std::vector<std::string>{"......", "###...", ".....#", ".....#"}));
    for (auto args : {std::vector<int32_t>{0, 4, 2}, {6, 0, 2}, {-3, 0, 2}, {INT_MIN, 0, INT_MAX}})
        EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPHLine(map.get(), args[0], args[1], args[2], 1); }),
                  "BYTEMAP error\n") << args[0] << " " << args[1] << " " << args[2];
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPVLine(map.get(), 6, 0, 2, 1); }), "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPVLine(map.get(), 0, -4, 3, 1); }), "BYTEMAP error\n");
    BYTEMAPClear(map.get());
    BYTEMAPHLine(map.get(), INT_MIN + 1, 0, INT_MAX, 1);  // ends at column 0
    BYTEMAPVLine(map.get(), 3, 1, INT_MAX, 1);
    EXPECT_EQ(picture(map.get()), (std::vector<std::string>{"#.....", "...#..", "...#..", "...#.."}));

    Map line(BYTEMAPNew());
    BYTEMAPResize(line.get(), 5, 3);
    BYTEMAPLine(line.get(), 0, 0, 4, 2, 1);
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{"#....", ".##..", "...#."}));
    BYTEMAPClear(line.get());
    BYTEMAPLine(line.get(), 4, 2, 0, 0, 1);  // the ends are ordered by column first
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{"#....", ".##..", "...#."}));
    BYTEMAPClear(line.get());
    BYTEMAPLine(line.get(), 1, 2, 2, -1, 1);  // steep, upwards: 1.5, 1.83, 2.17
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{"..#..", ".#...", ".#..."}));
    BYTEMAPClear(line.get());
    BYTEMAPLine(line.get(), 3, 1, 3, 1, 1);
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{".....", "...#.", "....."}));
    // Far ends: only the cells inside are visited, and nothing overflows.
    BYTEMAPClear(line.get());
    BYTEMAPLine(line.get(), INT_MIN, 1, INT_MAX, 1, 1);
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{".....", "#####", "....."}));
    BYTEMAPClear(line.get());
    BYTEMAPLine(line.get(), 2, INT_MIN, 2, INT_MAX, 1);
    EXPECT_EQ(picture(line.get()), (std::vector<std::string>{"..#..", "..#..", "..#.."}));
    for (auto a : {std::vector<int32_t>{-5, 0, -1, 2}, {5, 0, 9, 2}, {0, -1, 4, -3}, {0, 3, 4, 7}})
        EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPLine(line.get(), a[0], a[1], a[2], a[3], 1); }),
                  "BYTEMAP error\n");
    // Ends at the far edges of the 32-bit range draw what the same line from nearby ends draws
    // on a 16 x 16 map, and nothing overflows (UBSan watches).
    Map far(BYTEMAPNew()), near(BYTEMAPNew());
    for (auto a : {std::vector<int32_t>{0, INT_MAX, 0, 0, 0, 1000}, {0, INT_MIN, 0, 15, 0, -1000},
                   {INT_MAX, 3, 0, 3, 1000, 3}, {INT_MIN, 3, 15, 3, -1000, 3}}) {
        BYTEMAPClear(far.get());
        BYTEMAPClear(near.get());
        BYTEMAPLine(far.get(), a[0], a[1], a[2], a[3], 9);
        BYTEMAPLine(near.get(), a[4], a[5], a[2], a[3], 9);
        EXPECT_EQ(std::count(far->data, far->data + 256, 9), 15 + (a[0] == INT_MAX)) << a[0] << "," << a[1];
        EXPECT_EQ(cellsOf(far.get()), cellsOf(near.get())) << a[0] << "," << a[1];
    }
    BYTEMAPResize(far.get(), 5, 0);  // no rows: nothing to draw
    BYTEMAPLine(far.get(), 0, INT_MAX, 0, -1, 9);

    Map circle(BYTEMAPNew());
    BYTEMAPResize(circle.get(), 10, 10);
    BYTEMAPCircle(circle.get(), 5, 5, 1, 1);
    std::vector<uint8_t> want(100, 0);
    want[4 + 50] = want[5 + 50] = 1;
    EXPECT_EQ(cellsOf(circle.get()), want);
    BYTEMAPCircle(circle.get(), 5, 5, INT_MAX, 1);
    EXPECT_EQ(cellsOf(circle.get()), want);
    BYTEMAPCircle(circle.get(), 5, 5, 4, 2);
    EXPECT_EQ(circle->data[5 + 8 * 10], 2);  // 4 * 32766 >> 15 is 3: (cx, cy + 3)
    EXPECT_EQ(circle->data[4 + 8 * 10], 2);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPCircle(circle.get(), 5, 5, 0, 1); }), "BYTEMAP error\n");
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPCircle(circle.get(), 10, 5, 3, 1); }), "BYTEMAP error\n");
}

TEST(BYTEMAPArithmetic, WholeMapPasses)
{
    // 37 cells: a vector block and a tail.
    Map map = makeMap(37, 1, 4);
    map->data[3] = 250;
    std::vector<uint8_t> want = cellsOf(map.get());
    for (uint8_t &c : want) c = uint8_t(c + 10);
    BYTEMAPAdd(map.get(), 10 + 256);
    EXPECT_EQ(cellsOf(map.get()), want);
    EXPECT_EQ(map->data[3], 4) << "250 + 10 is 4";

    map->data[4] = want[4] = 7;
    BYTEMAPSubtract(map.get(), 10 + 512);
    EXPECT_EQ(map->data[4], 0) << "7 - 10 clamps at 0";
    for (size_t k = 0; k < want.size(); ++k) EXPECT_EQ(map->data[k], want[k] >= 10 ? want[k] - 10 : 0);

    BYTEMAPClear(map.get());
    map->data[0] = 3, map->data[36] = 3, map->data[20] = 4;
    BYTEMAPReplace(map.get(), 3 + 256, 9);
    EXPECT_EQ(map->data[0], 9);
    EXPECT_EQ(map->data[36], 9);
    EXPECT_EQ(map->data[20], 4);
    BYTEMAPInvert(map.get());
    EXPECT_EQ(map->data[0], 246);
    EXPECT_EQ(map->data[1], 255);

    Map table(BYTEMAPNew());  // 16 x 16 = 256 cells
    for (int k = 0; k < 256; ++k) table->data[k] = uint8_t(255 - k);
    BYTEMAPLookup(map.get(), table.get());
    EXPECT_EQ(map->data[0], 9);
    EXPECT_EQ(map->data[1], 0);
    BYTEMAPResize(table.get(), 15, 17);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPLookup(map.get(), table.get()); }), "BYTEMAP error\n");

    // One value of the generator per cell, from the last cell back.
    srandom(7);
    std::vector<uint8_t> drawn(37);
    for (size_t k = 37; k-- > 0;) drawn[k] = uint8_t(200 + (0x3F & random()));
    srandom(7);
    BYTEMAPRandom(map.get(), 200, 0x3F);
    EXPECT_EQ(cellsOf(map.get()), drawn);

    for (auto call : {+[](BYTEMAP *m) { BYTEMAPInvert(m); }, +[](BYTEMAP *m) { BYTEMAPAdd(m, 1); },
                      +[](BYTEMAP *m) { BYTEMAPSubtract(m, 1); }, +[](BYTEMAP *m) { BYTEMAPReplace(m, 1, 2); },
                      +[](BYTEMAP *m) { BYTEMAPRandom(m, 1, 2); }})
        EXPECT_EQ(reported(BYTEMAPError, [&] { call(nullptr); }), "BYTEMAP error\n");
}

TEST(BYTEMAPTables, RunsAndLinePoints)
{
    int32_t *runs = BYTEMAPRunTable(32, 256);
    ASSERT_NE(runs, nullptr);
    EXPECT_EQ(std::vector<int32_t>(runs, runs + 32), std::vector<int32_t>(32, 8));
    EXPECT_EQ(runs[32], 1);
    std::free(runs);
    runs = BYTEMAPRunTable(-10, 7);
    EXPECT_EQ(std::vector<int32_t>(runs, runs + 8), (std::vector<int32_t>{2, 1, 2, 1, 2, 1, 1, 1}));
    std::free(runs);
    runs = BYTEMAPRunTable(2, 4);
    EXPECT_EQ(std::vector<int32_t>(runs, runs + 3), (std::vector<int32_t>{2, 2, 1}));
    std::free(runs);

    int32_t *points = BYTEMAPLinePoints(0, 0, -2, 5);
    ASSERT_NE(points, nullptr);
    EXPECT_EQ(std::vector<int32_t>(points, points + 13),
              (std::vector<int32_t>{12, 0, 0, -1, 1, -1, 2, -1, 3, -2, 4, -2, 5}));
    std::free(points);
    EXPECT_EQ(reported(BYTEMAPError, [&] { points = BYTEMAPLinePoints(0, INT_MIN, 0, INT_MAX); }),
              "BYTEMAP error\n");
    EXPECT_EQ(points, nullptr);
}
