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
# the build tools/run-tests.sh makes (g++, -O2), and are the same on every x86-64: the driver
# runs the portable vector code (no AVX2 copies), and the C library is told to pick the
# baseline copies of its string and memory functions, with fixed cache sizes, whatever
# processor valgrind reports to it.
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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -f "$gcc_dir/CMakeCache.txt" ] || configure gcc
build gcc kova-frame-counts 2>"$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
# glibc's processor-dependent choices, fixed: every feature beyond the x86-64 baseline off for
# its copies, its preferences and thresholds set.
features=AVX,AVX2,AVX512F,AVX512VL,AVX512BW,AVX512DQ,AVX512CD,AVX_Fast_Unaligned_Load,FMA,FMA4
features+=,ERMS,SSSE3,SSE4_1,SSE4_2,BMI1,BMI2,LZCNT,MOVBE,POPCNT,RTM,Prefer_ERMS,Prefer_FSRM
features+=,Fast_Unaligned_Copy,Fast_Unaligned_Load,Fast_Copy_Backward,Fast_Rep_String
features+=,Prefer_No_VZEROUPPER,Prefer_PMINUB_for_stringop,Avoid_Short_Distance_REP_MOVSB
features+=,Slow_BSF,Slow_SSE4_2
tunables="glibc.cpu.hwcaps=-${features//,/,-}"
tunables+=":glibc.cpu.x86_data_cache_size=0x8000:glibc.cpu.x86_shared_cache_size=0x100000"
tunables+=":glibc.cpu.x86_non_temporal_threshold=0xc0000"
tunables+=":glibc.cpu.x86_rep_movsb_threshold=0x800:glibc.cpu.x86_rep_stosb_threshold=0x800"
# One file per dump and thread; thread 1 is the program's main thread, where the frames run.
GLIBC_TUNABLES=$tunables valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$work/counts" \
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
    echo "# Portable vector code and the C library's baseline copies: the same on every x86-64."
    echo "# Recorded with $(g++ --version | head -n 1), $(valgrind --version), $(ldd --version | head -n 1)."
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
