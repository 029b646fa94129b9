// SDLSYS: the program's dealings with SDL beyond its display, keyboard and sound objects: the
// video driver it asks for, SDL's reason when the display cannot be opened, and the end of the
// session. The platforms differ here, and nowhere else in the program.
//
// Including it also brings in SDL.h, which on Windows renames main to SDL_main: the program
// then starts in SDLmain's WinMain, which splits the command line and calls it.
#pragma once

#include <cstddef>

#include <SDL.h>

// Whether the program frees its objects and closes SDL before it exits. Not on Windows, where
// the process's end frees the memory and SDLmain's exit handler closes SDL.
#ifdef _WIN32
constexpr bool SDLSYS_FREE_AT_EXIT = false;
#else
constexpr bool SDLSYS_FREE_AT_EXIT = true;
#endif

// Before the display is opened. The Linux programs open a window or the full screen on X11, or
// fail: left to itself, SDL falls back to drivers that draw into the text terminal (where
// Escape never arrives) or onto the console's frame buffer. A driver the user names in
// SDL_VIDEODRIVER is respected. Windows keeps SDL's own choice.
void SDLSYSChooseVideoDriver();

// Why the display could not be opened, into `text` (at most `size` bytes with the NUL): SDL's
// error text, and with the X11 driver which X display was tried, or that DISPLAY is not set.
void SDLSYSDisplayFailure(char *text, size_t size);

// Closes SDL after the program has freed its objects, which gives the desktop its video mode
// back after the full-screen program. The browser's SDL has nothing to give back (and says so
// on the console): there it does nothing.
void SDLSYSQuit();
