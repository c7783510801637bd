"""Entry point CTest calls for the end-to-end tests.

    e2e_main.py prepare        make the Wine prefix anew (once per test run)
    e2e_main.py MODULE TEST    run one test method of MODULE (e.g. startup_test
                               test_main_window_caption); exit code 0 = passed
"""
import importlib
import signal
import sys
import unittest

import winebox


def prepare():
    with winebox.Session("prepare", fresh_prefix=True) as session:
        acp, _ = session.probe("acp") if (session.win_build_dir / "probe.exe").exists() else ("", 0)
        print(f"Wine prefix ready: {session.prefix.path}" + (f" (code page {acp})" if acp else ""))
    return 0


def run_test(module_name, test_name):
    module = importlib.import_module(module_name)
    cases = [obj for obj in vars(module).values()
             if isinstance(obj, type) and issubclass(obj, unittest.TestCase)
             and test_name in vars(obj)]
    if len(cases) != 1:
        print(f"{module_name} has {len(cases)} test classes with {test_name}", file=sys.stderr)
        return 2
    result = unittest.TextTestRunner(verbosity=2).run(cases[0](test_name))
    if result.skipped and result.wasSuccessful():
        return 77  # CTest's SKIP_RETURN_CODE for these tests
    return 0 if result.wasSuccessful() else 1


def main(argv):
    # CTest ends a test that overruns with SIGTERM: unwind so Wine and Xvfb stop too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    if argv == ["prepare"]:
        return prepare()
    if len(argv) == 2:
        return run_test(*argv)
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
