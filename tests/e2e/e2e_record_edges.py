#!/usr/bin/env python3
"""The recorder at its edges, as people run it on their own files and folders: without a sound
output it still finishes, with a silent sound.wav; a key range costs no memory per frame, and
memory that runs out ends the run with one line; a refused run changes no file; a file it did
not make is never followed or overwritten, and nothing made for ffmpeg is left behind; error
lines show bytes escaped and name the real cause; a run whose sound cannot fit one WAV file is
refused up front. Every failure: status 1, one line "kova-record: ..." on standard error, and
the output directory not made.

Usage: e2e_record_edges.py KOVA_RECORD"""
import os
import resource
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

# The most --frames whose sound (N + 64 frames of 1,764 values at 25 per second) fits one WAV file.
MAX_FRAMES = (2**32 - 1 - 36) // 3528 - 64


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(program, args, cwd, limit=None, env=None, stdout=subprocess.PIPE):
    """Runs the recorder; returns (status, standard output, standard error)."""
    done = subprocess.run([program] + args, cwd=cwd, stdout=stdout, stderr=subprocess.PIPE, preexec_fn=limit,
                          env=env, timeout=300)
    return done.returncode, done.stdout or b"", done.stderr


def peak_kb(program, args, cwd):
    """Status, standard error and peak resident memory of one run (os.wait4 reports the child's own)."""
    child = subprocess.Popen([program] + args, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    return child.returncode, err, usage.ru_maxrss


def one_line(case, status, err, want):
    lines = err.decode(errors="replace").splitlines() or [""]
    if status != 1 or len(lines) != 1 or not lines[0].startswith("kova-record: ") or want not in lines[0]:
        fail("%s: status %d, stderr %r; want status 1 and one line with %r" % (case, status, err[:300], want))
    return lines[0]


def main():
    program = os.path.abspath(sys.argv[1])
    with open(program, "rb") as f:
        sanitized = b"__asan_init" in f.read()
    work = tempfile.mkdtemp(prefix="kova-record-edges-")
    try:
        def path(*names):
            return os.path.join(work, *names)

        # 1. No sound output (SDL cannot start its audio thread under a stack limit this large):
        # every frame, a silent sound.wav of one period per frame, status 0.
        def huge_stack():
            resource.setrlimit(resource.RLIMIT_STACK, (100000000 * 1024, resource.RLIM_INFINITY))
        status, out, err = run(program, ["--frames", "30", "--out", "silent"], work, huge_stack)
        if status != 0 or b"no sound output" not in err:
            fail("without a sound output: status %d, stderr %r" % (status, err[-600:]))
        with open(path("silent", "sound.wav"), "rb") as f:
            wav = f.read()
        if len(wav) != 44 + 2 * 1764 * (30 + 64) or any(wav[44:]):
            fail("without a sound output sound.wav holds %d bytes, not %d of silence" %
                 (len(wav), 44 + 2 * 1764 * 94))

        # 2. A range of a million frames costs no more memory than one frame (both runs end at
        # the overlap check, before the demo starts).
        big = ["--frames", str(MAX_FRAMES), "--keys", "1-%d:a,%d:b" % (MAX_FRAMES - 1, MAX_FRAMES - 1)]
        small = ["--frames", str(MAX_FRAMES), "--keys", "%d:a,%d:b" % (MAX_FRAMES - 1, MAX_FRAMES - 1)]
        peaks = []
        for args in (big, small):
            status, err, peak = peak_kb(program, args + ["--out", "ranges"], work)
            one_line("overlapping keys", status, err, "--keys: two keys at frame %d" % (MAX_FRAMES - 1))
            peaks.append(peak)
        if peaks[0] > peaks[1] + 8192:
            fail("a key range over %d frames took %d kB more memory" % (MAX_FRAMES - 1, peaks[0] - peaks[1]))

        # 3. A refused run leaves the log of the earlier one as it was.
        log = path("keep.log")
        status, _, err = run(program, ["--frames", "3", "--out", "kept", "--log", log], work)
        if status != 0:
            fail("a run with --log failed: %r" % err)
        with open(log, "w") as f:
            f.write("the earlier log\n")

        # 4. A frame list planted as a link to someone's file, with an ffmpeg that keeps the list
        # it was given: the file stays as it was, and nothing is left in the temporary folder.
        planted, tmp, bin_dir = path("planted"), path("tmp"), path("bin")
        for d in (planted, tmp, bin_dir, path("empty")):
            os.mkdir(d)
        with open(path("precious"), "w") as f:
            f.write("precious\n")
        os.symlink(path("precious"), os.path.join(planted, "frames.ffconcat"))
        ffmpeg = os.path.join(bin_dir, "ffmpeg")
        with open(ffmpeg, "w") as f:
            f.write('#!/bin/sh\n[ "$1" = -version ] && exit 0\n'
                    'while [ $# -gt 1 ]; do case "$1" in *.ffconcat) cp "$1" "%s";; esac; shift; done\n'
                    ': > "$1"\n' % path("list-seen"))
        os.chmod(ffmpeg, stat.S_IRWXU)
        env = dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"], TMPDIR=tmp)
        status, _, err = run(program, ["--frames", "3", "--out", planted, "--mp4", path("x.mp4")], work, env=env)
        with open(path("precious")) as f:
            if status != 0 or f.read() != "precious\n":
                fail("--mp4 with a planted frame list: status %d, %r, the link's target changed" % (status, err))
        with open(path("list-seen")) as f:
            listed = [line.split("'")[1] for line in f if line.startswith("file ")]
        if listed[:2] != [os.path.join(planted, "frame-00001.ppm"), os.path.join(planted, "frame-00002.ppm")]:
            fail("ffmpeg was given the frames %s" % listed[:2])
        if os.listdir(tmp) or not os.path.islink(os.path.join(planted, "frames.ffconcat")):
            fail("left behind after --mp4: %s" % os.listdir(tmp))

        # 1, 2, 3, 5 and 6: failures, each one line and status 1, with no output directory made.
        with open(path("nul.txt"), "wb") as f:
            f.write(b"2:a\x00bc\n")
        with open(path("huge.txt"), "w") as f:  # read whole under a 40 MB address space: fails
            f.write("# padding padding padding padding padding padding padding padding\n" * 800000)

        def full_disk():
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
            resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000))

        def small_memory():
            resource.setrlimit(resource.RLIMIT_AS, (40 << 20, 40 << 20))
        cases = [
            (["--out", "kept", "--log", log], None, "already holds a recording"),
            (["--out", "empty", "--log", path("empty", "frame-00002.ppm")], None, "is a file of the recording itself"),
            (["--out", "empty", "--log", path("empty", "sound.wav")], None, "is a file of the recording itself"),
            (["--log", path("new", "frame-00002.ppm")], None, "is a file of the recording itself"),
            (["--mp4", path("new", "..", "new", "frame-00001.ppm")], None, "is a file of the recording itself"),
            (["--script", path("nul.txt")], None, "bad key press '2:a\\x00bc'"),
            (["--keys", "2:\x1b[2J\x07"], None, "bad key press '2:\\x1B[2J\\x07'"),
            (["--keys", "2:0x+f"], None, "bad key press '2:0x+f'"),
            (["--keys", "2:0x-0"], None, "bad key press '2:0x-0'"),
            (["--keys", "2:0x4g"], None, "bad key press '2:0x4g'"),
            # (a bad key as well, so that a recorder that took the frames fails at once)
            (["--frames", str(MAX_FRAMES + 1), "--keys", "0:a"], None, "at most %d" % MAX_FRAMES),
            ([], full_disk, "cannot write frame-00001.ppm in %s: File too large" % path("new")),
        ]
        if not sanitized:  # the sanitizers need more address space than that to start
            cases.append((["--script", path("huge.txt")], small_memory, "kova-record: out of memory"))
        for args, limit, want in cases:
            if "--frames" not in args:
                args = ["--frames", "3"] + args
            if "--out" not in args:
                args = args + ["--out", path("new")]
            status, _, err = run(program, args, work, limit, env)
            line = one_line(args, status, err, want)
            if any(b < 0x20 for b in line.encode()):
                fail("%s: raw control bytes in %r" % (args, line))
            if (os.path.exists(path("new")) and limit is not full_disk) or os.listdir(path("empty")):
                fail("%s: the refused run made files" % args)
            shutil.rmtree(path("new"), ignore_errors=True)
        with open(log) as f:
            if f.read() != "the earlier log\n":
                fail("a refused run changed the earlier log")

        # 5. A summary that cannot be written fails the run.
        with open("/dev/full", "wb") as full:
            status, _, err = run(program, ["--frames", "3", "--out", path("new")], work, stdout=full)
        one_line("standard output full", status, err, "cannot write the summary")
        print("PASS: %d refusals, one line each; silent sound without an output; ranges in %d kB" %
              (len(cases) + 1, peaks[0]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
