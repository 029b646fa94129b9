// BYTEMAP core: the 8-bit map's life cycle, cell access, copies, its text form and its PNM
// readers and P5 writer (the formats themselves live in pnm.cpp, shared with the image).
#include "gfx/bytemap.h"

#include <cstdlib>
#include <cstring>

#include "core/ident.h"
#include "gfx/pnm.h"

ErrorReporter BYTEMAPError = {0, "BYTEMAP error"};

KOVA_IDENT(BYTEMAPIdent, "BYTEMAP ", "20110320", "ValenTRQ", "C       ", "CODE    ");

namespace {

// Cells held by a record; a negative side (written from outside) counts as empty.
size_t cellCount(const BYTEMAP *map)
{
    if (map->width <= 0 || map->height <= 0) return 0;
    return size_t(map->width) * size_t(map->height);
}

// A cell array for width x height cells (at least one, so that an empty map still has one);
// zeroed when asked, else left for a decoder that writes every cell. Null when the size
// cannot be allocated, on any word size.
uint8_t *allocateCells(int32_t width, int32_t height, bool zeroed)
{
    uint64_t n = uint64_t(width) * uint64_t(height);
    if (n == 0) n = 1;
    if (n > SIZE_MAX) return nullptr;
    return static_cast<uint8_t *>(zeroed ? std::calloc(size_t(n), 1) : std::malloc(size_t(n)));
}

BYTEMAP *make(int32_t width, int32_t height, bool zeroed)
{
    BYTEMAP *map = static_cast<BYTEMAP *>(std::calloc(1, sizeof(BYTEMAP)));
    if (!map) return nullptr;
    map->data = allocateCells(width, height, zeroed);
    if (!map->data) {
        std::free(map);
        return nullptr;
    }
    map->width = width;
    map->height = height;
    return map;
}

void destroy(BYTEMAP *map)
{
    std::free(map->data);
    std::free(map);
}

// Reads the raster that follows a parsed header into a new map; null when it is short.
BYTEMAP *decodeRaster(pnm::Reader &in, const pnm::Header &header)
{
    BYTEMAP *map = make(header.width, header.height, false);
    if (map && !pnm::readRaster(in, header, map->data)) {
        destroy(map);
        return nullptr;
    }
    return map;
}

BYTEMAP *decodePNM(pnm::Reader &in)
{
    pnm::Header header;
    if (!in.ok() || !pnm::readHeader(in, header)) return nullptr;
    return decodeRaster(in, header);
}

}  // namespace

BYTEMAP *BYTEMAPNew()
{
    BYTEMAP *map = make(16, 16, true);
    return map ? map : report(BYTEMAPError, map);
}

void BYTEMAPFree(BYTEMAP **map)
{
    if (!map || !*map) return report(BYTEMAPError);
    destroy(*map);
    *map = nullptr;
}

void BYTEMAPResize(BYTEMAP *map, int32_t width, int32_t height)
{
    if (!map || width < 0 || height < 0) return report(BYTEMAPError);
    std::free(map->data);
    map->data = allocateCells(width, height, true);
    if (!map->data) {
        map->width = map->height = 0;
        return report(BYTEMAPError);
    }
    map->width = width;
    map->height = height;
}

void BYTEMAPClear(BYTEMAP *map)
{
    if (!map || !map->data) return report(BYTEMAPError);
    std::memset(map->data, 0, cellCount(map));
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
    BYTEMAP *copy = make(map->width < 0 ? 0 : map->width, map->height < 0 ? 0 : map->height, false);
    if (!copy) return report(BYTEMAPError, nullptr);
    std::memcpy(copy->data, map->data, cellCount(map));
    return copy;
}

void BYTEMAPCopyTo(const BYTEMAP *source, BYTEMAP *destination)
{
    if (!source || !source->data || !destination || !destination->data)
        return report(BYTEMAPError);
    if (source->width != destination->width || source->height != destination->height)
        return report(BYTEMAPError);
    if (source != destination) std::memcpy(destination->data, source->data, cellCount(source));
}

int BYTEMAPEqual(const BYTEMAP *a, const BYTEMAP *b)
{
    if (!a || !a->data || !b || !b->data) return report(BYTEMAPError, 0);
    if (a->width != b->width || a->height != b->height) return 0;
    return std::memcmp(a->data, b->data, cellCount(a)) == 0;
}

char *BYTEMAPToASCII(const BYTEMAP *map)
{
    if (!map || !map->data) return report(BYTEMAPError, nullptr);
    const int32_t width = map->width < 0 ? 0 : map->width;
    const int32_t height = map->height < 0 ? 0 : map->height;
    char *text = pnm::writeTextForm("BYTEMAP", width, height, map->data);
    return text ? text : report(BYTEMAPError, text);
}

BYTEMAP *BYTEMAPFromASCII(const char *text)
{
    if (!text) return report(BYTEMAPError, nullptr);
    const char *body = pnm::findTextForm(text, "BYTEMAP");
    if (!body) return report(BYTEMAPError, nullptr);
    pnm::Reader in(reinterpret_cast<const uint8_t *>(body), std::strlen(body));
    pnm::Header header;
    BYTEMAP *map = pnm::readTextHeader(in, header) ? decodeRaster(in, header) : nullptr;
    return map ? map : report(BYTEMAPError, map);
}

BYTEMAP *BYTEMAPLoadPNM(const char *path)
{
    if (!path) return report(BYTEMAPError, nullptr);
    FILE *file = std::fopen(path, "rb");
    if (!file) return report(BYTEMAPError, nullptr);
    BYTEMAP *map;
    {
        pnm::Reader in(file);
        map = decodePNM(in);
    }
    std::fclose(file);
    return map ? map : report(BYTEMAPError, map);
}

BYTEMAP *BYTEMAPFromPNM(const void *data, size_t size)
{
    if (!data) return report(BYTEMAPError, nullptr);
    pnm::Reader in(static_cast<const uint8_t *>(data), size);
    BYTEMAP *map = decodePNM(in);
    return map ? map : report(BYTEMAPError, map);
}

int BYTEMAPSavePGM(const BYTEMAP *map, const char *path)
{
    if (!map || !map->data || !path || map->width <= 0 || map->height <= 0)
        return report(BYTEMAPError, 0);
    return pnm::writePNM(path, map->width, map->height, map->data) ? 1 : report(BYTEMAPError, 0);
}
