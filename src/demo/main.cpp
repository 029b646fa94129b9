// KOVA1301: start-up, then the five scenes in order, for ever. The process ends only through
// DemoQuit (Escape). Arguments are ignored.
#include "demo/demo.h"

int main(int, char **)
{
    DemoInit();
    DemoCycle();
}
