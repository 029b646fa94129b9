// The soundtrack: when the loop changes, the exact blend of three quarters of the old loop with
// a quarter of the placed pattern, the draws it takes from rand(), and the locked store.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "audio/music.h"
#include "report_capture.h"

namespace {

using Values = std::vector<int32_t>;

SAMPLE *sampleOf(const Values &values)
{
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, static_cast<int32_t>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) s->values[i] = values[i];
    return s;
}

Values valuesOf(const SAMPLE *s) { return Values(s->values, s->values + s->length); }

// The draws of one change, replayed from the generator: the pattern index and the offset.
struct Draw {
    int32_t index;
    int32_t offset;
};

Draw nextDraw(int32_t patterns, int32_t length)
{
    Draw d{};
    d.index = std::rand() % patterns;
    const int32_t halves = (std::rand() % 2) * (length >> 1);
    const int32_t quarters = (std::rand() % 2) * (length >> 2);
    const int32_t fourth = std::rand() % 2;
    const int32_t fifth = std::rand() % 2;
#ifdef _WIN32
    d.offset = halves + quarters + fourth * (length >> 3) + fifth * (length >> 4);
#else
    d.offset = halves + quarters + fourth * (length >> 4) + fifth * (length >> 3);
#endif
    return d;
}

// The hand computation: the pattern placed at offset (wrapping round the end), then
// new = floor((3 * old + placed) / 4), in wide arithmetic.
Values handChange(const Values &loop, const Values &pattern, int32_t offset)
{
    const size_t length = loop.size();
    Values placed(length, 0);
    for (size_t j = 0; j < pattern.size() && j < length; ++j) placed[(j + offset) % length] = pattern[j];
    Values out(length);
    for (size_t i = 0; i < length; ++i) {
        out[i] = static_cast<int32_t>((3 * int64_t{loop[i]} + placed[i]) >> 2);
    }
    return out;
}

// The same change as the literal in-place sequence of sample operations.
Values literalChange(const Values &loopValues, const Values &pattern, int32_t offset)
{
    SAMPLE *loop = sampleOf(loopValues);
    SAMPLE *scratch = sampleOf(Values(loopValues.size(), 0));
    SAMPLE *p = sampleOf(pattern);
    SAMPLEAdd(scratch, p);
    SAMPLERotateRight(scratch, offset);
    SAMPLEAdd(scratch, loop);
    SAMPLEShiftLeft(loop, 1);
    SAMPLEAdd(loop, scratch);
    SAMPLEShiftRight(loop, 2);
    Values out = valuesOf(loop);
    SAMPLEFree(&loop);
    SAMPLEFree(&scratch);
    SAMPLEFree(&p);
    return out;
}

// A seed whose first change draws an offset for which `wanted` holds.
template <typename Wanted>
unsigned seedFor(Wanted wanted)
{
    for (unsigned seed = 1;; ++seed) {
        std::srand(seed);
        if (wanted(nextDraw(1, MUSIC_LOOP_LENGTH).offset)) return seed;
    }
}

Values patternValues(int32_t length, int32_t salt)
{
    Values v(length);
    for (int32_t i = 0; i < length; ++i) v[i] = ((i * (salt + 7) + salt * 1000) % 60001) - 30000;
    return v;
}

// Steps until the next change has happened (the countdown runs out).
void stepToChange(MUSIC *music)
{
    do {
        MUSICStep(music);
    } while (music->countdown != music->period);
}

}  // namespace

