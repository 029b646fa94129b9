#!/usr/bin/env python3
"""The recorder: two recordings of one key script must be byte-identical, and hold what the
script asked for: N frames of the cycle then the 64 of the fade (the last one black), the tag
on every frame, the read-out only after 'f', sound of exactly one period per frame at the speed
of the moment, the loop's 40,000-value period through the whole run (the fade included), a
recording of only some frames that keeps exactly those, a refusal to overwrite an earlier
recording, and one line and status 1 for every failure (a script that cannot be read, a frame
that cannot be written).

Usage: e2e_record.py KOVA_RECORD"""
import filecmp
import os
import re
import resource
import shutil
import signal
import struct
import subprocess
import sys
import tempfile

FRAMES = 200
SPEED_KEY = 60
SCRIPT = "3:f,%d:6,80:space" % SPEED_KEY  # read-out on, 50 frames per second, next scene
SHEET = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets", "tag_sheet.ppm")
LOOP = 40000


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def record(program, out):
    run = subprocess.run([program, "--frames", str(FRAMES), "--keys", SCRIPT, "--out", out],
                         capture_output=True, text=True, timeout=300)
    if run.returncode != 0:
        fail("kova-record exited with %d: %s" % (run.returncode, run.stderr))
    return run


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    # Exactly one whitespace byte ends the header: the raster may begin with bytes that read as
    # whitespace (a pixel of red 9 to 13 or 32), which a split would swallow.
    header = re.match(rb"P6\s+256\s+256\s+255\s", data)
    if not header:
        fail("%s is not a 256 x 256 P6 picture" % path)
    return data[header.end():]


def read_sheet(path):
    with open(path, "rb") as f:
        data = f.read()
    lines, at = [], 0
    while len(lines) < 4:  # magic, comments, size, maximum
        end = data.index(b"\n", at)
        line = data[at:end]
        at = end + 1
        if not line.startswith(b"#"):
            lines += line.split()
    return int(lines[1]), data[at:]


def shows(pixels, text, x0, sheet):
    """Whether the glyphs of text stand keyed at (x0, 0): every lit sheet pixel is in the frame."""
    width, raster = sheet
    for g, ch in enumerate(text):
        sx, sy = (ord(ch) * 8) % width, (ord(ch) * 8) // width * 8
        for y in range(8):
            for x in range(8):
                s = raster[3 * ((sy + y) * width + sx + x):][:3]
                f = pixels[3 * (y * 256 + x0 + 8 * g + x):][:3]
                if any(s) and s != f:
                    return False
    return True


