// Small pieces the unit tests share (namespace support): owners that free a module's record or
// a malloc'd text when the test is done with it, the temporary files the readers and writers are
// tried on, and fresh surfaces with a slow reference copy to hold the drawing code to.
//   Owned<IMG, IMGFree> image(IMGNew());       frees with IMGFree(&p) unless p is null
//   std::unique_ptr<IMG, Freeing<IMG, IMGFree>>  the same as a deleter, where a test moves it
//   Text text(IMGToASCII(image)); text.str()    a malloc'd text, "<null>" when there is none
//   tempPath("kova_img", "load.pnm")            <gtest temp dir>kova_img_<pid>_load.pnm
//   writeFile(path, bytes), readFile(path)      whole files as bytes ("" when unreadable)
//   TempFile file("kova_text", "roundtrip")     such a path, gone before and after the test
//   Fenced bytes(data); bytes.data()            data ending where an unreadable page begins
//   newImage(w, h, fill), newMap(w, h, fill)    a fresh surface of that size, every cell at fill
//   surface::cells(s), surface::contents(s)     an image's pixels or a map's cells, and a copy
//   surface::referenceBlit(s, d, sx, sy, dx, dy, w, h, rule)  the slow, obvious clipped copy
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "gfx/bytemap.h"
#include "gfx/img.h"

namespace support {

// Owns a record for the length of a test; `p` stays reachable so a test can free it itself.
template <typename T, void (*Free)(T **)>
struct Owned {
    T *p;
    explicit Owned(T *record) : p(record) {}
    ~Owned()
    {
        if (p) Free(&p);
    }
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    T *operator->() const { return p; }
    operator T *() const { return p; }
};

// The deleter form of Owned, for std::unique_ptr.
template <typename T, void (*Free)(T **)>
struct Freeing {
    void operator()(T *record) const { Free(&record); }
};

// Owns a text the code under test allocated with malloc.
struct Text {
    char *p;
    explicit Text(char *text) : p(text) {}
    ~Text() { std::free(p); }
    Text(const Text &) = delete;
    Text &operator=(const Text &) = delete;
    std::string str() const { return p ? std::string(p) : "<null>"; }
};

// A path in the test's temporary directory, apart for each program and each running process.
inline std::string tempPath(const char *prefix, const char *name)
{
    return testing::TempDir() + prefix + "_" + std::to_string(::getpid()) + "_" + name;
}

inline void writeFile(const std::string &path, const std::string &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string readFile(const std::string &path)
{
    std::string bytes;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
        std::fclose(f);
    }
    return bytes;
}

// A temporary path that holds no file when the test starts and none when it ends.
struct TempFile {
    std::string path;
    TempFile(const char *prefix, const char *name) : path(tempPath(prefix, name))
    {
        std::remove(path.c_str());
    }
    ~TempFile() { std::remove(path.c_str()); }
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;
    void write(const std::string &bytes) const { writeFile(path, bytes); }
    std::string read() const { return readFile(path); }
};

// Bytes (at most a page) placed at the very end of a readable page followed by an unreadable
// one: a reader that looks even one byte past them faults at once, in any build.
struct Fenced {
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    char *base = static_cast<char *>(
        ::mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    explicit Fenced(const std::string &bytes) : size(bytes.size())
    {
        if (base == MAP_FAILED || size > page || ::mprotect(base + page, page, PROT_NONE) != 0) std::abort();
        std::memcpy(data(), bytes.data(), size);
    }
    ~Fenced() { ::munmap(base, 2 * page); }
    Fenced(const Fenced &) = delete;
    Fenced &operator=(const Fenced &) = delete;
    char *data() const { return base + page - size; }
    size_t size;
};

// A fresh w x h image or map with every cell at `fill` (the caller frees it).
inline IMG *newImage(int32_t w, int32_t h, uint32_t fill = 0)
{
    IMG *image = IMGNew();
    if (!image) return nullptr;
    IMGResize(image, w, h);
    for (int32_t i = 0; i < image->width * image->height; ++i) image->pixels[i] = fill;
    return image;
}

inline BYTEMAP *newMap(int32_t w, int32_t h, uint8_t fill = 0)
{
    BYTEMAP *map = BYTEMAPNew();
    if (!map) return nullptr;
    BYTEMAPResize(map, w, h);
    for (int32_t i = 0; i < map->width * map->height; ++i) map->data[i] = fill;
    return map;
}

// Kept apart so that a test's own cells() is never ambiguous with these for an Owned argument.
namespace surface {

// Either surface, cell by cell.
inline uint32_t *cells(const IMG *image) { return image->pixels; }
inline uint8_t *cells(const BYTEMAP *map) { return map->data; }

template <class Surface>
auto contents(const Surface *s)
{
    using Cell = std::remove_pointer_t<decltype(cells(s))>;
    return std::vector<Cell>(cells(s), cells(s) + s->width * s->height);
}

// The obvious meaning of a clipped block copy: every destination cell whose block position
// maps to a source cell inside the source is combined with it, d = rule(d, s).
template <class Surface, class Rule>
void referenceBlit(const Surface *s, Surface *d, int64_t sx, int64_t sy, int64_t dx, int64_t dy,
                   int64_t w, int64_t h, const Rule &rule)
{
    for (int64_t y = 0; y < d->height; ++y)
        for (int64_t x = 0; x < d->width; ++x) {
            const int64_t i = x - dx, j = y - dy, u = sx + i, v = sy + j;
            if (i < 0 || i >= w || j < 0 || j >= h) continue;
            if (u < 0 || u >= s->width || v < 0 || v >= s->height) continue;
            auto &c = cells(d)[x + y * d->width];
            c = rule(c, cells(s)[u + v * s->width]);
        }
}

}  // namespace surface

}  // namespace support
