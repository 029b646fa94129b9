// FPS: frame counting, the once-a-second frame rate and the pacing sleep.
#include "platform/fps.h"

#include <SDL.h>

#include "core/ident.h"

KOVA_IDENT(FPSIdent, "FPS     ", "20101122", "ValenTRQ", "C       ", "CODE    ");

int32_t FPSTarget = 0;
int32_t FPSFrameCount = 0;
int32_t FPSValue = 0;

namespace {

int32_t period = 0;       // microseconds per frame at the target: 1000000 / FPSTarget
uint32_t last = 0;        // time stamp of the previous FPSUpdate (0 before the first)
int32_t elapsed = 0;      // microseconds between the last two FPSUpdate calls
int32_t accumulated = 0;  // microseconds summed since FPSValue was last published
int32_t counter = 0;      // frames counted since FPSValue was last published
int32_t slack = 0;        // microseconds of sleep owed, never negative

uint32_t sdlMicroseconds() { return SDL_GetTicks() * 1000u; }
void sdlSleep(uint32_t milliseconds) { SDL_Delay(milliseconds); }

uint32_t (*clockNow)() = sdlMicroseconds;
void (*sleepFor)(uint32_t) = sdlSleep;

// Sums that stay within 32 bits: a clock left running for hours or a frame half an hour late
// must saturate, not overflow.
int32_t clamped(int64_t value)
{
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

}  // namespace

int32_t FPSUpdate()
{
    FPSFrameCount = static_cast<int32_t>(static_cast<uint32_t>(FPSFrameCount) + 1u);
    if (FPSTarget < 1) FPSTarget = 1;
    period = 1000000 / FPSTarget;
    const uint32_t now = FPSMicroseconds();
    // Modulo 2^32, so a wrap of the clock between two frames is a short frame, not a negative one.
    elapsed = clamped(static_cast<int64_t>(now - last));
    last = now;
    accumulated = clamped(static_cast<int64_t>(accumulated) + elapsed);
    if (accumulated > 999999) {
        FPSValue = counter;
        counter = 0;
        accumulated = 0;
    }
    counter += 1;
    return FPSValue;
}

void FPSWait()
{
    if (elapsed > period) {
        slack = clamped(static_cast<int64_t>(slack) - (static_cast<int64_t>(elapsed) - period));
        if (slack <= 0) slack = 0;
    } else {
        slack = clamped(static_cast<int64_t>(slack) + (static_cast<int64_t>(period) - elapsed));
    }
    if (slack > 0) sleepFor(static_cast<uint32_t>(slack / 1000));
}

uint32_t FPSMicroseconds() { return clockNow(); }

void FPSSetClock(uint32_t (*microseconds)()) { clockNow = microseconds ? microseconds : sdlMicroseconds; }

void FPSSetSleep(void (*sleep)(uint32_t milliseconds)) { sleepFor = sleep ? sleep : sdlSleep; }

void FPSReset()
{
    FPSTarget = 0;
    FPSFrameCount = 0;
    FPSValue = 0;
    period = 0;
    last = 0;
    elapsed = 0;
    accumulated = 0;
    counter = 0;
    slack = 0;
}
