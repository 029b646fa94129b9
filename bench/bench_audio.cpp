// The sound buffers beside the floors a user would compare them with: SAMPLEAdd and the shifts
// over a 40,000-value loop next to std::transform and memcpy of the same size, and one change
// of the music loop next to the memory traffic it cannot avoid. Ratios are printed at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/sample.h"

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

void SAMPLEShiftLeft40000(benchmark::State &state)
{
    SAMPLE *a = noise(kLoop, 3);
    for (auto _ : state) {
        SAMPLEShiftLeft(a, 1);
        touch(a->values);
    }
    SAMPLEFree(&a);
}
BENCHMARK(SAMPLEShiftLeft40000);

void SAMPLEShiftRight40000(benchmark::State &state)
{
    SAMPLE *a = noise(kLoop, 4);
    for (auto _ : state) {
        SAMPLEShiftRight(a, 1);
        touch(a->values);
    }
    SAMPLEFree(&a);
}
BENCHMARK(SAMPLEShiftRight40000);

void SAMPLERotateRight40000(benchmark::State &state)
{
    SAMPLE *a = noise(kLoop, 5);
    for (auto _ : state) {
        SAMPLERotateRight(a, 2500);
        touch(a->values);
    }
    SAMPLEFree(&a);
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

// Keeps the median (or, without repetitions, the mean) CPU time of every benchmark in
// nanoseconds, for the ratios printed after the runs. CPU time, because the machine is shared
// and wall time there mostly measures the other processes.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !ns.count(name + "#median")))
                ns[name] = run.GetAdjustedCPUTime() * scale(run.time_unit);
            if (median) ns[name + "#median"] = 1;
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    static double scale(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

void ratio(const RatioReporter &r, const char *what, const char *a, const char *b, const char *note)
{
    const auto x = r.ns.find(a), y = r.ns.find(b);
    if (x == r.ns.end() || y == r.ns.end() || y->second <= 0) return;
    std::printf("  %-48s %7.2f   (%s)\n", what, x->second / y->second, note);
}

void absolute(const RatioReporter &r, const char *what, const char *a, const char *note)
{
    const auto x = r.ns.find(a);
    if (x == r.ns.end()) return;
    std::printf("  %-48s %7.2f us (%s)\n", what, x->second / 1000.0, note);
}

}  // namespace

// Without arguments: 9 interleaved repetitions, medians compared.
int main(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=9";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (argc == 1) args.insert(args.end(), {repetitions.data(), interleave.data(), aggregates.data()});
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (medians of this run):\n");
    ratio(reporter, "SAMPLEAdd / std::transform plus, 40,000", "SAMPLEAdd40000", "TransformAdd40000", "floor 1");
    ratio(reporter, "SAMPLEShiftLeft / std::transform shift, 40,000", "SAMPLEShiftLeft40000",
          "TransformShift40000", "floor 1");
    ratio(reporter, "SAMPLEShiftRight / std::transform shift, 40,000", "SAMPLEShiftRight40000",
          "TransformShift40000", "floor 1");
    ratio(reporter, "SAMPLEAdd / memcpy 40,000", "SAMPLEAdd40000", "Memcpy40000", "");
    ratio(reporter, "music change / memcpy 40,000", "MUSICChange", "Memcpy40000",
          "it zeroes, blends and stores the loop: about 3");
    ratio(reporter, "in-place sequence / music change", "MUSICChangeInPlaceSequence", "MUSICChange",
          "speed-up");
    absolute(reporter, "music change (one MUSICStep that rewrites)", "MUSICChange", "every 300 frames");
    absolute(reporter, "music step between changes", "MUSICQuietStep", "every frame");
    absolute(reporter, "memcpy 40,000 values", "Memcpy40000", "floor");
    return 0;
}
