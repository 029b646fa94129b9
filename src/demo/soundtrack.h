// The program's side of the music: the sound output opened at start-up, the tune built from the
// compiled-in patterns, and once per frame the music's step and the feeding of the sound queue.
#pragma once

#include <cstdint>

#include "audio/music.h"
#include "platform/sdlsnd.h"

extern SDLSND *sound;  // null when no audio device could be opened: the demo then runs silently
extern MUSIC *music;   // the tune; never freed

// The frame hook queues the loop buffer again whenever the queue holds this many entries or
// fewer, so at most 4 references to the loop (about 3.6 s of sound) stand queued.
constexpr int32_t DEMO_QUEUE_THRESHOLD = 3;

void DemoSoundSetup();  // the sound output (all of SDL, the audio device, playback of an empty queue)
void DemoMusicSetup();  // the music from the compiled-in patterns
void DemoMusicStep();   // one step of the music and the feeding of the sound queue
void DemoSoundFree();   // pauses and closes the audio device, frees the sound output

// Called by DemoSoundFree with the sound output just before the device closes (after the quit's
// fade), so that a recorder can take the sound still queued. Null (the default) does nothing.
void DemoSoundSetCloseHook(void (*hook)(SDLSND *sound));
