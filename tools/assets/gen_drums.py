#!/usr/bin/python3
"""Synthesises the fourteen percussion patterns as assets/patternNN.wav (16-bit mono,
44,100 Hz, 11,024 values each).

Every sound is a small model of an instrument: pitch-swept drum heads with their overtones
for the kick and the toms (a floor tom at 95 Hz, a rack tom at 130), a short head under a
snap of dense bright noise for the two snares, a woody knock 20 dB down within 10 ms for the
rim click, repeated noise bursts in a gated room for the claps, band-passed noise for the hats
and shakers, a crash played backwards. The sounds the loop tends to draw first carry a low
layer under them, so the loop has a low end from its first bar: a thump falling to 68-85 Hz
under the claps and the maraca, a boom falling to 60 Hz played backwards under the reversed
crash. Each sound is made full the way a mixing engineer makes a one-shot full: its body is
driven into a soft saturation, so it keeps its level for longer instead of falling away from a
single spike (the claps, the maraca, the crash and both snares are driven hard and sit about
7-8 dB under their peaks, the floor tom and the snare rattle about 10 dB), and the hit itself
stands out as one accented swing.

The figures every pattern must keep (last non-zero position, minimum, maximum, sign changes
and the position of the largest magnitude) are met exactly, by construction or by solving:

  - every hit starts on the first value (the reversed crash after exactly 31 silent values)
    and the tail fades to zero at the last position instead of being cut;
  - the accent lifts the swing nearest the peak position to the largest magnitude (a noise
    body is shifted so that one of its own swings falls there); the body's ceiling is set so
    its strongest swing of the other sign lands on the other extreme, so one gain meets both
    the minimum and the maximum;
  - one control per sound (a pitch, a band centre, a noise level or the moment a cymbal is
    choked) is solved by bisection so the sound crosses zero as often as its slot asks, and
    the last step or two the bisection cannot reach are set by the signs of the quietest
    values (see settle).

Sounds that are short by nature (the hats) are choked early and followed by a hum a value or
two high (about -84 dB), so they end at their slot's last position in near silence. Every noise
source is seeded: the output is the same on every run. tools/loudness.py measures the kit and
the loop it makes.

Standard library only. Prints the figures of every pattern next to its targets, with its
level (RMS), its crest factor (peak over RMS), its DC offset and how many values settle
touched (and how loud the loudest of them was).
"""
import math
import random
import struct
import wave

from common import asset

RATE = 44100
N = 11024

# Per pattern: name, last non-zero position, minimum, maximum, sign changes, peak position.
TARGETS = [
    ("shaker",        11007,  -7522,  6560, 1372,  1387),
    ("rim click",     10938,  -6084,  7210,  633,   400),
    ("tight snare",    9891, -15324, 15640,  771,   167),
    ("fat snare",     10855, -20736, 15178,  596,   124),
    ("tom",           11015, -28697, 28652,  189,   106),
    ("kick",           8852, -21616, 32529,   26,   493),
    ("reverse crash", 10943, -12260, 11624, 1078, 10594),
    ("closed hat",    11023, -10874, 11719,  946,   405),
    ("maraca",        11001, -15655, 19464,  961,   345),
    ("snare rattle",  10151, -19192, 22458,  863,   334),
    ("open hat",      11023, -24850, 25150, 1140,   471),
    ("high tom",       9388,  -9296, 11946,  398,   107),
    ("clap",           8089, -21166, 19587,  564,   738),
    ("big clap",      10019, -23952, 22542,  499,   623),
]


# ---- measuring ------------------------------------------------------------------------------

def figures(values):
    """(last non-zero, min, max, sign changes, peak) of integer values. Sign changes count
    neighbouring non-zero values of opposite sign, zeros skipped; the peak is the first
    position of the largest magnitude."""
    last = max((i for i, v in enumerate(values) if v), default=-1)
    changes, previous = 0, 0
    for v in values:
        if v:
            if previous and (v > 0) != (previous > 0):
                changes += 1
            previous = v
    peak = max(range(len(values)), key=lambda i: (abs(values[i]), -i))
    return last, min(values), max(values), changes, peak


def level(values):
    """(RMS in dBFS, crest factor in dB, DC offset in values) over the whole pattern."""
    rms = math.sqrt(sum(v * v for v in values) / len(values))
    peak = max(abs(v) for v in values)
    return 20 * math.log10(rms / 32768), 20 * math.log10(peak / rms), sum(values) / len(values)


