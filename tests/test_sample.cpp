// The sound buffer: storage, text form, ranges, rotations, resampling, arithmetic,
// comparison and raw files, with the reports and neutral results of bad arguments.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/sample.h"
#include "report_capture.h"

namespace {

SAMPLE *sampleOf(std::vector<int32_t> values)
{
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, static_cast<int32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) s->values[i] = values[i];
    return s;
}

std::vector<int32_t> valuesOf(const SAMPLE *s)
{
    return std::vector<int32_t>(s->values, s->values + s->length);
}

std::string text(char *t)
{
    std::string out = t ? t : "(null)";
    std::free(t);
    return out;
}

std::string bytesOf(std::FILE *file)
{
    std::rewind(file);
    std::string out;
    for (int c; (c = std::fgetc(file)) != EOF;) out += static_cast<char>(c);
    return out;
}

std::FILE *fileWith(const std::string &bytes)
{
    std::FILE *file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    return file;
}

}  // namespace

TEST(Sample, NewStorageAndCopies)
{
    SAMPLE *s = SAMPLENew();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->length, 0);
    EXPECT_EQ(s->capacity, 32);
    EXPECT_EQ(SAMPLESetLength(s, 40000), 1);
    EXPECT_EQ(s->capacity, 40000);
    EXPECT_EQ(valuesOf(s), std::vector<int32_t>(40000, 0));

    // Shrinking the length keeps the values past it; lengthening shows them again.
    s->values[39999] = 7;
    SAMPLESetLength(s, 10);
    EXPECT_EQ(s->capacity, 40000);
    SAMPLESetLength(s, 40000);
    EXPECT_EQ(s->values[39999], 7);

    EXPECT_EQ(SAMPLEReserve(s, 5), 1) << "reserving below the length drops the tail";
    EXPECT_EQ(s->length, 5);
    EXPECT_EQ(s->capacity, 5);

    SAMPLE *a = sampleOf({1, -2, 3});
    SAMPLE *copy = SAMPLECopy(a);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->capacity, 3);
    EXPECT_NE(copy->values, a->values);
    EXPECT_EQ(SAMPLEEqual(a, copy), 1);
    SAMPLE *empty = SAMPLENew();
    SAMPLE *emptyCopy = SAMPLECopy(empty);
    EXPECT_EQ(emptyCopy->capacity, 32);
    EXPECT_EQ(emptyCopy->length, 0);
    EXPECT_EQ(SAMPLEEqual(empty, emptyCopy), 1);

    // A compiled-in record (static array, capacity = length) copies without being touched.
    static int32_t table[4] = {9, 8, 7, 6};
    const SAMPLE fixed = {4, 4, table};
    SAMPLE *fromTable = SAMPLECopy(&fixed);
    EXPECT_EQ(valuesOf(fromTable), (std::vector<int32_t>{9, 8, 7, 6}));

    copy->values[1] = 5;
    int32_t equal = 1;
    EXPECT_EQ(reported(SAMPLEError, [&] { equal = SAMPLEEqual(a, copy); }), "SAMPLE error\n");
    EXPECT_EQ(equal, 0);
    EXPECT_EQ(reported(SAMPLEError, [&] { equal = SAMPLEEqual(a, empty); }), "SAMPLE error\n");
    EXPECT_EQ(reported(SAMPLEError, [&] { equal = SAMPLEEqual(nullptr, nullptr); }), "SAMPLE error\n");
    EXPECT_EQ(equal, 0);

    const std::string out = reported(SAMPLEError, [&] {
        EXPECT_EQ(SAMPLECopy(nullptr), nullptr);
        EXPECT_EQ(SAMPLEReserve(a, 0), 0);
        EXPECT_EQ(SAMPLESetLength(a, -1), 0);
        SAMPLEZero(nullptr);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(valuesOf(a), (std::vector<int32_t>{1, -2, 3}));
    SAMPLEZero(a);
    EXPECT_EQ(valuesOf(a), (std::vector<int32_t>{0, 0, 0}));

    for (SAMPLE **p : {&s, &a, &copy, &empty, &emptyCopy, &fromTable}) {
        SAMPLEFree(p);
        EXPECT_EQ(*p, nullptr);
    }
    EXPECT_EQ(reported(SAMPLEError, [&] { SAMPLEFree(&s); }), "SAMPLE error\n");
    EXPECT_EQ(reported(SAMPLEError, [&] { SAMPLEFree(nullptr); }), "SAMPLE error\n");
}

TEST(Sample, TextFormRoundTrips)
{
    SAMPLE *empty = SAMPLENew();
    EXPECT_EQ(text(SAMPLEToASCII(empty)), "SAMPLE{}\n");
    SAMPLE *three = sampleOf({5, -12, 0});
    char *form = SAMPLEToASCII(three);
    ASSERT_NE(form, nullptr);
    EXPECT_STREQ(form, "SAMPLE{3\n5\n-12\n0\n}\n");

    SAMPLE *back = SAMPLEFromASCII(form);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(SAMPLEEqual(back, three), 1);
    SAMPLEFree(&back);
    back = SAMPLEFromASCII("SAMPLE{}\n");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->length, 0);
    EXPECT_EQ(back->capacity, 32);
    SAMPLEFree(&back);
    std::free(form);

    // Extremes and a long sample survive; the text is sized exactly (ASan checks the rest).
    SAMPLE *wide = sampleOf({INT32_MIN, INT32_MAX, -1, 10, -100000});
    for (int i = 0; i < 2000; ++i) SAMPLEInsert(wide, i * 37 - 30000, wide->length);
    form = SAMPLEToASCII(wide);
    back = SAMPLEFromASCII(form);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(SAMPLEEqual(back, wide), 1);
    std::free(form);
    SAMPLEFree(&back);

    back = SAMPLEFromASCII("xySAMPLE{2\n-7,8}");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(valuesOf(back), (std::vector<int32_t>{-7, 8}));
    SAMPLEFree(&back);
    back = SAMPLEFromASCII("SAMPLE { count -3: 1 ; - ; 4 2 extra }");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(valuesOf(back), (std::vector<int32_t>{1, 0, 4})) << "a lone '-' is 0; extras ignored";
    SAMPLEFree(&back);
    back = SAMPLEFromASCII("SAMPLE{1\n4294967301\n}");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(valuesOf(back), (std::vector<int32_t>{5})) << "magnitudes wrap at 32 bits";
    SAMPLEFree(&back);
    back = SAMPLEFromASCII("SAMPLE{0\n}");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->length, 0);
    SAMPLEFree(&back);

    SAMPLEFree(&empty);
    SAMPLEFree(&three);
    SAMPLEFree(&wide);
}

