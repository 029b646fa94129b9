// BYTEMAP core: life cycle, cell access, copies, the text form, the PNM readers and the P5
// writer, and the guards' report line with their neutral results.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "gfx/bytemap.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using namespace std::string_literals;

using Map = support::Owned<BYTEMAP, BYTEMAPFree>;  // owns a record for the length of a test
using support::Text;
using support::readFile;
using support::writeFile;

std::string tempPath(const char *name) { return support::tempPath("kova_bytemap", name); }

BYTEMAP *fromPNM(const std::string &data) { return BYTEMAPFromPNM(data.data(), data.size()); }

BYTEMAP *loadPNM(const std::string &bytes)
{
    const std::string path = tempPath("load.pnm");
    writeFile(path, bytes);
    BYTEMAP *map = BYTEMAPLoadPNM(path.c_str());
    std::remove(path.c_str());
    return map;
}

BYTEMAP *randomMap(int32_t w, int32_t h, uint32_t seed)
{
    BYTEMAP *map = BYTEMAPNew();
    BYTEMAPResize(map, w, h);
    std::mt19937 rng(seed);
    for (int32_t i = 0; i < w * h; ++i) map->data[i] = uint8_t(rng());
    return map;
}

std::string cells(const BYTEMAP *map)
{
    return std::string(reinterpret_cast<const char *>(map->data), size_t(map->width * map->height));
}

}  // namespace

TEST(BytemapLife, NewResizeClearAndFree)
{
    BYTEMAP *map = BYTEMAPNew();
    ASSERT_TRUE(map);
    EXPECT_EQ(map->width, 16);
    EXPECT_EQ(map->height, 16);
    EXPECT_EQ(map->x, 0);
    EXPECT_EQ(map->y, 0);
    EXPECT_EQ(cells(map), std::string(256, '\0'));

    std::memset(map->data, 9, 256);
    BYTEMAPResize(map, 16, 16);
    EXPECT_EQ(cells(map), std::string(256, '\0')) << "same size, contents dropped";
    BYTEMAPResize(map, 5, 2);
    EXPECT_EQ(map->width, 5);
    EXPECT_EQ(map->height, 2);
    std::memset(map->data, 3, 10);
    BYTEMAPClear(map);
    EXPECT_EQ(cells(map), std::string(10, '\0'));

    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPResize(map, 4, -2); }), "BYTEMAP error\n");
    EXPECT_EQ(map->width, 5) << "a negative size changes nothing";

    BYTEMAPFree(&map);
    EXPECT_EQ(map, nullptr);
    EXPECT_EQ(reported(BYTEMAPError, [&] {
                  BYTEMAPFree(&map);
                  BYTEMAPFree(nullptr);
              }),
              "BYTEMAP error\nBYTEMAP error\n");
}

TEST(BytemapLife, ClearWritesExactlyItsCells)
{
    Map map(BYTEMAPNew());
    uint8_t storage[6 + 2] = {1, 2, 3, 4, 5, 6, 0xAA, 0xBB};
    uint8_t *own = map->data;
    map->data = storage;
    map->width = 2;
    map->height = 3;
    BYTEMAPClear(map);
    map->data = own;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(storage[i], 0) << i;
    EXPECT_EQ(storage[6], 0xAA);
    EXPECT_EQ(storage[7], 0xBB);
}

TEST(BytemapCells, GetAndPutInsideOnly)
{
    Map map(BYTEMAPNew());
    BYTEMAPResize(map, 4, 3);
    BYTEMAPPutPixel(map, 3, 2, 0x1FF);  // the low byte is stored
    BYTEMAPPutPixel(map, 1, 0, -2);
    EXPECT_EQ(map->data[2 * 4 + 3], 0xFF);
    EXPECT_EQ(BYTEMAPGetPixel(map, 3, 2), 0xFF);
    EXPECT_EQ(BYTEMAPGetPixel(map, 1, 0), 0xFE);

    const std::string quiet = reported(BYTEMAPError, [&] {
        for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT32_MAX, INT32_MIN}}) {
            EXPECT_EQ(BYTEMAPGetPixel(map, x, y), 0) << x << "," << y;
            BYTEMAPPutPixel(map, x, y, 7);
        }
    });
    EXPECT_EQ(quiet, "") << "cells outside are not an error";
    int set = 0;
    for (int i = 0; i < 12; ++i) set += map->data[i] != 0;
    EXPECT_EQ(set, 2);
}

