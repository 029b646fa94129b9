// Runs the program's scenes in-process on the headless runner (demo/headless.h): SDL's dummy
// drivers, virtual time that moves as the pacing sleeps, keys pressed during chosen frames (a
// fixture shared by the program's tests).
//   class MyTest : public support::DemoRun {};     DemoInit once per test program
//   run(SceneRain, {{10, press(SDLK_SPACE)}})       frames the scene ran; keys by its frame (1 = first)
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "demo/demo.h"
#include "demo/headless.h"
#include "demo/overlay.h"
#include "platform/fps.h"

namespace support {

// frame number -> key, and whether it is released again before the frame's key poll
using KeyScript = std::map<int32_t, std::pair<SDLKey, bool>>;

class DemoRun : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DemoInit();
        HeadlessStart(HEADLESS_SLEEPS, 0, nullptr);
    }
    void SetUp() override
    {
        ASSERT_NE(display, nullptr);
        ASSERT_NE(keyboard, nullptr);
        ASSERT_NE(screen, nullptr);
        HeadlessSetKeys(nullptr, 0);
        FPSTarget = 25;
        demoFlags = 0;
        showRate = 0;
    }
    // Runs a scene with keys at frames counted from its first frame (1); returns its frames.
    static int32_t run(void (*scene)(), const KeyScript &keys = {})
    {
        const int32_t start = FPSFrameCount;
        std::vector<HeadlessKey> script;
        for (auto &[frame, key] : keys)
            script.push_back({start + frame, start + frame, key.first, key.second ? HEADLESS_AT_ONCE : HEADLESS_NEVER});
        HeadlessSetKeys(script.data(), script.size());
        scene();
        HeadlessSetKeys(nullptr, 0);
        EXPECT_EQ(HeadlessKeyFailures(), 0) << "SDL refused a key event";
        return FPSFrameCount - start;
    }
    static std::pair<SDLKey, bool> press(SDLKey key) { return {key, false}; }
};

}  // namespace support
