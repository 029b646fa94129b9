// The five scenes through their real functions, where a golden frame cannot say why a picture is
// right: the rain's rules, the logo's colour cycle and half-time, scene 3's keys and logo start,
// the trace's rows and its end-of-loop frame, and the typist's lines, page ends and wrap.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/text.h"
#include "demo/data.h"
#include "demo/scenes.h"
#include "support/demo_run.h"

namespace {

class Scenes : public support::DemoRun {};

uint8_t &cell(int32_t column, int32_t row) { return charMap->data[row * charMap->width + column]; }

int32_t countIf(bool (*pick)(uint8_t))
{
    int32_t n = 0;
    for (int32_t k = 0; k < charMap->width * charMap->height; ++k) n += pick(charMap->data[k]);
    return n;
}

bool isDrop(uint8_t v) { return v >= 128 && v <= 143; }

// Every letter cell of the logo map stands in rows 8 to 21 of the character map in `colour`.
bool logoShown(const SceneLogo &logo, uint8_t colour)
{
    for (int32_t r = 0; r < logo.map->height; ++r)
        for (int32_t c = 0; c < charMap->width; ++c)
            if (logo.map->data[r * logo.map->width + c] && cell(c, 8 + r) != colour) return false;
    return true;
}

void recolour(SceneLogo &logo, uint8_t base, uint8_t colour)
{
    BYTEMAPReplace(logo.map, logo.colour, colour);
    logo.base = base;
    logo.colour = colour;
}

}  // namespace

TEST_F(Scenes, RainFallsOneRowPerFramePilesUpAndStaysInTheLastRow)
{
    SceneRainSetup();
    ASSERT_TRUE(charMap && charMap->width == 32 && charMap->height == 32);
    for (int32_t c = 0; c < 32; ++c) cell(c, 0) = 200;  // a full top row: no drop can be born
    cell(5, 12) = 200;                                   // an obstacle, as a logo cell would be
    cell(5, 8) = 130;                                    // a drop above it
    cell(7, 31) = 131;                                   // a drop in the last row
    cell(9, 29) = 132;                                   // a drop about to land
    cell(9, 20) = 133;                                   // ... and one falling onto it
    cell(11, 10) = 144;                                  // not a drop code: stays
    for (int step = 1; step <= 12; ++step) SceneRainStep();
    EXPECT_EQ(cell(5, 11), 130) << "stopped on the obstacle";
    EXPECT_EQ(cell(7, 31), 131) << "never leaves the last row";
    EXPECT_EQ(cell(9, 31), 132);
    EXPECT_EQ(cell(9, 30), 133) << "piled on the other drop";
    EXPECT_EQ(cell(11, 10), 144);
    EXPECT_EQ(countIf(isDrop), 4) << "no drop born under a full top row";
    SceneRainStep();
    EXPECT_EQ(cell(5, 11), 130);

    // With room in the top row exactly one drop is born per frame, and it falls one row a frame.
    SceneRainSetup();
    for (int step = 1; step <= 5; ++step) {
        SceneRainStep();
        EXPECT_EQ(countIf(isDrop), step);
        int32_t inRow = 0;
        for (int32_t c = 0; c < 32; ++c) inRow += isDrop(cell(c, step - 1));
        EXPECT_EQ(inRow, 1) << "the first drop is in row " << step - 1;
    }
}

TEST_F(Scenes, LogoColoursCycleInTheirRangeAndScene1SkipsTheBackgroundCode)
{
    ASSERT_EQ(run(SceneRain, {{1, press(SDLK_SPACE)}}), 1);  // makes the logo
    ASSERT_EQ(run(ScenePlasma, {{1, press(SDLK_SPACE)}}), 1);
    struct Case {
        SceneLogo &logo;
        void (*scene)();
        int32_t half;  // the frame in which the logo is switched on at 25 frames per second
        uint8_t base, from;
        std::vector<uint8_t> colours;  // one per frame from half-time on
    } cases[] = {
        {rainLogo, SceneRain, 251, 176, 183, {184, 186, 187}},
        {rainLogo, SceneRain, 251, 176, 190, {191, 176, 177}},
        {rainLogo, SceneRain, 251, 128, 142, {143, 128, 129}},
        {plasmaLogo, ScenePlasma, 126, 176, 183, {184, 185, 186}},
        {plasmaLogo, ScenePlasma, 126, 128, 143, {128, 129, 130}},
    };
    for (Case &c : cases) {
        recolour(c.logo, c.base, c.from);
        const int32_t last = c.half + static_cast<int32_t>(c.colours.size()) - 1;
        ASSERT_EQ(run(c.scene, {{last, press(SDLK_SPACE)}}), last);
        EXPECT_EQ(c.logo.colour, c.colours.back()) << "from " << int(c.from);
        EXPECT_TRUE(logoShown(c.logo, c.colours.back()));
    }
}

