// PNM pictures and the P3 text form, shared by the image and the bytemap: one bounded byte
// reader, one header parser, one decoder of the six rasters (P1..P6) written once over the
// cell type, the writers, and the records' common life cycle. Internal to src/gfx; the two
// modules add their guards and error reports around it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pnm {

// Readers refuse any side longer than this, so no header can ask for more than 1 GiB.
constexpr int32_t MaxSide = 16384;

// A bounded byte source: memory (of a known size, or SIZE_MAX when the caller trusts the
// header) or a file read through a buffer. Nothing reads past the end it knows of.
class Reader {
public:
    Reader(const uint8_t *data, size_t size) : p_(data), left_(size), trusted_(size == SIZE_MAX)
    {
    }
    explicit Reader(FILE *file);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    bool ok() const { return !file_ || buffer_; }    // false when the file buffer is missing
    bool fileRules() const { return file_ != nullptr; }  // the file reader's decoding variant
    bool trusted() const { return trusted_; }            // memory without a size: its end is unknown

    int peek() { return left_ || fill(1) ? *p_ : -1; }  // next byte, or -1 at the end
    int get()                                            // consumes the next byte; -1 at the end
    {
        if (!left_ && !fill(1)) return -1;
        --left_;
        return *p_++;
    }
    const uint8_t *take(size_t n);  // n contiguous bytes, or null when fewer remain
    size_t remaining() const;       // at most this many bytes are left (SIZE_MAX: unknown)

private:
    bool fill(size_t need);  // refills the buffer from the file until `need` bytes are held

    const uint8_t *p_ = nullptr;
    size_t left_ = 0;           // bytes available at p_
    FILE *file_ = nullptr;
    uint8_t *buffer_ = nullptr;
    size_t fileLeft_ = 0;       // bytes of the file not yet buffered (SIZE_MAX: unknown)
    bool trusted_ = false;
};

struct Header {
    int32_t format = 0;  // 1..6 for P1..P6
    int32_t width = 0, height = 0;
};

// Reads a run of decimal digits (none give 0) into `value`, leaving the byte that ends the run
// unread. False when the value would exceed `limit`.
bool readDigits(Reader &in, uint32_t limit, uint32_t &value);

// Reads a PNM header up to the first raster byte. False for a bad format digit, a header that
// ends early, a zero side, a side beyond MaxSide, or a raster that cannot fit what is left.
// The memory reader rounds a P4 width up to whole bytes. Trusted memory (no size) is refused
// P2 and P3: their last number ends only at a byte after it, which may lie past the data.
bool readHeader(Reader &in, Header &header);

// Locates "<name>", then "{", then "P3\n" in a text form; returns the text just past them, or
// null when one of them is missing.
const char *findTextForm(const char *text, const char *name);
// Reads the width, height and maximum value that follow "P3\n" (sides may be 0). False for a
// side beyond MaxSide, an overflowing number, or a text too short for its raster.
bool readTextHeader(Reader &in, Header &header);

// Decodes the raster in storage order into width * height cells. False when the data ends
// early or a number overflows. Image pixels get 0x00RRGGBB (a set bit white), map cells the
// grey level (r + g + b) / 3 modulo 256 (a set bit 255).
bool readRaster(Reader &in, const Header &header, uint32_t *pixels);
bool readRaster(Reader &in, const Header &header, uint8_t *cells);

// The text form "<name>{\nP3\n<w> <h>\n255\n" + samples + "}\n", or "<name>{}" without cells.
// A newly allocated text; null when the allocation fails.
char *writeTextForm(const char *name, int32_t width, int32_t height, const uint32_t *pixels);
char *writeTextForm(const char *name, int32_t width, int32_t height, const uint8_t *cells);

// Binary P6 of image pixels, binary P5 of map cells. False when the file cannot be opened or
// written; the file is closed on every path.
bool writePNM(const char *path, int32_t width, int32_t height, const uint32_t *pixels);
bool writePNM(const char *path, int32_t width, int32_t height, const uint8_t *cells);

// The life cycle and the readers of a record whose cells are `Record::*cells` (the image's
// pixels, the map's data). Nothing here reports: the modules' operations do.
template <typename Record, typename Cell, Cell *Record::*cells>
struct Raster {
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
        return writeTextForm(name, record->width < 0 ? 0 : record->width,
                             record->height < 0 ? 0 : record->height, record->*cells);
    }

    // Reads the raster after a parsed header into a new record; null when it is short.
    static Record *decode(Reader &in, const Header &header)
    {
        Record *record = make(header.width, header.height, false);
        if (record && !readRaster(in, header, record->*cells)) {
            destroy(record);
            return nullptr;
        }
        return record;
    }

    static Record *decodePNM(Reader &in)
    {
        Header header;
        if (!in.ok() || !readHeader(in, header)) return nullptr;
        return decode(in, header);
    }

    static Record *fromText(const char *text, const char *name)
    {
        const char *body = findTextForm(text, name);
        if (!body) return nullptr;
        Reader in(reinterpret_cast<const uint8_t *>(body), std::strlen(body));
        Header header;
        return readTextHeader(in, header) ? decode(in, header) : nullptr;
    }

    static Record *fromMemory(const void *data, size_t size)
    {
        Reader in(static_cast<const uint8_t *>(data), size);
        return decodePNM(in);
    }

    // The file is closed on every path.
    static Record *fromFile(const char *path)
    {
        FILE *file = std::fopen(path, "rb");
        if (!file) return nullptr;
        Record *record;
        {
            Reader in(file);
            record = decodePNM(in);
        }
        std::fclose(file);
        return record;
    }

    static bool save(const Record *record, const char *path)
    {
        return writePNM(path, record->width, record->height, record->*cells);
    }
};

}  // namespace pnm
