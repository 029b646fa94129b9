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
# needs first (tools/install-deps.sh release). The Linux programs are the release preset's
# (build/release); reuses the build trees of the other commands: build/win-sdl, build/windows
# and build/web.
#   tools/release.sh [--recorder KOVA-RECORD] [--x264-preset NAME]
# --recorder names a kova-record to use instead of building one in build/release
# (tools/run-tests.sh passes the g++ build's); --x264-preset the encoder's speed (veryfast).
. "$(dirname "$0")/lib.sh"
usage() { echo "usage: tools/release.sh [--recorder KOVA-RECORD] [--x264-preset NAME]" >&2; exit 2; }
recorder=
x264_preset=veryfast
while [ $# -gt 0 ]; do
  case "$1" in
    --recorder) [ -n "${2:-}" ] || usage; recorder=$2; shift 2 ;;
    --x264-preset) [[ ${2:-} =~ ^[a-z]+$ ]] || usage; x264_preset=$2; shift 2 ;;
    *) usage ;;
  esac
done
need release

linux=$(tree release)
work=$(tree dist-work)

step "release: the Linux programs"
configure release
targets=(demo-linux-window demo-linux-fullscreen)
[ -n "$recorder" ] || targets+=(kova-record)
build release "${targets[@]}"
recorder=${recorder:-$linux/tools/record/kova-record}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$linux/CMakeCache.txt")
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "release: no version in $linux/CMakeCache.txt" >&2; exit 1; }
date=$(git log -1 --format=%cs 2>/dev/null || date -u +%F)

step "release: the Windows programs"
tools/build-windows.sh >/dev/null
step "release: the web page"
tools/build-web.sh >/dev/null

name=KOVA1301-$version
dist=$root/dist/$name
rm -rf "$dist" "$root/dist/$name.zip" "$work"
mkdir -p "$dist/linux" "$dist/windows" "$dist/web" "$work"
for variant in window fullscreen; do
  strip -o "$dist/linux/demo-linux-$variant" "$linux/demo-linux-$variant"
done
cp "$(tree windows)"/zip/KOVA1301/* "$dist/windows/"
web=$(tree web)/page
cp "$web/index.html" "$web/index.js" "$web/index.wasm" "$dist/web/"

# The texts, with CR LF line ends as DOS and Windows viewers expect them.
fill() { sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$date/g" -e 's/$/\r/' "$1"; }
fill tools/release/KOVA1301.nfo >"$dist/KOVA1301.nfo"
fill tools/release/file_id.diz >"$dist/file_id.diz"

step "release: the capture: one whole cycle and the fade"
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
  -c:v libx264 -preset "$x264_preset" -tune animation -crf 14 -pix_fmt yuv420p -r 25 \
  -c:a aac -b:a 256k -movflags +faststart "$dist/KOVA1301-capture.mp4"
rm -rf "$work"

(cd "$dist" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort |
   xargs -d '\n' sha256sum >SHA256SUMS)
(cd "$root/dist" && cmake -E tar cf "$name.zip" --format=zip "$name")
step "release: made dist/$name.zip"
(cd "$root/dist" && ls -l "$name.zip" && cd "$name" && find . -type f -printf '%10s  %P\n' | LC_ALL=C sort -k2)
