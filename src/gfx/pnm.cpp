// PNM pictures and the P3 text form for the image and the bytemap (see pnm.h). The decoder is
// written once over the cell type; the raw formats run as flat loops over whole rows.
#include "gfx/pnm.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pnm {

namespace {

// Large enough for the longest raw row (MAX_SIDE P6 pixels); files are read through it.
constexpr size_t BUFFER_SIZE = 64 * 1024;
static_assert(BUFFER_SIZE >= 3 * size_t{MAX_SIDE});

constexpr uint32_t SAMPLE_LIMIT = INT32_MAX;  // plain samples and the maximum value

bool isDigit(int c) { return c >= '0' && c <= '9'; }

// Passes over anything that is not a decimal digit, then reads the digits. False at the end
// of the data (no number left) or when the number exceeds SAMPLE_LIMIT.
bool readSample(Reader &in, uint32_t &value)
{
    int c;
    while ((c = in.peek()) >= 0 && !isDigit(c)) in.get();
    return c >= 0 && readDigits(in, SAMPLE_LIMIT, value);
}

// The least number of bytes the cells of a well-formed picture with this header occupies, so that a short
// input is refused before anything is allocated for it.
uint64_t cellBytes(const Header &h, bool fileRules)
{
    const uint64_t n = uint64_t(h.width) * uint64_t(h.height);
    if (n == 0) return 0;
    switch (h.format) {
    case 1: return fileRules ? 2 * n - 1 : n;  // files separate their samples
    case 2: return 2 * n - 1;
    case 3: return 6 * n - 1;
    case 4: return uint64_t((h.width + 7) / 8) * uint64_t(h.height);
    case 5: return n;
    default: return 3 * n;
    }
}

bool cellsFit(const Reader &in, const Header &h)
{
    return cellBytes(h, in.fileRules()) <= uint64_t{in.remaining()};
}

// How each cell type takes a sample. Plain samples are full 31-bit numbers and are not
// clamped: on an image a grey or red above 255 carries into the next channel's bits.
struct PixelCells {
    using T = uint32_t;
    static constexpr T INK = 0x00FFFFFF;  // a set bit of P1/P4
    static T grey(uint32_t v) { return v << 16 | v << 8 | v; }
    static T colour(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }
    static T grey8(uint8_t v) { return uint32_t{v} * 0x010101u; }
    static T colour8(uint8_t r, uint8_t g, uint8_t b) { return colour(r, g, b); }
};

struct ByteCells {
    using T = uint8_t;
    static constexpr T INK = 255;
    static T grey(uint32_t v) { return T(v); }  // modulo 256
    static T colour(uint32_t r, uint32_t g, uint32_t b)
    {
        return T((uint64_t{r} + g + b) / 3);
    }
    static T grey8(uint8_t v) { return v; }
    static T colour8(uint8_t r, uint8_t g, uint8_t b) { return T((unsigned{r} + g + b) / 3); }
};

// The eight cells of every P4 byte, most significant bit first: unpacking a byte is one
// fixed-size copy (8 bytes for a map, 32 for an image).
template <typename Cells>
struct BitCells {
    typename Cells::T cells[256][8];
    constexpr BitCells() : cells{}
    {
        for (int bits = 0; bits < 256; ++bits)
            for (int k = 0; k < 8; ++k)
                cells[bits][k] = (bits & (0x80 >> k)) ? Cells::INK : typename Cells::T(0);
    }
};
template <typename Cells>
constexpr BitCells<Cells> BIT_CELLS{};

// P6 samples into image pixels. On little-endian machines one 32-bit load of R, G, B and the
// next byte, byte-swapped and shifted right by 8, is exactly R << 16 | G << 8 | B; the last
// pixel of a run would load a byte past it, so it is read byte by byte.
void colourRun(const uint8_t *__restrict p, size_t n, uint32_t *__restrict out)
{
    size_t i = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    auto pixel = [](const uint8_t *rgb) {
        uint32_t word;
        std::memcpy(&word, rgb, sizeof word);
        return __builtin_bswap32(word) >> 8;
    };
    for (; i + 9 <= n; i += 8, p += 24) {  // eight at a time while a ninth pixel follows
#pragma GCC unroll 8
        for (size_t k = 0; k < 8; ++k) out[i + k] = pixel(p + 3 * k);
    }
    for (; i + 1 < n; ++i, p += 3) out[i] = pixel(p);
#endif
    for (; i < n; ++i, p += 3) out[i] = PixelCells::colour8(p[0], p[1], p[2]);
}

void colourRun(const uint8_t *__restrict p, size_t n, uint8_t *__restrict out)
{
    for (size_t i = 0; i < n; ++i, p += 3) out[i] = ByteCells::colour8(p[0], p[1], p[2]);
}

template <typename Cells>
bool decode(Reader &in, const Header &h, typename Cells::T *__restrict out)
{
    using T = typename Cells::T;
    const size_t w = size_t(h.width), n = w * size_t(h.height);
    uint32_t r, g, b;

    switch (h.format) {
    case 1:
        if (in.fileRules()) {  // whole numbers: zero is black, anything else ink
            for (size_t i = 0; i < n; ++i) {
                if (!readSample(in, r)) return false;
                out[i] = r ? Cells::INK : T(0);
            }
        } else {  // one digit character per cell, no separators needed
            for (size_t i = 0; i < n; ++i) {
                int c;
                do c = in.get();
                while (c >= 0 && !isDigit(c));
                if (c < 0) return false;
                out[i] = c == '0' ? T(0) : Cells::INK;
            }
        }
        return true;
    case 2:
        for (size_t i = 0; i < n; ++i) {
            if (!readSample(in, r)) return false;
            out[i] = Cells::grey(r);
        }
        return true;
    case 3:
        for (size_t i = 0; i < n; ++i) {
            if (!readSample(in, r) || !readSample(in, g) || !readSample(in, b)) return false;
            out[i] = Cells::colour(r, g, b);
        }
        return true;
    case 4: {
        // Every row starts on a byte; a width that is no multiple of 8 (file rules) uses the
        // top bits of the row's last byte.
        const size_t rowBytes = (w + 7) / 8, whole = w / 8, rest = w % 8;
        for (T *row = out, *end = out + n; row < end; row += w) {
            const uint8_t *p = in.take(rowBytes);
            if (!p) return false;
            for (size_t k = 0; k < whole; ++k)
                std::memcpy(row + 8 * k, BIT_CELLS<Cells>.cells[p[k]], 8 * sizeof(T));
            if (rest) std::memcpy(row + 8 * whole, BIT_CELLS<Cells>.cells[p[whole]], rest * sizeof(T));
        }
        return true;
    }
    case 5:
    case 6: {
        // From memory the cells are one run; from a file it comes a row at a time.
        const size_t run = in.fileRules() ? w : n, bytes = h.format == 6 ? 3 : 1;
        for (T *d = out, *end = out + n; d < end; d += run) {
            const uint8_t *__restrict p = in.take(run * bytes);
            if (!p) return false;
            if (bytes == 1) {
                for (size_t i = 0; i < run; ++i) d[i] = Cells::grey8(p[i]);
            } else {
                colourRun(p, run, d);
            }
        }
        return true;
    }
    default:
        return false;
    }
}

// "%3d " without the formatting machinery: right-aligned in three columns, then `end`.
char *putNumber(char *out, uint32_t v, char end)
{
    char digits[10];
    int n = 0;
    do digits[n++] = char('0' + v % 10);
    while (v /= 10);
    for (int pad = n; pad < 3; ++pad) *out++ = ' ';
    while (n) *out++ = digits[--n];
    *out++ = end;
    return out;
}

// Channels of an image pixel as the text form writes them: red takes every bit above green,
// so any pixel, even one with positions 24-31 set, reads back equal.
void channels(uint32_t p, uint32_t c[3])
{
    c[0] = p >> 16;
    c[1] = (p >> 8) & 0xFF;
    c[2] = p & 0xFF;
}
void channels(uint8_t v, uint32_t c[3]) { c[0] = c[1] = c[2] = v; }

template <typename T>
char *formatText(const char *name, int32_t width, int32_t height, const T *cells)
{
    const size_t n = size_t(width) * size_t(height);
    const size_t nameLength = std::strlen(name);
    if (n == 0) {
        char *text = static_cast<char *>(std::malloc(nameLength + 3));
        if (text) std::memcpy(text, name, nameLength), std::memcpy(text + nameLength, "{}", 3);
        return text;
    }
    // The header, then at most 6 + 4 + 4 characters per cell (a red of up to 65535), "}\n".
    const size_t headerMax = nameLength + 40;
    if (n > (SIZE_MAX - headerMax - 3) / 14) return nullptr;
    char *text = static_cast<char *>(std::malloc(headerMax + 14 * n + 3));
    if (!text) return nullptr;
    char *out = text + std::snprintf(text, headerMax, "%s{\nP3\n%d %d\n255\n", name,
                                     int(width), int(height));
    for (size_t i = 0; i < n; ++i) {
        uint32_t c[3];
        channels(cells[i], c);
        out = putNumber(out, c[0], ' ');
        out = putNumber(out, c[1], ' ');
        out = putNumber(out, c[2], (i + 1) % 6 == 0 ? '\n' : ' ');
    }
    out[-1] = '\n';
    std::memcpy(out, "}\n", 3);
    return text;
}

template <typename Row>
bool savePNM(const char *path, const char *magic, int32_t width, int32_t height,
             size_t rowBytes, Row row)
{
    FILE *file = std::fopen(path, "wb");
    if (!file) return false;
    bool ok = std::fprintf(file, "%s\n%d %d\n255\n", magic, int(width), int(height)) > 0;
    for (int32_t y = 0; ok && y < height; ++y) {
        const uint8_t *bytes = row(y);
        ok = bytes && std::fwrite(bytes, 1, rowBytes, file) == rowBytes;
    }
    return std::fclose(file) == 0 && ok;
}

}  // namespace