TEST(Music, NewFreeAndTheFixedVerbs)
{
    MUSIC *music = MUSICNew();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->countdown, 0);
    EXPECT_EQ(music->period, 300);
    ASSERT_NE(music->loop, nullptr);
    EXPECT_EQ(valuesOf(music->loop), Values(40000, 0));
    ASSERT_NE(music->patterns, nullptr);
    EXPECT_EQ(music->patterns->count, 0);

    EXPECT_EQ(MUSICToASCII(music), nullptr);
    EXPECT_EQ(MUSICFromASCII("MUSIC{}"), nullptr);
    EXPECT_EQ(MUSICEqual(music, music), 0);
    EXPECT_EQ(MUSICCopy(music), nullptr);

    EXPECT_EQ(MUSICAddPattern(music, sampleOf({1, 2})), 1);
    EXPECT_EQ(MUSICAddPattern(music, sampleOf({3})), 1);
    EXPECT_EQ(music->patterns->count, 2);
    SAMPLE *kept = sampleOf({5});
    const std::string out = reported(MUSICError, [&] {
        EXPECT_EQ(MUSICAddPattern(nullptr, kept), 0);
        EXPECT_EQ(MUSICAddPattern(music, nullptr), 0);
        MUSICStep(nullptr);
        MUSICFree(nullptr);
    });
    EXPECT_EQ(out, "MUSIC ERROR\nMUSIC ERROR\nMUSIC ERROR\nMUSIC ERROR\n");
    SAMPLEFree(&kept);

    MUSICFree(&music);  // frees the patterns too (the leak checker of the sanitizer build sees it)
    EXPECT_EQ(music, nullptr);
    EXPECT_EQ(reported(MUSICError, [&] { MUSICFree(&music); }), "MUSIC ERROR\n");
}

TEST(Music, ChangesOnTheFirstStepThenEveryPeriod)
{
    std::srand(1);
    MUSIC *music = MUSICNew();
    MUSICAddPattern(music, sampleOf(Values(11024, 4000)));
    MUSICStep(music);
    EXPECT_EQ(music->countdown, 300);
    const Values first = valuesOf(music->loop);
    EXPECT_NE(first, Values(40000, 0)) << "the first step changes the loop";

    // The 299 steps between changes draw nothing and change nothing.
    const int after = std::rand();
    std::srand(1);
    for (int i = 0; i < 5; ++i) std::rand();
    for (int i = 0; i < 299; ++i) MUSICStep(music);
    EXPECT_EQ(music->countdown, 1);
    EXPECT_EQ(valuesOf(music->loop), first);
    EXPECT_EQ(std::rand(), after) << "the next draw is still the sixth";

    std::srand(1);
    for (int i = 0; i < 5; ++i) std::rand();
    MUSICStep(music);
    EXPECT_NE(valuesOf(music->loop), first) << "the 301st step changes it again";
    EXPECT_EQ(music->countdown, 300);
    MUSICFree(&music);
}

TEST(Music, ThreeQuartersOfTheLoopAndAQuarterOfThePattern)
{
    // Pattern 4, 8 at offset 0: the loop starts 1, 2, then (3 x 1 + 4) >> 2 = 1, (3 x 2 + 8) >> 2 = 3.
    const unsigned zero = seedFor([](int32_t offset) { return offset == 0; });
    MUSIC *music = MUSICNew();
    MUSICAddPattern(music, sampleOf({4, 8}));
    std::srand(zero);
    MUSICStep(music);
    Values expected(40000, 0);
    expected[0] = 1;
    expected[1] = 2;
    EXPECT_EQ(valuesOf(music->loop), expected);
    std::srand(zero);
    music->countdown = 1;
    MUSICStep(music);
    expected[1] = 3;
    EXPECT_EQ(valuesOf(music->loop), expected);

    // Negative values round towards minus infinity: (3 x -1 + 0) >> 2 = -1, (-3 - 5) >> 2 = -2.
    music->loop->values[0] = -1;
    music->loop->values[1] = -1;
    SAMPLE *previous = static_cast<SAMPLE *>(LISTGet(music->patterns, 0));
    SAMPLEFree(&previous);
    LISTSet(music->patterns, sampleOf({0, -5}), 0);
    std::srand(zero);
    music->countdown = 1;
    MUSICStep(music);
    EXPECT_EQ(music->loop->values[0], -1);
    EXPECT_EQ(music->loop->values[1], -2);
    MUSICFree(&music);
}

TEST(Music, PlacementWrapsRoundTheLoopsEnd)
{
    const unsigned last = seedFor([](int32_t offset) { return offset == 37500; });
    MUSIC *music = MUSICNew();
    const Values pattern = patternValues(11024, 3);
    MUSICAddPattern(music, sampleOf(pattern));
    std::srand(last);
    MUSICStep(music);
    const Values loop = valuesOf(music->loop);
    for (int32_t j = 0; j < 2500; ++j) ASSERT_EQ(loop[37500 + j], pattern[j] >> 2) << j;
    for (int32_t j = 2500; j < 11024; ++j) ASSERT_EQ(loop[j - 2500], pattern[j] >> 2) << j;
    for (int32_t i = 8524; i < 37500; ++i) ASSERT_EQ(loop[i], 0) << i;
    MUSICFree(&music);
}

