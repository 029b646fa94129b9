// What the image and the byte map share, run on both: life cycle, cell access, copies, the
// guards' report line with their neutral results, the text form's round trip and refusals, and
// the PNM readers and writer where their rules agree. Each record's own sample rules and exact
// file bytes are in test_img.cpp and test_bytemap.cpp.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>

#include "report_capture.h"
#include "support/twins.h"

namespace {

using namespace std::string_literals;
using support::Text;

template <class Record>
class Grid : public ::testing::Test {};
TYPED_TEST_SUITE(Grid, twin::Surfaces, twin::Names);

// The record under test (R), its face (S) and its cell type.
#define SURFACE_TWIN                \
    using R = TypeParam;            \
    using S = twin::Surface<R>;     \
    using Cell [[maybe_unused]] = typename S::Cell; \
    using Own [[maybe_unused]] = twin::Owned<R>

std::string tempPath(const char *name) { return support::tempPath("kova_grid", name); }

template <class R>
R *fromPNM(const std::string &data)
{
    return twin::Surface<R>::FromPNM(data.data(), data.size());
}

template <class R>
R *loadPNM(const std::string &bytes)
{
    const std::string path = tempPath("load.pnm");
    support::writeFile(path, bytes);
    R *record = twin::Surface<R>::LoadPNM(path.c_str());
    std::remove(path.c_str());
    return record;
}

template <class R>
std::vector<typename twin::Surface<R>::Cell> zeros(size_t n)
{
    return std::vector<typename twin::Surface<R>::Cell>(n, 0);
}

}  // namespace

TYPED_TEST(Grid, NewResizeClearAndFree)
{
    SURFACE_TWIN;
    R *record = S::New();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->width, 16);
    EXPECT_EQ(record->height, 16);
    EXPECT_EQ(record->x, 0);
    EXPECT_EQ(record->y, 0);
    EXPECT_EQ(record->reserved0, 0);
    EXPECT_EQ(record->reserved1, 0);
    EXPECT_EQ(twin::contents(record), zeros<R>(256));

    std::memset(S::cells(record), 9, 256 * sizeof(Cell));
    S::Resize(record, 16, 16);
    EXPECT_EQ(twin::contents(record), zeros<R>(256)) << "same size, contents dropped";
    S::Resize(record, 3, 2);
    EXPECT_EQ(record->width, 3);
    EXPECT_EQ(record->height, 2);
    EXPECT_EQ(twin::contents(record), zeros<R>(6));
    std::memset(S::cells(record), 3, 6 * sizeof(Cell));
    S::Clear(record);
    EXPECT_EQ(twin::contents(record), zeros<R>(6));

    // A negative size is refused and leaves the record as it was.
    S::cells(record)[0] = 7;
    for (std::pair<int32_t, int32_t> size : {std::pair{-1, 4}, {4, -2}}) {
        EXPECT_EQ(reported(S::error(), [&] { S::Resize(record, size.first, size.second); }), S::line);
        EXPECT_EQ(record->width, 3);
        EXPECT_EQ(S::cells(record)[0], 7u);
    }

    S::Free(&record);
    EXPECT_EQ(record, nullptr);
    EXPECT_EQ(reported(S::error(), [&] { S::Free(&record); }), S::line);
    EXPECT_EQ(reported(S::error(), [&] { S::Free(nullptr); }), S::line);
}

TYPED_TEST(Grid, ClearWritesExactlyItsCells)
{
    SURFACE_TWIN;
    for (auto [w, h] : {std::pair{3, 2}, {2, 3}}) {
        Own record(S::New());
        // Lend the record a longer array so that a write past width x height would show.
        Cell storage[6 + 2] = {1, 2, 3, 4, 5, 6, Cell(0xAAAA), Cell(0xBBBB)};
        Cell *own = S::cells(record);
        if constexpr (std::is_same_v<R, IMG>) record->pixels = storage;
        else record->data = storage;
        record->width = w;
        record->height = h;
        S::Clear(record);
        if constexpr (std::is_same_v<R, IMG>) record->pixels = own;
        else record->data = own;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(storage[i], 0u) << i;
        EXPECT_EQ(storage[6], Cell(0xAAAA));
        EXPECT_EQ(storage[7], Cell(0xBBBB));
    }
}

