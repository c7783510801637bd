"""Setup wizards and scripts for the playback and recording tests.

- `build_installer`: makes a setup (or the cover helper) from the NSIS sources
  in installers/ with makensis, once per distinct source and variant: the
  result is kept in the e2e work folder under a hash of everything it is made
  from, so later tests reuse it.
- `Block`, `wizard_blocks`, `sheet_blocks`, `script_text`: the text form of a
  script (the one `ovstool dump` prints and `ovstool build` reads) for the NSIS
  or the property-sheet wizard clicked through as a user would, with the window
  paths the recorder stores for those clicks.
- `ovstool`: the native ovstool of the build, to turn that text into a script
  and a recorded script back into text (`parse_blocks` reads the blocks).
- `read_report`: the report file of an unattended run, split into its parts.
- `png_size`: checks that a file is a whole PNG image and returns its size.
- `SetupCase`: a test case with empty folders for setups, scripts, reports
  and installed programs in the prefix, and helpers to fill and check them.
"""
import hashlib
import os
import re
import shutil
import struct
import subprocess
import zlib
from dataclasses import dataclass, field
from pathlib import Path

import winebox
from wine_case import WineTestCase

INSTALLERS_DIR = Path(__file__).resolve().parent / "installers"
NATIVE_BUILD_DIR = Path(os.environ.get("ORVANTA_NATIVE_BUILD",
                                       winebox.SOURCE_DIR / "build" / "native"))
MAKENSIS_TIMEOUT = 120
# Debian's 32-bit Wine loader: with it the prefix is a WoW64 one and 32-bit
# setups run (tools/install-deps installs it where the kernel runs them).
WINE_RUNS_32BIT = Path("/usr/lib/wine/wine").is_file()

# Wizard buttons and the press point inside a 75 x 23 button.
NEXT, INSTALL, FINISH = "&Далее >", "&Установить", "&Готово"
BUTTON_PRESS = (37, 11)
EDIT_PRESS = (20, 10)


# -- installers ----------------------------------------------------------------


def built_installer_path(work_dir, stem, compiler_version, defines):
    """Where a setup made from installers/ is kept: named by a hash of the
    compiler's version, every file of installers/ and the defines."""
    digest = hashlib.sha256(compiler_version.encode())
    for path in sorted(INSTALLERS_DIR.iterdir()):
        digest.update(path.name.encode() + b"\0" + path.read_bytes() + b"\0")
    for name, value in sorted(defines.items()):
        digest.update(f"{name}={value}\0".encode())
    return Path(work_dir) / "installers" / f"{stem}-{digest.hexdigest()[:16]}.exe"


def build_installer(source, work_dir, **defines):
    """The Unix path of the program makensis makes from installers/SOURCE with
    the given -D defines, built now unless an identical one exists."""
    nsi = INSTALLERS_DIR / source
    version = subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True,
                             timeout=MAKENSIS_TIMEOUT).stdout.strip()
    target = built_installer_path(work_dir, nsi.stem, version, defines)
    if target.is_file():
        return target
    target.parent.mkdir(parents=True, exist_ok=True)
    partial = target.with_suffix(".partial")
    args = ["makensis", "-V2", "-INPUTCHARSET", "UTF8", f"-DOUTFILE={partial}"]
    args += [f"-D{name}={value}" for name, value in sorted(defines.items())]
    result = subprocess.run([*args, str(nsi)], cwd=INSTALLERS_DIR, capture_output=True,
                            text=True, timeout=MAKENSIS_TIMEOUT)
    if result.returncode != 0 or not partial.is_file():
        raise RuntimeError(f"makensis {source} {defines} failed:\n{result.stdout}{result.stderr}")
    partial.replace(target)
    return target


ISCC = winebox.SOURCE_DIR / "build" / "npm" / "node_modules" / "innosetup" / "bin" / "ISCC.exe"