TEST(Music, KnownPatternsAndDrawsMatchTheHandComputation)
{
    // Three patterns of different lengths (one longer than a quarter, one tiny), 40 changes.
    const std::vector<Values> patterns = {patternValues(11024, 1), patternValues(11024, 2),
                                          patternValues(3, 9), patternValues(15000, 4)};
    MUSIC *music = MUSICNew();
    for (const Values &p : patterns) MUSICAddPattern(music, sampleOf(p));

    const unsigned seed = 542388762;
    std::srand(seed);
    std::vector<Draw> draws;
    for (int change = 0; change < 40; ++change) draws.push_back(nextDraw(4, 40000));
    std::set<int32_t> offsets;
    for (const Draw &d : draws) offsets.insert(d.offset);
    EXPECT_GT(offsets.size(), 8u) << "the draws cover many grid positions";

    std::srand(seed);
    Values expected(40000, 0);
    for (int change = 0; change < 40; ++change) {
        stepToChange(music);
        expected = handChange(expected, patterns[draws[change].index], draws[change].offset);
        ASSERT_EQ(valuesOf(music->loop), expected) << "change " << change;
    }
    // The loop never leaves the patterns' range.
    EXPECT_GE(SAMPLEMin(music->loop), -30000);
    EXPECT_LE(SAMPLEMax(music->loop), 30000);
    MUSICFree(&music);
}

TEST(Music, EqualsTheInPlaceSequenceEvenWhereItWraps)
{
    // Values far outside the 16-bit range make every intermediate step wrap.
    Values loop(40000), pattern(11024);
    for (int32_t i = 0; i < 40000; ++i) loop[i] = static_cast<int32_t>(0x9E3779B9u * (i + 1));
    for (int32_t i = 0; i < 11024; ++i) pattern[i] = static_cast<int32_t>(0x85EBCA6Bu * (i + 3));
    for (const int32_t wantedOffset : {0, 2500, 17500, 37500}) {
        const unsigned seed = seedFor([&](int32_t offset) { return offset == wantedOffset; });
        MUSIC *music = MUSICNew();
        MUSICAddPattern(music, sampleOf(pattern));
        std::copy(loop.begin(), loop.end(), music->loop->values);
        std::srand(seed);
        MUSICStep(music);
        EXPECT_EQ(valuesOf(music->loop), literalChange(loop, pattern, wantedOffset)) << wantedOffset;
        MUSICFree(&music);
    }
}

TEST(Music, EmptyPatternsAndLengthChanges)
{
    // No patterns: the change takes its first draw and leaves the loop alone.
    MUSIC *music = MUSICNew();
    music->loop->values[7] = 123;
    std::srand(5);
    std::rand();
    const int second = std::rand();
    std::srand(5);
    MUSICStep(music);
    EXPECT_EQ(std::rand(), second);
    EXPECT_EQ(music->loop->values[7], 123);

    // A null item in the list: the loop stays as it was.
    LISTAppend(music->patterns, nullptr);
    music->countdown = 1;
    MUSICStep(music);
    EXPECT_EQ(music->loop->values[7], 123);
    LISTPop(music->patterns);

    // Shorter and longer loops between changes: the offsets follow the length, and the
    // scratch follows it too (a stale one would be read past its end or leave values behind).
    const Values pattern = patternValues(11024, 5);
    MUSICAddPattern(music, sampleOf(pattern));
    for (const int32_t length : {20000, 40000, 100, 60000}) {
        SAMPLESetLength(music->loop, length);
        const Values before = valuesOf(music->loop);
        std::srand(static_cast<unsigned>(length));
        const Draw draw = nextDraw(1, length);
        std::srand(static_cast<unsigned>(length));
        music->countdown = 1;
        MUSICStep(music);
        EXPECT_EQ(valuesOf(music->loop), handChange(before, pattern, draw.offset)) << length;
    }

    // An empty loop cannot change: reported, nothing touched, the countdown neither.
    SAMPLESetLength(music->loop, 0);
    music->countdown = 1;
    EXPECT_EQ(reported(MUSICError, [&] { MUSICStep(music); }), "MUSIC ERROR\n");
    EXPECT_EQ(music->countdown, 1);
    MUSICFree(&music);
}

