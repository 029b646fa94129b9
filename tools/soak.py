#!/usr/bin/env python3
"""Soak: kova-record runs five whole cycles of the scenes at 50 frames per second of virtual
time ('6' pressed in the first frame), its clock started so that the frame timer's 32-bit
microsecond clock wraps half-way, and logs every frame (--log). Checked from the log:
  - every frame is shown, one per clock reading, and the fade's 64 follow;
  - the clock moves 20 ms per frame, wrapping exactly once, near the middle; the frame-rate
    read-out stays at 50 from the first whole second on, across the wrap;
  - the music's loop changes at every 300th step and at no other;
  - the heap stays flat: after the first cycle (which makes every scene's objects) it never
    holds more than it did during that cycle.
usage: tools/soak.py KOVA_RECORD [CYCLES]"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
PAGES = os.path.join(HERE, "..", "assets", "pages.txt")
PERIOD_US = 20000            # one frame at 50 frames per second
MUSIC_PERIOD = 300           # steps between two changes of the loop
HEAP_SLACK = 16 * 1024       # bytes the heap may pass the first cycle's peak by (stdio, SDL events)


def scene_lengths(record):
    """{scene: {speed: frames of one visit}} as the program counts them (--scene-lengths)."""
    done = subprocess.run([record, "--scene-lengths"], capture_output=True, text=True)
    if done.returncode != 0:
        fail("kova-record --scene-lengths exited with %d: %s" % (done.returncode, done.stderr.strip()))
    rows = [list(map(int, line.split())) for line in done.stdout.splitlines()]
    return {scene: {25: at25, 50: at50} for scene, at25, at50 in rows}


def cycle_lengths(cycles, pages, scenes):
    """Frames of each cycle: scenes 1 and 2 read the speed at their start (25 for the very first
    visit of scene 1, since '6' acts from frame 2), 3 and 4 every frame, 5 types to a page end
    or to its longest visit."""
    lengths, position = [], 0
    for cycle in range(cycles):
        frames = scenes[1][25 if cycle == 0 else 50] + sum(scenes[s][50] for s in (2, 3, 4))
        f = 0
        while True:
            f += 1
            byte = pages[position] if position < len(pages) else 0
            position = position + 1 if byte else 0
            if byte == 1 or f == scenes[5][50]:
                break
        lengths.append(frames + f)
    return lengths


def fail(message):
    print("soak: FAIL: " + message)
    sys.exit(1)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    record, cycles = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 5
    with open(PAGES, "rb") as f:
        lengths = cycle_lengths(cycles, f.read(), scene_lengths(record))
    frames = sum(lengths)
    start = (2 ** 32 - frames * PERIOD_US // 2) % 2 ** 32
    with tempfile.TemporaryDirectory(prefix="kova-soak-") as work:
        log = os.path.join(work, "frames.log")
        command = [record, "--frames", str(frames), "--keys", "1:6", "--only", "1",
                   "--out", os.path.join(work, "out"), "--clock-start", str(start), "--log", log]
        done = subprocess.run(command, capture_output=True, text=True)
        if done.returncode != 0:
            fail("kova-record exited with %d: %s" % (done.returncode, done.stderr.strip()))
        with open(log) as f:
            rows = [line.split() for line in f]
    report = done.stdout.strip()
    print("soak: %d cycles of %s frames, clock from %d: %s" % (cycles, "+".join(map(str, lengths)), start, report))

    # Every frame shown: one log line per frame, the display's count one behind, and the fade.
    numbers = [int(r[0]) for r in rows]
    if numbers != list(range(1, frames + 1)):
        fail("the log does not hold frames 1 to %d in order" % frames)
    unshown = [int(r[0]) for r in rows if int(r[3]) != int(r[0]) - 1]
    if unshown:
        fail("frame %d: %s frames shown before it" % (unshown[0], rows[unshown[0] - 1][3]))
    if not report.startswith("kova-record: %d frames" % (frames + 64)):
        fail("expected %d frames with the fade: %s" % (frames + 64, report))

    # The clock: 20 ms a frame, modulo 2^32; one wrap, near the middle; the read-out unshaken.
    clocks = [int(r[1]) for r in rows]
    steps = {(b - a) % 2 ** 32 for a, b in zip(clocks, clocks[1:])}
    if steps != {PERIOD_US}:
        fail("clock steps %s, not only %d" % (sorted(steps)[:5], PERIOD_US))
    wraps = [i + 2 for i, (a, b) in enumerate(zip(clocks, clocks[1:])) if b < a]
    if len(wraps) != 1 or not frames * 0.4 < wraps[0] < frames * 0.6:
        fail("the clock wraps at frames %s of %d" % (wraps, frames))
    rates = {int(r[2]) for r in rows[52:]}
    if rates != {50}:
        fail("frame-rate read-out %s after the first second" % sorted(rates))

    # The music: a new loop after every 300th step (the first step's change shows at frame 2).
    sums = [r[5] for r in rows]
    changed = [i + 2 for i, (a, b) in enumerate(zip(sums, sums[1:])) if a != b]
    expected = list(range(2, frames + 1, MUSIC_PERIOD))
    if changed != expected:
        fail("the loop changed at frames %s..., expected %s..." % (changed[:6], expected[:6]))

    # The heap: flat from the second cycle on.
    heap = [int(r[4]) for r in rows]
    first = max(heap[: lengths[0]])
    later = max(heap[lengths[0]:])
    if later > first + HEAP_SLACK:
        grown = next(i + 1 for i, h in enumerate(heap) if i >= lengths[0] and h > first + HEAP_SLACK)
        fail("the heap grew from %d bytes in the first cycle to %d (first past it at frame %d)"
             % (first, later, grown))
    print("soak: passed: %d frames shown, clock wrapped at frame %d, %d loop changes, heap %d bytes "
          "at most in the first cycle, %d at most after it, %d at the end"
          % (frames + 64, wraps[0], len(changed), first, later, heap[-1]))


if __name__ == "__main__":
    main()