# ---- building blocks ------------------------------------------------------------------------

def noise(seed, n=N):
    rnd = random.Random(seed)
    return [rnd.uniform(-1.0, 1.0) for _ in range(n)]


def bandpass(x, centre, q):
    """RBJ band-pass biquad (0 dB peak) at centre Hz."""
    w = 2 * math.pi * min(centre, RATE * 0.45) / RATE
    alpha = math.sin(w) / (2 * q)
    a0 = 1 + alpha
    b0, b2 = alpha / a0, -alpha / a0
    a1, a2 = -2 * math.cos(w) / a0, (1 - alpha) / a0
    out = []
    x1 = x2 = y1 = y2 = 0.0
    for v in x:
        y = b0 * v + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, v, y1, y
        out.append(y)
    return out


def highpass(x, cutoff):
    """One-pole high-pass: takes away DC and whatever moves slower than `cutoff` Hz."""
    k = math.exp(-2 * math.pi * cutoff / RATE)
    out, y, previous = [], 0.0, 0.0
    for v in x:
        y = k * (y + v - previous)
        previous = v
        out.append(y)
    return out


def normal(x):
    m = max(abs(v) for v in x) or 1.0
    return [v / m for v in x]


_bands = {}


def band(seed, centre, q, shift=0):
    """Seeded noise through two band-pass stages round `centre` Hz (one stage lets through
    enough of the highest frequencies to set the count of zero crossings on its own),
    normalised, read `shift` values later. Cached: the solvers ask for the same band often."""
    key = (seed, centre, q)
    if key not in _bands:
        # a lead-in of 2048 values lets the filters settle before the sound starts, and gives a
        # shift of up to 1024 values either way real noise to read
        raw = bandpass(bandpass(noise(seed, N + 4096), centre, q), centre, q)
        _bands[key] = normal(raw[1024:])
        if len(_bands) > 64:
            _bands.pop(next(iter(_bands)))
    return _bands[key][1024 - shift:1024 - shift + N]


def rise(start, end, low=0.0, n=N):
    """0 before `start`, a raised cosine from `low` to 1 at `end`, then 1. The value at
    `start` is already above `low`, so a sound that rises from 0 is heard from its first
    value."""
    out = []
    for t in range(n):
        if t < start:
            out.append(0.0)
        elif t < end:
            out.append(low + (1 - low) * (0.5 - 0.5 * math.cos(math.pi * (t - start + 1) / (end - start + 1))))
        else:
            out.append(1.0)
    return out


def decay(start, parts, n=N):
    """1 up to `start`, then a sum of exponentials [(level, time constant in values), ...]
    normalised to 1 at `start`."""
    total = sum(level for level, _ in parts)
    return [1.0 if t < start else
            sum(level * math.exp(-(t - start) / tau) for level, tau in parts) / total for t in range(n)]


def fall(start, end, n=N):
    """1 up to `start`, a raised-cosine fall to 0 at `end`, then 0."""
    return [1.0 if t < start else 0.0 if t >= end else
            0.5 + 0.5 * math.cos(math.pi * (t - start) / (end - start)) for t in range(n)]


def glide(f_start, f_end, speed, n=N):
    """Phase angles of a pitch that falls exponentially from f_start towards f_end."""
    out, angle = [], 0.0
    for t in range(n):
        out.append(angle)
        angle += 2 * math.pi * (f_end + (f_start - f_end) * math.exp(-t / speed)) / RATE
    return out


def head(angles, at, sign, tilt=0.0):
    """A drum head swinging along `angles`, turned so a crest of `sign` falls at `at`.
    `tilt` adds the second harmonic in the phase that makes the swings of `sign` taller than
    the others (a head pushed harder one way than the other); it adds no DC."""
    offset = (math.pi / 2 if sign > 0 else 3 * math.pi / 2) - angles[at]
    return [math.sin(a + offset) - sign * tilt * math.cos(2 * (a + offset)) for a in angles]


def times(*parts):
    out = list(parts[0])
    for p in parts[1:]:
        out = [a * b for a, b in zip(out, p)]
    return out


def plus(*parts):
    return [sum(vs) for vs in zip(*parts)]


def gain(x, k):
    return [v * k for v in x]


