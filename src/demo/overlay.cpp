// The frame overlays: the group tag and the frame-rate read-out, drawn with one 8 x 8 cell font
// onto the frame by the common frame end.
#include "demo/overlay.h"

#include "demo/data.h"
#include "demo/stage.h"
#include "platform/fps.h"

FONT *tagFont = nullptr;
uint8_t showRate = 0;

namespace {

// The overlays always draw on the frame, whatever scene 5 left as the font's target.
bool penAt(int32_t x, int32_t y)
{
    if (!tagFont) return false;
    tagFont->x = x;
    tagFont->y = y;
    tagFont->target = screen;
    return true;
}

}  // namespace

void DemoTagSetup() { tagFont = DemoFontNew(8, 8, IMGFromPNM(TAG_SHEET, TAG_SHEET_SIZE), screen); }

// Four glyphs ending exactly at the frame's right edge: x = 256 - 4 * 8 = 224.
void DemoDrawTag()
{
    if (penAt(SCREEN_W - 32, 0)) FONTDrawLine(tagFont, DEMO_TAG);
}

// The low byte of the last second's frame count as two hex digits: 25 shows as 19, 50 as 32.
void DemoDrawRate()
{
    if (DemoRateShown() && penAt(0, 0)) FONTDrawHex8(tagFont, static_cast<uint32_t>(FPSValue));
}

void DemoTagFree()
{
    if (tagFont) FONTFree(&tagFont);
}
