// IMG core: life cycle, pixel access, channel subtraction, the text form, the PNM readers and
// the P6 writer, and the guards' report line with their neutral results.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

TEST(ImgLife, NewResizeClearAndFree)
{
    IMG *image = IMGNew();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 16);
    EXPECT_EQ(image->height, 16);
    EXPECT_EQ(image->x, 0);
    EXPECT_EQ(image->y, 0);
    EXPECT_EQ(image->reserved0, 0);
    EXPECT_EQ(image->reserved1, 0);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(image->pixels[i], 0u) << i;

    image->pixels[5] = 0x123456;
    IMGResize(image, 16, 16);
    EXPECT_EQ(image->pixels[5], 0u) << "a resize starts from black";
    IMGResize(image, 3, 2);
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->height, 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(image->pixels[i], 0u);

    // A negative size is refused and leaves the image as it was.
    image->pixels[0] = 7;
    EXPECT_EQ(reported(IMGError, [&] { IMGResize(image, -1, 4); }), "IMG error\n");
    EXPECT_EQ(image->width, 3);
    EXPECT_EQ(image->pixels[0], 7u);

    IMGFree(&image);
    EXPECT_EQ(image, nullptr);
    EXPECT_EQ(reported(IMGError, [&] { IMGFree(&image); }), "IMG error\n");
    EXPECT_EQ(reported(IMGError, [&] { IMGFree(nullptr); }), "IMG error\n");
}

TEST(ImgLife, ClearWritesExactlyItsPixels)
{
    Image image(IMGNew());
    // Lend the image a longer array so that a write past width x height would show.
    uint32_t storage[3 * 2 + 2] = {1, 2, 3, 4, 5, 6, 0xAAAA, 0xBBBB};
    uint32_t *own = image->pixels;
    image->pixels = storage;
    image->width = 3;
    image->height = 2;
    IMGClear(image);
    image->pixels = own;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(storage[i], 0u);
    EXPECT_EQ(storage[6], 0xAAAAu);
    EXPECT_EQ(storage[7], 0xBBBBu);
}

TEST(ImgPixels, GetAndPutInsideOnly)
{
    Image image(IMGNew());
    IMGResize(image, 4, 3);
    IMGPutPixel(image, 3, 2, 0x00ABCDEF);
    IMGPutPixel(image, 0, 0, 0xFF000001);  // stored as given
    EXPECT_EQ(image->pixels[3 + 2 * 4], 0x00ABCDEFu);
    EXPECT_EQ(IMGGetPixel(image, 3, 2), 0x00ABCDEFu);
    EXPECT_EQ(IMGGetPixel(image, 0, 0), 0xFF000001u);

    const std::string quiet = reported(IMGError, [&] {
        for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT32_MIN, INT32_MAX}}) {
            EXPECT_EQ(IMGGetPixel(image, x, y), 0u) << x << "," << y;
            IMGPutPixel(image, x, y, 0x111111);
        }
    });
    EXPECT_EQ(quiet, "") << "a point outside is not an error";
    int set = 0;
    for (int i = 0; i < 12; ++i) set += image->pixels[i] != 0;
    EXPECT_EQ(set, 2);
}

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

TEST(ImgCopies, CopyCopyToAndEqual)
{
    Image a(randomImage(5, 3, 1));
    a->x = 9;
    Image b(IMGCopy(a));
    ASSERT_TRUE(b.p);
    EXPECT_EQ(b->width, 5);
    EXPECT_EQ(b->height, 3);
    EXPECT_EQ(b->x, 0);
    EXPECT_NE(b->pixels, a->pixels);
    EXPECT_EQ(IMGEqual(a, b), 1);

    b->pixels[14] ^= 1;
    EXPECT_EQ(reported(IMGError, [&] { EXPECT_EQ(IMGEqual(a, b), 0); }), "")
        << "unequal images are no error";
    IMGCopyTo(a, b);
    EXPECT_EQ(IMGEqual(a, b), 1);

    // Same pixel count, other shape: not equal, and no copy.
    Image c(IMGNew());
    IMGResize(c, 3, 5);
    EXPECT_EQ(IMGEqual(a, c), 0);
    EXPECT_EQ(reported(IMGError, [&] { IMGCopyTo(a, c); }), "IMG error\n");
    for (int i = 0; i < 15; ++i) EXPECT_EQ(c->pixels[i], 0u);

    IMGCopyTo(a, a);  // onto itself: unchanged
    EXPECT_EQ(IMGEqual(a, b), 1);
}

