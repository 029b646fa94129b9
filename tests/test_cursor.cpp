// The cursor: wrapping in both directions, mark and return, and the reports.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "gfx/cursor.h"
#include "report_capture.h"

namespace {

const char TEN[] = "0123456789";

CURSOR *overTen(int32_t step)
{
    CURSOR *cursor = CURSORNew();
    CURSORSet(cursor, TEN, 10, 1, step);
    return cursor;
}

}  // namespace

TEST(Cursor, NewCursorRunsOverTheDefaultText)
{
    CURSOR *cursor = CURSORNew();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->length, 31);
    EXPECT_STREQ(cursor->data, "This is a CURSOR default data. ");
    EXPECT_EQ(cursor->position, 0);
    EXPECT_EQ(cursor->step, 1);
    EXPECT_EQ(cursor->reserved, 1);
    EXPECT_EQ(cursor->mark, 0);
    for (int i = 1; i <= 31; ++i) {
        CURSORStep(cursor);
        EXPECT_EQ(cursor->position, i % 31);
    }
    CURSORFree(&cursor);
    EXPECT_EQ(cursor, nullptr);
}

TEST(Cursor, StepAndSeekWrapAtBothEnds)
{
    CURSOR *cursor = overTen(3);
    CURSORSeek(cursor, 8);
    CURSORStep(cursor);
    EXPECT_EQ(cursor->position, 1);
    cursor->step = -3;
    CURSORStep(cursor);
    EXPECT_EQ(cursor->position, 8);
    CURSORSeek(cursor, 1);
    cursor->step = -13;
    CURSORStep(cursor);
    EXPECT_EQ(cursor->position, 8);
    cursor->step = 0;
    CURSORStep(cursor);
    EXPECT_EQ(cursor->position, 8);

    CURSORSeek(cursor, 10);
    EXPECT_EQ(cursor->position, 0);
    CURSORSeek(cursor, -10);
    EXPECT_EQ(cursor->position, 0);
    CURSORSeek(cursor, 123);
    EXPECT_EQ(cursor->position, 3);

    CURSORSet(cursor, "x", 31, 1, 1);
    CURSORSeek(cursor, -1);
    EXPECT_EQ(cursor->position, 30);
    CURSORFree(&cursor);
}

TEST(Cursor, ExtremeStepsDoNotOverflow)
{
    CURSOR *cursor = overTen(INT32_MAX);
    CURSORSeek(cursor, 9);
    CURSORStep(cursor);  // 9 + 2147483647 = 2147483656
    EXPECT_EQ(cursor->position, 6);
    cursor->step = INT32_MIN;
    CURSORSeek(cursor, 0);
    CURSORStep(cursor);  // -2147483648 mod 10 = -8, made non-negative
    EXPECT_EQ(cursor->position, 2);
    CURSORSeek(cursor, INT32_MIN);
    EXPECT_EQ(cursor->position, 2);
    CURSORFree(&cursor);
}

TEST(Cursor, ReturnGoesBackToTheMark)
{
    CURSOR *cursor = overTen(7);
    CURSORSeek(cursor, 4);
    CURSORMark(cursor);
    for (int i = 0; i < 23; ++i) CURSORStep(cursor);
    EXPECT_NE(cursor->position, 4);
    CURSORReturn(cursor);
    EXPECT_EQ(cursor->position, 4);

    // Attaching a buffer starts over at 0 and keeps the mark.
    CURSORSet(cursor, TEN, 10, 1, 2);
    EXPECT_EQ(cursor->position, 0);
    EXPECT_EQ(cursor->mark, 4);
    EXPECT_EQ(cursor->step, 2);
    CURSORReturn(cursor);
    EXPECT_EQ(cursor->position, 4);

    // A mark beyond a shorter buffer is wrapped into it rather than pointing past its end.
    CURSORSet(cursor, TEN, 3, 1, 1);
    CURSORReturn(cursor);
    EXPECT_EQ(cursor->position, 1);
    CURSORFree(&cursor);
}

TEST(Cursor, EmptyBufferReportsAndStaysPut)
{
    CURSOR *cursor = overTen(1);
    CURSORSeek(cursor, 5);
    CURSORMark(cursor);
    CURSORSet(cursor, nullptr, 0, 1, 3);  // the buffer itself is not tested
    EXPECT_EQ(cursor->data, nullptr);
    for (int32_t length : {0, -4}) {
        cursor->length = length;
        cursor->position = 0;
        EXPECT_EQ(reported(CURSORError, [&] { CURSORStep(cursor); }), "CURSOR Error.\n");
        EXPECT_EQ(reported(CURSORError, [&] { CURSORSeek(cursor, 7); }), "CURSOR Error.\n");
        EXPECT_EQ(reported(CURSORError, [&] { CURSORReturn(cursor); }), "CURSOR Error.\n");
        EXPECT_EQ(cursor->position, 0);
        EXPECT_EQ(cursor->step, 3);
        EXPECT_EQ(cursor->mark, 5);
    }
    CURSORFree(&cursor);
}

TEST(Cursor, CopyAndEqual)
{
    CURSOR *cursor = overTen(3);
    CURSORSeek(cursor, 6);
    CURSORMark(cursor);
    CURSORStep(cursor);
    CURSOR *copy = CURSORCopy(cursor);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->data, TEN) << "the buffer is shared, not copied";
    EXPECT_EQ(CURSOREqual(cursor, copy), 1);
    CURSORReturn(copy);
    EXPECT_EQ(copy->position, 6);
    EXPECT_EQ(CURSOREqual(cursor, copy), 0);
    EXPECT_EQ(cursor->position, 9);
    CURSORFree(&copy);
    EXPECT_EQ(CURSORToASCII(cursor), nullptr);
    EXPECT_EQ(CURSORFromASCII("CURSOR{}"), nullptr);
    CURSORFree(&cursor);
}

TEST(Cursor, NullCursorReportsEverywhere)
{
    CURSOR *none = nullptr;
    const char *line = "CURSOR Error.\n";
    EXPECT_EQ(reported(CURSORError, [&] { CURSORFree(&none); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORFree(nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORSet(nullptr, TEN, 10, 1, 1); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORStep(nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORSeek(nullptr, 1); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORMark(nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { CURSORReturn(nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { EXPECT_EQ(CURSORToASCII(nullptr), nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { EXPECT_EQ(CURSORFromASCII(nullptr), nullptr); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { EXPECT_EQ(CURSOREqual(nullptr, nullptr), 0); }), line);
    EXPECT_EQ(reported(CURSORError, [&] { EXPECT_EQ(CURSORCopy(nullptr), nullptr); }), line);

    CURSOR *cursor = CURSORNew();
    EXPECT_EQ(reported(CURSORError, [&] { CURSORStep(cursor); CURSORMark(cursor); }), "");
    CURSORFree(&cursor);
}
