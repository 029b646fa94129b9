// pnmconv: reads a PNM picture (P1 to P6), scales or rotates it, and writes it as binary PPM.
//   kova-pnmconv IN OUT.ppm                 same size
//   kova-pnmconv IN OUT.ppm scale W H       nearest neighbour to W x H
//   kova-pnmconv IN OUT.ppm rotate DEGREES  about the centre, onto a larger black image
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <kova/gfx/img.h>

static const char *USAGE =
    "usage: kova-pnmconv IN OUT.ppm [scale W H | rotate DEGREES] (W, H from 1 to 16384)";

static bool number(const char *text, long lo, long hi, long &value)
{
    char *end = nullptr;
    value = std::strtol(text, &end, 10);
    return *text && !*end && value >= lo && value <= hi;
}

int main(int argc, char **argv)
{
    long w = 0, h = 0, degrees = 0;
    bool scale = argc == 6 && !std::strcmp(argv[3], "scale") && number(argv[4], 1, 16384, w) &&
                 number(argv[5], 1, 16384, h);
    bool rotate = argc == 5 && !std::strcmp(argv[3], "rotate") &&
                  number(argv[4], -36000, 36000, degrees);
    if (argc != 3 && !scale && !rotate) {
        std::fprintf(stderr, "%s\n", USAGE);
        return 2;
    }
    IMG *image = IMGLoadPNM(argv[1]);
    if (!image) {
        std::fprintf(stderr, "kova-pnmconv: %s is not a PNM picture that can be read\n", argv[1]);
        return 1;
    }
    IMG *result = image;
    if (scale) {
        result = IMGNew();
        if (result) IMGResize(result, int32_t(w), int32_t(h));
        IMGScale(image, result);
    } else if (rotate) {
        // 1024 steps make a turn, and IMGRotate's turn starts half a turn round (its angle 0
        // gives the picture upside down): add 512 for a turn by the angle itself.
        result = IMGRotate(image, int32_t(degrees * 1024 / 360 + 512));
    }
    int written = result && result->pixels ? IMGSavePPM(result, argv[2]) : 0;
    if (result != image) IMGFree(&result);
    IMGFree(&image);
    if (!written) {
        std::fprintf(stderr, "kova-pnmconv: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
