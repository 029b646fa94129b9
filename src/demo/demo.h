// The program: start-up, the frame end shared by every scene, the keys, the fade and the quit,
// and the endless cycle of the five scenes (scenes.h).
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
extern uint8_t showRate;   // bit 0: show the frame-rate read-out

using DemoKeyHandler = void (*)(uint8_t key);

// ---- Start-up, frame end, keys, quit ----
// Opens the display, the keyboard and the sound, sets the mode again, makes the frame, the tag
// font, the text font, the character map and the big font, seeds rand() with 542388762, builds
// the music and sets the speed to 25. When the
// display, the keyboard or the frame cannot be made it prints one line on standard error
// (with SDL's own error text when the video mode cannot be set) and exits with status 1.
void DemoInit();
// The end of every frame: tag, count and pace, read-out when on, present, music step, keys.
// Hands the last key's byte to the handler (null: none) and clears it. Returns 1 when the
// scene must end now (demoFlags bit 1 was set, and is cleared), else 0.
int DemoFrameEnd(DemoKeyHandler handler);
// The common keys: Escape quits, space ends the scene, '5' and '6' set the speed to 25 or 50
// frames per second, 'f' toggles the read-out; every other byte is ignored.
void DemoKey(uint8_t key);
// 64 times: every channel of the frame lowered by 4 and the frame shown; black at the end.
void DemoFade();
// Fades, frees the shared objects and SDL, and exits with status 0. The Windows build fades and
// exits at once; SDLmain shuts SDL down at the exit.
[[noreturn]] void DemoQuit();

// The five scenes (scenes.h) in order, then again from the first, for ever; ends only through
// DemoQuit.
[[noreturn]] void DemoCycle();

// ---- Sound, overlays and soundtrack, called from DemoInit, DemoFrameEnd and DemoQuit ----
void DemoSoundSetup();  // the sound output (all of SDL, the audio device, playback of an empty queue)
void DemoTagSetup();    // the tag font
// A new cell font of w x h cells drawing from `sheet` (owned by the font from now on) onto
// `target`, pen at (0, 0); null when the record cannot be made (the sheet is then freed).
FONT *DemoFontNew(int32_t w, int32_t h, IMG *sheet, IMG *target);
void DemoMusicSetup();  // the music from the compiled-in patterns
void DemoDrawTag();     // the group tag in the top right corner of the frame
void DemoDrawRate();    // the frame-rate read-out
void DemoMusicStep();   // one step of the music and the feeding of the sound queue
void DemoSoundFree();   // pauses and closes the audio device, frees the sound output
void DemoTagFree();     // frees the tag font and its sheet