TEST(ImgGuards, NullImagesReportAndReturnNeutral)
{
    IMG *none = nullptr;
    Image image(IMGNew());
    IMG empty = {};  // a record without a pixel array
    char *text = reinterpret_cast<char *>(1);
    const std::string path = tempPath("guard.ppm");

    const std::string lines = reported(IMGError, [&] {
        IMGResize(none, 1, 1);
        IMGClear(none);
        IMGClear(&empty);
        EXPECT_EQ(IMGCopy(none), nullptr);
        EXPECT_EQ(IMGCopy(&empty), nullptr);
        IMGCopyTo(none, image);
        IMGCopyTo(image, none);
        IMGCopyTo(&empty, image);
        EXPECT_EQ(IMGEqual(none, image), 0);
        EXPECT_EQ(IMGEqual(image, &empty), 0);
        EXPECT_EQ(IMGGetPixel(none, 0, 0), 0u);
        EXPECT_EQ(IMGGetPixel(&empty, 0, 0), 0u);
        IMGPutPixel(none, 0, 0, 1);
        IMGPutPixel(&empty, 0, 0, 1);
        IMGSubtract(none, 1);
        IMGSubtract(&empty, 1);
        text = IMGToASCII(none);
        EXPECT_EQ(IMGToASCII(&empty), nullptr);
        EXPECT_EQ(IMGFromASCII(nullptr), nullptr);
        EXPECT_EQ(IMGFromPNM(nullptr), nullptr);
        EXPECT_EQ(IMGLoadPNM(nullptr), nullptr);
        EXPECT_EQ(IMGSavePPM(none, path.c_str()), 0);
        EXPECT_EQ(IMGSavePPM(&empty, path.c_str()), 0);
        EXPECT_EQ(IMGSavePPM(image, nullptr), 0);
    });
    EXPECT_EQ(text, nullptr);
    std::string expected;
    for (int i = 0; i < 24; ++i) expected += "IMG error\n";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(readFile(path), "") << "no file written";
}

