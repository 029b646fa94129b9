// MUSIC: the soundtrack. One loop buffer of 40,000 values that the frame loop queues for
// playback over and over; every `period` steps one randomly chosen pattern is blended into it
// at one of 16 grid positions while the old content fades by a quarter.
#pragma once

#include <cstdint>

#include "audio/sample.h"
#include "core/list.h"
#include "core/report.h"

struct MUSIC {
    int32_t countdown;  // steps left until the next change; 0 at creation, so the first step changes
    int32_t period;     // steps between two changes: 300
    SAMPLE *loop;       // the loop buffer, owned; 40,000 values, silent at creation
    LIST *patterns;     // SAMPLE pointers to choose from; the list and the samples are owned
};

extern ErrorReporter MUSICError;  // switch off at start; line "MUSIC ERROR"

constexpr int32_t MUSIC_LOOP_LENGTH = 40000;
constexpr int32_t MUSIC_PERIOD = 300;

// ---- Common operations ----
MUSIC *MUSICNew();                         // silent loop of 40,000 values, period 300, no patterns; null on failure
void MUSICFree(MUSIC **music);             // frees the loop, every pattern, the list and the record; stores null
char *MUSICToASCII(const MUSIC *music);    // no text form: null
MUSIC *MUSICFromASCII(const char *text);   // no text form: null
int32_t MUSICEqual(const MUSIC *a, const MUSIC *b);  // no comparison: 0
MUSIC *MUSICCopy(const MUSIC *music);      // no copy: null

// ---- Soundtrack ----
// Appends a pattern and takes ownership of it; 1 when added, 0 (the caller keeps the sample)
// when an argument is null or the list cannot grow.
int32_t MUSICAddPattern(MUSIC *music, SAMPLE *pattern);
// One frame's step. Every period-th call draws five numbers from rand() (pattern index, then
// four halves that place it on a 16-step grid) and sets each loop value v to
// (3v + placed pattern) >> 2, in wrapping 32-bit arithmetic with an arithmetic shift. A change
// that cannot be made (no memory for its scratch, a loop or pattern without values) is reported
// and leaves the record as it was, countdown included, so the next step tries again.
void MUSICStep(MUSIC *music);
// The loop buffer is read by the sound output on its own thread. A change is computed aside
// and stored into the loop with one copy between lock() and unlock(), so a reader that takes
// the same lock never sees a half-written loop. Null hooks (the default) lock nothing.
void MUSICSetLockHooks(void (*lock)(), void (*unlock)());
