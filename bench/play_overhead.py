#!/usr/bin/env python3
"""What unattended playback costs beyond the setup's own work, per block.

For each setup wizard of the end-to-end tests (the NSIS wizard, the
property-sheet wizard sheet_wizard.exe, the Windows Installer package of
msi_package.py, the NSIS wizard run from %TEMP% by the loader of
loader.nsi, which it waits for, and drawn_wizard.exe, which draws its own
controls in one window, and classlib_wizard.exe, of the class-library shape),
installs under Wine twice per round: once in the setup's
silent mode (`/S /D=<folder>`; `msiexec /i <package> /qn INSTALLDIR=<folder>`),
once through `orvanta.exe /PLAY <script> /SPEED 0 /REPORT <file>` with a
script that clicks through the whole wizard. The figure per wizard is
(play time - silent time) / number of blocks, the median of its rounds (the
class-library wizard has no silent mode: its figure is the whole play time). A
measurement, not a test: it asserts nothing about the time. A played install
that does not finish (the report says why) is left out and counted; the
figure comes from the rounds that finished.

Beside it the benchmark prints what Orvanta's own start and exit cost under
Wine (a `/PLAY` of a script whose setup is missing: it starts, finds
nothing to play, writes its report and ends; the report's screenshot of the
failure makes it some 50 ms longer than the end of a run that completes),
and the overhead per block beyond that fixed cost, which is roughly what the
player itself adds.

    bench/play_overhead.py [--rounds N] [--wizard nsis|sheet|msi|loader|drawn|classlib|nsis32|inno ...]
                           [--against OTHER/orvanta.exe]

Three rounds per wizard by default; `--rounds 10` is the full run.
`--against` plays every round with another build too, right after this
one, so that a machine that is busier at one time than another weighs on
both figures alike: the way to tell a before from an after. Needs the
Windows build (build/win, with sheet_wizard.exe) and the native ovstool
(build/native), as the end-to-end tests do; uses their work folder and Wine
prefix.
"""
import argparse
import shutil
import statistics
import sys
import time
from dataclasses import dataclass
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import classlib_test  # noqa: E402
import inno_test  # noqa: E402
import msi_package  # noqa: E402
import setups  # noqa: E402
import winebox  # noqa: E402

RUN_TIMEOUT = 180
WAIT_LIMIT = 20  # /TIMEOUT of the played install: a stuck round ends, it does not hang
MSI_DIALOG = "MsiDialogCloseClass"  # the class of every page of an MSI wizard
MSI_BUTTONS = (msi_package.NEXT, msi_package.NEXT, msi_package.INSTALL, msi_package.FINISH)


@dataclass
class Wizard:
    """One setup to measure: where its files go in the prefix, how it runs
    silently, and the blocks of its script."""

    key: str
    title: str
    work: Path  # C:\Bench\<key>: the setup, its script and report
    folder: Path  # where both installs put readme.txt (no spaces in its path)
    setup: Path = None
    installed_file: str = "readme.txt"  # what an install leaves in the folder
    installed_text: str = None  # what that file says, when it tells how it went
    blocks: list = None
    parameters: str = ""  # the setup's command line in the script

    @property
    def script(self):
        return self.work / f"{self.key}.OVS"

    @property
    def report(self):
        return self.work / "report.txt"

    def prepare(self, session):
        """Makes the setup and the script."""
        raise NotImplementedError

    def before_install(self, session):
        """Called before each install, silent or played, outside the timing."""

    def silent_command(self, session):
        return f'"{session.windows_path(self.setup)}" /S /D={session.windows_path(self.folder)}'


class NsisWizard(Wizard):
    PRODUCT = "Bench App"
    VARIANT = {}

    def prepare(self, session):
        self.setup = self.work / f"{self.PRODUCT}.exe"
        shutil.copyfile(setups.build_installer("wizard.nsi", session.work_dir,
                                               PRODUCT=self.PRODUCT, **self.VARIANT), self.setup)
        self.blocks = setups.wizard_blocks(self.PRODUCT, session.windows_path(self.folder))


