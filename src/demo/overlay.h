// The frame overlays: the group tag in the top right corner of every frame and, while 'f' has
// switched it on (showRate bit 0), the frame-rate read-out in the top left corner.
#pragma once

#include "gfx/font.h"

// The 8 x 8 cell font of the tag and the read-out, sheet TAG_SHEET, target `screen`. Made by
// DemoTagSetup, freed by DemoTagFree. Scene 5 borrows it and may retarget it; the overlays set
// the target back to `screen` before every use.
extern FONT *tagFont;

constexpr const char *DEMO_TAG = "KOVA\n";  // four glyphs; drawing stops at the newline