TYPED_TEST(Grid, GetAndPutInsideOnly)
{
    SURFACE_TWIN;
    Own record(S::New());
    S::Resize(record, 4, 3);
    // Values are stored by the record's own rule: an image keeps all 32 bits, a map the low byte.
    for (uint32_t value : {0x00ABCDEFu, 0xFF000001u, 0x1FFu, uint32_t(-2)}) {
        S::PutPixel(record, 3, 2, value);
        EXPECT_EQ(S::cells(record)[3 + 2 * 4], Cell(value));
        EXPECT_EQ(S::GetPixel(record, 3, 2), Cell(value));
    }
    S::PutPixel(record, 1, 0, 0xFE);
    EXPECT_EQ(S::GetPixel(record, 1, 0), 0xFEu);

    const std::string quiet = reported(S::error(), [&] {
        for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, -1}, {0, 3}, {INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MIN}}) {
            EXPECT_EQ(S::GetPixel(record, x, y), 0u) << x << "," << y;
            S::PutPixel(record, x, y, 0x111111);
        }
    });
    EXPECT_EQ(quiet, "") << "a point outside is not an error";
    int set = 0;
    for (int i = 0; i < 12; ++i) set += S::cells(record)[i] != 0;
    EXPECT_EQ(set, 2);
}

TYPED_TEST(Grid, CopyCopyToAndEqual)
{
    SURFACE_TWIN;
    for (auto [w, h] : {std::pair{5, 3}, {2, 3}}) {
        Own a(twin::noisy<R>(w, h, 1));
        a->x = 4;
        a->y = 5;
        Own b(S::Copy(a));
        ASSERT_TRUE(b.p);
        EXPECT_EQ(b->width, w);
        EXPECT_EQ(b->height, h);
        EXPECT_EQ(b->x, 0);
        EXPECT_EQ(b->y, 0);
        EXPECT_NE(S::cells(b), S::cells(a));
        EXPECT_EQ(S::Equal(a, b), 1);

        S::cells(b)[w * h - 1] ^= 0x80;
        EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(S::Equal(a, b), 0); }), "")
            << "unequal records are no error";
        S::CopyTo(a, b);
        EXPECT_EQ(S::Equal(a, b), 1);

        // Same cell count and the same cells, other shape: not equal, and no copy.
        Own c(twin::filled<R>(h, w));
        std::memcpy(S::cells(c), S::cells(a), size_t(w * h) * sizeof(Cell));
        EXPECT_EQ(S::Equal(a, c), 0);
        S::Clear(c);
        EXPECT_EQ(reported(S::error(), [&] { S::CopyTo(a, c); }), S::line);
        EXPECT_EQ(twin::contents(c.p), zeros<R>(size_t(w * h))) << "destination unchanged";

        S::CopyTo(a, a);  // onto itself: unchanged
        EXPECT_EQ(S::Equal(a, b), 1);
    }
}

TYPED_TEST(Grid, MissingRecordsReportAndReturnNeutral)
{
    SURFACE_TWIN;
    R *none = nullptr;
    Own record(S::New());
    R empty = {};  // a record without a cell array
    char *text = reinterpret_cast<char *>(1);
    const std::string path = tempPath("guard.pnm");

    const std::string lines = reported(S::error(), [&] {
        S::Resize(none, 1, 1);
        S::Clear(none);
        S::Clear(&empty);
        EXPECT_EQ(S::Copy(none), nullptr);
        EXPECT_EQ(S::Copy(&empty), nullptr);
        S::CopyTo(none, record);
        S::CopyTo(record, none);
        S::CopyTo(&empty, record);
        S::CopyTo(record, &empty);
        EXPECT_EQ(S::Equal(none, record), 0);
        EXPECT_EQ(S::Equal(record, none), 0);
        EXPECT_EQ(S::Equal(record, &empty), 0);
        EXPECT_EQ(S::Equal(&empty, record), 0);
        EXPECT_EQ(S::GetPixel(none, 0, 0), 0u);
        EXPECT_EQ(S::GetPixel(&empty, 0, 0), 0u);
        S::PutPixel(none, 0, 0, 1);
        S::PutPixel(&empty, 0, 0, 1);
        text = S::ToASCII(none);
        EXPECT_EQ(S::ToASCII(&empty), nullptr);
        EXPECT_EQ(S::FromASCII(nullptr), nullptr);
        EXPECT_EQ(S::FromPNM(nullptr), nullptr);
        EXPECT_EQ(S::LoadPNM(nullptr), nullptr);
        EXPECT_EQ(S::Save(none, path.c_str()), 0);
        EXPECT_EQ(S::Save(&empty, path.c_str()), 0);
        EXPECT_EQ(S::Save(record, nullptr), 0);
    });
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(lines, twin::lines(S::line, 25));
    EXPECT_EQ(support::readFile(path), "") << "no file written";
}