TEST(Sample, TextFormRefusesWhatItCannotHold)
{
    // Each refused text reports once and gives null: no header, no brace, a count larger than
    // the numbers the text holds (two billion announced, or a truncated text), no closing brace.
    for (const char *bad : {"", "SAMPL{1 2}", "SAMPLE 1 2", "{1 2}SAMPLE", "SAMPLE{",
                            "SAMPLE{2000000000\n1\n}", "SAMPLE{99999999999999999999\n1\n}",
                            "SAMPLE{3\n1\n2\n}", "SAMPLE{2\n1\n2\n", "SAMPLE{1\n-",
                            "xySAMPLE{2\n-748}"}) {
        SAMPLE *s = reinterpret_cast<SAMPLE *>(1);
        EXPECT_EQ(reported(SAMPLEError, [&] { s = SAMPLEFromASCII(bad); }), "SAMPLE error\n") << bad;
        EXPECT_EQ(s, nullptr) << bad;
    }
    EXPECT_EQ(reported(SAMPLEError, [&] { EXPECT_EQ(SAMPLEFromASCII(nullptr), nullptr); }),
              "SAMPLE error\n");
    EXPECT_EQ(reported(SAMPLEError, [&] { EXPECT_EQ(SAMPLEToASCII(nullptr), nullptr); }),
              "SAMPLE error\n");
}

