// Linked into every unit-test program: unless the caller says otherwise, SDL runs on its dummy
// video and audio drivers (no display, no sound card needed), and KOVA_SOURCE_DIR names the
// source tree so tests can find the asset files.
#include <cstdlib>

namespace {

const bool ENVIRONMENT_SET = [] {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("KOVA_SOURCE_DIR", KOVA_SOURCE_DIR, 0);
    return true;
}();

}  // namespace