TEST(BytemapCopies, CopyCopyToAndEqual)
{
    Map a(randomMap(2, 3, 1));
    a->x = 4;
    a->y = 5;
    Map b(BYTEMAPCopy(a));
    ASSERT_TRUE(b.p);
    EXPECT_EQ(b->x, 0);
    EXPECT_EQ(b->y, 0);
    EXPECT_EQ(BYTEMAPEqual(a, b), 1);
    b->data[5] ^= 0x80;
    EXPECT_EQ(reported(BYTEMAPError, [&] { EXPECT_EQ(BYTEMAPEqual(a, b), 0); }), "");
    BYTEMAPCopyTo(a, b);
    EXPECT_EQ(BYTEMAPEqual(a, b), 1);

    // A 3 x 2 map with the same six bytes is a different map.
    Map c(BYTEMAPNew());
    BYTEMAPResize(c, 3, 2);
    std::memcpy(c->data, a->data, 6);
    EXPECT_EQ(BYTEMAPEqual(a, c), 0);
    BYTEMAPClear(c);
    EXPECT_EQ(reported(BYTEMAPError, [&] { BYTEMAPCopyTo(a, c); }), "BYTEMAP error\n");
    EXPECT_EQ(cells(c), std::string(6, '\0')) << "destination unchanged";
}

TEST(BytemapGuards, NullMapsReportAndReturnNeutral)
{
    BYTEMAP *none = nullptr;
    Map map(BYTEMAPNew());
    BYTEMAP empty = {};  // a record without cells
    const std::string path = tempPath("guard.pgm");

    const std::string lines = reported(BYTEMAPError, [&] {
        BYTEMAPResize(none, 1, 1);
        BYTEMAPClear(none);
        BYTEMAPClear(&empty);
        EXPECT_EQ(BYTEMAPGetPixel(none, 0, 0), 0);
        EXPECT_EQ(BYTEMAPGetPixel(&empty, 0, 0), 0);
        BYTEMAPPutPixel(none, 0, 0, 1);
        BYTEMAPPutPixel(&empty, 0, 0, 1);
        EXPECT_EQ(BYTEMAPCopy(none), nullptr);
        EXPECT_EQ(BYTEMAPCopy(&empty), nullptr);
        BYTEMAPCopyTo(none, map);
        BYTEMAPCopyTo(map, &empty);
        EXPECT_EQ(BYTEMAPEqual(map, none), 0);
        EXPECT_EQ(BYTEMAPEqual(&empty, map), 0);
        EXPECT_EQ(BYTEMAPToASCII(none), nullptr);
        EXPECT_EQ(BYTEMAPToASCII(&empty), nullptr);
        EXPECT_EQ(BYTEMAPFromASCII(nullptr), nullptr);
        EXPECT_EQ(BYTEMAPLoadPNM(nullptr), nullptr);
        EXPECT_EQ(BYTEMAPFromPNM(nullptr), nullptr);
        EXPECT_EQ(BYTEMAPSavePGM(none, path.c_str()), 0);
        EXPECT_EQ(BYTEMAPSavePGM(&empty, path.c_str()), 0);
        EXPECT_EQ(BYTEMAPSavePGM(map, nullptr), 0);
    });
    std::string expected;
    for (int i = 0; i < 21; ++i) expected += "BYTEMAP error\n";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(readFile(path), "");
}

