// The frame overlays: the group tag in the top right corner of every frame and, while 'f' has
// switched it on (showRate bit 0), the frame-rate read-out in the top left corner.
#pragma once

#include <cstdint>

#include "gfx/font.h"

// The 8 x 8 cell font of the tag and the read-out, sheet TAG_SHEET, target `screen`. Made by
// DemoTagSetup, freed by DemoTagFree. Scene 5 borrows it and may retarget it; the overlays set
// the target back to `screen` before every use.
extern FONT *tagFont;

extern uint8_t showRate;            // bit 0: show the frame-rate read-out; 0 at start
constexpr uint8_t RATE_SHOWN = 1;   // showRate bit 0, toggled by 'f'
inline bool DemoRateShown() { return (showRate & RATE_SHOWN) != 0; }

constexpr const char *DEMO_TAG = "KOVA\n";  // four glyphs; drawing stops at the newline

void DemoTagSetup();  // the tag font
void DemoDrawTag();   // the group tag in the top right corner of the frame
void DemoDrawRate();  // the frame-rate read-out, when DemoRateShown()
void DemoTagFree();   // frees the tag font and its sheet
