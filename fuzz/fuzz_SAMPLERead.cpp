// Feeds arbitrary bytes to the raw sample reader through a temporary file. The first byte picks
// the width, byte order and sign (including invalid ones); every value read must be the
// decoding of its bytes, and writing the sample out must not fail.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include <unistd.h>

#include "audio/sample.h"

namespace {

std::FILE *scratchFile()
{
    static std::FILE *file = std::tmpfile();
    return file;
}

int32_t decoded(const uint8_t *bytes, int32_t width, char order, char sign)
{
    const int32_t bias = sign == 'u' ? 32768 : 0;
    if (width == 8) return bytes[0] * 256 - bias;
    const int32_t pattern = order == 'l' ? bytes[0] | bytes[1] << 8 : bytes[0] << 8 | bytes[1];
    return pattern - bias;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::FILE *file = scratchFile();
    if (!file || size == 0) return 0;
    const uint8_t mode = data[0];
    const int32_t width = (mode & 3) == 0 ? 8 : (mode & 3) == 1 ? 16 : (mode & 3) == 2 ? 24 : 0;
    const char order = (mode & 4) ? 'b' : (mode & 32) ? 'x' : 'l';
    const char sign = (mode & 8) ? 'u' : (mode & 64) ? '?' : 's';
    const uint8_t *body = data + 1;
    const size_t n = size - 1;

    // Flush what the last round wrote before cutting the file, or the flush would re-grow it.
    if (std::fflush(file) != 0 || ::ftruncate(::fileno(file), 0) != 0) return 0;
    std::rewind(file);
    if (std::fwrite(body, 1, n, file) != n || std::fflush(file) != 0) return 0;
    std::rewind(file);

    SAMPLE *sample = SAMPLERead(file, width, order, sign);
    const bool valid = (width == 8 || width == 16) && (order == 'b' || order == 'l') &&
                       (sign == 's' || sign == 'u');
    if (!valid) {
        if (sample) std::abort();
        return 0;
    }
    if (!sample) std::abort();
    const size_t step = width == 8 ? 1 : 2;
    if (static_cast<size_t>(sample->length) != n / step || sample->capacity < sample->length) {
        std::abort();
    }
    for (int32_t i = 0; i < sample->length; ++i) {
        if (sample->values[i] != decoded(body + i * step, width, order, sign)) std::abort();
    }

    // Writing it out again (to the same scratch) at every width.
    for (int32_t w : {8, 16, 24, 32}) {
        std::rewind(file);
        SAMPLEWrite(sample, file, w, mode & 16 ? 'b' : 'l');
    }
    SAMPLEFree(&sample);
    return 0;
}
