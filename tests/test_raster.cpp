// The colour bars: drawing and blending rows, the phase arithmetic, the smoother against a
// plain reference, and colour table files written and read back.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fx/raster.h"
#include "gfx/img.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

const std::string kLine = "RASTER error\n";

// The 96-colour rainbow of the text pages: six ramps of 16 entries.
std::vector<uint32_t> rainbow()
{
    std::vector<uint32_t> t;
    for (uint32_t k = 0; k < 16; ++k) t.push_back(0xF00000 | (0x10 * k) << 8);
    for (uint32_t k = 0; k < 16; ++k) t.push_back((0xF0 - 0x10 * k) << 16 | 0xF000);
    for (uint32_t k = 0; k < 16; ++k) t.push_back(0x00F000 | 0x10 * k);
    for (uint32_t k = 0; k < 16; ++k) t.push_back((0x10 * k) << 16 | 0xF0F0);
    for (uint32_t k = 0; k < 16; ++k) t.push_back(0xF000F0 | (0xF0 - 0x10 * k) << 8);
    for (uint32_t k = 0; k < 16; ++k) t.push_back(0xF00000 | (0xF0 - 0x10 * k));
    return t;
}

RASTER *rasterOf(const std::vector<uint32_t> &colours)
{
    RASTER *r = RASTERNew();
    if (!r) return nullptr;
    RASTERResize(r, static_cast<int32_t>(colours.size()));
    std::copy(colours.begin(), colours.end(), r->table);
    return r;
}

using support::newImage;

using support::TempFile;

std::string le32(uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
            static_cast<char>(v >> 24)};
}

// The smoother written out term by term.
std::vector<uint32_t> smoothReference(const std::vector<uint32_t> &in, int32_t n)
{
    const int64_t count = static_cast<int64_t>(in.size());
    std::vector<uint32_t> out(in.size());
    for (int64_t i = 0; i < count; ++i) {
        int64_t sum[3];
        for (int c = 0; c < 3; ++c) sum[c] = 2 * ((in[i] >> (16 - 8 * c)) & 0xFF);
        for (int64_t k = n; k >= 1; --k) {
            const int64_t right = (i + k) % count;
            const int64_t left = (i - k < 0 ? k - i : i - k) % count;
            for (int c = 0; c < 3; ++c)
                sum[c] += ((in[right] >> (16 - 8 * c)) & 0xFF) + ((in[left] >> (16 - 8 * c)) & 0xFF);
        }
        const int64_t d = 2 * static_cast<int64_t>(n) + 2;
        out[i] = static_cast<uint32_t>(((sum[0] / d) & 0xFF) << 16 | ((sum[1] / d) & 0xFF) << 8 |
                                       ((sum[2] / d) & 0xFF));
    }
    return out;
}

}  // namespace

