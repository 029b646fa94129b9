// Display: the singleton, mode changes, and frames shown on whatever surface SDL hands back.
// Runs on SDL's dummy driver (an 8-bit surface); the end-to-end suite runs it again under Xvfb
// at depths 24 and 16 (32- and 16-bit surfaces).
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/sdldpy.h"
#include "report_capture.h"

namespace {

// A picture with every channel varying: red along x, green along y, blue mixed.
IMG *pattern(int32_t width, int32_t height, uint32_t seed = 0)
{
    IMG *image = IMGNew();
    IMGResize(image, width, height);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image->pixels[x + y * width] = ((static_cast<uint32_t>(x + seed) & 255) << 16) |
                                           ((static_cast<uint32_t>(y * 3 + seed) & 255) << 8) |
                                           (static_cast<uint32_t>(x ^ y) & 255);
    return image;
}

uint32_t pixelAt(SDL_Surface *surface, int32_t x, int32_t y)
{
    const auto *row = static_cast<const uint8_t *>(surface->pixels) + y * surface->pitch;
    const uint8_t *p = row + x * surface->format->BytesPerPixel;
    switch (surface->format->BytesPerPixel) {
    case 1: return p[0];
    case 2: return *reinterpret_cast<const uint16_t *>(p);
    case 3: return static_cast<uint32_t>(p[0]) | p[1] << 8 | p[2] << 16;
    default: return *reinterpret_cast<const uint32_t *>(p);
    }
}

// The colour a surface holds at (x, y) as 0x00RRGGBB.
uint32_t colourAt(SDL_Surface *surface, int32_t x, int32_t y)
{
    Uint8 r, g, b;
    SDL_GetRGB(pixelAt(surface, x, y), surface->format, &r, &g, &b);
    return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
}

// How far a channel may be off after SDL's conversion into this format: nothing at 8 bits a
// channel, one step of the channel's own precision below that.
uint32_t tolerance(const SDL_PixelFormat *f, int channel)
{
    const Uint8 loss = channel == 0 ? f->Rloss : channel == 1 ? f->Gloss : f->Bloss;
    return (1u << loss) - 1;
}

// Expects the surface's block of w x h at (x0, y0) to show the image's block there. On a
// palette the expected indices are SDL's own conversion of the image's top-left part: its
// 8-bit conversion is its own affair, where the picture lands and which pixels it takes is ours.
::testing::AssertionResult shows(SDL_Surface *surface, const IMG *image, int32_t w, int32_t h,
                                 int32_t x0 = 0, int32_t y0 = 0)
{
    SDL_Surface *reference = nullptr;
    if (surface->format->palette) {
        SDL_Surface *over = SDL_CreateRGBSurfaceFrom(image->pixels, x0 + w, y0 + h, 32, image->width * 4,
                                                     0xFF0000, 0xFF00, 0xFF, 0);
        reference = SDL_CreateRGBSurface(SDL_SWSURFACE, x0 + w, y0 + h, 8, 0, 0, 0, 0);
        SDL_SetColors(reference, surface->format->palette->colors, 0, surface->format->palette->ncolors);
        SDL_BlitSurface(over, nullptr, reference, nullptr);
        SDL_FreeSurface(over);
    }
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    int wrong = 0;
    for (int32_t y = y0; y < y0 + h && wrong < 5; ++y)
        for (int32_t x = x0; x < x0 + w && wrong < 5; ++x) {
            const uint32_t want = reference ? pixelAt(reference, x, y) : image->pixels[x + y * image->width];
            const uint32_t got = reference ? pixelAt(surface, x, y) : colourAt(surface, x, y);
            bool same = want == got;
            if (!reference) {
                same = true;
                for (int c = 0; c < 3; ++c) {
                    const int shift = 16 - 8 * c;
                    const int a = (want >> shift) & 255, b = (got >> shift) & 255;
                    if (static_cast<uint32_t>(std::abs(a - b)) > tolerance(surface->format, c)) same = false;
                }
            }
            if (!same) {
                if (wrong++ == 0) result = ::testing::AssertionFailure();
                char line[96];
                std::snprintf(line, sizeof line, "(%d,%d) want %06X got %06X; ", x, y, want, got);
                result << line;
            }
        }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (reference) SDL_FreeSurface(reference);
    return result;
}

class SDLDPYTest : public testing::Test {
protected:
    void SetUp() override
    {
        display = SDLDPYNew();
        ASSERT_NE(display, nullptr);
        surface = SDLDPYSurface(display);
        ASSERT_NE(surface, nullptr) << SDL_GetError();
    }
    void TearDown() override
    {
        if (display) SDLDPYFree(&display);
        SDL_Quit();
    }
    SDLDPY *display = nullptr;
    SDL_Surface *surface = nullptr;
};

}  // namespace

