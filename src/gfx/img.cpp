// IMG core: the true-colour image's life cycle, whole-image operations, pixel access, its
// text form and its PNM readers and P6 writer (the formats themselves live in pnm.cpp).
#include "gfx/img.h"

#include <cstdlib>
#include <cstring>

#include "core/ident.h"
#include "gfx/grid.h"

ErrorReporter IMGError = {0, "IMG error"};

KOVA_IDENT(IMGIdent, "IMG     ", "20110318", "ValenTRQ", "C       ", "CODE    ");

// The record's life cycle and readers, shared with the bytemap.
using grid::Pixels;

IMG *IMGNew()
{
    IMG *image = Pixels::make(16, 16, true);
    return image ? image : report(IMGError, image);
}

void IMGFree(IMG **image)
{
    if (!image || !*image) return report(IMGError);
    Pixels::destroy(*image);
    *image = nullptr;
}

void IMGResize(IMG *image, int32_t width, int32_t height)
{
    if (!image || width < 0 || height < 0) return report(IMGError);
    if (!Pixels::resize(image, width, height)) report(IMGError);  // left empty, without pixels
}

void IMGClear(IMG *image)
{
    if (!image || !image->pixels) return report(IMGError);
    std::memset(image->pixels, 0, Pixels::count(image) * sizeof(uint32_t));
}

IMG *IMGCopy(const IMG *image)
{
    if (!image || !image->pixels) return report(IMGError, nullptr);
    IMG *copy = Pixels::copy(image);
    return copy ? copy : report(IMGError, copy);
}

void IMGCopyTo(const IMG *source, IMG *destination)
{
    if (!source || !source->pixels || !destination || !destination->pixels)
        return report(IMGError);
    if (!Pixels::sameSize(source, destination)) return report(IMGError);
    if (source != destination)
        std::memcpy(destination->pixels, source->pixels, Pixels::count(source) * sizeof(uint32_t));
}

int IMGEqual(const IMG *a, const IMG *b)
{
    if (!a || !a->pixels || !b || !b->pixels) return report(IMGError, 0);
    return Pixels::equal(a, b);
}

uint32_t IMGGetPixel(const IMG *image, int32_t x, int32_t y)
{
    if (!image || !image->pixels) return report(IMGError, 0u);
    if (x < 0 || x >= image->width || y < 0 || y >= image->height) return 0;
    return image->pixels[size_t(x) + size_t(y) * size_t(image->width)];
}

void IMGPutPixel(IMG *image, int32_t x, int32_t y, uint32_t value)
{
    if (!image || !image->pixels) return report(IMGError);
    if (x < 0 || x >= image->width || y < 0 || y >= image->height) return;
    image->pixels[size_t(x) + size_t(y) * size_t(image->width)] = value;
}

void IMGSubtract(IMG *image, uint32_t colour)
{
    if (!image || !image->pixels) return report(IMGError);
    // Each channel is one byte, so this is a saturating subtraction byte by byte, with the
    // colour laid out in memory like a pixel. Its top byte is 0xFF, which clears positions
    // 24-31. Sixteen bytes at a time with a fixed pattern: one vector instruction on x86.
    const uint32_t lowered = (colour & 0x00FFFFFF) | 0xFF000000;
    uint8_t k[16];
    for (int j = 0; j < 16; j += 4) std::memcpy(k + j, &lowered, 4);
    auto sub = [](uint8_t a, uint8_t b) { return uint8_t(a > b ? a - b : 0); };

    uint8_t *__restrict bytes = reinterpret_cast<uint8_t *>(image->pixels);
    const size_t n = Pixels::count(image) * sizeof(uint32_t);
    size_t i = 0;
    for (; i + 16 <= n; i += 16)
        for (size_t j = 0; j < 16; ++j) bytes[i + j] = sub(bytes[i + j], k[j]);
    for (; i < n; ++i) bytes[i] = sub(bytes[i], k[i % 16]);
}

char *IMGToASCII(const IMG *image)
{
    if (!image || !image->pixels) return report(IMGError, nullptr);
    char *text = Pixels::toText(image, "IMG");
    return text ? text : report(IMGError, text);
}

IMG *IMGFromASCII(const char *text)
{
    IMG *image = text ? Pixels::fromText(text, "IMG") : nullptr;
    return image ? image : report(IMGError, image);
}

IMG *IMGFromPNM(const void *data, size_t size)
{
    IMG *image = data ? Pixels::fromMemory(data, size) : nullptr;
    return image ? image : report(IMGError, image);
}

IMG *IMGLoadPNM(const char *path)
{
    IMG *image = path ? Pixels::fromFile(path) : nullptr;
    return image ? image : report(IMGError, image);
}

int IMGSavePPM(const IMG *image, const char *path)
{
    if (!image || !image->pixels || !path || image->width <= 0 || image->height <= 0)
        return report(IMGError, 0);
    return Pixels::save(image, path) ? 1 : report(IMGError, 0);
}
