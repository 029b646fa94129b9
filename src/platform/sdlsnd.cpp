// SDLSND: the sound output. One SDL audio device in a fixed format, fed from a queue of
// borrowed samples that the callback plays back to back on SDL's audio thread.
#include "platform/sdlsnd.h"

#include <SDL.h>

#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/ident.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <dlfcn.h>
#endif

ErrorReporter SDLSNDError = {0, "SDLSND error"};
uint8_t SDLSNDTrace = 0;
KOVA_IDENT(SDLSNDIdent, "SDLSND  ", "20110302", "LINUXSDL", "ValenTRQ", "CODE    ");

namespace {

// Entry and exit lines of a traced operation: "Name_" on entry, "_Name" on every exit.
struct Traced {
    const char *name;
    explicit Traced(const char *n) : name(n)
    {
        if (SDLSNDTrace) std::printf("%s_\n", name);
    }
    ~Traced()
    {
        if (SDLSNDTrace) std::printf("_%s\n", name);
    }
    Traced(const Traced &) = delete;
    Traced &operator=(const Traced &) = delete;
};

// A failure: the detailed line while tracing, the module's error line otherwise.
void fail(const char *detail)
{
    if (SDLSNDTrace) {
        std::puts(detail);
        std::fflush(stdout);
    } else {
        report(SDLSNDError);
    }
}

template <typename T>
T fail(const char *detail, T neutral)
{
    fail(detail);
    return neutral;
}

constexpr const char *VOID_PARAMETER = "ERR void parameter";

inline uint8_t *put16(uint8_t *out, int32_t v)
{
    out[0] = static_cast<uint8_t>(v & 0xFF);
    out[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    return out + 2;
}

// Each value's low 16 bits, low byte first. On a little-endian host that is the 16-bit word
// itself: blocks of 16 with a fixed trip count narrow in vector registers, then one copy.
void narrow(uint8_t *__restrict out, const int32_t *__restrict v, int32_t n)
{
    int32_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr int32_t BLOCK = 16;
        for (; i + BLOCK <= n; i += BLOCK) {
            uint16_t words[BLOCK];
            for (int32_t k = 0; k < BLOCK; ++k) words[k] = static_cast<uint16_t>(v[i + k]);
            std::memcpy(out + 2 * i, words, sizeof words);
        }
    }
    for (; i < n; ++i) {
        out[2 * i] = static_cast<uint8_t>(v[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((v[i] >> 8) & 0xFF);
    }
}

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
void alsaSilent(const char *, int, const char *, int, const char *, ...) {}
#endif

// SDL looks for an audio device through ALSA, whose library prints a handful of "ALSA lib ..."
// lines on standard error when the machine has no sound card, although the program then runs
// silently as meant to. Its error handler is replaced, once, by one that prints nothing: the
// library is opened (the very instance SDL links or loads) and kept loaded so that the handler
// stays. Where there is no ALSA library there is nothing to quieten.
void quietenAlsa()
{
#if defined(__linux__) && !defined(__EMSCRIPTEN__)
    static bool done = false;
    if (done) return;
    done = true;
    void *alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa) return;
    void *symbol = dlsym(alsa, "snd_lib_error_set_handler");
    if (!symbol) return;
    using Handler = void (*)(const char *, int, const char *, int, const char *, ...);
    int (*setHandler)(Handler) = nullptr;
    static_assert(sizeof setHandler == sizeof symbol);
    std::memcpy(&setHandler, &symbol, sizeof symbol);
    setHandler(alsaSilent);
#endif
}

}  // namespace

// ---- Common operations ----

SDLSND *SDLSNDNew()
{
    Traced t("SDLSNDNew");
    quietenAlsa();
    if (SDL_Init(SDL_INIT_EVERYTHING) != 0) return fail("ERR Init SDL", nullptr);
    SDLSND *sound = static_cast<SDLSND *>(std::calloc(1, sizeof(SDLSND)));
    if (!sound) return fail("ERR calloc SDLSND", nullptr);

    // Every field is set before the device opens: opening starts the audio thread (paused),
    // so the callback sees a complete record without a lock.
    sound->rate = SDLSND_RATE;
    sound->width = 16;
    sound->sign = 's';
    sound->byteOrder = 'l';
    sound->mute = 0;
    sound->queue = LISTNew();

    SDL_AudioSpec desired = {};
    desired.freq = SDLSND_RATE;
    desired.format = AUDIO_S16LSB;
    desired.channels = 1;
    desired.samples = SDLSND_FRAMES;
    desired.callback = SDLSNDCallback;
    desired.userdata = sound;
    if (SDL_OpenAudio(&desired, nullptr) < 0) {
        if (sound->queue) LISTFree(&sound->queue);
        std::free(sound);
        return fail("ERR open audio", nullptr);
    }
    SDL_PauseAudio(0);
    return sound;
}

void SDLSNDFree(SDLSND **sound)
{
    Traced t("SDLSNDFree");
    if (!sound || !*sound) return fail(VOID_PARAMETER);
    SDLSND *s = *sound;
    // Pause, then wait out a callback that may be running; closing joins the audio thread,
    // after which nothing reads the record. Closing while holding the lock could deadlock
    // with a callback that is about to take it, so the lock is released first.
    SDL_PauseAudio(1);
    SDL_LockAudio();
    SDL_UnlockAudio();
    SDL_CloseAudio();
    std::free(s->buffer);
    if (s->queue) LISTFree(&s->queue);
    std::free(s);
    *sound = nullptr;
}

const char *SDLSNDToASCII(const SDLSND *sound)
{
    Traced t("SDLSNDToASCII");
    if (!sound) return fail(VOID_PARAMETER, nullptr);
    return "";
}

SDLSND *SDLSNDFromASCII(const char *text)
{
    Traced t("SDLSNDFromASCII");
    if (!text) return fail("ERR void parameter.", nullptr);
    return nullptr;
}

int32_t SDLSNDEqual(const SDLSND *a, const SDLSND *b)
{
    Traced t("SDLSNDEqual");
    if (!a || !b) return fail(VOID_PARAMETER, 0);
    return 1;
}

SDLSND *SDLSNDCopy(const SDLSND *sound)
{
    Traced t("SDLSNDCopy");
    if (!sound) return fail(VOID_PARAMETER, nullptr);
    return nullptr;
}

// ---- Playback ----

void SDLSNDPlay(SDLSND *sound)
{
    Traced t("SDLSNDPlay");
    if (!sound) return fail(VOID_PARAMETER);
}

void SDLSNDPlaySAMPLE(SDLSND *sound, SAMPLE *sample)
{
    Traced t("SDLSNDPlaySAMPLE");
    if (!sound || !sample) return fail(VOID_PARAMETER);
    SDL_LockAudio();
    if (!sound->queue) {
        if (SDLSNDTrace) std::puts("ERR void snd->queue");
        sound->queue = LISTNew();
    }
    // A refused append (no memory for the slots) leaves the queue as it was.
    const int32_t added = sound->queue ? LISTAppend(sound->queue, sample) : 0;
    SDL_UnlockAudio();
    if (!added) report(SDLSNDError);
}

int32_t SDLSNDQueued(const SDLSND *sound)
{
    if (!sound) return report(SDLSNDError, 0);
    SDL_LockAudio();
    const int32_t count = sound->queue ? sound->queue->count : 0;
    SDL_UnlockAudio();
    return count;
}

void SDLSNDCallback(void *user, uint8_t *stream, int length)
{
    Traced t("SDLSNDCallback");
    SDLSND *sound = static_cast<SDLSND *>(user);
    if (!sound || !stream) return fail(VOID_PARAMETER);
    if (length <= 0) return fail("ERR wrong length");
    LIST *queue = sound->queue;
    if (!queue || queue->count <= 0) return fail("ERR underflow");

    const SAMPLE *head = static_cast<const SAMPLE *>(LISTGet(queue, 0));
    if (sound->mute == 1 || !head) {
        for (int i = 0; i < length; ++i) stream[i] = 0;
        return;
    }

    // Whole runs of the head at a time; an odd trailing byte stays unwritten. A head with no
    // value at the play position (emptied or shortened since it was queued) still takes one
    // slot of the stream, as a 0, before the next entry starts.
    int32_t left = length / 2;
    int32_t position = sound->position;
    while (left > 0) {
        const int32_t available =
            head->values && position >= 0 && position < head->length ? head->length - position : 0;
        if (available == 0) {
            stream = put16(stream, 0);
            --left;
            ++position;
        } else {
            const int32_t n = available < left ? available : left;
            const int32_t *v = head->values + position;
            narrow(stream, v, n);
            stream += 2 * n;
            left -= n;
            position += n;
        }
        if (position >= head->length) {
            LISTRemove(queue, 0);
            position = 0;
            head = static_cast<const SAMPLE *>(LISTGet(queue, 0));
            if (!head) break;
        }
    }
    sound->position = position;
}

void SDLSNDLock() { SDL_LockAudio(); }

void SDLSNDUnlock() { SDL_UnlockAudio(); }
