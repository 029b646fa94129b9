#!/usr/bin/env bash
# Runs the libFuzzer targets (fuzz/fuzz_*.cpp) for a given time each, one after another, at low
# priority, and prints how many inputs each tried:
#   tools/fuzz.sh [--jobs N] [SECONDS] [NAME...]     e.g. tools/fuzz.sh 600 Draw IMGLoadPNM
# SECONDS defaults to 60; NAMEs (without fuzz_) to every target; --jobs runs N targets side by
# side (default 1). Builds them first in the fuzz preset's tree, build/fuzz (clang,
# AddressSanitizer + UndefinedBehaviorSanitizer). What each run finds is kept between runs in
# build/fuzz-corpus/NAME (the seeds in fuzz/corpus/NAME are read, never written); an input that
# fails is left in build/fuzz-findings/NAME and ends the script with status 1 after the other
# targets ran. Scratch files go to /dev/shm.
. "$(dirname "$0")/lib.sh"
jobs=1
if [ "${1:-}" = --jobs ]; then
  [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "usage: tools/fuzz.sh [--jobs N] [SECONDS] [NAME...]" >&2; exit 2; }
  jobs=$2
  shift 2
fi
seconds=${1:-60}
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "usage: tools/fuzz.sh [--jobs N] [SECONDS] [NAME...]" >&2; exit 2; }
[ $# -gt 0 ] && shift
build=$(tree fuzz)
state=$(tree fuzz-corpus)
findings_root=$(tree fuzz-findings)

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for source in fuzz/fuzz_*.cpp; do names+=("$(basename "$source" .cpp | sed 's/^fuzz_//')"); done
fi
targets=()
for name in "${names[@]}"; do
  [ -f "fuzz/fuzz_$name.cpp" ] || { echo "no fuzz target fuzz/fuzz_$name.cpp" >&2; exit 2; }
  targets+=("fuzz_$name")
done

configure fuzz
nice cmake --build "$build" --target "${targets[@]}" >/dev/null

sanitizer_env
# The file readers' targets write a scratch file per input: in memory where there is room.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# One target: its corpus, its findings, its log; prints "NAME: N runs in S s".
run() {
  local name=$1 corpus="$state/$1" findings="$findings_root/$1"
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
