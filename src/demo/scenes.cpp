// INTERIM scenes: each runs its frame count over a cleared frame and ends every frame with
// DemoFrameEnd (DemoKey), so that the cycle, the keys and the pacing work before the real
// scenes exist. Replaced by the real scenes; not the finished program.
#include "demo/demo.h"
#include "gfx/img.h"
#include "platform/fps.h"

// 20 T + 1 frames: a count-down from 20 T to 0, T read once at the start.
void SceneRain()
{
    for (int32_t left = 20 * FPSTarget; left >= 0; --left) {
        IMGClear(screen);
        if (DemoFrameEnd(DemoKey)) return;
    }
}

// 10 T + 1 frames, T read once at the start.
void ScenePlasma()
{
    for (int32_t left = 10 * FPSTarget; left >= 0; --left) {
        IMGClear(screen);
        if (DemoFrameEnd(DemoKey)) return;
    }
}

// 40 T frames, T read every frame: a change of speed moves the end.
void SceneScroller()
{
    for (int32_t frame = 0; frame < 40 * FPSTarget; ++frame) {
        IMGClear(screen);
        if (DemoFrameEnd(DemoKey)) return;
    }
}

// 20 T frames, T read every frame.
void SceneBars()
{
    for (int32_t frame = 0; frame < 20 * FPSTarget; ++frame) {
        IMGClear(screen);
        if (DemoFrameEnd(DemoKey)) return;
    }
}

// 1024 frames whatever the speed.
void ScenePages()
{
    for (int32_t frame = 0; frame < 1024; ++frame) {
        IMGClear(screen);
        if (DemoFrameEnd(DemoKey)) return;
    }
}
