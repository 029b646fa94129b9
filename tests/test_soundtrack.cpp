// The soundtrack hook: the music built from copies of the compiled-in patterns, the queue kept
// at 4 references to the loop (threshold 3), the silent demo without a sound output, the close
// hook, and the real device playing while the loop is rewritten (label "tsan").
#include <gtest/gtest.h>

#include <SDL.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "demo/data.h"
#include "demo/demo.h"
#include "demo/soundtrack.h"
#include "report_capture.h"

namespace {

// A sound output without a device: the test plays the callback's part.
SDLSND *deviceless()
{
    SDLSND *s = static_cast<SDLSND *>(std::calloc(1, sizeof(SDLSND)));
    s->queue = LISTNew();
    return s;
}

void freeDeviceless(SDLSND *&s)
{
    if (!s) return;
    LISTFree(&s->queue);
    std::free(s);
    s = nullptr;
}

// Plays exactly one whole entry at the head, as the audio thread would over a few buffers.
void playOneEntry(SDLSND *s)
{
    const SAMPLE *head = static_cast<const SAMPLE *>(LISTGet(s->queue, 0));
    ASSERT_TRUE(head);
    std::vector<uint8_t> stream(2 * static_cast<size_t>(head->length - s->position));
    SDLSNDCallback(s, stream.data(), static_cast<int>(stream.size()));
}

uint64_t checksum(const SAMPLE &s)
{
    uint64_t h = 1469598103934665603ull;
    for (int32_t i = 0; i < s.length; ++i) h = (h ^ static_cast<uint32_t>(s.values[i])) * 1099511628211ull;
    return h;
}

class Soundtrack : public testing::Test {
protected:
    void SetUp() override
    {
        std::srand(542388762);
        DemoMusicSetup();
        ASSERT_TRUE(music);
    }
    void TearDown() override
    {
        MUSICSetLockHooks(nullptr, nullptr);
        MUSICFree(&music);
        freeDeviceless(sound);
    }
};

}  // namespace

TEST_F(Soundtrack, MusicOwnsCopiesOfTheFourteenPatternsInTableOrder)
{
    ASSERT_EQ(PATTERNS.count, PATTERN_COUNT);
    std::vector<uint64_t> before;
    for (const SAMPLE &p : PATTERNS.patterns) before.push_back(checksum(p));

    ASSERT_EQ(music->patterns->count, PATTERN_COUNT);
    for (int32_t i = 0; i < PATTERN_COUNT; ++i) {
        const SAMPLE *copy = static_cast<const SAMPLE *>(LISTGet(music->patterns, i));
        ASSERT_TRUE(copy);
        EXPECT_NE(copy, &PATTERNS.patterns[i]);
        EXPECT_NE(copy->values, PATTERNS.patterns[i].values);
        EXPECT_EQ(SAMPLEEqual(copy, &PATTERNS.patterns[i]), 1) << i;
    }
    EXPECT_EQ(music->loop->length, 40000);
    EXPECT_EQ(music->period, 300);

    // Running the music changes its own loop and copies, never the compiled-in records.
    for (int i = 0; i < 901; ++i) DemoMusicStep();
    for (int32_t i = 0; i < PATTERN_COUNT; ++i) EXPECT_EQ(checksum(PATTERNS.patterns[i]), before[i]) << i;
}

TEST_F(Soundtrack, QueueIsFedUpToFourReferencesToTheLoop)
{
    sound = deviceless();
    DemoMusicStep();  // the first step changes the loop and queues it once
    EXPECT_EQ(SDLSNDQueued(sound), 1);
    EXPECT_EQ(music->countdown, 300);
    bool audible = false;
    for (int32_t i = 0; i < music->loop->length; ++i) audible |= music->loop->values[i] != 0;
    EXPECT_TRUE(audible);

    DemoMusicStep();
    DemoMusicStep();
    DemoMusicStep();
    EXPECT_EQ(SDLSNDQueued(sound), 4);
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(LISTGet(sound->queue, i), music->loop);

    DemoMusicStep();  // 4 entries: nothing more
    EXPECT_EQ(SDLSNDQueued(sound), 4);

    playOneEntry(sound);  // 3 entries: one more reference
    EXPECT_EQ(SDLSNDQueued(sound), 3);
    DemoMusicStep();
    EXPECT_EQ(SDLSNDQueued(sound), 4);
    DemoMusicStep();
    EXPECT_EQ(SDLSNDQueued(sound), 4);

    // A queue drained dry is refilled one entry per frame.
    for (int i = 0; i < 4; ++i) playOneEntry(sound);
    EXPECT_EQ(SDLSNDQueued(sound), 0);
    DemoMusicStep();
    EXPECT_EQ(SDLSNDQueued(sound), 1);
}