namespace {

struct HookProbe {
    MUSIC *music = nullptr;
    int locks = 0;
    int unlocks = 0;
    Values atLock;
    Values atUnlock;
};
HookProbe probe;

void probeLock()
{
    ++probe.locks;
    probe.atLock = valuesOf(probe.music->loop);
}

void probeUnlock()
{
    ++probe.unlocks;
    probe.atUnlock = valuesOf(probe.music->loop);
}

std::mutex loopMutex;
void lockLoop() { loopMutex.lock(); }
void unlockLoop() { loopMutex.unlock(); }

}  // namespace

TEST(Music, TheLoopChangesOnlyBetweenLockAndUnlock)
{
    MUSIC *music = MUSICNew();
    const Values pattern = patternValues(11024, 6);
    MUSICAddPattern(music, sampleOf(pattern));
    probe = HookProbe{};
    probe.music = music;
    MUSICSetLockHooks(probeLock, probeUnlock);

    std::srand(77);
    Values expected(40000, 0);
    for (int change = 0; change < 3; ++change) {
        const Values before = valuesOf(music->loop);
        for (int i = 0; i < 299 && change > 0; ++i) MUSICStep(music);
        EXPECT_EQ(probe.locks, change) << "steps without a change never lock";
        const unsigned state = static_cast<unsigned>(std::rand());
        std::srand(state);
        const Draw draw = nextDraw(1, 40000);
        std::srand(state);
        MUSICStep(music);
        expected = handChange(expected, pattern, draw.offset);
        EXPECT_EQ(probe.locks, change + 1);
        EXPECT_EQ(probe.unlocks, change + 1);
        EXPECT_EQ(probe.atLock, before) << "nothing written before the lock";
        EXPECT_EQ(probe.atUnlock, expected) << "everything written before the unlock";
        EXPECT_EQ(valuesOf(music->loop), expected);
    }
    MUSICSetLockHooks(nullptr, nullptr);
    MUSICFree(&music);
}

TEST(Music, AReaderTakingTheLockNeverSeesAHalfWrittenLoop)
{
    // The reader plays the part of the sound output's callback on its own thread; every loop
    // it copies under the lock must be one of the states the changes produce.
    MUSIC *music = MUSICNew();
    const std::vector<Values> patterns = {patternValues(11024, 11), patternValues(11024, 12)};
    for (const Values &p : patterns) MUSICAddPattern(music, sampleOf(p));
    constexpr int kChanges = 30;
    const unsigned seed = 4242;
    std::srand(seed);
    std::set<uint64_t> states;
    auto hash = [](const int32_t *v, int32_t n) {
        uint64_t h = 1469598103934665603ull;
        for (int32_t i = 0; i < n; ++i) h = (h ^ static_cast<uint32_t>(v[i])) * 1099511628211ull;
        return h;
    };
    Values state(40000, 0);
    states.insert(hash(state.data(), 40000));
    for (int change = 0; change < kChanges; ++change) {
        const Draw d = nextDraw(2, 40000);
        state = handChange(state, patterns[d.index], d.offset);
        states.insert(hash(state.data(), 40000));
    }

    MUSICSetLockHooks(lockLoop, unlockLoop);
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        Values copy(40000);
        while (!done.load()) {
            {
                std::lock_guard<std::mutex> hold(loopMutex);
                std::copy(music->loop->values, music->loop->values + 40000, copy.begin());
            }
            if (!states.count(hash(copy.data(), 40000))) ++torn;
            ++reads;
        }
    });
    std::srand(seed);
    for (int change = 0; change < kChanges; ++change) {
        stepToChange(music);
        const int seen = reads.load();
        while (reads.load() < seen + 2) std::this_thread::yield();
    }
    done = true;
    reader.join();
    MUSICSetLockHooks(nullptr, nullptr);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_GE(reads.load(), 2 * kChanges);
    EXPECT_EQ(hash(music->loop->values, 40000), hash(state.data(), 40000));
    MUSICFree(&music);
}