def main():
    program = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="kova-record-")
    try:
        a, b = os.path.join(work, "a"), os.path.join(work, "b")
        record(program, a)
        record(program, b)
        names = sorted(os.listdir(a))
        if names != sorted(os.listdir(b)):
            fail("the two recordings hold different files")
        match, mismatch, errors = filecmp.cmpfiles(a, b, names, shallow=False)
        if mismatch or errors:
            fail("the recordings differ in %s" % (mismatch + errors)[:5])

        frames = [n for n in names if n.startswith("frame-")]
        if len(frames) != FRAMES + 64 or frames[0] != "frame-00001.ppm":
            fail("%d frames, want %d + 64 of the fade" % (len(frames), FRAMES))
        sheet = read_sheet(SHEET)
        for n in (1, 2, FRAMES):
            if not shows(read_ppm(os.path.join(a, "frame-%05d.ppm" % n)), "KOVA", 224, sheet):
                fail("no tag in the top right corner of frame %d" % n)
        # Keys are read after the frame is shown: 'f' at frame 3 shows from frame 4 on.
        # In the first second the read-out shows "00".
        if shows(read_ppm(os.path.join(a, "frame-00003.ppm")), "00", 0, sheet):
            fail("a read-out in the frame where 'f' was pressed")
        if not shows(read_ppm(os.path.join(a, "frame-00004.ppm")), "00", 0, sheet):
            fail("no read-out in the frame after 'f' was pressed")
        # The read-out on the virtual clock: 25 frames a second show as 19, 50 as 32.
        if not shows(read_ppm(os.path.join(a, "frame-00055.ppm")), "19", 0, sheet):
            fail("frame 55 does not read 19 at 25 frames per second")
        if not shows(read_ppm(os.path.join(a, "frame-%05d.ppm" % FRAMES)), "32", 0, sheet):
            fail("frame %d does not read 32 at 50 frames per second" % FRAMES)
        if not shows(read_ppm(os.path.join(a, "frame-00001.ppm")), "KOVA", 224, sheet):
            fail("frame 1 does not carry the tag KOVA")
        if any(read_ppm(os.path.join(a, frames[-1]))):
            fail("the last frame of the fade is not black")

        with open(os.path.join(a, "sound.wav"), "rb") as f:
            wav = f.read()
        if wav[:4] != b"RIFF" or wav[8:16] != b"WAVEfmt " or wav[36:40] != b"data":
            fail("sound.wav is not a plain PCM WAV file")
        channels, rate, bits = struct.unpack("<H", wav[22:24])[0], struct.unpack("<I", wav[24:28])[0], \
            struct.unpack("<H", wav[34:36])[0]
        size = struct.unpack("<I", wav[40:44])[0]
        if (channels, rate, bits) != (1, 44100, 16) or size != len(wav) - 44:
            fail("sound.wav header: %d channels, %d Hz, %d bits, %d of %d bytes" %
                 (channels, rate, bits, size, len(wav) - 44))
        # A frame lasts until the next one is shown. '6' read in frame K paces frame K + 1 at 50
        # frames per second, so frames 1 to K - 1 last 40 ms (1,764 values), frame K and all
        # later ones, the fade too, 20 ms (882).
        want = (SPEED_KEY - 1) * 1764 + (FRAMES + 64 - SPEED_KEY + 1) * 882
        values = struct.unpack("<%dh" % (size // 2), wav[44:])
        if len(values) != want:
            fail("%d sound values, want %d" % (len(values), want))
        # The loop is queued in frame 1 and already holds one pattern.
        first = next((i for i, v in enumerate(values) if v), None)
        if first is None or first >= LOOP:
            fail("the sound starts at value %s, not with the first loop's pattern" % first)
        if max(values) > 32529 // 4 + 1 or min(values) < -28697 // 4 - 1:
            fail("values beyond a quarter pattern before the loop's first change")
        broken = [i for i in range(len(values) - LOOP) if values[i] != values[i + LOOP]]
        if broken:
            fail("the loop's period breaks at value %d" % broken[0])

        # --only keeps the listed frames (the last of the cycle and the fade's settled at exit),
        # byte for byte as in the full recording, and the whole sound.
        only = os.path.join(work, "only")
        listed = (1, SPEED_KEY, SPEED_KEY + 1, FRAMES, FRAMES + 1, FRAMES + 64)
        subprocess.run([program, "--frames", str(FRAMES), "--keys", SCRIPT, "--out", only, "--only",
                        "1,%d-%d %d-%d,%d" % listed[1:]], check=True, capture_output=True, timeout=300)
        kept = ["frame-%05d.ppm" % n for n in listed] + ["sound.wav"]
        if sorted(os.listdir(only)) != kept or filecmp.cmpfiles(a, only, kept, shallow=False)[0] != kept:
            fail("--only wrote %s, not the full recording's %s" % (sorted(os.listdir(only))[:8], kept))

        again = subprocess.run([program, "--frames", "5", "--out", a], capture_output=True, text=True)
        if again.returncode == 0 or "already holds a recording" not in again.stderr:
            fail("an earlier recording was not protected: %r" % again.stderr)
        bad = subprocess.run([program, "--frames", "5", "--keys", "5:space"], capture_output=True, text=True,
                             cwd=work)
        if bad.returncode == 0 or "outside frames" not in bad.stderr:
            fail("a key at the Escape frame was accepted")

        # Every failure ends the run with status 1 and one line: a script that is a directory
        # or missing, a bad key past the first MiB of a script (read whole, not cut), a frame
        # that cannot be written (files limited to 100 kB: a frame is 196 kB).
        long_script = os.path.join(work, "long.txt")
        with open(long_script, "w") as f:
            f.write("# padding\n" * 150000 + "2:bogus\n")

        def full_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # writes past the limit fail instead
            resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))
        for args, limit, want in [(["--script", work], None, "cannot read %s: Is a directory" % work),
                                  (["--script", os.path.join(work, "none")], None, "cannot read"),
                                  (["--script", long_script], None, "bad key press '2:bogus'"),
                                  ([], full_disk, "cannot write frame-00001.ppm")]:
            run = subprocess.run([program, "--frames", "5", "--out", tempfile.mkdtemp(dir=work)] + args,
                                 capture_output=True, text=True, preexec_fn=limit, timeout=60)
            lines = run.stderr.splitlines()
            if run.returncode != 1 or len(lines) != 1 or not lines[0].startswith("kova-record: ") \
                    or want not in lines[0]:
                fail("%s: status %d, stderr %r; want status 1 and one line with %r"
                     % (args or "full disk", run.returncode, run.stderr[:300], want))
        if shutil.which("ffmpeg") and shutil.which("ffprobe"):
            # Optional: the MP4 of picture and sound, where ffmpeg is installed.
            mp4 = os.path.join(work, "demo.mp4")
            subprocess.run([program, "--frames", "30", "--keys", "10:6", "--out", os.path.join(work, "m"),
                            "--mp4", mp4], check=True, capture_output=True, timeout=300)
            probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_type,duration",
                                    "-of", "csv=p=0", mp4], capture_output=True, text=True).stdout.split()
            kinds = sorted(line.split(",")[0] for line in probe)
            seconds = 9 * 0.04 + (30 + 64 - 9) * 0.02
            if kinds != ["audio", "video"] or any(abs(float(l.split(",")[1]) - seconds) > 0.1 for l in probe):
                fail("the MP4 does not hold %.2f s of picture and sound: %s" % (seconds, probe))
        print("PASS: %d frames, %d sound values, identical twice" % (len(frames), len(values)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
