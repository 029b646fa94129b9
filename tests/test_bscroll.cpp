// The scroller: set-up, the offset and cursor arithmetic in both directions, and the glyphs it
// draws, with a real bitmap font over a small hand-made sheet.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/text.h"
#include "fx/bscroll.h"
#include "gfx/bfont.h"
#include "gfx/bytemap.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

const std::string kLine = "BSCROLL error\n";

// A font of gw x gh glyphs whose every cell holds its code, except code 32 (empty) and code
// 'C', whose first column is 0 (transparent). 16 glyphs per sheet row, codes 0..127.
BFONT *testFont(int32_t gw, int32_t gh)
{
    BFONT *font = BFONTNew();
    if (!font) return nullptr;
    font->width = gw;
    font->height = gh;
    font->sheet = BYTEMAPNew();
    BYTEMAPResize(font->sheet, 16 * gw, 8 * gh);
    for (int code = 0; code < 128; ++code) {
        if (code == ' ') continue;
        for (int r = 0; r < gh; ++r)
            for (int c = 0; c < gw; ++c)
                if (!(code == 'C' && c == 0))
                    BYTEMAPPutPixel(font->sheet, (code % 16) * gw + c, (code / 16) * gh + r, code);
    }
    return font;
}

using support::newMap;

// One row of a map as text, cells as characters ('.' for 0).
std::string row(const BYTEMAP *m, int32_t y)
{
    std::string s;
    for (int32_t x = 0; x < m->width; ++x) {
        const uint8_t v = BYTEMAPGetPixel(m, x, y);
        s += v ? static_cast<char>(v) : '.';
    }
    return s;
}

struct Fixture {
    BFONT *font;
    BYTEMAP *target;
    BSCROLL *scroller;
    Fixture(const char *text, int32_t gw, int32_t gh, int32_t tw, int32_t th)
        : font(testFont(gw, gh)), target(newMap(tw, th)), scroller(BSCROLLNew())
    {
        BSCROLLSet(scroller, text, font, target);
    }
    ~Fixture()
    {
        BSCROLLFree(&scroller);
        BYTEMAPFree(&target);
        BFONTFree(&font);
    }
};

}  // namespace

TEST(BScroll, NewHasTheDefaultsAndSetAttaches)
{
    BSCROLL *s = BSCROLLNew();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->x, 0);
    EXPECT_EQ(s->y, 0);
    EXPECT_EQ(s->reserved0, 0);
    EXPECT_EQ(s->width, 256);
    EXPECT_EQ(s->height, 256);
    EXPECT_EQ(s->offset, 0);
    EXPECT_EQ(s->speed, 1);
    EXPECT_EQ(s->text, nullptr);
    EXPECT_EQ(s->font, nullptr);
    EXPECT_EQ(s->target, nullptr);
    ASSERT_NE(s->cursor, nullptr);
    EXPECT_EQ(s->cursor->length, 25);
    EXPECT_EQ(std::string(s->cursor->data, 25), "A scroll's default text. ");
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->cursor->step, 1);

    BFONT *font = testFont(32, 30);
    BYTEMAP *target = newMap(200, 64);
    ASSERT_NE(font, nullptr);
    ASSERT_NE(target, nullptr);
    font->reserved1 = 5;
    const char text[] = "HELLO WORLD ";
    s->x = 9;
    s->y = 4;
    s->offset = 17;
    s->speed = -3;
    BSCROLLSet(s, text, font, target);
    EXPECT_EQ(s->text, text);
    EXPECT_EQ(s->font, font);
    EXPECT_EQ(s->target, target);
    EXPECT_EQ(s->x, 0);
    EXPECT_EQ(s->y, 0);
    EXPECT_EQ(s->reserved0, 1);
    EXPECT_EQ(s->width, 200);
    EXPECT_EQ(s->height, 30);
    EXPECT_EQ(s->reserved1, 5);
    EXPECT_EQ(s->offset, 17) << "the offset is kept";
    EXPECT_EQ(s->speed, -3) << "and the speed";
    EXPECT_EQ(s->cursor->data, text);
    EXPECT_EQ(s->cursor->length, 12);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->cursor->step, 1);

    // Set again: the position restarts at the first character.
    s->cursor->position = 7;
    BSCROLLSet(s, text, font, target);
    EXPECT_EQ(s->cursor->position, 0);

    // Any missing argument: reported, nothing changes.
    CURSOR *cursor = s->cursor;
    s->cursor->position = 3;
    s->y = 2;
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLSet(s, nullptr, font, target); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLSet(s, text, nullptr, target); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLSet(s, text, font, nullptr); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLSet(nullptr, text, font, target); }), kLine);
    EXPECT_EQ(s->cursor, cursor);
    EXPECT_EQ(s->cursor->position, 3);
    EXPECT_EQ(s->y, 2);

    BSCROLLFree(&s);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(target->width, 200) << "the target is borrowed, not freed";
    BYTEMAPFree(&target);
    BFONTFree(&font);
}

