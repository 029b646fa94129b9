#!/usr/bin/env bash
# Builds kova-record and prints its path: in build/gcc, or the build tree named by KOVA_BUILD,
# configured like tools/run-tests.sh's g++ build when it does not exist yet. Build messages go
# to standard error, so scripts can write rec=$(tools/build-recorder.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KOVA_BUILD:-build/gcc}
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=${CXX:-g++} CC=${CC:-gcc} cmake -S . -B "$build" -G Ninja -DKOVA_WERROR=ON >&2
fi
cmake --build "$build" --target kova-record >&2
[[ $build = /* ]] || build=$PWD/$build
echo "$build/tools/record/kova-record"