class Nsis32Wizard(NsisWizard):
    PRODUCT = "Bench App 32"
    VARIANT = {"X86": "1"}


class SheetWizard(Wizard):
    PRODUCT = "Bench Sheet"

    def prepare(self, session):
        self.setup = self.work / "sheet_wizard.exe"
        shutil.copyfile(session.built("sheet_wizard.exe"), self.setup)
        self.blocks = setups.sheet_blocks(self.PRODUCT, session.windows_path(self.folder))
        self.parameters = f'"/PRODUCT={self.PRODUCT}"'

    def silent_command(self, session):
        return (f'"{session.windows_path(self.setup)}" {self.parameters} /S '
                f'/D={session.windows_path(self.folder)}')


class MsiWizard(Wizard):
    PRODUCT = "Bench Msi"

    def prepare(self, session):
        self.setup = self.work / f"{self.PRODUCT}.msi"
        path = [(MSI_DIALOG, f"Установка {self.PRODUCT}", 1)]
        self.blocks = [setups.Block(path + [("Button", button, 1)], msi_package.BUTTON_PRESS)
                       for button in MSI_BUTTONS]

    def before_install(self, session):
        # New product codes each time: Windows Installer keeps an installed
        # product registered, and the same package would not install again.
        msi_package.build_msi(self.setup, self.PRODUCT, session.windows_path(self.folder) + "\\")

    def silent_command(self, session):
        return (f'msiexec /i "{session.windows_path(self.setup)}" /qn '
                f'INSTALLDIR={session.windows_path(self.folder)}\\')


class LoaderWizard(Wizard):
    """The NSIS wizard run by a loader from a copy under %TEMP%, waited for."""
    PRODUCT = "Bench Loaded"

    def prepare(self, session):
        self.setup = self.work / "loader.exe"
        wizard = setups.build_installer("wizard.nsi", session.work_dir, PRODUCT=self.PRODUCT)
        shutil.copyfile(setups.build_installer("loader.nsi", session.work_dir, WIZARD=wizard),
                        self.setup)
        self.blocks = setups.wizard_blocks(self.PRODUCT, session.windows_path(self.folder))


class DrawnWizard(Wizard):
    """The wizard that draws its own controls in one window (drawn_wizard.exe,
    its pages loading at once): every press waits for a still picture and is
    confirmed by the picture's change."""

    def prepare(self, session):
        self.setup = self.work / "drawn_wizard.exe"
        shutil.copyfile(session.built("drawn_wizard.exe"), self.setup)
        self.installed_file = "result.txt"
        self.installed_text = "shortcut=1\ndictionaries=1\n"  # the one check box ticked once
        window = [("DrawnWizard", "Установка Рисованный мастер", 1)]
        self.blocks = [setups.Block(window, press)
                       for press in ((40, 160), (400, 285), (400, 285), (400, 285))]
        self.parameters = f"/CLASS=DrawnWizard /D={session.windows_path(self.folder)}"


class ClassLibraryWizard(Wizard):
    """The wizard of the class-library shape (classlib_wizard.exe): run from a
    temporary copy by its loader, pages raised rather than shown, Next renamed
    on the ready page, components that are items without windows."""

    def prepare(self, session):
        self.setup = self.work / "classlib_wizard.exe"
        shutil.copyfile(session.built("classlib_wizard.exe"), self.setup)
        self.installed_file = "result.txt"
        self.installed_text = classlib_test.INSTALLED.replace("\r\n", "\n")
        self.blocks = classlib_test.recorded_blocks()
        self.parameters = f"/D={session.windows_path(self.folder)}"

    def silent_command(self, session):
        # It has no silent mode: the bench plays it and measures no silent install.
        return None