TEST(BScroll, StepMovesTheOffsetAndWholeCharactersMoveTheCursor)
{
    Fixture f("ABCDEFGHIJ", 32, 32, 256, 32);
    BSCROLL *s = f.scroller;
    ASSERT_NE(s, nullptr);
    s->speed = 3;
    for (int i = 1; i <= 10; ++i) {
        BSCROLLStep(s);
        ASSERT_EQ(s->offset, 3 * i);
        ASSERT_EQ(s->cursor->position, 0);
    }
    BSCROLLStep(s);
    EXPECT_EQ(s->offset, 1);
    EXPECT_EQ(s->cursor->position, 1);

    s->offset = 0;
    s->cursor->position = 0;
    s->speed = 40;
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 8);
    s->offset = 0;
    s->speed = 70;
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 3);
    EXPECT_EQ(s->offset, 6);

    // Backwards: from the first character to the last.
    s->offset = 0;
    s->cursor->position = 0;
    s->speed = -1;
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 9);
    EXPECT_EQ(s->offset, 31);

    // Exactly one glyph back: two characters back at offset 32, then on from there.
    s->offset = 0;
    s->cursor->position = 5;
    s->speed = -32;
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 3);
    EXPECT_EQ(s->offset, 32);
    s->speed = 1;
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 4);
    EXPECT_EQ(s->offset, 1);

    // A speed that wraps the whole text several times, both ways.
    s->offset = 0;
    s->cursor->position = 2;
    s->speed = 32 * 23 + 5;  // 23 characters: twice round and 3 on
    BSCROLLStep(s);
    EXPECT_EQ(s->cursor->position, 5);
    EXPECT_EQ(s->offset, 5);
    s->speed = -(32 * 23 + 5);
    BSCROLLStep(s);
    // 5 - 741 = -23 x 32 exactly: 24 characters back at offset 32, the picture of 23 back.
    EXPECT_EQ(s->cursor->position, 1);
    EXPECT_EQ(s->offset, 32);
}

TEST(BScroll, TheScrollPositionAdvancesBySpeedForAnySpeed)
{
    // The pair (position, offset) is one pixel position modulo length x glyph width; every
    // step must move it by exactly the speed, for any speed, including the extremes.
    Fixture f("0123456", 5, 3, 64, 3);
    BSCROLL *s = f.scroller;
    ASSERT_NE(s, nullptr);
    const int64_t span = 7 * 5;
    auto where = [&] { return (int64_t{s->cursor->position} * 5 + s->offset) % span; };
    std::mt19937 rng(1301);
    std::uniform_int_distribution<int32_t> any(INT32_MIN, INT32_MAX), small(-40, 40);
    for (int i = 0; i < 2000; ++i) {
        const int32_t speed = i % 3 ? small(rng) : i % 2 ? any(rng) : (i % 4 ? INT32_MAX : INT32_MIN);
        const int64_t before = where();
        s->speed = speed;
        BSCROLLStep(s);
        ASSERT_GE(s->offset, 0);
        ASSERT_LE(s->offset, 5);
        ASSERT_GE(s->cursor->position, 0);
        ASSERT_LT(s->cursor->position, 7);
        ASSERT_EQ(where(), (((before + speed) % span) + span) % span) << "speed " << speed;
    }
}

