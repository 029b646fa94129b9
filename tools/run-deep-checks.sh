#!/usr/bin/env bash
# The deep checks, beyond tools/run-tests.sh:
#   alloc     the allocation-failure sweeps (tests/test_alloc_modules.cpp, test_alloc_demo.cpp)
#             in the asan build (clang, AddressSanitizer + UndefinedBehaviorSanitizer), leaks checked;
#   fuzz      every libFuzzer target for --fuzz-seconds (default 600) each (tools/fuzz.sh);
#   valgrind  one whole cycle and the fade recorded by kova-record under memcheck, then the
#             windowed program under Xvfb until Escape: no error and no leak but libX11's input
#             context (tests/valgrind.supp);
#   tsan      the threaded tests (ctest label "tsan") in the tsan build, four hundred changes of
#             the music's loop among them;
#   soak      five whole cycles at 50 frames per second across the clock's wrap (tools/soak.py).
#   tools/run-deep-checks.sh [--fuzz-seconds N] [STAGE...]     (no STAGE: every stage)
# Installs what it needs first. The build trees are the presets' (build/gcc, build/asan, ...),
# shared with tools/run-tests.sh, which runs the valgrind and soak stages through this script.
# KOVA_SKIP lists stages to leave out, e.g. KOVA_SKIP="fuzz soak".
. "$(dirname "$0")/lib.sh"
usage() { echo "usage: tools/run-deep-checks.sh [--fuzz-seconds N] [alloc|fuzz|valgrind|tsan|soak...]" >&2; exit 2; }
fuzz_seconds=600
if [ "${1:-}" = --fuzz-seconds ]; then
  [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
  fuzz_seconds=$2
  shift 2
fi
stages=("$@")
[ ${#stages[@]} -gt 0 ] || stages=(alloc fuzz valgrind tsan soak)
for stage in "${stages[@]}"; do
  [[ " alloc fuzz valgrind tsan soak " = *" $stage "* ]] || usage
done
need test
sanitizer_env
jobs=$(nproc)

wanted() { [[ " ${stages[*]} " = *" $1 "* ]] && ! skipped "$1"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

gcc_tree() {
  configure gcc
  build gcc "$@"
}

if wanted alloc; then
  step "allocation failure at every point (AddressSanitizer + UndefinedBehaviorSanitizer)"
  configure asan
  build asan test_alloc_modules test_alloc_demo
  ctest --test-dir "$(tree asan)" --output-on-failure -j "$jobs" -R '^(AllocationFailure|Shard/CycleSweep)\.'
fi

if wanted fuzz; then
  step "fuzzing: every target for $fuzz_seconds s"
  tools/fuzz.sh "$fuzz_seconds"
fi

if wanted valgrind; then
  step "valgrind memcheck: a whole cycle recorded, and the windowed program until Escape"
  gcc_tree kova-record demo-linux-window
  memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --num-callers=40
            --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible
            --suppressions="$root/tests/valgrind.supp")
  # 2,896 frames are one whole cycle at 25 frames per second; Escape then fades 64 more.
  "${memcheck[@]}" --log-file="$work/record.vg" "$(tree gcc)/tools/record/kova-record" \
    --frames 2896 --only 1,2960 --out "$work/record" ||
    { cat "$work/record.vg"; echo "memcheck found errors in kova-record"; exit 1; }
  grep -E 'ERROR SUMMARY|definitely lost' "$work/record.vg"

  xvfb=
  trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
  start_xvfb "$work"
  DISPLAY=$xvfb_display SDL_AUDIODRIVER=dummy "${memcheck[@]}" --log-file="$work/program.vg" \
    "$(tree gcc)/demo-linux-window" &
  program=$!
  # A few hundred frames under memcheck, then Escape.
  press_escape "$xvfb_display" 120 10 2 || {
    kill $program 2>/dev/null || true; echo "memcheck: the windowed program showed no window"; exit 1; }
  status=0
  wait $program || status=$?
  kill $xvfb 2>/dev/null || true
  if [ $status -ne 0 ]; then
    cat "$work/program.vg"; echo "memcheck: the windowed program ended with status $status"; exit 1
  fi
  grep -E 'ERROR SUMMARY|definitely lost|suppressed:' "$work/program.vg"
fi

if wanted tsan; then
  step "ThreadSanitizer: the sound path"
  configure tsan
  build tsan kova-tsan-tests   # the programs of the tests labelled "tsan" (tests/CMakeLists.txt)
  ctest --test-dir "$(tree tsan)" --output-on-failure -L tsan --timeout 600
fi

if wanted soak; then
  step "soak: five cycles at 50 frames per second across the clock's wrap"
  gcc_tree kova-record
  python3 tools/soak.py "$(tree gcc)/tools/record/kova-record"
fi

step "deep checks passed"
