// INTERIM: do-nothing sound, overlay and soundtrack hooks, so that the frame loop runs before
// they exist. Replaced by the sound output, the overlays and the soundtrack; delete this file
// when they land.
#include "demo/demo.h"

void DemoSoundSetup() {}
void DemoTagSetup() {}
void DemoMusicSetup() {}
void DemoDrawTag() {}
void DemoDrawRate() {}
void DemoMusicStep() {}
void DemoSoundFree() {}
void DemoTagFree() {}