TEST(Sample, ElementAccess)
{
    SAMPLE *s = sampleOf({4, 5, 4});
    EXPECT_EQ(SAMPLEGet(s, 1), 5);
    SAMPLESet(s, 9, 1);  // value, then position
    EXPECT_EQ(SAMPLEGet(s, 1), 9);
    EXPECT_EQ(SAMPLEFind(s, 4, 0), 0);
    EXPECT_EQ(SAMPLEFind(s, 4, 1), 2);
    EXPECT_EQ(SAMPLEFind(s, 7, 0), -1);

    const std::string out = reported(SAMPLEError, [&] {
        EXPECT_EQ(SAMPLEGet(s, 3), 0);
        EXPECT_EQ(SAMPLEGet(s, -1), 0);
        SAMPLESet(s, 1, 3);
        EXPECT_EQ(SAMPLEFind(s, 4, 3), -1);
        SAMPLEInsert(s, 1, 4);
        SAMPLERemove(s, 3);
    });
    EXPECT_EQ(out.size(), 6 * std::string("SAMPLE error\n").size());
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{4, 9, 4}));

    SAMPLEInsert(s, 1, 0);
    SAMPLEInsert(s, 2, 4);
    SAMPLEInsert(s, 3, 2);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{1, 4, 3, 9, 4, 2}));
    SAMPLERemove(s, 0);
    SAMPLERemove(s, 4);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{4, 3, 9, 4}));

    // Appending past the capacity doubles it.
    SAMPLE *grow = SAMPLENew();
    for (int i = 0; i < 33; ++i) SAMPLEInsert(grow, i, grow->length);
    EXPECT_EQ(grow->capacity, 64);
    EXPECT_EQ(grow->values[32], 32);
    SAMPLEFree(&grow);
    SAMPLEFree(&s);
}

TEST(Sample, RangesSubAndInsertSample)
{
    SAMPLE *s = sampleOf({1, 2, 3, 4});
    SAMPLECopyRange(s, s, 3, 0, 1);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{1, 1, 2, 3})) << "overlap upwards runs backwards";
    SAMPLE *t = sampleOf({1, 2, 3, 4});
    SAMPLECopyRange(t, t, 3, 1, 0);
    EXPECT_EQ(valuesOf(t), (std::vector<int32_t>{2, 3, 4, 4}));

    SAMPLE *d = sampleOf({0, 0, 0});
    SAMPLECopyRange(t, d, 2, 1, 1);
    EXPECT_EQ(valuesOf(d), (std::vector<int32_t>{0, 3, 4}));
    SAMPLECopyRange(t, d, 0, 0, 3);  // nothing to copy, not an error
    SAMPLECopyRange(t, d, -5, 0, 0);
    const std::string out = reported(SAMPLEError, [&] {
        SAMPLECopyRange(t, d, 2, 0, 2);  // past the destination's length
        SAMPLECopyRange(t, d, 2, 3, 0);  // past the source's length
        SAMPLECopyRange(t, d, 1, -1, 0);
        SAMPLECopyRange(t, d, INT32_MAX, 1, 1);
        SAMPLECopyRange(nullptr, d, 1, 0, 0);
    });
    EXPECT_EQ(out.size(), 5 * std::string("SAMPLE error\n").size());
    EXPECT_EQ(valuesOf(d), (std::vector<int32_t>{0, 3, 4}));

    SAMPLE *sub = SAMPLESub(t, 1, 3);
    EXPECT_EQ(valuesOf(sub), (std::vector<int32_t>{3, 4}));
    SAMPLEFree(&sub);
    sub = SAMPLESub(t, -5, 100);
    EXPECT_EQ(valuesOf(sub), (std::vector<int32_t>{2, 3, 4, 4})) << "clipped to the sample";
    SAMPLEFree(&sub);
    sub = SAMPLESub(t, 6, 9);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->length, 0);
    SAMPLEFree(&sub);
    EXPECT_EQ(reported(SAMPLEError, [&] { sub = SAMPLESub(t, 3, 2); }), "SAMPLE error\n");
    EXPECT_EQ(sub, nullptr);

    SAMPLE *ab = sampleOf({1, 2});
    SAMPLE *xyz = sampleOf({7, 8, 9});
    SAMPLEInsertSample(ab, xyz, 1);
    EXPECT_EQ(valuesOf(ab), (std::vector<int32_t>{1, 7, 8, 9, 2}));
    EXPECT_EQ(ab->capacity, 5);
    SAMPLEInsertSample(ab, xyz, 5);
    EXPECT_EQ(valuesOf(ab), (std::vector<int32_t>{1, 7, 8, 9, 2, 7, 8, 9}));
    SAMPLEInsertSample(xyz, xyz, 1);
    EXPECT_EQ(valuesOf(xyz), (std::vector<int32_t>{7, 7, 8, 9, 8, 9})) << "into itself";
    EXPECT_EQ(reported(SAMPLEError, [&] { SAMPLEInsertSample(ab, xyz, 9); }), "SAMPLE error\n");
    EXPECT_EQ(ab->length, 8);

    for (SAMPLE **p : {&s, &t, &d, &ab, &xyz}) SAMPLEFree(p);
}

