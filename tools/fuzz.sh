#!/usr/bin/env bash
# Runs the libFuzzer targets (fuzz/fuzz_*.cpp) for a given time each, one after another, at low
# priority, and prints how many inputs each tried:
#   tools/fuzz.sh [SECONDS] [NAME...]     e.g. tools/fuzz.sh 600 Draw IMGLoadPNM
# SECONDS defaults to 60; NAMEs (without fuzz_) to every target. Builds them first in
# build/fuzz-deep (clang, AddressSanitizer + UndefinedBehaviorSanitizer; $KOVA_FUZZ_BUILD to use
# another tree). What each run finds is kept between runs in build/fuzz-deep-corpus/NAME (the
# seeds in fuzz/corpus/NAME are read, never written); an input that fails is left in
# build/fuzz-deep-findings/NAME and ends the script with status 1 after the other targets ran.
# KOVA_FUZZ_JOBS (default 1) runs that many targets side by side. Scratch files go to /dev/shm.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${KOVA_FUZZ_BUILD:-build/fuzz-deep}
jobs=${KOVA_FUZZ_JOBS:-1}

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do names+=("$(basename "$source" .cpp | sed 's/^fuzz_//')"); done
fi
targets=()
for name in "${names[@]}"; do
  [ -f "fuzz/fuzz_$name.cpp" ] || { echo "no fuzz target fuzz/fuzz_$name.cpp" >&2; exit 2; }
  targets+=("fuzz_$name")
done

CXX=clang++ CC=clang cmake -S . -B "$build" -G Ninja -DKOVA_FUZZ=ON -DKOVA_TESTS=OFF -DKOVA_BENCH=OFF \
  -DKOVA_SANITIZE=address,undefined >/dev/null
nice cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >/dev/null

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
# The file readers' targets write a scratch file per input: in memory where there is room.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# One target: its corpus, its findings, its log; prints "NAME: N runs in S s".
run() {
  local name=$1 corpus="build/fuzz-deep-corpus/$1" findings="build/fuzz-deep-findings/$1"
  mkdir -p "$corpus" "$findings"
  local seeds=()
  [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  local status=0
  nice -n 15 "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "${seeds[@]}" \
    >"$findings/log" 2>&1 || status=$?
  local runs
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/log" | tail -n 1)
  if [ $status -ne 0 ]; then
    echo "$name: FAILED after ${runs:-?} runs; input and log in $findings"
    grep -E 'ERROR|runtime error|SUMMARY' "$findings/log" | head -n 5
    return 1
  fi
  echo "$name: ${runs:-?} runs in $seconds s"
}

failed=0
running=0
for name in "${names[@]}"; do
  run "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit $failed
