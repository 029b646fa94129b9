#!/usr/bin/env bash
# Installs, from Debian 12's own archive, everything the demo, its tests and its benchmarks
# need. Uses sudo when not run as root. Safe to run again: apt skips what is installed.
set -euo pipefail

packages=(
  # build
  g++ clang cmake ninja-build pkg-config python3
  libsdl1.2-dev
  # tests, sanitizers, benchmarks
  libgtest-dev libbenchmark-dev libclang-rt-14-dev libsdl-gfx1.2-dev
  # end-to-end tests: a virtual X server, keys, screenshots, sound checks
  xvfb xdotool x11-apps x11-utils imagemagick sox libx11-dev gdb
  # the Windows programs: cross compiler, SDL's source package, wine to run them
  g++-mingw-w64-x86-64 dpkg-dev wine wine64
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
