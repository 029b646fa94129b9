// SDLDPY: the one video surface, its mode changes, and the three ways of showing a picture.
// Built once per video-mode variant: KOVA_FULLSCREEN (0 or 1) picks the flags below.
#include "platform/sdldpy.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ident.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

ErrorReporter SDLDPYError = {0, "SDLDPY error"};

#ifdef _WIN32
// The Windows build carries the earlier revision, whose block has no kind field.
[[gnu::used]] static const IdentField SDLDPYIdent[] = {"SDLDPY  ", "20100924", "ValenTRQ", "C SDL   "};
#else
KOVA_IDENT(SDLDPYIdent, "SDLDPY  ", "20110108", "LINUXSDL", "ValenTRQ", "CODE    ");
#endif

#ifndef KOVA_FULLSCREEN
#error "KOVA_FULLSCREEN must be 0 or 1: the display is built once per video-mode variant"
#endif

namespace {

// SDL_FULLSCREEN (in the full-screen programs) | SDL_ANYFORMAT | SDL_ASYNCBLIT | SDL_HWSURFACE;
// Windows leaves out SDL_ASYNCBLIT. The depth asked for is always 0, the desktop's own.
#ifdef _WIN32
constexpr uint32_t ASYNC_BLIT = 0;
#else
constexpr uint32_t ASYNC_BLIT = SDL_ASYNCBLIT;
#endif
constexpr uint32_t MODE_FLAGS =
    SDL_ANYFORMAT | SDL_HWSURFACE | ASYNC_BLIT | (KOVA_FULLSCREEN ? SDL_FULLSCREEN : 0u);

constexpr uint32_t RED_MASK = 0x00FF0000u, GREEN_MASK = 0x0000FF00u, BLUE_MASK = 0x000000FFu;

SDLDPY *instance = nullptr;
SDL_Surface *surface = nullptr;  // the screen surface from SDL_SetVideoMode
uint32_t modeFlags = MODE_FLAGS;
int doubleBuffered = 0;
uint8_t dumpFrames = 0;
int32_t dumpCount = 0;
int32_t dumpFailed = 0;  // the first frame whose file could not be written; 0 while none
int dumpErrno = 0;       // errno of that failure; 0 when the C library gave no reason

// The surface that lends an image's pixels to SDL's blitter when the screen is not in the
// image's format. Kept while the size stays the same, so showing a frame allocates nothing;
// SDL keeps its own blit mapping with it and rebuilds that when the target changes.
SDL_Surface *lender = nullptr;

void dropLender()
{
    if (!lender) return;
    lender->pixels = nullptr;  // the pixels are the image's, never SDL's to free
    SDL_FreeSurface(lender);
    lender = nullptr;
}

SDL_Surface *lend(const IMG *image)
{
    if (lender && (lender->w != image->width || lender->h != image->height)) dropLender();
    if (!lender) {
        lender = SDL_CreateRGBSurfaceFrom(image->pixels, image->width, image->height, 32,
                                          image->width * 4, RED_MASK, GREEN_MASK, BLUE_MASK, 0);
        if (!lender) return nullptr;
    }
    lender->pixels = image->pixels;
    return lender;
}

bool isFrameFormat(const SDL_Surface *target)
{
    const SDL_PixelFormat *f = target->format;
    return f->BitsPerPixel == 32 && f->BytesPerPixel == 4 && f->Rmask == RED_MASK &&
           f->Gmask == GREEN_MASK && f->Bmask == BLUE_MASK;
}

// Where a channel mask of 32-bit pixels is one whole byte: its shift, else -1.
int byteShift(uint32_t mask)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (mask == 0xFFu << shift) return shift;
    return -1;
}

// A 32-bit surface whose three channels are whole bytes in another order, like the browser's
// canvas (red in the low byte); an alpha byte, if any, is also whole.
bool isReorderedFormat(const SDL_Surface *target)
{
    const SDL_PixelFormat *f = target->format;
    if (f->BitsPerPixel != 32 || f->BytesPerPixel != 4) return false;
    const int r = byteShift(f->Rmask), g = byteShift(f->Gmask), b = byteShift(f->Bmask);
    return r >= 0 && g >= 0 && b >= 0 && r != g && g != b && r != b && (f->Amask == 0 || byteShift(f->Amask) >= 0);
}

