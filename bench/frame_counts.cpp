// kova-frame-counts: the work whose instruction counts the speed regression check compares
// (tools/callgrind-check.sh runs it under valgrind's callgrind). It runs the program headless
// as the scene benchmarks do and has callgrind write the count of each stretch under its own
// name: the start-up from DemoInit to the first frame shown, one whole frame of each scene
// (drawn and presented, after some frames of the scene so that nothing runs for the first
// time, and never a frame whose music step rewrites the loop), that rewrite of the music, and
// one sound callback of 4,096 values. Outside valgrind it does the same work and prints the
// names. Everything runs on the virtual clock, so the counts are the same from run to run; and
// on the portable vector code (the AVX2 copies turned off), so that they are the same on every
// x86-64 (tools/callgrind-check.sh fixes the C library's own choice of copies likewise).
#include <SDL.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include "demo/demo.h"
#include "demo/scenes.h"
#include "demo/soundtrack.h"
#include "gfx/wide.h"
#include "headless.h"
#include "platform/sdlsnd.h"

namespace {

constexpr int32_t WARM_FRAMES = 24;  // frames of a scene before its measured frame

// The counts since the last dump, written under `name`.
void dump(const char *name)
{
    CALLGRIND_DUMP_STATS_AT(name);
    std::printf("%s\n", name);
}

void frame(void (*draw)(), DemoKeyHandler keys = DemoKey)
{
    draw();
    DemoFrameEnd(keys);
}

// Some frames of a scene, then one more counted as `name`; the music step of that frame only
// counts down (the rewrite every 300 frames is counted on its own).
void measure(const char *name, void (*draw)(), DemoKeyHandler keys = DemoKey)
{
    for (int32_t i = 0; i < WARM_FRAMES; ++i) frame(draw, keys);
    while (music && music->countdown <= 1) frame(draw, keys);
    CALLGRIND_ZERO_STATS;
    frame(draw, keys);
    dump(name);
}

}  // namespace

int main()
{
    wide::portableOnly = true;
    HeadlessUseDummyDrivers();
    kovabench::useVirtualClock();

    // Start-up as the program does it, SDL's video started by the 32-bit mode instead of the
    // display's first mode change, then the first frame of the cycle.
    CALLGRIND_ZERO_STATS;
    if (!kovabench::setTrueColourMode()) {
        std::fprintf(stderr, "no 32-bit surface on SDL's dummy driver: %s\n", SDL_GetError());
        return 1;
    }
    DemoInit();
    SceneRainSetup();
    frame(SceneRainFrame);
    dump("startup");

    // The audio thread stops taking the audio lock and draining the queue: the frames that
    // follow feed the queue in the same way on every run.
    SDL_PauseAudio(1);

    rainLogo.on = 1;
    measure("scene1-rain", SceneRainFrame);

    ScenePlasmaSetup();
    plasmaLogo.on = 1;
    measure("scene2-plasma", ScenePlasmaFrame);

    kovabench::scrollerReady();
    measure("scene3-scroller", SceneScrollerFrame, SceneScrollerKey);

    SceneBarsSetup();
    measure("scene4-bars", SceneBarsFrame);

    ScenePagesSetup();
    IMGClear(pagesScene.canvas);
    measure("scene5-pages", ScenePagesFrame);

    // The rewrite of the music loop that every 300th frame makes.
    if (music) music->countdown = 1;
    CALLGRIND_ZERO_STATS;
    DemoMusicStep();
    dump("music-change");

    // One device buffer of the sound output from a queue of references to the loop.
    SDLSND output{};
    output.queue = LISTNew();
    for (int i = 0; i < 4; ++i) SDLSNDPlaySAMPLE(&output, music ? music->loop : nullptr);
    std::vector<uint8_t> stream(2 * SDLSND_FRAMES);
    CALLGRIND_ZERO_STATS;
    SDLSNDCallback(&output, stream.data(), static_cast<int>(stream.size()));
    dump("sound-callback");
    LISTFree(&output.queue);
    std::fflush(stdout);
    _exit(0);  // the audio thread is still there: no exit handlers
}