def build_inno_setup(session, **defines):
    """The Unix path of the Inno Setup wizard that ISCC.exe (run by 32-bit
    Wine in the session's prefix) makes from installers/inno_wizard.iss with
    the given /D defines, built now unless an identical one exists."""
    if not ISCC.is_file():
        raise RuntimeError(f"no Inno Setup compiler at {ISCC}: tools/install-deps installs it")
    iss = INSTALLERS_DIR / "inno_wizard.iss"
    compiler_version = (ISCC.parents[1] / "package.json").read_text()
    target = built_installer_path(session.work_dir, iss.stem, compiler_version, defines)
    name = target.stem
    if target.is_file():
        return target
    target.parent.mkdir(parents=True, exist_ok=True)
    args = [str(ISCC), "/Q", f"/O{session.windows_path(target.parent)}", f"/F{name}.partial"]
    args += [f"/D{key}={value}" for key, value in sorted(defines.items())]
    result = session.wine(*args, session.windows_path(iss), timeout=MAKENSIS_TIMEOUT)
    partial = target.with_suffix(".partial.exe")
    if result.returncode != 0 or not partial.is_file():
        raise RuntimeError(f"ISCC {defines} failed:\n{result.stdout.decode(errors='replace')}"
                           f"{result.stderr.decode(errors='replace')}")
    partial.replace(target)
    return target


# -- scripts as text -----------------------------------------------------------


@dataclass
class Block:
    """One recorded gesture: a left click at `press` (client coordinates of
    the window at the end of `path`), and the text put into that window."""

    path: list  # (class, caption, ordinal) from the outermost window in
    press: tuple = BUTTON_PRESS
    text: str = None


def wizard_blocks(product, folder, caption=None):
    """The blocks of a whole installation of the test wizard into `folder`, as
    the recorder stores them: Next on the welcome page, a click into the folder
    field that then gets `folder` as its text, Install, and Finish.

    The wizard's caption is "Установка <product>" on the welcome page and gains
    a trailing space on the later pages. The folder field is the only Edit of
    the inner page dialog; both have an empty caption as the recorder reads it
    (the text the system keeps for a window of another process: a setup fills
    its field with WM_SETTEXT, which an edit control keeps to itself), so they
    match whatever they show. `caption` replaces the welcome page's caption (a
    window that no setup shows, for instance)."""
    welcome = [("#32770", caption or f"Установка {product}", 1)]
    later = [("#32770", f"Установка {product} ", 1)]
    return [
        Block(welcome + [("Button", NEXT, 1)]),
        Block(later + [("#32770", "", 1), ("Edit", "", 1)], EDIT_PRESS, text=folder),
        Block(later + [("Button", INSTALL, 1)]),
        Block(later + [("Button", FINISH, 1)]),
    ]


# The property-sheet wizard (sheet_wizard.exe): its buttons belong to the
# sheet, Finish has no accelerator, and Next on the licence page waits for
# its check box.
SHEET_NEXT, SHEET_FINISH = "&Далее >", "Готово"
SHEET_ACCEPT = "Я принимаю условия соглашения"


def sheet_blocks(product, folder):
    """The blocks of a whole installation of the property-sheet wizard into
    `folder`, as the recorder stores them. The sheet's caption is
    "Установка <product>", and so is that of each page, a child dialog of
    the sheet; the page shown is the first of them, the pages already shown
    stay hidden below it. The click into the folder field comes twice: as
    clicked, then with the text put into the field after the pause."""
    caption = f"Установка {product}"
    sheet = [("#32770", caption, 1)]
    page = sheet + [("#32770", caption, 1)]
    return [
        Block(sheet + [("Button", SHEET_NEXT, 1)]),
        Block(page + [("Button", SHEET_ACCEPT, 1)], (8, 8)),
        Block(sheet + [("Button", SHEET_NEXT, 1)]),
        Block(page + [("Edit", "", 1)], EDIT_PRESS),
        Block(page + [("Edit", "", 1)], EDIT_PRESS, text=folder),
        Block(sheet + [("Button", SHEET_NEXT, 1)]),
        Block(sheet + [("Button", SHEET_FINISH, 1)]),
    ]


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def script_text(blocks, program, description="", parameters=""):
    """The text form of a script that starts `program` and plays `blocks`."""
    lines = ["screen 1024 768", "version 1 0", f"description {quote(description)}"]
    for block in blocks:
        lines.append("block")
        lines += [f"  window {quote(cls)} {quote(caption)} {ordinal}"
                  for cls, caption, ordinal in block.path]
        lines += [f"  mouse press left {block.press[0]} {block.press[1]}",
                  "  mouse release left 0 0"]
        if block.text:
            lines.append(f"  text {quote(block.text)}")
        lines.append("end")
    lines += [f"program {quote(program)}", f"parameters {quote(parameters)}",
              'stamp "08.12.2026 14:03:27"', "padding 0"]
    return "\n".join(lines) + "\n"


