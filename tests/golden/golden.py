#!/usr/bin/env python3
"""Golden frames: kova-record plays a few key scripts and keeps only chosen frames (--only);
each frame's PPM file is known by the first 16 hex digits of its sha256, and frames.txt beside
this script holds the expected ones.

  golden.py check KOVA_RECORD [MISMATCH_DIR]
      records what the table says (each recording's --frames, keys and frame numbers come from
      the table alone) and compares every hash; a frame that differs is written as a PNG into
      MISMATCH_DIR (default golden-mismatch). Fails at the end, listing every difference.
  golden.py update KOVA_RECORD
      works the frame numbers and key scripts out of RECORDINGS below, records them, rewrites
      the table and prints which frames changed.

Standard library only."""
import concurrent.futures
import hashlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, "frames.txt")
PAGES = os.path.join(HERE, "..", "..", "assets", "pages.txt")
FADE = 64  # frames of the fade after Escape, the last one black
END = "end"  # a visit's last frame, wherever its scene ends it


class Visit:
    """One visit of a scene. `shots`: the visit's frames to keep (counted from 1, or END) with
    what they show; `keys`: (frame, key, count) presses, one per frame from that frame on;
    `until`: the frame that space ends it with (in a recording's last visit, the frame the
    recorder presses Escape in); None lets the scene run its course."""

    def __init__(self, scene, shots=None, keys=(), until=None):
        self.scene, self.shots, self.keys, self.until = scene, shots or {}, keys, until


def skip(*scenes):
    """The scenes shown for one frame each: space in their first frame."""
    return [Visit(scene, until=1) for scene in scenes]


NEXT_PAGE = skip(1, 2, 3, 4)  # from one visit of the pages to the next

# T is the speed in frames per second: 25 at start, 50 after '6'. The scenes' lengths come from
# the recorder (scene_lengths). Scene 1 shows its logo from frame 10T + 2, scene 2 from 5T + 1
# (both read T at their start; scenes 3 and 4 before every frame); scene 5 types one byte of the
# pages per frame and ends with a page.
RECORDINGS = [
    ("speed25", "every scene at 25 frames per second, the scroller's keys, the fade", [
        Visit(1, {1: "first frame",
                  251: "half-time: the logo switched on, not shown yet",
                  252: "the logo appears",
                  256: "the logo, 4 frames on"}, until=256),
        Visit(2, {1: "first frame",
                  125: "the frame before the logo",
                  126: "the logo appears",
                  130: "the logo, 4 frames on"}, until=130),
        Visit(3, {1: "first frame of the first run: the swinging logo still outside",
                  20: "scroll speed 3, before 'a'",
                  60: "after 'a' 40 times: speed 32",
                  124: "after 's' 64 times: speed -32",
                  125: "after 'b' once: other colours",
                  128: "after 'b' four times: the colours back"},
              keys=[(20, "a", 40), (60, "s", 64), (124, "b", 4)], until=128),
        Visit(4, {1: "first frame", 40: "early", END: "last frame"}),
        Visit(5, {1: "first frame: page 1's first byte"}, until=1),
    ], {1: "first step", 32: "half way", 64: "black"}),

    ("speed50", "scenes 1, 2 and 4 at 50 frames per second", [
        Visit(1, keys=[(1, "6", 1)], until=2),  # scene 1 read T = 25 before the '6'
        *skip(2, 3, 4, 5),
        Visit(1, {1: "first frame",
                  501: "half-time: the logo switched on, not shown yet",
                  502: "the logo appears",
                  506: "the logo, 4 frames on"}, until=506),
        Visit(2, {1: "first frame",
                  250: "the frame before the logo",
                  251: "the logo appears",
                  255: "the logo, 4 frames on"}, until=255),
        *skip(3),
        Visit(4, {1: "first frame", 40: "early", END: "last frame"}),
    ], {}),

    ("pages", "the typed pages: a page end, a visit cut short, the wrap to the first page", [
        *skip(1, 2, 3, 4),
        Visit(5, {END: "page 1 ends: the frame that reads its end byte"}),
        *NEXT_PAGE,
        Visit(5, until=300),  # space in the middle of page 2
        *NEXT_PAGE,
        Visit(5, {1: "page 2 goes on, on a blank canvas", 5: "page 2 goes on, 4 frames later"}),
        *NEXT_PAGE, Visit(5), *NEXT_PAGE, Visit(5), *NEXT_PAGE, Visit(5),  # pages 3 to 5
        *NEXT_PAGE,
        Visit(5, {END: "the last page ends"}),
        *NEXT_PAGE,
        Visit(5, {1: "the end of the text: only the cursor",
                  2: "page 1 again: its first byte",
                  6: "page 1 again, 4 frames on"}, until=6),
    ], {}),
]

KEY_NAMES = {" ": "space"}


