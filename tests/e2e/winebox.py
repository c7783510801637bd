"""Runs the Windows build under Wine on a private X display, for the end-to-end
tests and for tools/run. Standard library only.

What each piece promises, and where it lives:
- `wait_until` (wine_common.py): polls a function until it returns something
  truthy and returns that, or raises `TimeoutError` naming what it waited
  for. Tests wait with it, never with a bare sleep.
- `Display` (wine_display.py): an Xvfb server of our own on a display number
  no one else holds (Xvfb picks it with -displayfd, so parallel runs cannot
  collide).
- `Prefix` (wine_prefix.py): a private Wine prefix set up as a Russian
  Windows (code page 1251), with every program in one virtual desktop named
  "orvanta" (title bars and a shared window list), Wine's own fonts, and no
  crash or add-on dialogs. Creating it is bounded in time and retried once
  from scratch.
- `Session` (here): one test's exclusive use of a prefix (a lock file
  serialises concurrent runs) and a display; it starts programs
  (wine_programs.py), lists and reads windows through probe.exe
  (wine_windows.py), clicks and types through xdotool (wine_input.py), reads
  and writes the registry and maps a folder as a CD-ROM drive
  (wine_registry.py), and kills every Wine process of the prefix when it ends.
- `show` (winebox_show.py; the command `show` of this file, which tools/run
  runs): the program on the demo library of demo.py (or on none) in its own
  prefix, and a screenshot.

The names the tests use (wait_until, Session, SOURCE_DIR, COMMAND_TIMEOUT,
unescape_text, ...) are all importable from here.
"""

import argparse
import contextlib
import fcntl
import os
import shutil
import signal
import subprocess
import sys
from pathlib import Path

from wine_common import COMMAND_TIMEOUT, DESKTOP_NAME, DESKTOP_SIZE, POLL_INTERVAL, wait_until
from wine_display import Display, desktop_offset, stop_when_parent_dies, xdotool
from wine_input import Input
from wine_prefix import LOCALE, PREFIX_TIMEOUT, Prefix, wine_fonts_dir
from wine_programs import Program, Programs
from wine_registry import Registry
from wine_windows import Window, WindowQueries, unescape_text
from winebox_show import HINT_ROUND, LB_GETITEMHEIGHT, ShownDesktop, show

__all__ = [
    "COMMAND_TIMEOUT", "DESKTOP_NAME", "DESKTOP_SIZE", "HINT_ROUND", "LB_GETITEMHEIGHT",
    "LOCALE", "POLL_INTERVAL", "PREFIX_TIMEOUT", "SOURCE_DIR", "WIN_BUILD_DIR", "WORK_DIR",
    "Display", "Prefix", "Program", "Session", "ShownDesktop", "Window", "desktop_offset",
    "main", "show", "stop_when_parent_dies", "unescape_text", "wait_until", "wine_fonts_dir",
    "xdotool",
]

SOURCE_DIR = Path(os.environ.get("ORVANTA_SOURCE_DIR", Path(__file__).resolve().parents[2]))
WIN_BUILD_DIR = Path(os.environ.get("ORVANTA_WIN_BUILD", SOURCE_DIR / "build" / "win"))
WORK_DIR = Path(os.environ.get("ORVANTA_E2E_WORK", SOURCE_DIR / "build" / "e2e"))


