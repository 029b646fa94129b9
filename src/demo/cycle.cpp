// The scene cycle.
#include "demo/cycle.h"

#include "demo/scenes.h"

void DemoCycle()
{
    for (;;)
        for (void (*scene)() : SCENE_CYCLE) scene();
}
