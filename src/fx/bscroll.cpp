// BSCROLL: a scrolling text line drawn with the bitmap font. The scroll position is the pair
// (cursor position, pixel offset); the cursor's wrap makes the text endless both ways.
#include "fx/bscroll.h"

#include <algorithm>
#include <cstdlib>

#include "core/ident.h"
#include "core/text.h"

ErrorReporter BSCROLLError = {0, "BSCROLL error"};

KOVA_IDENT(BSCROLLIdent, "BSCROLL ", "20110415", "ValenTRQ", "C       ", "CODE    ");

namespace {

const char kDefaultText[] = "A scroll's default text. ";
constexpr int32_t DEFAULT_SIZE = 256;

int32_t saturate(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// A new cursor over text, at its first character with step 1; null when it cannot be made.
CURSOR *newCursor(const char *text)
{
    CURSOR *cursor = CURSORNew();
    if (cursor) CURSORSet(cursor, text, TEXTLength(text), 1, 1);
    return cursor;
}

// Moves the cursor by `chars` characters. An empty text has nowhere to move to. A move of more
// than a billion characters is first reduced by the text length: the same place, no overflow
// inside the cursor's own arithmetic.
void moveCursor(CURSOR *cursor, int64_t chars)
{
    if (cursor->length < 1) return;
    constexpr int64_t FAR_AWAY = int64_t{1} << 30;
    if (chars > FAR_AWAY || chars < -FAR_AWAY) chars %= cursor->length;
    cursor->step = static_cast<int32_t>(chars);
    CURSORStep(cursor);
}

}  // namespace

BSCROLL *BSCROLLNew()
{
    auto *scroller = static_cast<BSCROLL *>(std::calloc(1, sizeof(BSCROLL)));
    if (!scroller) return report(BSCROLLError, nullptr);
    scroller->cursor = newCursor(kDefaultText);
    if (!scroller->cursor) {
        std::free(scroller);
        return report(BSCROLLError, nullptr);
    }
    scroller->width = DEFAULT_SIZE;
    scroller->height = DEFAULT_SIZE;
    scroller->speed = 1;
    return scroller;
}

void BSCROLLFree(BSCROLL **scroller)
{
    if (!scroller || !*scroller) return report(BSCROLLError);
    if ((*scroller)->cursor) CURSORFree(&(*scroller)->cursor);
    std::free(*scroller);
    *scroller = nullptr;
}

char *BSCROLLToASCII(const BSCROLL *) { return nullptr; }

BSCROLL *BSCROLLFromASCII(const char *) { return nullptr; }

int BSCROLLEqual(const BSCROLL *a, const BSCROLL *b)
{
    if (!a || !b || !a->cursor || !b->cursor) return report(BSCROLLError, 0);
    return a->x == b->x && a->y == b->y && a->width == b->width && a->offset == b->offset &&
                   a->speed == b->speed && a->text == b->text && a->font == b->font &&
                   a->target == b->target && a->cursor->position == b->cursor->position
               ? 1
               : 0;
}

BSCROLL *BSCROLLCopy(const BSCROLL *scroller)
{
    if (!scroller || !scroller->cursor) return report(BSCROLLError, nullptr);
    auto *copy = static_cast<BSCROLL *>(std::calloc(1, sizeof(BSCROLL)));
    CURSOR *cursor = CURSORNew();
    if (!copy || !cursor) {
        std::free(copy);
        if (cursor) CURSORFree(&cursor);
        return report(BSCROLLError, nullptr);
    }
    *copy = *scroller;
    *cursor = *scroller->cursor;  // the cursor borrows its buffer: a field copy is a full copy
    copy->cursor = cursor;
    return copy;
}

void BSCROLLSet(BSCROLL *scroller, const char *text, BFONT *font, BYTEMAP *target)
{
    if (!scroller || !text || !font || !target) return report(BSCROLLError);
    // The new cursor first: should it fail, the scroller keeps its old one.
    CURSOR *cursor = newCursor(text);
    if (!cursor) return report(BSCROLLError);
    if (scroller->cursor) CURSORFree(&scroller->cursor);
    scroller->cursor = cursor;
    scroller->text = text;
    scroller->font = font;
    scroller->target = target;
    scroller->x = 0;
    scroller->y = 0;
    scroller->reserved0 = 1;
    scroller->width = target->width;
    scroller->height = font->height;
    scroller->reserved1 = font->reserved1;
}

void BSCROLLDraw(BSCROLL *scroller)
{
    if (!scroller || !scroller->text || !scroller->cursor || !scroller->target || !scroller->font ||
        scroller->font->width < 1)
        return report(BSCROLLError);
    BFONT *font = scroller->font;
    CURSOR *cursor = scroller->cursor;
    const int64_t g = font->width;
    const int64_t start = static_cast<int64_t>(scroller->x) - scroller->offset;
    const int64_t glyphs = scroller->width / g + 2;
    font->x = saturate(start);
    font->y = scroller->y;
    font->target = scroller->target;

    // An empty text has no characters to show and no position to come back to.
    if (cursor->length >= 1) {
        CURSORMark(cursor);
        cursor->step = 1;
        for (int64_t i = 0; i < glyphs; ++i) {
            // The rest would lie wholly right of the target: nothing of them can show.
            if (font->x >= scroller->target->width) break;
            // A signed byte: 128..255 give negative codes, which select no glyph on the sheet.
            font->code = static_cast<signed char>(scroller->text[cursor->position]);
            BFONTDrawGlyph(font);
            CURSORStep(cursor);
        }
        CURSORReturn(cursor);
    }
    // The pen ends past the last glyph, as if every one had been drawn.
    font->x = saturate(start + std::max<int64_t>(glyphs, 0) * g);
}

void BSCROLLStep(BSCROLL *scroller)
{
    if (!scroller || !scroller->text || !scroller->cursor || !scroller->font ||
        scroller->font->width < 1)
        return report(BSCROLLError);
    const int64_t g = scroller->font->width;
    int64_t offset = static_cast<int64_t>(scroller->offset) + scroller->speed;
    if (offset >= g) {
        moveCursor(scroller->cursor, offset / g);
        offset %= g;
    } else if (offset < 0) {
        // Truncating division: exactly -g moves back two characters and leaves offset g,
        // the same picture as one character back at offset 0.
        moveCursor(scroller->cursor, offset / g - 1);
        offset = offset % g + g;
    }
    scroller->offset = static_cast<int32_t>(offset);
}
