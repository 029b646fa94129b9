// Runs the program's scenes in-process on SDL's dummy drivers and a virtual clock, with keys
// pressed as synthetic SDL events during chosen frames (a fixture shared by the program's tests).
//   class MyTest : public support::DemoRun {};     DemoInit once per test program
//   run(SceneRain, {{10, press(SDLK_SPACE)}})       frames the scene ran; keys by its frame (1 = first)
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <map>
#include <utility>

#include "demo/demo.h"
#include "demo/overlay.h"
#include "platform/fps.h"

namespace support {

// frame number -> key, and whether it is released again before the frame's key poll
using KeyScript = std::map<int32_t, std::pair<SDLKey, bool>>;

inline uint32_t demoNow = 0;  // the virtual clock, microseconds
inline KeyScript demoKeys;    // by FPSFrameCount

inline void pushKey(Uint8 type, SDLKey symbol)
{
    SDL_Event event{};
    event.type = type;
    event.key.type = type;
    event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = symbol;
    SDL_PushEvent(&event);
}

class DemoRun : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DemoInit();
        FPSSetClock([] { return demoNow; });
        // The pacing sleep of frame FPSFrameCount: time moves on, and a key planned for this
        // frame is pressed now, so that this frame's key poll sees it.
        FPSSetSleep([](uint32_t milliseconds) {
            demoNow += milliseconds * 1000u;
            auto key = demoKeys.find(FPSFrameCount);
            if (key == demoKeys.end()) return;
            pushKey(SDL_KEYDOWN, key->second.first);
            if (key->second.second) pushKey(SDL_KEYUP, key->second.first);
        });
    }
    void SetUp() override
    {
        ASSERT_NE(display, nullptr);
        ASSERT_NE(keyboard, nullptr);
        ASSERT_NE(screen, nullptr);
        demoKeys.clear();
        FPSTarget = 25;
        demoFlags = 0;
        showRate = 0;
    }
    // Runs a scene with keys at frames counted from its first frame (1); returns its frames.
    static int32_t run(void (*scene)(), const KeyScript &keys = {})
    {
        const int32_t start = FPSFrameCount;
        demoKeys.clear();
        for (auto &[frame, key] : keys) demoKeys[start + frame] = key;
        scene();
        demoKeys.clear();
        return FPSFrameCount - start;
    }
    static std::pair<SDLKey, bool> press(SDLKey key) { return {key, false}; }
};

}  // namespace support
