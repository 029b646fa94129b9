#!/usr/bin/env bash
# Makes the party release from what is in the tree: dist/KOVA1301-<version>/ and
# dist/KOVA1301-<version>.zip, holding
#   linux/     demo-linux-window and demo-linux-fullscreen, built Release, with the C++ runtime
#              linked in: they need only glibc and SDL 1.2's runtime (libsdl1.2debian);
#   windows/   demo-win-window.exe and demo-win-fullscreen.exe with their how-to text
#              (tools/build-windows.sh);
#   web/       index.html, index.js and index.wasm (tools/build-web.sh);
#   KOVA1301.nfo, file_id.diz   the release texts (tools/release/), version and date filled in;
#   screenshot.png              a frame of kova-record's, 256 x 256 as the demo draws it;
#   KOVA1301-capture.mp4        one whole cycle and the fade, recorded by kova-record, scaled by 4
#                               with square pixels and centred on black at 1920 x 1080, 25 frames
#                               per second, H.264 and AAC;
#   SHA256SUMS                  over every other file.
# The version is the project's (CMakeLists.txt), the date that of the last commit. Installs what it
# needs first (tools/install-deps.sh release). Reuses the build trees of the other commands:
# build/win-sdl and build/win-demo, build/web-demo; KOVA_RECORDER names a kova-record to use
# instead of building one (tools/run-tests.sh passes the g++ build's).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh release

jobs=${KOVA_JOBS:-$(nproc)}
linux=$root/build/dist-linux
work=$root/build/dist-work
step() { printf '\n== release: %s\n' "$*" >&2; }

step "the Linux programs"
cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKOVA_TESTS=OFF -DKOVA_BENCH=OFF \
  -DKOVA_WERROR=ON -DCMAKE_EXE_LINKER_FLAGS="-static-libstdc++ -static-libgcc" >/dev/null
targets=(demo-linux-window demo-linux-fullscreen)
[ -n "${KOVA_RECORDER:-}" ] || targets+=(kova-record)
cmake --build "$linux" -j "$jobs" --target "${targets[@]}"
recorder=${KOVA_RECORDER:-$linux/tools/record/kova-record}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "release: no version in $linux/CMakeCache.txt" >&2; exit 1; }
date=$(git log -1 --format=%cs 2>/dev/null || date -u +%F)

step "the Windows programs"
tools/build-windows.sh >/dev/null
step "the web page"
tools/build-web.sh >/dev/null

name=KOVA1301-$version
dist=$root/dist/$name
rm -rf "$dist" "$root/dist/$name.zip" "$work"
mkdir -p "$dist/linux" "$dist/windows" "$dist/web" "$work"
for variant in window fullscreen; do
  strip -o "$dist/linux/demo-linux-$variant" "$linux/demo-linux-$variant"
done
cp build/win-demo/zip/KOVA1301/* "$dist/windows/"
cp build/web-demo/page/index.html build/web-demo/page/index.js build/web-demo/page/index.wasm "$dist/web/"

# The texts, with CR LF line ends as DOS and Windows viewers expect them.
fill() { sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$date/g" -e 's/$/\r/' "$1"; }
fill tools/release/KOVA1301.nfo >"$dist/KOVA1301.nfo"
fill tools/release/file_id.diz >"$dist/file_id.diz"

step "the capture: one whole cycle and the fade"
# The first page ends the fifth scene at its frame 644: the cycle is 2,896 frames at 25 frames
# per second; the recorder adds the 64 frames of the fade.
"$recorder" --frames 2896 --out "$work/rec"
# The screenshot: the glyph rain piling up on the group's logo.
ffmpeg -nostdin -loglevel error -i "$work/rec/frame-00400.ppm" -frames:v 1 "$dist/screenshot.png"
# Each pixel becomes 4 x 4 before the colour is subsampled, so its edges stay sharp; -preset
# veryfast with -tune animation at CRF 14 keeps them so (a mean error of 1.6 in 255 at the
# pixels' edges; medium: 1.1, at a third less size but three times the time).
ffmpeg -nostdin -loglevel error -y -framerate 25 -i "$work/rec/frame-%05d.ppm" -i "$work/rec/sound.wav" \
  -vf "scale=iw*4:ih*4:flags=neighbor,pad=1920:1080:(ow-iw)/2:(oh-ih)/2:black" \
  -c:v libx264 -preset "${KOVA_X264_PRESET:-veryfast}" -tune animation -crf 14 -pix_fmt yuv420p -r 25 \
  -c:a aac -b:a 256k -movflags +faststart "$dist/KOVA1301-capture.mp4"
rm -rf "$work"

(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
   xargs -d '\n' sha256sum >SHA256SUMS)
(cd "$root/dist" && cmake -E tar cf "$name.zip" --format=zip "$name")
step "made dist/$name.zip"
(cd "$root/dist" && ls -l "$name.zip" && cd "$name" && find . -type f -printf '%10s  %P\n' | LC_ALL=C sort -k2)
