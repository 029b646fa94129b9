// RASTER: scrolling colour bars from a circular colour table, their blended variant, a
// neighbour-averaging smoother for tables, and colour table files.
#include "fx/raster.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ident.h"

ErrorReporter RASTERError = {0, "RASTER error"};

KOVA_IDENT(RASTERIdent, "RASTER  ", "20110524", "ValenTRQ", "C       ", "CODE    ");

namespace {

constexpr int32_t NEW_COUNT = 256;
constexpr int32_t NEW_SPEED = 0x10000;

uint32_t *newTable(int32_t count)
{
    return static_cast<uint32_t *>(
        std::calloc(static_cast<size_t>(std::max(count, 1)), sizeof(uint32_t)));
}

bool valid(const RASTER *raster) { return raster && raster->table && raster->count >= 0; }

// The pixel span of one row after clipping, or false when nothing of it lies in the image.
// A null image (or one without pixels) is the image module's fault and reported as such.
bool clipRow(IMG *image, int32_t row, int32_t &first, int32_t &last)
{
    if (!image || !image->pixels) return report(IMGError, false);
    if (row < 0 || row >= image->height) return false;
    first = std::max(first, 0);
    last = std::min(last, image->width - 1);
    return first <= last;
}

// Table index of row 0: (phase >> 16) mod count, made non-negative.
int32_t firstIndex(const RASTER *raster)
{
    const int32_t p = (raster->phase >> 16) % raster->count;
    return p < 0 ? p + raster->count : p;
}

// Rows are written in blocks of this many pixels, a trip count the compiler vectorises.
constexpr size_t BLOCK = 16;

// One blended pixel. Per channel, ((old (256 - alpha) + colour alpha) >> 8): the same byte as
// the mix computed in each channel's own bit position and masked, e.g. for red
// (((old & 0xFF0000) w + (colour & 0xFF0000) alpha) >> 8) & 0xFF0000, but in 16 bits, since
// 255 x 256 is the largest sum. The top byte of the result is 0.
struct Mix {
    uint16_t w;           // 256 - alpha
    uint16_t r, g, b;     // the colour's channels times alpha

    uint32_t operator()(uint32_t old) const
    {
        const auto r8 = static_cast<uint16_t>(static_cast<uint16_t>(((old >> 16) & 0xFF) * w + r) >> 8);
        const auto g8 = static_cast<uint16_t>(static_cast<uint16_t>(((old >> 8) & 0xFF) * w + g) >> 8);
        const auto b8 = static_cast<uint16_t>(static_cast<uint16_t>((old & 0xFF) * w + b) >> 8);
        return static_cast<uint32_t>(r8) << 16 | static_cast<uint32_t>(g8) << 8 | b8;
    }
};

// Walks the rows as RASTERDraw does, handing each row and its colour to `row`.
template <typename Row>
void walkRows(const RASTER *raster, IMG *image, Row &&row)
{
    int32_t index = firstIndex(raster);
    for (int32_t y = 0; y < image->height; ++y) {
        row(raster->table[index], y);
        if (++index == raster->count) index = 0;
    }
}

// Per-channel prefix sums of a table: sum of entries [a, b) of channel c is at[c][b] - at[c][a].
struct ChannelSums {
    int64_t *at[3];
    int32_t count;

