#!/usr/bin/env bash
# Installs, from Debian 12's own archive, everything the demo, its tests and its benchmarks
# need. Uses sudo when not run as root. Safe to run again: apt skips what is installed.
set -euo pipefail

packages=(
  # build
  g++ clang cmake ninja-build pkg-config python3
  libsdl1.2-dev
  # tests, sanitizers, benchmarks
  libgtest-dev libbenchmark-dev libclang-rt-14-dev libsdl-gfx1.2-dev libsdl-image1.2-dev
  # the speed regression check (instruction counts) and the deep checks (memcheck)
  valgrind
  # end-to-end tests: a virtual X server, keys, screenshots, sound checks
  xvfb xdotool x11-apps x11-utils imagemagick sox libx11-dev gdb
  # the Windows programs: cross compiler, SDL's source package, wine to run them
  g++-mingw-w64-x86-64 dpkg-dev wine wine64
  # the web page: the compiler with its SDL 1.2, and the browser that its test drives
  emscripten chromium
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

# The Windows programs' SDL is built from Debian's own source package: enable source entries
# for the archives the system already uses, unless some entry does so already.
updated=
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
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
if ! command -v npm >/dev/null; then
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends npm
fi
root=$(cd "$(dirname "$0")/.." && pwd)
node_dir=$root/build/web-node
if ! cmp -s "$root/tests/e2e/package-lock.json" "$node_dir/package-lock.json" ||
   [ ! -d "$node_dir/node_modules/playwright-core" ]; then
  mkdir -p "$node_dir"
  cp "$root/tests/e2e/package.json" "$root/tests/e2e/package-lock.json" "$node_dir/"
  (cd "$node_dir" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund --loglevel=error)
fi
