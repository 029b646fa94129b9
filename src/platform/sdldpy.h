// SDLDPY: the program's one SDL video surface. Opens the window (or the full screen) in the
// build's video mode with the caption "KOVA1301" and shows finished frames.
#pragma once

#include <cstdint>

#include <SDL.h>

#include "core/report.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"

// Zeroed at creation; the size and depth of the current video mode.
struct SDLDPY {
    int32_t width;   // width of the current mode in pixels
    int32_t height;  // height of the current mode in pixels
    int32_t depth;   // bits per pixel of the screen surface (0 to 255)
};

extern ErrorReporter SDLDPYError;  // switch off at start; line "SDLDPY error"

// Video-mode flags of this build (see sdldpy.cpp): fullscreen or windowed, Linux or Windows.
uint32_t SDLDPYModeFlags();

// ---- Common operations ----
SDLDPY *SDLDPYNew();                       // the one display, mode 256 x 256; a second call reports and returns the first; null on failure
void SDLDPYFree(SDLDPY **display);         // frees the instance and stores null; reports anything else
const char *SDLDPYToASCII(const SDLDPY *display);  // constant "" for the instance (do not free), else reports and null
SDLDPY *SDLDPYFromASCII(const char *text);          // never builds a display: null (reports a null text or an existing display)
int SDLDPYEqual(const SDLDPY *a, const SDLDPY *b);  // 1 when both are the instance, else reports and 0
SDLDPY *SDLDPYCopy(const SDLDPY *display);          // the instance itself (there is one display), else reports and null

// ---- Display ----
// New video mode at the build's flags and the current depth; the caption is set again. A null
// display or a negative size reports and changes nothing; a size SDL refuses reports, keeps the
// record's values and leaves no surface (nothing is shown until a later mode change succeeds).
void SDLDPYSetMode(SDLDPY *display, int32_t width, int32_t height);
// Shows a frame of exactly the display's size (anything else reports and shows nothing). On a
// 32-bit 0xFF0000/0xFF00/0xFF surface the frame is copied straight (row by row when the rows
// are padded), on another 32-bit surface of whole-byte channels (the browser's canvas) byte by
// byte into place; any other surface format is converted by SDL's blitter. In the web build
// the page then yields to the browser, which shows the canvas.
void SDLDPYShowIMG(SDLDPY *display, const IMG *image);
// Shows the top-left min(image, display) part of an image of any size through SDL_DisplayFormat
// and SDL_UpperBlit. Allocates two surfaces per call: not for the frame loop.
void SDLDPYBlitIMG(SDLDPY *display, const IMG *image);
// Shows an 8-bit map of exactly the display's size on a surface of one byte per pixel (the
// bytes are palette indices); on any other surface it reports and shows nothing.
void SDLDPYShowBYTEMAP(SDLDPY *display, const BYTEMAP *map);

// ---- Frame dump ----
// While on, SDLDPYShowIMG first writes each frame as binary PPM "frame-%05d.ppm" (counting from
// frame-00001.ppm) in the current directory. Off after SDLDPYNew; nothing in the program sets it.
// The Windows build has no dump: the switch is kept but no file is written.
void SDLDPYSetDump(SDLDPY *display, int on);
int32_t SDLDPYDumpCount(const SDLDPY *display);  // frames dumped so far; 0 for anything but the instance
// Number of the first dumped frame whose file could not be written (it may be missing or cut
// short; the failure was reported); 0 while every file has been written. It outlives the
// display, so the last frames can be checked after SDLDPYFree.
int32_t SDLDPYDumpFailed();
// Why that file could not be written: the errno of the failure (ENOSPC for a full disk, ENOMEM
// when the row buffer could not be allocated, ...), or 0 when no reason is known.
int SDLDPYDumpError();

// ---- Access ----
SDLDPY *SDLDPYInstance();                          // the one display, or null when none exists
SDL_Surface *SDLDPYSurface(const SDLDPY *display); // the screen surface; null when the mode failed or for anything but the instance
// Copies a frame into any surface of at least the image's size: straight when the surface is
// 32-bit 0xFF0000/0xFF00/0xFF with rows of exactly width x 4 bytes, row by row when only the
// row length differs, each pixel's bytes reordered when its channels are whole bytes in
// another order (any alpha byte set to 0xFF), through SDL's blitter otherwise (locking when
// SDL_MUSTLOCK says so).
// Does not present. Reports a null argument or a surface smaller than the image.
void SDLDPYPutIMG(SDL_Surface *target, const IMG *image);