TEST(Raster, NewResizeClearCopyAndEqual)
{
    RASTER *r = RASTERNew();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->phase, 0);
    EXPECT_EQ(r->speed, 0x10000);
    EXPECT_EQ(r->count, 256);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(r->table[i], 0u);

    r->phase = 5 << 16;
    r->speed = 0x8000;
    RASTERResize(r, 96);
    EXPECT_EQ(r->count, 96);
    EXPECT_EQ(r->phase, 0) << "resize restarts the bars";
    EXPECT_EQ(r->speed, 0x8000) << "and keeps the speed";

    RASTER *c = rasterOf(rainbow());
    ASSERT_NE(c, nullptr);
    c->phase = 7 << 16;
    c->speed = -3;
    RASTER *copy = RASTERCopy(c);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->table, c->table);
    EXPECT_EQ(copy->phase, 7 << 16);
    EXPECT_EQ(copy->speed, -3);
    EXPECT_EQ(RASTEREqual(copy, c), 1);
    copy->phase = 0;
    copy->speed = 1;
    EXPECT_EQ(RASTEREqual(copy, c), 1) << "phase and speed are not compared";
    copy->table[95] = 1;
    EXPECT_EQ(RASTEREqual(copy, c), 0);
    EXPECT_EQ(RASTEREqual(r, c), 0) << "a black table";
    RASTERResize(copy, 95);
    EXPECT_EQ(RASTEREqual(copy, r), 0) << "another count";

    RASTERClear(c);
    for (int i = 0; i < 96; ++i) ASSERT_EQ(c->table[i], 0u);
    EXPECT_EQ(RASTEREqual(c, r), 1);

    // A count beyond the largest table, or below zero, keeps the table.
    uint32_t *table = r->table;
    EXPECT_EQ(reported(RASTERError, [&] { RASTERResize(r, -1); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERResize(r, RASTER_MAX_COUNT + 1); }), kLine);
    EXPECT_EQ(r->table, table);
    EXPECT_EQ(r->count, 96);
    RASTERResize(r, RASTER_MAX_COUNT);
    EXPECT_EQ(r->count, RASTER_MAX_COUNT);

    EXPECT_EQ(RASTERToASCII(r), nullptr);
    EXPECT_EQ(RASTERFromASCII("RASTER{}"), nullptr);
    RASTERFree(&r);
    RASTERFree(&c);
    RASTERFree(&copy);
    EXPECT_EQ(r, nullptr);
}

TEST(Raster, DrawFillsEveryRowWithItsTableEntry)
{
    RASTER *r = rasterOf(rainbow());
    IMG *img = newImage(37, 480);  // rows longer than a block of the fill, with a tail
    ASSERT_NE(r, nullptr);
    ASSERT_NE(img, nullptr);
    RASTERDraw(r, img);
    EXPECT_EQ(IMGGetPixel(img, 0, 0), 0xF00000u);
    EXPECT_EQ(IMGGetPixel(img, 6, 15), 0xF0F000u);
    EXPECT_EQ(IMGGetPixel(img, 3, 16), 0xF0F000u);
    EXPECT_EQ(IMGGetPixel(img, 3, 63), 0xF0F0F0u);
    EXPECT_EQ(IMGGetPixel(img, 3, 96), 0xF00000u);
    EXPECT_EQ(IMGGetPixel(img, 6, 479), 0xF00000u);  // 479 mod 96 = 95
    const std::vector<uint32_t> t = rainbow();
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 37; ++x) ASSERT_EQ(IMGGetPixel(img, x, y), t[y % 96]) << x << ", " << y;

    RASTERAdvance(r);
    RASTERDraw(r, img);
    EXPECT_EQ(IMGGetPixel(img, 0, 0), 0xF01000u) << "one advance: row 0 shows entry 1";
    EXPECT_EQ(IMGGetPixel(img, 0, 95), 0xF00000u) << "row 95 shows entry 0";

    // A phase set by hand below zero still picks a table entry.
    r->phase = -(1 << 16);
    RASTERDraw(r, img);
    EXPECT_EQ(IMGGetPixel(img, 0, 0), t[95]);
    EXPECT_EQ(IMGGetPixel(img, 0, 1), t[0]);
    RASTERFree(&r);
    IMGFree(&img);
}

