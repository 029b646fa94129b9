// The program's frame end, keys, scene lengths, fade and quit, driven in-process on SDL's dummy
// drivers with a virtual clock. Keys arrive as synthetic SDL events pushed during chosen frames.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include <unistd.h>

#include "demo/data.h"
#include "demo/demo.h"
#include "demo/overlay.h"
#include "demo/scenes.h"
#include "support/demo_run.h"
#include "platform/fps.h"

namespace {

class Demo : public support::DemoRun {};

}  // namespace

// First, in a child that starts from nothing: start-up without a usable video driver.
TEST(DemoStartUp, WithoutADisplayItSaysSoAndExitsWithStatusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            DemoInit();
        },
        testing::ExitedWithCode(1), "^KOVA1301: cannot open the display: .+\n$");
}

TEST_F(Demo, StartUpMakesTheSharedObjects)
{
    EXPECT_EQ(display->width, SCREEN_W);
    EXPECT_EQ(display->height, SCREEN_H);
    EXPECT_EQ(screen->width, 256);
    EXPECT_EQ(screen->height, 256);
    EXPECT_EQ(SDLDPYInstance(), display);
    char *title = nullptr, *icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "KOVA1301");
}

// Scene 5 ends at its page's end byte, in the frame that reads it: one frame per byte.
int32_t framesToPageEnd()
{
    int32_t frames = 1;
    for (int32_t at = pagesScene.position; PAGES_TEXT[at] != PAGE_END && frames < SceneLength(5, FPSTarget); ++at)
        ++frames;
    return frames;
}

// Each scene runs as long as SceneLength says, which the recorder's scripts and the benchmarks
// take as the truth.
TEST_F(Demo, SceneLengthsAtBothSpeeds)
{
    for (const int32_t speed : {25, 50}) {
        FPSTarget = speed;
        for (int32_t scene = 1; scene < SCENE_COUNT; ++scene)
            EXPECT_EQ(run(SCENE_CYCLE[scene - 1]), SceneLength(scene, speed)) << "scene " << scene << " at " << speed;
        const int32_t page = framesToPageEnd();
        EXPECT_EQ(run(ScenePages), page) << "a page, at any speed";
        EXPECT_GT(page, 1);
    }
}

TEST_F(Demo, SpeedKeysChangeThePaceAndTheScenesThatReadTheSpeedEachFrame)
{
    // '6' in scene 1: the rest runs at 50 frames a second, the count fixed at the start stays.
    EXPECT_EQ(run(SceneRain, {{100, press(SDLK_6)}}), SceneLength(1, 25));
    EXPECT_EQ(FPSTarget, 50);
    int64_t before = HeadlessNow;
    run(ScenePages, {{1, press(SDLK_SPACE)}});
    FPSUpdate();
    FPSWait();
    EXPECT_EQ(HeadlessNow - before, 20000 * 2) << "two frames of 20 ms";

    // '6' in scene 3 doubles the remaining count; '5' in scene 4 halves it.
    FPSTarget = 25;
    EXPECT_EQ(run(SceneScroller, {{100, press(SDLK_6)}}), SceneLength(3, 50));
    FPSTarget = 50;
    EXPECT_EQ(run(SceneBars, {{100, press(SDLK_5)}}), SceneLength(4, 25));
    EXPECT_EQ(FPSTarget, 25);
    before = HeadlessNow;
    run(ScenePages, {{1, press(SDLK_SPACE)}});
    FPSUpdate();
    FPSWait();
    EXPECT_EQ(HeadlessNow - before, 40000 * 2) << "two frames of 40 ms";
}

TEST_F(Demo, SpaceEndsTheSceneAfterThisFrameAndOnlyThisScene)
{
    EXPECT_EQ(run(SceneRain, {{10, press(SDLK_SPACE)}}), 10);
    EXPECT_EQ(demoFlags, 0);
    EXPECT_EQ(run(ScenePages, {{3, press(SDLK_SPACE)}}), 3) << "scene 5 too";
    // Space in the very last frame: the scene ends as it would have, and the next is not skipped.
    EXPECT_EQ(run(ScenePlasma, {{251, press(SDLK_SPACE)}}), 251);
    EXPECT_EQ(demoFlags, 0);
    EXPECT_EQ(run(ScenePlasma), 251);
    // F7's key symbol has space's low byte.
    EXPECT_EQ(run(SceneBars, {{7, press(SDLK_F7)}}), 7);
}

