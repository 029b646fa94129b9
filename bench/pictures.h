// The four pictures the program decodes at start-up (the tag, text and page sheets and the big
// letters), decoded the program's way and the way a user of SDL would: SDL_image's IMG_Load_RW
// from the same bytes, then the three true-colour sheets converted to the frame's 0x00RRGGBB
// layout (the big letters stay the 8-bit surface SDL gives them). Header-only, in namespace
// kovabench; a program that includes it links SDL_image.
#pragma once

#include <SDL.h>
#include <SDL_image.h>
#include <benchmark/benchmark.h>

#include "demo/data.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"

namespace kovabench {

// The frame's pixel layout: 32 bits, 0x00RRGGBB.
inline SDL_PixelFormat frameFormat()
{
    SDL_PixelFormat format = {};
    format.BitsPerPixel = 32;
    format.BytesPerPixel = 4;
    format.Rmask = 0xFF0000;
    format.Gmask = 0xFF00;
    format.Bmask = 0xFF;
    format.Rshift = 16;
    format.Gshift = 8;
    format.alpha = 255;
    return format;
}

// The four pictures with the image's and the bytemap's PNM readers, as DemoInit and scene 5 do.
inline void decodePictures()
{
    const struct {
        const unsigned char *data;
        size_t size;
    } sheets[] = {{TAG_SHEET, TAG_SHEET_SIZE}, {TEXT_SHEET, TEXT_SHEET_SIZE}, {PAGE_SHEET, PAGE_SHEET_SIZE}};
    for (const auto &sheet : sheets) {
        IMG *image = IMGFromPNM(sheet.data, sheet.size);
        benchmark::DoNotOptimize(image ? image->pixels : nullptr);
        IMGFree(&image);
    }
    BYTEMAP *map = BYTEMAPFromPNM(BIG_SHEET, BIG_SHEET_SIZE);
    benchmark::DoNotOptimize(map ? map->data : nullptr);
    BYTEMAPFree(&map);
}

// The four pictures through SDL_image; false (SDL_image's error is set) when one fails.
inline bool loadPicturesWithSDL(SDL_PixelFormat &format)
{
    const struct {
        const unsigned char *data;
        size_t size;
        bool convert;
    } pictures[] = {{TAG_SHEET, TAG_SHEET_SIZE, true},
                    {TEXT_SHEET, TEXT_SHEET_SIZE, true},
                    {PAGE_SHEET, PAGE_SHEET_SIZE, true},
                    {BIG_SHEET, BIG_SHEET_SIZE, false}};
    for (const auto &p : pictures) {
        SDL_Surface *loaded = IMG_Load_RW(SDL_RWFromConstMem(p.data, int(p.size)), 1);
        if (!loaded) return false;
        SDL_Surface *converted = p.convert ? SDL_ConvertSurface(loaded, &format, SDL_SWSURFACE) : nullptr;
        benchmark::DoNotOptimize(converted ? converted->pixels : loaded->pixels);
        if (converted) SDL_FreeSurface(converted);
        SDL_FreeSurface(loaded);
    }
    return true;
}

}  // namespace kovabench