TEST_F(SDLDPYTest, OneDisplayOpenedAt256WithTheBuildsFlags)
{
    EXPECT_EQ(display->width, 256);
    EXPECT_EQ(display->height, 256);
    EXPECT_EQ(display->depth, surface->format->BitsPerPixel);
    EXPECT_EQ(SDLDPYModeFlags(), 0x10000005u) << "the tests link the windowed Linux display";
    char *title = nullptr, *icon = nullptr;
    SDL_WM_GetCaption(&title, &icon);
    EXPECT_STREQ(title, "KOVA1301");
    EXPECT_STREQ(icon, "KOVA1301");

    SDLDPY *second = nullptr;
    EXPECT_EQ(reported(SDLDPYError, [&] { second = SDLDPYNew(); }), "SDLDPY error\n");
    EXPECT_EQ(second, display);
    EXPECT_EQ(SDLDPYInstance(), display);
}

TEST_F(SDLDPYTest, CommonVerbsAcceptOnlyTheInstance)
{
    SDLDPY other{};
    const char *text = SDLDPYToASCII(display);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYToASCII(&other), nullptr); }), "SDLDPY error\n");
    EXPECT_EQ(SDLDPYEqual(display, display), 1);
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYEqual(display, &other), 0); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYEqual(&other, &other), 0); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYEqual(nullptr, display), 0); }), "SDLDPY error\n");
    EXPECT_EQ(SDLDPYCopy(display), display) << "there is only one display";
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYCopy(&other), nullptr); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYFromASCII(""), nullptr); }), "SDLDPY error\n")
        << "a display exists";
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYFromASCII(nullptr), nullptr); }), "SDLDPY error\n");

    SDLDPY *stranger = &other;
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYFree(&stranger); }), "SDLDPY error\n");
    EXPECT_EQ(stranger, &other);
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYFree(nullptr); }), "SDLDPY error\n");

    SDLDPYFree(&display);
    EXPECT_EQ(display, nullptr);
    EXPECT_EQ(SDLDPYInstance(), nullptr);
    EXPECT_EQ(reported(SDLDPYError, [&] { EXPECT_EQ(SDLDPYFromASCII(""), nullptr); }), "")
        << "no display, a text: still no display, no report";
    display = SDLDPYNew();
    ASSERT_NE(display, nullptr) << "a later New opens a new display";
    EXPECT_NE(SDLDPYSurface(display), nullptr);
}

TEST_F(SDLDPYTest, ModeChanges)
{
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYSetMode(display, -1, 256); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYSetMode(display, 256, -5); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYSetMode(nullptr, 256, 256); }), "SDLDPY error\n");
    EXPECT_EQ(display->width, 256);
    EXPECT_EQ(display->height, 256);
    EXPECT_NE(SDLDPYSurface(display), nullptr) << "a refused size leaves the mode alone";

    SDLDPYSetMode(display, 128, 64);
    ASSERT_NE(SDLDPYSurface(display), nullptr);
    EXPECT_EQ(display->width, 128);
    EXPECT_EQ(display->height, 64);
    IMG *small = pattern(128, 64);
    SDLDPYShowIMG(display, small);
    EXPECT_TRUE(shows(SDLDPYSurface(display), small, 128, 64));
    IMG *big = pattern(256, 256);
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, big); }), "SDLDPY error\n")
        << "frames of the old size are refused";
    SDLDPYSetMode(display, 256, 256);
    SDLDPYShowIMG(display, big);
    EXPECT_TRUE(shows(SDLDPYSurface(display), big, 256, 256));
    IMGFree(&small);
    IMGFree(&big);
}

