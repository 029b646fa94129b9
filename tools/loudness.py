#!/usr/bin/env python3
"""How loud and how full the soundtrack is, as a listener at the party hears it.

Records the first minute of the demo with kova-record (1,500 frames at the start-up speed; the
sound is the sound output's own stream) and prints for the mixed loop: peak, RMS and crest
factor over the minute, the RMS of each 12-second stretch (the loop changes every 300 frames,
12 s at 25 frames per second) and how its energy splits between four bands; then, for each of
the fourteen percussion patterns of assets/, its peak, RMS and crest factor over its whole
11,024 values, where it starts, its DC offset and how loud its last 32 values are (a tail that
is cut instead of faded ends in a click), with the kit's mean RMS and largest crest.

  tools/loudness.py                 records with kova-record, built first by
                                    tools/build-recorder.sh (build/gcc, or $KOVA_BUILD)
  tools/loudness.py --wav FILE      measures a recording made before (its first minute)

Levels are dB relative to full scale (32768). Needs python3 and sox (for the bands).
"""
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
RATE = 44100
MINUTE = 60 * RATE
FRAMES = 1500              # one minute at 25 frames per second
STRETCH = 12               # seconds between two changes of the loop at 25 frames per second
BANDS = [("below 150 Hz", "sinc -150"), ("150-500 Hz", "sinc 150-500"),
         ("500-2000 Hz", "sinc 500-2000"), ("above 2 kHz", "sinc 2000")]
NAMES = ["shaker", "rim click", "tight snare", "fat snare", "tom", "kick", "reverse crash",
         "closed hat", "maraca", "snare rattle", "open hat", "high tom", "clap", "big clap"]


def db(x):
    return 20 * math.log10(x / 32768) if x > 0 else float("-inf")


def read_wav(path, limit=None):
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 1 or w.getsampwidth() != 2:
            raise SystemExit(f"{path}: 16-bit mono expected")
        n = w.getnframes() if limit is None else min(limit, w.getnframes())
        return struct.unpack(f"<{n}h", w.readframes(n))


def rms(values):
    return math.sqrt(sum(v * v for v in values) / len(values)) if values else 0.0


def record():
    recorder = subprocess.run([os.path.join(ROOT, "tools", "build-recorder.sh")], check=True,
                              stdout=subprocess.PIPE, text=True).stdout.strip()
    out = tempfile.mkdtemp(prefix="kova-loudness-")
    subprocess.run([recorder, "--frames", str(FRAMES), "--only", "1", "--out", os.path.join(out, "rec")],
                   check=True, stdout=subprocess.DEVNULL)
    return os.path.join(out, "rec", "sound.wav"), out


def band_shares(path):
    """Each band's share of the minute's energy, from sox's RMS of the band-limited sound."""
    power = []
    for _, band in BANDS:
        result = subprocess.run(["sox", path, "-n", "trim", "0", "60"] + band.split() + ["stats"],
                                capture_output=True, text=True, check=True)
        level = re.search(r"RMS lev dB\s+(\S+)", result.stderr).group(1)
        power.append(0.0 if level == "-inf" else 10 ** (float(level) / 10))
    total = sum(power) or 1.0
    return [p / total for p in power]


def loop_report(path):
    values = read_wav(path, MINUTE)
    peak = max(abs(v) for v in values)
    level = rms(values)
    print(f"loop, first {len(values) / RATE:.0f} s: peak {db(peak):6.1f} dBFS  RMS {db(level):6.1f} dBFS"
          f"  crest {db(peak) - db(level):5.1f} dB")
    stretches = []
    for start in range(0, len(values), STRETCH * RATE):
        part = values[start:start + STRETCH * RATE]
        stretches.append(f"{db(rms(part)):6.1f}")
    print(f"  RMS per {STRETCH} s:" + "".join(stretches) + " dBFS")
    shares = band_shares(path)
    print("  energy: " + ", ".join(f"{name} {100 * s:.1f}%" for (name, _), s in zip(BANDS, shares)))


def pattern_report():
    print("pattern          peak dBFS  RMS dBFS  crest dB  first  DC      last 32 dBFS")
    levels, crests = [], []
    for i, name in enumerate(NAMES):
        values = read_wav(os.path.join(ROOT, "assets", f"pattern{i:02}.wav"))
        peak = max(abs(v) for v in values)
        level = rms(values)
        nonzero = [k for k, v in enumerate(values) if v]
        first, last = nonzero[0], nonzero[-1]
        tail = max(abs(v) for v in values[max(0, last - 31):last + 1])
        dc = sum(values) / len(values)
        levels.append(db(level))
        crests.append(db(peak) - db(level))
        print(f"{i:2} {name:14} {db(peak):8.1f} {db(level):9.1f} {crests[-1]:9.1f} {first:6}"
              f"  {dc:6.1f}  {db(tail):8.1f}")
    print(f"kit: mean RMS {sum(levels) / len(levels):.1f} dBFS, crest {min(crests):.1f} to "
          f"{max(crests):.1f} dB (mean {sum(crests) / len(crests):.1f})")


def main():
    args = sys.argv[1:]
    if args[:1] == ["--wav"] and len(args) == 2:
        path, scratch = args[1], None
    elif not args:
        path, scratch = record()
    else:
        raise SystemExit(__doc__)
    try:
        loop_report(path)
    finally:
        if scratch:
            shutil.rmtree(scratch, ignore_errors=True)
    pattern_report()


if __name__ == "__main__":
    main()