// ---- Reader ----

Reader::Reader(FILE *file) : file_(file), fileLeft_(SIZE_MAX)
{
    buffer_ = static_cast<uint8_t *>(std::malloc(BUFFER_SIZE));
    p_ = buffer_;
    // A seekable file tells its size, which bounds the reading (a device that reports 0,
    // such as an endless one, is then read as empty). A pipe is read to its end.
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        if (end >= 0) fileLeft_ = size_t(end);
    }
    if (std::fseek(file, 0, SEEK_SET) != 0) std::rewind(file);
}

Reader::~Reader() { std::free(buffer_); }

bool Reader::fill(size_t need)
{
    if (!file_ || !buffer_ || need > BUFFER_SIZE) return false;
    if (left_ && p_ != buffer_) std::memmove(buffer_, p_, left_);
    p_ = buffer_;
    while (left_ < need && fileLeft_ > 0) {
        size_t want = BUFFER_SIZE - left_;
        if (want > fileLeft_) want = fileLeft_;
        const size_t got = std::fread(buffer_ + left_, 1, want, file_);
        if (got == 0) break;
        left_ += got;
        if (fileLeft_ != SIZE_MAX) fileLeft_ -= got;
    }
    return left_ >= need;
}

const uint8_t *Reader::take(size_t n)
{
    if (left_ < n && !fill(n)) return nullptr;
    const uint8_t *bytes = p_;
    p_ += n;
    left_ -= n;
    return bytes;
}