    // Sum of len entries of channel c from start on, wrapping past the end as often as needed.
    int64_t cyclic(int c, int32_t start, int64_t len) const
    {
        const int64_t *p = at[c];
        const int64_t whole = len / count, rest = len % count;
        int64_t sum = whole * p[count];
        if (start + rest <= count)
            sum += p[start + rest] - p[start];
        else
            sum += p[count] - p[start] + p[start + rest - count];
        return sum;
    }
};

void putLE32(uint8_t *out, uint32_t v)
{
    out[0] = static_cast<uint8_t>(v);
    out[1] = static_cast<uint8_t>(v >> 8);
    out[2] = static_cast<uint8_t>(v >> 16);
    out[3] = static_cast<uint8_t>(v >> 24);
}

uint32_t getLE32(const uint8_t *in)
{
    return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
           static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

// Reads the whole colour table file into a new raster; null when it is not one. The count is
// checked before anything is allocated, and the file must end right after the last colour.
RASTER *readTable(std::FILE *file)
{
    uint8_t head[4];
    if (std::fread(head, 1, 4, file) != 4) return nullptr;
    const auto count = static_cast<int32_t>(getLE32(head));
    if (count < 1 || count > RASTER_MAX_COUNT) return nullptr;

    const size_t bytes = static_cast<size_t>(count) * 4;
    auto *raw = static_cast<uint8_t *>(std::malloc(bytes));
    if (!raw) return nullptr;
    const bool whole = std::fread(raw, 1, bytes, file) == bytes && std::fgetc(file) == EOF;
    RASTER *raster = whole ? RASTERNew() : nullptr;
    if (raster) {
        RASTERResize(raster, count);
        if (raster->count == count) {
            for (int32_t i = 0; i < count; ++i) raster->table[i] = getLE32(raw + 4 * i);
        } else {
            RASTERFree(&raster);
        }
    }
    std::free(raw);
    return raster;
}

}  // namespace

RASTER *RASTERNew()
{
    auto *raster = static_cast<RASTER *>(std::calloc(1, sizeof(RASTER)));
    uint32_t *table = newTable(NEW_COUNT);
    if (!raster || !table) {
        std::free(raster);
        std::free(table);
        return report(RASTERError, nullptr);
    }
    raster->speed = NEW_SPEED;
    raster->count = NEW_COUNT;
    raster->table = table;
    return raster;
}

void RASTERFree(RASTER **raster)
{
    if (!raster || !*raster) return report(RASTERError);
    std::free((*raster)->table);
    std::free(*raster);
    *raster = nullptr;
}

char *RASTERToASCII(const RASTER *) { return nullptr; }

RASTER *RASTERFromASCII(const char *) { return nullptr; }

int RASTEREqual(const RASTER *a, const RASTER *b)
{
    if (!valid(a) || !valid(b)) return report(RASTERError, 0);
    if (a->count != b->count) return 0;
    return std::equal(a->table, a->table + a->count, b->table) ? 1 : 0;
}

RASTER *RASTERCopy(const RASTER *raster)
{
    if (!valid(raster)) return report(RASTERError, nullptr);
    auto *copy = static_cast<RASTER *>(std::calloc(1, sizeof(RASTER)));
    uint32_t *table = newTable(raster->count);
    if (!copy || !table) {
        std::free(copy);
        std::free(table);
        return report(RASTERError, nullptr);
    }
    std::copy_n(raster->table, raster->count, table);
    copy->phase = raster->phase;
    copy->speed = raster->speed;
    copy->count = raster->count;
    copy->table = table;
    return copy;
}

void RASTERResize(RASTER *raster, int32_t count)
{
    if (!raster || count < 0 || count > RASTER_MAX_COUNT) return report(RASTERError);
    uint32_t *table = newTable(count);
    if (!table) return report(RASTERError);
    std::free(raster->table);
    raster->table = table;
    raster->count = count;
    raster->phase = 0;
}

void RASTERClear(RASTER *raster)
{
    if (!valid(raster)) return report(RASTERError);
    std::fill_n(raster->table, raster->count, 0u);
}

RASTER *RASTERLoad(const char *path)
{
    if (!path) return report(RASTERError, nullptr);
    std::FILE *file = std::fopen(path, "rb");
    if (!file) return report(RASTERError, nullptr);
    RASTER *raster = readTable(file);
    std::fclose(file);
    return raster ? raster : report(RASTERError, nullptr);
}

int RASTERSave(const RASTER *raster, const char *path)
{
    if (!valid(raster) || raster->count < 1 || raster->count > RASTER_MAX_COUNT || !path)
        return report(RASTERError, 0);
    const size_t bytes = 4 + static_cast<size_t>(raster->count) * 4;
    auto *raw = static_cast<uint8_t *>(std::malloc(bytes));
    if (!raw) return report(RASTERError, 0);
    putLE32(raw, static_cast<uint32_t>(raster->count));
    for (int32_t i = 0; i < raster->count; ++i) putLE32(raw + 4 + 4 * i, raster->table[i]);

    std::FILE *file = std::fopen(path, "wb");
    bool written = false;
    if (file) {
        written = std::fwrite(raw, 1, bytes, file) == bytes;
        written = std::fclose(file) == 0 && written;
    }
    std::free(raw);
    return written ? 1 : report(RASTERError, 0);
}

void RASTERDraw(const RASTER *raster, IMG *image)
{
    if (!valid(raster) || raster->count < 1 || !image || !image->pixels)
        return report(RASTERError);
    walkRows(raster, image, [&](uint32_t colour, int32_t y) {
        RASTERFillRow(image, colour, y, 0, image->width - 1);
    });
}

void RASTERDrawBlended(const RASTER *raster, IMG *image, int32_t alpha)
{
    if (!valid(raster) || raster->count < 1 || !image || !image->pixels)
        return report(RASTERError);
    walkRows(raster, image, [&](uint32_t colour, int32_t y) {
        RASTERBlendRow(image, colour, y, 0, image->width - 1, alpha);
    });
}

void RASTERAdvance(RASTER *raster)
{
    if (!valid(raster) || raster->count < 1) return report(RASTERError);
    // 64-bit: a phase set by hand near the limit plus any speed must not overflow.
    const int64_t limit = static_cast<int64_t>(raster->count) << 16;
    int64_t phase = static_cast<int64_t>(raster->phase) + raster->speed;
    if (phase >= limit)
        phase %= limit;
    else if (phase < 0)
        phase = phase % limit + limit;  // the remainder is negative or zero: -limit gives limit
    raster->phase = static_cast<int32_t>(phase);
}

void RASTERSmooth(RASTER *raster, int32_t n)
{
    if (!valid(raster) || raster->count < 1 || n <= 0) return report(RASTERError);
    const int32_t count = raster->count;
    const uint32_t *in = raster->table;

    // The 2n neighbour terms of every entry come from prefix sums, so the cost does not grow
    // with n; the result is the plain sum of the 2n + 2 terms all the same.
    auto *sums = static_cast<int64_t *>(std::calloc(3 * (static_cast<size_t>(count) + 1),
                                                    sizeof(int64_t)));
    uint32_t *out = newTable(count);
    if (!sums || !out) {
        std::free(sums);
        std::free(out);
        return report(RASTERError);
    }
    ChannelSums prefix{{sums, sums + count + 1, sums + 2 * (count + 1)}, count};
    for (int32_t i = 0; i < count; ++i) {
        for (int c = 0; c < 3; ++c)
            prefix.at[c][i + 1] = prefix.at[c][i] + ((in[i] >> (16 - 8 * c)) & 0xFF);
    }

    const int64_t divisor = 2 * static_cast<int64_t>(n) + 2;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t colour = 0;
        for (int c = 0; c < 3; ++c) {
            const int64_t *p = prefix.at[c];
            int64_t sum = 2 * (p[i + 1] - p[i]);
            // Right neighbours i + 1 .. i + n, wrapping.
            sum += prefix.cyclic(c, (i + 1) % count, n);
            // Left neighbours: i - 1 down to 0 while k <= i, then reflected to k - i = 1, 2, ...
            const int32_t inside = std::min(n, i);
            sum += p[i] - p[i - inside];
            if (n > i) sum += prefix.cyclic(c, 1 % count, static_cast<int64_t>(n) - i);
            colour |= (static_cast<uint32_t>(sum / divisor) & 0xFF) << (16 - 8 * c);
        }
        out[i] = colour;
    }
    std::free(sums);
    std::free(raster->table);
    raster->table = out;
}

