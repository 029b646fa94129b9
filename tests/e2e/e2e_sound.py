#!/usr/bin/env python3
"""The sound as a listener gets it: runs the real program in a window under Xvfb with SDL's
disk audio driver, switches it to 50 frames per second (so the loop changes after about six
seconds), quits with Escape and checks the stream the device played:

  * silence only at the start, until the first loop entry, which starts a device buffer;
  * from there on the loop's 40,000-value period, broken only where the music rewrote its loop
    (each break shorter than one loop, the breaks at least three loops apart): a gap between
    queue entries or a dropped entry would shift the period;
  * the first loop is a quarter of one pattern; every value inside the patterns' range, none
    clipped to the 16-bit limits;
  * the program exits with status 0.

Usage: e2e_sound.py PROGRAM [SECONDS]   (default 12: frame 301 comes after about 6 s at 50
frames per second, later on a loaded machine)"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

LOOP = 40000
BUFFER = 4096
LOW, HIGH = -28697, 32529  # the compiled-in patterns' extremes
RATE = 44100


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def start_xvfb():
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    with os.fdopen(read_fd, "rb") as pipe:
        while not number.endswith(b"\n"):
            chunk = pipe.read(1)
            if not chunk:
                break
            number += chunk
    if not number.strip():
        xvfb.kill()
        fail("Xvfb did not start")
    return xvfb, ":" + number.decode().strip()


def xdotool(env, *args, check=True):
    out = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=30)
    if check and out.returncode != 0:
        fail("xdotool %s: %s" % (" ".join(args), out.stderr.strip()))
    return out.stdout.strip()


def press(env, window, key):
    # Held across a frame: a key pressed and released between two frames is not seen.
    xdotool(env, "keydown", "--window", window, key, check=False)
    time.sleep(0.2)
    xdotool(env, "keyup", "--window", window, key, check=False)


def run(program, seconds, raw_path):
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="disk",
               SDL_DISKAUDIOFILE=raw_path, SDL_DISKAUDIODELAY="93")
    demo = None
    try:
        demo = subprocess.Popen([program], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        window = xdotool(env, "search", "--sync", "--name", "^KOVA1301$").split()[0]
        press(env, window, "6")
        time.sleep(seconds)
        press(env, window, "Escape")
        try:
            out, err = demo.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            demo.kill()
            fail("the program did not end after Escape")
        if demo.returncode != 0:
            fail("exit status %d: %s" % (demo.returncode, err.decode(errors="replace")))
        if out:
            fail("the program printed on standard output: %r" % out[:200])
    finally:
        if demo and demo.poll() is None:
            demo.kill()
        xvfb.send_signal(signal.SIGTERM)
        xvfb.wait(timeout=10)


def check(stream, seconds):
    n = len(stream)
    first = next((i for i, v in enumerate(stream) if v != 0), None)
    if first is None:
        fail("the stream is silent (%d values)" % n)
    last = max(i for i in range(n) if stream[i] != 0)
    # The empty queue leaves whole buffers silent; the first entry starts a buffer with loop[0].
    start = first - first % BUFFER
    if start > 5 * RATE:
        fail("the sound starts only after %.1f s" % (start / RATE))
    played = last + 1 - start
    # The disk driver runs near real time; a loaded machine may slow it, never speed it up.
    if played < seconds * RATE // 2:
        fail("only %.1f s of sound in a %d s run" % (played / RATE, seconds))

    clipped = [v for v in stream if v in (32767, -32768)]
    if clipped:
        fail("%d values at the 16-bit limits" % len(clipped))
    low, high = min(stream), max(stream)
    if low < LOW or high > HIGH:
        fail("values %d..%d outside the patterns' range %d..%d" % (low, high, LOW, HIGH))
    head = stream[start:start + LOOP]
    if min(head) < LOW >> 2 or max(head) > HIGH >> 2:
        fail("the first loop is not a quarter of one pattern: %d..%d" % (min(head), max(head)))

    # Where x[i] != x[i + LOOP] the loop was rewritten under the play position; elsewhere the
    # stream repeats with the loop's period.
    breaks = [i for i in range(start, last + 1 - LOOP) if stream[i] != stream[i + LOOP]]
    windows = []
    for i in breaks:
        if windows and i - windows[-1][1] < LOOP:
            windows[-1][1] = i
        else:
            windows.append([i, i])
    for a, b in windows:
        if b - a >= LOOP:
            fail("the period is broken for %d values from %d" % (b - a + 1, a))
    for (a, _), (c, _) in zip(windows, windows[1:]):
        if c - a < 3 * LOOP:
            fail("period breaks at %d and %d: closer than the music's changes" % (a, c))
    if windows and windows[0][0] - start < 3 * LOOP:
        fail("the period breaks %d values after the start" % (windows[0][0] - start))
    return {
        "values": n, "silent start": start, "sound s": round(played / RATE, 2),
        "range": (low, high), "loop changes heard": len(windows),
    }


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    program = os.path.abspath(sys.argv[1])
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 12
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print("SKIP: %s is not installed" % tool)
            sys.exit(77)
    work = tempfile.mkdtemp(prefix="e2e-sound-")
    raw_path = os.path.join(work, "sound.raw")
    try:
        run(program, seconds, raw_path)
        with open(raw_path, "rb") as f:
            data = f.read()
        if len(data) % 2:
            data = data[:-1]
        stream = struct.unpack("<%dh" % (len(data) // 2), data)
        result = check(stream, seconds)
        if result["loop changes heard"] < 1:
            fail("no change of the loop in %d s at 50 frames per second" % seconds)
        print("PASS", result)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
