// The program's start-up, the frame end that every scene calls, the common keys, and the fade
// and exit on Escape.
#include "demo/demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <SDL.h>

#include "core/ident.h"
#include "demo/scenes.h"
#include "platform/fps.h"

KOVA_IDENT(DemoIdent, "KOVA1301", "20110825", "ValenTRQ", "C       ", "PROGRAM ");

namespace {

// Carried in the binary beside the identification block; nothing reads them.
[[gnu::used]] const char *const DEMO_NOTICES[] = {
    "This program is provided as is, without warranty of any kind, express or implied; in no "
    "event shall its authors be liable for any damage arising from its use.",
    "KOVA1301: code, pictures and sound by ValenTRQ, 2011.",
    "Everyone has the right to freedom of opinion and expression; this right includes freedom "
    "to hold opinions without interference and to seek, receive and impart information and "
    "ideas through any media and regardless of frontiers. (Universal Declaration of Human "
    "Rights, article 19)",
};

constexpr uint8_t RATE_SHOWN = 1;   // showRate bit 0

[[noreturn]] void startFailed(const char *what, const char *detail)
{
    if (detail && *detail)
        std::fprintf(stderr, "KOVA1301: %s: %s\n", what, detail);
    else
        std::fprintf(stderr, "KOVA1301: %s\n", what);
    std::exit(1);
}

// The Linux programs open a window or the full screen on X11, or fail: left to itself, SDL
// falls back to drivers that draw into the text terminal (where Escape never arrives) or onto
// the console's frame buffer. A driver the user names in SDL_VIDEODRIVER is respected.
// Windows keeps SDL's own choice.
void chooseVideoDriver()
{
#ifndef _WIN32
    const char *named = std::getenv("SDL_VIDEODRIVER");
    if (!named || !*named) setenv("SDL_VIDEODRIVER", "x11", 1);
#endif
}

// SDL's reason, and on X11 which X display was tried.
[[noreturn]] void displayFailed()
{
    char detail[512];
    const char *driver = std::getenv("SDL_VIDEODRIVER"), *x = std::getenv("DISPLAY");
    if (!driver || std::strcmp(driver, "x11") != 0)
        std::snprintf(detail, sizeof detail, "%s", SDL_GetError());
    else if (x && *x)
        std::snprintf(detail, sizeof detail, "%s (X display \"%s\")", SDL_GetError(), x);
    else
        std::snprintf(detail, sizeof detail, "%s (no X display: DISPLAY is not set)", SDL_GetError());
    startFailed("cannot open the display", detail);
}

}  // namespace

SDLDPY *display = nullptr;
SDLKBD *keyboard = nullptr;
IMG *screen = nullptr;
uint8_t demoFlags = 0;
uint8_t showRate = 0;

void DemoInit()
{
    // The display's first mode change starts SDL's video; the keyboard needs the display.
    chooseVideoDriver();
    display = SDLDPYNew();
    // Without a record there was no memory for it; SDL's error text would tell of something else.
    if (!display) startFailed("out of memory for the display", nullptr);
    if (!SDLDPYSurface(display)) displayFailed();
    keyboard = SDLKBDNew();
    if (!keyboard) startFailed("cannot set up the keyboard", nullptr);
    DemoSoundSetup();
    SDLDPYSetMode(display, SCREEN_W, SCREEN_H);
    if (!SDLDPYSurface(display)) displayFailed();
    screen = IMGNew();
    if (screen) IMGResize(screen, display->width, display->height);
    if (!screen || !screen->pixels || screen->width != display->width)
        startFailed("out of memory for the frame image", nullptr);
    DemoTagSetup();
    DemoTextSetup();
    DemoBigFontSetup();
    std::srand(542388762);
    DemoMusicSetup();
    FPSTarget = 25;
}

int DemoFrameEnd(DemoKeyHandler handler)
{
    DemoDrawTag();
    FPSUpdate();
    FPSWait();
    if (showRate & RATE_SHOWN) DemoDrawRate();
    SDLDPYShowIMG(display, screen);
    DemoMusicStep();
    SDLKBDGetKey(keyboard);
    // A key acts once per press: the byte is cleared after its handler has seen it.
    if (keyboard && keyboard->keys) {
        if (handler) handler(keyboard->keys[0]);
        keyboard->keys[0] = 0;
    }
    if (demoFlags & DEMO_LEAVE_SCENE) {
        demoFlags = static_cast<uint8_t>(demoFlags & ~DEMO_LEAVE_SCENE);
        return 1;
    }
    return 0;
}

void DemoKey(uint8_t key)
{
    switch (key) {
    case 27: DemoQuit();
    case 32: demoFlags |= DEMO_LEAVE_SCENE; break;
    case '5': FPSTarget = 25; break;
    case '6': FPSTarget = 50; break;
    case 'f': showRate ^= RATE_SHOWN; break;
    default: break;
    }
}

void DemoFade()
{
    // No pacing, music or keys between the steps: 64 x 4 takes every channel to 0.
    for (int step = 0; step < 64; ++step) {
        IMGSubtract(screen, 0x040404);
        SDLDPYShowIMG(display, screen);
    }
}

void DemoQuit()
{
    DemoFade();
    // Windows frees nothing first: the process's end does it, and SDLmain's exit handler
    // closes SDL.
#ifndef _WIN32
    IMGFree(&screen);
    DemoTagFree();
    SDLKBDFree(&keyboard);
    SDLDPYFree(&display);
    DemoSoundFree();
#ifndef __EMSCRIPTEN__
    // Gives the desktop its video mode back after the fullscreen program (the browser's SDL
    // has nothing to give back, and says so on the console).
    SDL_Quit();
#endif
#endif
    std::exit(0);
}

void DemoCycle()
{
    for (;;)
        for (void (*scene)() : SCENE_CYCLE) scene();
}