// Each pixel's three bytes moved to the surface's places, its alpha byte set opaque. SDL's
// blitter would do the same, but the browser's SDL has none for pixels in memory.
void copyReordered(SDL_Surface *target, const IMG *image)
{
    const SDL_PixelFormat *f = target->format;
    const int r = byteShift(f->Rmask), g = byteShift(f->Gmask), b = byteShift(f->Bmask);
    const uint32_t opaque = f->Amask;
    for (int32_t row = 0; row < image->height; ++row) {
        const uint32_t *from = image->pixels + static_cast<size_t>(row) * image->width;
        uint32_t *to = static_cast<uint32_t *>(target->pixels) + static_cast<size_t>(row) * (target->pitch / 4);
        for (int32_t x = 0; x < image->width; ++x) {
            const uint32_t p = from[x];
            to[x] = ((p >> 16 & 0xFF) << r) | ((p >> 8 & 0xFF) << g) | ((p & 0xFF) << b) | opaque;
        }
    }
}

void present()
{
    if (doubleBuffered)
        SDL_Flip(surface);
    else
        SDL_UpdateRect(surface, 0, 0, 0, 0);
#ifdef __EMSCRIPTEN__
    // The page shows the canvas only once the browser has control again: every shown frame
    // yields to it (the frame loop never returns to the browser otherwise).
    emscripten_sleep(0);
#endif
}

}  // namespace

uint32_t SDLDPYModeFlags() { return modeFlags; }

// ---- Common operations ----

SDLDPY *SDLDPYNew()
{
    if (instance) return report(SDLDPYError, instance);
#ifndef _WIN32
    modeFlags = MODE_FLAGS;  // the Windows revision sets them in SDLDPYSetMode, to the same effect
#endif
    auto *display = static_cast<SDLDPY *>(std::calloc(1, sizeof(SDLDPY)));
    if (!display) return report(SDLDPYError, nullptr);
    instance = display;
    SDLDPYSetMode(display, 256, 256);
    dumpFrames = 0;
    return display;
}

void SDLDPYFree(SDLDPY **display)
{
    if (!display || !*display || *display != instance) return report(SDLDPYError);
    dropLender();
    if (surface) SDL_FreeSurface(surface);  // SDL leaves its own screen surface alone
    surface = nullptr;
    doubleBuffered = 0;
    std::free(*display);
    *display = nullptr;
    instance = nullptr;
}

const char *SDLDPYToASCII(const SDLDPY *display)
{
    if (!display || display != instance) return report(SDLDPYError, nullptr);
    return "";
}

SDLDPY *SDLDPYFromASCII(const char *text)
{
    if (!text || instance) report(SDLDPYError);
    return nullptr;
}

int SDLDPYEqual(const SDLDPY *a, const SDLDPY *b)
{
    if (!a || !b || a != b || a != instance) return report(SDLDPYError, 0);
    return 1;
}

SDLDPY *SDLDPYCopy(const SDLDPY *display)
{
    if (!display || display != instance) return report(SDLDPYError, nullptr);
    return instance;
}

// ---- Display ----

void SDLDPYSetMode(SDLDPY *display, int32_t width, int32_t height)
{
    if (!display || width < 0 || height < 0) return report(SDLDPYError);
#ifdef _WIN32
    modeFlags = MODE_FLAGS;
#endif
    dropLender();
    if (surface) SDL_FreeSurface(surface);
    surface = SDL_SetVideoMode(width, height, 0, modeFlags);
    if (!surface) {
        doubleBuffered = 0;
        return report(SDLDPYError);
    }
    SDL_WM_SetCaption("KOVA1301", "KOVA1301");
    display->depth = surface->format->BitsPerPixel;
    display->width = width;
    display->height = height;
    doubleBuffered = (surface->flags & SDL_DOUBLEBUF) ? 1 : 0;
}

void SDLDPYPutIMG(SDL_Surface *target, const IMG *image)
{
    if (!target || !target->format || !image || !image->pixels) return report(SDLDPYError);
    if (target->w < image->width || target->h < image->height) return report(SDLDPYError);
    const auto rowBytes = static_cast<size_t>(image->width) * 4;
    if (isFrameFormat(target) && static_cast<size_t>(target->pitch) >= rowBytes) {
        const bool lock = SDL_MUSTLOCK(target);
        if (lock && SDL_LockSurface(target) < 0) return report(SDLDPYError);
        auto *to = static_cast<uint8_t *>(target->pixels);
        const auto *from = reinterpret_cast<const uint8_t *>(image->pixels);
        if (static_cast<size_t>(target->pitch) == rowBytes) {
            std::memcpy(to, from, rowBytes * static_cast<size_t>(image->height));
        } else {
            for (int32_t row = 0; row < image->height; ++row)
                std::memcpy(to + static_cast<size_t>(row) * target->pitch, from + row * rowBytes, rowBytes);
        }
        if (lock) SDL_UnlockSurface(target);
        return;
    }
    if (isReorderedFormat(target) && static_cast<size_t>(target->pitch) >= rowBytes && target->pitch % 4 == 0) {
        const bool lock = SDL_MUSTLOCK(target);
        if (lock && SDL_LockSurface(target) < 0) return report(SDLDPYError);
        copyReordered(target, image);
        if (lock) SDL_UnlockSurface(target);
        return;
    }
    // Any other format (16 or 24 bits, a palette): SDL's blitter converts and locks the target
    // itself.
    SDL_Surface *source = lend(image);
    if (!source) return report(SDLDPYError);
    SDL_BlitSurface(source, nullptr, target, nullptr);
}