TEST(Sample, ReverseAndRotations)
{
    SAMPLE *s = sampleOf({1, 2, 3, 4, 5});
    SAMPLERotateRight(s, 3);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{3, 4, 5, 1, 2}));
    SAMPLERotateLeft(s, 3);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    SAMPLERotateLeft(s, 3);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{4, 5, 1, 2, 3}));

    for (int32_t n : {8, -2, 5, 0, INT32_MIN, INT32_MAX}) {
        SAMPLE *a = sampleOf({1, 2, 3, 4, 5});
        SAMPLE *b = sampleOf({1, 2, 3, 4, 5});
        SAMPLERotateRight(a, n);
        const int32_t r = ((n % 5) + 5) % 5;
        SAMPLERotateRight(b, r);
        EXPECT_EQ(valuesOf(a), valuesOf(b)) << "rotating right by " << n;
        SAMPLERotateLeft(a, n);
        EXPECT_EQ(valuesOf(a), (std::vector<int32_t>{1, 2, 3, 4, 5})) << "and back by " << n;
        SAMPLEFree(&a);
        SAMPLEFree(&b);
    }

    // An empty sample has nothing to rotate: reported, unchanged, no division by zero.
    SAMPLE *empty = SAMPLENew();
    int32_t *before = empty->values;
    const std::string out = reported(SAMPLEError, [&] {
        SAMPLERotateLeft(empty, 3);
        SAMPLERotateRight(empty, 0);
        SAMPLERotateRight(nullptr, 1);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(empty->values, before);
    EXPECT_EQ(empty->length, 0);
    EXPECT_EQ(empty->capacity, 32);

    SAMPLEReverse(s);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{3, 2, 1, 5, 4}));
    SAMPLEReverse(empty);
    SAMPLEFree(&s);
    SAMPLEFree(&empty);
}

