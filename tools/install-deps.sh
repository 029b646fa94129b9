#!/usr/bin/env bash
# Installs, from Debian 12's own archive, what one job needs, by group:
#   build     the compiler, CMake, Ninja and SDL 1.2: enough to build and play the demo
#             (tools/run-demo.sh)
#   test      (with build) the tests, sanitizers, benchmarks and checkers (tools/run-tests.sh,
#             tools/run-deep-checks.sh): clang, GoogleTest, Google Benchmark, valgrind, a virtual
#             X server and xdotool, ImageMagick, sox, wine, chromium with the browser driver from
#             npm, ffmpeg and debootstrap
#   windows   the Windows programs: mingw-w64 and Debian's source entries (tools/build-windows.sh)
#   web       the web page: emscripten (tools/build-web.sh)
#   release   (with build, windows and web) ffmpeg for the capture video (tools/release.sh)
#   assets    the asset generators (tools/assets/make-all.sh): the PC console font
#   all       every group (also what no argument means)
#   tools/install-deps.sh build web
# Uses sudo when not run as root. Safe to run again: apt skips what is installed.
. "$(dirname "$0")/lib.sh"

declare -A group=(
  [build]="g++ cmake ninja-build pkg-config python3 libsdl1.2-dev"
  [test]="clang libgtest-dev libbenchmark-dev libclang-rt-14-dev libsdl-gfx1.2-dev libsdl-image1.2-dev
          valgrind xvfb xdotool x11-apps x11-utils imagemagick sox libx11-dev gdb
          wine wine64 chromium ffmpeg debootstrap unzip"
  [windows]="cmake ninja-build python3 g++-mingw-w64-x86-64 dpkg-dev"
  [web]="cmake ninja-build python3 emscripten"
  [release]="ffmpeg"
  [assets]="python3 console-setup-linux"
)
wanted=("$@")
[ ${#wanted[@]} -gt 0 ] || wanted=(all)
if [[ " ${wanted[*]} " = *" all "* ]]; then wanted=(build test windows web release assets); fi
# The tests build the programs; the release is made of the other builds.
if [[ " ${wanted[*]} " = *" test "* ]]; then wanted+=(build); fi
if [[ " ${wanted[*]} " = *" release "* ]]; then wanted+=(build windows web); fi

packages=()
for name in "${wanted[@]}"; do
  [ -n "${group[$name]+set}" ] || {
    echo "install-deps: no group '$name' (build, test, windows, web, release, assets, all)" >&2; exit 2; }
  # shellcheck disable=SC2206
  packages+=(${group[$name]})
done
want() { [[ " ${wanted[*]} " = *" $1 "* ]]; }

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

# The Windows programs' SDL is built from Debian's own source package: enable source entries
# for the archives the system already uses, unless some entry does so already.
updated=
if want windows && ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${as_root[@]}" tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
      "${as_root[@]}" tee /etc/apt/sources.list.d/debian-src.list >/dev/null
  fi
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  updated=1
fi

missing=()
for p in "${packages[@]}"; do
  [[ " ${missing[*]} " = *" $p "* ]] && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  [ -n "$updated" ] || "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The web page's test drives chromium with playwright-core from npm (pinned in
# tests/e2e/package-lock.json; it downloads no browser), kept in build/web-node. Debian's npm
# comes apart from its Node; a Node from elsewhere brings its own.
if want test; then
  if ! command -v npm >/dev/null; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends npm
  fi
  node_dir=$(tree web-node)
  if ! cmp -s "$root/tests/e2e/package-lock.json" "$node_dir/package-lock.json" ||
     [ ! -d "$node_dir/node_modules/playwright-core" ]; then
    mkdir -p "$node_dir"
    cp "$root/tests/e2e/package.json" "$root/tests/e2e/package-lock.json" "$node_dir/"
    (cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
  fi
fi
