#!/usr/bin/env bash
# Installs what the tests need, then builds and runs every test, stage by stage:
#   gcc        the gcc preset, warnings as errors: unit tests and every end-to-end test
#              (tests/e2e/CMakeLists.txt): the programs under Xvfb, kova-record's recordings and
#              golden frames, and where the tools are installed the Windows programs under wine
#              (tools/build-windows.sh) and the web page in headless chromium (tools/build-web.sh)
#              against kova-record's frames; the benchmarks built;
#   callgrind  the instructions of start-up and of one frame of each scene, counted by valgrind's
#              callgrind, against bench/callgrind-counts.txt (tools/callgrind-check.sh);
#   release    the release (tools/release.sh) checked: its files, texts, checksums and video
#              (tests/release/check_release.py), and the Linux programs run in a fresh Debian 12
#              root holding only SDL 1.2's runtime (tests/release/fresh_root.sh);
#   asan       the asan preset (clang, AddressSanitizer + UndefinedBehaviorSanitizer): the same
#              tests but the wine and web ones;
#   tsan       the tests labelled "tsan" (the sound path) under ThreadSanitizer
#              (tools/run-deep-checks.sh tsan);
#   fuzz       every libFuzzer target for --fuzz-seconds (default 20) seconds (tools/fuzz.sh);
#   library    the module library as its users meet it (tools/check-library.sh): installed from
#              the g++ build into a temporary prefix that is then moved, every installed header
#              compiled alone, the reference's code examples and the programs in examples/ built
#              through find_package and pkg-config, and the programs run on good and bad input;
#   deep       the deep checks that fit here (tools/run-deep-checks.sh valgrind soak): a whole
#              recorded cycle and the windowed program under valgrind's memcheck, and the soak; the
#              allocation-failure sweeps run among the unit tests of gcc and asan.
#   tools/run-tests.sh [--fuzz-seconds N]
# Build trees are the presets' (CMakePresets.json) under build/. KOVA_SKIP lists stages to leave
# out: any of "gcc callgrind release asan tsan fuzz library deep", and "web" or "wine" for those two
# end-to-end tests alone.
. "$(dirname "$0")/lib.sh"
fuzz_seconds=20
if [ "${1:-}" = --fuzz-seconds ]; then
  [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "usage: tools/run-tests.sh [--fuzz-seconds N]" >&2; exit 2; }
  fuzz_seconds=$2
elif [ $# -gt 0 ]; then
  echo "usage: tools/run-tests.sh [--fuzz-seconds N]" >&2; exit 2
fi
need test windows web
sanitizer_env
jobs=$(nproc)

# The end-to-end tests left out by KOVA_SKIP, as a ctest exclusion.
excluded=()
for name in web wine; do skipped "$name" && excluded+=("e2e_$name"); done
exclude=()
[ ${#excluded[@]} -eq 0 ] || exclude=(-E "^($(IFS='|'; echo "${excluded[*]}"))\$")

if ! skipped gcc; then
  step "g++: build and test"
  configure gcc
  cmake --build "$(tree gcc)"
  ctest --test-dir "$(tree gcc)" --output-on-failure -j "$jobs" --timeout 600 "${exclude[@]}"
fi

if ! skipped callgrind; then
  step "callgrind: instruction counts of start-up and of a frame of each scene"
  tools/callgrind-check.sh
fi

if ! skipped release; then
  step "release: tools/release.sh, its contents, and the Linux programs in a fresh Debian 12 root"
  # The Windows and web builds are shared with the tests above; the recorder is the g++ build's.
  tools/release.sh --recorder "$(tools/build-recorder.sh)"
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$(tree release)/CMakeCache.txt")
  python3 tests/release/check_release.py "dist/KOVA1301-$version" "$version"
  tests/release/fresh_root.sh "dist/KOVA1301-$version/linux"
fi

if ! skipped asan; then
  step "clang: AddressSanitizer + UndefinedBehaviorSanitizer"
  configure asan
  cmake --build "$(tree asan)"
  ctest --test-dir "$(tree asan)" --output-on-failure -j "$jobs" --timeout 900 "${exclude[@]}"
fi

if ! skipped tsan; then
  tools/run-deep-checks.sh tsan
fi

if ! skipped fuzz; then
  step "clang: libFuzzer targets, ${fuzz_seconds}s each"
  tools/fuzz.sh "$fuzz_seconds"
fi

if ! skipped library; then
  step "library: installed, moved, and built against as a user would"
  CXX=g++ tools/check-library.sh
fi

if ! skipped deep; then
  step "deep checks: memcheck of a whole cycle and of the program, the soak"
  tools/run-deep-checks.sh valgrind soak
fi

step "all tests passed"
