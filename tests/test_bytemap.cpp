// The byte map's own rules, beside what it shares with the image (test_grid.cpp): its text form
// (one grey sample written three times, read back as the mean of three numbers), colour files
// read as the mean of their channels, and the exact P5 bytes it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "gfx/bytemap.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using namespace std::string_literals;

using Map = support::Owned<BYTEMAP, BYTEMAPFree>;  // owns a record for the length of a test
using support::Text;

BYTEMAP *fromPNM(const std::string &data) { return BYTEMAPFromPNM(data.data(), data.size()); }

std::string cells(const BYTEMAP *map)
{
    return std::string(reinterpret_cast<const char *>(map->data), size_t(map->width * map->height));
}

}  // namespace

TEST(BytemapText, WritesTheP3Form)
{
    Map map(BYTEMAPNew());
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

TEST(BytemapText, ReadsTheMeanOfThreeNumbers)
{
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
}

TEST(BytemapPNM, DecodesColourFormatsAsTheMeanOfTheChannels)
{
    Map p3(fromPNM("P3\n2 1\n255\n255 255 254  1 2 4"));
    ASSERT_TRUE(p3.p);
    EXPECT_EQ(cells(p3), "\xFE\x02"s);
    const std::string path = support::tempPath("kova_bytemap", "mean.ppm");
    support::writeFile(path, "P3\n1 1\n255\n255 255 254\n");
    Map file(BYTEMAPLoadPNM(path.c_str()));
    std::remove(path.c_str());
    ASSERT_TRUE(file.p);
    EXPECT_EQ(file->data[0], 254) << "from a file too";

    Map p6(fromPNM("P6\n2 1\n255\n\xFF\xFF\xFE\x01\x02\x04"s));
    ASSERT_TRUE(p6.p);
    EXPECT_EQ(cells(p6), "\xFE\x02"s);

    // The plain header layout the typed layouts are held to: a P5 raster is the cells.
    Map plain(fromPNM("P5\n3 2\n255\n\x01\x02\x03\x04\x05\x06"s));
    ASSERT_TRUE(plain.p);
    EXPECT_EQ(cells(plain), "\x01\x02\x03\x04\x05\x06"s);
}

TEST(BytemapPNM, WritesBinaryP5)
{
    const std::string path = support::tempPath("kova_bytemap", "map.pgm");
    Map map(BYTEMAPNew());
    BYTEMAPResize(map, 37, 11);
    std::mt19937 rng(3);
    for (int32_t i = 0; i < 37 * 11; ++i) map->data[i] = uint8_t(rng());
    ASSERT_EQ(BYTEMAPSavePGM(map, path.c_str()), 1);
    EXPECT_EQ(support::readFile(path), "P5\n37 11\n255\n" + cells(map));
    std::remove(path.c_str());
}
