#!/usr/bin/env python3
"""How loud and how full the soundtrack is, as a listener at the party hears it.

Records the first two minutes of the demo with kova-record (3,000 frames at the start-up speed;
the sound is the sound output's own stream, the loop as the program's own draws build it) and
prints for the mixed loop: its integrated loudness after EBU R128 (ITU-R BS.1770 K-weighting
and gating, in LUFS), its true peak (four times oversampled, dBTP), its peak, RMS and crest
factor, the RMS of its first 10 seconds and of each 12-second stretch (the loop changes every
300 frames, 12 s at 25 frames per second) and, for each minute, how its energy splits between
four bands; then, for each of the fourteen percussion patterns of assets/, its peak, RMS and
crest factor over its whole 11,024 values, where it starts, its DC offset, how loud its last 32
values are (a tail that is cut instead of faded ends in a click), how long it rings (from its
peak to the last 5 ms stretch within 20 dB of its loudest) and its share of energy below
150 Hz and above 2 kHz, with the kit's mean RMS and largest crest.

  tools/loudness.py                 records with kova-record, built first by
                                    tools/build-recorder.sh (build/gcc)
  tools/loudness.py --wav FILE      measures a recording made before (its first two minutes)

Levels are dB relative to full scale (32768). Needs python3 and sox (bands, filters, true peak).
"""
import array
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
MINUTES = 2
FRAMES = 1500 * MINUTES    # at 25 frames per second
STRETCH = 12               # seconds between two changes of the loop at 25 frames per second
BANDS = [("below 150 Hz", "sinc -t 10 -150"), ("150-500 Hz", "sinc -t 10 150-500"),
         ("500-2000 Hz", "sinc -t 10 500-2000"), ("above 2 kHz", "sinc -t 10 2000")]
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


def sox_stat(path, effects, name, start=0, seconds=None):
    """One figure of sox's stats (in dB) of `path` from `start` seconds on, after `effects`."""
    trim = ["trim", str(start)] + ([str(seconds)] if seconds else [])
    result = subprocess.run(["sox", path, "-n"] + trim + effects + ["stats"],
                            capture_output=True, text=True, check=True)
    value = re.search(name + r"\s+(\S+)", result.stderr).group(1)
    return float("-inf") if value == "-inf" else float(value)


def band_shares(path, start=0, seconds=None):
    """Each band's share of the energy, from sox's RMS of the band-limited sound."""
    power = [10 ** (sox_stat(path, band.split(), "RMS lev dB", start, seconds) / 10) for _, band in BANDS]
    total = sum(power) or 1.0
    return [p / total for p in power]


def k_weighting():
    """The two biquads of ITU-R BS.1770 (a high shelf, then a high pass) at 44,100 Hz, as
    (b0, b1, b2, a0, a1, a2), from the analogue prototypes that give the standard's 48 kHz
    coefficients."""
    k = math.tan(math.pi * 1681.974450955533 / RATE)
    q = 0.7071752369554196
    vh = 10 ** (3.999843853973347 / 20)
    vb = vh ** 0.4996667741545416
    shelf = (vh + vb * k / q + k * k, 2 * (k * k - vh), vh - vb * k / q + k * k,
             1 + k / q + k * k, 2 * (k * k - 1), 1 - k / q + k * k)
    k = math.tan(math.pi * 38.13547087602444 / RATE)
    q = 0.5003270373238773
    high = (1.0, -2.0, 1.0, 1 + k / q + k * k, 2 * (k * k - 1), 1 - k / q + k * k)
    # the high pass keeps unit gain in its pass band: its numerator is not scaled by a0
    high = tuple(c * high[3] if i < 3 else c for i, c in enumerate(high))
    return shelf, high