def saturate(x, drive):
    """Normalised soft saturation: tanh(drive * v) / tanh(drive) of the normalised signal.
    Monotonic and odd, so it keeps every sign and the order of every magnitude: the zero
    crossings and the place of the loudest swing stay where they were."""
    x = normal(x)
    if drive <= 0:
        return x
    k = 1 / math.tanh(drive)
    return [math.tanh(drive * v) * k for v in x]


def hum(first, last, height=1.6, hz=43):
    """A low hum `height` values high from `first` to `last`, ending at a zero of its own so
    the sound fades out instead of stopping on a step."""
    out = [0.0] * N
    for t in range(first, last + 1):
        out[t] = height * math.sin(2 * math.pi * hz * (t - first) / RATE) * min(1.0, (last + 1 - t) / 400)
    return out


# ---- the kit --------------------------------------------------------------------------------
#
# A voice makes its body from its control c, its seed and a shift: every swing of the body
# lands `shift` values later (noise is read from further back, a drum head turned further), so
# the fitting can put one of its swings exactly on the peak position.

class Voice:
    """One sound of the kit: `make(c, seed, shift)` builds its body; `control` is the range its
    control is solved in; `drive` how hard it is saturated; `tail` the values over which it
    fades out to its last position (0: its own envelope does); with `hum` a faint hum carries
    it there instead; `width` how far from the peak position its accent may look for a swing."""

    def __init__(self, make, control, drive, tail, seed, hum=False, width=40):
        self.make, self.control, self.drive, self.tail = make, control, drive, tail
        self.seed, self.hum, self.width = seed, hum, width


def shaker(c, seed, shift):
    # Beads in a tube: a grainy stream from the first value, swelling as the hand swings to
    # the end of the tube at 31 ms, then rustling on as the beads settle.
    grains = band(seed, c, 1.3, shift)
    env = times(rise(0, 40), [0.55 + 0.45 * v for v in rise(40, 1387)],
                decay(1387, [(1.0, 1600), (0.2, 2600)]))
    return times(grains, env)


def rim(c, seed, shift):
    # A cross-stick: the tip taps the head at once, the shaft cracks on the rim 9 ms later and
    # the wood's knock is gone within 20 ms; the room answers faintly and dies away.
    at = 400 + shift
    tap = times(band(seed, 1800, 1.2, 0), rise(0, 12), decay(12, [(1.0, 140)]))
    crack = band(seed + 1, 3200, 1.5, shift)
    knock = plus(head(glide(560, 520, 400), at, 1), gain(head(glide(1480, 1400, 400), at, 1), 0.5))
    env = times(rise(380, 400), decay(400, [(1.0, 170)]))
    room = times(band(seed + 2, c, 0.9, shift), rise(300, 600), decay(600, [(1.0, 2600)]))
    return plus(gain(tap, 0.35), times(plus(knock, gain(crack, 0.7)), env), gain(room, 0.045))


def grit(seed, centre, q, shift, drive):
    """Band-passed noise driven into saturation: a dense stream whose swings all reach nearly
    the same height, so it keeps its level where an envelope holds it."""
    return saturate(band(seed, centre, q, shift), drive)


def snare(tone, c, seed, shift, peak, body, snap, level, sign=1):
    # The head: a falling tone that dies soon; the wires: dense noise round c Hz that snaps
    # with the hit at `level` against the head, holds for `snap` values and is then damped
    # within 14 ms.
    skin = head(glide(tone * 1.5, tone, 500), peak + shift, sign)
    skin_env = times(rise(0, 20), decay(peak, [(1.0, body)]))
    wires = grit(seed, c, 0.7, shift, 3.0)
    wires_env = times(rise(0, 20, 0.3), decay(peak, [(1.0, 2 * snap)]), fall(peak + snap, peak + snap + 600))
    return plus(times(skin, skin_env), gain(times(wires, wires_env), level))


def tight_snare(c, seed, shift):
    return snare(230, c, seed, shift, 167, 900, 2600, 1.4)


def fat_snare(c, seed, shift):
    # A deep head that booms under bright wires; its first swing goes down.
    return snare(130, c, seed, shift, 124, 1600, 5200, 1.3, sign=-1)