TEST_F(SDLDPYTest, ShowIMGPresentsTheFrameOnThisSurfaceFormat)
{
    IMG *first = pattern(256, 256);
    SDLDPYShowIMG(display, first);
    EXPECT_TRUE(shows(surface, first, 256, 256)) << "depth " << display->depth;

    // Another image, then the first again with changed pixels: nothing stale is shown.
    IMG *second = pattern(256, 256, 77);
    SDLDPYShowIMG(display, second);
    EXPECT_TRUE(shows(surface, second, 256, 256));
    for (int32_t i = 0; i < 256 * 256; ++i) first->pixels[i] ^= 0x00FFFFFF;
    SDLDPYShowIMG(display, first);
    EXPECT_TRUE(shows(surface, first, 256, 256));

    // Primary colours survive any format.
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (uint32_t colour : colours) {
        for (int32_t i = 0; i < 256 * 256; ++i) second->pixels[i] = colour;
        SDLDPYShowIMG(display, second);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        EXPECT_EQ(colourAt(surface, 17, 200), colour);
        EXPECT_EQ(colourAt(surface, 255, 255), colour);
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    }
    IMGFree(&first);
    IMGFree(&second);
}

TEST_F(SDLDPYTest, AFrameOfTheWrongSizeShowsNothing)
{
    IMG *frame = pattern(256, 256);
    SDLDPYShowIMG(display, frame);
    IMG *narrow = pattern(255, 256, 9);
    IMG *tall = pattern(256, 257, 9);
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, narrow); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, tall); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, nullptr); }), "SDLDPY error\n");
    IMG empty{};
    empty.width = 256;
    empty.height = 256;
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, &empty); }), "SDLDPY error\n");
    SDLDPY other = *display;
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(&other, frame); }), "SDLDPY error\n");
    EXPECT_TRUE(shows(surface, frame, 256, 256)) << "the previous picture stays";
    IMGFree(&frame);
    IMGFree(&narrow);
    IMGFree(&tall);
}

