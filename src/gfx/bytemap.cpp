// BYTEMAP core: the 8-bit map's life cycle, cell access, copies, its text form and its PNM
// readers and P5 writer (the formats themselves live in pnm.cpp, shared with the image).
#include "gfx/bytemap.h"

#include <cstdlib>
#include <cstring>

#include "core/ident.h"
#include "gfx/grid.h"

ErrorReporter BYTEMAPError = {0, "BYTEMAP error"};

KOVA_IDENT(BYTEMAPIdent, "BYTEMAP ", "20110320", "ValenTRQ", "C       ", "CODE    ");

// The record's life cycle and readers, shared with the image.
using grid::Cells;

BYTEMAP *BYTEMAPNew()
{
    BYTEMAP *map = Cells::make(16, 16, true);
    return map ? map : report(BYTEMAPError, map);
}

void BYTEMAPFree(BYTEMAP **map)
{
    if (!map || !*map) return report(BYTEMAPError);
    Cells::destroy(*map);
    *map = nullptr;
}

void BYTEMAPResize(BYTEMAP *map, int32_t width, int32_t height)
{
    if (!map || width < 0 || height < 0) return report(BYTEMAPError);
    if (!Cells::resize(map, width, height)) report(BYTEMAPError);  // left empty, without data
}

void BYTEMAPClear(BYTEMAP *map)
{
    if (!map || !map->data) return report(BYTEMAPError);
    std::memset(map->data, 0, Cells::count(map));
}

uint8_t BYTEMAPGetPixel(const BYTEMAP *map, int32_t x, int32_t y)
{
    if (!map || !map->data) return report(BYTEMAPError, uint8_t{0});
    if (x < 0 || x >= map->width || y < 0 || y >= map->height) return 0;
    return map->data[size_t(y) * size_t(map->width) + size_t(x)];
}

void BYTEMAPPutPixel(BYTEMAP *map, int32_t x, int32_t y, int32_t value)
{
    if (!map || !map->data) return report(BYTEMAPError);
    if (x < 0 || x >= map->width || y < 0 || y >= map->height) return;
    map->data[size_t(y) * size_t(map->width) + size_t(x)] = uint8_t(value);
}

BYTEMAP *BYTEMAPCopy(const BYTEMAP *map)
{
    if (!map || !map->data) return report(BYTEMAPError, nullptr);
    BYTEMAP *copy = Cells::copy(map);
    return copy ? copy : report(BYTEMAPError, copy);
}

void BYTEMAPCopyTo(const BYTEMAP *source, BYTEMAP *destination)
{
    if (!source || !source->data || !destination || !destination->data)
        return report(BYTEMAPError);
    if (!Cells::sameSize(source, destination)) return report(BYTEMAPError);
    if (source != destination) std::memcpy(destination->data, source->data, Cells::count(source));
}

int BYTEMAPEqual(const BYTEMAP *a, const BYTEMAP *b)
{
    if (!a || !a->data || !b || !b->data) return report(BYTEMAPError, 0);
    return Cells::equal(a, b);
}

char *BYTEMAPToASCII(const BYTEMAP *map)
{
    if (!map || !map->data) return report(BYTEMAPError, nullptr);
    char *text = Cells::toText(map, "BYTEMAP");
    return text ? text : report(BYTEMAPError, text);
}

BYTEMAP *BYTEMAPFromASCII(const char *text)
{
    BYTEMAP *map = text ? Cells::fromText(text, "BYTEMAP") : nullptr;
    return map ? map : report(BYTEMAPError, map);
}

BYTEMAP *BYTEMAPLoadPNM(const char *path)
{
    BYTEMAP *map = path ? Cells::fromFile(path) : nullptr;
    return map ? map : report(BYTEMAPError, map);
}

BYTEMAP *BYTEMAPFromPNM(const void *data, size_t size)
{
    BYTEMAP *map = data ? Cells::fromMemory(data, size) : nullptr;
    return map ? map : report(BYTEMAPError, map);
}

int BYTEMAPSavePGM(const BYTEMAP *map, const char *path)
{
    if (!map || !map->data || !path || map->width <= 0 || map->height <= 0)
        return report(BYTEMAPError, 0);
    return Cells::save(map, path) ? 1 : report(BYTEMAPError, 0);
}