def snare_rattle(c, seed, shift):
    # Played with the wires loose: they rattle on long after the head.
    skin = head(glide(235 * 1.5, 235, 500), 334 + shift, 1)
    skin_env = times(rise(0, 60), decay(334, [(1.0, 1500)]))
    rattle = band(seed, c, 0.9, shift)
    rattle_env = times(rise(0, 60, 0.3), decay(334, [(1.0, 2500), (0.25, 4000)]))
    return plus(times(skin, skin_env), times(rattle, rattle_env))


def tom(f, peak, sign, seed, shift, speed, body, overtone, tilt=0.0):
    # A drum head falling in pitch as its skin relaxes, with its first overtone (a ratio of
    # 1.59) dying sooner.
    at = peak + shift
    fundamental = head(glide(f * 1.45, f, speed), at, sign, tilt)
    upper = head(glide(f * 1.45 * 1.59, f * 1.59, speed), at, sign)
    env = times(rise(0, 12), decay(peak, body))
    return times(plus(fundamental, times(gain(upper, overtone), decay(peak, [(1.0, 700)]))), env)


def room(seed, level, start):
    """The room a drum is played in: faint noise that comes up as the drum dies away."""
    return gain(times(band(seed, 2500, 0.8, 0), rise(start, start + 2000)), level)


def mid_tom(c, seed, shift):
    # A floor tom: the head sinks from 140 to 95 Hz and booms on under the stick's crack; as it
    # dies away the room comes up (its level is the control).
    # Its two signs swing almost equally far: the tilt evens out what its overtone adds.
    tone = tom(95, 106, -1, seed, shift, 1800, [(1.0, 2300), (0.2, 4500)], 0.35, tilt=-0.05)
    crack = times(band(seed + 1, 3800, 1.0, shift), rise(0, 8), decay(106, [(1.0, 300)]))
    return plus(tone, gain(crack, 0.8), room(seed + 2, c, 3000))


def high_tom(c, seed, shift):
    # A rack tom: the stick's crack rings out in the first 10 ms, then the head, falling to
    # 130 Hz with its first overtone, carries the sound; the room comes up (its level is the
    # control) as it dies away.
    tone = tom(130, 107, 1, seed, shift, 600, [(1.0, 2500), (0.3, 4500)], 0.2, tilt=0.1)
    crack = times(band(seed + 1, 5000, 1.0, shift), rise(0, 8), decay(107, [(1.0, 400)]))
    return plus(tone, gain(crack, 1.0), room(seed + 2, c, 2500))


def thump(f_start, f_end, speed, at, sign, start, tau):
    """A low drum head under a sound: falling from f_start to f_end Hz, a crest of `sign` at
    `at`, swelling in from `start` and dying with time constant `tau` after `at`."""
    return times(head(glide(f_start, f_end, speed), at, sign), rise(start, at), decay(at, [(1.0, tau)]))


def kick(c, seed, shift):
    # The deep one: a head falling from 150 to 48 Hz (times the control), pushed harder
    # outwards than back, its first big swing at 11 ms; it hits at once and booms on.
    body = head(glide(150 * c, 48 * c, 1200), 493 + shift, 1, tilt=0.22)
    env = times(rise(0, 24), [0.8 + 0.2 * v for v in rise(24, 493)],
                decay(493, [(1.0, 4500), (0.4, 1000)]))
    return times(body, env)


def reverse_crash(c, seed, shift):
    # A crash cymbal and a low boom played backwards: after 31 silent values the cymbal's long
    # ring and the boom's tail swell over the whole pattern to the hit at 10594, and the hit's
    # own start, reversed, closes it.
    wash = grit(seed, c, 0.6, shift, 4.0)
    env = times(rise(31, 160), [min(1.0, (t + 1) / 10595) ** 1.6 for t in range(N)],
                fall(10594, 10944))
    at = 10594 + shift
    boom = [0.0] * N
    angle = 0.0
    for t in range(at, -1, -1):   # the boom runs backwards from the hit: 130 Hz falling to 60
        u = at - t
        if t < N:
            boom[t] = math.sin(angle - math.pi / 2) * math.exp(-u / 3400)
        angle += 2 * math.pi * (60 + 70 * math.exp(-u / 1500)) / RATE
    boom = times(boom, rise(31, 400), fall(10594, 10944))
    return plus(times(wash, env), gain(boom, 0.9))


