// FPS: the frame timer. Counts frames, publishes the frame rate once a second and sleeps in
// whole milliseconds so that frames come at FPSTarget per second. Module variables, no record.
#pragma once

#include <cstdint>

extern int32_t FPSTarget;      // frames per second wanted; the demo's speed; raised to 1 by FPSUpdate when below 1
extern int32_t FPSFrameCount;  // frames counted since start; never reset by the program
extern int32_t FPSValue;       // frames counted in the last completed window of at least one second

// Counts a frame and measures the time since the previous call; publishes FPSValue when a
// second has gathered. Returns FPSValue. Call once per frame, before FPSWait.
int32_t FPSUpdate();
// Sleeps what the pacing owes: the slack grows by (period - elapsed) and shrinks, never below
// 0, by how far a frame overran; whole milliseconds of it are slept, the rest carried over.
void FPSWait();
// The current time stamp in microseconds as a wrapping 32-bit value (SDL_GetTicks() * 1000
// unless another clock is set); differences are taken modulo 2^32.
uint32_t FPSMicroseconds();

// The clock and the sleep are replaceable, so that a recorder can run on virtual time and the
// pacing can be checked exactly. Null restores SDL's (SDL_GetTicks() * 1000, SDL_Delay).
void FPSSetClock(uint32_t (*microseconds)());
void FPSSetSleep(void (*sleep)(uint32_t milliseconds));
// Every variable back to its start value (FPSTarget, the counts, the time stamp, the slack).
void FPSReset();
