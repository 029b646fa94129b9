// Picture decoding at start-up: the PNM readers of the image and the bytemap on the compiled-in
// pictures and on rasters of their shapes, beside the memcpy floor, SDL's own 24- to 32-bit
// conversion (the last step of loading such a picture through SDL), and the whole route a user
// of SDL would take: SDL_image's IMG_Load_RW on the same four pictures, then the conversion of
// the three true-colour ones to the frame's 0x00RRGGBB layout.
// Prints the ratios of the median CPU times measured in this run.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "demo/data.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "pictures.h"
#include "ratio.h"

namespace {

std::string picture(const char *magic, int w, int h, size_t rasterBytes, uint32_t seed)
{
    std::string data = std::string(magic) + "\n# benchmark picture\n" + std::to_string(w) + " " +
                       std::to_string(h) + "\n";
    if (std::strcmp(magic, "P4") != 0) data += "255\n";
    std::mt19937 rng(seed);
    for (size_t i = 0; i < rasterBytes; ++i) data += char(rng());
    return data;
}

const std::string &pageSheet()  // 1024 x 128 P6
{
    static const std::string data = picture("P6", 1024, 128, 1024 * 128 * 3, 1);
    return data;
}
const std::string &bigSheet()  // 1024 x 128 P4 into a bytemap
{
    static const std::string data = picture("P4", 1024, 128, 1024 / 8 * 128, 3);
    return data;
}

constexpr size_t Shift = 1024 + 64;

void BM_Floor_Memcpy384K(benchmark::State &state)
{
    // Both blocks are page-aligned mappings; shifting the destination keeps loads and stores
    // from contending for the same cache sets, which would slow the copy several times.
    const size_t bytes = 1024 * 128 * 3;
    std::vector<uint8_t> from(bytes, 1), to(bytes + Shift);
    for (auto _ : state) {
        std::memcpy(to.data() + Shift, from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Floor_Memcpy384K);

// The same bytes through a plain word loop, as a check on the library's copy.
void BM_Floor_WordLoop384K(benchmark::State &state)
{
    std::vector<uint64_t> from(1024 * 128 * 3 / 8, 1), to(from.size() + Shift / 8);
    for (auto _ : state) {
        const uint64_t *__restrict s = from.data();
        uint64_t *__restrict d = to.data() + Shift / 8;
        for (size_t i = 0; i < from.size(); i += 8)
            for (size_t k = 0; k < 8; ++k) d[i + k] = s[i + k];
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Floor_WordLoop384K);

void BM_IMGFromPNM_P6_1024x128(benchmark::State &state)
{
    const std::string &data = pageSheet();
    for (auto _ : state) {
        IMG *image = IMGFromPNM(data.data(), data.size());
        benchmark::DoNotOptimize(image->pixels);
        IMGFree(&image);
    }
}
BENCHMARK(BM_IMGFromPNM_P6_1024x128);

void BM_BYTEMAPFromPNM_P4_1024x128(benchmark::State &state)
{
    const std::string &data = bigSheet();
    for (auto _ : state) {
        BYTEMAP *map = BYTEMAPFromPNM(data.data(), data.size());
        benchmark::DoNotOptimize(map->data);
        BYTEMAPFree(&map);
    }
}
BENCHMARK(BM_BYTEMAPFromPNM_P4_1024x128);

// The four compiled-in pictures, decoded as start-up and scene 5 do.
void BM_StartupPictures(benchmark::State &state)
{
    for (auto _ : state) kovabench::decodePictures();
}
BENCHMARK(BM_StartupPictures);

// The same four through SDL_image, the true-colour ones converted to the frame's layout.
void BM_StartupPicturesSDLImage(benchmark::State &state)
{
    SDL_PixelFormat format = kovabench::frameFormat();
    for (auto _ : state) {
        if (!kovabench::loadPicturesWithSDL(format)) {
            state.SkipWithError(IMG_GetError());
            break;
        }
    }
}
BENCHMARK(BM_StartupPicturesSDLImage);

// What SDL does after reading such a raster: convert a 24-bit surface to the 32-bit layout.
void BM_SDLConvert_P6_1024x128(benchmark::State &state)
{
    std::vector<uint8_t> rgb(pageSheet().end() - 1024 * 128 * 3, pageSheet().end());
    SDL_Surface *source = SDL_CreateRGBSurfaceFrom(rgb.data(), 1024, 128, 24, 1024 * 3, 0xFF,
                                                   0xFF00, 0xFF0000, 0);
    SDL_PixelFormat format = kovabench::frameFormat();
    for (auto _ : state) {
        SDL_Surface *converted = SDL_ConvertSurface(source, &format, SDL_SWSURFACE);
        benchmark::DoNotOptimize(converted->pixels);
        SDL_FreeSurface(converted);
    }
    SDL_FreeSurface(source);
}
BENCHMARK(BM_SDLConvert_P6_1024x128);

}  // namespace

int main(int argc, char **argv)
{
    return kovabench::runWithRatios(argc, argv, [](const kovabench::RatioReporter &r) {
        using kovabench::absolute;
        using kovabench::ratio;
        ratio(r, "IMGFromPNM P6 1024 x 128 / memcpy 384 KiB", "BM_IMGFromPNM_P6_1024x128",
              "BM_Floor_Memcpy384K", "floor 1");
        ratio(r, "SDL 24- to 32-bit conversion / IMGFromPNM P6", "BM_SDLConvert_P6_1024x128",
              "BM_IMGFromPNM_P6_1024x128", "SDL's last step alone against our whole decode");
        ratio(r, "word loop / memcpy 384 KiB", "BM_Floor_WordLoop384K", "BM_Floor_Memcpy384K",
              "check on the floor: about 1");
        absolute(r, "IMGFromPNM P6 1024 x 128", "BM_IMGFromPNM_P6_1024x128", "");
        absolute(r, "BYTEMAPFromPNM P4 1024 x 128", "BM_BYTEMAPFromPNM_P4_1024x128", "");
        ratio(r, "SDL_image + conversion / ours, the four pictures", "BM_StartupPicturesSDLImage",
              "BM_StartupPictures", "at least 4");
        absolute(r, "all four start-up pictures", "BM_StartupPictures", "once, at start-up");
        absolute(r, "the same through SDL_image", "BM_StartupPicturesSDLImage", "");
    });
}
