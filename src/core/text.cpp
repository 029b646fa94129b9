// TEXT: line measures, length and upper-casing of NUL-terminated texts, and whole-file
// reading and writing. Bytes are taken as signed characters, so bytes 128..255 are no letters.
#include "core/text.h"

#include <cstdio>
#include <cstdlib>

#include "core/ident.h"

ErrorReporter TEXTError = {0, "TEXT Error."};
KOVA_IDENT(TEXTIdent, "TEXT    ", "20110510", "ValenTRQ", "C       ", "CODE    ");

int32_t TEXTWidth(const char *text)
{
    if (!text) return 0;
    int32_t widest = 0;
    int32_t current = 0;
    for (; *text; ++text) {
        if (*text == '\n') {
            if (current > widest) widest = current;
            current = 0;
        } else {
            ++current;
        }
    }
    return widest;  // an unterminated last line does not count
}

int32_t TEXTLines(const char *text)
{
    if (!text) return 0;
    int32_t lines = 0;
    for (; *text; ++text) lines += *text == '\n';
    return lines;
}

int32_t TEXTLength(const char *text)
{
    if (!text) return 0;
    int32_t length = 0;
    while (text[length]) ++length;
    return length;
}

void TEXTUpper(char *text)
{
    if (!text) return;
    for (; *text; ++text) {
        const signed char c = static_cast<signed char>(*text);
        if (c >= 'a' && c <= 'z') *text = static_cast<char>(c - 32);
    }
}

namespace {

// Size of an open file from its end position; -1 when it cannot be told or is too large.
int32_t sizeOf(std::FILE *file)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    if (end < 0 || end > TEXT_READ_MAX) return -1;
    return static_cast<int32_t>(end);
}

}  // namespace

int32_t TEXTFileSize(const char *path)
{
    if (!path) return 0;
    std::FILE *file = std::fopen(path, "rb");
    if (!file) return 0;
    const int32_t size = sizeOf(file);
    std::fclose(file);
    return size;
}

char *TEXTRead(const char *path)
{
    if (!path) return nullptr;
    // One open file for both the size and the bytes, so the size read is the size allocated,
    // and never more than that size is read even when the file grows meanwhile.
    std::FILE *file = std::fopen(path, "rb");
    if (!file) return nullptr;
    const int32_t size = sizeOf(file);
    if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    char *buffer = static_cast<char *>(std::calloc(static_cast<size_t>(size) + 1, 1));
    if (!buffer) {
        std::fclose(file);
        return nullptr;
    }
    const size_t got = size > 0 ? std::fread(buffer, 1, static_cast<size_t>(size), file) : 0;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        std::free(buffer);
        return nullptr;
    }
    (void)got;  // a file that shrank meanwhile leaves zeros after what was read
    return buffer;
}

int32_t TEXTWrite(const char *text, const char *path)
{
    if (!text || !path) return -1;
    std::FILE *file = std::fopen(path, "wb");
    if (!file) return -1;
    const size_t length = static_cast<size_t>(TEXTLength(text));
    const bool short_write = std::fwrite(text, 1, length, file) != length;
    const int closed = std::fclose(file);
    if (closed != 0) return closed;
    return short_write ? -1 : 0;
}