TEST_F(Soundtrack, WithoutASoundOutputTheMusicStillSteps)
{
    ASSERT_EQ(sound, nullptr);
    DemoMusicStep();
    EXPECT_EQ(music->countdown, 300);
    DemoMusicStep();
    EXPECT_EQ(music->countdown, 299);
    EXPECT_EQ(reported(SDLSNDError, [] { DemoSoundFree(); }), "SDLSND error\n");
    EXPECT_EQ(sound, nullptr);
}

namespace {
SDLSND *closedWith = nullptr;
int32_t queuedAtClose = -1;
void onClose(SDLSND *s)
{
    closedWith = s;
    queuedAtClose = SDLSNDQueued(s);
}
}  // namespace

TEST_F(Soundtrack, TheRealOutputOpensAndTheCloseHookSeesItsQueueLast)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);  // no sound card needed
    DemoSoundSetup();
    ASSERT_TRUE(sound);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_PLAYING);
    DemoMusicStep();
    SDLSND *opened = sound;
    DemoSoundSetCloseHook(onClose);
    DemoSoundFree();
    DemoSoundSetCloseHook(nullptr);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(closedWith, opened);
    EXPECT_GE(queuedAtClose, 0);
    EXPECT_LE(queuedAtClose, 1);
    EXPECT_EQ(SDL_GetAudioStatus(), SDL_AUDIO_STOPPED);
}

// The hook as the program wires it, against SDL's audio thread calling back without pause:
// ThreadSanitizer (label "tsan") checks that the loop's rewrite and the queue's feeding meet
// the callback only under the audio lock.
TEST_F(Soundtrack, ThreadsLoopRewrittenEveryFrameWhileTheDevicePlays)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    DemoSoundSetup();
    ASSERT_TRUE(sound);
    music->period = 1;
    int32_t fed = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
    int frames = 0;
    for (; frames < 100 || std::chrono::steady_clock::now() < end; ++frames) {
        const int32_t before = SDLSNDQueued(sound);
        DemoMusicStep();
        fed += before <= DEMO_QUEUE_THRESHOLD;
        // Frames end with a sleep, as in the program; a main thread that never sleeps would
        // starve the audio thread of its lock on a loaded machine.
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const int32_t left = SDLSNDQueued(sound);
    DemoSoundFree();
    EXPECT_GT(fed - left, 4) << "the device played the loop while it was rewritten; frames " << frames;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// The program's sound path at the music's own period: four hundred changes of the loop, each a
// step of the frame hook like any other, while SDL's dummy device plays the queue at its own
// pace (label "tsan").
TEST_F(Soundtrack, ThreadsFourHundredLoopChangesWhileTheDummyDevicePlays)
{
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    DemoSoundSetup();
    ASSERT_TRUE(sound);
    ASSERT_EQ(music->period, MUSIC_PERIOD);
    int changes = 0;
    int32_t fed = 0;
    uint64_t last = checksum(*music->loop);
    for (int32_t step = 0; step < 400 * MUSIC_PERIOD; ++step) {
        fed += SDLSNDQueued(sound) <= DEMO_QUEUE_THRESHOLD;
        DemoMusicStep();
        if (step % MUSIC_PERIOD != 0) continue;
        const uint64_t now = checksum(*music->loop);
        changes += now != last;
        last = now;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the device plays meanwhile
    }
    const int32_t left = SDLSNDQueued(sound);
    DemoSoundFree();
    EXPECT_EQ(changes, 400);
    EXPECT_GT(fed - left, 4) << "the device played the loop while it changed";
}