TEST(BytemapText, WritesTheP3Form)
{
    Map map(BYTEMAPNew());
    BYTEMAPResize(map, 0, 5);
    EXPECT_EQ(Text(BYTEMAPToASCII(map)).str(), "BYTEMAP{}");

    BYTEMAPResize(map, 2, 1);
    map->data[0] = 7;
    map->data[1] = 200;
    EXPECT_EQ(Text(BYTEMAPToASCII(map)).str(),
              "BYTEMAP{\nP3\n2 1\n255\n  7   7   7 200 200 200\n}\n");

    // Seven cells: one full line of six, then a line of one.
    BYTEMAPResize(map, 7, 1);
    map->data[6] = 1;
    std::string six;
    for (int i = 0; i < 18; ++i) six += i == 17 ? "  0\n" : "  0 ";
    EXPECT_EQ(Text(BYTEMAPToASCII(map)).str(),
              "BYTEMAP{\nP3\n7 1\n255\n" + six + "  1   1   1\n}\n");
}

TEST(BytemapText, RoundTripsAndReadsLooseText)
{
    for (auto [w, h] : {std::pair{1, 1}, {6, 1}, {7, 1}, {3, 7}, {40, 9}}) {
        Map map(randomMap(w, h, uint32_t(w * 31 + h)));
        Text text(BYTEMAPToASCII(map));
        Map back(BYTEMAPFromASCII(text.p));
        ASSERT_TRUE(back.p) << w << "x" << h;
        EXPECT_EQ(BYTEMAPEqual(map, back), 1) << w << "x" << h;
    }

    // The mean of the three numbers, modulo 256; text before the keyword is skipped.
    Map mean(BYTEMAPFromASCII("a map: BYTEMAP{\nP3\n3 1\n255\n1 2 4 300 300 300 255,255,254"));
    ASSERT_TRUE(mean.p);
    EXPECT_EQ(mean->width, 3);
    EXPECT_EQ(mean->data[0], 2);
    EXPECT_EQ(mean->data[1], 44);
    EXPECT_EQ(mean->data[2], 254);
    // Full 31-bit numbers do not overflow the mean.
    Map big(BYTEMAPFromASCII("BYTEMAP{\nP3\n1 1\n255\n2147483647 2147483647 2147483647}"));
    ASSERT_TRUE(big.p);
    EXPECT_EQ(big->data[0], uint8_t(2147483647));

    const char *bad[] = {
        "BYTEMAP{}",
        "BYTEMAP P3\n1 1\n255\n1 1 1",
        "IMG{\nP3\n1 1\n255\n1 1 1",
        "BYTEMAP{\nP3\n2 1\n255\n1 1 1 2 2",         // ends one number early
        "BYTEMAP{\nP3\n1 1\n255\n1 1 99999999999",  // overflows
        "BYTEMAP{\nP3\n20000 1\n255\n",               // beyond the side cap
        "BYTEMAP{\nP3\n16384 16384\n255\n0 0 0",      // far more than the text holds
    };
    for (const char *text : bad)
        EXPECT_EQ(reported(BYTEMAPError,
                           [&] { EXPECT_EQ(BYTEMAPFromASCII(text), nullptr) << text; }),
                  "BYTEMAP error\n")
            << text;
}

