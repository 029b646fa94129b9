// The sound output: what the callback writes into the device buffer from the queue (splits
// across buffers, entries back to back, running dry, mute, truncation), the fixed results of
// the common verbs, and the real device under SDL's dummy and disk drivers, with the music
// rewriting its loop while the audio thread plays it.
#include <gtest/gtest.h>

#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "platform/sdlsnd.h"
#include "report_capture.h"
#include "support/helpers.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint8_t kUntouched = 0xAA;
constexpr int kBuffer = 2 * SDLSND_FRAMES;  // bytes the device asks for per callback

// A sample whose value at i is first + i, so every value tells where it came from.
SAMPLE *ramp(int32_t length, int32_t first)
{
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, length);
    for (int32_t i = 0; i < length; ++i) s->values[i] = first + i;
    return s;
}

// A record as SDLSNDNew leaves it, without a device: the tests drive the callback themselves.
struct Output {
    SDLSND record{};
    Output()
    {
        record.rate = SDLSND_RATE;
        record.width = 16;
        record.sign = 's';
        record.byteOrder = 'l';
        record.queue = LISTNew();
    }
    ~Output() { LISTFree(&record.queue); }
    Output(const Output &) = delete;
    Output &operator=(const Output &) = delete;

    Bytes pull(int length = kBuffer)
    {
        Bytes stream(static_cast<size_t>(length > 0 ? length : 1), kUntouched);
        SDLSNDCallback(&record, stream.data(), length);
        return stream;
    }
};

int32_t valueAt(const Bytes &stream, size_t i)
{
    return static_cast<int16_t>(static_cast<uint16_t>(stream[2 * i] | (stream[2 * i + 1] << 8)));
}

// Values written: the stream's 16-bit values up to the first untouched pair.
std::vector<int32_t> written(const Bytes &stream)
{
    std::vector<int32_t> out;
    for (size_t i = 0; 2 * i + 1 < stream.size(); ++i) {
        if (stream[2 * i] == kUntouched && stream[2 * i + 1] == kUntouched) break;
        out.push_back(valueAt(stream, i));
    }
    return out;
}

bool untouchedFrom(const Bytes &stream, size_t byte)
{
    for (size_t i = byte; i < stream.size(); ++i)
        if (stream[i] != kUntouched) return false;
    return true;
}

std::string slurp(const char *path) { return support::readFile(path); }

}  // namespace

TEST(SDLSNDCallback, TenThousandValuesSplitOverThreeBuffersThenTheNextEntry)
{
    Output out;
    SAMPLE *first = ramp(10000, 1);
    SAMPLE *second = ramp(5000, 20001);
    SDLSNDPlaySAMPLE(&out.record, first);
    SDLSNDPlaySAMPLE(&out.record, second);

    Bytes a = out.pull();
    for (int32_t i = 0; i < 4096; ++i) ASSERT_EQ(valueAt(a, i), 1 + i);
    EXPECT_EQ(out.record.position, 4096);
    EXPECT_EQ(out.record.queue->count, 2);

    Bytes b = out.pull();
    for (int32_t i = 0; i < 4096; ++i) ASSERT_EQ(valueAt(b, i), 4097 + i);
    EXPECT_EQ(out.record.position, 8192);

    // 1,808 values finish the first entry; the second starts in the same buffer, gap-free.
    Bytes c = out.pull();
    for (int32_t i = 0; i < 1808; ++i) ASSERT_EQ(valueAt(c, i), 8193 + i);
    for (int32_t i = 1808; i < 4096; ++i) ASSERT_EQ(valueAt(c, i), 20001 + (i - 1808));
    EXPECT_EQ(out.record.queue->count, 1);
    EXPECT_EQ(LISTGet(out.record.queue, 0), second);
    EXPECT_EQ(out.record.position, 4096 - 1808);
    SAMPLEFree(&first);
    SAMPLEFree(&second);
}

TEST(SDLSNDCallback, OneSampleQueuedFourTimesPlaysFourTimesWithoutAGap)
{
    Output out;
    SAMPLE *loop = ramp(3000, 100);
    for (int i = 0; i < 4; ++i) SDLSNDPlaySAMPLE(&out.record, loop);
    std::vector<int32_t> played;
    for (int i = 0; i < 3; ++i) {
        const std::vector<int32_t> part = written(out.pull());
        played.insert(played.end(), part.begin(), part.end());
    }
    ASSERT_EQ(played.size(), 12000u);
    for (size_t i = 0; i < played.size(); ++i) ASSERT_EQ(played[i], 100 + static_cast<int32_t>(i % 3000)) << i;
    EXPECT_EQ(out.record.queue->count, 0);
    EXPECT_EQ(out.record.position, 0);
    SAMPLEFree(&loop);
}

