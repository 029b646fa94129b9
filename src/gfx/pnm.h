// PNM pictures and the P3 text form, shared by the image and the bytemap: one bounded byte
// reader, one header parser, one decoder of the six formats (P1..P6) written once over the
// cell type, and the writers, all over plain cell arrays. Internal to src/gfx: gfx/grid.h
// builds the records' readers and writers on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace pnm {

// Readers refuse any side longer than this, so no header can ask for more than 1 GiB.
constexpr int32_t MAX_SIDE = 16384;

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

// Reads a PNM header up to the first cell byte. False for a bad format digit, a header that
// ends early, a zero side, a side beyond MAX_SIDE, or cells that cannot fit what is left.
// The memory reader rounds a P4 width up to whole bytes. Trusted memory (no size) is refused
// P2 and P3: their last number ends only at a byte after it, which may lie past the data.
bool readHeader(Reader &in, Header &header);

// Locates "<name>", then "{", then "P3\n" in a text form; returns the text just past them, or
// null when one of them is missing.
const char *findTextForm(const char *text, const char *name);
// Reads the width, height and maximum value that follow "P3\n" (sides may be 0). False for a
// side beyond MAX_SIDE, an overflowing number, or a text too short for its cells.
bool readTextHeader(Reader &in, Header &header);

// Decodes the cells after the header, in storage order, into width * height cells. False when the data ends
// early or a number overflows. Image pixels get 0x00RRGGBB (a set bit white), map cells the
// grey level (r + g + b) / 3 modulo 256 (a set bit 255).
bool readCells(Reader &in, const Header &header, uint32_t *pixels);
bool readCells(Reader &in, const Header &header, uint8_t *cells);

// The text form "<name>{\nP3\n<w> <h>\n255\n" + samples + "}\n", or "<name>{}" without cells.
// A newly allocated text; null when the allocation fails.
char *writeTextForm(const char *name, int32_t width, int32_t height, const uint32_t *pixels);
char *writeTextForm(const char *name, int32_t width, int32_t height, const uint8_t *cells);

// Binary P6 of image pixels, binary P5 of map cells. False when the file cannot be opened or
// written; the file is closed on every path.
bool writePNM(const char *path, int32_t width, int32_t height, const uint32_t *pixels);
bool writePNM(const char *path, int32_t width, int32_t height, const uint8_t *cells);

}  // namespace pnm
