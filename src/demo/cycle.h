// The endless cycle of the five scenes: the top of the program, above the scenes.
#pragma once

// The five scenes (scenes.h) in order, then again from the first, for ever; ends only through
// DemoQuit.
[[noreturn]] void DemoCycle();
