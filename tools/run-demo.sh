#!/usr/bin/env bash
# Installs what the demo needs, builds it and runs the windowed program (needs a display).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh build
# Release is -O2, as the tests and benchmarks are (CMakeLists.txt): the frames measured in
# bench/ are the frames this program draws.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_TESTS=OFF -DKOVA_BENCH=OFF
cmake --build build/release --target demo-linux-window demo-linux-fullscreen
exec build/release/demo-linux-window
