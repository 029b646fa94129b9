#!/usr/bin/env bash
# Builds the two Windows programs on this Linux machine and packs them, with a short text on
# how to run them, into build/windows/KOVA1301-windows.zip:
#   1. installs what it needs (tools/install-deps.sh windows: mingw-w64, Debian's source entries);
#   2. SDL 1.2 for Windows from Debian's own source package, built static with mingw-w64 into
#      build/win-sdl/prefix, once: later runs reuse it;
#   3. demo-win-window.exe and demo-win-fullscreen.exe, cross-built from this CMake project
#      (the windows preset, cmake/mingw-w64.cmake) in build/windows and linked statically, so
#      that each .exe runs with nothing beside it.
#   tools/build-windows.sh [--no-install]   (--no-install: step 1 left out, as the end-to-end
#                                            test under wine calls it)
. "$(dirname "$0")/lib.sh"
case "${1:-}" in
  --no-install) ;;
  "") need windows ;;
  *) echo "usage: tools/build-windows.sh [--no-install]" >&2; exit 2 ;;
esac

host=x86_64-w64-mingw32
sdl=$(tree win-sdl)
out=$(tree windows)
jobs=$(nproc)

if [ ! -f "$sdl/prefix/.complete" ]; then
  echo "building SDL 1.2 for Windows in $sdl"
  rm -rf "$sdl"
  mkdir -p "$sdl/source" "$sdl/objects"
  (cd "$sdl/source" && apt-get source -qq libsdl1.2 >"$sdl/source.log" 2>&1) || {
    cat "$sdl/source.log"; echo "could not fetch SDL's source package"; exit 1; }
  configure=$(echo "$sdl"/source/libsdl1.2-*/configure)
  [ -x "$configure" ] || { echo "no configure script in $sdl/source"; exit 1; }
  (cd "$sdl/objects" &&
    "$configure" --host=$host --prefix="$sdl/prefix" --disable-shared >"$sdl/build.log" 2>&1 &&
    make -j"$jobs" >>"$sdl/build.log" 2>&1 &&
    make install >>"$sdl/build.log" 2>&1) || {
    tail -n 30 "$sdl/build.log"; echo "SDL's build failed; the whole log is $sdl/build.log"; exit 1; }
  touch "$sdl/prefix/.complete"
fi

configure windows -DKOVA_SDL_PREFIX="$sdl/prefix"
build windows demo-win-window demo-win-fullscreen

# The zip: one folder holding the two programs, without their debugging symbols, and the
# how-to-run text with Windows line ends.
stage=$out/zip/KOVA1301
rm -rf "$out/zip" "$out/KOVA1301-windows.zip"
mkdir -p "$stage"
for variant in window fullscreen; do
  $host-strip -o "$stage/demo-win-$variant.exe" "$out/demo-win-$variant.exe"
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
sed -e "s/@VERSION@/$version/" -e 's/$/\r/' tools/windows/README.txt >"$stage/README.txt"
(cd "$out/zip" && cmake -E tar cf ../KOVA1301-windows.zip --format=zip KOVA1301)
echo "built $out/KOVA1301-windows.zip:"
(cd "$out/zip" && ls -l KOVA1301)