class InnoWizard(Wizard):
    """A real Inno Setup 6 wizard (32-bit, compiled by ISCC): the language
    form, a licence, the folder, components, tasks, the ready and the finish
    page. Its entry is deleted before each install, so that no page is
    skipped as for a program already installed."""

    def prepare(self, session):
        self.setup = self.work / "inno_setup.exe"
        shutil.copyfile(setups.build_inno_setup(session), self.setup)
        self.installed_file = "note.txt"  # of the task the script ticks
        self.blocks = inno_test.recorded_blocks()
        self.parameters = f"/DIR={session.windows_path(self.folder)}"

    def before_install(self, session):
        session.wine("reg", "delete", inno_test.UNINSTALL, "/f")

    def silent_command(self, session):
        return (f'"{session.windows_path(self.setup)}" /VERYSILENT /SUPPRESSMSGBOXES /TASKS=note '
                f'/DIR={session.windows_path(self.folder)}')


WIZARDS = {"nsis": (NsisWizard, "NSIS wizard"), "sheet": (SheetWizard, "property-sheet wizard"),
           "msi": (MsiWizard, "MSI wizard"), "loader": (LoaderWizard, "loader of the NSIS wizard"),
           "drawn": (DrawnWizard, "drawn wizard"),
           "classlib": (ClassLibraryWizard, "class-library wizard")}
if setups.WINE_RUNS_32BIT:
    WIZARDS["nsis32"] = (Nsis32Wizard, "32-bit NSIS wizard")
    WIZARDS["inno"] = (InnoWizard, "Inno Setup wizard")


def timed(session, command_line, folder):
    """Seconds from starting `command_line` to its end, and its exit code."""
    start = time.monotonic()
    program = session.start(command_line, folder)
    code = program.wait(RUN_TIMEOUT)
    return time.monotonic() - start, code


@dataclass
class Build:
    """An orvanta.exe to measure, copied into the prefix."""

    label: str
    exe: Path

    def play_command(self, session, script, report):
        return (f'"{session.windows_path(self.exe)}" /PLAY "{session.windows_path(script)}" '
                f'/SPEED 0 /TIMEOUT {WAIT_LIMIT} /REPORT "{session.windows_path(report)}"')

    def folder(self, session):
        return session.windows_path(self.exe.parent) + "\\"


def own_start_and_exit(session, bench, build, rounds):
    """Median seconds of a /PLAY that has nothing to play: Orvanta's start,
    its report and its exit."""
    work = bench / "empty"
    work.mkdir(parents=True, exist_ok=True)
    script = work / "empty.OVS"
    setups.write_script(script, setups.script_text(
        setups.wizard_blocks("Nothing", "C:\\Nothing"), "C:\\Bench\\missing\\setup.exe"))
    times = []
    for _ in range(rounds + 1):  # the first warms Wine up
        seconds, _ = timed(session, build.play_command(session, script, work / "report.txt"),
                           build.folder(session))
        times.append(seconds)
    return statistics.median(times[1:])


def played_round(session, wizard, build):
    """Seconds of the played install with `build`, or None when it did not
    finish."""
    readme = wizard.folder / wizard.installed_file
    shutil.rmtree(wizard.folder, ignore_errors=True)
    wizard.before_install(session)
    wizard.report.unlink(missing_ok=True)
    played, code = timed(session, build.play_command(session, wizard.script, wizard.report),
                         build.folder(session))
    as_recorded = readme.is_file() and (wizard.installed_text is None or
                                        readme.read_text() == wizard.installed_text)
    if code != 0 or not as_recorded:
        print(f"{wizard.title} ({build.label}): played install did not finish as recorded "
              f"(exit code {code}):")
        print(wizard.report.read_text(encoding="utf-8") if wizard.report.is_file()
              else "(no report)")
        if readme.is_file() and not as_recorded:
            print(f"{readme.name} says {readme.read_text()!r}, not {wizard.installed_text!r}")
        session.kill_all()  # the setup left waiting must not meet the next round
        session.wine("reg", "query", r"HKCU\Software")  # Wine up again before the next timing
        return None
    return played


