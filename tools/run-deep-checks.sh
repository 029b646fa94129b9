#!/usr/bin/env bash
# The deep checks, beyond tools/run-tests.sh:
#   alloc     the allocation-failure sweeps (tests/test_alloc_modules.cpp, test_alloc_demo.cpp)
#             in a clang AddressSanitizer + UndefinedBehaviorSanitizer build, leaks checked;
#   fuzz      every libFuzzer target for KOVA_DEEP_FUZZ_SECONDS (default 600) each (tools/fuzz.sh);
#   valgrind  one whole cycle and the fade recorded by kova-record under memcheck, then the
#             windowed program under Xvfb until Escape: no error and no leak but libX11's input
#             context (tests/valgrind.supp);
#   tsan      the sound path's threaded tests under ThreadSanitizer (ctest label "tsan"), four
#             hundred changes of the music's loop among them;
#   soak      five whole cycles at 50 frames per second across the clock's wrap (tools/soak.py).
# Installs what it needs first. Build trees: $KOVA_DEEP_BUILD/{gcc,asan,tsan,fuzz} (default
# build/deep; tools/run-tests.sh passes "build" to reuse its own). KOVA_DEEP_SKIP lists stages to
# leave out, e.g. KOVA_DEEP_SKIP="fuzz soak".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh test

trees=${KOVA_DEEP_BUILD:-build/deep}
skip=" ${KOVA_DEEP_SKIP:-} "
jobs=$(nproc)
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"

step() { printf '\n==== %s\n' "$*"; }
wanted() { [[ $skip != *" $1 "* ]]; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The configurations are tools/run-tests.sh's, so that its trees can be shared.
gcc_tree() {
  CXX=g++ CC=gcc cmake -S . -B "$trees/gcc" -G Ninja -DKOVA_WERROR=ON >/dev/null
  cmake --build "$trees/gcc" -j "$jobs" --target "$@"
}

if wanted alloc; then
  step "allocation failure at every point (AddressSanitizer + UndefinedBehaviorSanitizer)"
  CXX=clang++ CC=clang cmake -S . -B "$trees/asan" -G Ninja -DKOVA_WERROR=ON \
    -DKOVA_SANITIZE=address,undefined -DKOVA_BENCH=OFF >/dev/null
  cmake --build "$trees/asan" -j "$jobs" --target test_alloc_modules test_alloc_demo
  ctest --test-dir "$trees/asan" --output-on-failure -j "$jobs" -R '^(AllocationFailure|Shard/CycleSweep)\.'
fi

if wanted fuzz; then
  step "fuzzing: every target for ${KOVA_DEEP_FUZZ_SECONDS:-600} s"
  KOVA_FUZZ_BUILD="$trees/fuzz" tools/fuzz.sh "${KOVA_DEEP_FUZZ_SECONDS:-600}"
fi

if wanted valgrind; then
  step "valgrind memcheck: a whole cycle recorded, and the windowed program until Escape"
  gcc_tree kova-record demo-linux-window
  memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --num-callers=40
            --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible
            --suppressions="$root/tests/valgrind.supp")
  # 2,896 frames are one whole cycle at 25 frames per second; Escape then fades 64 more.
  "${memcheck[@]}" --log-file="$work/record.vg" "$trees/gcc/tools/record/kova-record" \
    --frames 2896 --only 1,2960 --out "$work/record" ||
    { cat "$work/record.vg"; echo "memcheck found errors in kova-record"; exit 1; }
  grep -E 'ERROR SUMMARY|definitely lost' "$work/record.vg"

  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
  for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n 1 "$work/display")
  SDL_AUDIODRIVER=dummy "${memcheck[@]}" --log-file="$work/program.vg" "$trees/gcc/demo-linux-window" &
  program=$!
  window=$(timeout 120 xdotool search --sync --name '^KOVA1301$' | head -n 1)
  sleep 10  # a few hundred frames under memcheck
  xdotool keydown --window "$window" Escape 2>/dev/null
  sleep 2   # held for more than a frame, however slow
  xdotool keyup --window "$window" Escape 2>/dev/null || true
  status=0
  wait $program || status=$?
  kill $xvfb 2>/dev/null || true
  unset DISPLAY
  if [ $status -ne 0 ]; then
    cat "$work/program.vg"; echo "memcheck: the windowed program ended with status $status"; exit 1
  fi
  grep -E 'ERROR SUMMARY|definitely lost|suppressed:' "$work/program.vg"
fi

if wanted tsan; then
  step "ThreadSanitizer: the sound path"
  CXX=clang++ CC=clang cmake -S . -B "$trees/tsan" -G Ninja -DKOVA_WERROR=ON \
    -DKOVA_SANITIZE=thread -DKOVA_BENCH=OFF >/dev/null
  cmake --build "$trees/tsan" -j "$jobs" --target test_sdlsnd test_soundtrack test_music
  TSAN_OPTIONS="halt_on_error=1" ctest --test-dir "$trees/tsan" --output-on-failure -L tsan --timeout 600
fi

if wanted soak; then
  step "soak: five cycles at 50 frames per second across the clock's wrap"
  gcc_tree kova-record
  python3 tools/soak.py "$trees/gcc/tools/record/kova-record"
fi

step "deep checks passed"
