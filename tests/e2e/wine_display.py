"""The X side of the Wine harness: a private Xvfb server on a display number
no one else holds (Xvfb picks it with -displayfd, so parallel runs cannot
collide), xdotool on that display, and where the Wine desktop lies on it."""

import ctypes
import os
import select
import signal
import subprocess

from wine_common import COMMAND_TIMEOUT, DESKTOP_NAME, DESKTOP_SIZE


def stop_when_parent_dies():
    """In a child before exec: ask Linux to end it when its parent dies, so a
    test killed at its time-out leaves no X server behind."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


class Display:
    """A private Xvfb server; `name` is its DISPLAY value once started."""

    def __init__(self, size=DESKTOP_SIZE + "x24", log_path=None):
        self.size = size
        self.log_path = log_path
        self.process = None
        self.name = None

    def start(self, timeout=30):
        read_end, write_end = os.pipe()
        log = open(self.log_path, "ab") if self.log_path else subprocess.DEVNULL
        try:
            self.process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size,
                 "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                preexec_fn=stop_when_parent_dies)
        finally:
            os.close(write_end)
            if log is not subprocess.DEVNULL:
                log.close()
        with os.fdopen(read_end, "rb") as pipe:
            ready, _, _ = select.select([pipe], [], [], timeout)
            number = pipe.readline().strip() if ready else b""
        if not number.isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not start (see its log: %s)" % self.log_path)
        self.name = ":" + number.decode()
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None


def xdotool(display, *args):
    """Runs xdotool on the X display `display`; its output. Fails unless it
    succeeds, but a search may find nothing."""
    env = dict(os.environ, DISPLAY=display)
    result = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                            timeout=COMMAND_TIMEOUT)
    if result.returncode != 0 and args[0] != "search":
        raise RuntimeError(f"xdotool {' '.join(args)}: {result.stderr.strip()}")
    return result.stdout


def desktop_offset(display):
    """Where the Wine desktop's top-left corner lies on the X screen of `display`."""
    found = xdotool(display, "search", "--name", f"^{DESKTOP_NAME} - Wine desktop$").split()
    if not found:
        return 0, 0
    geometry = dict(line.split("=", 1) for line in
                    xdotool(display, "getwindowgeometry", "--shell", found[0]).split())
    return int(geometry["X"]), int(geometry["Y"])
