#!/usr/bin/env bash
# Runs the released Linux programs as a viewer would on a fresh Debian 12 holding only SDL 1.2's
# runtime: a minimal Debian 12 root made by debootstrap with libsdl1.2debian added (kept in
# build/fresh-root/debian12 and reused; remove it to make it anew), the programs copied in,
# each started there under a private Xvfb and ended by Escape held across frames: exit status 0.
#   tests/release/fresh_root.sh DIST/KOVA1301-VERSION/linux
# Needs root (debootstrap, chroot); uses sudo otherwise.
set -euo pipefail
linux=$(cd "$1" && pwd)
cd "$(dirname "$0")/../.."
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

fresh=$PWD/build/fresh-root
root=$fresh/debian12
if [ ! -f "$root/.complete" ]; then
  # The system's own archive, as apt uses it.
  mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null ||
           awk '/^deb / { print $2; exit }' /etc/apt/sources.list)
  echo "fresh-root: debootstrap bookworm from $mirror into $root"
  "${as_root[@]}" rm -rf "$root" "$root.tmp"
  mkdir -p "$fresh"
  "${as_root[@]}" debootstrap --variant=minbase --include=libsdl1.2debian bookworm "$root.tmp" "$mirror" \
    >"$fresh/debootstrap.log" 2>&1 || { tail -n 20 "$fresh/debootstrap.log"; exit 1; }
  "${as_root[@]}" mv "$root.tmp" "$root"
  "${as_root[@]}" touch "$root/.complete"
fi
"${as_root[@]}" rm -rf "$root/opt/KOVA1301"
"${as_root[@]}" cp -r "$linux" "$root/opt/KOVA1301"

work=$(mktemp -d)
xvfb=
cleanup() { [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
# The chroot reaches the server through its abstract socket (same network namespace).
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(cat "$work/display")

failed=0
for program in demo-linux-window demo-linux-fullscreen; do
  "${as_root[@]}" chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin DISPLAY="$display" \
    SDL_VIDEODRIVER=x11 "/opt/KOVA1301/$program" >"$work/$program.out" 2>&1 &
  pid=$!
  window=$(DISPLAY=$display timeout 20 xdotool search --sync --name '^KOVA1301$' | head -n 1 || true)
  if [ -n "$window" ]; then
    sleep 1   # a few frames, then Escape held across frames; the fade takes 64 frames
    DISPLAY=$display xdotool keydown --window "$window" Escape 2>/dev/null; sleep 0.2
    DISPLAY=$display xdotool keyup --window "$window" Escape 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  kill "$pid" 2>/dev/null && echo "FAILED: $program showed no window or did not end after Escape"
  status=0; wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAILED: $program, status $status:"; cat "$work/$program.out"; failed=1
  else
    echo "$program: ran in a fresh Debian 12 root holding only libsdl1.2debian, exit 0 after Escape"
  fi
done
exit $failed