TEST(Sample, Resample)
{
    SAMPLE *s = sampleOf({1, 2});
    SAMPLEResample(s, 4);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{1, 1, 2, 2}));
    EXPECT_EQ(s->capacity, 4);
    SAMPLEResample(s, 2);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{1, 2}));
    SAMPLEFree(&s);

    // Every size pair: growing repeats every value in order, shrinking picks n distinct
    // positions in order; nothing is read outside the source.
    for (int32_t from = 1; from <= 24; ++from) {
        for (int32_t to = 1; to <= 24; ++to) {
            if (to == from) continue;
            std::vector<int32_t> source(from);
            for (int32_t i = 0; i < from; ++i) source[i] = 100 + i;
            SAMPLE *r = sampleOf(source);
            SAMPLEResample(r, to);
            ASSERT_EQ(r->length, to);
            std::vector<int32_t> got = valuesOf(r);
            for (int32_t i = 0; i < to; ++i) {
                ASSERT_GE(got[i], 100);
                ASSERT_LT(got[i], 100 + from);
                if (i > 0 && to > from) {
                    ASSERT_LE(got[i] - got[i - 1], 1) << from << "->" << to;
                    ASSERT_GE(got[i] - got[i - 1], 0) << from << "->" << to;
                }
                if (i > 0 && to < from) {
                    ASSERT_GT(got[i], got[i - 1]) << from << "->" << to;
                }
            }
            if (to > from) {
                EXPECT_EQ(got.front(), 100);
                EXPECT_EQ(got.back(), 100 + from - 1);
            }
            SAMPLEFree(&r);
        }
    }

    SAMPLE *one = sampleOf({3});
    SAMPLE *empty = SAMPLENew();
    const std::string out = reported(SAMPLEError, [&] {
        SAMPLEResample(one, 0);
        SAMPLEResample(one, 1);
        SAMPLEResample(empty, 4);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(valuesOf(one), (std::vector<int32_t>{3}));
    SAMPLEFree(&one);
    SAMPLEFree(&empty);
}

TEST(Sample, ArithmeticWrapsAndShiftsAreArithmetic)
{
    SAMPLE *loop = SAMPLENew();
    SAMPLESetLength(loop, 40000);
    for (int32_t i = 0; i < 40000; ++i) loop->values[i] = i;
    SAMPLE *pattern = SAMPLENew();
    SAMPLESetLength(pattern, 11024);
    for (int32_t i = 0; i < 11024; ++i) pattern->values[i] = 3;
    SAMPLEAdd(loop, pattern);
    for (int32_t i = 0; i < 40000; ++i) ASSERT_EQ(loop->values[i], i < 11024 ? i + 3 : i) << i;
    SAMPLEAdd(pattern, loop);  // the shorter length bounds it either way
    EXPECT_EQ(pattern->length, 11024);
    EXPECT_EQ(pattern->values[11023], 3 + 11023 + 3);

    SAMPLE *s = sampleOf({-5, 5, INT32_MAX, INT32_MIN, -1});
    SAMPLEShiftRight(s, 2);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{-2, 1, INT32_MAX >> 2, INT32_MIN >> 2, -1}));
    const std::string out = reported(SAMPLEError, [&] {
        SAMPLEShiftRight(s, 33);
        SAMPLEShiftLeft(s, 33);
        SAMPLEShiftLeft(s, -1);
        SAMPLEShiftRight(s, -1);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{-2, 1, INT32_MAX >> 2, INT32_MIN >> 2, -1}));

    SAMPLE *w = sampleOf({-3, 1, INT32_MAX, 0x40000000});
    SAMPLEShiftLeft(w, 1);
    EXPECT_EQ(valuesOf(w), (std::vector<int32_t>{-6, 2, -2, INT32_MIN}));
    SAMPLEShiftRight(w, 32);
    EXPECT_EQ(valuesOf(w), (std::vector<int32_t>{-1, 0, -1, -1})) << "by 32 only the sign is left";
    SAMPLEShiftLeft(w, 32);
    EXPECT_EQ(valuesOf(w), (std::vector<int32_t>{0, 0, 0, 0}));

    SAMPLE *m = sampleOf({3, -4, INT32_MAX, 65536});
    SAMPLEMultiply(m, -2);
    EXPECT_EQ(valuesOf(m), (std::vector<int32_t>{-6, 8, 2, -131072}));
    SAMPLE *k = sampleOf({2, 3});
    SAMPLEMultiplySample(m, k);
    EXPECT_EQ(valuesOf(m), (std::vector<int32_t>{-12, 24, 2, -131072}));
    SAMPLEMultiplySample(k, k);
    EXPECT_EQ(valuesOf(k), (std::vector<int32_t>{4, 9}));
    SAMPLEAdd(k, k);
    EXPECT_EQ(valuesOf(k), (std::vector<int32_t>{8, 18}));
    SAMPLE *big = sampleOf({INT32_MAX});
    SAMPLE *one = sampleOf({1});
    SAMPLEAdd(big, one);
    EXPECT_EQ(big->values[0], INT32_MIN) << "two's-complement wrap, no clamping";

    for (SAMPLE **p : {&loop, &pattern, &s, &w, &m, &k, &big, &one}) SAMPLEFree(p);
}