TEST(Raster, AdvanceKeepsThePhaseInsideTheTable)
{
    RASTER *r = rasterOf(rainbow());
    ASSERT_NE(r, nullptr);
    for (int i = 1; i < 96; ++i) {
        RASTERAdvance(r);
        ASSERT_EQ(r->phase, i << 16);
    }
    RASTERAdvance(r);
    EXPECT_EQ(r->phase, 0) << "96 advances wrap to 0";

    r->speed = 0x8000;  // one row every second advance
    RASTERAdvance(r);
    EXPECT_EQ(r->phase >> 16, 0);
    RASTERAdvance(r);
    EXPECT_EQ(r->phase >> 16, 1);

    r->phase = 0;
    r->speed = -0x10000;
    RASTERAdvance(r);
    EXPECT_EQ(r->phase, 95 << 16);

    r->phase = 0;
    r->speed = -(96 << 16);  // exactly one table back: the remainder is 0, the phase the limit
    RASTERAdvance(r);
    EXPECT_EQ(r->phase, 96 << 16);

    // Speeds far beyond the table, and a phase pushed near the 32-bit edge, do not overflow.
    r->phase = 95 << 16;
    r->speed = INT32_MAX;
    RASTERAdvance(r);
    EXPECT_EQ(r->phase, static_cast<int32_t>(((int64_t{95} << 16) + INT32_MAX) % (int64_t{96} << 16)));
    r->phase = INT32_MAX;
    r->speed = INT32_MAX;
    RASTERAdvance(r);
    EXPECT_GE(r->phase, 0);
    EXPECT_LE(r->phase, 96 << 16);
    r->speed = INT32_MIN;
    RASTERAdvance(r);
    EXPECT_GE(r->phase, 0);
    EXPECT_LE(r->phase, 96 << 16);
    RASTERFree(&r);
}

TEST(Raster, BlendMixesEachChannelTowardsTheColour)
{
    IMG *img = newImage(4, 3);
    ASSERT_NE(img, nullptr);
    RASTERBlendRow(img, 0xF0F0F0, 0, 0, 3, 128);
    EXPECT_EQ(IMGGetPixel(img, 0, 0), 0x787878u);
    EXPECT_EQ(IMGGetPixel(img, 3, 0), 0x787878u);
    EXPECT_EQ(IMGGetPixel(img, 0, 1), 0u);

    IMGPutPixel(img, 1, 1, 0xFF00FF);
    RASTERBlendRow(img, 0x12345678, 1, 1, 1, 0);
    EXPECT_EQ(IMGGetPixel(img, 1, 1), 0xFF00FFu) << "alpha 0 keeps the pixel";
    RASTERBlendRow(img, 0xFF123456, 1, 1, 1, 256);
    EXPECT_EQ(IMGGetPixel(img, 1, 1), 0x123456u) << "alpha 256 gives the colour, top byte 0";

    // White over white at 255: red's sum reaches bit 31 and must still come out 0xFF.
    IMGPutPixel(img, 2, 2, 0xFFFFFF);
    RASTERBlendRow(img, 0xFFFFFF, 2, 2, 2, 255);
    EXPECT_EQ(IMGGetPixel(img, 2, 2), 0xFFFFFFu);
    // Per channel: ((old (256 - a) + col a) >> 8) in its own byte.
    IMGPutPixel(img, 0, 2, 0x80FF10);
    RASTERBlendRow(img, 0x2040C0, 2, 0, 0, 64);
    const uint32_t r = ((0x80u * 192 + 0x20u * 64) >> 8), g = ((0xFFu * 192 + 0x40u * 64) >> 8),
                   b = ((0x10u * 192 + 0xC0u * 64) >> 8);
    EXPECT_EQ(IMGGetPixel(img, 0, 2), r << 16 | g << 8 | b);
    // Alpha outside 0..256 acts as its nearest end.
    IMGPutPixel(img, 3, 2, 0x000000);
    RASTERBlendRow(img, 0x0A0B0C, 2, 3, 3, 1000);
    EXPECT_EQ(IMGGetPixel(img, 3, 2), 0x0A0B0Cu);
    RASTERBlendRow(img, 0xFFFFFF, 2, 3, 3, -5);
    EXPECT_EQ(IMGGetPixel(img, 3, 2), 0x0A0B0Cu);

    // Against the mix written in each channel's own bit position, over a row long enough for
    // the blocked loop and its tail, for every alpha.
    IMGResize(img, 37, 1);
    const uint32_t olds[] = {0, 0xFFFFFF, 0xFF000000, 0x123456, 0xFEDCBA, 0x80FF01, 0x7F00FF};
    const uint32_t colours[] = {0, 0xFFFFFF, 0xFF00FF00, 0xABCDEF, 0x010203};
    for (uint32_t colour : colours) {
        for (int32_t alpha = 0; alpha <= 256; ++alpha) {
            for (int x = 0; x < 37; ++x) img->pixels[x] = olds[x % 7] ^ static_cast<uint32_t>(x);
            RASTERBlendRow(img, colour, 0, 0, 36, alpha);
            const uint32_t a = static_cast<uint32_t>(alpha), w = 256 - a, col = colour & 0xFFFFFF;
            for (int x = 0; x < 37; ++x) {
                const uint32_t old = olds[x % 7] ^ static_cast<uint32_t>(x);
                const uint32_t want = ((((old & 0xFF0000) * w + (col & 0xFF0000) * a) >> 8) & 0xFF0000) |
                                      ((((old & 0xFF00) * w + (col & 0xFF00) * a) >> 8) & 0xFF00) |
                                      (((old & 0xFF) * w + (col & 0xFF) * a) >> 8);
                ASSERT_EQ(img->pixels[x], want) << std::hex << old << " to " << colour << " at " << alpha;
            }
        }
    }

    // The blended draw walks the rows like the plain one.
    RASTER *bars = rasterOf({0xF0F0F0, 0x000000, 0x800000});
    ASSERT_NE(bars, nullptr);
    IMGResize(img, 2, 4);
    RASTERDrawBlended(bars, img, 128);
    EXPECT_EQ(IMGGetPixel(img, 1, 0), 0x787878u);
    EXPECT_EQ(IMGGetPixel(img, 1, 1), 0u);
    EXPECT_EQ(IMGGetPixel(img, 0, 2), 0x400000u);
    EXPECT_EQ(IMGGetPixel(img, 0, 3), 0x787878u);
    RASTERFree(&bars);
    IMGFree(&img);
}

