"""A night's unattended run: a setup that installs for longer than /TIMEOUT,
one that hangs on its install page, loaders that wait for their wizard or
hand over to it, the exit code without a report, and the report of a run
that was killed halfway."""
import shutil
import time

import setups
import winebox
from process_test import duration_seconds

TIMEOUT = 8


class NightTest(setups.SetupCase):
    PRODUCTS = ("Night Long", "Night Hung", "Night Wait", "Night Hand", "Night One")

    def add_loader(self, name, product, **variant):
        """C:\\Setups\\<name>.exe: a loader that carries the wizard of `product`."""
        wizard = setups.build_installer("wizard.nsi", self.session.work_dir, PRODUCT=product)
        built = setups.build_installer("loader.nsi", self.session.work_dir, WIZARD=wizard,
                                       **variant)
        target = self.setups / f"{name}.exe"
        shutil.copyfile(built, target)
        return self.win(target)

    def test_a_setup_that_works_past_the_timeout_completes_and_a_hung_one_is_given_up(self):
        self.add_setup("Night Long", INSTALL_SECONDS=3 * TIMEOUT)
        self.add_setup("Night Hung", HANG_INSTALL=1)
        self.add_script("1 Долгая", "Night Long")
        self.add_script("2 Зависшая", "Night Hung")

        code, report = self.play_report(
            f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT {TIMEOUT}',
            self.reports / "отчёт.txt", timeout=240)

        self.assert_results(report, [("1 Долгая", "ОК"), ("2 Зависшая", "NO")])
        self.assertEqual(code, 1)
        self.assert_installed("Night Long")
        self.assertTrue((self.programs / "Night Long" / f"part{3 * TIMEOUT}.dat").is_file())
        hung = report.section("2 Зависшая")
        self.assertEqual(hung["block"], "4 из 4")
        self.assertEqual(hung["reason"], "окно не найдено")
        # Given up near the limit after its last sign of work, its pages
        # clicked through before that.
        self.assertLess(duration_seconds(report.entries[1][2]), TIMEOUT + 15, report.text)
        self.assertNotIn("Night Hung.exe", self.processes().values())
        self.assertEqual(self.session.find_windows(caption="Установка Night Hung ", visible=None),
                         [])

    def test_a_loader_is_followed_whether_it_waits_for_its_wizard_or_hands_over(self):
        waits = self.add_loader("Ждёт", "Night Wait")
        hands = self.add_loader("Передаёт", "Night Hand", HANDOVER=1)
        self.add_script("1 Ждёт", "Night Wait", program=waits)
        self.add_script("2 Передаёт", "Night Hand", program=hands)

        code, report = self.play_report(
            f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 60',
            self.reports / "отчёт.txt")

        self.assert_results(report, [("1 Ждёт", "ОК"), ("2 Передаёт", "ОК")])
        self.assertEqual(code, 0)
        self.assert_installed("Night Wait")
        self.assert_installed("Night Hand")

    def test_without_a_report_an_incomplete_run_exits_with_1(self):
        self.add_setup("Night One")
        self.add_script("1 Есть", "Night One")
        self.add_script("2 Нет", "Night One", program=r"C:\Setups\Нет такой.exe")

        orvanta = self.session.start_orvanta(f'/PLAY "{self.win(self.scripts)}" /SPEED 0')
        statistics = self.session.wait_window(pid=orvanta.pid, caption="Статистика", timeout=120)
        [close] = [b for b in self.session.descendants(statistics, cls="Button")
                   if b.caption == "Закрыть"]
        self.session.click(close)

        self.assertEqual(orvanta.wait(timeout=60), 1)
        self.assert_installed("Night One")

    def test_a_run_killed_halfway_leaves_a_report_of_the_packages_done(self):
        self.add_setup("Night One")
        self.add_setup("Night Hung", HANG_INSTALL=1)
        self.add_script("1 Первый", "Night One")
        self.add_script("2 Зависший", "Night Hung")
        report = self.reports / "отчёт.txt"

        orvanta = self.session.start_orvanta(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 '
                                             f'/REPORT "{self.win(report)}"')
        winebox.wait_until("the first package in the report",
                           lambda: report.is_file() and
                           "1   ОК  1 Первый" in report.read_text(encoding="utf-8-sig"),
                           timeout=120)
        time.sleep(2)  # the second setup hangs on its install page
        self.session.wine("taskkill", "/F", "/PID", str(orvanta.pid))
        orvanta.wait(timeout=30)

        result = setups.read_report(report)
        self.assert_results(result, [("1 Первый", "ОК")])
        self.assertIn("Запуск не закончен: пройдено пакетов 1 из 2", result.text)
