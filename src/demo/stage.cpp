// The shared objects and the program's font maker.
#include "demo/stage.h"

SDLDPY *display = nullptr;
SDLKBD *keyboard = nullptr;
IMG *screen = nullptr;
uint8_t demoFlags = 0;

FONT *DemoFontNew(int32_t w, int32_t h, IMG *sheet, IMG *target)
{
    FONT *font = FONTNew();
    if (!font) {
        if (sheet) IMGFree(&sheet);
        return nullptr;
    }
    font->width = w;
    font->height = h;
    font->sheet = sheet;
    font->target = target;
    return font;
}