TEST(BScroll, DrawPutsTheVisibleGlyphsAndReturnsTheCursor)
{
    // 4 x 2 glyphs over a 16-cell-wide target: 16 / 4 + 2 = 6 glyphs per draw.
    Fixture f("ABCDE", 4, 2, 16, 3);
    BSCROLL *s = f.scroller;
    ASSERT_NE(s, nullptr);
    BSCROLLDraw(s);
    EXPECT_EQ(row(f.target, 0), "AAAABBBB.CCCDDDD");  // C's first column is transparent
    EXPECT_EQ(row(f.target, 1), "AAAABBBB.CCCDDDD");
    EXPECT_EQ(row(f.target, 2), "................");
    EXPECT_EQ(f.font->x, 24) << "six glyphs of 4";
    EXPECT_EQ(f.font->y, 0);
    EXPECT_EQ(f.font->target, f.target);
    EXPECT_EQ(s->cursor->position, 0);
    EXPECT_EQ(s->cursor->step, 1);

    // Scrolled by 1 pixel from the fourth character on, one row lower; the text wraps and
    // 'C' has a transparent first column that keeps what was there.
    BYTEMAPClear(f.target);
    BYTEMAPPutPixel(f.target, 11, 2, 'z');
    s->cursor->position = 3;
    s->offset = 1;
    s->y = 1;
    BSCROLLDraw(s);
    EXPECT_EQ(row(f.target, 0), "................");
    EXPECT_EQ(row(f.target, 1), "DDDEEEEAAAABBBB.");
    EXPECT_EQ(row(f.target, 2), "DDDEEEEAAAABBBB.");
    BYTEMAPClear(f.target);
    s->offset = 2;
    s->cursor->position = 1;
    BYTEMAPPutPixel(f.target, 2, 1, 'z');
    BSCROLLDraw(s);
    EXPECT_EQ(row(f.target, 1), "BBzCCCDDDDEEEEAA") << "C's empty column lets z show";
    EXPECT_EQ(s->cursor->position, 1) << "the cursor is back at the leftmost character";
    EXPECT_EQ(f.font->x, -2 + 24);

    // The glyphs start at x - offset.
    BYTEMAPClear(f.target);
    s->x = 5;
    s->offset = 0;
    s->y = 0;
    s->cursor->position = 0;
    BSCROLLDraw(s);
    EXPECT_EQ(row(f.target, 0), ".....AAAABBBB.CC");
}

