// MUSIC: an endless, slowly changing percussion loop. Every period steps one pattern, placed
// at a random multiple of a sixteenth of the loop, is blended in at a quarter while the loop
// keeps three quarters of itself.
#include "audio/music.h"

#include <cstdlib>
#include <cstring>

#include "core/blocks.h"
#include "core/ident.h"

ErrorReporter MUSICError = {0, "MUSIC ERROR"};
KOVA_IDENT(MUSICIdent, "MUSIC   ", "20110420", "ValenTRQ", "C       ", "CODE    ");

namespace {

// Shared by every MUSIC record and kept until the program ends: the change is built here, so
// the loop itself is written only by the final copy.
SAMPLE *scratch = nullptr;

void (*lockHook)() = nullptr;
void (*unlockHook)() = nullptr;

bool valid(const SAMPLE *s) { return s && s->values; }

// A scratch of exactly `length` zeros, re-created when the loop's length has changed.
SAMPLE *scratchFor(int32_t length)
{
    if (scratch && (!scratch->values || scratch->length != length)) SAMPLEFree(&scratch);
    if (!scratch) {
        scratch = SAMPLENew();
        if (!scratch) return nullptr;
        if (!SAMPLESetLength(scratch, length)) {
            SAMPLEFree(&scratch);
            return nullptr;
        }
    }
    SAMPLEZero(scratch);
    return scratch;
}

// The offset drawn from four coin tosses: one of the 16 multiples of length / 16 (2,500 for
// the 40,000-value loop). The Windows build weights the last two tosses the other way round;
// the set of offsets is the same.
int32_t drawOffset(int32_t length)
{
    int32_t offset = (std::rand() % 2) * (length >> 1);
    offset += (std::rand() % 2) * (length >> 2);
#ifdef _WIN32
    offset += (std::rand() % 2) * (length >> 3);
    offset += (std::rand() % 2) * (length >> 4);
#else
    offset += (std::rand() % 2) * (length >> 4);
    offset += (std::rand() % 2) * (length >> 3);
#endif
    return offset;
}

// mixed[i] = (3 * loop[i] + mixed[i]) >> 2, step for step as the in-place rewrite computes it:
// scratch = placed + loop, loop = loop << 1, loop += scratch, loop >>= 2 (all wrapping).
inline int32_t blend(int32_t loop, int32_t placed)
{
    const uint32_t l = static_cast<uint32_t>(loop);
    const uint32_t sum = static_cast<uint32_t>(placed) + l;
    return static_cast<int32_t>((l << 1) + sum) >> 2;
}

void blendInto(int32_t *__restrict mixed, const int32_t *__restrict loop, int32_t n)
{
    const auto into = [](int32_t placed, int32_t looped) { return blend(looped, placed); };
    blocks::combine<16>(mixed, loop, n > 0 ? static_cast<size_t>(n) : 0, into);
}

// One change of the loop: the pattern placed at offset (wrapping round the loop's end), blended
// into a copy of the loop, then stored under the lock. False, after a report, when the change
// could not be made (no memory for the scratch, a broken pattern): the loop is then untouched.
bool change(MUSIC *music)
{
    SAMPLE *loop = music->loop;
    const int32_t length = loop->length;
    SAMPLE *mixed = scratchFor(length);
    if (!mixed) return report(MUSICError, false);

    const int32_t draw = std::rand();
    if (!music->patterns || music->patterns->count <= 0) return true;
    const int32_t index = draw % music->patterns->count;
    const int32_t offset = drawOffset(length);
    const SAMPLE *pattern = static_cast<const SAMPLE *>(LISTGet(music->patterns, index));
    if (!pattern) return true;
    if (!valid(pattern) || pattern->length < 0) return report(MUSICError, false);

    // The pattern's first min(pattern, loop) values, rotated right by offset.
    const int32_t used = pattern->length < length ? pattern->length : length;
    const int32_t head = used < length - offset ? used : length - offset;
    SAMPLECopyRange(pattern, mixed, head, 0, offset);
    SAMPLECopyRange(pattern, mixed, used - head, head, 0);

    blendInto(mixed->values, loop->values, length);

    if (lockHook) lockHook();
    std::memcpy(loop->values, mixed->values, sizeof(int32_t) * length);
    if (unlockHook) unlockHook();
    return true;
}

}  // namespace

// ---- Common operations ----

MUSIC *MUSICNew()
{
    MUSIC *music = static_cast<MUSIC *>(std::calloc(1, sizeof(MUSIC)));
    if (!music) return report(MUSICError, nullptr);
    music->period = MUSIC_PERIOD;
    music->loop = SAMPLENew();
    music->patterns = LISTNew();
    if (!music->loop || !SAMPLESetLength(music->loop, MUSIC_LOOP_LENGTH) || !music->patterns) {
        if (music->loop) SAMPLEFree(&music->loop);
        if (music->patterns) LISTFree(&music->patterns);
        std::free(music);
        return report(MUSICError, nullptr);
    }
    return music;
}

void MUSICFree(MUSIC **music)
{
    if (!music || !*music) return report(MUSICError);
    MUSIC *m = *music;
    if (m->loop) SAMPLEFree(&m->loop);
    if (m->patterns) {
        while (m->patterns->count > 0) {
            SAMPLE *pattern = static_cast<SAMPLE *>(LISTPop(m->patterns));
            if (pattern) SAMPLEFree(&pattern);
        }
        LISTFree(&m->patterns);
    }
    std::free(m);
    *music = nullptr;
}

char *MUSICToASCII(const MUSIC *) { return nullptr; }

MUSIC *MUSICFromASCII(const char *) { return nullptr; }

int32_t MUSICEqual(const MUSIC *, const MUSIC *) { return 0; }

MUSIC *MUSICCopy(const MUSIC *) { return nullptr; }

// ---- Soundtrack ----

int32_t MUSICAddPattern(MUSIC *music, SAMPLE *pattern)
{
    if (!music || !pattern || !music->patterns) return report(MUSICError, 0);
    if (!LISTAppend(music->patterns, pattern)) return report(MUSICError, 0);
    return 1;
}

void MUSICStep(MUSIC *music)
{
    if (!music) return report(MUSICError);
    if (music->countdown > 1) {
        --music->countdown;
        return;
    }
    // A change that fails leaves the record as it was, countdown included: the next step tries
    // again.
    if (!valid(music->loop) || music->loop->length <= 0) return report(MUSICError);
    const int32_t countdown = music->countdown;
    music->countdown = music->period;
    if (!change(music)) music->countdown = countdown;
}

void MUSICSetLockHooks(void (*lock)(), void (*unlock)())
{
    lockHook = lock;
    unlockHook = unlock;
}