TEST_F(Demo, AKeyActsOncePerPressAndAPressWithinOneFrameIsLost)
{
    // 'f' pressed in frame 5 and held to the end: toggled once.
    run(ScenePages, {{5, press(SDLK_f)}, {40, press(SDLK_SPACE)}});
    EXPECT_TRUE(DemoRateShown());
    run(ScenePages, {{5, press(SDLK_f)}, {40, press(SDLK_SPACE)}});
    EXPECT_FALSE(DemoRateShown());
    // Pressed and released between two polls: not seen.
    run(ScenePages, {{5, {SDLK_f, true}}, {6, {SDLK_SPACE, true}}, {40, press(SDLK_SPACE)}});
    EXPECT_FALSE(DemoRateShown());
    // The handler sees the key once; the byte is cleared after it.
    int calls = 0;
    static int *counter;
    counter = &calls;
    HeadlessPushKey(SDL_KEYDOWN, SDLK_x);
    DemoFrameEnd([](uint8_t key) { if (key == SDLK_x) ++*counter; });
    DemoFrameEnd([](uint8_t key) { if (key == SDLK_x) ++*counter; });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(keyboard->keys[0], 0);
    EXPECT_EQ(DemoFrameEnd(nullptr), 0) << "a frame end without a handler";
}

TEST_F(Demo, OtherKeysAreIgnored)
{
    for (int key = 0; key < 256; ++key) {
        if (key == SDLK_ESCAPE || key == SDLK_SPACE || key == SDLK_5 || key == SDLK_6 || key == SDLK_f) continue;
        DemoKey(static_cast<uint8_t>(key));
    }
    EXPECT_EQ(FPSTarget, 25);
    EXPECT_EQ(demoFlags, 0);
    EXPECT_EQ(showRate, 0);
    DemoKey(SDLK_f);
    DemoKey(SDLK_6);
    DemoKey(SDLK_SPACE);
    EXPECT_TRUE(DemoRateShown());
    EXPECT_EQ(FPSTarget, 50);
    EXPECT_EQ(demoFlags, 2);
    EXPECT_EQ(DemoFrameEnd(DemoKey), 1);
    EXPECT_EQ(demoFlags, 0) << "cleared by the frame end that acts on it";
    EXPECT_EQ(DemoFrameEnd(DemoKey), 0);
}

TEST_F(Demo, TheFadeShowsSixtyFourStepsDownToBlack)
{
    const auto saved = std::filesystem::current_path();
    const auto dir = std::filesystem::temp_directory_path() / ("kova-fade-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    for (int32_t i = 0; i < 256 * 256; ++i) screen->pixels[i] = i % 3 ? 0xFFFFFF : 0x80FF07;
    const int32_t first = SDLDPYDumpCount(display) + 1;
    SDLDPYSetDump(display, 1);
    DemoFade();
    SDLDPYSetDump(display, 0);
    EXPECT_EQ(SDLDPYDumpCount(display), first + 63) << "64 frames shown";
    auto frame = [&](int step) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.ppm", first + step - 1);
        return IMGLoadPNM(name);
    };
    IMG *one = frame(1), *half = frame(32), *last = frame(64);
    ASSERT_TRUE(one && half && last);
    EXPECT_EQ(IMGGetPixel(one, 1, 0), 0xFBFBFBu);
    EXPECT_EQ(IMGGetPixel(one, 0, 0), 0x7CFB03u);
    EXPECT_EQ(IMGGetPixel(half, 1, 0), 0x7F7F7Fu);
    EXPECT_EQ(IMGGetPixel(half, 0, 0), 0x007F00u) << "channels clamp at 0";
    for (int32_t i = 0; i < 256 * 256; ++i) ASSERT_EQ(last->pixels[i], 0u) << "black at the end";
    for (int32_t i = 0; i < 256 * 256; ++i) ASSERT_EQ(screen->pixels[i], 0u);
    IMGFree(&one);
    IMGFree(&half);
    IMGFree(&last);
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(dir);
}

TEST_F(Demo, EscapeAndF2QuitWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(DemoKey(SDLK_ESCAPE), testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            FPSTarget = 25;
            run(SceneRain, {{3, press(SDLK_F2)}});
            std::exit(3);  // not reached: the frame end quits
        },
        testing::ExitedWithCode(0), "");
}