TEST(BScroll, OddTextsAndSizes)
{
    // One character repeats across the whole width.
    {
        Fixture f("Q", 4, 2, 16, 2);
        BSCROLLDraw(f.scroller);
        EXPECT_EQ(row(f.target, 0), "QQQQQQQQQQQQQQQQ");
        f.scroller->offset = 3;
        BSCROLLDraw(f.scroller);
        EXPECT_EQ(row(f.target, 1), "QQQQQQQQQQQQQQQQ");
    }
    // Bytes 128..255 are negative codes: nothing drawn, the pen still moves on.
    {
        Fixture f("A\xe9" "B", 4, 2, 16, 2);
        BSCROLLDraw(f.scroller);
        EXPECT_EQ(row(f.target, 0), "AAAA....BBBBAAAA");
    }
    // An empty text draws nothing and scrolls without moving a cursor, without any report.
    {
        Fixture f("", 4, 2, 16, 2);
        BSCROLL *s = f.scroller;
        EXPECT_EQ(s->cursor->length, 0);
        s->speed = 9;
        CURSORError.on = 1;
        BFONTError.on = 1;
        EXPECT_EQ(reported(BSCROLLError, [&] {
                      BSCROLLDraw(s);
                      BSCROLLStep(s);
                      BSCROLLStep(s);
                      s->speed = -30;
                      BSCROLLStep(s);
                  }),
                  "");
        CURSORError.on = 0;
        BFONTError.on = 0;
        EXPECT_EQ(row(f.target, 0), "................");
        EXPECT_EQ(s->offset, 4) << "18 - 30 = -12: three glyphs back, offset 4";
        EXPECT_EQ(s->cursor->position, 0);
    }
    // A huge width with 1-wide glyphs: only the visible glyphs are drawn, the pen ends where
    // all of them would have put it.
    {
        Fixture f("AB", 1, 1, 6, 1);
        BSCROLL *s = f.scroller;
        s->width = INT32_MAX;
        BSCROLLDraw(s);
        EXPECT_EQ(row(f.target, 0), "ABABAB");
        EXPECT_EQ(f.font->x, INT32_MAX);
        EXPECT_EQ(s->cursor->position, 0);
        s->width = -100;  // no glyphs at all
        BYTEMAPClear(f.target);
        BSCROLLDraw(s);
        EXPECT_EQ(row(f.target, 0), "......");
    }
}

TEST(BScroll, MissingPartsAreReportedAndChangeNothing)
{
    BSCROLL *fresh = BSCROLLNew();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLDraw(fresh); }), kLine) << "no text yet";
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLStep(fresh); }), kLine);
    EXPECT_EQ(fresh->offset, 0);
    EXPECT_EQ(fresh->cursor->position, 0);
    BSCROLLFree(&fresh);

    BSCROLL *none = nullptr;
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLFree(nullptr); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLFree(&none); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLDraw(nullptr); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLStep(nullptr); }), kLine);

    // A font whose glyphs have no width cannot be stepped or drawn: no division by zero.
    Fixture f("ABC", 4, 2, 16, 2);
    BSCROLL *s = f.scroller;
    s->offset = 2;
    f.font->width = 0;
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLStep(s); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLDraw(s); }), kLine);
    EXPECT_EQ(s->offset, 2);
    EXPECT_EQ(row(f.target, 0), "................");
    f.font->width = 4;
    BYTEMAP *target = s->target;
    s->target = nullptr;
    EXPECT_EQ(reported(BSCROLLError, [&] { BSCROLLDraw(s); }), kLine);
    s->target = target;
}

TEST(BScroll, CopyAndEqual)
{
    Fixture f("ABCDE", 4, 2, 16, 2);
    BSCROLL *s = f.scroller;
    s->speed = 3;
    BSCROLLStep(s);
    BSCROLLStep(s);
    BSCROLL *c = BSCROLLCopy(s);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->cursor, s->cursor);
    EXPECT_EQ(BSCROLLEqual(s, c), 1);
    EXPECT_EQ(c->cursor->position, 1);
    EXPECT_EQ(c->offset, 2);
    BSCROLLStep(c);
    EXPECT_EQ(c->cursor->position, 2);
    EXPECT_EQ(s->cursor->position, 1) << "the copy moves on its own";
    EXPECT_EQ(BSCROLLEqual(s, c), 0);
    BSCROLLStep(s);
    EXPECT_EQ(BSCROLLEqual(s, c), 1);
    c->y = 1;
    EXPECT_EQ(BSCROLLEqual(s, c), 0);
    EXPECT_EQ(reported(BSCROLLError, [&] { EXPECT_EQ(BSCROLLEqual(s, nullptr), 0); }), kLine);
    EXPECT_EQ(reported(BSCROLLError, [&] { EXPECT_EQ(BSCROLLCopy(nullptr), nullptr); }), kLine);
    EXPECT_EQ(BSCROLLToASCII(s), nullptr);
    EXPECT_EQ(BSCROLLFromASCII("BSCROLL{}"), nullptr);
    BSCROLLFree(&c);
}