def closed_hat(c, seed, shift):
    # Two cymbals held shut: a bright burst that the hand chokes; the choke is the control.
    bright = band(seed, 7000, 1.1, shift)
    env = times(rise(0, 10), [0.65 + 0.35 * v for v in rise(10, 405)],
                decay(405, [(1.0, 900)]), fall(405 + c * 0.3, 405 + c))
    return times(bright, env)


def maraca(c, seed, shift):
    # Two shakes, the second 90 ms after the first and softer; the hand's low thump on the
    # first gives it a body.
    env = plus(times(rise(0, 345, 0.5), decay(345, [(1.0, 6000)]), fall(3300, 4300)),
               times(rise(3900, 4300), decay(4300, [(1.0, 4500)])))
    low = thump(140, 75, 900, 345 + shift, 1, 0, 4500)
    return times(plus(times(grit(seed, c, 1.2, shift, 4.0), env), gain(low, 0.7)), fall(6900, 7900))


def open_hat(c, seed, shift):
    # Rings on and is then choked as a hand closes the cymbals: where the choke begins is the
    # control.
    wash = band(seed, 5200, 0.8, shift)
    env = times(rise(0, 10), [0.6 + 0.4 * v for v in rise(10, 471)],
                decay(471, [(1.0, 5000)]), fall(c, c + 1600))
    return times(wash, env)


def clap(bursts, gate, low, c, seed, shift):
    # Several hands a few milliseconds apart, the last the loudest, then the room, held open
    # by a gate until `gate` (start and end of its closing); under the last hand a low thump
    # (its pitches, how long it lasts and its level in `low`).
    env = [0.0] * N
    last = bursts[-1][0]
    for at, height in bursts[:-1]:
        part = times(rise(max(0, at - 30), at) if at else rise(0, 4), decay(at, [(1.0, 110)]))
        env = [e + height * p for e, p in zip(env, part)]
    room = times(rise(last - 30, last), decay(last, [(1.0, 20000)]), fall(*gate))
    env = [max(e, r) for e, r in zip(env, room)]
    f_start, f_end, tau, level = low
    body = times(thump(f_start, f_end, 700, last + shift, -1, max(0, last - 200), tau), fall(*gate))
    return plus(times(grit(seed, c, 1.2, shift, 4.0), env), gain(body, level))


def clap_one(c, seed, shift):
    return clap([(0, 0.6), (250, 0.75), (500, 0.65), (738, 1.0)], (6400, 7800),
                (160, 85, 3000, 1.0), c, seed, shift)


def clap_two(c, seed, shift):
    return clap([(0, 0.55), (210, 0.75), (420, 0.65), (623, 1.0)], (6700, 7900),
                (140, 68, 3000, 1.15), c, seed, shift)


KIT = [
    Voice(shaker, (800, 9000), 2.8, 4000, 11),
    Voice(rim, (300, 9000), 1.0, 2500, 12),
    Voice(tight_snare, (400, 14000), 8.0, 2500, 13),
    Voice(fat_snare, (400, 14000), 12.0, 3000, 14),
    Voice(mid_tom, (0.0, 1.0), 3.2, 3500, 15),
    Voice(kick, (0.5, 2.0), 1.8, 2500, 16),
    Voice(reverse_crash, (600, 16000), 9.0, 300, 17),
    Voice(closed_hat, (300, 9000), 2.4, 0, 18, hum=True),
    Voice(maraca, (800, 14000), 12.0, 3000, 19),
    Voice(snare_rattle, (400, 12000), 6.0, 2500, 20),
    Voice(open_hat, (800, 9000), 2.2, 0, 21, hum=True),
    Voice(high_tom, (0.0, 1.0), 2.2, 2500, 22),
    Voice(clap_one, (400, 14000), 12.0, 1000, 23),
    Voice(clap_two, (400, 14000), 12.0, 1500, 24),
]


# ---- fitting --------------------------------------------------------------------------------

def accent(x, at, sign, width):
    """The swing of `sign` nearest `at` (within `width` values) lifted to exactly 1, so it is
    the loudest of the sound: a gain that rises and falls between the swing's two zero
    crossings, so nothing of the other sign changes. Returns (values, where the swing is)."""
    lo, hi = max(0, at - width), min(N, at + width + 1)
    q = max(range(lo, hi), key=lambda t: (sign * x[t], -abs(t - at)))
    top = sign * x[q]
    if top <= 0:
        return x, q
    start, end = q, q
    while start > 0 and sign * x[start - 1] > 0:
        start -= 1
    while end < N - 1 and sign * x[end + 1] > 0:
        end += 1
    out = list(x)
    span = end - start + 2
    for t in range(start, end + 1):
        # a raised sine over the half-wave, reaching the full lift at the swing itself
        lift = math.sin(math.pi * (t - start + 1) / span) ** 2
        out[t] = x[t] * (1 + (1 / top - 1) * lift)
    out[q] = sign * 1.0
    return out, q


