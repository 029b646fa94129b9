// The program run headless (demo/headless.h), for measuring its frames: the real start-up on
// SDL's dummy drivers, a 32-bit screen surface (so that showing a frame is the straight 256 KiB
// copy the program makes on a true-colour desktop, not a conversion to the dummy driver's 8
// bits) and virtual time, so that the pacing never sleeps. Header-only, in namespace kovabench;
// used by the scene benchmarks and the instruction-count driver.
#pragma once

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "demo/demo.h"
#include "demo/headless.h"
#include "demo/scenes.h"
#include "platform/sdldpy.h"

namespace kovabench {

// A 32-bit 0xFF0000 / 0xFF00 / 0xFF mode with packed rows. SDL takes the depth of a mode asked
// with depth 0 (as the display asks) from the mode before it, so after this every mode the
// display sets is 32-bit too. False when SDL refuses it.
inline bool setTrueColourMode()
{
    const SDL_Surface *s = SDL_SetVideoMode(SCREEN_W, SCREEN_H, 32, SDL_SWSURFACE);
    return s && s->format->BitsPerPixel == 32 && s->format->Rmask == 0x00FF0000u &&
           s->format->Gmask == 0x0000FF00u && s->format->Bmask == 0x000000FFu &&
           s->pitch == SCREEN_W * 4;
}

// The display's own surface in the true-colour mode; after DemoInit.
inline bool displayIsTrueColour()
{
    if (!setTrueColourMode()) return false;
    SDLDPYSetMode(display, SCREEN_W, SCREEN_H);
    const SDL_Surface *s = SDLDPYSurface(display);
    return s && s->format->BitsPerPixel == 32 && s->pitch == SCREEN_W * 4;
}

// The frame timer on virtual time that moves only as the pacing "sleeps"; no keys.
inline void useVirtualClock() { HeadlessStart(HEADLESS_SLEEPS, 0, nullptr); }

// The real start-up on the dummy drivers, then the true-colour surface and the virtual clock.
// Exits with a message when the surface cannot be had: every number would be wrong.
inline void startHeadless()
{
    HeadlessUseDummyDrivers();
    DemoInit();
    if (!displayIsTrueColour()) {
        std::fprintf(stderr, "no 32-bit surface on SDL's dummy driver: %s\n", SDL_GetError());
        std::exit(1);
    }
    useVirtualClock();
}

// Scene 3's objects, made once as its first run makes them.
inline void scrollerReady()
{
    if (scrollerScene.setupDone) return;
    SceneScrollerSetup();
    scrollerScene.setupDone = 1;
}

}  // namespace kovabench