TEST(Raster, RowOperationsClipAndSkipSilently)
{
    IMG *img = newImage(5, 2);
    ASSERT_NE(img, nullptr);
    // Neither module reports clipping: both switches on, nothing printed.
    RASTERError.on = 1;
    EXPECT_EQ(reported(IMGError, [&] {
                  RASTERFillRow(img, 1, -1, 0, 4);
                  RASTERFillRow(img, 1, 2, 0, 4);
                  RASTERBlendRow(img, 1, INT32_MIN, 0, 4, 256);
                  RASTERFillRow(img, 7, 0, INT32_MIN, INT32_MAX);
                  RASTERFillRow(img, 9, 1, 3, 2);  // first past last: nothing
                  RASTERFillRow(img, 9, 1, 5, INT32_MAX);
                  RASTERFillRow(img, 8, 1, 1, 2);
              }),
              "");
    RASTERError.on = 0;
    const uint32_t expect[2][5] = {{7, 7, 7, 7, 7}, {0, 8, 8, 0, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(IMGGetPixel(img, x, y), expect[y][x]) << x << ", " << y;

    // Spans of every length and start on a row longer than two blocks.
    IMGResize(img, 40, 1);
    for (int32_t first = -2; first < 42; ++first) {
        for (int32_t last = first - 1; last < 43; ++last) {
            IMGClear(img);
            RASTERFillRow(img, 0xABCDEF, 0, first, last);
            for (int32_t x = 0; x < 40; ++x)
                ASSERT_EQ(IMGGetPixel(img, x, 0), x >= first && x <= last ? 0xABCDEFu : 0u)
                    << first << ".." << last << " at " << x;
        }
    }

    // A missing image is the image module's report.
    EXPECT_EQ(reported(IMGError, [&] { RASTERFillRow(nullptr, 1, 0, 0, 4); }), "IMG error\n");
    EXPECT_EQ(reported(IMGError, [&] { RASTERBlendRow(nullptr, 1, 0, 0, 4, 9); }), "IMG error\n");
    IMGFree(&img);
}

TEST(Raster, SmoothAveragesNeighboursWrappingRightReflectingLeft)
{
    std::vector<uint32_t> t(10, 0);
    t[0] = 0x0000FF;
    RASTER *r = rasterOf(t);
    ASSERT_NE(r, nullptr);
    RASTERSmooth(r, 1);
    EXPECT_EQ(r->table[0], 0x00007Fu);
    EXPECT_EQ(r->table[1], 0x00003Fu);
    EXPECT_EQ(r->table[9], 0x00003Fu) << "its right neighbour wraps to entry 0";
    EXPECT_EQ(r->table[2], 0u);

    // Against the term-by-term reference: the rainbow, short tables, and windows wider than the
    // table, which wrap and reflect more than once.
    const std::vector<uint32_t> tables[] = {
        rainbow(), {0x123456}, {0xFFFFFF, 0x010203}, {0xFF0000, 0x00FF00, 0x0000FF, 0x808080, 0x7F7F7F}};
    for (const auto &table : tables) {
        for (int32_t n : {1, 2, 3, 4, 5, 7, 47, 95, 96, 97, 200, 1000}) {
            RASTER *s = rasterOf(table);
            ASSERT_NE(s, nullptr);
            RASTERSmooth(s, n);
            const std::vector<uint32_t> want = smoothReference(table, n);
            for (size_t i = 0; i < table.size(); ++i)
                ASSERT_EQ(s->table[i], want[i]) << "entry " << i << " of " << table.size() << ", n " << n;
            RASTERFree(&s);
        }
    }

    // A huge n costs no more than a small one; the result is the mean over many whole turns.
    RASTER *h = rasterOf({0xFF0000, 0x0000FF});
    ASSERT_NE(h, nullptr);
    RASTERSmooth(h, INT32_MAX);
    EXPECT_EQ(h->table[0], 0x7F007Fu);
    EXPECT_EQ(h->table[1], 0x7F007Fu);

    std::vector<uint32_t> before(r->table, r->table + r->count);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERSmooth(r, 0); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERSmooth(r, -3); }), kLine);
    EXPECT_EQ(std::vector<uint32_t>(r->table, r->table + r->count), before);
    RASTERFree(&r);
    RASTERFree(&h);
}