def shape(index, c, shift=0):
    """The pattern for control c as (integer values, where its loudest swing is)."""
    voice = KIT[index]
    _, last, lo, hi, _, peak = TARGETS[index]
    sign = 1 if hi >= -lo else -1
    dominant, other = (hi, -lo) if sign > 0 else (-lo, hi)
    # Saturating a sound whose swings are unequal leaves a slow offset under it: filtered away.
    x = highpass(saturate(voice.make(c, voice.seed, shift), voice.drive), 20)
    if voice.tail:
        x = times(x, fall(last + 1 - voice.tail, last + 1))
    x = x[:last + 1] + [0.0] * (N - last - 1)
    # The body is lowered until its strongest swing of the other sign is the other extreme
    # once the accent has lifted the loudest swing to the dominant one; a few rounds, since
    # taking away the accent's own offset moves the swings round it a little.
    body, ceiling, ratio = x, 1.0, other / dominant
    for round_ in range(16):
        # four rounds, and more while a hard-driven body has not settled (two gains that
        # differ would put the sound off the zero line)
        if round_ >= 4 and abs(max(-sign * v for v in x) / max(sign * v for v in x) - ratio) < 0.001:
            break
        ceiling = min(0.995, ceiling * ratio / max(-sign * v for v in x) * max(sign * v for v in x))
        x, q = accent(gain(body, ceiling), peak, sign, voice.width)
        x = highpass(x, 20)
        if voice.tail:   # the filter lets the slowest swing linger: faded out again
            x = times(x, fall(last + 1 - voice.tail // 4, last + 1))
        x = x[:last + 1] + [0.0] * (N - last - 1)
    # Under a hard-driven body the filter may leave another swing level with the accent or a
    # hair above it: the accent's own value is kept the loudest.
    loudest = max(abs(v) for v in x)
    if sign * x[q] > 0 and sign * x[q] < loudest * 1.0002:
        x[q] = sign * loudest * 1.0002
    # one gain for each sign, both within a fraction of a per cent of each other
    top, bottom = max(x), min(x)
    values = [int(round(v * hi / top)) if v > 0 else int(round(v * lo / bottom)) for v in x]
    if voice.hum:
        values = [v + int(round(h)) if t <= last else 0 for t, (v, h) in enumerate(zip(values, hum(0, last)))]
    values = [max(lo, min(hi, v)) for v in values]
    if values[last] == 0:
        values[last] = 1 if x[last] >= 0 else -1
    # A body driven hard is nearly flat on top, so its loudest swing may land a value or two
    # off the peak position while the value there is almost as loud: that value becomes the
    # peak, and anything as loud is kept a step under it.
    extreme = values[q] if values[q] in (lo, hi) else None
    if voice.drive >= 6 and extreme and q != peak and extreme * values[peak] >= 0.8 * extreme * extreme:
        values[peak] = extreme
        for t, v in enumerate(values):
            if t != peak and abs(v) >= abs(extreme):
                values[t] = v - 1 if v > 0 else v + 1
    return values, figures(values)[4]


def place(index, c):
    """Values for control c, the body shifted until one of its own swings falls on the peak."""
    peak = TARGETS[index][5]
    shift = 0
    best = None
    for _ in range(8):
        values, q = shape(index, c, shift)
        if best is None or abs(q - peak) < abs(best[1] - peak):
            best = (values, q)
        if q == peak:
            break
        shift += peak - q
    return best[0]


def solve(index):
    """Bisects the control until the sign changes match; returns (values, control)."""
    want = TARGETS[index][4]
    lo, hi = KIT[index].control
    best = None
    a, b = lo, hi
    for _ in range(30):
        m = (a + b) / 2
        values = place(index, m)
        got = figures(values)[3]
        if best is None or abs(got - want) < abs(best[0] - want):
            best = (got, values, m)
        if got == want:
            break
        if got < want:
            a = m
        else:
            b = m
    return best[1], best[2]


def settle(index, values):
    """The last few sign changes the bisection cannot reach, set by the quietest values:
    returns (values, edits, the largest magnitude an edit touched). A value of opposite sign
    to both its neighbours set to 0 takes away two changes (zeros are skipped); a quiet value
    inside a run of one sign turned to a single step of the other sign adds two; the sign of
    the last value (a step or two high, the tail faded to it) sets the odd one. The first
    value of the sound is made to sound, the reversed crash's after exactly 31 silent values."""
    _, last, _, _, want, peak = TARGETS[index]
    values = list(values)
    first = 31 if index == 6 else 0
    if values[first] == 0:
        following = next(v for v in values[first + 1:] if v)
        values[first] = 1 if following > 0 else -1
    edits, touched = 0, 0
    while True:
        diff = want - figures(values)[3]
        if diff == 0 or edits > 64:
            return values, edits, touched
        if diff % 2:
            touched = max(touched, abs(values[last]))
            values[last] = -values[last]
        else:
            nonzero = [t for t in range(first, last + 1) if values[t]]
            best = None
            for before, t, after in zip(nonzero, nonzero[1:], nonzero[2:]):
                if t == peak or values[before] * values[after] < 0:
                    continue
                split = values[before] * values[t] > 0   # t sits inside a run of one sign
                if (diff > 0) == split and (best is None or abs(values[t]) < abs(values[best])):
                    best = t
            if diff > 0:   # a zero inside a quiet run is the quietest place of all
                for t in range(first + 1, last):
                    if values[t] == 0 and t != peak and (best is None or abs(values[best]) > 0):
                        around = [v for v in (values[t - 1], values[t + 1]) if v]
                        if len(around) == 2 and around[0] * around[1] > 0 and max(map(abs, around)) <= 2:
                            best = t
                            break
            if best is None:
                return values, edits, touched
            touched = max(touched, abs(values[best]))
            if diff > 0:
                values[best] = -1 if (values[best] or values[best - 1]) > 0 else 1
            else:
                values[best] = 0
        edits += 1


def check(index, values):
    """Whether the values keep their slot's figures exactly and its shape: a one-shot sounds
    from its first value, is loud in its first 1,500 values and quiet from 8,000 on; the
    reversed crash is silent for exactly 31 values and ends much louder than it begins."""
    name, last, lo, hi, changes, peak = TARGETS[index]
    g = figures(values)
    ok = g == (last, lo, hi, changes, peak)
    loudest = lambda a, b: max(abs(v) for v in values[a:b])
    if index == 6:
        ok = ok and not any(values[:31]) and values[31] != 0 and loudest(31, 1031) * 4 < loudest(9900, 10900)
    else:
        ok = ok and values[0] != 0 and loudest(8000, N) * 8 < loudest(0, 1500)
    return ok, g


def write_wav(path, values):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack(f"<{len(values)}h", *values))


def main(indices=range(len(TARGETS)), write=True):
    """Fits the patterns given (all by default) and writes them; with `write` off it only
    prints, for trying a sound out: gen_drums.py 5 11 fits the kick and the high tom."""
    failures, levels = 0, []
    for index in indices:
        values, control = solve(index)
        values, edits, touched = settle(index, values)
        ok, g = check(index, values)
        failures += not ok
        t = TARGETS[index]
        rms, crest, dc = level(values)
        levels.append(rms)
        print(f"{index:2} {t[0]:14} control {control:8.2f}  last {g[0]:5}/{t[1]:5}  min {g[1]:6}/{t[2]:6}"
              f"  max {g[2]:5}/{t[3]:5}  changes {g[3]:4}/{t[4]:4}  peak {g[4]:5}/{t[5]:5}"
              f"  rms {rms:5.1f} crest {crest:4.1f} dc {dc:5.1f}  settled {edits} (<= {touched})  {'ok' if ok else 'OFF'}")
        if write:
            write_wav(asset(f"pattern{index:02}.wav"), values)
    print(f"mean RMS {sum(levels) / len(levels):.1f} dBFS")
    if failures:
        raise SystemExit(f"{failures} patterns miss their figures")


if __name__ == "__main__":
    import sys
    if len(sys.argv) > 1:
        main([int(a) for a in sys.argv[1:]], write=False)
    else:
        main()