TYPED_TEST(Grid, TextRoundTripsAndRefusesBadText)
{
    SURFACE_TWIN;
    // Without cells the text is the bare keyword and braces.
    for (auto [w, h] : {std::pair{0, 0}, {0, 4}, {0, 5}}) {
        Own empty(twin::filled<R>(w, h));
        EXPECT_EQ(Text(S::ToASCII(empty)).str(), std::string(S::keyword) + "{}");
    }
    for (auto [w, h] : {std::pair{1, 1}, {6, 1}, {7, 1}, {7, 3}, {3, 7}, {1, 13}, {33, 17}, {40, 9}}) {
        Own record(twin::noisy<R>(w, h, uint32_t(w * 100 + h)));
        Text text(S::ToASCII(record));
        Own back(S::FromASCII(text.p));
        ASSERT_TRUE(back.p) << w << "x" << h;
        EXPECT_EQ(S::Equal(record, back), 1) << w << "x" << h;
    }

    // The keyword and its brace are needed; the text must hold every sample it announces;
    // sizes and numbers are bounded.
    const std::string k = S::keyword;
    const std::string other = std::is_same_v<R, IMG> ? "BYTEMAP" : "IMG";
    const std::string bad[] = {
        k + "{}",
        k + " P3\n1 1\n255\n1 2 3",  // no brace
        "{P3\n1 1\n255\n1 2 3",      // no keyword
        other + "{\nP3\n1 1\n255\n1 1 1",
        "",
        k + "{\nP3\n2 2\n255\n1 2 3 4 5 6 7 8 9 10 11",  // ends one number early
        k + "{\nP3\n2 1\n255\n1 1 1 2 2",
        k + "{\nP3\n1 1\n255\n1 2",
        k + "{\nP3\n1 1\n255\n1 2 4294967296",  // overflows
        k + "{\nP3\n1 1\n255\n1 2 2147483648",
        k + "{\nP3\n1 1\n255\n1 1 99999999999",
        k + "{\nP3\n16385 1\n255\n",  // beyond the side cap
        k + "{\nP3\n20000 1\n255\n",
        k + "{\nP3\n16384 16384\n255\n1 2 3",  // far more than the text holds
        k + "{\nP3\n99999999999999999999 1\n255\n",
    };
    for (const std::string &text : bad)
        EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(S::FromASCII(text.c_str()), nullptr) << text; }), S::line)
            << text;
}

