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

// A pixel array of n pixels (at least one, so that an empty image still has one); zeroed
// when asked, else left for a decoder that writes every pixel.
uint32_t *allocatePixels(size_t n, bool zeroed)
{
    if (n == 0) n = 1;
    void *pixels = zeroed ? std::calloc(n, sizeof(uint32_t)) : std::malloc(n * sizeof(uint32_t));
    return static_cast<uint32_t *>(pixels);
}

IMG *make(int32_t width, int32_t height, bool zeroed)
{
    IMG *image = static_cast<IMG *>(std::calloc(1, sizeof(IMG)));
    if (!image) return nullptr;
    image->pixels = allocatePixels(size_t(width) * size_t(height), zeroed);
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
    image->pixels = allocatePixels(size_t(width) * size_t(height), true);
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
    // Each channel is lowered in place and clamped at 0; positions 24-31 end up clear.
    const int32_t kr = int32_t(colour & 0xFF0000), kg = int32_t(colour & 0xFF00),
                  kb = int32_t(colour & 0xFF);
    uint32_t *__restrict p = image->pixels;
    for (size_t i = 0, n = pixelCount(image); i < n; ++i) {
        int32_t r = int32_t(p[i] & 0xFF0000) - kr;
        int32_t g = int32_t(p[i] & 0xFF00) - kg;
        int32_t b = int32_t(p[i] & 0xFF) - kb;
        r = r < 0 ? 0 : r;
        g = g < 0 ? 0 : g;
        b = b < 0 ? 0 : b;
        p[i] = uint32_t(r | g | b);
    }
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
