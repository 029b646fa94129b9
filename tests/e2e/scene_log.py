# Loaded by gdb (gdb -batch -nx -ex "python SCENES = [...]" -x scene_log.py --args PROGRAM), the
# scene functions named by the caller (e2e.py): runs the program and appends
# "<monotonic seconds> <scene function>" to $KOVA_SCENE_LOG each time a scene function is entered,
# and "exit <status>" when the program ends. The breakpoints never stop the program.
import os
import time

import gdb

log = open(os.environ["KOVA_SCENE_LOG"], "w", buffering=1)


class SceneEntry(gdb.Breakpoint):
    # On the function's first instruction: past the prologue an optimised build may already be
    # inside the scene's frame loop.
    def __init__(self, name):
        super().__init__(f"*{name}")
        self.name = name

    def stop(self):
        log.write(f"{time.monotonic():.6f} {self.name}\n")
        return False


def exited(event):
    log.write(f"exit {getattr(event, 'exit_code', 'unknown')}\n")


gdb.execute("set pagination off")
gdb.execute("set confirm off")
gdb.execute("handle SIGTERM SIGINT SIGPIPE SIGUSR1 SIGUSR2 nostop noprint pass")
for scene in SCENES:  # noqa: F821 (set by the caller before this script)
    SceneEntry(scene)
gdb.events.exited.connect(exited)
gdb.execute("run")