TYPED_TEST(Grid, DecodesGreyAndBitmapFormatsFromMemory)
{
    SURFACE_TWIN;
    // Expected cells as grey levels: a bit set is white (level 255), a P2 level is not clamped
    // (the record keeps what its cell holds of it).
    const struct {
        std::string data;
        int32_t w, h;
        std::vector<uint32_t> levels;
    } pictures[] = {
        {"P1\n3 2\n0 1\n5 001", 3, 2, {0, 255, 255, 0, 0, 255}},  // digits need no separators
        {"P1\n# c\n4 1\n0190", 4, 1, {0, 255, 255, 0}},
        {"P2 2 1 255 7 300", 2, 1, {7, 300}},
        {"P2\n3 1\n255\n300 0 255", 3, 1, {300, 0, 255}},
        {"P5\n3 1\n255\n\x00\x7F\xFF"s, 3, 1, {0, 0x7F, 0xFF}},
        {"P5\n3 1\n255\n\x00\x80\xFF"s, 3, 1, {0, 0x80, 0xFF}},
        // A P4 picture 10 wide from memory keeps its row padding: 16 pixels a row.
        {"P4\n10 2\n\xA5\xC0\x01\x80"s, 16, 2,
         {255, 0, 255, 0, 0, 255, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0,
          0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto &p : pictures) {
        Own record(fromPNM<R>(p.data));
        ASSERT_TRUE(record.p) << p.data;
        EXPECT_EQ(record->width, p.w) << p.data;
        EXPECT_EQ(record->height, p.h) << p.data;
        std::vector<Cell> want;
        for (uint32_t level : p.levels) want.push_back(S::grey(level));
        EXPECT_EQ(twin::contents(record.p), want) << p.data;
    }

    // The bitmap-font sheet's shape: a 1024 x 128 P4, one comment line, no length given.
    std::string sheet = "P4\n# big letters\n1024 128\n" + std::string(16384, '\x81');
    Own big(S::FromPNM(sheet.c_str()));
    ASSERT_TRUE(big.p);
    EXPECT_EQ(big->width, 1024);
    EXPECT_EQ(big->height, 128);
    EXPECT_EQ(S::cells(big)[0], S::grey(255));
    EXPECT_EQ(S::cells(big)[1], 0u);
    EXPECT_EQ(S::cells(big)[7], S::grey(255));
    EXPECT_EQ(S::cells(big)[1024 * 128 - 1], S::grey(255));
}

TYPED_TEST(Grid, HeaderLayoutsReadTheSame)
{
    SURFACE_TWIN;
    const std::string raster = "\x01\x02\x03\x04\x05\x06"s;
    // Each layout against the plain first one of its kind, from memory and from a file.
    const std::vector<std::string> layouts[] = {
        {"P6\n2 1\n255\n", "P6\n2 1\n# a comment between the height and the maximum\n255\n",
         "P6\t2\t1\t255\n", "P6\n\n\r\n2 \n\n 1\n\n255\n", "  P6 # comment\n2 1 255\n",
         "P6\x01\x80\xFF" "2 1 255\n"},  // control and high bytes separate tokens too
        {"P5\n3 2\n255\n", "P5\n# a comment between the magic and the size\n3 2\n255\n",
         "P5\t3\t2\t255\n", "P5\n\n\n3\r\n\n2\n\n\n255\n"},
    };
    for (const auto &kind : layouts) {
        Own want(fromPNM<R>(kind[0] + raster));
        ASSERT_TRUE(want.p);
        for (const std::string &header : kind) {
            Own memory(fromPNM<R>(header + raster)), file(loadPNM<R>(header + raster));
            ASSERT_TRUE(memory.p && file.p) << header;
            EXPECT_EQ(S::Equal(want, memory), 1) << header;
            EXPECT_EQ(S::Equal(want, file), 1) << header;
        }
        // Compiled-in pictures come without a length: the header is trusted.
        const std::string whole = kind[1] + raster;
        Own trusted(S::FromPNM(whole.c_str()));
        ASSERT_TRUE(trusted.p);
        EXPECT_EQ(S::Equal(want, trusted), 1);
    }
}

// Without a size the reader trusts the header and still stops at the raster's last byte: each
// picture here ends where an unreadable page begins. P2 and P3 cannot know where their last
// number ends without the size, so they need it.
TYPED_TEST(Grid, TrustedDataIsReadToTheRasterEndOnly)
{
    SURFACE_TWIN;
    for (const std::string &data : {"P1\n3 1\n101"s, "P4\n10 1\n\xA5\xC0"s, "P5 2 1 255\n\x01\x02"s,
                                   "P6\n1 1\n255\n\x01\x02\x03"s}) {
        const support::Fenced fenced(data);
        Own bounded(fromPNM<R>(data)), trusted(S::FromPNM(fenced.data()));
        ASSERT_TRUE(bounded.p && trusted.p) << data;
        EXPECT_EQ(S::Equal(bounded, trusted), 1) << data;
    }
    for (const std::string &data : {"P2 1 1 255 7"s, "P3 1 1 255 7 7 7"s}) {
        const support::Fenced fenced(data);
        EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(S::FromPNM(fenced.data()), nullptr); }), S::line);
    }
}

TYPED_TEST(Grid, RefusesBadOrShortData)
{
    SURFACE_TWIN;
    const std::string bad[] = {
        "P7\n1 1\n255\n\0\0\0"s,
        "P0\n1 1\n255\n\0\0\0"s,
        "P6\n0 1\n255\n"s,
        "P6\nx 1\n255\n\0\0\0"s,  // a stray letter counts as a zero width
        "P5\nx 1\n255\n\0"s,
        "P5\n1 y\n255\n\0"s,
        "P6\n2 1\n255\n\1\2\3\4\5"s,  // one byte short
        "P5\n3 1\n255\n\0\0"s,
        "P6\n1 1\n255\n\0\0"s,
        "P6\n2 1\n"s,  // ends inside the header
        "P5\n3 1\n"s,
        "P6\n2 1\n255"s,  // no raster at all
        "P6\n# no end to this comment"s,
        ""s,
        "P5\n16385 1\n255\n"s + std::string(16385, '\0'),  // beyond the side cap
        "P5\n16384 16384\n255\n\0\0\0"s,                   // 256 Mi pixels, three bytes
        "P5\n4294967297 1\n255\n\0"s,                      // overflows
        "P5\n1 1\n4294967296\n\0"s,
        "P5\n1 1\n99999999999999\n\0"s,
        "P4\n17 2\n\xFF\xFF\xFF\xFF\xFF"s,  // rows of three bytes, one short
        "P4\n9 1\n\xFF"s,
        "P1\n2 2\n1 0 1"s,
        "P2\n2 1\n255\n4"s,
        "P3\n1 1\n255\n1 2"s,
    };
    for (const std::string &data : bad) {
        EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(fromPNM<R>(data), nullptr); }), S::line) << data;
        EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(loadPNM<R>(data), nullptr); }), S::line) << "file: " << data;
    }
    EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(S::LoadPNM("/nonexistent/kova/picture.pnm"), nullptr); }),
              S::line);
