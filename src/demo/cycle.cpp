// The scene cycle: above the scenes, which end their frames through demo.cpp.
#include "demo/demo.h"
#include "demo/scenes.h"

void DemoCycle()
{
    for (;;)
        for (void (*scene)() : SCENE_CYCLE) scene();
}
