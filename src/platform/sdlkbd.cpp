// SDLKBD: the last key event of a frame, drained from SDL's event queue.
#include "platform/sdlkbd.h"

#include <cstdlib>

#include <SDL.h>

#include "core/ident.h"
#include "platform/sdldpy.h"

ErrorReporter SDLKBDError = {0, "SDLKBD error"};

KOVA_IDENT(SDLKBDIdent, "SDLKBD  ", "20110429", "ValenTRQ", "C       ", "CODE    ");

namespace {

constexpr size_t KEY_BUFFER_SIZE = 8;

SDLKBD *instance = nullptr;

}  // namespace

// ---- Common operations ----

SDLKBD *SDLKBDNew()
{
    if (!SDLDPYInstance()) return report(SDLKBDError, nullptr);
    if (instance) return instance;
    auto *keyboard = static_cast<SDLKBD *>(std::calloc(1, sizeof(SDLKBD)));
    if (!keyboard) return report(SDLKBDError, nullptr);
    keyboard->keys = static_cast<uint8_t *>(std::calloc(KEY_BUFFER_SIZE, 1));
    if (!keyboard->keys) {
        std::free(keyboard);
        return report(SDLKBDError, nullptr);
    }
    instance = keyboard;
    return keyboard;
}

void SDLKBDFree(SDLKBD **keyboard)
{
    if (!keyboard || !*keyboard || !(*keyboard)->keys) return report(SDLKBDError);
    std::free((*keyboard)->keys);
    if (*keyboard == instance) instance = nullptr;
    std::free(*keyboard);
    *keyboard = nullptr;
}

const char *SDLKBDToASCII(const SDLKBD *keyboard)
{
    if (!keyboard) return report(SDLKBDError, nullptr);
    return "";
}

SDLKBD *SDLKBDFromASCII(const char *text)
{
    if (!text) report(SDLKBDError);
    return nullptr;
}

int SDLKBDEqual(const SDLKBD *a, const SDLKBD *b)
{
    if (!a || !b) return report(SDLKBDError, 0);
    return a == b ? 1 : 0;
}

SDLKBD *SDLKBDCopy(const SDLKBD *keyboard)
{
    if (!keyboard) report(SDLKBDError);
    return nullptr;
}

// ---- Keys ----

void SDLKBDGetKey(SDLKBD *keyboard)
{
    if (!SDLDPYInstance()) report(SDLKBDError);
    if (!keyboard || !keyboard->keys) return report(SDLKBDError);
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN)
            keyboard->keys[0] = static_cast<uint8_t>(event.key.keysym.sym & 0xFF);
        else if (event.type == SDL_KEYUP)
            keyboard->keys[0] = 0;
    }
}
