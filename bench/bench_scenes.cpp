// Whole frames of the five scenes as the program makes them: the scene's own frame function,
// then the common frame end (tag, pacing on a virtual clock, the frame shown with one 256 KiB
// copy into a 32-bit surface, music step, keys), headless on SDL's dummy drivers. Beside them,
// in the same run: the floor, a 256 KiB memcpy (no frame can be shown for less), and each frame
// done the way a user of SDL would do its work where there is one: SDL's colour-keyed
// SDL_BlitSurface for the 1,024 glyphs of the text-mode scenes, SDL's opaque and colour-keyed
// blits for scene 5's full-screen copies, SDL_gfx's zoomSurface for scene 5's background tile.
// Also the start-up, from DemoInit to the first frame shown, each time in a fresh process, and
// its pictures decoded beside SDL_image's IMG_Load_RW.
#include <SDL.h>
#include <SDL_rotozoom.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/scenes.h"
#include "headless.h"
#include "pictures.h"
#include "ratio.h"

namespace {

// Frames of one visit of each scene at 25 frames per second; the longest visit of scene 5.
constexpr int32_t RAIN_FRAMES = SceneLength(1, 25), PLASMA_FRAMES = SceneLength(2, 25);
constexpr int32_t SCROLLER_FRAMES = SceneLength(3, 25), BARS_FRAMES = SceneLength(4, 25);
constexpr int32_t PAGES_FRAMES = SceneLength(5, 25);

void touch(const void *p)
{
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
}

// A 32-bit SDL surface over an image's pixels, same layout, no copy.
SDL_Surface *surfaceOver(IMG *image)
{
    return SDL_CreateRGBSurfaceFrom(image->pixels, image->width, image->height, 32,
                                    image->width * 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0);
}

// ---- The floor ----

// Both blocks are page-aligned mappings; shifting the destination by a little over a kilobyte
// keeps loads and stores from contending for the same cache sets, which can slow the copy
// several times over and would flatter every ratio against it.
void Memcpy256K(benchmark::State &state)
{
    constexpr size_t shift = (1024 + 64) / 4;
    std::vector<uint32_t> a(SCREEN_W * SCREEN_H, 1), b(SCREEN_W * SCREEN_H + shift);
    for (auto _ : state) {
        std::memcpy(b.data() + shift, a.data(), a.size() * 4);
        touch(b.data());
    }
}
BENCHMARK(Memcpy256K);

// ---- Running a scene ----

// One frame per iteration: the scene's drawing, then the frame end. Every `visit` frames the
// scene starts again with restart(), as the program's next visit would.
template <class Restart, class Frame>
void runScene(benchmark::State &state, int32_t visit, Restart restart, Frame frame,
              DemoKeyHandler keys = DemoKey)
{
    restart();
    int32_t n = 0;
    for (auto _ : state) {
        if (++n == visit) {
            n = 0;
            restart();
        }
        frame();
        DemoFrameEnd(keys);
    }
    touch(screen->pixels);
}

// The 1,024 glyphs of the character map drawn the SDL way: one colour-keyed SDL_BlitSurface
// per cell from a surface over the text font's sheet onto a surface over the frame.
struct SdlGlyphs {
    SDL_Surface *sheet = surfaceOver(textFont->sheet);
    SDL_Surface *frame = surfaceOver(screen);