TEST_F(Scenes, SpaceBeforeHalfTimeHidesTheLogoUntilTheNextRunsHalfTime)
{
    run(SceneRain, {{1, press(SDLK_SPACE)}});
    recolour(rainLogo, 128, 133);
    EXPECT_EQ(run(SceneRain, {{200, press(SDLK_SPACE)}}), 200);
    EXPECT_EQ(rainLogo.on, 0);
    EXPECT_EQ(rainLogo.colour, 133) << "the cycle did not move";
    // The next run starts on an empty background and shows the logo from its own half-time on,
    // going on from the colour where the cycle stopped.
    EXPECT_EQ(run(SceneRain, {{250, press(SDLK_SPACE)}}), 250);
    EXPECT_EQ(rainLogo.colour, 133);
    EXPECT_EQ(run(SceneRain, {{252, press(SDLK_SPACE)}}), 252);
    EXPECT_EQ(rainLogo.colour, 135);
    EXPECT_TRUE(logoShown(rainLogo, 135));
    // At 50 frames per second the half-time fixed at the start is frame 501.
    FPSTarget = 50;
    EXPECT_EQ(run(SceneRain, {{500, press(SDLK_SPACE)}}), 500);
    EXPECT_EQ(rainLogo.colour, 135);
}

TEST_F(Scenes, ScrollerKeysAndTheLogosFirstPlace)
{
    EXPECT_EQ(run(SceneScroller, {{1, press(SDLK_SPACE)}}), 1);
    ASSERT_TRUE(scrollerScene.scroller && scrollerScene.logoMap);
    EXPECT_EQ(scrollerScene.logoMap->x, -240) << "the first frame's logo lies wholly left of the window";
    EXPECT_EQ(scrollerScene.logoMap->y, 2);
    EXPECT_EQ(scrollerScene.scroller->speed, 3);
    for (int i = 0; i < 40; ++i) SceneScrollerKey(SDLK_a);
    EXPECT_EQ(scrollerScene.scroller->speed, 32);
    for (int i = 0; i < 70; ++i) SceneScrollerKey(SDLK_s);
    EXPECT_EQ(scrollerScene.scroller->speed, -32);
    const uint8_t letters[] = {160, 176, 128, 144}, logos[] = {128, 144, 160, 176};
    for (int i = 0; i < 4; ++i) {
        SceneScrollerKey(SDLK_b);
        EXPECT_EQ(letterBase, letters[i]);
        EXPECT_EQ(logoBase, logos[i]);
    }
    SceneScrollerKey(SDLK_6);
    EXPECT_EQ(FPSTarget, 50) << "the common keys act as everywhere";
    // The objects of the first run are kept: the next run goes on with the same scroller.
    BSCROLL *const scroller = scrollerScene.scroller;
    run(SceneScroller, {{2, press(SDLK_SPACE)}});
    EXPECT_EQ(scrollerScene.scroller, scroller);
    SceneScrollerSetup();
    EXPECT_EQ(scrollerScene.scroller, scroller) << "a later set-up makes nothing again";
    scroller->speed = 3;
}

