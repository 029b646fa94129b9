#!/usr/bin/env bash
# Checks the module library as a user meets it: installed into a temporary prefix, which is then
# moved (the package must not remember where it was put), and used from there only.
#   1. every installed header compiles on its own; the SDL-free library holds no SDL call;
#   2. the code examples of docs/library.md compile and link against the installed package;
#   3. the programs in examples/ build twice, through find_package(kova) and through
#      pkg-config, and once more against the build tree; each runs on a good input (the three
#      builds writing the same bytes) and on a bad one (one line on standard error, non-zero
#      exit, nothing on standard output); find_package(kova 2.0) is refused.
#   tools/check-library.sh [BUILD]   (BUILD defaults to build/gcc; a missing tree is configured
#                                     through the gcc preset)
# Set CXX for the compiler the user builds with (default g++).
. "$(dirname "$0")/lib.sh"
build=${1:-$(tree gcc)}
cxx=${CXX:-g++}
need build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "library check: $*" >&2; exit 1; }

if grep -q '^KOVA_\(SANITIZE:STRING=.\|FUZZ:BOOL=ON\)' "$build/CMakeCache.txt" 2>/dev/null; then
  fail "$build is a sanitizer or fuzzing build; a user's library is a plain one (use build/gcc)"
fi
if [ -f "$build/CMakeCache.txt" ]; then
  cmake "$build" >/dev/null  # picks up a header that a public one has started to include
else
  cmake --preset gcc -B "$build" >/dev/null
fi
cmake --build "$build" --target kova kova_sdl >/dev/null
cmake --install "$build" --prefix "$work/installed" --component library >/dev/null
mv "$work/installed" "$work/prefix"
prefix=$work/prefix
export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
strict=(-std=c++20 -Wall -Wextra -Wpedantic -Wshadow -Werror)

echo "-- headers"
[ ! -e "$prefix/include/kova/demo" ] || fail "the demo's own headers were installed"
headers=$(cd "$prefix/include" && find kova -name '*.h' | sort)
sdlflags=$(pkg-config --cflags kova-sdl)
for header in $headers; do
  echo "#include <$header>" | "$cxx" "${strict[@]}" $sdlflags -fsyntax-only -x c++ - ||
    fail "<$header> does not compile on its own"
done
! nm "$prefix/lib/libkova.a" | grep ' U SDL_' >/dev/null || fail "libkova.a calls SDL"
echo "$(wc -w <<<"$headers") headers"

echo "-- the reference's examples"
mkdir "$work/reference"
awk -v dir="$work/reference" '
  /^ *```cpp$/ { n++; file = sprintf("%s/example%02d.cpp", dir, n); inside = 1; next }
  /^ *```$/  { inside = 0; next }
  inside     { print > file }' docs/library.md
examples=("$work"/reference/example*.cpp)
[ ${#examples[@]} -ge 16 ] || fail "docs/library.md holds only ${#examples[@]} code examples"
for example in "${examples[@]}"; do
  "$cxx" "${strict[@]}" $sdlflags -c "$example" -o "${example%.cpp}.o" ||
    fail "docs/library.md: $(basename "$example") (counting from the top) does not compile"
done
echo 'int main() { return 0; }' >"$work/reference/main.cpp"
"$cxx" -std=c++20 "$work"/reference/*.o "$work/reference/main.cpp" -o "$work/reference/linked" \
  $(pkg-config --libs kova-sdl) || fail "the reference's examples do not link"
echo "${#examples[@]} examples"

echo "-- examples through find_package"
cmake -S examples -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" >/dev/null
mkdir "$work/version"
printf 'cmake_minimum_required(VERSION 3.25)\nproject(v LANGUAGES CXX)\nfind_package(kova 2.0 REQUIRED)\n' \
  >"$work/version/CMakeLists.txt"
! cmake -S "$work/version" -B "$work/version/build" -DCMAKE_PREFIX_PATH="$prefix" \
  >/dev/null 2>&1 || fail "find_package(kova 2.0) accepted version $(pkg-config --modversion kova)"

echo "-- examples through pkg-config"
mkdir "$work/pkgconfig"
for name in pnmconv textpgm loopwav plasma; do
  package=kova; [ $name = plasma ] && package=kova-sdl
  "$cxx" -std=c++20 -O2 "examples/$name.cpp" -o "$work/pkgconfig/kova-$name" \
    $(pkg-config --cflags --libs $package)
done

echo "-- pnmconv against the build tree"
mkdir "$work/tree"
"$cxx" -std=c++20 -O2 -I"$build/library/include" -I"$root/src" examples/pnmconv.cpp -o "$work/tree/kova-pnmconv" \
  "$build/libkova.a"

# run NAME DIR GOOD|BAD ARGS...: runs DIR/kova-NAME in DIR/out; a bad input must fail with one
# line on standard error and nothing on standard output.
run() {
  local name=$1 dir=$2 kind=$3; shift 3
  mkdir -p "$dir/out"
  local status=0
  (cd "$dir/out" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
     "$dir/kova-$name" "$@" >"$dir/stdout" 2>"$dir/stderr") || status=$?
  if [ "$kind" = good ]; then
    [ $status -eq 0 ] || { cat "$dir/stderr"; fail "kova-$name $* failed ($status)"; }
  else
    [ $status -ne 0 ] || fail "kova-$name $* succeeded on a bad input"
    [ "$(wc -l <"$dir/stderr")" -eq 1 ] && [ ! -s "$dir/stdout" ] ||
      { cat "$dir/stdout" "$dir/stderr"; fail "kova-$name $*: not one line on a bad input"; }
  fi
}

echo "-- running the examples"
notwav=$root/README.md
for dir in "$work/cmake" "$work/pkgconfig"; do
  run pnmconv "$dir" good "$root/assets/text_sheet.ppm" scaled.ppm scale 100 30
  run pnmconv "$dir" good "$root/assets/big_sheet.pbm" turned.ppm rotate 30
  run pnmconv "$dir" bad "$notwav" out.ppm
  run textpgm "$dir" good "$root/assets/big_sheet.pbm" 32 32 "KOVA 1301" text.pgm
  run textpgm "$dir" bad "$root/assets/big_sheet.pbm" 0 32 "KOVA" text.pgm
  run loopwav "$dir" good 2 loop.wav "$root"/assets/pattern0[0-4].wav
  run loopwav "$dir" bad 2 loop.wav "$root/assets/pattern00.wav" "$notwav"
  run plasma "$dir" good 5
  run plasma "$dir" bad many
done
run pnmconv "$work/tree" good "$root/assets/text_sheet.ppm" scaled.ppm scale 100 30
for file in scaled.ppm turned.ppm text.pgm loop.wav; do
  cmp -s "$work/cmake/out/$file" "$work/pkgconfig/out/$file" || fail "the two builds wrote different $file"
done
cmp -s "$work/cmake/out/scaled.ppm" "$work/tree/out/scaled.ppm" ||
  fail "pnmconv built against the build tree wrote another picture"
head -c 15 "$work/cmake/out/scaled.ppm" | grep -qa '^100 30$' || fail "scaled.ppm is not 100 x 30"
[ "$(stat -c %s "$work/cmake/out/loop.wav")" -eq $((44 + 2 * 2 * 44100)) ] ||
  fail "loop.wav does not hold two seconds"
echo "library check passed"
