#!/usr/bin/env bash
# Remakes the README's stills (docs/scene-1.png ... docs/scene-5.png): records one cycle at the
# start-up speed with kova-record, keeping only the chosen frames, and turns them into small
# PNG files. Builds kova-record first (tools/build-recorder.sh).
. "$(dirname "$0")/lib.sh"
recorder=$(tools/build-recorder.sh)

# Where each scene of the first cycle starts at the start-up speed, from the recorder's own
# lengths: 1, 502, 753, 1753 and 2253.
starts=()
at=1
while read -r _ frames25 _; do
  starts+=("$at")
  at=$((at + frames25))
done < <("$recorder" --scene-lengths)
# One frame per scene, counted from its start: the rain piled under its logo, the plasma with
# its logo, the frame logo swinging in behind a letter, the trace, and the first page typed to
# its last line, held before it ends.
offsets=(399 236 127 97 629)
stills=()
for i in "${!offsets[@]}"; do stills+=($((starts[i] + offsets[i]))); done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
only=$(IFS=,; echo "${stills[*]}")
"$recorder" --frames $((stills[4] + 18)) --only "$only" --out "$work/rec" >/dev/null
mkdir -p docs
for i in "${!stills[@]}"; do
  frame=$(printf '%s/rec/frame-%05d.ppm' "$work" "${stills[$i]}")
  convert "$frame" -strip -define png:compression-level=9 "docs/scene-$((i + 1)).png"
  echo "docs/scene-$((i + 1)).png: frame ${stills[$i]}"
done