TEST(BytemapPNM, DecodesEveryFormatFromMemory)
{
    Map p1(fromPNM("P1\n# c\n4 1\n0190"));
    ASSERT_TRUE(p1.p);
    EXPECT_EQ(cells(p1), "\x00\xFF\xFF\x00"s) << "P1 keeps its width, digits unseparated";

    Map p2(fromPNM("P2\n3 1\n255\n300 0 255"));
    ASSERT_TRUE(p2.p);
    EXPECT_EQ(cells(p2), "\x2C\x00\xFF"s) << "300 is stored as 44";

    Map p3(fromPNM("P3\n2 1\n255\n255 255 254  1 2 4"));
    ASSERT_TRUE(p3.p);
    EXPECT_EQ(cells(p3), "\xFE\x02"s);

    Map p4(fromPNM("P4\n10 2\n\xA5\xC0\x01\x80"s));
    ASSERT_TRUE(p4.p);
    EXPECT_EQ(p4->width, 16) << "the row padding becomes cells";
    const char *bits = "1010010111000000" "0000000110000000";
    for (int i = 0; i < 32; ++i) EXPECT_EQ(p4->data[i], bits[i] == '1' ? 255 : 0) << i;

    Map p5(fromPNM("P5\n3 1\n255\n\x00\x80\xFF"s));
    ASSERT_TRUE(p5.p);
    EXPECT_EQ(cells(p5), "\x00\x80\xFF"s);

    Map p6(fromPNM("P6\n2 1\n255\n\xFF\xFF\xFE\x01\x02\x04"s));
    ASSERT_TRUE(p6.p);
    EXPECT_EQ(cells(p6), "\xFE\x02"s);

    // The bitmap-font sheet's shape: a 1024 x 128 P4, one comment line, no length given.
    std::string sheet = "P4\n# big letters\n1024 128\n" + std::string(16384, '\x81');
    Map big(BYTEMAPFromPNM(sheet.c_str()));
    ASSERT_TRUE(big.p);
    EXPECT_EQ(big->width, 1024);
    EXPECT_EQ(big->height, 128);
    EXPECT_EQ(big->data[0], 255);
    EXPECT_EQ(big->data[1], 0);
    EXPECT_EQ(big->data[7], 255);
    EXPECT_EQ(big->data[1024 * 128 - 1], 255);
}

TEST(BytemapPNM, HeaderLayoutsReadTheSame)
{
    const std::string raster = "\x01\x02\x03\x04\x05\x06"s;
    const char *headers[] = {
        "P5\n3 2\n255\n",
        "P5\n# a comment between the magic and the size\n3 2\n255\n",
        "P5\t3\t2\t255\n",
        "P5\n\n\n3\r\n\n2\n\n\n255\n",
    };
    for (const char *header : headers) {
        Map memory(fromPNM(header + raster));
        ASSERT_TRUE(memory.p) << header;
        EXPECT_EQ(cells(memory), raster) << header;
        Map file(loadPNM(header + raster));
        ASSERT_TRUE(file.p) << header;
        EXPECT_EQ(cells(file), raster) << header;
    }
}

// Without a size: read to the raster's last byte and no further; P2 and P3 need the size.
TEST(BytemapPNM, TrustedDataIsReadToTheRasterEndOnly)
{
    for (const std::string &data : {"P1\n3 1\n101"s, "P4\n10 1\n\xA5\xC0"s, "P5 2 1 255\n\x01\x02"s,
                                   "P6\n1 1\n255\n\x01\x02\x03"s}) {
        const support::Fenced fenced(data);
        Map bounded(fromPNM(data)), trusted(BYTEMAPFromPNM(fenced.data()));
        ASSERT_TRUE(bounded.p && trusted.p) << data;
        EXPECT_EQ(BYTEMAPEqual(bounded, trusted), 1) << data;
    }
    for (const std::string &data : {"P2 1 1 255 7"s, "P3 1 1 255 7 7 7"s}) {
        const support::Fenced fenced(data);
        EXPECT_EQ(reported(BYTEMAPError, [&] { EXPECT_EQ(BYTEMAPFromPNM(fenced.data()), nullptr); }),
                  "BYTEMAP error\n");
    }
}

TEST(BytemapPNM, RefusesBadOrShortData)
{
    const std::string bad[] = {
        "P7\n1 1\n255\n\0"s,
        "P0\n1 1\n255\n\0"s,
        "P5\nx 1\n255\n\0"s,  // a stray letter counts as 0
        "P5\n1 y\n255\n\0"s,
        "P5\n3 1\n255\n\0\0"s,
        "P5\n3 1\n"s,
        "P2\n2 1\n255\n4"s,
        "P6\n1 1\n255\n\0\0"s,
        "P5\n16385 1\n255\n"s + std::string(16385, '\0'),
        "P5\n16384 16384\n255\n\0"s,
        "P5\n1 1\n4294967296\n\0"s,
        "P4\n9 1\n\xFF"s,
    };
    for (const std::string &data : bad) {
        EXPECT_EQ(reported(BYTEMAPError, [&] { EXPECT_EQ(fromPNM(data), nullptr); }),
                  "BYTEMAP error\n")
            << data;
        EXPECT_EQ(reported(BYTEMAPError, [&] { EXPECT_EQ(loadPNM(data), nullptr); }),
                  "BYTEMAP error\n")
            << "file: " << data;
    }
    EXPECT_EQ(reported(BYTEMAPError,
                       [&] { EXPECT_EQ(BYTEMAPLoadPNM("/nonexistent/kova/map.pgm"), nullptr); }),
              "BYTEMAP error\n");
#ifdef __linux__
    // An endless device reports no size; it is read as empty rather than skipped for ever.
    EXPECT_EQ(reported(BYTEMAPError, [&] { EXPECT_EQ(BYTEMAPLoadPNM("/dev/zero"), nullptr); }),
              "BYTEMAP error\n");
#endif
}

