// SDLSYS: the video driver, the display failure's reason, the end of the session.
#include "platform/sdlsys.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void SDLSYSChooseVideoDriver()
{
#ifndef _WIN32
    const char *named = std::getenv("SDL_VIDEODRIVER");
    if (!named || !*named) setenv("SDL_VIDEODRIVER", "x11", 1);
#endif
}

void SDLSYSDisplayFailure(char *text, size_t size)
{
    if (!text || size == 0) return;
    const char *driver = std::getenv("SDL_VIDEODRIVER"), *x = std::getenv("DISPLAY");
    if (!driver || std::strcmp(driver, "x11") != 0)
        std::snprintf(text, size, "%s", SDL_GetError());
    else if (x && *x)
        std::snprintf(text, size, "%s (X display \"%s\")", SDL_GetError(), x);
    else
        std::snprintf(text, size, "%s (no X display: DISPLAY is not set)", SDL_GetError());
}

void SDLSYSQuit()
{
#ifndef __EMSCRIPTEN__
    SDL_Quit();
#endif
}