TEST(Raster, SaveAndLoadRoundTripTheColourTable)
{
    RASTER *r = rasterOf(rainbow());
    ASSERT_NE(r, nullptr);
    r->table[5] = 0xFF000001;  // every bit of a colour survives
    r->phase = 9 << 16;
    TempFile file("kova_raster", "rainbow");
    file.write("old contents that must go");
    EXPECT_EQ(RASTERSave(r, file.path.c_str()), 1);

    const std::string bytes = file.read();
    ASSERT_EQ(bytes.size(), 4u + 96 * 4);
    EXPECT_EQ(bytes.substr(0, 4), le32(96));
    EXPECT_EQ(bytes.substr(4, 4), le32(0xF00000));
    EXPECT_EQ(bytes.substr(4 + 5 * 4, 4), le32(0xFF000001));

    RASTER *back = RASTERLoad(file.path.c_str());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->count, 96);
    EXPECT_EQ(RASTEREqual(back, r), 1);
    EXPECT_EQ(back->phase, 0);
    EXPECT_EQ(back->speed, 0x10000);

    // One colour, and the largest table.
    RASTER *one = rasterOf({0xABCDEF});
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(RASTERSave(one, file.path.c_str()), 1);
    RASTER *oneBack = RASTERLoad(file.path.c_str());
    ASSERT_NE(oneBack, nullptr);
    EXPECT_EQ(RASTEREqual(one, oneBack), 1);
    RASTERResize(one, RASTER_MAX_COUNT);
    for (int i = 0; i < RASTER_MAX_COUNT; ++i) one->table[i] = static_cast<uint32_t>(i * 2654435761u);
    EXPECT_EQ(RASTERSave(one, file.path.c_str()), 1);
    RASTER *big = RASTERLoad(file.path.c_str());
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(RASTEREqual(one, big), 1);

    RASTERFree(&r);
    RASTERFree(&back);
    RASTERFree(&one);
    RASTERFree(&oneBack);
    RASTERFree(&big);
}