class Session(Programs, WindowQueries, Input, Registry):
    """One test's exclusive use of the prefix under `work_dir` and of a display.

    Entering takes the lock, starts a private Xvfb, makes the prefix when it is
    missing or outdated (or always, with fresh_prefix), kills what an earlier
    test left running, and resets the program's settings and the D: drive.
    Leaving kills every Wine process of the prefix and stops the display.
    Running programs, windows, input and the registry are in the classes
    it is made of (wine_programs, wine_windows, wine_input, wine_registry)."""

    def __init__(self, name, work_dir=WORK_DIR, win_build_dir=WIN_BUILD_DIR, fresh_prefix=False):
        self.name = name
        self.fresh_prefix = fresh_prefix
        self.work_dir = Path(work_dir)
        self.win_build_dir = Path(win_build_dir)
        self.logs = self.work_dir / "logs"
        self.prefix = Prefix(self.work_dir / "prefix", log_path=self.logs / "prefix.log")
        self.display = Display(log_path=self.logs / "xvfb.log")
        self._lock = None
        self._holder = None
        self._programs = []
        self._desktop_offset = None

    # -- life cycle ---------------------------------------------------------

    def __enter__(self):
        self.logs.mkdir(parents=True, exist_ok=True)
        self._lock = open(self.work_dir / "lock", "w")
        fcntl.flock(self._lock, fcntl.LOCK_EX)
        try:
            self.display.start()
            if self.fresh_prefix:
                self.prefix.create(self.display.name)
            else:
                self.prefix.ensure(self.display.name)
            self.prefix.kill_server(self.display.name)
            self.reset_state()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        try:
            self.kill_all()
        finally:
            self.display.stop()
            if self._lock:
                self._lock.close()  # releases the lock
                self._lock = None

    def kill_all(self):
        """Ends every Wine process of the prefix (so the program's
        single-instance semaphore is gone) and waits until they are gone."""
        self.prefix.kill_server(self.display.name)
        if self._holder:
            self._holder.stdin.close()
            with contextlib.suppress(subprocess.TimeoutExpired):
                self._holder.wait(10)
            self._holder = None
        for program in self._programs:
            with contextlib.suppress(subprocess.TimeoutExpired):
                program.popen.wait(10)
        self._programs.clear()

    def reset_state(self):
        """Forgets what the program stored and unmaps D:."""
        for key in (r"HKCU\Software\Orvanta", r"HKCR\.ovs", r"HKCR\orvanta"):
            self.wine("reg", "delete", key, "/f")
        self.unmap_drive("d")

    # -- paths and files ----------------------------------------------------

    @property
    def drive_c(self):
        return self.prefix.path / "drive_c"

    def windows_path(self, path):
        """The Windows path of a Unix path: C:\\... inside drive_c, else Z:\\..."""
        return self.prefix.windows_path(path)

    def built(self, name):
        """Path of a program of the Windows build; fails clearly when missing."""
        path = self.win_build_dir / name
        if not path.is_file():
            raise FileNotFoundError(f"{path} is missing: build the Windows program first")
        return path

    def install_orvanta(self, folder=None):
        """Copies orvanta.exe into `folder` (default C:\\Orvanta) and returns the
        Unix path of the copy."""
        folder = Path(folder) if folder else self.drive_c / "Orvanta"
        folder.mkdir(parents=True, exist_ok=True)
        target = folder / "orvanta.exe"
        # A copy written over the file would change the pages of a copy of the
        # program that runs from it (a second copy's test): a new file takes
        # the name, and the running one keeps its own.
        partial = target.with_suffix(".partial")
        shutil.copyfile(self.built("orvanta.exe"), partial)
        partial.replace(target)
        return target


# -- tools/run -----------------------------------------------------------------


def main(argv=None):
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    sub = parser.add_subparsers(dest="command", required=True)
    run = sub.add_parser("show", help="run orvanta.exe in a Wine desktop and take a screenshot")
    run.add_argument("--work", default=str(SOURCE_DIR / "build" / "run"))
    run.add_argument("--exe", default=str(WIN_BUILD_DIR / "orvanta.exe"))
    run.add_argument("--probe", default=str(WIN_BUILD_DIR / "probe.exe"))
    run.add_argument("--timeout", type=float, default=120)
    run.add_argument("--shot", action="store_true", help="exit after the screenshot")
    run.add_argument("--empty", action="store_true", help="open no library, not the demo one")
    args = parser.parse_args(argv)
    try:
        show(args)
    except (TimeoutError, RuntimeError, OSError, subprocess.SubprocessError) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