void RASTERFillRow(IMG *image, uint32_t colour, int32_t row, int32_t first, int32_t last)
{
    if (!clipRow(image, row, first, last)) return;
    uint32_t *p = image->pixels + static_cast<size_t>(row) * static_cast<size_t>(image->width) +
                  first;
    size_t n = static_cast<size_t>(last - first) + 1;
    // Blocks of a fixed size become vector stores; the tail is written one by one.
    for (; n >= BLOCK; n -= BLOCK, p += BLOCK)
        for (size_t i = 0; i < BLOCK; ++i) p[i] = colour;
    for (; n; --n) *p++ = colour;
}

void RASTERBlendRow(IMG *image, uint32_t colour, int32_t row, int32_t first, int32_t last,
                    int32_t alpha)
{
    if (!clipRow(image, row, first, last)) return;
    const auto a = static_cast<uint16_t>(std::clamp(alpha, 0, 256));
    const auto w = static_cast<uint16_t>(256 - a);
    // The colour's share of each channel is the same for every pixel of the row.
    const Mix mix{w, static_cast<uint16_t>(((colour >> 16) & 0xFF) * a),
                  static_cast<uint16_t>(((colour >> 8) & 0xFF) * a),
                  static_cast<uint16_t>((colour & 0xFF) * a)};
    uint32_t *p = image->pixels + static_cast<size_t>(row) * static_cast<size_t>(image->width) +
                  first;
    size_t n = static_cast<size_t>(last - first) + 1;
    for (; n >= BLOCK; n -= BLOCK, p += BLOCK)
        for (size_t i = 0; i < BLOCK; ++i) p[i] = mix(p[i]);
    for (; n; --n, ++p) *p = mix(*p);
}
