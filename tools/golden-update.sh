#!/usr/bin/env bash
# Remakes tests/golden/frames.txt after an intended change of the pictures: builds kova-record
# (in build/gcc, or the build tree named by KOVA_BUILD; configured like tools/run-tests.sh's g++
# build when it does not exist yet), records the golden frames again and prints which of them
# changed. Look at the changes, then commit the table with the change of art.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KOVA_BUILD:-build/gcc}
if [ ! -f "$build/CMakeCache.txt" ]; then
  CXX=${CXX:-g++} CC=${CC:-gcc} cmake -S . -B "$build" -G Ninja -DKOVA_WERROR=ON
fi
cmake --build "$build" --target kova-record
exec python3 tests/golden/golden.py update "$build/tools/record/kova-record"