void SDLDPYShowIMG(SDLDPY *display, const IMG *image)
{
    if (!display || display != instance || !surface || !image || !image->pixels)
        return report(SDLDPYError);
    if (image->width != display->width || image->height != display->height)
        return report(SDLDPYError);
#ifndef _WIN32
    if (dumpFrames) {
        char name[32];
        ++dumpCount;
        std::snprintf(name, sizeof name, "frame-%05d.ppm", static_cast<int>(dumpCount));
        // A file that cannot be written (a full disk, a directory that refuses it) is reported
        // and remembered; the frame is shown all the same.
        errno = 0;
        if (!IMGSavePPM(image, name)) {
            if (!dumpFailed) dumpFailed = dumpCount, dumpErrno = errno;
            report(SDLDPYError);
        }
    }
#endif
    SDLDPYPutIMG(surface, image);
    present();
}

void SDLDPYBlitIMG(SDLDPY *display, const IMG *image)
{
    if (!display || display != instance || !surface || !image || !image->pixels)
        return report(SDLDPYError);
    const int32_t w = image->width < display->width ? image->width : display->width;
    const int32_t h = image->height < display->height ? image->height : display->height;
    // Rows keep the image's own length, so a wider image is cut to its top-left part instead
    // of being sheared.
    SDL_Surface *temporary = SDL_CreateRGBSurfaceFrom(image->pixels, w, h, 32, image->width * 4,
                                                      RED_MASK, GREEN_MASK, BLUE_MASK, 0);
    if (!temporary) return report(SDLDPYError);
    SDL_Surface *converted = SDL_DisplayFormat(temporary);
    if (converted) SDL_UpperBlit(converted, nullptr, surface, nullptr);
    temporary->pixels = nullptr;
    SDL_FreeSurface(temporary);
    if (!converted) return report(SDLDPYError);
    SDL_FreeSurface(converted);
    present();
}

void SDLDPYShowBYTEMAP(SDLDPY *display, const BYTEMAP *map)
{
    if (!display || display != instance || !surface || !map || !map->data)
        return report(SDLDPYError);
    if (map->width != display->width || map->height != display->height)
        return report(SDLDPYError);
    // The bytes are palette indices: only a surface of one byte per pixel can show them, and
    // a wider one would read past the map.
    if (surface->format->BytesPerPixel != 1 || surface->w < map->width || surface->h < map->height)
        return report(SDLDPYError);
    // Copied rather than lent: drivers that keep their own image of the screen (X11) never see
    // a lent pointer.
    const bool lock = SDL_MUSTLOCK(surface);
    if (lock && SDL_LockSurface(surface) < 0) return report(SDLDPYError);
    auto *to = static_cast<uint8_t *>(surface->pixels);
    for (int32_t row = 0; row < map->height; ++row)
        std::memcpy(to + static_cast<size_t>(row) * surface->pitch,
                    map->data + static_cast<size_t>(row) * map->width, static_cast<size_t>(map->width));
    if (lock) SDL_UnlockSurface(surface);
    present();
}

// ---- Frame dump ----

void SDLDPYSetDump(SDLDPY *display, int on)
{
    if (!display || display != instance) return report(SDLDPYError);
    dumpFrames = on ? 1 : 0;
}

int32_t SDLDPYDumpCount(const SDLDPY *display)
{
    if (!display || display != instance) return report(SDLDPYError, 0);
    return dumpCount;
}

int32_t SDLDPYDumpFailed() { return dumpFailed; }

int SDLDPYDumpError() { return dumpErrno; }

// ---- Access ----

SDLDPY *SDLDPYInstance() { return instance; }

SDL_Surface *SDLDPYSurface(const SDLDPY *display)
{
    if (!display || display != instance) return report(SDLDPYError, nullptr);
    return surface;
}