TEST(BytemapPNM, FileReaderVariant)
{
    Map p4(loadPNM("P4\n10 2\n\xA5\xC0\x01\x80"s));
    ASSERT_TRUE(p4.p);
    EXPECT_EQ(p4->width, 10) << "a file keeps the declared width";
    const char *bits = "1010010111" "0000000110";
    for (int i = 0; i < 20; ++i) EXPECT_EQ(p4->data[i], bits[i] == '1' ? 255 : 0) << i;

    Map p1(loadPNM("P1\n4 1\n0 10 00 3"));
    ASSERT_TRUE(p1.p);
    EXPECT_EQ(cells(p1), "\x00\xFF\x00\xFF"s) << "whole numbers in a file";

    Map p3(loadPNM("P3\n1 1\n255\n255 255 254\n"));
    ASSERT_TRUE(p3.p);
    EXPECT_EQ(p3->data[0], 254);

    // A plain file several times the reader's buffer: numbers cut by a refill read whole.
    std::mt19937 rng(11);
    std::string grey = "P2\n# long\n200 150\n255\n", want;
    for (int i = 0; i < 200 * 150; ++i) {
        const int v = int(rng() % 256);
        grey += std::to_string(v) + (i % 17 == 16 ? "\n" : "   ");
        want += char(v);
    }
    ASSERT_GT(grey.size(), 2u * 64 * 1024);
    Map long1(loadPNM(grey)), long2(fromPNM(grey));
    ASSERT_TRUE(long1.p && long2.p);
    EXPECT_EQ(cells(long1), want);
    EXPECT_EQ(cells(long2), want);
}

TEST(BytemapPNM, SaveAndLoadRoundTrip)
{
    const std::string path = tempPath("map.pgm");
    Map map(randomMap(37, 11, 3));
    ASSERT_EQ(BYTEMAPSavePGM(map, path.c_str()), 1);
    const std::string bytes = readFile(path);
    EXPECT_EQ(bytes, "P5\n37 11\n255\n" + cells(map));

    Map back(BYTEMAPLoadPNM(path.c_str()));
    ASSERT_TRUE(back.p);
    EXPECT_EQ(BYTEMAPEqual(map, back), 1);
    Map memory(fromPNM(bytes));
    EXPECT_EQ(BYTEMAPEqual(map, memory), 1);

    // Many buffer refills: a file much larger than the reader's buffer.
    Map tall(randomMap(1000, 300, 4));
    ASSERT_EQ(BYTEMAPSavePGM(tall, path.c_str()), 1);
    Map tallBack(BYTEMAPLoadPNM(path.c_str()));
    ASSERT_TRUE(tallBack.p);
    EXPECT_EQ(BYTEMAPEqual(tall, tallBack), 1);
    std::remove(path.c_str());

    Map empty(BYTEMAPNew());
    BYTEMAPResize(empty, 0, 3);
    EXPECT_EQ(reported(BYTEMAPError, [&] {
                  EXPECT_EQ(BYTEMAPSavePGM(empty, path.c_str()), 0);
                  EXPECT_EQ(BYTEMAPSavePGM(map, "/nonexistent/kova/map.pgm"), 0);
              }),
              "BYTEMAP error\nBYTEMAP error\n");
    EXPECT_EQ(readFile(path), "");
}