// The three copy paths, on surfaces made for the purpose: straight, row by row into padded
// rows (the gaps untouched), and converted into other formats.
TEST(SDLDPYPutIMG, StraightPaddedAndConvertedSurfaces)
{
    IMG *image = pattern(200, 30);
    std::vector<uint32_t> buffer(1100 / 4 * 30, 0xABABABABu);
    SDL_Surface *padded = SDL_CreateRGBSurfaceFrom(buffer.data(), 200, 30, 32, 1100, 0xFF0000, 0xFF00, 0xFF, 0);
    ASSERT_NE(padded, nullptr);
    SDLDPYPutIMG(padded, image);
    EXPECT_TRUE(shows(padded, image, 200, 30));
    for (int32_t row = 0; row < 30; ++row)
        for (int32_t word = 200; word < 275; ++word)
            ASSERT_EQ(buffer[row * 275 + word], 0xABABABABu) << "row " << row << " gap word " << word;
    SDL_FreeSurface(padded);

    struct Format { int bits; Uint32 r, g, b; } formats[] = {
        {32, 0xFF0000, 0xFF00, 0xFF},  // straight
        {32, 0xFF, 0xFF00, 0xFF0000},  // channels the other way round
        {24, 0xFF0000, 0xFF00, 0xFF},
        {16, 0xF800, 0x07E0, 0x001F},
        {15, 0x7C00, 0x03E0, 0x001F},
    };
    for (const Format &f : formats) {
        SDL_Surface *target = SDL_CreateRGBSurface(SDL_SWSURFACE, 210, 40, f.bits, f.r, f.g, f.b, 0);
        ASSERT_NE(target, nullptr);
        SDLDPYPutIMG(target, image);
        EXPECT_TRUE(shows(target, image, 200, 30)) << f.bits << " bits, red mask " << std::hex << f.r;
        SDL_FreeSurface(target);
    }
    // The browser's canvas: red in the low byte and an alpha byte, which must come out opaque.
    SDL_Surface *canvas = SDL_CreateRGBSurface(SDL_SWSURFACE, 200, 30, 32, 0xFF, 0xFF00, 0xFF0000, 0xFF000000);
    SDLDPYPutIMG(canvas, image);
    EXPECT_TRUE(shows(canvas, image, 200, 30));
    EXPECT_EQ(pixelAt(canvas, 0, 0) >> 24 & pixelAt(canvas, 199, 29) >> 24, 0xFFu);
    SDL_FreeSurface(canvas);
    SDL_Surface *palette = SDL_CreateRGBSurface(SDL_SWSURFACE, 200, 30, 8, 0, 0, 0, 0);
    ASSERT_NE(palette, nullptr);
    SDL_Color grey[256];
    for (int i = 0; i < 256; ++i) grey[i] = {static_cast<Uint8>(i), static_cast<Uint8>(i), static_cast<Uint8>(i), 0};
    SDL_SetColors(palette, grey, 0, 256);
    IMG *white = IMGNew();
    IMGResize(white, 200, 30);
    for (int32_t i = 0; i < 200 * 30; ++i) white->pixels[i] = 0xFFFFFF;
    SDLDPYPutIMG(palette, white);
    EXPECT_EQ(colourAt(palette, 199, 29), 0xFFFFFFu);
    SDL_FreeSurface(palette);

    SDL_Surface *small = SDL_CreateRGBSurface(SDL_SWSURFACE, 199, 30, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYPutIMG(small, image); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYPutIMG(nullptr, image); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYPutIMG(small, nullptr); }), "SDLDPY error\n");
    SDL_FreeSurface(small);
    IMGFree(&image);
    IMGFree(&white);
}

TEST_F(SDLDPYTest, BlitIMGShowsTheTopLeftOfAnImageOfAnySize)
{
    IMG *background = pattern(256, 256, 5);
    SDLDPYShowIMG(display, background);
    IMG *small = pattern(40, 20, 100);
    SDLDPYBlitIMG(display, small);
    EXPECT_TRUE(shows(surface, small, 40, 20));
    EXPECT_TRUE(shows(surface, background, 216, 236, 40, 20)) << "the rest is left alone";

    // Wider and taller than the display: cut, not sheared (rows keep the image's length).
    IMG *wide = pattern(300, 270, 3);
    SDLDPYBlitIMG(display, wide);
    EXPECT_TRUE(shows(surface, wide, 256, 256));
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYBlitIMG(display, nullptr); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYBlitIMG(nullptr, wide); }), "SDLDPY error\n");
    IMGFree(&background);
    IMGFree(&small);
    IMGFree(&wide);
}

TEST_F(SDLDPYTest, ShowBYTEMAPNeedsOneBytePerPixel)
{
    BYTEMAP *map = BYTEMAPNew();
    BYTEMAPResize(map, 256, 256);
    for (int32_t i = 0; i < 256 * 256; ++i) map->data[i] = static_cast<uint8_t>(i * 7 + i / 256);
    BYTEMAP *wrong = BYTEMAPNew();
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowBYTEMAP(display, wrong); }), "SDLDPY error\n");
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowBYTEMAP(display, nullptr); }), "SDLDPY error\n");
    if (surface->format->BytesPerPixel == 1) {
        SDLDPYShowBYTEMAP(display, map);
        if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
        for (int32_t y = 0; y < 256; ++y)
            for (int32_t x = 0; x < 256; ++x)
                ASSERT_EQ(pixelAt(surface, x, y), map->data[y * 256 + x]) << x << "," << y;
        if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    } else {
        IMG *frame = pattern(256, 256);
        SDLDPYShowIMG(display, frame);
        EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowBYTEMAP(display, map); }), "SDLDPY error\n")
            << "bytes cannot fill " << display->depth << "-bit pixels";
        EXPECT_TRUE(shows(surface, frame, 256, 256));
        IMGFree(&frame);
    }
    BYTEMAPFree(&map);
    BYTEMAPFree(&wrong);
}

