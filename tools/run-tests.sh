#!/usr/bin/env bash
# Installs what the tests need, then builds and runs every test:
#   1. g++ build, warnings as errors: unit tests, end-to-end tests under Xvfb (and, where wine
#      is installed, the Windows programs built by tools/build-windows.sh and run under wine),
#      benchmarks built; then the instructions of start-up and of one frame of each scene,
#      counted by valgrind's callgrind, against bench/callgrind-counts.txt (tools/callgrind-check.sh);
#   2. where chromium is installed: the web page built with emscripten (tools/build-web.sh) and
#      played in headless chromium against kova-record's frames (tests/e2e/e2e_web.mjs);
#   2b. the release (tools/release.sh) checked: its files, texts, checksums and video
#      (tests/release/check_release.py), and the Linux programs run in a fresh Debian 12 root
#      holding only SDL 1.2's runtime (tests/release/fresh_root.sh);
#   3. clang build with AddressSanitizer + UndefinedBehaviorSanitizer: the same tests;
#   4. clang build with ThreadSanitizer: the tests labelled "tsan" (the sound path);
#   5. clang libFuzzer build: every fuzz target for KOVA_FUZZ_SECONDS (default 20) seconds;
#   6. the module library as its users meet it (tools/check-library.sh): installed from the g++
#      build into a temporary prefix that is then moved, every installed header compiled alone,
#      the reference's code examples and the programs in examples/ built through find_package
#      and pkg-config, and the programs run on good and bad input;
#   7. the deep checks that fit here (tools/run-deep-checks.sh): a whole recorded cycle and the
#      windowed program under valgrind's memcheck, and the soak; the allocation-failure sweeps
#      run among the unit tests of 1 and 3.
# Build trees live in build/; set KOVA_SKIP to a list of
# "gcc callgrind web release asan tsan fuzz library deep" to leave some out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh test windows web

jobs=$(nproc)
skip=" ${KOVA_SKIP:-} "
fuzz_seconds=${KOVA_FUZZ_SECONDS:-20}
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"

step() { printf '\n==== %s\n' "$*"; }

if [[ $skip != *" gcc "* ]]; then
  step "g++: build and test"
  CXX=g++ CC=gcc cmake -S . -B build/gcc -G Ninja -DKOVA_WERROR=ON
  cmake --build build/gcc -j "$jobs"
  ctest --test-dir build/gcc --output-on-failure -j "$jobs" --timeout 600
fi

if [[ $skip != *" callgrind "* ]]; then
  step "callgrind: instruction counts of start-up and of a frame of each scene"
  KOVA_BUILD=build/gcc tools/callgrind-check.sh
fi

if [[ $skip != *" web "* ]] && command -v chromium >/dev/null; then
  step "emcc: the web page in headless chromium"
  tools/build-web.sh
  recorder=$(tools/build-recorder.sh)
  node tests/e2e/e2e_web.mjs build/web-demo/page "$recorder" build/web-node/node_modules
fi

if [[ $skip != *" release "* ]]; then
  step "release: tools/release.sh, its contents, and the Linux programs in a fresh Debian 12 root"
  # The Windows and web builds are the ones made above; the recorder is the g++ build's.
  KOVA_RECORDER=$(tools/build-recorder.sh) tools/release.sh
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/dist-linux/CMakeCache.txt)
  python3 tests/release/check_release.py "dist/KOVA1301-$version" "$version"
  tests/release/fresh_root.sh "dist/KOVA1301-$version/linux"
fi

if [[ $skip != *" asan "* ]]; then
  step "clang: AddressSanitizer + UndefinedBehaviorSanitizer"
  CXX=clang++ CC=clang cmake -S . -B build/asan -G Ninja -DKOVA_WERROR=ON \
    -DKOVA_SANITIZE=address,undefined -DKOVA_BENCH=OFF
  cmake --build build/asan -j "$jobs"
  ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 900
fi

if [[ $skip != *" tsan "* ]]; then
  step "clang: ThreadSanitizer (sound path)"
  CXX=clang++ CC=clang cmake -S . -B build/tsan -G Ninja -DKOVA_WERROR=ON \
    -DKOVA_SANITIZE=thread -DKOVA_BENCH=OFF
  cmake --build build/tsan -j "$jobs" --target test_sdlsnd test_soundtrack test_music
  TSAN_OPTIONS="halt_on_error=1" ctest --test-dir build/tsan --output-on-failure -L tsan \
    --no-tests=ignore --timeout 600
fi

if [[ $skip != *" fuzz "* ]]; then
  step "clang: libFuzzer targets, ${fuzz_seconds}s each"
  CXX=clang++ CC=clang cmake -S . -B build/fuzz -G Ninja -DKOVA_FUZZ=ON -DKOVA_TESTS=OFF \
    -DKOVA_BENCH=OFF -DKOVA_SANITIZE=address,undefined
  fuzz_targets=()
  for source in fuzz/fuzz_*.cpp; do fuzz_targets+=("$(basename "$source" .cpp)"); done
  cmake --build build/fuzz -j "$jobs" --target "${fuzz_targets[@]}"
  for target in build/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target"); name=${name#fuzz_}
    work=$(mktemp -d)
    corpus=()
    [ -d "fuzz/corpus/$name" ] && corpus=("fuzz/corpus/$name")
    echo "-- $name"
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" "$work" "${corpus[@]}" 2>"$work/log" || {
        tail -n 40 "$work/log"; echo "fuzz target $name failed; crash inputs in $work"; exit 1; }
    grep -E '^(#[0-9]+ *DONE|Done)' "$work/log" | tail -n 1 || true
    rm -rf "$work"
  done
fi

if [[ $skip != *" library "* ]]; then
  step "library: installed, moved, and built against as a user would"
  CXX=g++ tools/check-library.sh build/gcc
fi

if [[ $skip != *" deep "* ]]; then
  step "deep checks: memcheck of a whole cycle and of the program, the soak"
  KOVA_DEEP_BUILD=build KOVA_DEEP_SKIP="alloc fuzz tsan" tools/run-deep-checks.sh
fi

step "all tests passed"
