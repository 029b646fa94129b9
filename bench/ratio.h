// What every benchmark program shares: a console reporter that keeps one time per benchmark,
// the printers of the ratio and absolute lines that close a run, and a main that runs with
// interleaved repetitions by default. Header-only, in namespace kovabench.
//
// The time kept for a benchmark is the median CPU time of its repetitions (with a single
// repetition, that run's CPU time), in nanoseconds, under its function name. CPU time, because
// the machine is shared and wall time there mostly measures the other processes; medians,
// because one disturbed repetition then moves nothing. A benchmark that measures its own time
// (UseManualTime, e.g. the CPU time of a child process) or asks for wall time is kept by that
// time instead. Compare times measured in one run only.
//
// Every run states the build it measured (build type, compiler, optimisation flags), in the
// context lines at the top and again above the ratios: KOVA_BENCH_BUILD, set by the build.
//
//   int main(int argc, char **argv)
//   {
//       return kovabench::runWithRatios(argc, argv, [](const kovabench::RatioReporter &r) {
//           kovabench::ratio(r, "ours / memcpy 64 KiB", "Ours", "Memcpy64K", "at most 2");
//           kovabench::absolute(r, "ours", "Ours", "at most 3 us");
//       });
//   }
//
// Without arguments the program runs `repetitions` interleaved repetitions of every benchmark
// and shows only their aggregates; with any argument it runs exactly what the arguments say.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#ifndef KOVA_BENCH_BUILD
#define KOVA_BENCH_BUILD "unknown build"
#endif

namespace kovabench {

// The build these benchmarks were compiled in, as the build system described it.
inline const char *build() { return KOVA_BENCH_BUILD; }

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // The kept time of a benchmark in nanoseconds; empty if it did not run (or failed).
    std::optional<double> nanoseconds(const std::string &name) const
    {
        const auto found = times.find(name);
        if (found == times.end()) return std::nullopt;
        return found->second;
    }

    // Whether the kept times are medians of repetitions rather than single runs.
    bool medians() const { return !withMedian.empty(); }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            const std::string &name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name != "median") continue;
                withMedian.insert(name);
            } else if (withMedian.count(name)) {
                continue;
            }
            const bool ownTime = !run.run_name.time_type.empty();  // "manual_time" or "real_time"
            times[name] = (ownTime ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime()) *
                          nanosecondsPer(run.time_unit);
        }
        ConsoleReporter::ReportRuns(runs);
    }

private:
    std::map<std::string, double> times;
    std::set<std::string> withMedian;

    static double nanosecondsPer(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

namespace detail {

// "  what  value unit (note)", the columns aligned; no parentheses without a note.
inline void line(const char *what, double value, const char *unit, const char *note)
{
    if (note && *note) std::printf("  %-48s %7.2f %-2s (%s)\n", what, value, unit, note);
    else if (*unit) std::printf("  %-48s %7.2f %s\n", what, value, unit);
    else std::printf("  %-48s %7.2f\n", what, value);
}

}  // namespace detail

// Prints time(a) / time(b) with its target or note; nothing if either did not run.
inline void ratio(const RatioReporter &r, const char *what, const char *a, const char *b,
                  const char *note)
{
    const auto x = r.nanoseconds(a), y = r.nanoseconds(b);
    if (!x || !y || *y <= 0) return;
    detail::line(what, *x / *y, "", note);
}

// Prints time(a) / per in microseconds (per: the passes one iteration makes) with its target
// or note; nothing if it did not run.
inline void absolute(const RatioReporter &r, const char *what, const char *a, const char *note,
                     double per = 1)
{
    const auto x = r.nanoseconds(a);
    if (!x || per <= 0) return;
    detail::line(what, *x / per / 1000.0, "us", note);
}

// Runs the benchmarks the arguments select (by default `repetitions` interleaved repetitions
// of all), then calls print(reporter) under a heading. Returns main's exit status: 1 for an
// argument the library does not know.
template <typename Print>
int runWithRatios(int argc, char **argv, Print print, int repetitions = 9)
{
    std::vector<char *> args(argv, argv + argc);
    std::string repeat = "--benchmark_repetitions=" + std::to_string(repetitions);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    if (argc == 1) args.insert(args.end(), {repeat.data(), interleave.data(), aggregates.data()});
    int count = int(args.size());
    args.push_back(nullptr);  // argv[argc] is null for the library as for main
    benchmark::AddCustomContext("kova build", build());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (%s; %s):\n", reporter.medians() ? "medians of this run" : "one run of each",
                build());
    const RatioReporter &kept = reporter;
    print(kept);
    return 0;
}

}  // namespace kovabench
