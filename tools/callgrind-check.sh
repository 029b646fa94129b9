#!/usr/bin/env bash
# The speed regression check. Runs kova-frame-counts (bench/frame_counts.cpp) under valgrind's
# callgrind and compares the instructions its main thread executes in each measured stretch
# (start-up to the first frame, one frame of each scene, a music change, a sound callback)
# with the counts recorded in bench/callgrind-counts.txt. Instruction counts repeat exactly
# from run to run, unlike times on a shared machine. Fails when a count rose by more than 3%,
# or when a stretch is measured but not recorded or recorded but not measured.
#
#   tools/callgrind-check.sh            check (builds the driver in the g++ build, build/gcc)
#   tools/callgrind-check.sh --record   measure and write bench/callgrind-counts.txt anew
#
# After an intended change of the work a frame does (or a new compiler, library or machine),
# run it with --record and commit the counts file with the change; the check also says when a
# count fell by more than 3%, so that a gain is recorded and then kept. The counts belong to
# the build tools/run-tests.sh makes (g++, -O2) and to the kind of machine they were recorded
# on: valgrind reports the host's processor to the C library, whose copies pick their code by it.
. "$(dirname "$0")/lib.sh"

gcc_dir=$(tree gcc)
counts=bench/callgrind-counts.txt
limit_percent=3
record=0
case "${1:-}" in
  --record) record=1 ;;
  "") ;;
  *) echo "usage: tools/callgrind-check.sh [--record]" >&2; exit 2 ;;
esac

command -v valgrind >/dev/null || { echo "callgrind-check: valgrind is not installed (tools/install-deps.sh)" >&2; exit 1; }
[ -f "$gcc_dir/CMakeCache.txt" ] || configure gcc
build gcc kova-frame-counts

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One file per dump and thread; thread 1 is the program's main thread, where the frames run.
valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$work/counts" \
  "$gcc_dir/bench/kova-frame-counts" >"$work/stdout" 2>"$work/valgrind.log" || {
    tail -n 20 "$work/valgrind.log" >&2; echo "callgrind-check: the driver failed under valgrind" >&2; exit 1; }

# "name count" for every dump the driver asked for, in the order it measured them.
measured=$(for ((n = 1; ; ++n)); do
  file="$work/counts.$n-01"
  [ -f "$file" ] || break
  awk '/^desc: Trigger: Client Request: / { name = $NF } /^summary: / { count = $2 }
       END { if (name != "") print name, count }' "$file"
done)
[ -n "$measured" ] || { echo "callgrind-check: no counts were dumped" >&2; exit 1; }

if [ "$record" = 1 ]; then
  {
    echo "# Instructions of the main thread in each stretch that bench/frame_counts.cpp measures,"
    echo "# counted by valgrind's callgrind; checked by tools/callgrind-check.sh (a rise of more than"
    echo "# ${limit_percent}% fails). Re-record after an intended change: tools/callgrind-check.sh --record"
    echo "# Recorded with $(g++ --version | head -n 1), $(valgrind --version), $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')."
    echo "$measured"
  } >"$counts"
  echo "recorded in $counts:"
  echo "$measured"
  exit 0
fi

[ -f "$counts" ] || { echo "callgrind-check: $counts is missing; record it with --record" >&2; exit 1; }
awk -v limit="$limit_percent" '
  NR == FNR { if ($0 !~ /^#/ && NF == 2) { recorded[$1] = $2; order[++n] = $1 } next }
  { now[$1] = $2; if (!($1 in recorded)) order[++n] = $1 }
  END {
    printf "%-16s %12s %12s %8s\n", "stretch", "recorded", "now", "change"
    failed = 0
    for (i = 1; i <= n; ++i) {
      name = order[i]
      if (!(name in now)) { printf "%-16s %12s %12s  not measured\n", name, recorded[name], "-"; failed = 1; continue }
      if (!(name in recorded)) { printf "%-16s %12s %12s  not recorded\n", name, "-", now[name]; failed = 1; continue }
      change = 100 * (now[name] - recorded[name]) / recorded[name]
      note = change > limit ? "  ROSE" : (change < -limit ? "  fell: record the gain" : "")
      printf "%-16s %12d %12d %+7.2f%%%s\n", name, recorded[name], now[name], change, note
      if (change > limit) failed = 1
    }
    if (failed) { printf "callgrind-check: FAILED (a count rose by more than %s%%, or the stretches differ)\n", limit; exit 1 }
    printf "callgrind-check: every count within +%s%% of the record\n", limit
  }' "$counts" - <<<"$measured"