TEST(ImgText, WritesTheP3Form)
{
    Image empty(IMGNew());
    IMGResize(empty, 0, 0);
    EXPECT_EQ(Text(IMGToASCII(empty)).str(), "IMG{}");
    IMGResize(empty, 0, 4);
    EXPECT_EQ(Text(IMGToASCII(empty)).str(), "IMG{}");

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

TEST(ImgText, RoundTripsAnyImage)
{
    for (auto [w, h] : {std::pair{1, 1}, {6, 1}, {7, 3}, {1, 13}, {33, 17}}) {
        // Full 32-bit pixels included: red takes the high bits, so they read back.
        for (uint32_t mask : {0x00FFFFFFu, 0xFFFFFFFFu}) {
            Image image(randomImage(w, h, uint32_t(w * 100 + h), mask));
            Text text(IMGToASCII(image));
            Image back(IMGFromASCII(text.p));
            ASSERT_TRUE(back.p) << w << "x" << h;
            EXPECT_EQ(IMGEqual(image, back), 1) << w << "x" << h << " mask " << mask;
        }
    }
}

TEST(ImgText, ReadsLooseTextAndRefusesBadText)
{
    // Values are not clamped; anything that is not a digit separates them; the closing
    // brace is optional; text before the keyword is passed over.
    Image wide(IMGFromASCII("junk IMG junk { P3\n2 1\n255\n300,0,0 -1 +2 x3"));
    ASSERT_TRUE(wide.p);
    EXPECT_EQ(wide->width, 2);
    EXPECT_EQ(wide->pixels[0], 0x012C0000u);
    EXPECT_EQ(wide->pixels[1], 0x00010203u);

    EXPECT_EQ(reported(IMGError, [&] {
                  EXPECT_EQ(IMGFromASCII("IMG{}"), nullptr);
                  EXPECT_EQ(IMGFromASCII("IMG P3\n1 1\n255\n1 2 3"), nullptr);  // no brace
                  EXPECT_EQ(IMGFromASCII("{P3\n1 1\n255\n1 2 3"), nullptr);     // no keyword
                  EXPECT_EQ(IMGFromASCII(""), nullptr);
              }),
              "IMG error\nIMG error\nIMG error\nIMG error\n");

    // The text must hold every sample it announces; sizes and numbers are bounded.
    const char *bad[] = {
        "IMG{\nP3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11",  // ends one number early
        "IMG{\nP3\n1 1\n255\n1 2",
        "IMG{\nP3\n1 1\n255\n1 2 4294967296",            // overflows
        "IMG{\nP3\n1 1\n255\n1 2 2147483648",
        "IMG{\nP3\n16385 1\n255\n",                      // beyond the side cap
        "IMG{\nP3\n16384 16384\n255\n1 2 3",             // far more than the text holds
        "IMG{\nP3\n99999999999999999999 1\n255\n",
    };
    for (const char *text : bad)
        EXPECT_EQ(reported(IMGError, [&] { EXPECT_EQ(IMGFromASCII(text), nullptr) << text; }),
                  "IMG error\n")
            << text;

    Image largest(IMGFromASCII("IMG{\nP3\n1 1\n255\n2147483647 0 0"));
    ASSERT_TRUE(largest.p);
    EXPECT_EQ(largest->pixels[0], 0xFFFF0000u);
    Image empty(IMGFromASCII("IMG{\nP3\n\n"));  // no digits give a width of 0
    ASSERT_TRUE(empty.p);
    EXPECT_EQ(empty->width, 0);
}

TEST(ImgPNM, DecodesEveryFormatFromMemory)
{
    Image p6(fromPNM("P6\n# made by hand\n2 1\n255\n\xFF\x00\x00\x00\xFF\x00"s));
    ASSERT_TRUE(p6.p);
    EXPECT_EQ(p6->width, 2);
    EXPECT_EQ(p6->height, 1);
    EXPECT_EQ(p6->pixels[0], 0x00FF0000u);
    EXPECT_EQ(p6->pixels[1], 0x0000FF00u);

    // P1 digits need no separators; 0 is black and anything else white.
    Image p1(fromPNM("P1\n3 2\n0 1\n5 001"));
    ASSERT_TRUE(p1.p);
    const uint32_t p1Want[] = {0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0xFFFFFF};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(p1->pixels[i], p1Want[i]) << i;

    Image p2(fromPNM("P2 2 1 255 7 300"));
    ASSERT_TRUE(p2.p);
    EXPECT_EQ(p2->pixels[0], 0x00070707u);
    EXPECT_EQ(p2->pixels[1], (300u << 16) | (300u << 8) | 300u) << "not clamped";

    Image p3(fromPNM("P3\n1 2\n255\n1 2 3\n300 0 0\n"));
    ASSERT_TRUE(p3.p);
    EXPECT_EQ(p3->pixels[0], 0x00010203u);
    EXPECT_EQ(p3->pixels[1], 0x012C0000u);

    // A P4 picture 10 wide keeps its row padding: 16 pixels a row, 1 bits white.
    Image p4(fromPNM("P4\n10 2\n\xA5\xC0\x01\x80"s));
    ASSERT_TRUE(p4.p);
    EXPECT_EQ(p4->width, 16);
    EXPECT_EQ(p4->height, 2);
    const char *bits = "1010010111000000" "0000000110000000";
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(p4->pixels[i], bits[i] == '1' ? 0x00FFFFFFu : 0u) << i;

    Image p5(fromPNM("P5\n3 1\n255\n\x00\x7F\xFF"s));
    ASSERT_TRUE(p5.p);
    EXPECT_EQ(p5->pixels[0], 0u);
    EXPECT_EQ(p5->pixels[1], 0x007F7F7Fu);
    EXPECT_EQ(p5->pixels[2], 0x00FFFFFFu);
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

TEST(ImgPNM, HeaderLayoutsReadTheSame)
{
    const std::string raster = "\x01\x02\x03\x04\x05\x06"s;
    const char *headers[] = {
        "P6\n2 1\n255\n",
        "P6\n2 1\n# a comment between the height and the maximum\n255\n",
        "P6\t2\t1\t255\n",
        "P6\n\n\r\n2 \n\n 1\n\n255\n",
        "  P6 # comment\n2 1 255\n",
        ("P6\x01\x80\xFF" "2 1 255\n"),  // control and high bytes separate tokens too
    };
    Image want(fromPNM(headers[0] + raster));
    ASSERT_TRUE(want.p);
    EXPECT_EQ(want->pixels[1], 0x00040506u);
    for (const char *header : headers) {
        Image image(fromPNM(header + raster));
        ASSERT_TRUE(image.p) << header;
        EXPECT_EQ(IMGEqual(want, image), 1) << header;
    }

    // Compiled-in pictures come without a length: the header is trusted.
    const std::string whole = headers[1] + raster;
    Image trusted(IMGFromPNM(whole.c_str()));
    ASSERT_TRUE(trusted.p);
    EXPECT_EQ(IMGEqual(want, trusted), 1);
}

// Without a size the reader trusts the header and still stops at the raster's last byte: each
// picture here ends where an unreadable page begins. P2 and P3 cannot know where their last
// number ends without the size, so they need it.
TEST(ImgPNM, TrustedDataIsReadToTheRasterEndOnly)
{
    for (const std::string &data : {"P1\n3 1\n101"s, "P4\n10 1\n\xA5\xC0"s, "P5 2 1 255\n\x01\x02"s,
                                   "P6\n1 1\n255\n\x01\x02\x03"s}) {
        const support::Fenced fenced(data);
        Image bounded(fromPNM(data)), trusted(IMGFromPNM(fenced.data()));
        ASSERT_TRUE(bounded.p && trusted.p) << data;
        EXPECT_EQ(IMGEqual(bounded, trusted), 1) << data;
    }
    for (const std::string &data : {"P2 1 1 255 7"s, "P3 1 1 255 7 7 7"s}) {
        const support::Fenced fenced(data);
        EXPECT_EQ(reported(IMGError, [&] { EXPECT_EQ(IMGFromPNM(fenced.data()), nullptr); }), "IMG error\n");
    }
}

TEST(ImgPNM, RefusesBadOrShortData)
{
    const std::string bad[] = {
        "P7\n1 1\n255\n\0\0\0"s,
        "P0\n1 1\n255\n\0\0\0"s,
        "P6\n0 1\n255\n"s,
        "P6\nx 1\n255\n\0\0\0"s,            // a stray letter counts as a zero width
        "P6\n2 1\n255\n\1\2\3\4\5"s,        // one byte short
        "P6\n2 1\n"s,                        // ends inside the header
        "P6\n2 1\n255"s,                     // no raster at all
        "P6\n# no end to this comment"s,
        ""s,
        "P5\n16385 1\n255\n"s + std::string(16385, '\0'),  // beyond the side cap
        "P5\n16384 16384\n255\n\0\0\0"s,                   // 256 Mi pixels, three bytes
        "P5\n4294967297 1\n255\n\0"s,                      // overflows
        "P5\n1 1\n99999999999999\n\0"s,
        "P4\n17 2\n\xFF\xFF\xFF\xFF\xFF"s,                 // rows of three bytes, one short
        "P1\n2 2\n1 0 1"s,
        "P3\n1 1\n255\n1 2"s,
    };
    for (const std::string &data : bad) {
        EXPECT_EQ(reported(IMGError, [&] { EXPECT_EQ(fromPNM(data), nullptr); }), "IMG error\n")
            << data;
    }
    EXPECT_EQ(reported(IMGError, [&] { EXPECT_EQ(loadPNM("P6\n2 1\n"), nullptr); }),
              "IMG error\n")
        << "a file that ends inside the header";
}

TEST(ImgPNM, FileReaderVariant)
{
    // P4 files keep their declared width: two bytes a row for 10 pixels.
    Image p4(loadPNM("P4\n10 2\n\xA5\xC0\x01\x80"s));
    ASSERT_TRUE(p4.p);
    EXPECT_EQ(p4->width, 10);
    const char *bits = "1010010111" "0000000110";
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(p4->pixels[i], bits[i] == '1' ? 0x00FFFFFFu : 0u) << i;

    // P1 samples are whole numbers there.
    Image p1(loadPNM("P1\n3 1\n0 10 00"));
    ASSERT_TRUE(p1.p);
    EXPECT_EQ(p1->pixels[0], 0u);
    EXPECT_EQ(p1->pixels[1], 0x00FFFFFFu);
    EXPECT_EQ(p1->pixels[2], 0u);

    // The byte that ends a header number is consumed with it, so a P5 raster starts right
    // after the maximum's terminator.
    Image p5(loadPNM("P5 2 1 255\n\x10\x20"s));
    ASSERT_TRUE(p5.p);
    EXPECT_EQ(p5->pixels[1], 0x00202020u);

    Image p6(loadPNM("P6\n# c\n2 1\n255\n\xFF\x00\x00\x00\xFF\x00"s));
    ASSERT_TRUE(p6.p);
    EXPECT_EQ(p6->pixels[0], 0x00FF0000u);
    EXPECT_EQ(p6->pixels[1], 0x0000FF00u);

    EXPECT_EQ(reported(IMGError, [&] {
                  EXPECT_EQ(loadPNM("P6\n2 1\n255\n\1\2\3\4\5"s), nullptr);
                  EXPECT_EQ(IMGLoadPNM("/nonexistent/kova/picture.ppm"), nullptr);
              }),
              "IMG error\nIMG error\n");
}

TEST(ImgPNM, SaveAndLoadRoundTrip)
{
    const std::string path = tempPath("frame.ppm");
    Image image(randomImage(256, 256, 7));
    ASSERT_EQ(IMGSavePPM(image, path.c_str()), 1);
    const std::string bytes = readFile(path);
    const std::string header = "P6\n256 256\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 196608);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    const uint32_t p = image->pixels[1];
    EXPECT_EQ(uint8_t(bytes[header.size() + 3]), uint8_t(p >> 16));
    EXPECT_EQ(uint8_t(bytes[header.size() + 5]), uint8_t(p));

    Image back(IMGLoadPNM(path.c_str()));
    ASSERT_TRUE(back.p);
    EXPECT_EQ(IMGEqual(image, back), 1);
    Image fromMemory(fromPNM(bytes));
    EXPECT_EQ(IMGEqual(image, fromMemory), 1);

    // The widest rows the readers take, close to the file buffer's size.
    Image wide(randomImage(16384, 3, 8));
    ASSERT_EQ(IMGSavePPM(wide, path.c_str()), 1);
    Image wideBack(IMGLoadPNM(path.c_str()));
    ASSERT_TRUE(wideBack.p);
    EXPECT_EQ(IMGEqual(wide, wideBack), 1);
    std::remove(path.c_str());

    Image empty(IMGNew());
    IMGResize(empty, 0, 0);
    EXPECT_EQ(reported(IMGError, [&] {
                  EXPECT_EQ(IMGSavePPM(empty, path.c_str()), 0);
                  EXPECT_EQ(IMGSavePPM(image, "/nonexistent/kova/frame.ppm"), 0);
              }),
              "IMG error\nIMG error\n");
    EXPECT_EQ(readFile(path), "") << "a 0 x 0 image writes no file";
}