TEST(Raster, LoadRefusesFilesThatAreNotColourTables)
{
    TempFile file("kova_raster", "bad");
    const std::string three = le32(3) + le32(1) + le32(2) + le32(3);
    const std::string bad[] = {
        "",                                  // empty
        "\x03",                              // shorter than the count
        le32(0),                             // no colours
        le32(3) + le32(1) + le32(2),         // one colour short
        three + "x",                         // something after the last colour
        le32(0xFFFFFFFF) + le32(1),          // a negative count
        le32(0x7FFFFFFF) + le32(1),          // two billion colours announced, one there
        le32(RASTER_MAX_COUNT + 1) + std::string(4 * (RASTER_MAX_COUNT + 1), '\0'),  // too many
    };
    for (const std::string &bytes : bad) {
        file.write(bytes);
        RASTER *r = reinterpret_cast<RASTER *>(1);
        EXPECT_EQ(reported(RASTERError, [&] { r = RASTERLoad(file.path.c_str()); }), kLine)
            << bytes.size() << " bytes";
        EXPECT_EQ(r, nullptr) << bytes.size() << " bytes";
    }
    file.write(three);
    RASTER *ok = RASTERLoad(file.path.c_str());
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->count, 3);
    EXPECT_EQ(ok->table[2], 3u);
    RASTERFree(&ok);

    RASTER *none = reinterpret_cast<RASTER *>(1);
    EXPECT_EQ(reported(RASTERError, [&] { none = RASTERLoad("/nonexistent/dir/table.bin"); }), kLine);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(reported(RASTERError, [&] { none = RASTERLoad(nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { none = RASTERLoad(std::filesystem::temp_directory_path().c_str()); }), kLine);
    EXPECT_EQ(none, nullptr);
}

TEST(Raster, SaveRefusesWhatItCannotWriteAndLeavesTheFile)
{
    TempFile file("kova_raster", "keep");
    file.write("keep me");
    RASTER *empty = RASTERNew();
    ASSERT_NE(empty, nullptr);
    RASTERResize(empty, 0);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERSave(empty, file.path.c_str()), 0); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERSave(nullptr, file.path.c_str()), 0); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERSave(empty, nullptr), 0); }), kLine);
    EXPECT_EQ(file.read(), "keep me");

    RASTER *r = RASTERNew();
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERSave(r, "/nonexistent/dir/t.bin"), 0); }), kLine);
    if (std::filesystem::exists("/dev/full")) {
        EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERSave(r, "/dev/full"), 0); }), kLine)
            << "a write that fails is not a success";
    }
    RASTERFree(&r);
    RASTERFree(&empty);
}

TEST(Raster, BadArgumentsAreReportedAndChangeNothing)
{
    RASTER *r = RASTERNew();
    IMG *img = newImage(3, 3);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(img, nullptr);
    RASTER *none = nullptr;
    EXPECT_EQ(reported(RASTERError, [&] { RASTERFree(nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERFree(&none); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERDraw(nullptr, img); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERDraw(r, nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERDrawBlended(r, nullptr, 3); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERAdvance(nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERClear(nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERResize(nullptr, 3); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERSmooth(nullptr, 1); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTERCopy(nullptr), nullptr); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { EXPECT_EQ(RASTEREqual(r, nullptr), 0); }), kLine);

    // A raster of no colours has nothing to draw and no table to wrap in.
    IMGPutPixel(img, 1, 1, 0x123456);
    RASTERResize(r, 0);
    r->phase = 77;
    EXPECT_EQ(reported(RASTERError, [&] { RASTERDraw(r, img); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERDrawBlended(r, img, 128); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERAdvance(r); }), kLine);
    EXPECT_EQ(reported(RASTERError, [&] { RASTERSmooth(r, 1); }), kLine);
    EXPECT_EQ(r->phase, 77);
    EXPECT_EQ(IMGGetPixel(img, 1, 1), 0x123456u);
    RASTERFree(&r);
    IMGFree(&img);
}
