// The records drawn on, the image and the byte map: width x height cells row by row in an
// owned array (the image's pixels, the map's data). Their life cycle, the view the drawing
// walks take, their text form and their PNM readers and writers are written once here over
// the record and its cell type; the two modules add their guards and error reports around
// them. Nothing here reports. Internal to src/gfx.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "gfx/pnm.h"
#include "gfx/rect.h"

namespace grid {

// The life cycle, view and file forms of a record whose cells are `Record::*cells`.
template <typename Record, typename Cell, Cell *Record::*cells>
struct Grid {
    // The record's cells for the drawing walks; a missing record gives a view without cells.
    static rect::View<Cell> view(const Record *r)
    {
        return r ? rect::View<Cell>{r->*cells, r->width, r->height} : rect::View<Cell>{};
    }

    // Cells a record holds; a negative side (written from outside) counts as empty.
    static size_t count(const Record *record)
    {
        if (record->width <= 0 || record->height <= 0) return 0;
        return size_t(record->width) * size_t(record->height);
    }

    // An array for width x height cells, at least one so that an empty record still has one;
    // zeroed when asked, else left for a decoder that writes every cell. Null when the size
    // cannot be allocated, on any word size.
    static Cell *allocate(int32_t width, int32_t height, bool zeroed)
    {
        uint64_t n = uint64_t(width) * uint64_t(height);
        if (n == 0) n = 1;
        if (n > SIZE_MAX / sizeof(Cell)) return nullptr;
        void *array = zeroed ? std::calloc(size_t(n), sizeof(Cell))
                             : std::malloc(size_t(n) * sizeof(Cell));
        return static_cast<Cell *>(array);
    }

    static Record *make(int32_t width, int32_t height, bool zeroed)
    {
        Record *record = static_cast<Record *>(std::calloc(1, sizeof(Record)));
        if (!record) return nullptr;
        record->*cells = allocate(width, height, zeroed);
        if (!(record->*cells)) {
            std::free(record);
            return nullptr;
        }
        record->width = width;
        record->height = height;
        return record;
    }

    static void destroy(Record *record)
    {
        std::free(record->*cells);
        std::free(record);
    }

    // New zeroed cells for sides >= 0. When they cannot be allocated the record is left
    // empty (no cells, 0 x 0) and the result is false.
    static bool resize(Record *record, int32_t width, int32_t height)
    {
        std::free(record->*cells);
        record->*cells = allocate(width, height, true);
        const bool ok = record->*cells != nullptr;
        record->width = ok ? width : 0;
        record->height = ok ? height : 0;
        return ok;
    }

    static Record *copy(const Record *source)
    {
        Record *record = make(source->width < 0 ? 0 : source->width,
                              source->height < 0 ? 0 : source->height, false);
        if (record) std::memcpy(record->*cells, source->*cells, count(source) * sizeof(Cell));
        return record;
    }

    static bool sameSize(const Record *a, const Record *b)
    {
        return a->width == b->width && a->height == b->height;
    }

    static bool equal(const Record *a, const Record *b)
    {
        return sameSize(a, b) &&
               std::memcmp(a->*cells, b->*cells, count(a) * sizeof(Cell)) == 0;
    }

    // The text form written as "<name>{...}"; null when it cannot be allocated.
    static char *toText(const Record *record, const char *name)
    {
        return pnm::writeTextForm(name, record->width < 0 ? 0 : record->width,
                             record->height < 0 ? 0 : record->height, record->*cells);
    }

    // Reads the cells after a parsed header into a new record; null when it is short.
    static Record *decode(pnm::Reader &in, const pnm::Header &header)
    {
        Record *record = make(header.width, header.height, false);
        if (record && !pnm::readCells(in, header, record->*cells)) {
            destroy(record);
            return nullptr;
        }
        return record;
    }

    static Record *decodePNM(pnm::Reader &in)
    {
        pnm::Header header;
        if (!in.ok() || !pnm::readHeader(in, header)) return nullptr;
        return decode(in, header);
    }

    static Record *fromText(const char *text, const char *name)
    {
        const char *body = pnm::findTextForm(text, name);
        if (!body) return nullptr;
        pnm::Reader in(reinterpret_cast<const uint8_t *>(body), std::strlen(body));
        pnm::Header header;
        return pnm::readTextHeader(in, header) ? decode(in, header) : nullptr;
    }

    static Record *fromMemory(const void *data, size_t size)
    {
        pnm::Reader in(static_cast<const uint8_t *>(data), size);
        return decodePNM(in);
    }

    // The file is closed on every path.
    static Record *fromFile(const char *path)
    {
        FILE *file = std::fopen(path, "rb");
        if (!file) return nullptr;
        Record *record;
        {
            pnm::Reader in(file);
            record = decodePNM(in);
        }
        std::fclose(file);
        return record;
    }

    static bool save(const Record *record, const char *path)
    {
        return pnm::writePNM(path, record->width, record->height, record->*cells);
    }
};

using Pixels = Grid<IMG, uint32_t, &IMG::pixels>;  // the image
using Cells = Grid<BYTEMAP, uint8_t, &BYTEMAP::data>;  // the byte map

}  // namespace grid

inline rect::View<uint32_t> view(const IMG *image) { return grid::Pixels::view(image); }
inline rect::View<uint8_t> view(const BYTEMAP *map) { return grid::Cells::view(map); }
