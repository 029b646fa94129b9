// The byte map's own drawing, beside what it shares with the image (test_grid_draw.cpp): the
// whole-map arithmetic, the blend's 0, the expansion through a colour table, the clipped fill,
// and the spans and lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
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

}  // namespace

TEST(BYTEMAPArithmetic, LongWalksMatchTheCellByCellRules)
{
    // Whole maps go through one long walk (wide vectors where present); 1001 x 7 leaves a tail.
    for (int32_t w : {256, 1001}) {
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

TEST(BYTEMAPBlendHalf, BlendsZeroToo)
{
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

TEST(BYTEMAPBoxes, ClippedFills)
{
    // The box the strict fill refuses (x + w = width + 1) is clipped instead.
    Map map(BYTEMAPNew());
    BYTEMAPResize(map.get(), 6, 4);
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

}

TEST(BYTEMAPLines, SpansAndLines)
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
