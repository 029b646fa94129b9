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

// The browser's SDL sends a key outside ASCII as 1024 + its scancode, and a few punctuation keys
// as the browser's own key codes; each pair is such a symbol and SDL 1.2's for the same key.
struct SymbolPair {
    int32_t web, desktop;
};
constexpr int32_t SCANCODE = 1024;
constexpr SymbolPair WEB_SYMBOLS[] = {
    {145, 302},  // scroll lock
    {186, ';'}, {187, '='}, {189, '-'}, {226, '<'},
    {SCANCODE + 57, 301},  // caps lock
    {SCANCODE + 73, 277}, {SCANCODE + 74, 278}, {SCANCODE + 75, 280},  // insert, home, page up
    {SCANCODE + 77, 279}, {SCANCODE + 78, 281},  // end, page down
    {SCANCODE + 79, 275}, {SCANCODE + 80, 276}, {SCANCODE + 81, 274}, {SCANCODE + 82, 273},  // arrows
    {SCANCODE + 83, 300},  // num lock
    {SCANCODE + 84, 267}, {SCANCODE + 85, 268}, {SCANCODE + 86, 269}, {SCANCODE + 87, 270},  // keypad / * - +
    {SCANCODE + 98, 256}, {SCANCODE + 99, 266},  // keypad 0 and .
    {SCANCODE + 101, 319},  // menu
    // left control, shift, alt, super; then the right ones
    {SCANCODE + 224, 306}, {SCANCODE + 225, 304}, {SCANCODE + 226, 308}, {SCANCODE + 227, 311},
    {SCANCODE + 228, 305}, {SCANCODE + 229, 303}, {SCANCODE + 230, 307}, {SCANCODE + 231, 312},
};

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
        if (event.type == SDL_KEYDOWN) {
#ifdef __EMSCRIPTEN__
            const int32_t symbol = SDLKBDDesktopSymbol(event.key.keysym.sym);
#else
            const int32_t symbol = event.key.keysym.sym;
#endif
            keyboard->keys[0] = static_cast<uint8_t>(symbol & 0xFF);
        } else if (event.type == SDL_KEYUP)
            keyboard->keys[0] = 0;
    }
}

int32_t SDLKBDDesktopSymbol(int32_t symbol)
{
    // Runs of scancodes that map in order: F1 to F12, keypad 1 to 9, F13 to F15.
    if (symbol >= SCANCODE + 58 && symbol <= SCANCODE + 69) return symbol - SCANCODE - 58 + 282;
    if (symbol >= SCANCODE + 89 && symbol <= SCANCODE + 97) return symbol - SCANCODE - 89 + 257;
    if (symbol >= SCANCODE + 104 && symbol <= SCANCODE + 106) return symbol - SCANCODE - 104 + 294;
    for (const SymbolPair &pair : WEB_SYMBOLS)
        if (pair.web == symbol) return pair.desktop;
    // Keys SDL 1.2 has no symbol for (F16 and up, say) are unknown to it, as on the desktop.
    return symbol >= SCANCODE ? 0 : symbol;
}
