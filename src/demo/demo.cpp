// The program's start-up, the frame end that every scene calls, the common keys, and the fade
// and exit on Escape.
#include "demo/demo.h"

#include <cstdio>
#include <cstdlib>

#include "core/ident.h"
#include "demo/overlay.h"
#include "demo/soundtrack.h"
#include "demo/textmode.h"
#include "platform/fps.h"
#include "platform/sdlsys.h"

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

[[noreturn]] void startFailed(const char *what, const char *detail)
{
    if (detail && *detail)
        std::fprintf(stderr, "KOVA1301: %s: %s\n", what, detail);
    else
        std::fprintf(stderr, "KOVA1301: %s\n", what);
    std::exit(1);
}

// SDL's reason, and on X11 which X display was tried.
[[noreturn]] void displayFailed()
{
    char detail[512];
    SDLSYSDisplayFailure(detail, sizeof detail);
    startFailed("cannot open the display", detail);
}

}  // namespace

void DemoInit()
{
    // The display's first mode change starts SDL's video; the keyboard needs the display.
    SDLSYSChooseVideoDriver();
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
    if (DemoRateShown()) DemoDrawRate();
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
    case SDLK_ESCAPE: DemoQuit();
    case SDLK_SPACE: demoFlags |= DEMO_LEAVE_SCENE; break;
    case SDLK_5: FPSTarget = 25; break;
    case SDLK_6: FPSTarget = 50; break;
    case SDLK_f: showRate ^= RATE_SHOWN; break;
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
    if (SDLSYS_FREE_AT_EXIT) {
        IMGFree(&screen);
        DemoTagFree();
        SDLKBDFree(&keyboard);
        SDLDPYFree(&display);
        DemoSoundFree();
        SDLSYSQuit();
    }
    std::exit(0);
}
