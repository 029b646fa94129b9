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
