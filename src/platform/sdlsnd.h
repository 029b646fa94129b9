// SDLSND: the sound output. Opens SDL's audio device once (44,100 Hz, signed 16-bit
// little-endian, mono, 4,096-frame buffer) and plays a first-in first-out queue of borrowed
// SAMPLE records back to back from SDL's audio thread, each entry once, without a gap.
//
// Threads: SDLSNDCallback runs on SDL's audio thread with SDL's audio lock held; everything
// else runs on the main thread. The main thread's queue operations below take that lock, and
// whoever rewrites a queued sample in place must hold it too (SDLSNDLock / SDLSNDUnlock).
#pragma once

#include <cstdint>

#include "audio/sample.h"
#include "core/list.h"
#include "core/report.h"

struct SDLSND {
    int32_t rate;      // sampling rate in Hz: 44100
    int32_t width;     // sample width in bits: 16
    uint8_t *buffer;   // auxiliary byte buffer, owned; stays null, freed by SDLSNDFree when set
    int32_t position;  // index of the next value to play in the sample at the head of the queue
    LIST *queue;       // SAMPLE pointers, owned list, borrowed items; position 0 plays first
    char sign;         // 's': signed samples
    char byteOrder;    // 'l': little-endian
    char mute;         // 1 silences the output without touching the queue; 0 plays it
};

extern ErrorReporter SDLSNDError;  // switch off at start; line "SDLSND error"
// Tracing, off at start: while on, every operation prints its name on entry ("SDLSNDNew_") and
// exit ("_SDLSNDNew"), and each failure prints its own line ("ERR underflow") in place of the
// error line.
extern uint8_t SDLSNDTrace;

constexpr int32_t SDLSND_RATE = 44100;
constexpr int32_t SDLSND_FRAMES = 4096;  // device buffer length in values (8,192 bytes)

// ---- Common operations ----
// SDL_Init(SDL_INIT_EVERYTHING), opens the device and starts playing an empty queue; null on
// failure. On Linux it first silences ALSA's error lines (no sound card is not worth a word).
SDLSND *SDLSNDNew();
void SDLSNDFree(SDLSND **sound);          // stops and closes the device, frees the queue (not its samples) and the record; stores null
const char *SDLSNDToASCII(const SDLSND *sound);  // constant "" (never free it); null for a null record
SDLSND *SDLSNDFromASCII(const char *text);        // there is one device: always null
int32_t SDLSNDEqual(const SDLSND *a, const SDLSND *b);  // 1 when both exist (one device), else 0
SDLSND *SDLSNDCopy(const SDLSND *sound);  // there is one device: always null

// ---- Playback ----
void SDLSNDPlay(SDLSND *sound);           // nothing to do: playback runs from SDLSNDNew
// Appends the sample at the tail of the queue, under the audio lock. Borrowed: it must outlive
// its entries (or the device). The same sample may stand in the queue any number of times.
void SDLSNDPlaySAMPLE(SDLSND *sound, SAMPLE *sample);
int32_t SDLSNDQueued(const SDLSND *sound);  // entries in the queue, read under the audio lock; 0 for a null record
// The device callback: fills length / 2 values of the stream from the queue, each value's low
// 16 bits little-endian (truncated, never clamped). Writes nothing on an empty queue and stops
// where the queue runs dry; writes zeros while muted. Allocates nothing and takes no lock.
void SDLSNDCallback(void *sound, uint8_t *stream, int length);
void SDLSNDLock();    // SDL's audio lock: no callback runs until SDLSNDUnlock; no-op without a device
void SDLSNDUnlock();