TEST(SDLSNDCallback, RunningDryLeavesTheRestUntouchedAndTheNextSampleStartsAtItsFirstValue)
{
    Output out;
    SAMPLE *shortOne = ramp(100, 1);
    SAMPLE *next = ramp(10, 500);
    SDLSNDPlaySAMPLE(&out.record, shortOne);

    Bytes dry = out.pull();
    EXPECT_EQ(written(dry).size(), 100u);
    EXPECT_TRUE(untouchedFrom(dry, 200));
    EXPECT_EQ(out.record.queue->count, 0);
    EXPECT_EQ(out.record.position, 0);

    // Underflow: the buffer is not touched, the position stays, and it is reported.
    Bytes empty;
    EXPECT_EQ(reported(SDLSNDError, [&] { empty = out.pull(); }), "SDLSND error\n");
    EXPECT_TRUE(untouchedFrom(empty, 0));
    EXPECT_EQ(out.record.position, 0);

    SDLSNDPlaySAMPLE(&out.record, next);
    Bytes again = out.pull();
    EXPECT_EQ(written(again), (std::vector<int32_t>{500, 501, 502, 503, 504, 505, 506, 507, 508, 509}));
    SAMPLEFree(&shortOne);
    SAMPLEFree(&next);
}

TEST(SDLSNDCallback, ValuesAreTruncatedToTheirLow16BitsNotClamped)
{
    Output out;
    SAMPLE *s = SAMPLENew();
    for (int32_t v : {40000, -1, 70000, -40000, 32767, -32768, 0x12345678}) SAMPLEInsert(s, v, s->length);
    SDLSNDPlaySAMPLE(&out.record, s);
    Bytes stream = out.pull(14);
    const Bytes expected = {0x40, 0x9C, 0xFF, 0xFF, 0x70, 0x11, 0xC0, 0x63,
                            0xFF, 0x7F, 0x00, 0x80, 0x78, 0x56};
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(out.record.queue->count, 0);
    SAMPLEFree(&s);
}

TEST(SDLSNDCallback, MuteWritesSilenceAndKeepsTheQueueAndPosition)
{
    Output out;
    SAMPLE *s = ramp(10000, 1);
    SDLSNDPlaySAMPLE(&out.record, s);
    out.pull();
    out.record.mute = 1;
    Bytes silent = out.pull();
    EXPECT_EQ(silent, Bytes(kBuffer, 0));
    EXPECT_EQ(out.record.position, 4096);
    EXPECT_EQ(out.record.queue->count, 1);
    // An odd length is written whole while muted: silence is bytes.
    EXPECT_EQ(out.pull(5), Bytes(5, 0));

    out.record.mute = 0;
    EXPECT_EQ(valueAt(out.pull(), 0), 4097);
    SAMPLEFree(&s);
}

TEST(SDLSNDCallback, OddLengthsShortSamplesAndBadArguments)
{
    Output out;
    SAMPLE *s = ramp(10, 1);
    SDLSNDPlaySAMPLE(&out.record, s);
    Bytes odd = out.pull(7);  // three values, the seventh byte stays
    EXPECT_EQ(written(odd), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(odd[6], kUntouched);
    EXPECT_EQ(out.record.position, 3);

    // A queued sample emptied since it was queued plays one 0 and makes way for the next.
    SAMPLE *emptied = ramp(0, 0);
    SDLSNDPlaySAMPLE(&out.record, emptied);
    SDLSNDPlaySAMPLE(&out.record, s);
    Bytes mixed = out.pull();
    std::vector<int32_t> expected = {4, 5, 6, 7, 8, 9, 10, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(written(mixed), expected);

    SDLSNDPlaySAMPLE(&out.record, s);
    Bytes buffer(16, kUntouched);
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDCallback(nullptr, buffer.data(), 16); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDCallback(&out.record, nullptr, 16); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDCallback(&out.record, buffer.data(), 0); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDCallback(&out.record, buffer.data(), -2); }), "SDLSND error\n");
    EXPECT_TRUE(untouchedFrom(buffer, 0));
    EXPECT_EQ(out.record.position, 0);
    EXPECT_EQ(out.record.queue->count, 1);
    SAMPLEFree(&s);
    SAMPLEFree(&emptied);
}

