#!/usr/bin/env python3
"""End-to-end tests of the built demo programs, each under its own Xvfb.

    e2e.py window DEPTH PROGRAM PROBE CLOSER      the windowed program: window, keys, pace, close
                                                  requests, SIGTERM, Escape's fade and exit status
    e2e.py fullscreen DEPTH PROGRAM PROBE         the fullscreen program opens, shows, fades, exits
    e2e.py nodisplay PROGRAM...                   no X display: one line on stderr, status 1
    e2e.py quiet PROGRAM                          SDL picks the sound driver: nothing printed
    e2e.py unit DEPTH TEST-PROGRAM [ARGS...]      an in-process test program on a real X surface
    e2e.py scenes DEPTH PROGRAM                   space moves through the scene cycle (run under
                                                  gdb, which logs each scene function's entry)

PROBE is frame_probe.so (preloaded; logs every presentation), CLOSER sends WM_DELETE_WINDOW.
Keys go to the window with XSendEvent (xdotool --window). A key is held for a few frames: the
program sees only the last key event of a frame, so a press and release within one frame is lost.
"""
import os
import select
import signal
import subprocess
import sys
import tempfile
import time

HOLD = 0.15  # seconds a key is held: several frames at 25 per second


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Xvfb:
    def __init__(self, depth, size="1024x768"):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size}x{depth}",
             "-noreset", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            check(ready, "Xvfb did not start")
            chunk = os.read(read_end, 16)
            check(chunk, "Xvfb exited at start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self, **extra):
        env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        env.update(extra)
        return env

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


def run(command, env, timeout=20, check_status=True):
    result = subprocess.run(command, env=env, capture_output=True, timeout=timeout)
    if check_status:
        check(result.returncode == 0, f"{command} failed: {result.stderr.decode(errors='replace')}")
    return result.stdout.decode(errors="replace")


def find_window(env):
    out = run(["xdotool", "search", "--sync", "--name", "^KOVA1301$"], env, timeout=30)
    return out.split()[0]


def key(env, window, name):
    # After Escape the window may be gone before the key-up: that error is expected.
    run(["xdotool", "keydown", "--window", window, name], env)
    time.sleep(HOLD)
    run(["xdotool", "keyup", "--window", window, name], env, check_status=False)


def screenshot(env, *target):
    """Returns (width, height, rows of (r, g, b) tuples) of an xwd grab read back from PPM."""
    xwd = subprocess.run(["xwd", "-silent", *target], env=env, capture_output=True, timeout=20)
    check(xwd.returncode == 0, "xwd failed")
    ppm = subprocess.run(["convert", "xwd:-", "-depth", "8", "ppm:-"], input=xwd.stdout,
                         capture_output=True, timeout=20)
    check(ppm.returncode == 0, "convert failed")
    data = ppm.stdout
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    check(fields[0] == b"P6" and fields[3] == b"255", f"unexpected PPM header {fields}")
    width, height = int(fields[1]), int(fields[2])
    raster = data[pos + 1:]
    check(len(raster) >= width * height * 3, "short PPM raster")
    rows = [[tuple(raster[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


class Demo:
    """The program under test, with the presentation probe preloaded."""

    def __init__(self, program, env, probe=None):
        self.dir = tempfile.mkdtemp(prefix="kova-e2e-")
        self.log = os.path.join(self.dir, "presents.log")
        if probe:
            env = dict(env, LD_PRELOAD=probe, KOVA_PROBE_LOG=self.log)
        self.out = open(os.path.join(self.dir, "stdout"), "wb")
        self.err = open(os.path.join(self.dir, "stderr"), "wb")
        self.process = subprocess.Popen([program, "ignored", "--arguments"], env=env, cwd=self.dir,
                                        stdout=self.out, stderr=self.err)

    def presents(self):
        try:
            with open(self.log) as f:
                return [tuple(int(v) for v in line.split()) for line in f if line.count(" ") == 2]
        except FileNotFoundError:
            return []

    def wait_presents(self, count, timeout=20):
        deadline = time.monotonic() + timeout
        while len(self.presents()) < count:
            check(self.alive(), "the program ended")
            check(time.monotonic() < deadline, f"fewer than {count} frames shown"
                  + ("" if os.path.exists(self.log) else " (no probe log: is the probe preloaded?)"))
            time.sleep(0.05)

    def rate(self, seconds):
        """Frames shown per second over the next `seconds` seconds."""
        start = time.monotonic()
        time.sleep(seconds)
        end = time.monotonic()
        shown = [p for p in self.presents() if start * 1e6 <= p[0] < end * 1e6]
        return len(shown) / (end - start)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=20):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not exit")

    def stderr(self):
        self.err.flush()
        with open(os.path.join(self.dir, "stderr"), "rb") as f:
            return f.read().decode(errors="replace")

    def stdout(self):
        self.out.flush()
        with open(os.path.join(self.dir, "stdout"), "rb") as f:
            return f.read().decode(errors="replace")

    def kill(self):
        if self.alive():
            self.process.kill()
            self.process.wait()


def check_still_running(demo, what):
    before = len(demo.presents())
    time.sleep(1.0)
    check(demo.alive(), f"the program ended after {what}")
    check(len(demo.presents()) >= before + 10, f"the program stopped showing frames after {what}")


def check_escape(demo, env, window):
    """Escape: 64 presentations without a key poll between them, each no brighter than the one
    before, the last one black; then exit status 0."""
    key(env, window, "Escape")
    status = demo.wait_exit()
    check(status == 0, f"exit status {status} after Escape; stderr: {demo.stderr()}")
    shown = demo.presents()
    last_poll = max(i for i, p in enumerate(shown) if p[1] > 0)
    fade = shown[last_poll:]
    check(len(fade) == 64, f"{len(fade)} frames shown after the last key poll, not the fade's 64")
    sums = [p[2] for p in fade]
    check(all(a >= b for a, b in zip(sums, sums[1:])), "the fade got brighter on the way")
    check(sums[-1] == 0, f"the last picture is not black (channel sum {sums[-1]})")
    check(demo.stdout() == "", f"the program printed: {demo.stdout()!r}")


def test_window(depth, program, probe, closer):
    x = Xvfb(depth)
    demo = None
    try:
        env = x.env()
        demo = Demo(program, env, probe)
        window = find_window(env)
        geometry = run(["xwininfo", "-id", window], env)
        check("Width: 256" in geometry and "Height: 256" in geometry, f"window geometry:\n{geometry}")
        props = run(["xprop", "-id", window, "WM_NAME", "WM_ICON_NAME"], env)
        check(props.count('"KOVA1301"') == 2, f"title and icon name:\n{props}")
        demo.wait_presents(10)
        width, height, _ = screenshot(env, "-id", window)
        check((width, height) == (256, 256), f"screenshot {width}x{height}")

        # Speed: 25 frames a second at start, 50 after '6', 25 again after '5'.
        slow = demo.rate(2.0)
        key(env, window, "6")
        time.sleep(0.3)
        fast = demo.rate(2.0)
        key(env, window, "5")
        time.sleep(0.3)
        slow_again = demo.rate(2.0)
        print(f"frames per second: {slow:.1f}, after '6' {fast:.1f}, after '5' {slow_again:.1f}")
        check(18 <= slow <= 27 and 18 <= slow_again <= 27, "not about 25 frames a second")
        check(36 <= fast <= 54 and fast > 1.6 * slow, "'6' did not double the speed")

        # Neither a close request nor SIGTERM ends it; space goes on to the next scene.
        run([closer, window], env)
        check_still_running(demo, "a window-close request")
        demo.process.send_signal(signal.SIGTERM)
        check_still_running(demo, "SIGTERM")
        key(env, window, "space")
        check_still_running(demo, "space")
        check_escape(demo, env, window)
    finally:
        if demo:
            demo.kill()
        x.close()


def test_fullscreen(depth, program, probe):
    x = Xvfb(depth)
    demo = None
    try:
        env = x.env()
        demo = Demo(program, env, probe)
        window = find_window(env)
        demo.wait_presents(10)
        # Xvfb keeps its mode: SDL covers the screen in black and centres the picture.
        width, height, rows = screenshot(env, "-root")
        check((width, height) == (1024, 768), f"root screenshot {width}x{height}")
        left, top = (width - 256) // 2, (height - 256) // 2
        outside = [rows[y][x] for y in range(0, height, 7) for x in range(0, width, 7)
                   if not (left <= x < left + 256 and top <= y < top + 256)]
        check(all(p == (0, 0, 0) for p in outside), "the screen around the picture is not black")
        picture = [row[left:left + 256] for row in rows[top:top + 256]]
        check(len(picture) == 256 and all(len(r) == 256 for r in picture), "picture cut")
        check_still_running(demo, "opening")
        check_escape(demo, env, window)
    finally:
        if demo:
            demo.kill()
        x.close()


def test_nodisplay(programs):
    """Without a usable X display the Linux programs say so and exit 1, whatever SDL could fall
    back to (its text-terminal driver, a console frame buffer); a driver the user names in
    SDL_VIDEODRIVER is respected."""
    base = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "SDL_VIDEODRIVER")}
    base["SDL_AUDIODRIVER"] = "dummy"
    prefix = "KOVA1301: cannot open the display: "
    for program in programs:
        for name, extra in [("DISPLAY unset", {}), ("no server", {"DISPLAY": ":65531"}),
                            ("x11 named", {"DISPLAY": ":65531", "SDL_VIDEODRIVER": "x11"})]:
            try:
                result = subprocess.run([program], env=dict(base, **extra), capture_output=True, timeout=20)
            except subprocess.TimeoutExpired as expired:
                raise Failure(f"{name}: still running after 20 s; standard output began "
                              f"{(expired.stdout or b'')[:80]!r}")
            err = result.stderr.decode(errors="replace")
            lines = [line for line in err.splitlines() if line.strip()]
            check(result.returncode == 1, f"{name}: exit status {result.returncode}, stderr: {err!r}")
            check(len(lines) == 1 and lines[0].startswith(prefix) and len(lines[0]) > len(prefix),
                  f"{name}: standard error: {err!r}")
            check(result.stdout == b"", f"{name}: standard output: {result.stdout[:200]!r}")
            print(f"{name}: {lines[0]}")
        # The user's own choice stands: on SDL's dummy driver the program runs, silently.
        demo = subprocess.Popen([program], env=dict(base, SDL_VIDEODRIVER="dummy"),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(2)
        ended = demo.poll()
        demo.kill()
        out, err = demo.communicate()
        check(ended is None, f"on the dummy driver it ended: status {ended}, stderr: {err!r}")
        check(out == b"" and err == b"", f"on the dummy driver it printed {out[:200]!r} {err[:200]!r}")


def test_quiet(program):
    """SDL left to choose the sound driver (none works without a sound card): nothing printed."""
    x = Xvfb(24)
    demo = None
    try:
        env = {k: v for k, v in x.env().items() if k not in ("SDL_AUDIODRIVER", "AUDIODEV")}
        demo = Demo(program, env)
        key(env, find_window(env), "Escape")
        status = demo.wait_exit()
        check(status == 0 and demo.stdout() == demo.stderr() == "",
              f"status {status}, printed {demo.stdout()[:300]!r}, on stderr {demo.stderr()[:600]!r}")
    finally:
        if demo:
            demo.kill()
        x.close()


def test_unit(depth, binary, args):
    x = Xvfb(depth)
    try:
        result = subprocess.run([binary, *args], env=x.env(), capture_output=True, timeout=120)
        sys.stdout.write(result.stdout.decode(errors="replace")[-3000:])
        check(result.returncode == 0, f"{binary} failed at depth {depth}:\n"
              + result.stderr.decode(errors="replace")[-3000:])
    finally:
        x.close()


# The scene functions in the order the cycle plays them; scene_log.py is given this list.
SCENES = ["SceneRain", "ScenePlasma", "SceneScroller", "SceneBars", "ScenePages"]


def test_scenes(depth, program):
    """Space ends each scene after its frame and starts the next, one at a time, around the
    whole cycle; Escape still ends the program with status 0."""
    x = Xvfb(depth)
    gdb = None
    try:
        env = x.env()
        workdir = tempfile.mkdtemp(prefix="kova-e2e-")
        scene_log = os.path.join(workdir, "scenes.log")
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scene_log.py")
        # LeakSanitizer cannot run under ptrace; the other runs check for leaks.
        asan = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS", ""), "detect_leaks=0"]))
        gdb = subprocess.Popen(["gdb", "-batch", "-nx", "-ex", f"python SCENES = {SCENES!r}",
                                "-x", script, "--args", program],
                               env=dict(env, KOVA_SCENE_LOG=scene_log, ASAN_OPTIONS=asan), cwd=workdir,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def entries():
            try:
                with open(scene_log) as f:
                    return [line.split() for line in f]
            except FileNotFoundError:
                return []

        def wait_entries(count, timeout):
            deadline = time.monotonic() + timeout
            while len(entries()) < count and time.monotonic() < deadline:
                time.sleep(0.05)
            return entries()

        window = find_window(env)
        seen = wait_entries(1, 30)
        check([e[1] for e in seen] == ["SceneRain"], f"start: {seen}")
        for step, expected in enumerate(SCENES[1:] + SCENES[:1], start=2):
            key(env, window, "space")
            seen = wait_entries(step, 5)
            check(len(seen) >= step and seen[step - 1][1] == expected,
                  f"after space {step - 1}: {[e[1] for e in seen]}, wanted {expected} next")
            time.sleep(0.4)
            check(len(entries()) == step, f"space skipped more than one scene: {entries()}")
        key(env, window, "Escape")
        seen = wait_entries(len(SCENES) + 2, 20)
        check(seen[-1] == ["exit", "0"], f"end of run: {seen[-1]}")
    finally:
        if gdb and gdb.poll() is None:
            gdb.kill()
            gdb.wait()
        x.close()


def main(argv):
    try:
        kind = argv[1]
        if kind == "window":
            test_window(int(argv[2]), argv[3], argv[4], argv[5])
        elif kind == "fullscreen":
            test_fullscreen(int(argv[2]), argv[3], argv[4])
        elif kind == "nodisplay":
            test_nodisplay(argv[2:])
        elif kind == "quiet":
            test_quiet(argv[2])
        elif kind == "scenes":
            test_scenes(int(argv[2]), argv[3])
        elif kind == "unit":
            test_unit(int(argv[2]), argv[3], argv[4:])
        else:
            print(__doc__)
            return 2
    except Failure as failure:
        print(f"FAILED: {failure}")
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
