// The headless runner: dummy drivers, the virtual clock and the key script.
#include "demo/headless.h"

#include <SDL.h>

#include <cstdlib>

#include "platform/fps.h"

int64_t HeadlessNow = 0;

namespace {

HeadlessTime timeMoves = HEADLESS_SLEEPS;
uint32_t startClock = 0;
HeadlessFrameHook frameHook = nullptr;
int32_t lastFrame = 0;  // the frame whose clock reading came last
bool started = false;   // whether a frame has begun since HeadlessStart
const HeadlessKey *script = nullptr;
size_t scriptSize = 0;
size_t nextKey = 0;    // the first press not yet over
int32_t held = 0;      // the key pressed at the previous frame, released at this one
int32_t failures = 0;

void push(uint32_t type, int32_t symbol)
{
    if (HeadlessPushKey(type, symbol) != 0) ++failures;
}

// The frame's keys: the held one released, this frame's pressed. Frames only count up, so the
// presses that are over are passed once.
void pressKeys(int32_t frame)
{
    if (held) push(SDL_KEYUP, held);
    held = 0;
    while (nextKey < scriptSize && script[nextKey].last < frame) ++nextKey;
    if (nextKey == scriptSize || script[nextKey].first > frame) return;
    const HeadlessKey &key = script[nextKey];
    push(SDL_KEYDOWN, key.symbol);
    if (key.release == HEADLESS_AT_ONCE) push(SDL_KEYUP, key.symbol);
    if (key.release == HEADLESS_NEXT_FRAME) held = key.symbol;
}

uint32_t virtualClock()
{
    if (FPSFrameCount != lastFrame) {
        // The period the frame timer has just worked out for this frame, the previous one's.
        if (started && timeMoves == HEADLESS_PERIODS) HeadlessNow += 1000000 / (FPSTarget < 1 ? 1 : FPSTarget);
        started = true;
        lastFrame = FPSFrameCount;
        pressKeys(lastFrame);
        if (frameHook) frameHook(lastFrame);
    }
    return startClock + static_cast<uint32_t>(HeadlessNow);
}

void virtualSleep(uint32_t milliseconds)
{
    if (timeMoves == HEADLESS_SLEEPS) HeadlessNow += int64_t{milliseconds} * 1000;
}

}  // namespace

void HeadlessUseDummyDrivers()
{
#ifdef _WIN32
    _putenv_s("SDL_VIDEODRIVER", "dummy");
    _putenv_s("SDL_AUDIODRIVER", "dummy");
#else
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
}

int32_t HeadlessPushKey(uint32_t type, int32_t symbol)
{
    SDL_Event event{};
    event.type = static_cast<decltype(event.type)>(type);
    event.key.type = static_cast<decltype(event.key.type)>(type);
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<decltype(event.key.keysym.sym)>(symbol);
    return SDL_PushEvent(&event) == 0 ? 0 : -1;
}

void HeadlessStart(HeadlessTime time, uint32_t clockStart, HeadlessFrameHook onFrame)
{
    HeadlessNow = 0;
    timeMoves = time;
    startClock = clockStart;
    frameHook = onFrame;
    started = false;
    lastFrame = FPSFrameCount;  // readings before the next frame is counted start no frame
    held = 0;
    failures = 0;
    HeadlessSetKeys(nullptr, 0);
    FPSSetClock(virtualClock);
    FPSSetSleep(virtualSleep);
}

void HeadlessSetKeys(const HeadlessKey *keys, size_t count)
{
    script = keys;
    scriptSize = keys ? count : 0;
    nextKey = 0;
}

int32_t HeadlessKeyFailures() { return failures; }