def scene_lengths(program):
    """{scene: {speed: frames of one visit}} at 25 and 50 frames per second, as the program
    counts them (kova-record --scene-lengths)."""
    run = subprocess.run([program, "--scene-lengths"], capture_output=True, text=True)
    if run.returncode != 0:
        fail("kova-record --scene-lengths exited with %d: %s" % (run.returncode, run.stderr.strip()))
    lengths = {}
    for line in run.stdout.splitlines():
        scene, at25, at50 = map(int, line.split())
        lengths[scene] = {25: at25, 50: at50}
    return lengths


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def plan(name, visits, fade, pages, lengths):
    """Follows the scene cycle frame by frame (`lengths` as scene_lengths gives them): the key script (FRAME:KEY and FIRST-LAST:KEY),
    --frames and the shots as [(frame, description)] of one recording."""
    speed, position, frame, scene = 25, 0, 0, 0
    keys, shots = {}, []
    for i, visit in enumerate(visits):
        scene = scene % 5 + 1
        last_visit = i == len(visits) - 1
        where = "%s, visit %d (scene %d)" % (name, i + 1, visit.scene)
        if visit.scene != scene:
            fail("%s: the cycle is at scene %d" % (where, scene))
        presses = {f + k: key for f, key, count in visit.keys for k in range(count)}
        if visit.until in presses:
            fail("%s: a key in its last frame, %d" % (where, visit.until))
        if visit.until and not last_visit:
            presses[visit.until] = " "
        start_speed, start, f = speed, frame + 1, 0
        while True:
            f += 1
            frame += 1
            done = f == visit.until
            if scene in (1, 2):
                done |= f == lengths[scene][start_speed]
            if scene == 5:
                byte = pages[position] if position < len(pages) else 0
                position = position + 1 if byte else 0
                done |= byte == 1 or f == lengths[5][speed]
            key = presses.get(f)
            if key:
                keys[frame] = key
                speed = {"5": 25, "6": 50}.get(key, speed)
            if scene in (3, 4):  # T read before every frame
                done |= f >= lengths[scene][speed]
            if done:
                break
        if visit.until and f != visit.until:
            fail("%s ends at its frame %d, before frame %d" % (where, f, visit.until))
        for at, what in visit.shots.items():
            at = f if at == END else at
            if not 1 <= at <= f:
                fail("%s has no frame %d" % (where, at))
            shots.append((start + at - 1, "scene %d frame %d: %s" % (scene, at, what)))
        late = [k for k in presses if k > f or (last_visit and k == f)]
        if late:
            fail("%s: a key at its frame %d, after its end" % (where, late[0]))
    shots += [(frame + k, "fade %d: %s" % (k, what)) for k, what in fade.items()]
    return frame, script(keys), sorted(shots)


def script(keys):
    """Key presses as FRAME:KEY, runs of one key on consecutive frames as FIRST-LAST:KEY."""
    tokens, frames = [], sorted(keys)
    i = 0
    while i < len(frames):
        j = i
        while j + 1 < len(frames) and frames[j + 1] == frames[j] + 1 and keys[frames[j + 1]] == keys[frames[i]]:
            j += 1
        name = KEY_NAMES.get(keys[frames[i]], keys[frames[i]])
        tokens.append("%d:%s" % (frames[i], name) if i == j else "%d-%d:%s" % (frames[i], frames[j], name))
        i = j + 1
    return " ".join(tokens)


# ---- The table ----

def read_table(path):
    """[(name, frames, keys, [(frame, hash, description)])] from the table."""
    recordings = []
    with open(path) as f:
        for number, line in enumerate(f, 1):
            words = line.split(None, 2)
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "recording" and line.split()[2:3] == ["--frames"] and line.split()[3].isdigit():
                keys = line.split("--keys", 1)[1].strip() if "--keys" in line else ""
                recordings.append((words[1], int(line.split()[3]), keys, []))
            elif recordings and len(words) >= 2 and words[0].isdigit() and len(words[1]) == 16:
                recordings[-1][3].append((int(words[0]), words[1], words[2].strip() if len(words) > 2 else ""))
            else:
                fail("%s:%d: neither a recording nor a frame: %r" % (path, number, line))
    return recordings


def write_table(path, recordings):
    lines = ["# Golden frames of kova-record, checked by the e2e_golden test: per recording its",
             "# options, then each kept frame's number, the first 16 hex digits of the sha256 of its",
             "# PPM file and what it shows. Written by tools/golden-update.sh from the recordings in",
             "# tests/golden/golden.py; remake it after an intended change of the pictures."]
    for name, about, frames, keys, shots in recordings:
        lines += ["", "# " + about, "recording %s --frames %d --keys %s" % (name, frames, keys)]
        lines += ["%7d  %s  %s" % shot for shot in shots]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


# ---- Recording and pictures ----

