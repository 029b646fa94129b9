# shellcheck shell=bash
# The shell library of tools/*.sh: sourced first by every script (". "$(dirname "$0")/lib.sh"").
# Sets -euo pipefail, moves to the project's root ($root) and gives:
#   tree PRESET               the build tree of a preset of CMakePresets.json: $KOVA_BUILD/PRESET
#                             ($KOVA_BUILD defaults to build/; set it to keep every tree elsewhere)
#   configure PRESET [ARG...] configures that tree through the preset (quiet unless it fails)
#   build PRESET TARGET...    builds targets in it; CMAKE_BUILD_PARALLEL_LEVEL sets the jobs
#   step TEXT...              the banner a script prints before each of its stages
#   skipped STAGE             true when KOVA_SKIP (a space-separated list) names the stage
#   need GROUP...             installs what the groups of tools/install-deps.sh name
#   sanitizer_env             the sanitizers' run-time options for every sanitized run
#   start_xvfb DIR            a private Xvfb: sets xvfb (its process) and xvfb_display (":N")
#   press_escape D WAIT RUN HOLD  Escape held in the demo's window on display D
# The build flags live in CMakePresets.json only; the scripts configure through it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

kova_build=${KOVA_BUILD:-build}
[[ $kova_build = /* ]] || kova_build=$root/$kova_build

tree() { echo "$kova_build/$1"; }

configure() {
  local preset=$1 log
  shift
  log=$(cmake --preset "$preset" -B "$(tree "$preset")" "$@" 2>&1) || {
    echo "$log" >&2; echo "configuring the $preset build failed" >&2; return 1; }
}

build() {
  local preset=$1
  shift
  cmake --build "$(tree "$preset")" --target "$@" >&2
}

step() { printf '\n==== %s\n' "$*" >&2; }

skipped() { [[ " ${KOVA_SKIP:-} " = *" $1 "* ]]; }

need() { "$root/tools/install-deps.sh" "$@" >&2; }

sanitizer_env() {
  export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
  export TSAN_OPTIONS="halt_on_error=1"
}

# A private virtual X server (24-bit, 1024 x 768, no TCP) for a program's window; its display
# number and log go to DIR. Sets xvfb, the server's process (the caller kills it), and
# xvfb_display. Fails when the server did not come up within ten seconds.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$1/display" 2>"$1/xvfb.log" &
  xvfb=$!
  local _
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.1; done
  [ -s "$1/display" ] || { cat "$1/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
  xvfb_display=:$(head -n 1 "$1/display")
}

# Ends the demo as a viewer does: waits up to WAIT seconds for its window on display D, lets it
# run RUN seconds, then holds Escape for HOLD seconds (longer than a frame, however slowly the
# program runs). Fails when no window showed or the key could not be sent.
press_escape() {
  local display=$1 wait=$2 run=$3 hold=$4 window
  window=$(DISPLAY=$display timeout "$wait" xdotool search --sync --name '^KOVA1301$' | head -n 1) || true
  [ -n "$window" ] || return 1
  sleep "$run"
  DISPLAY=$display xdotool keydown --window "$window" Escape 2>/dev/null || return 1
  sleep "$hold"
  DISPLAY=$display xdotool keyup --window "$window" Escape 2>/dev/null || true
}
