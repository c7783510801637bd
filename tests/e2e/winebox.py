"""Runs the Windows build under Wine on a private X display, for the end-to-end
tests and for tools/run. Standard library only.

What each piece promises:
- `wait_until`: polls a function until it returns something truthy and returns
  that, or raises `TimeoutError` naming what it waited for. Tests wait with it,
  never with a bare sleep.
- `Display`: an Xvfb server of our own on a display number no one else holds
  (Xvfb picks it with -displayfd, so parallel runs cannot collide).
- `Prefix`: a private Wine prefix set up as a Russian Windows (code page 1251),
  with every program in one virtual desktop named "orvanta" (title bars and a
  shared window list), Wine's own fonts, and no crash or add-on dialogs.
  Creating it is bounded in time and retried once from scratch.
- `Session`: one test's exclusive use of a prefix (a lock file serialises
  concurrent runs) and a display; it starts programs, lists and reads windows
  through probe.exe, clicks and types through xdotool, reads and writes the
  registry, maps a folder as a CD-ROM drive, and kills every Wine process of
  the prefix when it ends.
- `show` (the command `show`, which tools/run runs): the program on the demo
  library of demo.py (or on none) in its own prefix, and a screenshot.
"""

import argparse
import contextlib
import ctypes
import fcntl
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

SOURCE_DIR = Path(os.environ.get("ORVANTA_SOURCE_DIR", Path(__file__).resolve().parents[2]))
WIN_BUILD_DIR = Path(os.environ.get("ORVANTA_WIN_BUILD", SOURCE_DIR / "build" / "win"))
WORK_DIR = Path(os.environ.get("ORVANTA_E2E_WORK", SOURCE_DIR / "build" / "e2e"))

DESKTOP_NAME = "orvanta"
DESKTOP_SIZE = "1024x768"
LOCALE = "ru_RU.UTF-8"
POLL_INTERVAL = 0.25
LB_GETITEMHEIGHT = 0x01A1
HINT_ROUND = 3  # seconds a hint may take to show before the pointer comes again
COMMAND_TIMEOUT = 60  # one wine helper command (reg, probe) must finish within this
PREFIX_TIMEOUT = 150  # one attempt at creating a prefix (wineboot) must finish within this


def wait_until(what, poll, timeout, interval=POLL_INTERVAL, clock=time.monotonic, sleep=time.sleep):
    """Calls `poll` until it returns a truthy value and returns that value.
    Raises TimeoutError("timed out after N s waiting for <what>") otherwise;
    `poll` runs at least once, and once more at the deadline."""
    deadline = clock() + timeout
    while True:
        result = poll()
        if result:
            return result
        if clock() >= deadline:
            raise TimeoutError(f"timed out after {timeout} s waiting for {what}")
        sleep(min(interval, max(0.0, deadline - clock())))


def unescape_text(text):
    """Undoes probe.exe's escaping of backslash, tab, CR and LF in texts."""
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), text)