TEST(SDLSNDQueue, AppendsBorrowedSamplesInOrderAndCountsThem)
{
    Output out;
    SAMPLE *a = ramp(4, 1);
    SAMPLE *b = ramp(4, 9);
    for (SAMPLE *s : {a, b, a, a, b}) SDLSNDPlaySAMPLE(&out.record, s);
    EXPECT_EQ(SDLSNDQueued(&out.record), 5);
    EXPECT_EQ(LISTGet(out.record.queue, 0), a);
    EXPECT_EQ(LISTGet(out.record.queue, 4), b);

    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDPlaySAMPLE(&out.record, nullptr); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDPlaySAMPLE(nullptr, a); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDQueued(nullptr), 0); }), "SDLSND error\n");
    EXPECT_EQ(SDLSNDQueued(&out.record), 5);

    // A record without a queue gets one on its first append.
    SDLSND bare{};
    SDLSNDPlaySAMPLE(&bare, a);
    ASSERT_NE(bare.queue, nullptr);
    EXPECT_EQ(SDLSNDQueued(&bare), 1);
    LISTFree(&bare.queue);
    SAMPLEFree(&a);
    SAMPLEFree(&b);
}

TEST(SDLSNDCommon, FixedResultsOfTheVerbsThatMakeNoSenseForOneDevice)
{
    Output out;
    const char *text = SDLSNDToASCII(&out.record);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SDLSNDEqual(&out.record, &out.record), 1);
    SDLSND other{};
    EXPECT_EQ(SDLSNDEqual(&out.record, &other), 1);
    EXPECT_EQ(SDLSNDCopy(&out.record), nullptr);
    EXPECT_EQ(SDLSNDFromASCII(""), nullptr);
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDPlay(&out.record); }), "");

    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDToASCII(nullptr), nullptr); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDEqual(&out.record, nullptr), 0); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDCopy(nullptr), nullptr); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDFromASCII(nullptr), nullptr); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDPlay(nullptr); }), "SDLSND error\n");
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDFree(nullptr); }), "SDLSND error\n");
}

TEST(SDLSNDCommon, TracingNamesEachOperationAndEachFailure)
{
    Output out;
    SDLSNDTrace = 1;
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    SDLSNDFromASCII(nullptr);
    out.pull();
    out.pull(0);
    SDLSND bare{};
    SAMPLE *s = ramp(1, 1);
    SDLSNDPlaySAMPLE(&bare, s);
    std::fflush(stdout);
    const std::string trace = testing::internal::GetCapturedStdout();
    SDLSNDTrace = 0;
    EXPECT_EQ(trace,
              "SDLSNDFromASCII_\nERR void parameter.\n_SDLSNDFromASCII\n"
              "SDLSNDCallback_\nERR underflow\n_SDLSNDCallback\n"
              "SDLSNDCallback_\nERR wrong length\n_SDLSNDCallback\n"
              "SDLSNDPlaySAMPLE_\nERR void snd->queue\n_SDLSNDPlaySAMPLE\n");
    LISTFree(&bare.queue);
    SAMPLEFree(&s);
}

// ---- The real device ----

TEST(SDLSNDDevice, OpensInTheFixedFormatAndFreesOnce)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // no sound card needed
    SDLSND *sound = SDLSNDNew();
    ASSERT_NE(sound, nullptr) << SDL_GetError();
    EXPECT_EQ(sound->rate, 44100);
    EXPECT_EQ(sound->width, 16);
    EXPECT_EQ(sound->sign, 's');
    EXPECT_EQ(sound->byteOrder, 'l');
    EXPECT_EQ(sound->mute, 0);
    EXPECT_EQ(sound->buffer, nullptr);
    EXPECT_EQ(SDLSNDQueued(sound), 0);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
    // One device: a second one cannot open while the first is open.
    EXPECT_EQ(reported(SDLSNDError, [&] { EXPECT_EQ(SDLSNDNew(), nullptr); }), "SDLSND error\n");

    SDLSND *alias = sound;
    SDLSNDFree(&sound);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
    EXPECT_EQ(reported(SDLSNDError, [&] { SDLSNDFree(&sound); }), "SDLSND error\n");
    (void)alias;

    // The device can be opened again after closing.
    sound = SDLSNDNew();
    ASSERT_NE(sound, nullptr);
    SDLSNDFree(&sound);
}

