#!/usr/bin/env python3
"""What unattended playback costs beyond the setup's own work, per block.

Installs the end-to-end tests' NSIS wizard under Wine twice per round: once
in its silent mode (/S), once through `orvanta.exe /PLAY <script> /SPEED 0
/REPORT <file>` with a script that clicks through the whole wizard. The
figure is (play time - silent time) / number of blocks, the median of the
rounds. A measurement, not a test: it asserts nothing about the time. A
played install that does not finish (the report says why) is left out and
counted; the figure comes from the rounds that finished.

    bench/play_overhead.py [--rounds N]

Needs the Windows build (build/win) and the native ovstool (build/native),
as the end-to-end tests do; uses their work folder and Wine prefix.
"""
import argparse
import shutil
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import setups  # noqa: E402
import winebox  # noqa: E402

PRODUCT = "Bench App"
RUN_TIMEOUT = 180
WAIT_LIMIT = 20  # /TIMEOUT of the played install: a stuck round ends, it does not hang


def timed(session, command_line, folder):
    """Seconds from starting `command_line` to its end, and its exit code."""
    start = time.monotonic()
    program = session.start(command_line, folder)
    code = program.wait(RUN_TIMEOUT)
    return time.monotonic() - start, code


def one_round(session, setup, script, report, folder):
    """(silent seconds, played seconds), or None when the played install did
    not finish."""
    shutil.rmtree(folder, ignore_errors=True)
    silent, code = timed(session, f'"{session.windows_path(setup)}" /S '
                                  f'/D={session.windows_path(folder)}', "C:\\")
    if code != 0 or not (folder / "readme.txt").is_file():
        raise RuntimeError(f"the silent install failed (exit code {code})")
    shutil.rmtree(folder, ignore_errors=True)
    orvanta = session.windows_path(session.install_orvanta())
    played, code = timed(session, f'"{orvanta}" /PLAY "{session.windows_path(script)}" /SPEED 0 '
                                  f'/TIMEOUT {WAIT_LIMIT} /REPORT "{session.windows_path(report)}"',
                         "C:\\Orvanta\\")
    if code != 0 or not (folder / "readme.txt").is_file():
        print(f"played install did not finish (exit code {code}):")
        print(report.read_text(encoding="utf-8") if report.is_file() else "(no report)")
        session.kill_all()  # the setup left waiting must not meet the next round
        session.wine("reg", "query", r"HKCU\Software")  # Wine up again before the next timing
        return None
    return silent, played


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3)
    args = parser.parse_args(argv)
    with winebox.Session("bench.play_overhead") as session:
        work = session.drive_c / "Bench"
        shutil.rmtree(work, ignore_errors=True)
        work.mkdir(parents=True)
        setup = work / f"{PRODUCT}.exe"
        shutil.copyfile(setups.build_installer("wizard.nsi", session.work_dir, PRODUCT=PRODUCT),
                        setup)
        folder = work / "Installed"
        blocks = setups.wizard_blocks(PRODUCT, session.windows_path(folder))
        script = work / f"{PRODUCT}.OVS"
        setups.write_script(script, setups.script_text(blocks, session.windows_path(setup)))
        # A first round warms Wine up and is not counted.
        one_round(session, setup, script, work / "report.txt", folder)
        rounds, failed = [], 0
        while len(rounds) < args.rounds and failed < args.rounds:
            result = one_round(session, setup, script, work / "report.txt", folder)
            if result:
                rounds.append(result)
            else:
                failed += 1
    for i, (silent, played) in enumerate(rounds, 1):
        print(f"round {i}: silent {silent:.2f} s, played {played:.2f} s")
    if failed:
        print(f"{failed} played installs did not finish and are left out")
    if not rounds:
        return 1
    per_block = statistics.median((played - silent) / len(blocks) for silent, played in rounds)
    print(f"/PLAY /SPEED 0 overhead: {per_block * 1000:.0f} ms per block "
          f"({len(blocks)} blocks, median of {len(rounds)} rounds)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
