"""The Wine prefix of the harness: a private prefix set up as a Russian
Windows (code page 1251), with every program in one virtual desktop named
"orvanta" (title bars and a shared window list), Wine's own fonts, and no
crash or add-on dialogs. Creating it is bounded in time and retried once from
scratch. `Prefix.run` runs one wine command in it to its end."""

import contextlib
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from wine_common import COMMAND_TIMEOUT, DESKTOP_NAME, DESKTOP_SIZE

LOCALE = "ru_RU.UTF-8"
PREFIX_TIMEOUT = 150  # one attempt at creating a prefix (wineboot) must finish within this


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
        happens to start inherit its output and would hold a pipe open.
        `reg` works in the 64-bit view of the registry, the one Orvanta and
        Wine's own services read: where 32-bit Wine is installed, `wine reg`
        is the 32-bit reg.exe, whose HKLM\\Software is Wow6432Node."""
        args = list(args)
        if args[:1] == ["reg"]:
            args.append("/reg:64")
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
