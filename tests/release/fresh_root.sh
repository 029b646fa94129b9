#!/usr/bin/env bash
# Runs the released Linux programs as a viewer would on a fresh Debian 12 holding only SDL 1.2's
# runtime: a minimal Debian 12 root made by debootstrap with libsdl1.2debian added (kept in
# fresh-root/debian12 of the build trees, build/ or $KOVA_BUILD, and reused; remove it to make
# it anew), the programs copied in, each started there under a private Xvfb and ended by Escape
# held across frames: exit status 0.
#   tests/release/fresh_root.sh DIST/KOVA1301-VERSION/linux
# Needs root (debootstrap, chroot); uses sudo otherwise.
set -euo pipefail
linux=$(cd "$1" && pwd)
. "$(dirname "$0")/../../tools/lib.sh"
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi

fresh=$kova_build/fresh-root
system=$fresh/debian12
if [ ! -f "$system/.complete" ]; then
  # The system's own archive, as apt uses it.
  mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null ||
           awk '/^deb / { print $2; exit }' /etc/apt/sources.list)
  echo "fresh-root: debootstrap bookworm from $mirror into $system"
  "${as_root[@]}" rm -rf "$system" "$system.tmp"
  mkdir -p "$fresh"
  "${as_root[@]}" debootstrap --variant=minbase --include=libsdl1.2debian bookworm "$system.tmp" "$mirror" \
    >"$fresh/debootstrap.log" 2>&1 || { tail -n 20 "$fresh/debootstrap.log"; exit 1; }
  "${as_root[@]}" mv "$system.tmp" "$system"
  "${as_root[@]}" touch "$system/.complete"
fi
"${as_root[@]}" rm -rf "$system/opt/KOVA1301"
"${as_root[@]}" cp -r "$linux" "$system/opt/KOVA1301"

work=$(mktemp -d)
xvfb=
cleanup() { [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
# The chroot reaches the server through its abstract socket (same network namespace).
start_xvfb "$work"
display=$xvfb_display

failed=0
for program in demo-linux-window demo-linux-fullscreen; do
  "${as_root[@]}" chroot "$system" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin DISPLAY="$display" \
    SDL_VIDEODRIVER=x11 "/opt/KOVA1301/$program" >"$work/$program.out" 2>&1 &
  pid=$!
  # A few frames, then Escape held across frames; the fade takes 64 frames.
  if press_escape "$display" 20 1 0.2; then
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
