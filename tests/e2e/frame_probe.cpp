/* Preloaded into the demo by the end-to-end tests (LD_PRELOAD): watches what the program hands
 * to SDL without changing it. Every presentation (SDL_UpdateRect, SDL_Flip) appends one line to
 * the file named by KOVA_PROBE_LOG:
 *     <microseconds, monotonic> <SDL_PollEvent calls since the previous presentation> <sum of R+G+B over the surface>
 * so a test can read the frame pace, see which presentations came without a key poll between
 * them (the fade), and whether the last picture was black. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <SDL.h>

static FILE *logFile;
static unsigned long pollsSincePresent;
static int inFlip; /* SDL_Flip may update through SDL_UpdateRect: one presentation, one line */

static void logPresent(SDL_Surface *surface)
{
    if (!logFile) {
        const char *name = getenv("KOVA_PROBE_LOG");
        if (!name || !(logFile = fopen(name, "w"))) return;
    }
    unsigned long long sum = 0;
    if (surface && surface->pixels && surface->format) {
        const int bpp = surface->format->BytesPerPixel;
        for (int y = 0; y < surface->h; ++y) {
            const Uint8 *row = (const Uint8 *)surface->pixels + (size_t)y * surface->pitch;
            for (int x = 0; x < surface->w; ++x) {
                const Uint8 *p = row + (size_t)x * bpp;
                Uint32 value = 0;
                if (bpp == 2) {
                    Uint16 half;
                    memcpy(&half, p, 2);
                    value = half;
                } else if (bpp == 4) {
                    memcpy(&value, p, 4);
                } else {
                    value = bpp == 1 ? p[0] : (Uint32)(p[0] | p[1] << 8 | p[2] << 16);
                }
                Uint8 r, g, b;
                SDL_GetRGB(value, surface->format, &r, &g, &b);
                sum += (unsigned)r + g + b;
            }
        }
    }
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    fprintf(logFile, "%lld %lu %llu\n", (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000,
            pollsSincePresent, sum);
    fflush(logFile);
    pollsSincePresent = 0;
}

void SDL_UpdateRect(SDL_Surface *screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h)
{
    static void (*real)(SDL_Surface *, Sint32, Sint32, Uint32, Uint32);
    if (!real) *(void **)&real = dlsym(RTLD_NEXT, "SDL_UpdateRect");
    real(screen, x, y, w, h);
    if (!inFlip) logPresent(screen);
}

int SDL_Flip(SDL_Surface *screen)
{
    static int (*real)(SDL_Surface *);
    if (!real) *(void **)&real = dlsym(RTLD_NEXT, "SDL_Flip");
    inFlip = 1;
    const int result = real(screen);
    inFlip = 0;
    logPresent(screen);
    return result;
}

int SDL_PollEvent(SDL_Event *event)
{
    static int (*real)(SDL_Event *);
    if (!real) *(void **)&real = dlsym(RTLD_NEXT, "SDL_PollEvent");
    ++pollsSincePresent;
    return real(event);
}
