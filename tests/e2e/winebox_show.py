"""What tools/run shows (the command `show` of winebox.py): orvanta.exe on
the demo library of demo.py (or on none) in a prefix of its own, with the
pointer resting on the last package so that its hint shows, and a
screenshot. `ShownDesktop` reads that desktop's windows through probe.exe."""

import os
import subprocess
import sys
import time
from pathlib import Path

from wine_common import DESKTOP_NAME, DESKTOP_SIZE, wait_until
from wine_display import Display, desktop_offset, xdotool
from wine_prefix import Prefix
from wine_windows import Window

LB_GETITEMHEIGHT = 0x01A1
HINT_ROUND = 3  # seconds a hint may take to show before the pointer comes again


def show(args):
    """Starts orvanta.exe in the virtual desktop, on the demo library (see
    demo.py) or, with --empty, on no library; saves a screenshot once its
    main window shows, with the pointer resting on the last package so that
    its hint shows, and keeps the program running until Enter (unless --shot
    or no terminal)."""
    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    own_display = None
    display = os.environ.get("DISPLAY")
    if not display:
        own_display = Display(log_path=work / "xvfb.log").start()
        display = own_display.name
    prefix = Prefix(work / "prefix", log_path=work / "prefix.log")
    try:
        if not prefix.is_ready():
            print("Creating the Wine prefix (first run only)...", flush=True)
        prefix.ensure(display)
        prefix.kill_server(display)
        import demo  # it imports winebox, which imports this module, so not at the top
        if args.empty:
            demo.forget_library(prefix, display)
        else:
            print(f"Preparing the demo library {demo.LIBRARY}...", flush=True)
            demo.prepare(prefix, display, Path(args.exe).resolve().parent, work)
        # The Wine launcher may end before the program it started: whether
        # the program still runs is told by its window, not by the launcher.
        subprocess.Popen(
            ["wine", "explorer", f"/desktop={DESKTOP_NAME},{DESKTOP_SIZE}",
             str(Path(args.exe).resolve())],
            env=prefix.env(display), stdin=subprocess.DEVNULL,
            stdout=open(work / "program.log", "ab"), stderr=subprocess.STDOUT)
        desktop = ShownDesktop(prefix, display, Path(args.probe).resolve())
        window = wait_until("the main window of orvanta.exe", desktop.main_window, args.timeout)
        hint = desktop.show_last_hint(window)
        time.sleep(1)  # let the windows finish painting before the picture is taken
        screen = work / "screen.png"
        subprocess.run(["import", "-display", display, "-window", "root", str(screen)], check=True)
        print(f"orvanta.exe shows {window.caption!r} on display {display}")
        if hint:
            print(f"The pointer rests on the last package, whose hint reads: {hint}")
        print(f"Screenshot: {screen}")
        if not args.shot and sys.stdin.isatty():
            input("Press Enter to stop the program... ")
        elif desktop.main_window(window.pid) is None:
            print("orvanta.exe has already ended", file=sys.stderr)
    finally:
        prefix.kill_server(display)
        if own_display:
            own_display.stop()


class ShownDesktop:
    """The windows of tools/run's desktop, read through probe.exe."""

    def __init__(self, prefix, display, probe):
        self.prefix, self.display, self.probe = prefix, display, probe

    def windows(self):
        out = self.prefix.run(self.display, [str(self.probe), "list"]).stdout.decode("utf-8")
        return [Window.parse(line) for line in out.splitlines() if line]

    def main_window(self, pid=None):
        """The program's visible main window (of process `pid` when given)."""
        return next((w for w in self.windows()
                     if w.depth == 0 and w.visible and w.caption.startswith("Orvanta")
                     and pid in (None, w.pid)), None)

    def show_last_hint(self, main, timeout=10):
        """Rests the pointer on the last line of the package list, whose hint
        then shows below the lines, and waits a while for the hint; the hint's
        text, None when none shows (an empty list has none)."""
        lists = [w for w in self.windows() if w.pid == main.pid and w.cls == "ListBox"]
        if not lists:
            return None
        items = self.probe_out("items", hex(lists[0].hwnd)).removesuffix("\n")
        if not items:
            return None
        lines = len(items.split("\n"))
        height = int(self.probe_out("send", hex(lists[0].hwnd), str(LB_GETITEMHEIGHT), "0"))
        left, top, _, bottom = lists[0].rect
        x, y = left + 60, top + 1 + (lines - 1) * height + height // 2
        dx, dy = desktop_offset(self.display)

        def hint():
            return next((w.caption for w in self.windows() if w.pid == main.pid and
                         w.cls == "tooltips_class32" and w.visible and w.caption), None)

        # The list shows a line's hint when the pointer moves onto the line.
        # Seen once on a loaded machine: moves made while the window was still
        # settling showed none, so the pointer comes again while it waits.
        deadline = time.monotonic() + timeout
        while True:
            for px, py in ((x, bottom - 4), (x, y), (x + 1, y)):
                xdotool(self.display, "mousemove", "--sync", str(px + dx), str(py + dy))
            try:
                return wait_until("the hint of the last package", hint,
                                  min(HINT_ROUND, max(0.0, deadline - time.monotonic())))
            except TimeoutError:
                if time.monotonic() >= deadline:
                    return None

    def probe_out(self, *args):
        return self.prefix.run(self.display, [str(self.probe), *args]).stdout.decode("utf-8")
