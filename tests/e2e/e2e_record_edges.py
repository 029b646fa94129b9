#!/usr/bin/env python3
"""The recorder at its edges: no sound output, a huge key range, a planted link, and failures
(each status 1 and one escaped line naming the cause; a refused run changes no file).
Usage: e2e_record_edges.py KOVA_RECORD"""
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

MAX_FRAMES = (2**32 - 1 - 36) // 3528 - 64  # N + 64 frames of 1,764 values fit one WAV file


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def run(args, limit=None, env=None, stdout=subprocess.DEVNULL):
    """Status, standard error and peak resident kB of one run of the recorder in the work folder."""
    child = subprocess.Popen([PROGRAM] + args, cwd=WORK, stdout=stdout, stderr=subprocess.PIPE,
                             preexec_fn=limit, env=env)
    err = child.stderr.read()
    _, status, usage = os.wait4(child.pid, 0)
    return os.waitstatus_to_exitcode(status), err, usage.ru_maxrss


def one_line(case, status, err, want):
    line = (err.decode(errors="replace").splitlines() or [""])[0]
    if status != 1 or err.count(b"\n") != 1 or not line.startswith("kova-record: ") or want not in line \
            or any(ord(c) < 0x20 for c in line):
        fail("%s: status %d, stderr %r; want status 1 and one line with %r" % (case, status, err[:300], want))


def main():
    path = lambda *names: os.path.join(WORK, *names)  # noqa: E731
    # No sound output: SDL cannot start its audio thread under so large a stack limit.
    status, err, _ = run(["--frames", "30", "--out", "silent"], lambda: resource.setrlimit(
        resource.RLIMIT_STACK, (100000000 * 1024, resource.RLIM_INFINITY)))
    with open(path("silent", "sound.wav"), "rb") as f:
        wav = f.read()
    if status != 0 or len(wav) != 44 + 2 * 1764 * (30 + 64) or any(wav[44:]):
        fail("without a sound output: status %d, %d bytes of sound, %r" % (status, len(wav), err[-300:]))

    # One frame, then a range over a million, both refused for the overlap: the same memory.
    peaks = []
    for first in (MAX_FRAMES - 1, 1):
        keys = "%d-%d:a,%d:b" % (first, MAX_FRAMES - 1, MAX_FRAMES - 1)
        status, err, peak = run(["--frames", str(MAX_FRAMES), "--keys", keys])
        one_line(keys, status, err, "--keys: two keys at frame %d" % (MAX_FRAMES - 1))
        peaks.append(peak)
    if peaks[1] > peaks[0] + 8192:
        fail("a key range over %d frames took %d kB more memory" % (MAX_FRAMES - 1, peaks[1] - peaks[0]))

    # A frame list planted as a link, and an ffmpeg that keeps a copy of the list it is given.
    for d in ("planted", "tmp", "bin", "empty"):
        os.mkdir(path(d))
    open(path("precious"), "w").write("precious\n")
    os.symlink(path("precious"), path("planted", "frames.ffconcat"))
    with open(path("bin", "ffmpeg"), "w") as f:
        f.write('#!/bin/sh\n[ "$1" = -version ] && exit 0\nwhile [ $# -gt 1 ]; do case "$1" in\n'
                '*.ffconcat) cp "$1" "%s";; esac; shift; done\n: > "$1"\n' % path("list-seen"))
    os.chmod(path("bin", "ffmpeg"), 0o700)
    env = dict(os.environ, PATH=path("bin") + os.pathsep + os.environ["PATH"], TMPDIR=path("tmp"))
    status, err, _ = run(["--frames", "3", "--out", "planted", "--mp4", "x.mp4", "--log", "keep.log"], env=env)
    with open(path("precious")) as f, open(path("list-seen")) as seen:
        listed = [line.split("'")[1] for line in seen if line.startswith("file ")]
        if status != 0 or f.read() != "precious\n" or os.listdir(path("tmp")) or \
                listed[0] != path("planted", "frame-00001.ppm"):
            fail("--mp4 beside a planted list: status %d %r, left %s, gave ffmpeg %s" %
                 (status, err, os.listdir(path("tmp")), listed[:1]))

    open(path("keep.log"), "w").write("the earlier log\n")
    open(path("nul.txt"), "wb").write(b"2:a\x00bc\n")
    with open(path("huge.txt"), "w") as f:  # more than a 40 MB address space can read whole
        f.write("# padding padding padding padding padding padding padding padding\n" * 800000)
    full_disk = lambda: (signal.signal(signal.SIGXFSZ, signal.SIG_IGN),  # noqa: E731
                         resource.setrlimit(resource.RLIMIT_FSIZE, (100000, 100000)))
    cases = [
        (["--out", "planted", "--log", "keep.log"], None, "already holds a recording"),
        (["--out", "empty", "--log", "empty/frame-00002.ppm"], None, "is a file of the recording itself"),
        (["--mp4", "new/../new/frame-00001.ppm"], None, "is a file of the recording itself"),
        (["--script", "nul.txt"], None, "bad key press '2:a\\x00bc'"),
        (["--keys", "2:\x1b[2J\x07"], None, "bad key press '2:\\x1B[2J\\x07'"),
        (["--keys", "2:0x+f"], None, "bad key press '2:0x+f'"),
        (["--frames", str(MAX_FRAMES + 1), "--keys", "0:a"], None, "at most %d" % MAX_FRAMES),
        ([], full_disk, "cannot write frame-00001.ppm in %s: File too large" % path("new")),
    ]
    with open(PROGRAM, "rb") as f:
        if b"__asan_init" not in f.read():  # the sanitizers need more address space to start
            cases.append((["--script", "huge.txt"], lambda: resource.setrlimit(
                resource.RLIMIT_AS, (40 << 20, 40 << 20)), "kova-record: out of memory"))
    for args, limit, want in cases:
        args = ["--frames", "3"] * ("--frames" not in args) + args + ["--out", "new"] * ("--out" not in args)
        one_line(args, *run(args, limit, env)[:2], want)
        if (os.path.exists(path("new")) and limit is not full_disk) or os.listdir(path("empty")):
            fail("%s: the refused run made files" % args)
        shutil.rmtree(path("new"), ignore_errors=True)
    with open(path("keep.log")) as f:
        if f.read() != "the earlier log\n":
            fail("a refused run changed the earlier log")
    with open("/dev/full", "wb") as full:
        one_line("standard output full", *run(["--frames", "3", "--out", "new"], stdout=full)[:2],
                 "cannot write the summary")
        one_line("scene lengths to a full disk", *run(["--scene-lengths"], stdout=full)[:2],
                 "cannot write the scene lengths")
    print("PASS: %d failures, one line each; silent sound without an output; ranges in %d kB" %
          (len(cases) + 3, peaks[1]))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv[1])
    WORK = tempfile.mkdtemp(prefix="kova-record-edges-")
    try:
        main()
    finally:
        shutil.rmtree(WORK, ignore_errors=True)