TEST_F(SDLDPYTest, TheFrameDumpWritesNumberedPictures)
{
    const auto saved = std::filesystem::current_path();
    const auto dir = std::filesystem::temp_directory_path() / ("kova-dump-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);

    IMG *frames[3] = {pattern(256, 256, 1), pattern(256, 256, 2), pattern(256, 256, 3)};
    SDLDPYShowIMG(display, frames[0]);
    EXPECT_FALSE(std::filesystem::exists("frame-00001.ppm")) << "off after New";
    const int32_t before = SDLDPYDumpCount(display);
    SDLDPYSetDump(display, 1);
    for (IMG *frame : frames) SDLDPYShowIMG(display, frame);
    SDLDPYSetDump(display, 0);
    SDLDPYShowIMG(display, frames[0]);
    EXPECT_EQ(SDLDPYDumpCount(display), before + 3);
    for (int i = 0; i < 3; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.ppm", before + i + 1);
        IMG *back = IMGLoadPNM(name);
        ASSERT_NE(back, nullptr) << name;
        EXPECT_EQ(IMGEqual(back, frames[i]), 1) << name;
        IMGFree(&back);
    }
    char fourth[32];
    std::snprintf(fourth, sizeof fourth, "frame-%05d.ppm", before + 4);
    EXPECT_FALSE(std::filesystem::exists(fourth)) << "off again";
    SDLDPY other{};
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYSetDump(&other, 1); }), "SDLDPY error\n");

    // A file that cannot be written is reported and remembered, and the dump goes on.
    EXPECT_EQ(SDLDPYDumpFailed(), 0);
    char blocked[32], after[32];
    std::snprintf(blocked, sizeof blocked, "frame-%05d.ppm", before + 5);
    std::snprintf(after, sizeof after, "frame-%05d.ppm", before + 6);
    std::filesystem::create_directory(blocked);
    SDLDPYSetDump(display, 1);
    EXPECT_EQ(reported(SDLDPYError, [&] { for (IMG *frame : frames) SDLDPYShowIMG(display, frame); }),
              "SDLDPY error\n");
    SDLDPYSetDump(display, 0);
    EXPECT_EQ(SDLDPYDumpFailed(), before + 5);
    EXPECT_TRUE(std::filesystem::exists(after));

    for (IMG *&frame : frames) IMGFree(&frame);
    std::filesystem::current_path(saved);
    std::filesystem::remove_all(dir);
}

// A display that cannot open (no such video driver): the record exists without a surface,
// and nothing is shown until a mode change succeeds.
TEST(SDLDPYNoVideo, TheRecordHasNoSurfaceAndShowsNothing)
{
    const char *was = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = was ? was : "";
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    SDLDPY *display = nullptr;
    EXPECT_EQ(reported(SDLDPYError, [&] { display = SDLDPYNew(); }), "SDLDPY error\n");
    if (was) setenv("SDL_VIDEODRIVER", saved.c_str(), 1); else unsetenv("SDL_VIDEODRIVER");
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(SDLDPYSurface(display), nullptr);
    EXPECT_EQ(display->width, 0);
    EXPECT_EQ(display->height, 0);
    IMG *frame = pattern(256, 256);
    EXPECT_EQ(reported(SDLDPYError, [&] { SDLDPYShowIMG(display, frame); }), "SDLDPY error\n");
    // With a working driver again the next mode change opens the display.
    SDLDPYSetMode(display, 256, 256);
    SDL_Surface *surface = SDLDPYSurface(display);
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    SDLDPYShowIMG(display, frame);
    EXPECT_TRUE(shows(surface, frame, 256, 256));
    IMGFree(&frame);
    SDLDPYFree(&display);
    SDL_Quit();
}
