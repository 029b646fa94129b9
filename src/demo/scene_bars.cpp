// Scene 4, the music trace: every frame 32 values of the music's loop, taken at a position that
// sweeps through the loop once per second of frames, light one bright glyph per column at a
// height given by the value; every cell then fades back to a dim dot over 31 frames.
#include "demo/demo.h"
#include "demo/scenes.h"
#include "demo/soundtrack.h"
#include "platform/fps.h"

SceneBarsState barsScene = {};

namespace {

constexpr int32_t COLUMNS = 32;  // the trace's columns; the map is 32 x 32 cells

int32_t loopLength() { return music && music->loop ? music->loop->length : 0; }

// Every cell one step dimmer, down to the floor: the cells left at 0 by the set-up take the
// floor at once.
void decay()
{
    if (!charMap || !charMap->data) return;
    uint8_t *cell = charMap->data;
    const int32_t count = charMap->width * charMap->height;
    for (int32_t k = 0; k < count; ++k)
        cell[k] = cell[k] > GLYPH_TRACE_FLOOR ? static_cast<uint8_t>(cell[k] - 1) : GLYPH_TRACE_FLOOR;
}

}  // namespace

void SceneBarsSetup()
{
    IMGClear(screen);
    BYTEMAPClear(charMap);
    barsScene = {};
    if (music && music->loop && music->loop->values) {
        barsScene.values = music->loop->values;
        // A speed below 1 paces as 1 (the frame timer raises it), and never divides by zero.
        barsScene.step = music->loop->length / (FPSTarget < 1 ? 1 : FPSTarget);
    }
    // A step below 32 values would read the same values frame after frame: no trace then.
    barsScene.on = barsScene.values && barsScene.step != 0 && (barsScene.step >> 5) != 0;
}

void SceneBarsDraw()
{
    SceneBarsState &s = barsScene;
    const int32_t length = loopLength();
    s.position += s.step;
    if (s.position > length) s.position = 0;
    // The 64 values read below would run past the loop's end: nothing new in this frame.
    if (!s.values || s.position + 2 * (COLUMNS - 1) >= length) return;
    for (int32_t k = 0; k < COLUMNS; ++k) {
        // Value 0 lights row 16; every 128 of value is one row; 2048 and up row 0, -1793 and
        // below row 31.
        int32_t h = (s.values[s.position + 2 * k] >> 7) + 16;
        if (h > 32) h = 32;
        if (h < 1) h = 1;
        BYTEMAPPutPixel(charMap, k, 32 - h, GLYPH_TRACE);
    }
}

void SceneBarsFrame()
{
    IMGClear(screen);
    if (barsScene.on) SceneBarsDraw();
    decay();
    FONTDrawMap(textFont, charMap);
}

void SceneBars()
{
    SceneBarsSetup();
    for (int32_t i = 0; i < SceneLength(4, FPSTarget); ++i) {
        SceneBarsFrame();
        if (DemoFrameEnd(DemoKey)) return;
    }
}
