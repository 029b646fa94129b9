// SDLKBD: reduces SDL's event queue to one byte, the code of the last key event. Needs a
// display (SDL's events come with the video mode); every other event is drained and dropped.
#pragma once

#include <cstdint>

#include "core/report.h"

struct SDLKBD {
    uint8_t *keys;  // 8 bytes, owned, zeroed; byte 0 is the last key event's code, the rest unused
};

extern ErrorReporter SDLKBDError;  // switch off at start; line "SDLKBD error"

// ---- Common operations ----
SDLKBD *SDLKBDNew();                      // the one keyboard; null (with a report) when no display exists or memory runs out
void SDLKBDFree(SDLKBD **keyboard);       // frees buffer and record, stores null; reports a null address, record or buffer
const char *SDLKBDToASCII(const SDLKBD *keyboard);  // constant "" (do not free); reports and null for a null keyboard
SDLKBD *SDLKBDFromASCII(const char *text);          // never builds a keyboard: null (reports a null text)
int SDLKBDEqual(const SDLKBD *a, const SDLKBD *b);  // 1 for the same pointer, 0 otherwise; reports a null one
SDLKBD *SDLKBDCopy(const SDLKBD *keyboard);         // there is one keyboard: null (reports a null one)

// ---- Keys ----
// Drains SDL's event queue: a key press stores the low byte of its key symbol in byte 0
// (27 Escape, 32 space, lower-case letters; F2 also gives 27), a release stores 0, every other
// event is dropped. Byte 0 keeps its value when no key event arrives.
void SDLKBDGetKey(SDLKBD *keyboard);
// SDL 1.2's key symbol for a symbol from the browser's SDL, which sends keys outside ASCII as
// 1024 + scancode (the right arrow as 1103, not 275): what SDLKBDGetKey reads in the web build,
// so that F2 still reads as Escape. Other symbols come back as they are; a key that SDL 1.2
// has no symbol for gives 0, as on the desktop.
int32_t SDLKBDDesktopSymbol(int32_t symbol);