TEST(SDLSNDDevice, NoUsableDriverGivesNull)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SDLSND *sound = nullptr;
    EXPECT_EQ(reported(SDLSNDError, [&] { sound = SDLSNDNew(); }), "SDLSND error\n");
    EXPECT_EQ(sound, nullptr);
    // SDL counts its audio subsystem as started even when no driver came up; stop it so
    // that a later device starts afresh with a usable driver.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// Under the disk driver the device writes what the callback produced to a file: the queued
// values come out exactly, in order, after the silence of the empty queue.
TEST(SDLSNDDevice, DiskDriverPlaysTheQueueExactly)
{
    char path[] = "/tmp/sdlsnd-disk-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path, 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);
    SDLSND *sound = SDLSNDNew();
    ASSERT_NE(sound, nullptr) << SDL_GetError();

    // Never zero, so the start of the sound is plain; 40000 and -40000 check the truncation.
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, 10000);
    for (int32_t i = 0; i < 10000; ++i) s->values[i] = (i % 3 == 0) ? 40000 : (i % 3 == 1 ? -40000 : i + 1);
    SDLSNDPlaySAMPLE(sound, s);
    SDLSNDPlaySAMPLE(sound, s);
    for (int i = 0; i < 400 && SDLSNDQueued(sound) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(SDLSNDQueued(sound), 0);
    SDLSNDFree(&sound);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    const std::string raw = slurp(path);
    std::remove(path);
    ::close(fd);
    size_t start = 0;
    while (start < raw.size() && raw[start] == 0) ++start;
    ASSERT_EQ(start % kBuffer, 0u) << "the first entry starts a device buffer";
    ASSERT_GE(raw.size(), start + 4 * 10000);
    for (int32_t i = 0; i < 20000; ++i) {
        const int32_t v = s->values[i % 10000];
        ASSERT_EQ(static_cast<uint8_t>(raw[start + 2 * i]), v & 0xFF) << i;
        ASSERT_EQ(static_cast<uint8_t>(raw[start + 2 * i + 1]), (v >> 8) & 0xFF) << i;
    }
    for (size_t i = start + 40000; i < raw.size(); ++i) ASSERT_EQ(raw[i], 0) << "silence after the queue ran dry";
    SAMPLEFree(&s);
}

// The audio thread plays the music's loop while the main thread keeps the queue fed and the
// music rewrites the loop at every step. Run under ThreadSanitizer (label "tsan"): the queue's
// appends and count reads and the loop's store all meet the callback under SDL's audio lock.
TEST(SDLSNDThreads, QueueFedAndLoopRewrittenWhileTheDevicePlays)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);  // the callback runs back to back
    SDLSND *sound = SDLSNDNew();
    ASSERT_NE(sound, nullptr) << SDL_GetError();

    MUSIC *music = MUSICNew();
    ASSERT_NE(music, nullptr);
    for (int p = 0; p < 4; ++p) {
        SAMPLE *pattern = ramp(11024, -5000 + 3000 * p);
        MUSICAddPattern(music, pattern);
    }
    music->period = 1;  // every step rewrites the whole loop
    MUSICSetLockHooks(SDLSNDLock, SDLSNDUnlock);
    SAMPLE *other = ramp(3000, 7);

    int32_t appended = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    int32_t steps = 0;
    while (std::chrono::steady_clock::now() < end || steps < 200) {
        MUSICStep(music);
        ++steps;
        if (SDLSNDQueued(sound) <= 3) {
            SDLSNDPlaySAMPLE(sound, steps % 5 ? music->loop : other);
            ++appended;
        }
        if (steps % 50 == 0) {
            SDLSNDLock();
            sound->mute = static_cast<char>(!sound->mute);
            SDLSNDUnlock();
        }
        // Frames end with a sleep, as in the program; a main thread that never sleeps would
        // starve the audio thread of its lock on a loaded machine.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const int32_t left = SDLSNDQueued(sound);
    SDLSNDFree(&sound);
    MUSICSetLockHooks(nullptr, nullptr);
    EXPECT_GT(appended - left, 4) << "the audio thread played entries while the main thread fed it";
    MUSICFree(&music);
    SAMPLEFree(&other);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}
