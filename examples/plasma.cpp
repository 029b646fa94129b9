// plasma: the sum-of-sines plasma in a 256 x 256 window at 50 frames per second, its cells
// coloured through a 256-entry colour table, until Escape is pressed (or for FRAMES frames).
//   kova-plasma [FRAMES]
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <SDL.h>

#include <kova/core/list.h>
#include <kova/core/sintab.h>
#include <kova/fx/bplasma.h>
#include <kova/gfx/bytemap.h>
#include <kova/gfx/img.h>
#include <kova/platform/fps.h>
#include <kova/platform/sdldpy.h>
#include <kova/platform/sdlkbd.h>

// One colour channel: a sine wave over the 256 plasma values, 0..254.
static uint32_t channel(int32_t value, int32_t shift)
{
    return uint32_t(127 + SINTAB[(value * 4 + shift) & SINMASK] / 258);
}

int main(int argc, char **argv)
{
    long frames = -1;  // -1: until Escape
    if (argc > 2 || (argc == 2 && ((frames = std::strtol(argv[1], nullptr, 10)) < 1))) {
        std::fprintf(stderr, "usage: kova-plasma [FRAMES] (FRAMES a whole number from 1)\n");
        return 2;
    }
    SDLDPY *display = SDLDPYNew();  // the 256 x 256 window
    SDLKBD *keyboard = display ? SDLKBDNew() : nullptr;
    if (!keyboard) {
        std::fprintf(stderr, "kova-plasma: no display could be opened: %s\n", SDL_GetError());
        return 1;
    }
    BPLASMA *plasma = BPLASMANew();  // 256 x 256 cells
    IMG *frame = IMGNew();
    LIST *colours = LISTNew();
    IMGResize(frame, display->width, display->height);
    for (int32_t v = 0; v < 256; ++v) {  // the colour table: slots hold 0x00RRGGBB values
        uint32_t rgb = channel(v, 0) << 16 | channel(v, 341) << 8 | channel(v, 682);
        LISTAppend(colours, reinterpret_cast<void *>(uintptr_t(rgb)));
    }

    FPSTarget = 50;
    for (long n = 0; n != frames; ++n) {
        BPLASMAStep(plasma);
        BPLASMADraw(plasma);
        BYTEMAPToIMG(plasma->map, frame, colours);
        SDLDPYShowIMG(display, frame);
        FPSUpdate();
        FPSWait();
        SDLKBDGetKey(keyboard);
        if (keyboard->keys[0] == 27) break;  // Escape
    }

    LISTFree(&colours);
    IMGFree(&frame);
    BPLASMAFree(&plasma);
    SDLKBDFree(&keyboard);
    SDLDPYFree(&display);
    SDL_Quit();
    return 0;
}