size_t Reader::remaining() const
{
    if (!file_) return left_;
    return fileLeft_ == SIZE_MAX ? SIZE_MAX : left_ + fileLeft_;
}

// ---- Numbers and headers ----

bool readDigits(Reader &in, uint32_t limit, uint32_t &value)
{
    uint32_t v = 0;
    for (int c = in.peek(); isDigit(c); c = in.peek()) {
        const uint32_t digit = uint32_t(c - '0');
        if (v > (limit - digit) / 10) return false;  // v * 10 + digit would pass the limit
        v = v * 10 + digit;
        in.get();
    }
    value = v;
    return true;
}

bool readHeader(Reader &in, Header &header)
{
    // Four facts: the format, the width, the height and the maximum value (which P1 and P4
    // lack). Tokens are separated by anything outside 0x21..0x7E.
    int32_t format = 0;
    bool maxKnown = false;
    uint32_t numbers[3] = {0, 0, 0};
    int count = 0;
    while (!format || count < (maxKnown ? 2 : 3)) {
        const int c = in.peek();
        if (c < 0) return false;  // the data ends inside the header
        if (c <= 0x20 || c >= 0x7F) {
            in.get();
        } else if (c == 'P' && !format) {
            in.get();
            const int digit = in.get();
            if (digit < '1' || digit > '6') return false;
            format = digit - '0';
            maxKnown = format == 1 || format == 4;
        } else if (c == '#') {
            int skipped;
            do skipped = in.get();
            while (skipped >= 0 && skipped != '\n');
            if (skipped < 0) return false;
        } else {
            // A number; any other printable byte counts as 0 and is passed over. The file
            // reader consumes the byte that ends a number along with it.
            uint32_t value = 0;
            if (isDigit(c)) {
                if (!readDigits(in, count < 2 ? uint32_t{MAX_SIDE} : SAMPLE_LIMIT, value))
                    return false;
                if (in.fileRules()) in.get();
            } else {
                in.get();
            }
            if (count < 3) numbers[count] = value;
            ++count;
        }
    }
    if (!in.fileRules()) in.get();  // the one separator before the cells

    header.format = format;
    header.width = int32_t(numbers[0]);
    header.height = int32_t(numbers[1]);
    if (header.width == 0 || header.height == 0) return false;
    // Without a size the reader must stop at the last cell byte. The raw formats and the
    // memory form of P1 (one digit per cell) end there; a P2 or P3 number is known to end only
    // by reading the byte after it, so those two need the size.
    if (in.trusted() && (format == 2 || format == 3)) return false;
    if (format == 4 && !in.fileRules()) header.width = (header.width + 7) / 8 * 8;
    return cellsFit(in, header);
}