def ovstool(*args):
    """Runs the native ovstool; its CompletedProcess (text), raising on failure."""
    tool = NATIVE_BUILD_DIR / "ovstool" / "ovstool"
    if not tool.is_file():
        raise FileNotFoundError(f"{tool} is missing: build the native tree first")
    result = subprocess.run([str(tool), *map(str, args)], capture_output=True, text=True,
                            timeout=winebox.COMMAND_TIMEOUT)
    if result.returncode != 0:
        raise RuntimeError(f"ovstool {' '.join(map(str, args))}: {result.stderr.strip()}")
    return result


def write_script(path, text):
    """Builds the script file `path` (Unix) from its text form."""
    path = Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    source = path.with_name(path.name + ".txt.tmp")
    source.write_text(text, encoding="utf-8")
    try:
        ovstool("build", source, path)
    finally:
        source.unlink(missing_ok=True)


_TOKEN = re.compile(r'"((?:[^"\\]|\\.)*)"|(\S+)')


def _unquote(body):
    def one(match):
        escaped = match[1]
        if escaped.startswith("x"):
            return bytes([int(escaped[1:], 16)]).decode("cp1251", errors="replace")
        return escaped
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)", one, body)


def _tokens(line):
    line = line.strip()
    out = []
    for match in _TOKEN.finditer(line):
        if match[2] is not None and match[2].startswith("#"):
            break
        out.append(_unquote(match[1]) if match[1] is not None else match[2])
    return out


def parse_blocks(text):
    """The blocks of a script's text form: a list of dicts with `path`
    [(class, caption, ordinal)], `mouse` [(action, button, x, y)] and `text`."""
    blocks, current = [], None
    for line in text.splitlines():
        words = _tokens(line)
        if not words:
            continue
        if words[0] == "block":
            current = {"path": [], "mouse": [], "text": None}
        elif words[0] == "end" and current is not None:
            blocks.append(current)
            current = None
        elif current is not None and words[0] == "window":
            current["path"].append((words[1], words[2], int(words[3])))
        elif current is not None and words[0] == "mouse":
            current["mouse"].append((words[1], words[2], int(words[3]), int(words[4])))
        elif current is not None and words[0] == "text":
            current["text"] = words[1]
    return blocks


def dump_script(path):
    """The text form of the script file `path` (Unix)."""
    return ovstool("dump", path).stdout


# -- what an unattended run leaves ----------------------------------------------


@dataclass
class Report:
    text: str  # the whole report, for failure messages
    entries: list  # (number, result word, whole line), one per package in order
    total: str  # the "Общее время установки - H:MM:SS" line
    sections: list = field(default_factory=list)  # dicts, one per unfinished package
    # dicts, one per package and reason of blocks whose window was found by likeness
    likeness: list = field(default_factory=list)
    # dicts, one per package that says what its setup left: "installed" and
    # "updated" are lists, "nothing" is true for the note that nothing appeared
    results: list = field(default_factory=list)

    def section(self, name):
        found = [s for s in self.sections if s.get("name") == name]
        if len(found) != 1:
            raise AssertionError(f"{len(found)} sections for {name!r} in {self.sections}")
        return found[0]


