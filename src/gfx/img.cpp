// IMG core: the true-colour raster's life cycle, whole-image operations, pixel access, its
// text form and its PNM readers and P6 writer (the formats themselves live in pnm.cpp).
#include "gfx/img.h"

#include <cstdlib>
#include <cstring>

#include "core/ident.h"
#include "gfx/pnm.h"

ErrorReporter IMGError = {0, "IMG error"};

KOVA_IDENT(IMGIdent, "IMG     ", "20110318", "ValenTRQ", "C       ", "CODE    ");

namespace {

// Pixels held by a record; a negative side (written from outside) counts as empty.
size_t pixelCount(const IMG *image)
{
    if (image->width <= 0 || image->height <= 0) return 0;
    return size_t(image->width) * size_t(image->height);
}

// A pixel array for width x height pixels (at least one, so that an empty image still has
// one); zeroed when asked, else left for a decoder that writes every pixel. Null when the
// size cannot be allocated, on any word size.
uint32_t *allocatePixels(int32_t width, int32_t height, bool zeroed)
{
    uint64_t n = uint64_t(width) * uint64_t(height);
    if (n == 0) n = 1;
    if (n > SIZE_MAX / sizeof(uint32_t)) return nullptr;
    void *pixels = zeroed ? std::calloc(size_t(n), sizeof(uint32_t))
                          : std::malloc(size_t(n) * sizeof(uint32_t));
    return static_cast<uint32_t *>(pixels);
}

IMG *make(int32_t width, int32_t height, bool zeroed)
{
    IMG *image = static_cast<IMG *>(std::calloc(1, sizeof(IMG)));
    if (!image) return nullptr;
    image->pixels = allocatePixels(width, height, zeroed);
    if (!image->pixels) {
        std::free(image);
        return nullptr;
    }
    image->width = width;
    image->height = height;
    return image;
}

void destroy(IMG *image)
{
    std::free(image->pixels);
    std::free(image);
}

// Reads the raster that follows a parsed header into a new image; null when it is short.
IMG *decodeRaster(pnm::Reader &in, const pnm::Header &header)
{
    IMG *image = make(header.width, header.height, false);
    if (image && !pnm::readRaster(in, header, image->pixels)) {
        destroy(image);
        return nullptr;
    }
    return image;
}

IMG *decodePNM(pnm::Reader &in)
{
    pnm::Header header;
    if (!in.ok() || !pnm::readHeader(in, header)) return nullptr;
    return decodeRaster(in, header);
}

}  // namespace

IMG *IMGNew()
{
    IMG *image = make(16, 16, true);
    return image ? image : report(IMGError, image);
}

void IMGFree(IMG **image)
{
    if (!image || !*image) return report(IMGError);
    destroy(*image);
    *image = nullptr;
}

void IMGResize(IMG *image, int32_t width, int32_t height)
{
    if (!image || width < 0 || height < 0) return report(IMGError);
    std::free(image->pixels);
    image->pixels = allocatePixels(width, height, true);
    if (!image->pixels) {  // no pixels: the image is empty, later users report
        image->width = image->height = 0;
        return report(IMGError);
    }
    image->width = width;
    image->height = height;
}

void IMGClear(IMG *image)
{
    if (!image || !image->pixels) return report(IMGError);
    std::memset(image->pixels, 0, pixelCount(image) * sizeof(uint32_t));
}

IMG *IMGCopy(const IMG *image)
{
    if (!image || !image->pixels) return report(IMGError, nullptr);
    IMG *copy = make(image->width < 0 ? 0 : image->width, image->height < 0 ? 0 : image->height,
                     false);
    if (!copy) return report(IMGError, nullptr);
    std::memcpy(copy->pixels, image->pixels, pixelCount(image) * sizeof(uint32_t));
    return copy;
}

void IMGCopyTo(const IMG *source, IMG *destination)
{
    if (!source || !source->pixels || !destination || !destination->pixels)
        return report(IMGError);
    if (source->width != destination->width || source->height != destination->height)
        return report(IMGError);
    if (source != destination)
        std::memcpy(destination->pixels, source->pixels, pixelCount(source) * sizeof(uint32_t));
}

int IMGEqual(const IMG *a, const IMG *b)
{
    if (!a || !a->pixels || !b || !b->pixels) return report(IMGError, 0);
    if (a->width != b->width || a->height != b->height) return 0;
    return std::memcmp(a->pixels, b->pixels, pixelCount(a) * sizeof(uint32_t)) == 0;
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
    const size_t n = pixelCount(image) * sizeof(uint32_t);
    size_t i = 0;
    for (; i + 16 <= n; i += 16)
        for (size_t j = 0; j < 16; ++j) bytes[i + j] = sub(bytes[i + j], k[j]);
    for (; i < n; ++i) bytes[i] = sub(bytes[i], k[i % 16]);
}

char *IMGToASCII(const IMG *image)
{
    if (!image || !image->pixels) return report(IMGError, nullptr);
    const int32_t width = image->width < 0 ? 0 : image->width;
    const int32_t height = image->height < 0 ? 0 : image->height;
    char *text = pnm::writeTextForm("IMG", width, height, image->pixels);
    return text ? text : report(IMGError, text);
}

IMG *IMGFromASCII(const char *text)
{
    if (!text) return report(IMGError, nullptr);
    const char *body = pnm::findTextForm(text, "IMG");
    if (!body) return report(IMGError, nullptr);
    pnm::Reader in(reinterpret_cast<const uint8_t *>(body), std::strlen(body));
    pnm::Header header;
    IMG *image = pnm::readTextHeader(in, header) ? decodeRaster(in, header) : nullptr;
    return image ? image : report(IMGError, image);
}

IMG *IMGFromPNM(const void *data, size_t size)
{
    if (!data) return report(IMGError, nullptr);
    pnm::Reader in(static_cast<const uint8_t *>(data), size);
    IMG *image = decodePNM(in);
    return image ? image : report(IMGError, image);
}

IMG *IMGLoadPNM(const char *path)
{
    if (!path) return report(IMGError, nullptr);
    FILE *file = std::fopen(path, "rb");
    if (!file) return report(IMGError, nullptr);
    IMG *image;
    {
        pnm::Reader in(file);
        image = decodePNM(in);
    }
    std::fclose(file);
    return image ? image : report(IMGError, image);
}

int IMGSavePPM(const IMG *image, const char *path)
{
    if (!image || !image->pixels || !path || image->width <= 0 || image->height <= 0)
        return report(IMGError, 0);
    return pnm::writePNM(path, image->width, image->height, image->pixels) ? 1
                                                                            : report(IMGError, 0);
}