const char *findTextForm(const char *text, const char *name)
{
    const char *at = std::strstr(text, name);
    if (at) at = std::strstr(at + std::strlen(name), "{");
    if (at) at = std::strstr(at + 1, "P3\n");
    return at ? at + 3 : nullptr;
}

bool readTextHeader(Reader &in, Header &header)
{
    // Width, one character, height, one character, the maximum value, one character.
    uint32_t width, height, maxValue;
    if (!readDigits(in, MAX_SIDE, width)) return false;
    in.get();
    if (!readDigits(in, MAX_SIDE, height)) return false;
    in.get();
    if (!readDigits(in, SAMPLE_LIMIT, maxValue)) return false;
    in.get();
    header.format = 3;
    header.width = int32_t(width);
    header.height = int32_t(height);
    return cellsFit(in, header);
}

bool readCells(Reader &in, const Header &header, uint32_t *pixels)
{
    return decode<PixelCells>(in, header, pixels);
}

bool readCells(Reader &in, const Header &header, uint8_t *cells)
{
    return decode<ByteCells>(in, header, cells);
}

// ---- Writers ----

char *writeTextForm(const char *name, int32_t width, int32_t height, const uint32_t *pixels)
{
    return formatText(name, width, height, pixels);
}

char *writeTextForm(const char *name, int32_t width, int32_t height, const uint8_t *cells)
{
    return formatText(name, width, height, cells);
}

bool writePNM(const char *path, int32_t width, int32_t height, const uint32_t *pixels)
{
    const size_t w = size_t(width);
    uint8_t *rgb = static_cast<uint8_t *>(std::malloc(3 * w));
    // Callers tell a lack of memory from a refused file by errno.
    if (!rgb) return errno = ENOMEM, false;
    const bool ok = savePNM(path, "P6", width, height, 3 * w, [&](int32_t y) {
        const uint32_t *row = pixels + size_t(y) * w;
        for (size_t i = 0; i < w; ++i) {
            rgb[3 * i] = uint8_t(row[i] >> 16);
            rgb[3 * i + 1] = uint8_t(row[i] >> 8);
            rgb[3 * i + 2] = uint8_t(row[i]);
        }
        return static_cast<const uint8_t *>(rgb);
    });
    std::free(rgb);
    return ok;
}

bool writePNM(const char *path, int32_t width, int32_t height, const uint8_t *cells)
{
    const size_t w = size_t(width);
    return savePNM(path, "P5", width, height, w,
                   [&](int32_t y) { return cells + size_t(y) * w; });
}

}  // namespace pnm
