// The program run without a screen, a sound card or real time, for the tests, the benchmarks
// and kova-record: SDL's dummy drivers, a virtual clock under the frame timer, and keys pressed
// from a script at chosen frames. The program itself never uses it.
//
//   HeadlessUseDummyDrivers();                       before DemoInit
//   HeadlessStart(HEADLESS_SLEEPS, 0, nullptr);      the frame timer on virtual time
//   HeadlessSetKeys(keys, count);                    keys by frame (FPSFrameCount)
#pragma once

#include <cstddef>
#include <cstdint>

// When a key of the script is let go.
enum HeadlessRelease : uint8_t {
    HEADLESS_NEXT_FRAME,  // when the next frame starts, before that frame's own key: held one frame
    HEADLESS_AT_ONCE,     // before the poll: the poll sees the press and the release together
    HEADLESS_NEVER,       // never released by the script
};

// A key pressed at every frame from `first` to `last` (FPSFrameCount), in time for that frame's
// key poll.
struct HeadlessKey {
    int32_t first;
    int32_t last;
    int32_t symbol;  // an SDL key symbol
    HeadlessRelease release;
};

// How the virtual time moves. Either way the frame timer reads clockStart + HeadlessNow,
// wrapping at 2^32 microseconds as its own clock does.
enum HeadlessTime : uint8_t {
    HEADLESS_SLEEPS,   // only when the pacing sleeps, by the time it sleeps
    HEADLESS_PERIODS,  // each new frame ends the previous one after exactly one period; no sleep
};

using HeadlessFrameHook = void (*)(int32_t frame);

extern int64_t HeadlessNow;  // virtual microseconds since HeadlessStart

// SDL's dummy video and audio drivers for every SDL start from now on.
void HeadlessUseDummyDrivers();
// Queues a key event (SDL_KEYDOWN or SDL_KEYUP) of `symbol`; 0, or -1 when SDL refuses it.
int32_t HeadlessPushKey(uint32_t type, int32_t symbol);
// Puts the frame timer on virtual time from 0 on. At the first clock reading of each frame
// counted after the start: the previous frame's period is added (HEADLESS_PERIODS), the held
// key is released, the frame's key pressed, then `onFrame` (null: none) is called with the
// frame. No keys until HeadlessSetKeys.
void HeadlessStart(HeadlessTime time, uint32_t clockStart, HeadlessFrameHook onFrame);
// The key script from now on: `count` presses sorted by frame, none sharing a frame; borrowed,
// it must stay as it is while frames run. Null or 0: none.
void HeadlessSetKeys(const HeadlessKey *keys, size_t count);
// Key events of the script that SDL refused to queue since HeadlessStart (each one a lost press
// or release).
int32_t HeadlessKeyFailures();
