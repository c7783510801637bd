#!/usr/bin/env python3
"""Playback proven by repetition: each end-to-end wizard kind played N times
in a row at the fast speed, half of the rounds (every other one) with both
cores kept busy by spinning processes, and per kind how many rounds installed
as recorded (exit code 0, and the installed file there, saying what the
recorded clicks chose where the wizard writes that down).

    bench/soak.py [--rounds N] [--wizard nsis|sheet|msi|loader|drawn|classlib|nsis32|inno ...]

Ten rounds by default. A kind below N of N is a fault to find: every round
that did not install prints its report. Not run by tools/test: it takes a
while (about a minute per kind and ten rounds, more on a busy machine). Needs
what bench/play_overhead.py needs, and uses its wizards and Wine prefix.
"""
import argparse
import multiprocessing
import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import play_overhead  # noqa: E402
import setups  # noqa: E402
import winebox  # noqa: E402


def spin(_):
    while True:
        pass


class BusyMachine:
    """Every core kept busy while the round runs."""

    def __enter__(self):
        self.workers = [multiprocessing.Process(target=spin, args=(0,), daemon=True)
                        for _ in range(multiprocessing.cpu_count())]
        for worker in self.workers:
            worker.start()
        return self

    def __exit__(self, *exc):
        for worker in self.workers:
            worker.terminate()
        for worker in self.workers:
            worker.join()


def soak(session, wizard, build, rounds):
    """(rounds installed as recorded on an idle machine, on a busy one)."""
    shutil.rmtree(wizard.work, ignore_errors=True)
    wizard.work.mkdir(parents=True)
    wizard.prepare(session)
    setups.write_script(wizard.script, setups.script_text(
        wizard.blocks, session.windows_path(wizard.setup), parameters=wizard.parameters))
    idle = busy = 0
    for number in range(rounds):
        loaded = number % 2 == 1
        if loaded:
            with BusyMachine():
                installed = play_overhead.played_round(session, wizard, build) is not None
        else:
            installed = play_overhead.played_round(session, wizard, build) is not None
        if installed:
            busy += loaded
            idle += not loaded
        print(f"{wizard.title}, round {number + 1} ({'busy' if loaded else 'idle'}): "
              f"{'installed' if installed else 'NOT installed'}", flush=True)
    return idle, busy


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=10)
    parser.add_argument("--wizard", choices=play_overhead.WIZARDS, action="append",
                        help="soak only this kind (may be repeated; default: all)")
    args = parser.parse_args(argv)
    if args.rounds < 1:
        parser.error("--rounds must be at least 1")
    results = []
    with winebox.Session("bench.soak") as session:
        bench = session.drive_c / "Soak"
        shutil.rmtree(bench, ignore_errors=True)
        build = play_overhead.Build("this build", session.install_orvanta())
        for key in args.wizard or play_overhead.WIZARDS:
            kind, title = play_overhead.WIZARDS[key]
            wizard = kind(key, title, bench / key, bench / f"{key}-installed")
            results.append((title, *soak(session, wizard, build, args.rounds)))
    busy_rounds = args.rounds // 2
    print()
    print(f"| kind | installed as recorded | idle | busy |")
    print(f"|---|---|---|---|")
    for title, idle, busy in results:
        print(f"| {title} | {idle + busy} of {args.rounds} | {idle} of {args.rounds - busy_rounds} "
              f"| {busy} of {busy_rounds} |")
    return 0 if all(idle + busy == args.rounds for _, idle, busy in results) else 1


if __name__ == "__main__":
    sys.exit(main())
