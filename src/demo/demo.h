// The program: start-up, the frame end shared by every scene, the keys, the fade and the quit.
// The scenes (scenes.h) end their frames here; the cycle that runs them is above them (cycle.h).
#pragma once

#include <cstdint>

#include "demo/stage.h"

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
