// KOVA1301: start-up, then the five scenes in order, for ever. The process ends only through
// DemoQuit (Escape). Arguments are ignored.
#include "demo/demo.h"

// On Windows SDL.h renames main to SDL_main: the program starts in SDLmain's WinMain, which
// splits the command line and calls it.
#include <SDL.h>

int main(int, char **)
{
    DemoInit();
    DemoCycle();
}