#ifdef __linux__
    // An endless device reports no size; it is read as empty rather than skipped for ever.
    EXPECT_EQ(reported(S::error(), [&] { EXPECT_EQ(S::LoadPNM("/dev/zero"), nullptr); }), S::line);
#endif
}

TYPED_TEST(Grid, FileReaderVariant)
{
    SURFACE_TWIN;
    const Cell white = Cell(0x00FFFFFF);
    // P4 files keep their declared width: two bytes a row for 10 pixels.
    Own p4(loadPNM<R>("P4\n10 2\n\xA5\xC0\x01\x80"s));
    ASSERT_TRUE(p4.p);
    EXPECT_EQ(p4->width, 10);
    const char *bits = "1010010111" "0000000110";
    for (int i = 0; i < 20; ++i) EXPECT_EQ(S::cells(p4)[i], bits[i] == '1' ? white : 0u) << i;

    // P1 samples are whole numbers there.
    Own p1(loadPNM<R>("P1\n4 1\n0 10 00 3"));
    ASSERT_TRUE(p1.p);
    EXPECT_EQ(twin::contents(p1.p), (std::vector<Cell>{0, white, 0, white}));

    // The byte that ends a header number is consumed with it, so a P5 raster starts right
    // after the maximum's terminator.
    Own p5(loadPNM<R>("P5 2 1 255\n\x10\x20"s));
    ASSERT_TRUE(p5.p);
    EXPECT_EQ(S::cells(p5)[1], S::grey(0x20));

    // A plain file several times the reader's buffer: numbers cut by a refill read whole.
    std::mt19937 rng(11);
    std::string grey = "P2\n# long\n200 150\n255\n";
    std::vector<Cell> want;
    for (int i = 0; i < 200 * 150; ++i) {
        const int v = int(rng() % 256);
        grey += std::to_string(v) + (i % 17 == 16 ? "\n" : "   ");
        want.push_back(S::grey(uint32_t(v)));
    }
    ASSERT_GT(grey.size(), 2u * 64 * 1024);
    Own long1(loadPNM<R>(grey)), long2(fromPNM<R>(grey));
    ASSERT_TRUE(long1.p && long2.p);
    EXPECT_EQ(twin::contents(long1.p), want);
    EXPECT_EQ(twin::contents(long2.p), want);
}

TYPED_TEST(Grid, SaveAndLoadRoundTrip)
{
    SURFACE_TWIN;
    const std::string path = tempPath("frame.pnm");
    // A frame, a small odd record, and records much larger than the file buffer: the widest rows
    // the readers take, and many refills.
    for (auto [w, h] : {std::pair{256, 256}, {37, 11}, {16384, 3}, {1000, 300}}) {
        Own record(twin::noisy<R>(w, h, uint32_t(w + h)));
        ASSERT_EQ(S::Save(record, path.c_str()), 1);
        Own back(S::LoadPNM(path.c_str()));
        ASSERT_TRUE(back.p);
        EXPECT_EQ(S::Equal(record, back), 1) << w << "x" << h;
        Own memory(fromPNM<R>(support::readFile(path)));
        EXPECT_EQ(S::Equal(record, memory), 1) << w << "x" << h;
    }
    std::remove(path.c_str());

    Own record(twin::filled<R>(2, 2));
    for (auto [w, h] : {std::pair{0, 0}, {0, 3}}) {
        Own empty(twin::filled<R>(w, h));
        EXPECT_EQ(reported(S::error(), [&] {
                      EXPECT_EQ(S::Save(empty, path.c_str()), 0);
                      EXPECT_EQ(S::Save(record, "/nonexistent/kova/frame.pnm"), 0);
                  }),
                  twin::lines(S::line, 2));
        EXPECT_EQ(support::readFile(path), "") << "an empty record writes no file";
    }
}