@dataclass(frozen=True)
class Window:
    """One line of `probe list`. Coordinates are Wine screen coordinates."""

    hwnd: int
    parent: int  # 0 for a top-level window
    depth: int  # 0 for a top-level window
    cls: str
    caption: str
    visible: bool
    pid: int  # Windows process id
    owner: int
    rect: tuple  # left, top, right, bottom

    @staticmethod
    def parse(line):
        f = line.split("\t")
        if len(f) != 12:
            raise ValueError(f"unexpected probe line: {line!r}")
        return Window(int(f[0], 16), int(f[1], 16), int(f[2]), unescape_text(f[3]),
                      unescape_text(f[4]), f[5] == "1", int(f[6]), int(f[7], 16),
                      tuple(int(v) for v in f[8:12]))

    @property
    def center(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2


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


def wine_fonts_dir():
    for candidate in (Path("/usr/share/wine/fonts"), Path("/usr/lib/wine/../../share/wine/fonts")):
        if candidate.is_dir():
            return candidate
    return None


class Prefix:
    """A private Wine prefix. `ensure` makes it usable; `create` makes it anew."""

    FORMAT = "3"  # bump when the set-up below changes, so old prefixes are remade

    def __init__(self, path, log_path=None):
        self.path = Path(path)
        self.log_path = log_path
        self.stamp = self.path / ".orvanta-prefix"

    def windows_path(self, path):
        """The Windows path of a Unix path: C:\\... inside drive_c, else Z:\\..."""
        path = Path(path).resolve()
        drive_c = (self.path / "drive_c").resolve()
        if path == drive_c or drive_c in path.parents:
            return "C:\\" + "\\".join(path.relative_to(drive_c).parts)
        return "Z:" + str(path).replace("/", "\\")

    def unix_path(self, windows_path):
        """The Unix path of a path on drive C: of the prefix."""
        drive, _, rest = windows_path.partition(":\\")
        if drive.upper() != "C":
            raise ValueError(f"not a path on drive C: {windows_path}")
        return self.path.joinpath("drive_c", *[part for part in rest.split("\\") if part])

    def env(self, display):
        env = dict(os.environ)
        for name in ("WINELOADER", "WINEDLLPATH", "WINESERVER"):
            env.pop(name, None)
        env.update(WINEPREFIX=str(self.path), WINEARCH="win64", WINEDEBUG="-all",
                   LANG=LOCALE, LC_ALL=LOCALE, DISPLAY=display,
                   # no Mono/Gecko download prompts, no menu entries in $HOME
                   WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")
        return env

    def expected_stamp(self):
        version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout
        return f"{self.FORMAT} {version.strip()}\n"

    def is_ready(self):
        try:
            return self.stamp.read_text() == self.expected_stamp()
        except OSError:
            return False

    def ensure(self, display):
        if not self.is_ready():
            self.create(display)

    def create(self, display, attempts=2):
        """Makes the prefix from nothing. Each attempt is bounded by
        PREFIX_TIMEOUT; a failed attempt is wiped and tried once more."""
        for attempt in range(1, attempts + 1):
            try:
                self._create_once(display)
                return
            except (subprocess.SubprocessError, OSError, RuntimeError) as error:
                self.kill_server(display)
                if attempt == attempts:
                    raise RuntimeError(f"cannot create the Wine prefix {self.path}: {error}")

    def _create_once(self, display):
        self.kill_server(display)
        shutil.rmtree(self.path, ignore_errors=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        env = self.env(display)
        with self._log() as log:
            subprocess.run(["wineboot", "--init"], env=env, stdin=subprocess.DEVNULL,
                           stdout=log, stderr=log, timeout=PREFIX_TIMEOUT, check=True)
            subprocess.run(["wineserver", "--wait"], env=env, timeout=PREFIX_TIMEOUT, check=True)
        if not (self.path / "system.reg").exists():
            raise RuntimeError("wineboot left no registry")
        self._link_wine_fonts()
        settings = [
            (r"HKCU\Software\Wine\Explorer", "Desktop", "REG_SZ", DESKTOP_NAME),
            (r"HKCU\Software\Wine\Explorer\Desktops", DESKTOP_NAME, "REG_SZ", DESKTOP_SIZE),
            (r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "REG_DWORD", "0"),
        ]
        for key, name, kind, data in settings:
            self.run(display, ["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"],
                     check=True)
        self.kill_server(display)
        self.stamp.write_text(self.expected_stamp())

    def _link_wine_fonts(self):
        # Debian's Wine does not load its own fonts (Tahoma, Marlett for the
        # caption buttons) from where fonts-wine puts them; the Fonts folder
        # of the prefix is always searched.
        source = wine_fonts_dir()
        target = self.path / "drive_c" / "windows" / "Fonts"
        target.mkdir(parents=True, exist_ok=True)
        for font in sorted(source.iterdir()) if source else []:
            link = target / font.name
            if not link.exists():
                link.symlink_to(font)

    def _log(self):
        if self.log_path:
            return open(self.log_path, "ab")
        return contextlib.nullcontext(subprocess.DEVNULL)

    def run(self, display, args, check=False, timeout=COMMAND_TIMEOUT):
        """Runs `wine ARGS` to its end; returns the CompletedProcess (bytes).
        Output goes through files, not pipes: Wine services that the command
        happens to start inherit its output and would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(["wine", *args], env=self.env(display), stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(["wine", *args], code, out.read(), err.read())
        if check:
            result.check_returncode()
        return result

    def kill_server(self, display):
        """Ends every Wine process of this prefix and waits for the server."""
        if not self.path.exists():
            return
        env = self.env(display or "")
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=COMMAND_TIMEOUT)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=COMMAND_TIMEOUT)


class Program:
    """A Windows process started with `probe run`; `pid` is its Windows process
    id (the one the window list shows). It runs while `running()` is true."""

    def __init__(self, popen, pid, command_line):
        self.popen = popen
        self.pid = pid
        self.command_line = command_line

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout):
        """The process's exit code once it has ended; TimeoutError before."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError(f"{self.command_line} still runs after {timeout} s") from None


class Session:
    """One test's exclusive use of the prefix under `work_dir` and of a display.

    Entering takes the lock, starts a private Xvfb, makes the prefix when it is
    missing or outdated (or always, with fresh_prefix), kills what an earlier
    test left running, and resets the program's settings and the D: drive.
    Leaving kills every Wine process of the prefix and stops the display."""

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
        shutil.copyfile(self.built("orvanta.exe"), target)
        return target

    # -- running programs ---------------------------------------------------

    @property
    def program_log(self):
        """Where the standard error of the programs this test started goes."""
        return self.logs / f"{self.name}.programs.log"

    def wine(self, *args, check=False, timeout=COMMAND_TIMEOUT):
        """Runs `wine ARGS` to its end; returns the CompletedProcess (bytes)."""
        self._hold_wine_up()
        return self.prefix.run(self.display.name, list(args), check=check, timeout=timeout)

    def _hold_wine_up(self):
        # Wine stops its services when its last program ends and takes more
        # than a second to start them again; an idle probe keeps them up.
        if self._holder is None or self._holder.poll() is not None:
            self._holder = subprocess.Popen(
                ["wine", str(self.built("probe.exe")), "hold"],
                env=self.prefix.env(self.display.name), stdin=subprocess.PIPE,
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            if self._read_line(self._holder.stdout) != b"ready":
                raise RuntimeError("Wine did not start in the prefix " + str(self.prefix.path))

    @staticmethod
    def _read_line(pipe, timeout=COMMAND_TIMEOUT):
        ready, _, _ = select.select([pipe], [], [], timeout)
        return pipe.readline().strip() if ready else b""

    def probe(self, *args, ok_codes=(0,)):
        """Output of probe.exe (UTF-8 decoded, last newline removed) and its
        exit code; raises when the exit code is not in `ok_codes`."""
        result = self.wine(self.built("probe.exe"), *args)
        if result.returncode not in ok_codes:
            raise RuntimeError(f"probe {' '.join(args)} failed ({result.returncode}): "
                               f"{result.stderr.decode(errors='replace')}")
        return result.stdout.decode("utf-8").removesuffix("\n"), result.returncode

    def start(self, command_line, folder, wine_debug=None):
        """Starts a process with exactly `command_line` (a Windows command line,
        quotes as given) in the Windows folder `folder`; returns a Program once
        the process exists. `wine_debug` (a WINEDEBUG value) sends Wine's traces
        of the process to `program_log`."""
        env = self.prefix.env(self.display.name)
        if wine_debug:
            env["WINEDEBUG"] = wine_debug
        # Seen once in many runs on a loaded machine: the start failed before the
        # program ran. A second attempt tells a passing hitch from a real fault.
        for attempt in range(2):
            self._hold_wine_up()
            with open(self.program_log, "ab") as log:
                log.write(f"-- start {command_line}\n".encode())
                log.flush()
                popen = subprocess.Popen(
                    ["wine", str(self.built("probe.exe")), "run", folder, command_line],
                    env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=log)
            line = self._read_line(popen.stdout)
            if line.isdigit():
                break
            popen.kill()
            popen.wait(timeout=COMMAND_TIMEOUT)
            with open(self.program_log, "ab") as log:
                log.write(f"-- start failed (probe exit {popen.returncode}, said {line!r})\n"
                          .encode())
            time.sleep(1)
        else:
            raise RuntimeError(f"could not start {command_line} in {folder} "
                               f"(see {self.program_log})")
        program = Program(popen, int(line), command_line)
        self._programs.append(program)
        return program

    def start_orvanta(self, arguments="", exe=None):
        """Starts orvanta.exe (by default a fresh copy in C:\\Orvanta) from its
        own folder; `arguments` is the raw rest of the command line."""
        exe_path = exe if exe is not None else self.windows_path(self.install_orvanta())
        folder = exe_path.rsplit("\\", 1)[0] + "\\"
        command_line = f'"{exe_path}"' + (f" {arguments}" if arguments else "")
        return self.start(command_line, folder)

    # -- windows ------------------------------------------------------------

    def windows(self):
        """Every window of the desktop: top-level windows, each followed by its
        children, as `probe list` prints them."""
        out, _ = self.probe("list")
        return [Window.parse(line) for line in out.splitlines() if line]

    def find_windows(self, cls=None, caption=None, pid=None, visible=True, top_level=True,
                     parent=None):
        """Windows matching every criterion given (None = any)."""
        return [w for w in self.windows()
                if (cls is None or w.cls == cls) and (caption is None or w.caption == caption)
                and (pid is None or w.pid == pid) and (visible is None or w.visible == visible)
                and (not top_level or w.depth == 0) and (parent is None or w.parent == parent)]

    def wait_window(self, timeout=30, **criteria):
        """The first window matching `criteria` (see find_windows), waiting for
        it up to `timeout` s. The error lists the visible top-level windows."""
        try:
            return wait_until(f"a window {criteria}",
                              lambda: next(iter(self.find_windows(**criteria)), None), timeout)
        except TimeoutError as error:
            shown = [f"{w.cls!r} {w.caption!r} pid {w.pid}"
                     for w in self.find_windows(visible=True)]
            raise TimeoutError(f"{error}; visible windows: {shown}") from None

    def children(self, window, cls=None, visible=None):
        """The direct children of `window`, optionally of one class."""
        return self.find_windows(cls=cls, parent=window.hwnd, top_level=False, visible=visible)

    def descendants(self, window, cls=None, visible=None):
        """Every window inside `window` (children, their children, ...),
        optionally of one class and visibility."""
        inside, found = {window.hwnd}, []
        for w in self.windows():  # depth first: a parent comes before its children
            if w.parent in inside:
                inside.add(w.hwnd)
                if (cls is None or w.cls == cls) and (visible is None or w.visible == visible):
                    found.append(w)
        return found

    def list_items(self, list_box):
        """The lines of a list box as it holds them now (a list of one empty
        line reads as no lines)."""
        out, _ = self.probe("items", hex(list_box.hwnd))
        return [unescape_text(line) for line in out.split("\n")] if out else []

    def window_text(self, window):
        """The window's text as WM_GETTEXT returns it now."""
        out, _ = self.probe("text", hex(window.hwnd))
        return unescape_text(out)

    def message_text(self, box):
        """The message of a message box: the text of its non-empty Static child."""
        texts = [w.caption for w in self.children(box, cls="Static") if w.caption]
        if len(texts) != 1:
            raise AssertionError(f"message box {box.caption!r} has texts {texts}")
        return texts[0]

    # -- input --------------------------------------------------------------

    def desktop_offset(self):
        """Where the Wine desktop's top-left corner lies on the X screen."""
        if self._desktop_offset is None:
            self._desktop_offset = desktop_offset(self.display.name)
        return self._desktop_offset

    def click(self, window, button=1):
        """A real mouse click (X events, as a user's) at the window's centre."""
        self.click_at(*window.center, button=button)

    def click_at(self, x, y, button=1):
        """A real mouse click at a point given in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        self._xdotool("mousemove", "--sync", str(x + dx), str(y + dy), "click", str(button))

    def move_to(self, x, y):
        """Moves the mouse (real X events) to a point in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        self._xdotool("mousemove", "--sync", str(x + dx), str(y + dy))

    def pointer(self):
        """Where the mouse pointer is, in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        # xdotool also reads the window under the pointer, which may be gone
        # by then (BadWindow): ask again.
        for attempt in range(3):
            try:
                location = self._xdotool("getmouselocation")
                break
            except RuntimeError:
                if attempt == 2:
                    raise
                time.sleep(0.2)
        fields = dict(item.split(":", 1) for item in location.split())
        return int(fields["x"]) - dx, int(fields["y"]) - dy

    def press_key(self, key):
        """A real key press (xdotool key name, e.g. Return) to the focused window."""
        self._xdotool("key", key)

    def type_text(self, text):
        """Real key presses that type `text` (ASCII) into the focused window."""
        self._xdotool("type", "--delay", "30", text)

    def paste_text(self, text):
        """Puts `text` on the clipboard and presses Ctrl+V in the focused
        window: any characters arrive whole, where xdotool's typing of
        characters outside the keyboard map may lose some."""
        self.probe("clip", text)
        self.press_key("ctrl+v")

    def _xdotool(self, *args):
        return xdotool(self.display.name, *args)

    def screenshot(self, path):
        """Saves the whole X screen as an image at `path`."""
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.display.name, "-window", "root", str(path)],
                       capture_output=True, timeout=COMMAND_TIMEOUT)

    # -- registry and drives ------------------------------------------------

    def reg_get(self, key, value):
        """A string value (REG_SZ) of the registry, or None when absent. Read
        through the probe so that every character arrives intact."""
        out, code = self.probe("reg", key, value, ok_codes=(0, 2))
        return unescape_text(out) if code == 0 else None

    def reg_set(self, key, value, data):
        self.wine("reg", "add", key, "/v", value, "/d", data, "/f", check=True)

    def map_cdrom(self, letter, folder, kind="cdrom"):
        """Makes `folder` the drive `letter` of type CD-ROM (or of Wine's drive
        type `kind`: "floppy" is a removable drive, as a USB stick is); restarts
        Wine so that the drive type takes effect (running programs end)."""
        letter = letter.lower()
        self.wine("reg", "add", r"HKLM\Software\Wine\Drives", "/v", f"{letter}:", "/d", kind,
                  "/f", check=True)
        link = self.prefix.path / "dosdevices" / f"{letter}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(Path(folder).resolve())
        self.kill_all()

    def unmap_drive(self, letter):
        letter = letter.lower()
        link = self.prefix.path / "dosdevices" / f"{letter}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        self.wine("reg", "delete", r"HKLM\Software\Wine\Drives", "/v", f"{letter}:", "/f")


# -- tools/run -----------------------------------------------------------------


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
        import demo  # it imports this module, so not at the top
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
