#!/usr/bin/env bash
# Installs what the demo needs, builds it and runs the windowed program (needs a display).
. "$(dirname "$0")/lib.sh"
need build
# The release preset: -O2, as the tests and benchmarks are (CMakeLists.txt), so the frames
# measured in bench/ are the frames this program draws.
configure release
build release demo-linux-window demo-linux-fullscreen
exec "$(tree release)/demo-linux-window"
