// What every part of the program draws on and reads: the display, the keyboard, the frame
// image, the flags the frame end acts on, and the one way the program makes its cell fonts.
// Made by DemoInit (demo.h); the overlays, the soundtrack, the text mode and the scenes use them.
#pragma once

#include <cstdint>

#include "gfx/font.h"
#include "gfx/img.h"
#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"

constexpr int32_t SCREEN_W = 256;  // the whole demo is drawn at this size
constexpr int32_t SCREEN_H = 256;

// ---- Shared objects, created by DemoInit, alive until the process ends ----
extern SDLDPY *display;    // the window or the full screen
extern SDLKBD *keyboard;   // the last key pressed
extern IMG *screen;        // the frame: cleared, drawn and presented by the scenes
extern uint8_t demoFlags;  // bit 1 (value 2): leave the current scene at the end of this frame
constexpr uint8_t DEMO_LEAVE_SCENE = 2;  // demoFlags bit 1: set by space and by scene 5's page end

// A new cell font of w x h cells drawing from `sheet` (owned by the font from now on) onto
// `target`, pen at (0, 0); null when the record cannot be made (the sheet is then freed).
FONT *DemoFontNew(int32_t w, int32_t h, IMG *sheet, IMG *target);
