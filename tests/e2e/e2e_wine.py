#!/usr/bin/env python3
"""The Windows programs under wine in Xvfb (depth 24), run from a folder that holds only what
the zip unpacked:  e2e_wine.py BUILD-SCRIPT RECORDER

BUILD-SCRIPT (tools/build-windows.sh, run with --no-install) makes the zip in the build trees'
root (build/, or $KOVA_BUILD as the tools take it); RECORDER (the Linux kova-record) records
the frames that the screenshots must show. The window: title and size, the start through SDLmain
(its stdout.txt beside the .exe), scene 1's cells, space and the plasma scene's frame exactly as
recorded, scene 5 keeping its tile, the loop's sound through SDL's disk driver, Escape, the fade
(in wine's trace: 64 blits after the key poll that read Escape) and status 0. The full screen: the
same frame exactly, centred on black (its rows are 4096 bytes apart), Escape, the fade, status 0.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e  # noqa: E402
import e2e_sound  # noqa: E402
from e2e import Failure, check, key  # noqa: E402

SIZE = 256
RECORDED = 330      # frames recorded: scene 1 up to frame 200, then the plasma scene
PLASMA_FROM = 200   # space pressed in this frame: the plasma scene starts after it
GAP = 0.3           # seconds between two key presses


def frame_bytes(rows, left=0, top=0):
    return bytes(v for row in rows[top:top + SIZE] for p in row[left:left + SIZE] for v in p)


def cells(frame):
    """The 32 x 32 glyph cells of a 256 x 256 RGB frame, each as its 8 rows of bytes."""
    return [b"".join(frame[(y * 8 + r) * SIZE * 3 + x * 24:(y * 8 + r) * SIZE * 3 + x * 24 + 24]
                     for r in range(8)) for y in range(32) for x in range(32)]


def record(recorder, work):
    out = os.path.join(work, "recording")
    subprocess.run([recorder, "--frames", str(RECORDED), "--keys", f"{PLASMA_FROM}:space",
                    "--only", f"1-{RECORDED}", "--out", out], check=True, capture_output=True)
    frames = []
    for n in range(1, RECORDED + 1):
        with open(os.path.join(out, f"frame-{n:05d}.ppm"), "rb") as f:
            frames.append(f.read()[-SIZE * SIZE * 3:])
    return frames


def check_recorded_frame(frame, frames, what):
    """The frame must be one of the recorded frames of the plasma scene."""
    plasma = frames[PLASMA_FROM:]
    check(frame in plasma, f"{what}: the picture matches none of the recorded plasma frames")
    print(f"{what}: the plasma scene's frame {plasma.index(frame) + 1}, exactly as recorded")


class Wine:
    """One run of a Windows program in a private Xvfb, with wine's trace of the blits and keys."""

    def __init__(self, prefix, program, audio):
        self.x = e2e.Xvfb(24)
        self.dir = os.path.dirname(program)
        self.trace = os.path.join(self.dir, "wine.trace")
        self.env = self.x.env(WINEPREFIX=prefix, WINEDEBUG="-all,trace+bitblt,trace+key",
                              WINEDLLOVERRIDES="mscoree,mshtml=", SDL_VIDEODRIVER="windib", **audio)
        with open(self.trace, "wb") as err:
            self.process = subprocess.Popen(["wine", program], env=self.env, cwd=self.dir,
                                            stdout=subprocess.DEVNULL, stderr=err)
        try:
            self.window = e2e.find_window(self.env)
        except BaseException:
            self.close()
            raise

    def press(self, name):
        key(self.env, self.window, name)
        time.sleep(GAP)

    def shot(self, *target):
        return e2e.screenshot(self.env, *(target or ("-id", self.window)))

    def quit(self):
        """Escape: the exit status, and the fade in the blits' trace."""
        key(self.env, self.window, "Escape")
        try:
            status = self.process.wait(30)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after Escape")
        check(status == 0, f"exit status {status} after Escape")
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=60)
        # Wine reads the key from X inside the program's key poll, so the trace holds, in order:
        # the paced frames, the poll that saw Escape, the fade's blits, the exit.
        with open(self.trace, errors="replace") as f:
            trace = f.read().splitlines()
        polls = [i for i, line in enumerate(trace) if "KeyPress" in line and "(Escape)" in line]
        check(polls, "wine's trace shows no Escape read by the program")
        fade = sum("NtGdiStretchBlt" in line and f"{SIZE}x{SIZE}" in line for line in trace[polls[-1]:])
        check(fade == 64, f"{fade} frames shown after Escape was read, not the fade's 64")
        print("Escape: 64 fade steps, then exit status 0")

    def close(self):
        if self.process.poll() is None:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=60)
            self.process.wait(30)
        self.x.close()