    SdlGlyphs() { SDL_SetColorKey(sheet, SDL_SRCCOLORKEY, 0); }
    ~SdlGlyphs()
    {
        SDL_FreeSurface(sheet);
        SDL_FreeSurface(frame);
    }
    void draw() const
    {
        const int32_t columns = textFont->sheet->width / 8;
        for (int32_t r = 0; r < charMap->height; ++r)
            for (int32_t c = 0; c < charMap->width; ++c) {
                const int32_t code = charMap->data[r * charMap->width + c];
                SDL_Rect from = {Sint16(code % columns * 8), Sint16(code / columns * 8), 8, 8};
                SDL_Rect to = {Sint16(c * 8), Sint16(r * 8), 8, 8};
                SDL_BlitSurface(sheet, &from, frame, &to);
            }
    }
};

// The scene's own frame with the character map moved off the frame, so that its FONTDrawMap
// draws nothing, and the map then drawn by SDL: the same frame with SDL's blit for the glyphs.
// (Scene 1 lays its logo into the map after its render; SDL then draws the map with the logo,
// which is the same work.)
template <class Frame>
auto withSdlGlyphs(const SdlGlyphs &sdl, Frame frame)
{
    return [&sdl, frame] {
        charMap->x = SCREEN_W;
        frame();
        charMap->x = 0;
        sdl.draw();
    };
}

// ---- Scene 1: rain, with the logo (the frames from half-time on) ----

void rainVisit()
{
    SceneRainSetup();
    rainLogo.on = 1;
}

void Scene1Rain(benchmark::State &state) { runScene(state, RAIN_FRAMES, rainVisit, SceneRainFrame); }
BENCHMARK(Scene1Rain);

void Scene1RainSDLGlyphs(benchmark::State &state)
{
    const SdlGlyphs sdl;
    runScene(state, RAIN_FRAMES, rainVisit, withSdlGlyphs(sdl, SceneRainFrame));
}
BENCHMARK(Scene1RainSDLGlyphs);

// ---- Scene 2: text-mode plasma, with the logo ----

void plasmaVisit()
{
    ScenePlasmaSetup();
    plasmaLogo.on = 1;
}

void Scene2Plasma(benchmark::State &state) { runScene(state, PLASMA_FRAMES, plasmaVisit, ScenePlasmaFrame); }
BENCHMARK(Scene2Plasma);

void Scene2PlasmaSDLGlyphs(benchmark::State &state)
{
    const SdlGlyphs sdl;
    runScene(state, PLASMA_FRAMES, plasmaVisit, withSdlGlyphs(sdl, ScenePlasmaFrame));
}
BENCHMARK(Scene2PlasmaSDLGlyphs);

// ---- Scene 3: plasma scroller ----

void Scene3Scroller(benchmark::State &state)
{
    runScene(state, SCROLLER_FRAMES, kovabench::scrollerReady, SceneScrollerFrame, SceneScrollerKey);
}
BENCHMARK(Scene3Scroller);

void Scene3ScrollerSDLGlyphs(benchmark::State &state)
{
    const SdlGlyphs sdl;
    runScene(state, SCROLLER_FRAMES, kovabench::scrollerReady, withSdlGlyphs(sdl, SceneScrollerFrame),
             SceneScrollerKey);
}
BENCHMARK(Scene3ScrollerSDLGlyphs);

// ---- Scene 4: music trace ----

void Scene4Bars(benchmark::State &state) { runScene(state, BARS_FRAMES, SceneBarsSetup, SceneBarsFrame); }
BENCHMARK(Scene4Bars);

void Scene4BarsSDLGlyphs(benchmark::State &state)
{
    const SdlGlyphs sdl;
    runScene(state, BARS_FRAMES, SceneBarsSetup, withSdlGlyphs(sdl, SceneBarsFrame));
}
BENCHMARK(Scene4BarsSDLGlyphs);

// ---- Scene 5: typed pages ----

void pagesVisit()
{
    ScenePagesSetup();
    IMGClear(pagesScene.canvas);
}

void Scene5Pages(benchmark::State &state) { runScene(state, PAGES_FRAMES, pagesVisit, ScenePagesFrame); }
BENCHMARK(Scene5Pages);

// The frame's steps with SDL_BlitSurface for the opaque background copy and the colour-keyed
// copy of the coloured text.
void Scene5PagesSDLBlits(benchmark::State &state)
{
    ScenePagesState &s = pagesScene;
    SDL_Surface *frame = surfaceOver(screen), *background = nullptr, *rainbow = nullptr;
    const auto visit = [&] {
        pagesVisit();
        if (background) SDL_FreeSurface(background);
        background = surfaceOver(s.background);
        if (!rainbow) {
            rainbow = surfaceOver(s.rainbowCanvas);
            SDL_SetColorKey(rainbow, SDL_SRCCOLORKEY, 0);
        }
    };
    runScene(state, PAGES_FRAMES, visit, [&] {
        SDL_BlitSurface(background, nullptr, frame, nullptr);
        ScenePagesType();
        RASTERDraw(s.rainbow, s.rainbowCanvas);
        RASTERAdvance(s.rainbow);
        IMGAnd(s.canvas, s.rainbowCanvas);
        SDL_BlitSurface(rainbow, nullptr, frame, nullptr);
    });
    SDL_FreeSurface(background);
    SDL_FreeSurface(rainbow);
    SDL_FreeSurface(frame);
}
BENCHMARK(Scene5PagesSDLBlits);

// The start of a visit: a new background, one of the eight tiles magnified 8 times and darkened.
void Scene5VisitStart(benchmark::State &state)
{
    pagesVisit();
    for (auto _ : state) ScenePagesSetup();
    touch(pagesScene.background->pixels);
}
BENCHMARK(Scene5VisitStart);

// The same steps with zoomSurface magnifying the tile; its new surface is copied into the new
// background, which is then darkened as the scene does.
void Scene5VisitStartZoomSurface(benchmark::State &state)
{
    pagesVisit();
    const IMG *sheet = pagesScene.pageFont->sheet;
    for (auto _ : state) {
        IMG *background = IMGNew(), *tile = IMGNew();
        IMGResize(background, SCREEN_W, SCREEN_H);
        IMGResize(tile, 32, 32);
        IMGBlitKeyed(sheet, tile, 512 + 32 * (std::rand() % 8), 0, 0, 0, 32, 32);
        SDL_Surface *from = surfaceOver(tile);
        SDL_Surface *zoomed = zoomSurface(from, 8.0, 8.0, SMOOTHING_OFF);
        for (int32_t row = 0; row < SCREEN_H; ++row)
            std::memcpy(background->pixels + row * SCREEN_W,
                        static_cast<const uint8_t *>(zoomed->pixels) + row * zoomed->pitch, SCREEN_W * 4);
        SDL_FreeSurface(zoomed);
        SDL_FreeSurface(from);
        IMGFree(&tile);
        IMGSubtract(background, 0x808080);
        touch(background->pixels);
        IMGFree(&background);
    }
}
BENCHMARK(Scene5VisitStartZoomSurface);

// ---- The character map alone, on scene 2's map ----

void TextModeGlyphs(benchmark::State &state)
{
    plasmaVisit();
    ScenePlasmaFrame();
    for (auto _ : state) {
        FONTDrawMap(textFont, charMap);
        touch(screen->pixels);
    }
}
BENCHMARK(TextModeGlyphs);

void TextModeGlyphsSDL(benchmark::State &state)
{
    plasmaVisit();
    ScenePlasmaFrame();
    const SdlGlyphs sdl;
    for (auto _ : state) {
        sdl.draw();
        touch(screen->pixels);
    }
}
BENCHMARK(TextModeGlyphsSDL);

// ---- The parts every frame has ----

// The frame end alone: tag, pacing, the 256 KiB copy into the surface, music step, keys.
void FrameEnd(benchmark::State &state)
{
    for (auto _ : state) DemoFrameEnd(DemoKey);
    touch(screen->pixels);
}
BENCHMARK(FrameEnd);

// The clear that starts every frame but scene 5's.
void FrameClear(benchmark::State &state)
{
    for (auto _ : state) {
        IMGClear(screen);
        touch(screen->pixels);
    }
}
BENCHMARK(FrameClear);

// ---- Start-up ----

uint64_t threadNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

// In a fresh process (this program run with --startup-child): the true-colour mode (SDL's
// video starts here instead of in the display's first mode change), DemoInit and the cycle's
// first frame; prints the main thread's CPU time for all of it in nanoseconds.
int startupChild()
{
    HeadlessUseDummyDrivers();
    kovabench::useVirtualClock();
    const uint64_t start = threadNanoseconds();
    if (!kovabench::setTrueColourMode()) return 1;
    DemoInit();
    SceneRainSetup();
    SceneRainFrame();
    DemoFrameEnd(DemoKey);
    std::printf("%llu\n", static_cast<unsigned long long>(threadNanoseconds() - start));
    std::fflush(stdout);
    _exit(0);  // the audio thread is still running: no exit handlers
}

std::string self;  // this program's path

void StartupToFirstFrame(benchmark::State &state)
{
    const std::string command = "'" + self + "' --startup-child";
    for (auto _ : state) {
        std::FILE *child = popen(command.c_str(), "r");
        unsigned long long nanoseconds = 0;
        const bool read = child && std::fscanf(child, "%llu", &nanoseconds) == 1;
        if (child) pclose(child);
        if (!read) {
            state.SkipWithError("the start-up child printed no time");
            break;
        }
        state.SetIterationTime(double(nanoseconds) * 1e-9);
    }
}
BENCHMARK(StartupToFirstFrame)->UseManualTime()->Iterations(20)->Unit(benchmark::kMicrosecond);

// The part of start-up a user would hand to SDL_image: the four pictures, decoded our way and
// through IMG_Load_RW (pictures.h).
void StartupPictures(benchmark::State &state)
{
    for (auto _ : state) kovabench::decodePictures();
}
BENCHMARK(StartupPictures);

void StartupPicturesSDLImage(benchmark::State &state)
{
    SDL_PixelFormat format = kovabench::frameFormat();
    for (auto _ : state) {
        if (!kovabench::loadPicturesWithSDL(format)) {
            state.SkipWithError(IMG_GetError());
            break;
        }
    }
}
BENCHMARK(StartupPicturesSDLImage);

}  // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--startup-child") == 0) return startupChild();
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    self = n > 0 ? std::string(path, size_t(n)) : std::string(argv[0]);
    kovabench::startHeadless();
    return kovabench::runWithRatios(
        argc, argv,
        [](const kovabench::RatioReporter &r) {
            using kovabench::absolute;
            using kovabench::ratio;
            std::printf(" whole frames, drawn and presented, / memcpy 256 KiB:\n");
            ratio(r, "scene 1, rain and logo", "Scene1Rain", "Memcpy256K", "at most 4");
            ratio(r, "scene 2, text-mode plasma and logo", "Scene2Plasma", "Memcpy256K", "at most 6");
            ratio(r, "scene 3, plasma scroller", "Scene3Scroller", "Memcpy256K", "at most 10");
            ratio(r, "scene 4, music trace", "Scene4Bars", "Memcpy256K", "at most 4");
            ratio(r, "scene 5, typed pages", "Scene5Pages", "Memcpy256K", "at most 6");
            std::printf(" the same frames the SDL way / ours:\n");
            ratio(r, "scene 1 with SDL's colour-keyed glyphs", "Scene1RainSDLGlyphs", "Scene1Rain", "");
            ratio(r, "scene 2 with SDL's colour-keyed glyphs", "Scene2PlasmaSDLGlyphs", "Scene2Plasma", "");
            ratio(r, "scene 3 with SDL's colour-keyed glyphs", "Scene3ScrollerSDLGlyphs", "Scene3Scroller", "");
            ratio(r, "scene 4 with SDL's colour-keyed glyphs", "Scene4BarsSDLGlyphs", "Scene4Bars", "");
            ratio(r, "scene 5 with SDL's opaque and keyed blits", "Scene5PagesSDLBlits", "Scene5Pages", "");
            ratio(r, "scene 5 visit start with zoomSurface", "Scene5VisitStartZoomSurface", "Scene5VisitStart", "");
            std::printf(" the character map (1,024 glyphs):\n");
            ratio(r, "FONTDrawMap / memcpy 256 KiB", "TextModeGlyphs", "Memcpy256K", "at most 3");
            ratio(r, "SDL colour-keyed glyphs / FONTDrawMap", "TextModeGlyphsSDL", "TextModeGlyphs", "at least 10");
            std::printf(" start-up:\n");
            ratio(r, "the four pictures through SDL_image / ours", "StartupPicturesSDLImage", "StartupPictures",
                  "at least 4");
            std::printf(" the parts every frame has / memcpy 256 KiB:\n");
            ratio(r, "frame end (tag, present, music, keys)", "FrameEnd", "Memcpy256K", "");
            ratio(r, "clear (IMGClear of the frame)", "FrameClear", "Memcpy256K", "");
            std::printf(" absolute:\n");
            absolute(r, "memcpy 256 KiB", "Memcpy256K", "floor");
            absolute(r, "scene 1 frame", "Scene1Rain", "");
            absolute(r, "scene 2 frame", "Scene2Plasma", "");
            absolute(r, "scene 3 frame", "Scene3Scroller", "");
            absolute(r, "scene 4 frame", "Scene4Bars", "");
            absolute(r, "scene 5 frame", "Scene5Pages", "");
            absolute(r, "scene 5 visit start", "Scene5VisitStart", "once per visit");
            absolute(r, "start-up, DemoInit to the first frame", "StartupToFirstFrame", "once");
            absolute(r, "of which the four pictures", "StartupPictures", "");
        },
        15);
}