def one_round(session, wizard, builds, turn=0):
    """The silent seconds and, per build, the played seconds (None for an
    install that did not finish). The builds take turns at playing first."""
    readme = wizard.folder / wizard.installed_file
    shutil.rmtree(wizard.folder, ignore_errors=True)
    wizard.before_install(session)
    silent = 0.0
    if wizard.silent_command(session):
        silent, code = timed(session, wizard.silent_command(session), "C:\\")
        if code != 0 or not readme.is_file():
            raise RuntimeError(f"the silent install of the {wizard.title} failed (exit code {code})")
    order = list(range(len(builds)))
    order = order[turn % len(order):] + order[:turn % len(order)]
    played = [None] * len(builds)
    for i in order:
        played[i] = played_round(session, wizard, builds[i])
    return silent, played


def measure(session, wizard, builds, rounds):
    """Per build: the (silent, played) seconds of its finished rounds and how
    many of its played installs did not finish."""
    shutil.rmtree(wizard.work, ignore_errors=True)
    wizard.work.mkdir(parents=True)
    wizard.prepare(session)
    setups.write_script(wizard.script, setups.script_text(
        wizard.blocks, session.windows_path(wizard.setup), parameters=wizard.parameters))
    # A first round warms Wine and this setup up and is not counted.
    one_round(session, wizard, builds)
    finished = [[] for _ in builds]
    failed = [0 for _ in builds]
    for turn in range(rounds):
        silent, played = one_round(session, wizard, builds, turn)
        for i, seconds in enumerate(played):
            if seconds is None:
                failed[i] += 1
            else:
                finished[i].append((silent, seconds))
    return finished, failed


def report(wizard, build, finished, failed, own):
    """Prints the rounds and the figures of one wizard with one build; False
    when none of its played installs finished."""
    for i, (silent, played) in enumerate(finished, 1):
        print(f"{wizard.title} ({build.label}), round {i}: silent {silent:.2f} s, "
              f"played {played:.2f} s")
    if not finished:
        print(f"{wizard.title} ({build.label}): no played install finished "
              f"({failed} did not install)")
        return False
    blocks = len(wizard.blocks)
    per_block = statistics.median((played - silent) / blocks for silent, played in finished)
    beyond = statistics.median((played - silent - own) / blocks for silent, played in finished)
    print(f"{wizard.title} ({build.label}): /PLAY /SPEED 0 overhead {per_block * 1000:.0f} ms "
          f"per block ({blocks} blocks, median of {len(finished)} rounds), "
          f"{beyond * 1000:.0f} ms beyond Orvanta's start and exit; "
          f"{failed} played rounds did not install")
    return True


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--wizard", choices=WIZARDS, action="append",
                        help="measure only this wizard (may be repeated; default: all)")
    parser.add_argument("--against", type=Path,
                        help="another orvanta.exe, played in every round after this build")
    args = parser.parse_args(argv)
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")
    if args.against and not args.against.is_file():
        parser.error(f"--against: no file {args.against}")
    results = []
    with winebox.Session("bench.play_overhead") as session:
        bench = session.drive_c / "Bench"
        shutil.rmtree(bench, ignore_errors=True)
        builds = [Build("this build", session.install_orvanta())]
        if args.against:
            other = session.drive_c / "Orvanta-against"
            other.mkdir(exist_ok=True)
            shutil.copyfile(args.against, other / "orvanta.exe")
            builds.append(Build(f"against {args.against}", other / "orvanta.exe"))
        for key in args.wizard or WIZARDS:
            kind, title = WIZARDS[key]
            wizard = kind(key, title, bench / key, bench / f"{key}-installed")
            results.append((wizard, *measure(session, wizard, builds, args.rounds)))
        own = [own_start_and_exit(session, bench, build, args.rounds) for build in builds]
    print()
    complete = True
    for wizard, finished, failed in results:
        for i, build in enumerate(builds):
            complete &= report(wizard, build, finished[i], failed[i], own[i])
    for build, seconds in zip(builds, own):
        print(f"Orvanta's own start and exit ({build.label}, a /PLAY with nothing to play): "
              f"{seconds * 1000:.0f} ms")
    return 0 if complete else 1


if __name__ == "__main__":
    sys.exit(main())