def record(program, work, name, frames, keys, wanted):
    """{frame: hash or None when not written}, or an error line."""
    out = os.path.join(work, name)
    command = [program, "--frames", str(frames), "--only", ",".join(map(str, wanted)), "--out", out]
    if keys:
        command[3:3] = ["--keys", keys]
    run = subprocess.run(command, capture_output=True, text=True)
    if run.returncode != 0:
        return "kova-record exited with %d: %s" % (run.returncode, run.stderr.strip())
    hashes = {}
    for n in wanted:
        path = os.path.join(out, "frame-%05d.ppm" % n)
        if os.path.exists(path):
            with open(path, "rb") as f:
                hashes[n] = hashlib.sha256(f.read()).hexdigest()[:16]
        else:
            hashes[n] = None
    return hashes


def record_all(program, work, jobs):
    """Each job (name, frames, keys, wanted frames) recorded, side by side: {name: hashes}."""
    with concurrent.futures.ThreadPoolExecutor(max(1, min(len(jobs), os.cpu_count() or 1))) as pool:
        futures = {job[0]: pool.submit(record, program, work, *job) for job in jobs}
    results = {name: future.result() for name, future in futures.items()}
    errors = ["%s: %s" % (name, r) for name, r in results.items() if isinstance(r, str)]
    if errors:
        fail("\n".join(errors))
    return results


def ppm_to_png(ppm):
    """A binary PPM (P6, maximum 255) as a PNG of 8-bit RGB rows."""
    # exactly one whitespace byte ends the header; the raster may begin with such bytes
    header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    if not header:
        raise ValueError("not a binary 8-bit PPM")
    width, height, pixels = int(header.group(1)), int(header.group(2)), ppm[header.end():]
    if len(pixels) < 3 * width * height:
        raise ValueError("not a binary 8-bit PPM")
    rows = b"".join(b"\0" + pixels[3 * width * y:3 * width * (y + 1)] for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


# ---- The two modes ----

def check(program, mismatch_dir):
    table = read_table(TABLE)
    if not table:
        fail("%s holds no recordings" % TABLE)
    shutil.rmtree(mismatch_dir, ignore_errors=True)
    work = tempfile.mkdtemp(prefix="kova-golden-")
    try:
        results = record_all(program, work, [(name, n, keys, [f for f, _, _ in frames])
                                             for name, n, keys, frames in table])
        problems, count = [], 0
        for name, _, _, frames in table:
            for frame, expected, what in frames:
                count += 1
                actual = results[name][frame]
                if actual == expected:
                    continue
                if actual is None:
                    problems.append("%s frame %d (%s): not written" % (name, frame, what))
                else:
                    os.makedirs(mismatch_dir, exist_ok=True)
                    png = os.path.join(mismatch_dir, "%s-%05d.png" % (name, frame))
                    with open(os.path.join(work, name, "frame-%05d.ppm" % frame), "rb") as f:
                        picture = ppm_to_png(f.read())
                    with open(png, "wb") as f:
                        f.write(picture)
                    problems.append("%s frame %d (%s): expected %s, got %s; picture %s" %
                                    (name, frame, what, expected, actual, png))
                print("MISMATCH " + problems[-1], flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if problems:
        fail("%d of %d golden frames differ (remake the table with tools/golden-update.sh only "
             "when the change is intended):\n  %s" % (len(problems), count, "\n  ".join(problems)))
    print("PASS: %d golden frames in %d recordings" % (count, len(table)))


def update(program):
    with open(PAGES, "rb") as f:
        pages = f.read()
    lengths = scene_lengths(program)
    plans = [(name, about, *plan(name, visits, fade, pages, lengths)) for name, about, visits, fade in RECORDINGS]
    old = {}
    if os.path.exists(TABLE):
        for name, n, keys, frames in read_table(TABLE):
            old.update({(name, frame): h for frame, h, _ in frames})
    work = tempfile.mkdtemp(prefix="kova-golden-")
    try:
        results = record_all(program, work, [(name, n, keys, [f for f, _ in shots])
                                             for name, _, n, keys, shots in plans])
    finally:
        shutil.rmtree(work, ignore_errors=True)
    table, changes = [], []
    for name, about, n, keys, shots in plans:
        rows = []
        for frame, what in shots:
            new = results[name][frame]
            if new is None:
                fail("%s frame %d (%s) was not written" % (name, frame, what))
            rows.append((frame, new, what))
            was = old.pop((name, frame), None)
            if was != new:
                changes.append("%s %d: %s -> %s  %s" % (name, frame, was or "new", new, what))
        table.append((name, about, n, keys, rows))
    changes += ["%s %d: removed" % key for key in sorted(old)]
    write_table(TABLE, table)
    print("\n".join(changes) if changes else "no frame changed")
    print("%s: %d frames in %d recordings, %d changed" %
          (os.path.relpath(TABLE), sum(len(t[4]) for t in table), len(table), len(changes)))


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("check", "update"):
        sys.exit(__doc__)
    program = os.path.abspath(sys.argv[2])
    if sys.argv[1] == "check":
        check(program, os.path.abspath(sys.argv[3] if len(sys.argv) > 3 else "golden-mismatch"))
    else:
        update(program)


if __name__ == "__main__":
    main()