TEST(Sample, MinMaxAndScale)
{
    SAMPLE *s = sampleOf({4, -7, 12, 0});
    EXPECT_EQ(SAMPLEMin(s), -7);
    EXPECT_EQ(SAMPLEMax(s), 12);
    SAMPLE *empty = SAMPLENew();
    int32_t mn = 1, mx = 1;
    EXPECT_EQ(reported(SAMPLEError, [&] {
        mn = SAMPLEMin(empty);
        mx = SAMPLEMax(empty);
    }), "SAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(mn, 0);
    EXPECT_EQ(mx, 0);

    // Linear: the minimum lands on lo, the maximum on hi (less the 16.16 factor's rounding).
    SAMPLE *r = sampleOf({10, 20, 30});
    SAMPLEScaleToRange(r, -100, 100);
    EXPECT_EQ(valuesOf(r), (std::vector<int32_t>{-100, 0, 100}));
    SAMPLE *t = sampleOf({-32768, 0, 32767});
    SAMPLEScaleToRange(t, 0, 255);
    EXPECT_EQ(t->values[0], 0);
    EXPECT_EQ(t->values[1], (32768 * ((255 << 16) / 65535)) >> 16);
    EXPECT_LE(t->values[2], 255);
    EXPECT_GE(t->values[2], 254);
    SAMPLE *x = sampleOf({INT32_MIN, INT32_MAX});
    SAMPLEScaleToRange(x, INT32_MAX, INT32_MIN);  // the widest reversed range
    EXPECT_EQ(x->values[0], INT32_MAX);
    EXPECT_LE(x->values[1], INT32_MIN + 1);

    SAMPLE *flat = sampleOf({5, 5});
    EXPECT_EQ(reported(SAMPLEError, [&] {
        SAMPLEScaleToRange(flat, 0, 10);
        SAMPLEScaleToRange(empty, 0, 10);
    }), "SAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(valuesOf(flat), (std::vector<int32_t>{5, 5}));
    for (SAMPLE **p : {&s, &empty, &r, &t, &x, &flat}) SAMPLEFree(p);
}

TEST(Sample, MatchCountAndBestOffset)
{
    SAMPLE *a = sampleOf({1, 2, 3, 4});
    SAMPLE *b = sampleOf({3, 4});
    EXPECT_EQ(SAMPLEBestOffset(a, b), 2);
    EXPECT_EQ(SAMPLEMatchCount(a, b, 2), 2);
    EXPECT_EQ(SAMPLEMatchCount(a, b, 3), 0);
    SAMPLE *c = sampleOf({0, 1, 2});
    EXPECT_EQ(SAMPLEMatchCount(a, c, -1), 2) << "b starts before a";
    EXPECT_EQ(SAMPLEBestOffset(a, c), -1);
    SAMPLE *d = sampleOf({1, 2});
    SAMPLE *nine = sampleOf({9});
    EXPECT_EQ(SAMPLEBestOffset(d, nine), -1) << "no match anywhere";
    SAMPLE *twice = sampleOf({5, 0, 5});
    SAMPLE *five = sampleOf({5});
    EXPECT_EQ(SAMPLEBestOffset(twice, five), 0) << "the first of equal counts";

    int32_t count = 9;
    const std::string out = reported(SAMPLEError, [&] {
        count = SAMPLEMatchCount(a, b, 4);
        EXPECT_EQ(SAMPLEMatchCount(a, b, -2), 0);
        EXPECT_EQ(SAMPLEMatchCount(a, nullptr, 0), 0);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(count, 0);
    for (SAMPLE **p : {&a, &b, &c, &d, &nine, &twice, &five}) SAMPLEFree(p);
}

TEST(Sample, RawFileWriteWidthsAndOrders)
{
    SAMPLE *s = sampleOf({-2, 40000});
    std::FILE *file = std::tmpfile();
    SAMPLEWrite(s, file, 16, 'l');
    EXPECT_EQ(bytesOf(file), std::string("\xFE\xFF\xFF\x7F", 4)) << "40000 clamps to 32767";
    std::fclose(file);

    SAMPLE *v = sampleOf({0x123456, -300, INT32_MIN, 1});
    struct Case {
        int32_t width;
        char order;
        std::string bytes;
    };
    const Case cases[] = {
        {8, 'b', std::string("\x7F\x80\x80\x01", 4)},
        {8, 'l', std::string("\x7F\x80\x80\x01", 4)},
        {16, 'b', std::string("\x7F\xFF\xFE\xD4\x80\x00\x00\x01", 8)},
        {7, 'x', std::string("\xFF\x7F\xD4\xFE\x00\x80\x01\x00", 8)},
        {24, 'b', std::string("\x12\x34\x56\xFF\xFE\xD4\x80\x00\x00\x00\x00\x01", 12)},
        {24, 'l', std::string("\x56\x34\x12\xD4\xFE\xFF\x00\x00\x80\x01\x00\x00", 12)},
        {32, 'b', std::string("\x00\x12\x34\x56\xFF\xFF\xFE\xD4\x80\x00\x00\x01\x00\x00\x00\x01", 16)},
        {32, 'l', std::string("\x56\x34\x12\x00\xD4\xFE\xFF\xFF\x01\x00\x00\x80\x01\x00\x00\x00", 16)},
    };
    for (const Case &c : cases) {
        file = std::tmpfile();
        SAMPLEWrite(v, file, c.width, c.order);
        EXPECT_EQ(bytesOf(file), c.bytes) << c.width << c.order;
        std::fclose(file);
    }
    file = std::tmpfile();
    EXPECT_EQ(reported(SAMPLEError, [&] {
        SAMPLEWrite(nullptr, file, 16, 'l');
        SAMPLEWrite(s, nullptr, 16, 'l');
    }), "SAMPLE error\nSAMPLE error\n");
    EXPECT_EQ(bytesOf(file), "");
    std::fclose(file);
    SAMPLEFree(&s);
    SAMPLEFree(&v);
}

TEST(Sample, RawFileReadAndRoundTrip)
{
    std::FILE *file = fileWith(std::string("\x00\x80", 2));
    SAMPLE *s = SAMPLERead(file, 16, 'l', 'u');
    std::fclose(file);
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{0}));
    SAMPLEFree(&s);

    file = fileWith(std::string("\x01\x02\xFF\xFE\x07", 5));
    s = SAMPLERead(file, 16, 'b', 's');
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{0x0102, 0xFFFE})) << "the 16-bit pattern; odd byte dropped";
    SAMPLEFree(&s);
    std::rewind(file);
    s = SAMPLERead(file, 16, 'l', 'u');
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{0x0201 - 32768, 0xFEFF - 32768}));
    SAMPLEFree(&s);
    std::rewind(file);
    s = SAMPLERead(file, 8, 'l', 's');
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{256, 512, 255 * 256, 254 * 256, 7 * 256}));
    SAMPLEFree(&s);
    std::rewind(file);
    s = SAMPLERead(file, 8, 'b', 'u');
    EXPECT_EQ(valuesOf(s), (std::vector<int32_t>{256 - 32768, 512 - 32768, 255 * 256 - 32768,
                                                 254 * 256 - 32768, 7 * 256 - 32768}));
    SAMPLEFree(&s);
    std::fclose(file);

    file = fileWith("");
    s = SAMPLERead(file, 16, 'l', 's');
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->length, 0);
    SAMPLEFree(&s);
    std::fclose(file);

    // 16-bit values written and read back: the sound output plays the low 16 bits, which
    // survive for every value in range; 'u' data comes back biased by 32768.
    SAMPLE *tone = SAMPLENew();
    for (int32_t i = 0; i < 5000; ++i) SAMPLEInsert(tone, (i * 7919) % 65536 - 32768, i);
    for (char order : {'l', 'b'}) {
        file = std::tmpfile();
        SAMPLEWrite(tone, file, 16, order);
        std::rewind(file);
        SAMPLE *back = SAMPLERead(file, 16, order, 's');
        ASSERT_NE(back, nullptr);
        ASSERT_EQ(back->length, tone->length);
        EXPECT_GE(back->capacity, 5000);
        for (int32_t i = 0; i < tone->length; ++i) {
            ASSERT_EQ(static_cast<int16_t>(back->values[i]), tone->values[i]) << i;
        }
        SAMPLEFree(&back);
        std::rewind(file);
        back = SAMPLERead(file, 16, order, 'u');
        for (int32_t i = 0; i < tone->length; ++i) {
            ASSERT_EQ(back->values[i], (tone->values[i] & 0xFFFF) - 32768) << i;
        }
        SAMPLEFree(&back);
        std::fclose(file);
    }
    SAMPLEFree(&tone);

    file = fileWith("ab");
    const std::string out = reported(SAMPLEError, [&] {
        EXPECT_EQ(SAMPLERead(file, 24, 'l', 's'), nullptr);
        EXPECT_EQ(SAMPLERead(file, 16, 'x', 's'), nullptr);
        EXPECT_EQ(SAMPLERead(file, 16, 'l', 'x'), nullptr);
        EXPECT_EQ(SAMPLERead(nullptr, 16, 'l', 's'), nullptr);
    });
    EXPECT_EQ(out, "SAMPLE error\nSAMPLE error\nSAMPLE error\nSAMPLE error\n");
    std::fclose(file);
}
