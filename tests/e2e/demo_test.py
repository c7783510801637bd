"""A newcomer's first run, on a prefix made anew: `tools/run --shot` (the
harness command it runs) prepares the demo library and opens the program on
it; the library lists both demo packages with their hints, and "Установить
всё" installs each of them into the demo's folder of the prefix while the
control bar shows, with "ОК" for each in the statistics window."""
import os
import shutil
import subprocess
import sys

import demo
import setups
from library_test import SERVICE_MENU, LibraryTest
from setups import winebox

HINTS = [
    "Демо-калькулятор - Простой мастер: приветствие, папка установки, копирование, готово",
    "Демо-блокнот - Мастер с лицензией: флажок согласия, папка установки, копирование, готово",
]


class DemoTest(LibraryTest):
    FRESH_PREFIX = True
    PRODUCTS = ()

    def run_tools_run(self, *options):
        """`winebox.py show --shot` as tools/run calls it, on this test's
        prefix and display; its output."""
        env = dict(os.environ, DISPLAY=self.session.display.name)
        result = subprocess.run(
            [sys.executable, winebox.__file__, "show", "--shot", *options,
             "--work", str(self.session.work_dir)],
            env=env, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=200)
        screen = self.session.work_dir / "screen.png"
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(setups.png_size(screen), (1024, 768))
        artifacts = self.session.work_dir / "artifacts"
        artifacts.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(screen, artifacts / f"demo.tools_run{''.join(options)}.png")
        return result

    def test_first_run_shows_the_demo_library_and_installs_it_all(self):
        result = self.run_tools_run()
        self.assertIn("orvanta.exe shows 'Orvanta (Build", result.stdout)
        self.assertNotIn("has already ended", result.stderr)
        self.assertIn(f"whose hint reads: {HINTS[-1]}\n", result.stdout)

        orvanta, main = self.open_demo()
        package_list = self.package_list(main)
        self.assertEqual(self.session.list_items(package_list),
                         ["Демо-калькулятор", "Демо-блокнот"])  # Position.lst's order
        self.assertEqual([self.hint_of(orvanta, package_list, line) for line in (0, 1)], HINTS)

        self.choose(main, SERVICE_MENU, 1)  # Сервис > Установить всё
        self.control_bar(orvanta)
        statistics = self.session.wait_window(pid=orvanta.pid, caption="Статистика", timeout=240)
        [lines] = [self.session.list_items(w) for w in
                   self.session.descendants(statistics, cls="ListBox")]
        self.session.screenshot(self.session.work_dir / "artifacts" / "demo.statistics.png")
        self.assertEqual(len(lines), 4, lines)
        for number, package in enumerate(demo.PACKAGES, 1):
            self.assertTrue(lines[number - 1].startswith(f"{number}   ОК  {package.name}  "),
                            lines)
            self.assert_demo_installed(package)
        self.assertTrue(lines[3].startswith("Общее время установки - "), lines)
        self.session.click(self.button(statistics, "Закрыть"))
        self.wait_main_window(orvanta)

        # --empty: no library, as before the demo.
        self.session.kill_all()
        result = self.run_tools_run("--empty")
        self.assertNotIn("hint", result.stdout)
        self.assertIsNone(self.session.reg_get(*demo.FOLDER_SETTING))

    def open_demo(self):
        """orvanta.exe started with the library tools/run left stored."""
        orvanta = self.session.start_orvanta()
        main = self.wait_main_window(orvanta)
        labels = [w.caption for w in self.session.descendants(main, cls="Static")]
        self.assertIn(demo.LIBRARY, labels)
        return orvanta, main

    def assert_demo_installed(self, package):
        """Installed into the demo's folder, and nowhere else."""
        folder = self.session.prefix.unix_path(package.target)
        self.assertTrue((folder / "readme.txt").is_file(), f"{folder} holds no readme.txt")
        self.assertTrue((folder / "uninstall.exe").is_file(), f"{folder} holds no uninstall.exe")
        self.assertEqual(self.session.reg_get(rf"{setups.UNINSTALL_KEY}\{package.name}",
                                              "InstallLocation"), package.target)
        for programs in ("Program Files", "Program Files (x86)"):
            self.assertFalse((self.session.drive_c / programs / package.name).exists())