def integrated_loudness(path, seconds):
    """EBU R128 integrated loudness in LUFS: the K-weighted mean square over 400 ms blocks
    (75% overlap), gated at -70 LUFS and then at 10 LU below the mean of the blocks left."""
    effects = []
    for stage in k_weighting():
        effects += ["biquad"] + [repr(c) for c in stage]
    raw = subprocess.run(["sox", path, "-t", "f32", "-"] + effects + ["trim", "0", str(seconds)],
                         capture_output=True, check=True).stdout
    x = array.array("f", raw[:len(raw) // 4 * 4])
    step, block = RATE // 10, 4 * (RATE // 10)
    sums = [math.fsum(v * v for v in x[i:i + step]) for i in range(0, len(x) - step + 1, step)]
    blocks = [sum(sums[i:i + 4]) / block for i in range(len(sums) - 3)]
    loudness = lambda z: -0.691 + 10 * math.log10(z) if z > 0 else float("-inf")
    kept = [z for z in blocks if loudness(z) > -70]
    if not kept:
        return float("-inf")
    gate = loudness(sum(kept) / len(kept)) - 10
    kept = [z for z in kept if loudness(z) > gate]
    return loudness(sum(kept) / len(kept))


def loop_report(path):
    values = read_wav(path, MINUTES * MINUTE)
    seconds = len(values) // RATE
    peak = max(abs(v) for v in values)
    level = rms(values)
    print(f"loop, first {seconds} s: {integrated_loudness(path, seconds):6.1f} LUFS integrated,"
          f" true peak {sox_stat(path, ['rate', '-v', str(4 * RATE)], 'Pk lev dB', 0, seconds):6.1f} dBTP,"
          f" peak {db(peak):6.1f} dBFS, RMS {db(level):6.1f} dBFS, crest {db(peak) - db(level):5.1f} dB,"
          f" first 10 s {db(rms(values[:10 * RATE])):6.1f} dBFS RMS")
    stretches = []
    for start in range(0, len(values), STRETCH * RATE):
        part = values[start:start + STRETCH * RATE]
        stretches.append(f"{db(rms(part)):6.1f}")
    print(f"  RMS per {STRETCH} s:" + "".join(stretches) + " dBFS")
    for minute in range(seconds // 60):
        shares = band_shares(path, 60 * minute, 60)
        print(f"  minute {minute + 1}: " + ", ".join(f"{name} {100 * s:.1f}%" for (name, _), s in zip(BANDS, shares)))


def ringing(values):
    """Milliseconds from the loudest value to the last 5 ms stretch within 20 dB of the
    loudest 5 ms stretch."""
    width = RATE // 200
    envelope = [rms(values[k:k + width]) for k in range(0, len(values) - width + 1, width // 4)]
    top = max(envelope)
    end = max(i for i, e in enumerate(envelope) if e * 10 >= top) * (width // 4)
    peak = max(range(len(values)), key=lambda k: abs(values[k]))
    return max(0, end - peak) * 1000 / RATE


def pattern_report():
    print("pattern          peak dBFS  RMS dBFS  crest dB  first  DC      last 32 dBFS  rings ms"
          "  <150 Hz  >2 kHz")
    levels, crests = [], []
    for i, name in enumerate(NAMES):
        path = os.path.join(ROOT, "assets", f"pattern{i:02}.wav")
        values = read_wav(path)
        peak = max(abs(v) for v in values)
        level = rms(values)
        nonzero = [k for k, v in enumerate(values) if v]
        first, last = nonzero[0], nonzero[-1]
        tail = max(abs(v) for v in values[max(0, last - 31):last + 1])
        dc = sum(values) / len(values)
        shares = band_shares(path)
        levels.append(db(level))
        crests.append(db(peak) - db(level))
        print(f"{i:2} {name:14} {db(peak):8.1f} {db(level):9.1f} {crests[-1]:9.1f} {first:6}"
              f"  {dc:6.1f}  {db(tail):8.1f}  {ringing(values):11.0f}  {100 * shares[0]:6.1f}%"
              f" {100 * shares[3]:6.1f}%")
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
