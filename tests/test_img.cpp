// The image's own rules, beside what it shares with the byte map (test_grid.cpp): channel
// subtraction, its text form's samples (three numbers a pixel, not clamped, all 32 bits), the
// PNM readers' pixel values, and the exact P6 bytes it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "gfx/img.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using namespace std::string_literals;

using Image = support::Owned<IMG, IMGFree>;  // owns a record for the length of a test
using support::Text;
using support::readFile;
using support::writeFile;

std::string tempPath(const char *name) { return support::tempPath("kova_img", name); }

IMG *fromPNM(const std::string &data) { return IMGFromPNM(data.data(), data.size()); }

IMG *loadPNM(const std::string &bytes)
{
    const std::string path = tempPath("load.pnm");
    writeFile(path, bytes);
    IMG *image = IMGLoadPNM(path.c_str());
    std::remove(path.c_str());
    return image;
}

IMG *randomImage(int32_t w, int32_t h, uint32_t seed, uint32_t mask = 0x00FFFFFF)
{
    IMG *image = IMGNew();
    IMGResize(image, w, h);
    std::mt19937 rng(seed);
    for (int32_t i = 0; i < w * h; ++i) image->pixels[i] = rng() & mask;
    return image;
}

}  // namespace

TEST(ImgPixels, SubtractClampsEachChannel)
{
    Image image(IMGNew());
    IMGResize(image, 3, 1);
    image->pixels[0] = 0x00030510;
    image->pixels[1] = 0xFF808080;  // the high bits do not survive
    image->pixels[2] = 0x00FFFFFF;
    IMGSubtract(image, 0x040404);
    EXPECT_EQ(image->pixels[0], 0x0000010Cu);
    EXPECT_EQ(image->pixels[1], 0x007C7C7Cu);
    EXPECT_EQ(image->pixels[2], 0x00FBFBFBu);
    for (int step = 1; step < 64; ++step) IMGSubtract(image, 0x040404);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(image->pixels[i], 0u) << "64 steps reach black";

    EXPECT_EQ(reported(IMGError, [&] {
                  IMG empty = {};
                  IMGSubtract(nullptr, 1);
                  IMGSubtract(&empty, 1);
              }),
              "IMG error\nIMG error\n");

    image->pixels[0] = 0x00FF7F01;
    IMGSubtract(image, 0x808080);
    EXPECT_EQ(image->pixels[0], 0x007F0000u);

    // Whole blocks and a tail, any 32-bit pixels and colours, against the channel rule.
    for (uint32_t colour : {0x040404u, 0x808080u, 0xFF123456u, 0x00FF00FFu}) {
        Image noisy(randomImage(7, 3, colour, 0xFFFFFFFF));
        Image before(IMGCopy(noisy));
        IMGSubtract(noisy, colour);
        for (int i = 0; i < 21; ++i) {
            const uint32_t p = before->pixels[i];
            uint32_t want = 0;
            for (uint32_t mask : {0xFF0000u, 0xFF00u, 0xFFu})
                if ((p & mask) > (colour & mask)) want |= (p & mask) - (colour & mask);
            ASSERT_EQ(noisy->pixels[i], want) << std::hex << p << " - " << colour;
        }
    }
}

TEST(ImgText, WritesTheP3Form)
{
    Image one(IMGNew());
    IMGResize(one, 1, 1);
    one->pixels[0] = 0x00FF8000;
    EXPECT_EQ(Text(IMGToASCII(one)).str(), "IMG{\nP3\n1 1\n255\n255 128   0\n}\n");

    // Six pixels a line; the last line ends with the newline whatever its length.
    Image seven(IMGNew());
    IMGResize(seven, 7, 1);
    seven->pixels[6] = 0x00010203;
    const std::string six = "  0   0   0   0   0   0   0   0   0   0   0   0"
                            "   0   0   0   0   0   0\n";
    EXPECT_EQ(Text(IMGToASCII(seven)).str(),
              "IMG{\nP3\n7 1\n255\n" + six.substr(0, six.size() - 1) + "\n  1   2   3\n}\n");
    IMGResize(seven, 6, 1);
    EXPECT_EQ(Text(IMGToASCII(seven)).str(), "IMG{\nP3\n6 1\n255\n" + six + "}\n");
}

TEST(ImgText, RoundTripsFull32BitPixels)
{
    // Red takes the high bits, so they read back.
    for (auto [w, h] : {std::pair{1, 1}, {6, 1}, {7, 3}, {1, 13}, {33, 17}}) {
        Image image(randomImage(w, h, uint32_t(w * 100 + h), 0xFFFFFFFFu));
        Text text(IMGToASCII(image));
        Image back(IMGFromASCII(text.p));
        ASSERT_TRUE(back.p) << w << "x" << h;
        EXPECT_EQ(IMGEqual(image, back), 1) << w << "x" << h;
    }
}

