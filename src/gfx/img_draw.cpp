// Drawing on true-colour images: the rectangle family, spaced, wrapped and blended copies,
// masks, scaling, rotation, boxes and circles. The bodies live in gfx/rect.h, shared with the
// byte map; this file picks the image's per-pixel rules and its reporter.
#include <algorithm>

#include "gfx/grid.h"
#include "gfx/img.h"
#include "gfx/rect.h"

namespace {

// Each channel min(255, d + s); the sums cannot reach past their channel's next bit, and
// the minimum keeps bits 24-31 clear.
struct AddSaturate {
    uint32_t operator()(uint32_t d, uint32_t s) const
    {
        const uint32_t r = std::min((d & 0xFF0000u) + (s & 0xFF0000u), 0xFF0000u);
        const uint32_t g = std::min((d & 0x00FF00u) + (s & 0x00FF00u), 0x00FF00u);
        const uint32_t b = std::min((d & 0x0000FFu) + (s & 0x0000FFu), 0x0000FFu);
        return r | g | b;
    }
};

// Where s != 0, the sum of both pixels with every channel halved (its low bit dropped), so
// no channel carries into the next.
struct BlendHalf {
    uint32_t operator()(uint32_t d, uint32_t s) const
    {
        return s ? ((s >> 1) & 0x7F7F7Fu) + ((d >> 1) & 0x7F7F7Fu) : d;
    }
};

}  // namespace

void IMGBlitKeyed(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                  int32_t dy, int32_t w, int32_t h)
{
    rect::blit(IMGError, view(source), view(destination), sx, sy, dx, dy, w, h, rect::Keyed{});
}

void IMGBlit(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
             int32_t dy, int32_t w, int32_t h)
{
    rect::blit(IMGError, view(source), view(destination), sx, sy, dx, dy, w, h, rect::Copy{});
}

void IMGBlitAdd(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                int32_t dy, int32_t w, int32_t h)
{
    rect::blit(IMGError, view(source), view(destination), sx, sy, dx, dy, w, h, rect::Add{});
}

void IMGBlitAddSaturate(const IMG *source, IMG *destination, int32_t sx, int32_t sy,
                        int32_t dx, int32_t dy, int32_t w, int32_t h)
{
    rect::blit(IMGError, view(source), view(destination), sx, sy, dx, dy, w, h, AddSaturate{});
}

void IMGBlitSpaced(const IMG *source, IMG *destination, int32_t sx, int32_t sy, int32_t dx,
                   int32_t dy, int32_t w, int32_t h, int32_t stepX, int32_t stepY)
{
    rect::blitSpaced(IMGError, view(source), view(destination), sx, sy, dx, dy, w, h, stepX, stepY, true);
}

void IMGBlendHalf(const IMG *source, IMG *destination, int32_t x, int32_t y)
{
    rect::place(IMGError, view(source), view(destination), x, y, BlendHalf{});
}

void IMGBlitRowWrap(const IMG *source, IMG *destination, int32_t a, int32_t b, int32_t offset)
{
    rect::wrap(IMGError, view(source), view(destination), a, b, offset, false, rect::Keyed{});
}

void IMGOrRowWrap(const IMG *source, IMG *destination, int32_t a, int32_t b, int32_t offset)
{
    rect::wrap(IMGError, view(source), view(destination), a, b, offset, false, rect::Or{});
}

void IMGBlitColumnWrap(const IMG *source, IMG *destination, int32_t a, int32_t b,
                       int32_t offset)
{
    rect::wrap(IMGError, view(source), view(destination), a, b, offset, true, rect::Keyed{});
}

// An unwrapped row copy is the wrapped one at offset 0: the first run takes every pixel.
void IMGCopyRow(const IMG *source, IMG *destination, int32_t a, int32_t b)
{
    rect::wrap(IMGError, view(source), view(destination), a, b, 0, false, rect::Copy{});
}

void IMGAnd(const IMG *mask, IMG *image)
{
    rect::combineAll(IMGError, view(mask), view(image), rect::And{});
}

#ifndef _WIN32
void IMGInvert(IMG *image)
{
    rect::updateAll(IMGError, view(image), [](uint32_t p) { return ~p & 0x00FFFFFFu; });
}
#else
void IMGAddAt(const IMG *source, IMG *destination)
{
    if (!source) return report(IMGError);
    rect::place(IMGError, view(source), view(destination), source->x, source->y, rect::Add{});
}
#endif

void IMGScale(const IMG *source, IMG *destination)
{
    rect::scale(IMGError, view(source), view(destination));
}

IMG *IMGRotate(const IMG *source, int32_t angle)
{
    int32_t w, h;
    if (!rect::rotatedSides(IMGError, view(source), w, h)) return nullptr;
    IMG *out = grid::Pixels::make(w, h, true);
    if (!out) return report(IMGError, out);
    rect::rotate(view(source), view(out), angle);
    return out;
}

void IMGFillBox(IMG *image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour)
{
    rect::fillBox(IMGError, view(image), x, y, w, h, colour);
}

void IMGBox(IMG *image, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour)
{
    rect::outlineBox(IMGError, view(image), x, y, w, h, colour);
}

void IMGCircle(IMG *image, int32_t cx, int32_t cy, int32_t radius, uint32_t colour)
{
    rect::circle(IMGError, view(image), cx, cy, radius, colour);
}

int32_t *IMGRunTable(int32_t a, int32_t b)
{
    return rect::runTable(IMGError, a, b);
}

int32_t *IMGLinePoints(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    return rect::linePoints(IMGError, x0, y0, x1, y1);
}