_SECTION_HEAD = re.compile(r"^Не завершено: (.*) \(строка (\d+)\)$")
_LIKENESS_HEAD = re.compile(r"^Окно найдено по сходству: (.*) \(строка (\d+)\)$")
_RESULT_HEAD = re.compile(r"^Итог установки: (.*) \(строка (\d+)\)$")
_OTHER_HEAD = re.compile(r"^\S")  # a section of another kind, or a line of the whole run
_SECTION_FIELDS = {"Блок": "block", "Блоки": "blocks", "Окно": "window", "Причина": "reason",
                   "Снимок экрана": "screenshot", "Записано": "recorded", "Нажато": "pressed",
                   "Почему": "why", "Код завершения программы установки": "exit_code"}


def read_report(path):
    """Splits the report file of a `/PLAY ... /REPORT` run (UTF-8): the
    statistics lines, the total line, and the sections below it (blocks found
    by likeness, unfinished packages)."""
    text = Path(path).read_text(encoding="utf-8-sig")
    lines = text.splitlines()
    totals = [i for i, line in enumerate(lines) if line.startswith("Общее время установки - ")]
    if len(totals) != 1:
        raise AssertionError(f"no single total line in the report:\n" + "\n".join(lines))
    end = totals[0]
    entries = []
    for line in lines[:end]:
        if line.strip():
            number, word = line.split()[:2]
            entries.append((int(number), word, line))
    sections, likeness, results, current = [], [], [], None
    for line in lines[end + 1:]:
        head = _SECTION_HEAD.match(line) or _LIKENESS_HEAD.match(line) or _RESULT_HEAD.match(line)
        if head:
            current = {"name": head[1], "line": int(head[2])}
            if head.re is _RESULT_HEAD:
                current.update(installed=[], updated=[], nothing=False, restart=False)
            {_SECTION_HEAD: sections, _LIKENESS_HEAD: likeness, _RESULT_HEAD: results}[
                head.re].append(current)
        elif _OTHER_HEAD.match(line):
            current = None
        elif current is None or not line.startswith("  "):
            continue
        elif "installed" in current and line.strip().startswith(("Установлено:", "Обновлено:")):
            label, value = line.strip().split(":", 1)
            current["installed" if label == "Установлено" else "updated"].append(value.strip())
        elif line.strip() == "В списке установленных программ ничего не появилось":
            current["nothing"] = True
        elif line.strip() == "Требуется перезагрузка":
            current["restart"] = True
        elif ":" in line:
            label, value = line.strip().split(":", 1)
            current[_SECTION_FIELDS.get(label, label)] = value.strip()
    return Report(text, entries, lines[end], sections, likeness, results)