TEST(ImgText, ReadsLooseText)
{
    // Values are not clamped; anything that is not a digit separates them; the closing
    // brace is optional; text before the keyword is passed over.
    Image wide(IMGFromASCII("junk IMG junk { P3\n2 1\n255\n300,0,0 -1 +2 x3"));
    ASSERT_TRUE(wide.p);
    EXPECT_EQ(wide->width, 2);
    EXPECT_EQ(wide->pixels[0], 0x012C0000u);
    EXPECT_EQ(wide->pixels[1], 0x00010203u);

    Image largest(IMGFromASCII("IMG{\nP3\n1 1\n255\n2147483647 0 0"));
    ASSERT_TRUE(largest.p);
    EXPECT_EQ(largest->pixels[0], 0xFFFF0000u);
    Image empty(IMGFromASCII("IMG{\nP3\n\n"));  // no digits give a width of 0
    ASSERT_TRUE(empty.p);
    EXPECT_EQ(empty->width, 0);
}

TEST(ImgPNM, DecodesColourFormatsFromMemory)
{
    Image p6(fromPNM("P6\n# made by hand\n2 1\n255\n\xFF\x00\x00\x00\xFF\x00"s));
    ASSERT_TRUE(p6.p);
    EXPECT_EQ(p6->width, 2);
    EXPECT_EQ(p6->height, 1);
    EXPECT_EQ(p6->pixels[0], 0x00FF0000u);
    EXPECT_EQ(p6->pixels[1], 0x0000FF00u);

    Image p3(fromPNM("P3\n1 2\n255\n1 2 3\n300 0 0\n"));
    ASSERT_TRUE(p3.p);
    EXPECT_EQ(p3->pixels[0], 0x00010203u);
    EXPECT_EQ(p3->pixels[1], 0x012C0000u);

    // The plain header layout the typed layouts are held to.
    Image plain(fromPNM("P6\n2 1\n255\n\x01\x02\x03\x04\x05\x06"s));
    ASSERT_TRUE(plain.p);
    EXPECT_EQ(plain->pixels[1], 0x00040506u);
}

TEST(ImgPNM, RawRastersMatchTheBytewiseRule)
{
    // The raw decoders work in blocks; every width around the block sizes, from memory and
    // from a file, must agree with the plain per-sample rule.
    std::mt19937 rng(5);
    for (int w = 1; w <= 26; ++w) {
        const int h = 3;
        std::string rgb, bits;
        for (int i = 0; i < 3 * w * h; ++i) rgb += char(rng());
        const int rowBytes = (w + 7) / 8;
        for (int i = 0; i < rowBytes * h; ++i) bits += char(rng());

        const std::string p6 = "P6\n" + std::to_string(w) + " 3\n255\n" + rgb;
        for (IMG *raw : {fromPNM(p6), loadPNM(p6)}) {
            Image image(raw);
            ASSERT_TRUE(image.p) << w;
            for (int i = 0; i < w * h; ++i) {
                const uint32_t want = uint32_t(uint8_t(rgb[3 * i])) << 16 |
                                      uint32_t(uint8_t(rgb[3 * i + 1])) << 8 |
                                      uint8_t(rgb[3 * i + 2]);
                ASSERT_EQ(image->pixels[i], want) << "width " << w << " pixel " << i;
            }
        }

        const std::string p4 = "P4\n" + std::to_string(w) + " 3\n" + bits;
        Image memory(fromPNM(p4)), file(loadPNM(p4));
        ASSERT_TRUE(memory.p && file.p) << w;
        ASSERT_EQ(memory->width, rowBytes * 8);
        ASSERT_EQ(file->width, w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < rowBytes * 8; ++x) {
                const bool set = uint8_t(bits[y * rowBytes + x / 8]) & (0x80 >> (x % 8));
                const uint32_t want = set ? 0x00FFFFFFu : 0u;
                ASSERT_EQ(memory->pixels[y * rowBytes * 8 + x], want) << w << " " << x << "," << y;
                if (x < w) {
                    ASSERT_EQ(file->pixels[y * w + x], want) << w << " " << x << "," << y;
                }
            }
    }
}

TEST(ImgPNM, WritesBinaryP6)
{
    const std::string path = tempPath("frame.ppm");
    Image image(randomImage(256, 256, 7));
    ASSERT_EQ(IMGSavePPM(image, path.c_str()), 1);
    const std::string bytes = readFile(path);
    std::remove(path.c_str());
    const std::string header = "P6\n256 256\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 196608);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    const uint32_t p = image->pixels[1];
    EXPECT_EQ(uint8_t(bytes[header.size() + 3]), uint8_t(p >> 16));
    EXPECT_EQ(uint8_t(bytes[header.size() + 5]), uint8_t(p));
}