TEST_F(Scenes, TheTraceLightsOneRowPerColumnAndSkipsTheFrameAtTheLoopsEnd)
{
    SceneBarsSetup();
    ASSERT_TRUE(barsScene.on);
    ASSERT_EQ(barsScene.step, 40000 / 25);
    // Values by the trace's rule: 0 lights row 16, each 128 a row, 2048 up row 0, -1793 down row 31.
    const int32_t values[] = {0, 127, 128, -1, -128, -129, 2047, 2048, 1 << 30, -1792, -1793, INT32_MIN};
    const int32_t rows[] = {16, 16, 15, 17, 17, 18, 1, 0, 0, 30, 31, 31};
    std::vector<int32_t> loop(40000, 0);
    for (int32_t k = 0; k < 12; ++k) loop[2 * k] = values[k];
    const int32_t *const music = barsScene.values;
    barsScene.values = loop.data();
    barsScene.position = -barsScene.step;
    BYTEMAPFillBox(charMap, 0, 0, 32, 32, 192);
    SceneBarsDraw();
    for (int32_t k = 0; k < 32; ++k)
        for (int32_t r = 0; r < 32; ++r)
            EXPECT_EQ(cell(k, r), r == (k < 12 ? rows[k] : 16) ? 223 : 192) << "column " << k << " row " << r;

    // Positions whose 64 values would run past the loop's end draw nothing; the next step
    // carries the position past the end and back to 0.
    struct Case { int32_t before, after; bool drawn; } cases[] = {
        {40000 - 1600 - 63, 40000 - 63, true},
        {40000 - 1600 - 62, 40000 - 62, false},
        {40000 - 1600, 40000, false},
        {40000 - 1599, 0, true},
    };
    for (const Case &c : cases) {
        BYTEMAPFillBox(charMap, 0, 0, 32, 32, 192);
        barsScene.position = c.before;
        SceneBarsDraw();
        EXPECT_EQ(barsScene.position, c.after);
        EXPECT_EQ(countIf([](uint8_t v) { return v == 223; }), c.drawn ? 32 : 0) << "from " << c.before;
    }
    barsScene.values = music;
}

TEST_F(Scenes, TheTypistClipsALongLineAndEndsOrWrapsThePages)
{
    run(ScenePages, {{1, press(SDLK_SPACE)}});
    ScenePagesState &s = pagesScene;
    // The one line of 33 characters: the 33rd falls at x = 256, outside the canvas.
    const char *line = PAGES_TEXT;
    while (line && std::strcspn(line, "\n") != 33) line = std::strchr(line, '\n') ? std::strchr(line, '\n') + 1 : nullptr;
    ASSERT_NE(line, nullptr);
    IMGClear(s.canvas);
    s.position = static_cast<int32_t>(line - PAGES_TEXT);
    s.penX = 0;
    s.penY = 8;
    for (int i = 0; i < 33; ++i) ScenePagesType();
    EXPECT_EQ(s.penX, 264);
    EXPECT_EQ(s.character, static_cast<unsigned char>(line[32]));
    bool below = false;
    for (int32_t y = 16; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x) below |= IMGGetPixel(s.canvas, x, y) != 0;
    EXPECT_FALSE(below) << "nothing wraps to the next line";
    ScenePagesType();  // the newline
    EXPECT_EQ(s.penX, 0);
    EXPECT_EQ(s.penY, 16);

    // Three bytes before a page's end: the scene ends in the frame that reads the end byte,
    // with the cursor at the top left and the next page next.
    const int32_t end = static_cast<int32_t>(std::strchr(PAGES_TEXT, PAGE_END) - PAGES_TEXT);
    s.position = end - 3;
    EXPECT_EQ(run(ScenePages), 4);
    EXPECT_EQ(s.penX, 0);
    EXPECT_EQ(s.penY, 0);
    EXPECT_EQ(s.position, end + 1);
    EXPECT_EQ(demoFlags, 0);
    EXPECT_EQ(IMGGetPixel(s.canvas, 0, 0), 0xFFFFFFu) << "the cursor block";

    // After the last page the visit reads the text's end first: the cursor at the top left in
    // that frame, the first page typed from the next frame on, on a cleared canvas.
    s.position = TEXTLength(PAGES_TEXT);
    EXPECT_EQ(run(ScenePages, {{1, press(SDLK_SPACE)}}), 1);
    EXPECT_EQ(s.position, 0);
    EXPECT_EQ(s.penX, 0);
    run(ScenePages, {{2, press(SDLK_SPACE)}});
    EXPECT_EQ(s.position, 2);
    EXPECT_EQ(s.penX, PAGES_TEXT[0] == '\n' ? 0 : 16);
}
