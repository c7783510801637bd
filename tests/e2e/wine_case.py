"""Base class of the end-to-end tests: each test runs in its own Session."""
import re
import unittest

import winebox


class WineTestCase(unittest.TestCase):
    """Gives each test `self.session` (see winebox.Session) and saves a
    screenshot of the screen as it was at the end of the test in
    build/e2e/artifacts/<module>.<test>.png. With FRESH_PREFIX the prefix is
    made anew for the test, as on a machine that never ran the program."""

    FRESH_PREFIX = False

    def setUp(self):
        name = f"{type(self).__module__}.{self._testMethodName}"
        self.session = winebox.Session(name, fresh_prefix=self.FRESH_PREFIX)
        self.session.__enter__()
        self.addCleanup(self.session.__exit__, None, None, None)
        self.addCleanup(self.session.screenshot,
                        self.session.work_dir / "artifacts" / f"{name}.png")

    def wait_main_window(self, program, timeout=60):
        """The visible main window of `program` (its caption names the build)."""
        return self.session.wait_window(pid=program.pid, caption=main_window_caption(),
                                        timeout=timeout)

    def wait_message_box(self, program, timeout=60):
        return self.session.wait_window(pid=program.pid, cls="#32770", timeout=timeout)

    def answer(self, box):
        """Presses the message box's only button with a real mouse click."""
        buttons = self.session.children(box, cls="Button", visible=True)
        self.assertEqual(len(buttons), 1, f"buttons of {box.caption!r}: {buttons}")
        self.session.click(buttons[0])

    def settings_value(self, section, key):
        """A value of the program's per-user settings, None when absent."""
        return self.session.reg_get(rf"HKCU\Software\Orvanta\{section}", key)


def program_version():
    header = (winebox.SOURCE_DIR / "app" / "version.h").read_text()
    return re.search(r'#define\s+ORVANTA_VERSION_TEXT\s+"([^"]+)"', header)[1]


def main_window_caption():
    return f"Orvanta (Build {program_version()})"