def test_window(prefix, program, frames):
    raw = os.path.join(os.path.dirname(program), "sound.raw")
    run = Wine(prefix, program, dict(SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=raw,
                                     SDL_DISKAUDIODELAY="93"))
    try:
        started = time.monotonic()
        check(os.path.exists(os.path.join(run.dir, "stdout.txt")),
              "no stdout.txt beside the program: it did not start through SDLmain")
        geometry = e2e.run(["xwininfo", "-id", run.window], run.env)
        check("Width: 256" in geometry and "Height: 256" in geometry, f"window geometry:\n{geometry}")
        props = e2e.run(["xprop", "-id", run.window, "WM_NAME", "WM_ICON_NAME"], run.env)
        check(props.count('"KOVA1301"') == 2, f"title and icon name:\n{props}")
        run.press("6")  # 50 frames a second: the music changes its loop within the run

        # Scene 1: away from the tag, every cell is a glyph of the recorded rain, and most
        # are still the pale background cell of the first recorded frame.
        time.sleep(0.5)
        shot = cells(frame_bytes(run.shot()[2]))
        background = max(set(cells(frames[0])), key=cells(frames[0]).count)
        seen = {c for frame in frames[:PLASMA_FROM] for c in cells(frame)}
        strange = [k for k in range(32, 1024) if shot[k] not in seen]
        check(not strange, f"scene 1: cells {strange[:8]} hold none of the recorded glyphs")
        check(shot.count(background) > 512, f"scene 1: {shot.count(background)} background cells")

        run.press("space")
        check_recorded_frame(frame_bytes(run.shot()[2]), frames, "window, after space")

        # Scene 5 twice: below the first typed lines there is only the background.
        def pages_background():
            time.sleep(0.3)
            return frame_bytes(run.shot()[2])[SIZE * 3 * 128:]
        for _ in range(3):
            run.press("space")
        first = pages_background()
        for _ in range(5):
            run.press("space")
        second = pages_background()
        check(any(first), "scene 5: no background under the page")
        check(first == second, "scene 5: the next visit chose another background tile")

        time.sleep(max(0.0, 10 - (time.monotonic() - started)))
        run.quit()
        # SDLmain removes its files at the exit when they are empty; only SDL's own notice of
        # the disk driver stays.
        check(not os.path.exists(os.path.join(run.dir, "stdout.txt")), "the program printed")
        with open(os.path.join(run.dir, "stderr.txt"), errors="replace") as f:
            said = [line for line in f.read().splitlines() if line.strip()]
        check(all("disk writer" in line or "Writing to file" in line for line in said),
              f"the program wrote to stderr: {said}")
    finally:
        run.close()

    with open(raw, "rb") as f:
        data = f.read()
    stream = struct.unpack(f"<{len(data) // 2}h", data[:len(data) // 2 * 2])
    heard = e2e_sound.check(stream, 10)
    check(heard["loop changes heard"] >= 1, "the loop did not change at 50 frames a second")
    print("sound:", heard)


def test_fullscreen(prefix, program, frames):
    run = Wine(prefix, program, dict(SDL_AUDIODRIVER="dummy"))
    try:
        time.sleep(0.5)
        run.press("space")
        width, height, rows = run.shot("-root")
        check((width, height) == (1024, 768), f"root screenshot {width}x{height}")
        left, top = (width - SIZE) // 2, (height - SIZE) // 2
        check_recorded_frame(frame_bytes(rows, left, top), frames, "full screen, after space")
        outside = [rows[y][x] for y in range(0, height, 5) for x in range(0, width, 5)
                   if not (left <= x < left + SIZE and top <= y < top + SIZE)]
        check(not any(any(p) for p in outside), "the screen around the picture is not black")
        run.quit()
        files = set(os.listdir(run.dir)) & {"stdout.txt", "stderr.txt"}
        check(not files, f"the program printed: {sorted(files)} left beside it")
    finally:
        run.close()


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    script, recorder = (os.path.abspath(a) for a in argv[1:])
    for tool in ("wine", "wineserver", "Xvfb", "xdotool", "xwd", "convert"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return 77
    root = os.path.dirname(os.path.dirname(script))
    builds = os.path.join(root, os.environ.get("KOVA_BUILD") or "build")
    work = tempfile.mkdtemp(prefix="kova-wine-")
    try:
        started = time.monotonic()
        check(subprocess.run([script, "--no-install"]).returncode == 0, "the Windows build failed")
        print(f"built in {time.monotonic() - started:.0f} s")
        frames = record(recorder, work)
        # One wine prefix, made once and kept in the build tree (its set-up takes seconds).
        prefix = os.path.join(builds, "win-wine")
        if not os.path.exists(os.path.join(prefix, "system.reg")):
            env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all",
                       WINEDLLOVERRIDES="mscoree,mshtml=", DISPLAY="")
            subprocess.run(["wine", "wineboot", "-i"], env=env, check=True, capture_output=True)
            subprocess.run(["wineserver", "-w"], env=env, check=True)
        with zipfile.ZipFile(os.path.join(builds, "windows", "KOVA1301-windows.zip")) as z:
            names = sorted(z.namelist())
            check(names == ["KOVA1301/", "KOVA1301/README.txt", "KOVA1301/demo-win-fullscreen.exe",
                            "KOVA1301/demo-win-window.exe"], f"the zip holds {names}")
            for variant, test in (("window", test_window), ("fullscreen", test_fullscreen)):
                folder = os.path.join(work, variant)
                z.extract(f"KOVA1301/demo-win-{variant}.exe", folder)
                test(prefix, os.path.join(folder, "KOVA1301", f"demo-win-{variant}.exe"), frames)
        print(f"passed in {time.monotonic() - started:.0f} s")
        return 0
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
