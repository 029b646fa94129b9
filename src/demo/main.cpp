// KOVA1301: start-up, then the five scenes in order, for ever. The process ends only through
// DemoQuit (Escape). Arguments are ignored.
#include "demo/cycle.h"
#include "demo/demo.h"
#include "platform/sdlsys.h"  // SDL.h: on Windows the program starts in SDLmain's WinMain

int main(int, char **)
{
    DemoInit();
    DemoCycle();
}
