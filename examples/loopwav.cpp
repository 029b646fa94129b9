// loopwav: a few seconds of the music module's loop as a WAV file. The patterns are 16-bit mono
// PCM WAV files; every pass of the 40,000-value loop blends one of them, chosen at random, into
// the loop, so the rhythm builds up pass after pass.
//   kova-loopwav SECONDS OUT.wav PATTERN.wav...
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <kova/audio/music.h>
#include <kova/audio/sample.h>

static const int32_t RATE = 44100;

// Little-endian numbers of the WAV header.
static void put16(std::FILE *file, uint32_t v)
{
    std::fputc(int(v & 255), file);
    std::fputc(int(v >> 8 & 255), file);
}

static void put32(std::FILE *file, uint32_t v)
{
    put16(file, v & 0xFFFF);
    put16(file, v >> 16);
}

// A WAV file of the plain 44-byte layout: RIFF, a PCM format chunk of 16-bit mono, then data.
static SAMPLE *readWav(const char *path)
{
    std::FILE *file = std::fopen(path, "rb");
    if (!file) return nullptr;
    unsigned char h[44];
    SAMPLE *sample = nullptr;
    if (std::fread(h, 1, 44, file) == 44 && !std::memcmp(h, "RIFF", 4) &&
        !std::memcmp(h + 8, "WAVEfmt ", 8) && h[20] == 1 && h[22] == 1 && h[34] == 16 &&
        !std::memcmp(h + 36, "data", 4))
        sample = SAMPLERead(file, 16, 'l', 's');
    std::fclose(file);
    // SAMPLERead keeps each value's 16-bit pattern (0..65535); shifting it to the top and back
    // (arithmetically) gives the signed value that the music's mixing needs.
    SAMPLEShiftLeft(sample, 16);
    SAMPLEShiftRight(sample, 16);
    return sample;
}

int main(int argc, char **argv)
{
    long seconds = argc >= 4 ? std::strtol(argv[1], nullptr, 10) : 0;
    if (seconds < 1 || seconds > 600) {
        std::fprintf(stderr, "usage: kova-loopwav SECONDS OUT.wav PATTERN.wav... (SECONDS 1 to 600)\n");
        return 2;
    }
    MUSIC *music = MUSICNew();
    SAMPLE *out = SAMPLENew();
    if (!music || !out) {
        std::fprintf(stderr, "kova-loopwav: out of memory\n");
        return 1;
    }
    for (int i = 3; i < argc; ++i) {
        SAMPLE *pattern = readWav(argv[i]);
        if (!pattern || pattern->length == 0) {
            std::fprintf(stderr, "kova-loopwav: %s is not a 16-bit mono PCM WAV file\n", argv[i]);
            MUSICFree(&music);
            SAMPLEFree(&out);
            return 1;
        }
        MUSICAddPattern(music, pattern);  // the music owns it now
    }

    std::srand(1);        // the choices come from rand(): the same seed, the same file
    music->period = 1;    // a change at every step (the demo steps once a frame, changing every 300)
    const int32_t total = int32_t(seconds) * RATE;
    while (out->length < total) {
        const int32_t before = out->length;
        MUSICStep(music);
        SAMPLEInsertSample(out, music->loop, out->length);  // one pass of the loop
        if (out->length == before) {
            std::fprintf(stderr, "kova-loopwav: out of memory\n");
            return 1;
        }
    }
    SAMPLESetLength(out, total);
    // Each pattern enters the loop at a quarter of its level: bring the loudest value up to
    // about 90% of full scale, by a whole factor.
    const int32_t peak = std::max(SAMPLEMax(out), -SAMPLEMin(out));
    if (peak > 0) SAMPLEMultiply(out, 29491 / peak > 1 ? 29491 / peak : 1);

    std::FILE *file = std::fopen(argv[2], "wb");
    if (!file) {
        std::fprintf(stderr, "kova-loopwav: could not write %s\n", argv[2]);
        SAMPLEFree(&out);
        MUSICFree(&music);
        return 1;
    }
    const uint32_t bytes = uint32_t(total) * 2;
    std::fwrite("RIFF", 1, 4, file);
    put32(file, 36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, file);
    put32(file, 16);
    put16(file, 1);                            // PCM
    put16(file, 1);                            // one channel
    put32(file, RATE);                         // values per second
    put32(file, RATE * 2);                     // bytes per second
    put16(file, 2);                            // bytes per value
    put16(file, 16);                           // bits per value
    std::fwrite("data", 1, 4, file);
    put32(file, bytes);
    SAMPLEWrite(out, file, 16, 'l');  // values clamped to 16 bits, little-endian
    int failed = std::ferror(file) | std::fclose(file);
    SAMPLEFree(&out);
    MUSICFree(&music);
    if (failed) {
        std::fprintf(stderr, "kova-loopwav: could not write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
