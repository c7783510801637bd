"""The demo library that tools/run opens, so that a first run shows Orvanta at
work: two small Russian setup wizards and their scripts, all in one folder of
the Wine prefix, C:\\Orvanta Demo:

    Дистрибутивы\\<package>.exe     the setups, made by makensis from the
                                    wizard of the end-to-end tests
    Сценарии\\<package>.OVS         the library: the scripts, built with
                                    ovstool.exe from demo/<package>.ovs.txt,
                                    and Position.lst in the order of PACKAGES
    Программы\\<package>\\           where the scripts install each package

- `prepare`: makes (or remakes) all of it and makes the library the program's
  library folder; the package folders are left as earlier runs left them.
- `forget_library`: the program starts with no library folder, as on a new
  machine.
"""
import shutil
from dataclasses import dataclass, field

import setups
import winebox

SOURCES = winebox.SOURCE_DIR / "demo"
ROOT = r"C:\Orvanta Demo"
LIBRARY = ROOT + r"\Сценарии"
SETUPS = ROOT + r"\Дистрибутивы"
PROGRAMS = ROOT + r"\Программы"
FOLDER_SETTING = (r"HKCU\Software\Orvanta\Path", "FolderOVS")


@dataclass(frozen=True)
class Package:
    """A demo package: its name (the product the wizard installs) and the
    makensis defines of its wizard variant beside PRODUCT."""

    name: str
    variant: dict = field(default_factory=dict)

    @property
    def program(self):
        return f"{SETUPS}\\{self.name}.exe"

    @property
    def target(self):
        return f"{PROGRAMS}\\{self.name}"


PACKAGES = (
    Package("Демо-калькулятор"),
    Package("Демо-блокнот", {"LICENSE": "license.txt"}),
)


def prepare(prefix, display, win_build_dir, work_dir):
    """Builds the demo setups (kept in `work_dir` for later runs), copies
    them into the prefix, builds the scripts and Position.lst there, and
    stores the library as the program's library folder."""
    library, setup_folder = prefix.unix_path(LIBRARY), prefix.unix_path(SETUPS)
    for folder in (library, setup_folder):
        folder.mkdir(parents=True, exist_ok=True)
    ovstool = win_build_dir / "ovstool" / "ovstool.exe"
    if not ovstool.is_file():
        raise FileNotFoundError(f"{ovstool} is missing: build the Windows program first")
    for package in PACKAGES:
        built = setups.build_installer("wizard.nsi", work_dir, PRODUCT=package.name,
                                       **package.variant)
        shutil.copyfile(built, prefix.unix_path(package.program))
        text = SOURCES / f"{package.name}.ovs.txt"
        result = prefix.run(display, [str(ovstool), "build", prefix.windows_path(text),
                                      f"{LIBRARY}\\{package.name}.OVS"])
        if result.returncode != 0:
            raise RuntimeError(f"ovstool build {text.name}: "
                               f"{result.stderr.decode(errors='replace').strip()}")
    order = "".join(f"{package.name}\r\n" for package in PACKAGES)
    (library / "Position.lst").write_bytes(order.encode("cp1251"))
    key, value = FOLDER_SETTING
    prefix.run(display, ["reg", "add", key, "/v", value, "/d", LIBRARY, "/f"], check=True)
    return library


def forget_library(prefix, display):
    key, value = FOLDER_SETTING
    prefix.run(display, ["reg", "delete", key, "/v", value, "/f"])