def png_size(path):
    """(width, height) of the PNG file `path` after checking its signature,
    every chunk's CRC, the closing chunk and the amount of image data."""
    data = Path(path).read_bytes()
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        raise AssertionError(f"{path} is not a PNG file")
    offset, chunks = 8, {}
    while offset < len(data):
        length, kind = struct.unpack(">I4s", data[offset:offset + 8])
        body = data[offset + 8:offset + 8 + length]
        crc = data[offset + 8 + length:offset + 12 + length]
        if len(body) != length or len(crc) != 4 or \
                struct.unpack(">I", crc)[0] != zlib.crc32(kind + body):
            raise AssertionError(f"{path}: chunk {kind!r} at {offset} is damaged")
        chunks.setdefault(kind, []).append(body)
        offset += 12 + length
        if kind == b"IEND":
            break
    if b"IHDR" not in chunks or b"IEND" not in chunks or b"IDAT" not in chunks:
        raise AssertionError(f"{path}: chunks missing ({sorted(chunks)})")
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"][0])
    pixels = zlib.decompress(b"".join(chunks[b"IDAT"]))
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    if interlace == 0 and len(pixels) != height * (1 + (width * channels * depth + 7) // 8):
        raise AssertionError(f"{path}: {len(pixels)} bytes of pixels for {width} x {height}")
    return width, height


# -- the test case --------------------------------------------------------------

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall"
# Where a run registers itself to go on after a restart.
RUN_ONCE_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce"
RESUME_VALUE = "!Orvanta"


class SetupCase(WineTestCase):
    """Folders in the prefix, emptied before each test: C:\\Setups (setup
    programs), C:\\Сценарии (scripts), C:\\Отчёты (reports) and C:\\Программы,
    where the scripts install each product into a folder of its name. What
    earlier tests installed of PRODUCTS (folders, uninstall keys) is removed."""

    PRODUCTS = ()  # products whose earlier installs each test forgets

    def setUp(self):
        super().setUp()
        drive = self.session.drive_c
        self.setups = drive / "Setups"
        self.scripts = drive / "Сценарии"
        self.reports = drive / "Отчёты"
        self.programs = drive / "Программы"
        for folder in (self.setups, self.scripts, self.reports, self.programs):
            shutil.rmtree(folder, ignore_errors=True)
        for folder in (self.setups, self.scripts, self.reports):
            folder.mkdir(parents=True)
        for product in self.PRODUCTS:
            shutil.rmtree(drive / "Program Files" / product, ignore_errors=True)
            self.session.wine("reg", "delete", rf"{UNINSTALL_KEY}\{product}", "/f")
        # A run that an earlier test ended halfway left itself registered.
        self.session.wine("reg", "delete", RUN_ONCE_KEY, "/v", RESUME_VALUE, "/f")

    def win(self, path):
        return self.session.windows_path(path)

    def add_setup(self, product, **variant):
        """Copies the wizard of `product` to C:\\Setups\\<product>.exe; its
        Windows path."""
        built = build_installer("wizard.nsi", self.session.work_dir, PRODUCT=product, **variant)
        target = self.setups / f"{product}.exe"
        shutil.copyfile(built, target)
        return self.win(target)

    def target_folder(self, product):
        """The folder the scripts of these tests install `product` into."""
        return self.win(self.programs) + "\\" + product

    def add_script(self, name, product, program=None, caption=None):
        """C:\\Сценарии\\<name>.OVS, a whole installation of `product` into
        its target folder with C:\\Setups\\<product>.exe (or `program`); its
        Unix path. `caption`: see wizard_blocks."""
        blocks = wizard_blocks(product, self.target_folder(product), caption=caption)
        program = program or self.win(self.setups / f"{product}.exe")
        path = self.scripts / f"{name}.OVS"
        write_script(path, script_text(blocks, program, f"Установка {product}"))
        return path

    def play(self, arguments, timeout=150, locale=None):
        """Runs orvanta.exe with `arguments` to its end (under `locale`, see
        Session.start); its exit code."""
        orvanta = self.session.start_orvanta(arguments, locale=locale)
        return orvanta.wait(timeout)

    def play_report(self, arguments, report, timeout=150, locale=None):
        """Runs orvanta.exe with `arguments` and `/REPORT report` (a Unix
        path) to its end; its exit code and the report."""
        code = self.play(f'{arguments} /REPORT "{self.win(report)}"', timeout, locale)
        return code, read_report(report)

    def processes(self):
        """{process id: executable name} of every running Windows process."""
        out, _ = self.session.probe("ps")
        found = {}
        for line in out.splitlines():
            pid, _, name = line.split("\t", 2)
            found[int(pid)] = winebox.unescape_text(name)
        return found

    def assert_installed(self, product):
        folder = self.programs / product
        self.assertTrue((folder / "readme.txt").is_file(), f"{folder} holds no readme.txt")
        self.assertTrue((folder / "uninstall.exe").is_file(), f"{folder} holds no uninstall.exe")
        self.assertEqual(self.session.reg_get(rf"{UNINSTALL_KEY}\{product}", "InstallLocation"),
                         self.target_folder(product))

    def assert_results(self, report, expected):
        """The report lists the packages in order with these (name, word)
        results; a failure shows the whole report (where each package stopped)."""
        self.assertEqual([(number, word) for number, word, _ in report.entries],
                         [(i, word) for i, (_, word) in enumerate(expected, 1)], report.text)
        for (_, _, line), (name, _) in zip(report.entries, expected):
            self.assertIn(name, line, report.text)
