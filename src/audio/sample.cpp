// SAMPLE: growable arrays of signed 32-bit sound values with their editing, arithmetic,
// comparison, raw-file and text operations. Arithmetic wraps (it runs on the unsigned
// patterns), so no value can overflow into undefined behaviour.
#include "audio/sample.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/blocks.h"
#include "core/ident.h"

ErrorReporter SAMPLEError = {0, "SAMPLE error"};
KOVA_IDENT(SAMPLEIdent, "SAMPLE  ", "20110402", "ValenTRQ", "C       ", "CODE    ");

namespace {

constexpr int32_t DEFAULT_CAPACITY = 32;
constexpr int32_t READ_RESERVE = 1024;

bool valid(const SAMPLE *s) { return s && s->values; }

int32_t *allocValues(int32_t n)
{
    return static_cast<int32_t *>(std::calloc(static_cast<size_t>(n), sizeof(int32_t)));
}

// A record with a zeroed array of `capacity` values and length 0; null on failure.
SAMPLE *make(int32_t capacity)
{
    SAMPLE *s = static_cast<SAMPLE *>(std::calloc(1, sizeof(SAMPLE)));
    if (!s) return nullptr;
    s->values = allocValues(capacity);
    if (!s->values) {
        std::free(s);
        return nullptr;
    }
    s->capacity = capacity;
    return s;
}

// Wrapping 32-bit arithmetic.
inline int32_t wrapAdd(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrapMul(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}

// Element-wise d[i] = op(d[i], s[i]) over arrays that do not overlap, and d[i] = op(d[i]), in
// the fixed blocks that become vector code.
constexpr size_t BLOCK = 16;

template <typename Op>
void eachPair(int32_t *__restrict d, const int32_t *__restrict s, int32_t n, Op op)
{
    blocks::combine<BLOCK>(d, s, n > 0 ? static_cast<size_t>(n) : 0, op);
}

template <typename Op>
void eachValue(int32_t *__restrict d, int32_t n, Op op)
{
    blocks::update<BLOCK>(d, n > 0 ? static_cast<size_t>(n) : 0, op);
}

// Characters "%ld\n" writes for v: digits, a minus sign when negative, the newline.
int32_t lineSize(int64_t v)
{
    int32_t size = v < 0 ? 2 : 1;
    uint64_t magnitude = v < 0 ? static_cast<uint64_t>(-v) : static_cast<uint64_t>(v);
    do {
        ++size;
        magnitude /= 10;
    } while (magnitude);
    return size;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits at *p, wrapping at 32 bits; no digits give 0.
uint32_t readDigits(const char *&p)
{
    uint32_t magnitude = 0;
    for (; isDigit(*p); ++p) magnitude = magnitude * 10u + static_cast<uint32_t>(*p - '0');
    return magnitude;
}

// Rotates by adopting a rebuilt array: new[(i + shift) mod length] = old[i], shift in 1..length-1.
void rotateBy(SAMPLE *s, int32_t shift)
{
    SAMPLE *rotated = SAMPLENew();
    if (!rotated || !SAMPLESetLength(rotated, s->length)) {
        if (rotated) SAMPLEFree(&rotated);
        return report(SAMPLEError);
    }
    SAMPLECopyRange(s, rotated, s->length - shift, 0, shift);
    SAMPLECopyRange(s, rotated, shift, s->length - shift, 0);
    std::free(s->values);
    s->values = rotated->values;
    s->capacity = rotated->capacity;
    rotated->values = nullptr;
    SAMPLEFree(&rotated);
}

// n modulo the length as a non-negative remainder; -1 for an empty or invalid sample.
int32_t rotation(const SAMPLE *s, int32_t n)
{
    if (!valid(s) || s->length <= 0) return -1;
    int32_t r = n % s->length;
    return r < 0 ? r + s->length : r;
}

// Appends a value read from a raw file, doubling the capacity when full.
bool push(SAMPLE *s, int32_t v)
{
    if (s->length >= s->capacity) {
        if (s->capacity > INT32_MAX / 2 || !SAMPLEReserve(s, s->capacity * 2)) return false;
    }
    s->values[s->length++] = v;
    return true;
}

}  // namespace

// ---- Common operations ----

SAMPLE *SAMPLENew()
{
    SAMPLE *s = make(DEFAULT_CAPACITY);
    if (!s) return report(SAMPLEError, nullptr);
    return s;
}

void SAMPLEFree(SAMPLE **sample)
{
    if (!sample || !*sample) return report(SAMPLEError);
    std::free((*sample)->values);
    std::free(*sample);
    *sample = nullptr;
}

SAMPLE *SAMPLECopy(const SAMPLE *sample)
{
    if (!valid(sample) || sample->length < 0) return report(SAMPLEError, nullptr);
    SAMPLE *copy = make(sample->length > 0 ? sample->length : DEFAULT_CAPACITY);
    if (!copy) return report(SAMPLEError, nullptr);
    if (sample->length > 0) {
        std::memcpy(copy->values, sample->values, sizeof(int32_t) * sample->length);
    }
    copy->length = sample->length;
    return copy;
}

int32_t SAMPLEEqual(const SAMPLE *a, const SAMPLE *b)
{
    if (!valid(a) || !valid(b) || a->length != b->length) return report(SAMPLEError, 0);
    if (a->length > 0 && std::memcmp(a->values, b->values, sizeof(int32_t) * a->length) != 0) {
        return report(SAMPLEError, 0);
    }
    return 1;
}

char *SAMPLEToASCII(const SAMPLE *sample)
{
    if (!valid(sample) || sample->length < 0) return report(SAMPLEError, nullptr);
    if (sample->length == 0) {
        char *text = static_cast<char *>(std::calloc(10, 1));
        if (!text) return report(SAMPLEError, nullptr);
        std::memcpy(text, "SAMPLE{}\n", 9);
        return text;
    }
    // Exact size: header, count line, one line per value, "}\n" and the terminating zero.
    size_t size = 7 + lineSize(sample->length) + 2 + 1;
    for (int32_t i = 0; i < sample->length; ++i) size += lineSize(sample->values[i]);
    char *text = static_cast<char *>(std::calloc(size, 1));
    if (!text) return report(SAMPLEError, nullptr);
    char *p = text;
    std::memcpy(p, "SAMPLE{", 7);
    p += 7;
    p += std::snprintf(p, size - (p - text), "%ld\n", static_cast<long>(sample->length));
    for (int32_t i = 0; i < sample->length; ++i) {
        p += std::snprintf(p, size - (p - text), "%ld\n", static_cast<long>(sample->values[i]));
    }
    std::memcpy(p, "}\n", 2);
    return text;
}

SAMPLE *SAMPLEFromASCII(const char *text)
{
    if (!text) return report(SAMPLEError, nullptr);
    const char *p = std::strstr(text, "SAMPLE");
    if (!p) return report(SAMPLEError, nullptr);
    p = std::strchr(p + 6, '{');
    if (!p) return report(SAMPLEError, nullptr);
    ++p;

    while (*p && !isDigit(*p) && *p != '}') ++p;
    if (!*p) return report(SAMPLEError, nullptr);
    if (*p == '}') return SAMPLENew();

    // The count (a minus sign before it is ignored). The text bounds it: every value takes at
    // least one digit or "-", so a count beyond those left is a truncated or hostile text, and
    // no more than that is allocated. A text that ends before the last value is refused too.
    int64_t count = 0;
    for (; isDigit(*p); ++p) {
        count = count * 10 + (*p - '0');
        if (count > INT32_MAX) return report(SAMPLEError, nullptr);
    }
    int64_t available = 0;
    for (const char *q = p; *q; ++q) available += isDigit(*q) || *q == '-';
    if (count > available) return report(SAMPLEError, nullptr);

    SAMPLE *s = SAMPLENew();
    if (!s) return report(SAMPLEError, nullptr);
    if (count > 0 && !SAMPLEReserve(s, static_cast<int32_t>(count))) {
        SAMPLEFree(&s);
        return report(SAMPLEError, nullptr);
    }
    for (int32_t i = 0; i < count; ++i) {
        while (*p && *p != '-' && !isDigit(*p)) ++p;
        if (!*p) {
            SAMPLEFree(&s);
            return report(SAMPLEError, nullptr);
        }
        const bool negative = *p == '-';
        if (negative) ++p;
        const uint32_t magnitude = readDigits(p);
        s->values[i] = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    }
    s->length = static_cast<int32_t>(count);
    p = std::strchr(p, '}');
    if (!p) {
        SAMPLEFree(&s);
        return report(SAMPLEError, nullptr);
    }
    return s;
}

// ---- Storage ----

int32_t SAMPLEReserve(SAMPLE *sample, int32_t n)
{
    if (!sample || n <= 0) return report(SAMPLEError, 0);
    int32_t *values = allocValues(n);
    if (!values) return report(SAMPLEError, 0);
    const int32_t kept = std::clamp(sample->length, 0, n);
    if (kept > 0 && sample->values) std::memcpy(values, sample->values, sizeof(int32_t) * kept);
    std::free(sample->values);
    sample->values = values;
    sample->capacity = n;
    sample->length = sample->values ? kept : 0;
    return 1;
}

int32_t SAMPLESetLength(SAMPLE *sample, int32_t n)
{
    if (!sample || n < 0) return report(SAMPLEError, 0);
    if ((sample->capacity < n || !sample->values) && !SAMPLEReserve(sample, n > 0 ? n : 1)) {
        return report(SAMPLEError, 0);
    }
    sample->length = n;
    return 1;
}

void SAMPLEZero(SAMPLE *sample)
{
    if (!valid(sample)) return report(SAMPLEError);
    if (sample->length > 0) std::memset(sample->values, 0, sizeof(int32_t) * sample->length);
}

// ---- Element access ----

int32_t SAMPLEGet(const SAMPLE *sample, int32_t i)
{
    if (!valid(sample) || i < 0 || i >= sample->length) return report(SAMPLEError, 0);
    return sample->values[i];
}

void SAMPLESet(SAMPLE *sample, int32_t v, int32_t i)
{
    if (!valid(sample) || i < 0 || i >= sample->length) return report(SAMPLEError);
    sample->values[i] = v;
}

int32_t SAMPLEFind(const SAMPLE *sample, int32_t v, int32_t from)
{
    if (!valid(sample) || from < 0 || from >= sample->length) return report(SAMPLEError, -1);
    for (int32_t i = from; i < sample->length; ++i) {
        if (sample->values[i] == v) return i;
    }
    return -1;
}

void SAMPLEInsert(SAMPLE *sample, int32_t v, int32_t i)
{
    if (!valid(sample) || i < 0 || i > sample->length) return report(SAMPLEError);
    if (sample->length >= sample->capacity) {
        // Double; a sample of capacity 0 (a compiled-in empty one) starts at the default.
        if (sample->length == INT32_MAX) return report(SAMPLEError);
        const int32_t grown = sample->capacity <= 0          ? DEFAULT_CAPACITY
                              : sample->capacity > INT32_MAX / 2 ? INT32_MAX
                                                                 : sample->capacity * 2;
        if (!SAMPLEReserve(sample, grown)) return report(SAMPLEError);
    }
    std::memmove(sample->values + i + 1, sample->values + i,
                 sizeof(int32_t) * (sample->length - i));
    sample->values[i] = v;
    sample->length++;
}

void SAMPLERemove(SAMPLE *sample, int32_t i)
{
    if (!valid(sample) || i < 0 || i >= sample->length) return report(SAMPLEError);
    std::memmove(sample->values + i, sample->values + i + 1,
                 sizeof(int32_t) * (sample->length - i - 1));
    sample->length--;
}

// ---- Runs of values ----

void SAMPLECopyRange(const SAMPLE *src, SAMPLE *dst, int32_t count, int32_t srcStart,
                     int32_t dstStart)
{
    if (!valid(src) || !valid(dst) || srcStart < 0 || dstStart < 0) return report(SAMPLEError);
    if (count <= 0) return;
    if (int64_t{srcStart} + count > src->length || int64_t{dstStart} + count > dst->length) {
        return report(SAMPLEError);
    }
    // memmove copies backwards exactly when a forward copy would overwrite its own source.
    std::memmove(dst->values + dstStart, src->values + srcStart, sizeof(int32_t) * count);
}

SAMPLE *SAMPLESub(const SAMPLE *sample, int32_t first, int32_t end)
{
    if (!valid(sample) || first > end) return report(SAMPLEError, nullptr);
    end = std::min(end, sample->length);
    first = std::max(first, 0);
    const int32_t n = end > first ? end - first : 0;
    SAMPLE *sub = SAMPLENew();
    if (!sub || !SAMPLESetLength(sub, n)) {
        if (sub) SAMPLEFree(&sub);
        return report(SAMPLEError, nullptr);
    }
    if (n > 0) std::memcpy(sub->values, sample->values + first, sizeof(int32_t) * n);
    return sub;
}

void SAMPLEInsertSample(SAMPLE *dst, const SAMPLE *src, int32_t at)
{
    if (!valid(dst) || !valid(src) || at < 0 || at > dst->length) return report(SAMPLEError);
    if (src->length <= 0) return;
    const int64_t total = int64_t{dst->length} + src->length;
    if (total > INT32_MAX) return report(SAMPLEError);
    // Inserting a sample into itself takes the values as they stood before.
    SAMPLE *own = src == dst ? SAMPLECopy(src) : nullptr;
    if (src == dst && !own) return report(SAMPLEError);
    const SAMPLE *from = own ? own : src;
    const int32_t oldLength = dst->length;
    if (!SAMPLEReserve(dst, static_cast<int32_t>(total))) {
        if (own) SAMPLEFree(&own);
        return report(SAMPLEError);
    }
    dst->length = static_cast<int32_t>(total);
    std::memmove(dst->values + at + from->length, dst->values + at,
                 sizeof(int32_t) * (oldLength - at));
    std::memcpy(dst->values + at, from->values, sizeof(int32_t) * from->length);
    if (own) SAMPLEFree(&own);
}

void SAMPLEResample(SAMPLE *sample, int32_t n)
{
    if (!valid(sample) || n <= 0 || n == sample->length || sample->length <= 0) {
        return report(SAMPLEError);
    }
    int32_t *values = allocValues(n);
    if (!values) return report(SAMPLEError);
    const int32_t length = sample->length;
    const int32_t *old = sample->values;
    // Integer error terms (in 64 bits: n + length may pass 2^31). Growing repeats each value
    // about n / length times; shrinking takes exactly n evenly spaced values.
    if (n > length) {
        int64_t error = int64_t{length} - n;
        int32_t source = 0;
        for (int32_t i = 0; i < n; ++i) {
            if (error > 0) {
                error -= n;
                ++source;
            }
            values[i] = old[source];
            error += length;
        }
    } else {
        int64_t error = int64_t{n} - length;
        int32_t taken = 0;
        for (int32_t j = 0; j < length && taken < n; ++j) {
            error += n;
            if (error > 0) {
                values[taken++] = old[j];
                error -= length;
            }
        }
    }
    std::free(sample->values);
    sample->values = values;
    sample->length = n;
    sample->capacity = n;
}

void SAMPLEReverse(SAMPLE *sample)
{
    if (!valid(sample)) return report(SAMPLEError);
    if (sample->length > 1) std::reverse(sample->values, sample->values + sample->length);
}

void SAMPLERotateLeft(SAMPLE *sample, int32_t n)
{
    const int32_t r = rotation(sample, n);
    if (r < 0) return report(SAMPLEError);
    if (r > 0) rotateBy(sample, sample->length - r);
}

void SAMPLERotateRight(SAMPLE *sample, int32_t n)
{
    const int32_t r = rotation(sample, n);
    if (r < 0) return report(SAMPLEError);
    if (r > 0) rotateBy(sample, r);
}

// ---- Arithmetic ----

void SAMPLEAdd(SAMPLE *a, const SAMPLE *b)
{
    if (!valid(a) || !valid(b)) return report(SAMPLEError);
    const int32_t n = std::min(a->length, b->length);
    if (a->values == b->values) {
        eachValue(a->values, n, [](int32_t v) { return wrapAdd(v, v); });
        return;
    }
    eachPair(a->values, b->values, n, wrapAdd);
}

void SAMPLEMultiplySample(SAMPLE *a, const SAMPLE *b)
{
    if (!valid(a) || !valid(b)) return report(SAMPLEError);
    const int32_t n = std::min(a->length, b->length);
    if (a->values == b->values) {
        eachValue(a->values, n, [](int32_t v) { return wrapMul(v, v); });
        return;
    }
    eachPair(a->values, b->values, n, wrapMul);
}

void SAMPLEMultiply(SAMPLE *sample, int32_t k)
{
    if (!valid(sample)) return report(SAMPLEError);
    eachValue(sample->values, sample->length, [k](int32_t v) { return wrapMul(v, k); });
}

void SAMPLEShiftLeft(SAMPLE *sample, int32_t n)
{
    if (!valid(sample) || n < 0 || n > 32) return report(SAMPLEError);
    if (n == 32) return SAMPLEZero(sample);
    const uint32_t places = static_cast<uint32_t>(n);
    eachValue(sample->values, sample->length, [places](int32_t v) {
        return static_cast<int32_t>(static_cast<uint32_t>(v) << places);
    });
}

void SAMPLEShiftRight(SAMPLE *sample, int32_t n)
{
    if (!valid(sample) || n < 0 || n > 32) return report(SAMPLEError);
    const int32_t places = n == 32 ? 31 : n;  // by 32 only the sign is left: 0 or -1
    eachValue(sample->values, sample->length, [places](int32_t v) { return v >> places; });
}

int32_t SAMPLEMin(const SAMPLE *sample)
{
    if (!valid(sample) || sample->length <= 0) return report(SAMPLEError, 0);
    return *std::min_element(sample->values, sample->values + sample->length);
}

int32_t SAMPLEMax(const SAMPLE *sample)
{
    if (!valid(sample) || sample->length <= 0) return report(SAMPLEError, 0);
    return *std::max_element(sample->values, sample->values + sample->length);
}

void SAMPLEScaleToRange(SAMPLE *sample, int32_t lo, int32_t hi)
{
    if (!valid(sample) || sample->length <= 0) return report(SAMPLEError);
    const int64_t mn = SAMPLEMin(sample);
    const int64_t mx = SAMPLEMax(sample);
    if (mx == mn) return report(SAMPLEError);  // a flat sample has no range to stretch
    // k = (hi - lo) / (mx - mn) in 16.16; v becomes lo + ((v - mn) * k >> 16), so mn maps to lo
    // and mx to hi (less the factor's rounding). (v - mn) <= (mx - mn) keeps the product
    // within 2^48.
    const int64_t k = ((int64_t{hi} - lo) * 65536) / (mx - mn);
    for (int32_t i = 0; i < sample->length; ++i) {
        const int64_t scaled = ((sample->values[i] - mn) * k) >> 16;
        sample->values[i] = static_cast<int32_t>(lo + scaled);
    }
}

// ---- Comparison ----

int32_t SAMPLEMatchCount(const SAMPLE *a, const SAMPLE *b, int32_t offset)
{
    if (!valid(a) || !valid(b)) return report(SAMPLEError, 0);
    if (int64_t{offset} < 1 - int64_t{b->length} || offset > a->length - 1) {
        return report(SAMPLEError, 0);
    }
    int32_t ai = offset > 0 ? offset : 0;
    int32_t bi = offset < 0 ? -offset : 0;
    int32_t matches = 0;
    for (; ai < a->length && bi < b->length; ++ai, ++bi) matches += a->values[ai] == b->values[bi];
    return matches;
}

int32_t SAMPLEBestOffset(const SAMPLE *a, const SAMPLE *b)
{
    if (!valid(a) || !valid(b)) return report(SAMPLEError, 0);
    int32_t best = -b->length;
    int32_t bestCount = 0;
    for (int64_t offset = 1 - int64_t{b->length}; offset <= a->length - 1; ++offset) {
        const int32_t count = SAMPLEMatchCount(a, b, static_cast<int32_t>(offset));
        if (count > bestCount) {
            bestCount = count;
            best = static_cast<int32_t>(offset);
        }
    }
    return best;
}

// ---- Raw files ----

SAMPLE *SAMPLERead(std::FILE *file, int32_t width, char order, char sign)
{
    if (!file || (width != 8 && width != 16) || (order != 'b' && order != 'l') ||
        (sign != 's' && sign != 'u')) {
        return report(SAMPLEError, nullptr);
    }
    SAMPLE *s = SAMPLENew();
    if (!s || !SAMPLEReserve(s, READ_RESERVE)) {
        if (s) SAMPLEFree(&s);
        return report(SAMPLEError, nullptr);
    }
    const int32_t bias = sign == 'u' ? 32768 : 0;
    unsigned char chunk[4096];
    int pending = -1;  // first byte of a 16-bit pair split across chunks
    size_t got;
    bool ok = true;
    while (ok && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        for (size_t i = 0; i < got && ok; ++i) {
            if (width == 8) {
                ok = push(s, chunk[i] * 256 - bias);
                continue;
            }
            if (pending < 0) {
                pending = chunk[i];
                continue;
            }
            const int32_t first = pending;
            const int32_t second = chunk[i];
            pending = -1;
            const int32_t pattern = order == 'l' ? first | second << 8 : first << 8 | second;
            ok = push(s, pattern - bias);
        }
    }
    if (!ok || std::ferror(file)) {  // too long to hold, out of memory, or a read error
        SAMPLEFree(&s);
        return report(SAMPLEError, nullptr);
    }
    return s;  // a single trailing byte of 16-bit data is dropped
}

void SAMPLEWrite(const SAMPLE *sample, std::FILE *file, int32_t width, char order)
{
    if (!file || !valid(sample)) return report(SAMPLEError);
    int bytes = 2;
    int32_t lo = -32768, hi = 32767;
    if (width == 8) {
        bytes = 1;
        lo = -128;
        hi = 127;
    } else if (width == 24) {
        bytes = 3;
        lo = -8388608;
        hi = 8388607;
    } else if (width == 32) {
        bytes = 4;
        lo = -INT32_MAX;
        hi = INT32_MAX;
    }
    const bool big = order == 'b';
    unsigned char chunk[4096];
    size_t used = 0;
    for (int32_t i = 0; i < sample->length; ++i) {
        const uint32_t v = static_cast<uint32_t>(std::clamp(sample->values[i], lo, hi));
        for (int k = 0; k < bytes; ++k) {
            const int place = big ? bytes - 1 - k : k;
            chunk[used++] = static_cast<unsigned char>(v >> (8 * place) & 0xFF);
        }
        if (used > sizeof chunk - 4) {
            std::fwrite(chunk, 1, used, file);
            used = 0;
        }
    }
    if (used) std::fwrite(chunk, 1, used, file);
}
