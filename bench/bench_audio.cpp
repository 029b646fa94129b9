// The sound buffers beside the floors a user would compare them with: SAMPLEAdd and the shifts
// over a 40,000-value loop next to std::transform and memcpy of the same size, and one change
// of the music loop next to the memory traffic it cannot avoid. Ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "audio/music.h"
#include "audio/sample.h"
#include "ratio.h"

namespace {

constexpr int32_t kLoop = 40000;
constexpr int32_t kPattern = 11024;

SAMPLE *noise(int32_t length, uint32_t seed)
{
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, length);
    std::mt19937 random(seed);
    for (int32_t i = 0; i < length; ++i) s->values[i] = static_cast<int32_t>(random() % 60001) - 30000;
    return s;
}

void touch(const void *p)
{
    benchmark::DoNotOptimize(p);
    benchmark::ClobberMemory();
}

// ---- Floors ----

void Memcpy40000(benchmark::State &state)
{
    std::vector<int32_t> a(kLoop, 1), b(kLoop);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), sizeof(int32_t) * kLoop);
        touch(b.data());
    }
}
BENCHMARK(Memcpy40000);

void TransformAdd40000(benchmark::State &state)
{
    std::vector<int32_t> a(kLoop, 1), b(kLoop, 2);
    for (auto _ : state) {
        std::transform(a.begin(), a.end(), b.begin(), a.begin(), std::plus<int32_t>());
        touch(a.data());
    }
}
BENCHMARK(TransformAdd40000);

void TransformShift40000(benchmark::State &state)
{
    std::vector<int32_t> a(kLoop, -77);
    for (auto _ : state) {
        std::transform(a.begin(), a.end(), a.begin(), [](int32_t v) { return v >> 1; });
        touch(a.data());
    }
}
BENCHMARK(TransformShift40000);

// ---- The sample module ----

void SAMPLEAdd40000(benchmark::State &state)
{
    SAMPLE *a = noise(kLoop, 1), *b = noise(kLoop, 2);
    for (auto _ : state) {
        SAMPLEAdd(a, b);
        touch(a->values);
    }
    SAMPLEFree(&a);
    SAMPLEFree(&b);
}
BENCHMARK(SAMPLEAdd40000);

// Runs step(loop) once per iteration over 40,000 values of noise.
template <typename Step>
void overLoop(benchmark::State &state, uint32_t seed, Step step)
{
    SAMPLE *a = noise(kLoop, seed);
    for (auto _ : state) {
        step(a);
        touch(a->values);
    }
    SAMPLEFree(&a);
}

void SAMPLEShiftLeft40000(benchmark::State &state)
{
    overLoop(state, 3, [](SAMPLE *a) { SAMPLEShiftLeft(a, 1); });
}
BENCHMARK(SAMPLEShiftLeft40000);

void SAMPLEShiftRight40000(benchmark::State &state)
{
    overLoop(state, 4, [](SAMPLE *a) { SAMPLEShiftRight(a, 1); });
}
BENCHMARK(SAMPLEShiftRight40000);

void SAMPLERotateRight40000(benchmark::State &state)
{
    overLoop(state, 5, [](SAMPLE *a) { SAMPLERotateRight(a, 2500); });
}
BENCHMARK(SAMPLERotateRight40000);

// ---- The music ----

// One change: the step whose countdown runs out, with the demo's 14 patterns of 11,024 values.
void MUSICChange(benchmark::State &state)
{
    MUSIC *music = MUSICNew();
    for (uint32_t p = 0; p < 14; ++p) MUSICAddPattern(music, noise(kPattern, 100 + p));
    std::srand(542388762);
    for (auto _ : state) {
        music->countdown = 1;
        MUSICStep(music);
        touch(music->loop->values);
    }
    MUSICFree(&music);
}
BENCHMARK(MUSICChange);

// The same change as the literal sequence of sample operations on the loop in place
// (zero, add, rotate, add, shift, add, shift): what a direct reading of the algorithm costs.
void MUSICChangeInPlaceSequence(benchmark::State &state)
{
    SAMPLE *loop = noise(kLoop, 6), *scratch = noise(kLoop, 7), *pattern = noise(kPattern, 8);
    std::srand(542388762);
    for (auto _ : state) {
        SAMPLEZero(scratch);
        SAMPLEAdd(scratch, pattern);
        SAMPLERotateRight(scratch, (std::rand() % 16) * 2500);
        SAMPLEAdd(scratch, loop);
        SAMPLEShiftLeft(loop, 1);
        SAMPLEAdd(loop, scratch);
        SAMPLEShiftRight(loop, 2);
        touch(loop->values);
    }
    SAMPLEFree(&loop);
    SAMPLEFree(&scratch);
    SAMPLEFree(&pattern);
}
BENCHMARK(MUSICChangeInPlaceSequence);

// A step between changes: only the countdown.
void MUSICQuietStep(benchmark::State &state)
{
    MUSIC *music = MUSICNew();
    MUSICAddPattern(music, noise(kPattern, 9));
    for (auto _ : state) {
        music->countdown = 300;
        MUSICStep(music);
        touch(music);
    }
    MUSICFree(&music);
}
BENCHMARK(MUSICQuietStep);

}  // namespace

int main(int argc, char **argv)
{
    return kovabench::runWithRatios(argc, argv, [](const kovabench::RatioReporter &r) {
        using kovabench::absolute;
        using kovabench::ratio;
        ratio(r, "SAMPLEAdd / std::transform plus, 40,000", "SAMPLEAdd40000", "TransformAdd40000", "floor 1");
        ratio(r, "SAMPLEShiftLeft / std::transform shift, 40,000", "SAMPLEShiftLeft40000",
              "TransformShift40000", "floor 1");
        ratio(r, "SAMPLEShiftRight / std::transform shift, 40,000", "SAMPLEShiftRight40000",
              "TransformShift40000", "floor 1");
        ratio(r, "SAMPLEAdd / memcpy 40,000", "SAMPLEAdd40000", "Memcpy40000", "");
        ratio(r, "music change / memcpy 40,000", "MUSICChange", "Memcpy40000",
              "it zeroes, blends and stores the loop: about 3");
        ratio(r, "in-place sequence / music change", "MUSICChangeInPlaceSequence", "MUSICChange",
              "speed-up");
        absolute(r, "music change (one MUSICStep that rewrites)", "MUSICChange", "every 300 frames");
        absolute(r, "music step between changes", "MUSICQuietStep", "every frame");
        absolute(r, "memcpy 40,000 values", "Memcpy40000", "floor");
    });
}
