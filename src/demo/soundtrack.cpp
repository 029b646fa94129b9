// The soundtrack hook: opens the sound output, builds the music from the compiled-in patterns,
// and once per frame steps the music and keeps the sound queue fed with its loop buffer.
#include "demo/soundtrack.h"

#include "demo/data.h"

SDLSND *sound = nullptr;
MUSIC *music = nullptr;

namespace {

void (*closeHook)(SDLSND *) = nullptr;

}  // namespace

void DemoSoundSetup() { sound = SDLSNDNew(); }

void DemoMusicSetup()
{
    music = MUSICNew();
    if (!music) return;
    // The loop is rewritten in place while the audio thread plays it: its store takes the
    // lock that the callback runs under.
    MUSICSetLockHooks(SDLSNDLock, SDLSNDUnlock);
    // The compiled-in records are constant data: the music owns copies.
    for (const SAMPLE &pattern : PATTERNS.patterns) {
        SAMPLE *copy = SAMPLECopy(&pattern);
        if (copy && !MUSICAddPattern(music, copy)) SAMPLEFree(&copy);
    }
}

void DemoMusicStep()
{
    MUSICStep(music);
    if (sound && music && SDLSNDQueued(sound) <= DEMO_QUEUE_THRESHOLD) SDLSNDPlaySAMPLE(sound, music->loop);
}

void DemoSoundFree()
{
    if (sound && closeHook) closeHook(sound);
    SDLSNDFree(&sound);
}

void DemoSoundSetCloseHook(void (*hook)(SDLSND *)) { closeHook = hook; }
