"""Unattended playback (`orvanta.exe /PLAY ... /REPORT ...`) of scripts made
with ovstool, against real NSIS wizards that really install into the prefix."""
import shutil

import setups

COVERED = "Нужное окно закрыто другим приложением"  # the control bar's activity text
# A wizard page that never comes ends its package in a report (saying where
# it stopped) instead of holding the test until its own time-out.
WAIT_LIMIT = "/TIMEOUT 60"
USAGE_OPTIONS = ("/PLAY", "/SPEED", "/TIMEOUT", "/REPORT")


class PlayTest(setups.SetupCase):
    PRODUCTS = ("Demo One", "Demo Two", "Demo Three")

    def write_order(self, *names):
        """Position.lst of the script folder: these names, in this order."""
        text = "".join(name + "\r\n" for name in names)
        (self.scripts / "Position.lst").write_bytes(text.encode("cp1251"))

    def test_script_installs_into_the_folder_its_text_names(self):
        self.add_setup("Demo One")
        script = self.add_script("Demo One", "Demo One")

        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 {WAIT_LIMIT}',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Demo One", "ОК")])
        self.assertEqual(report.sections, [])
        self.assertEqual(code, 0)
        self.assert_installed("Demo One")
        self.assertFalse((self.session.drive_c / "Program Files" / "Demo One").exists(),
                         "the wizard installed into its own folder, not the script's")
        self.assertEqual(self.session.find_windows(cls="#32770", caption="Установка Demo One "),
                         [], "the wizard is still open: Finish was not pressed")

    def test_messages_option_installs_by_window_messages_alone(self):
        self.add_setup("Demo One")
        script = self.add_script("Demo One", "Demo One")
        # The pointer parked far from the wizard: a click that went in as mouse
        # input instead of a message would have moved it.
        self.session.move_to(1000, 740)

        code, report = self.play_report(
            f'/PLAY "{self.win(script)}" /SPEED 0 {WAIT_LIMIT} /MESSAGES', self.reports / "msg.txt")

        self.assert_results(report, [("Demo One", "ОК")])
        self.assertEqual(code, 0)
        self.assert_installed("Demo One")
        self.assertIn("Воспроизведено сообщениями окон: Demo One (строка 1)", report.text)
        self.assertEqual(self.session.pointer(), (1000, 740))

    def test_folder_queue_goes_on_past_a_missing_setup(self):
        self.add_setup("Demo One")
        self.add_setup("Demo Three")
        self.add_script("Первый", "Demo One")
        self.add_script("Второй", "Demo Two", program=self.win(self.setups / "Нет такого.exe"))
        self.add_script("Третий", "Demo Three")
        self.write_order("Первый", "Второй", "Третий")  # by name it would be 2, 1, 3
        report = self.reports / "очередь.txt"

        # Options in another order and case than the usage shows.
        code = self.play(f'/report "{self.win(report)}" /Speed 0 /play "{self.win(self.scripts)}" '
                         f'{WAIT_LIMIT.lower()}')

        result = setups.read_report(report)
        self.assert_results(result, [("Первый", "ОК"), ("Второй", "NO"), ("Третий", "ОК")])
        self.assertEqual(code, 1)
        self.assertEqual([s["name"] for s in result.sections], ["Второй"])
        second = result.section("Второй")
        self.assertEqual(second["line"], 2)
        self.assertEqual(second["reason"], "программа установки не найдена")
        self.assert_installed("Demo One")
        self.assert_installed("Demo Three")

    def test_timeout_ends_a_package_whose_window_never_appears(self):
        self.add_setup("Demo Two")
        self.add_setup("Demo Three")
        # Demo Two's wizard opens, but the script waits for a caption no setup shows.
        self.add_script("Первый", "Demo Two", caption="Установка Нет такого")
        self.add_script("Второй", "Demo Three")
        self.write_order("Первый", "Второй")
        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 20',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Первый", "NO"), ("Второй", "ОК")])
        self.assertEqual(code, 1)
        first = report.section("Первый")
        self.assertEqual(first["line"], 1)
        self.assertEqual(first["block"], "1 из 4")
        self.assertEqual(first["window"],
                         '"#32770" "Установка Нет такого" 1 > "Button" "&Далее >" 1')
        self.assertEqual(first["reason"], "окно не найдено")
        self.assertEqual(first["screenshot"], "отчёт-1.png")
        self.assertEqual(setups.png_size(self.reports / "отчёт-1.png"), (1024, 768))
        self.assert_installed("Demo Three")

    def test_covered_target_is_clicked_once_uncovered(self):
        self.add_setup("Demo One")
        script = self.add_script("Demo One", "Demo One")
        cover_exe = self.setups / "cover.exe"
        shutil.copyfile(setups.build_installer("cover.nsi", self.session.work_dir), cover_exe)
        release = self.setups / "release"
        # A window above all others over the whole screen below the control bar.
        cover = self.session.start(f'"{self.win(cover_exe)}" /X=0 /Y=100 /W=1024 /H=668 '
                                   f'/RELEASE={self.win(release)}', self.win(self.setups))
        self.session.wait_window(pid=cover.pid, cls="#32770")
        report = self.reports / "отчёт.txt"

        orvanta = self.session.start_orvanta(f'/PLAY "{self.win(script)}" /SPEED 0 {WAIT_LIMIT} '
                                             f'/REPORT "{self.win(report)}"')
        wizard = self.session.wait_window(cls="#32770", caption="Установка Demo One", timeout=60)
        self.session.wait_window(pid=orvanta.pid, caption=COVERED, top_level=False, timeout=60)
        # While covered, the wizard stays on its first page.
        self.assertTrue(cover.running())
        self.assertEqual(self.session.window_text(wizard), "Установка Demo One")

        release.write_bytes(b"")
        cover.wait(timeout=30)
        code = orvanta.wait(timeout=120)
        self.assert_results(setups.read_report(report), [("Demo One", "ОК")])
        self.assertEqual(code, 0)
        self.assert_installed("Demo One")

    def test_bad_command_line_is_refused_with_the_usage(self):
        self.add_setup("Demo One")
        script = self.win(self.add_script("Demo One", "Demo One"))
        missing = self.win(self.scripts / "Нет такого.OVS")
        report = self.reports / "ошибка.txt"
        # Each case: the arguments, and what the problem (the first line) names.
        cases = {
            "missing script": (f'/PLAY "{missing}"', missing),
            "unknown option": (f'/PLAY "{script}" /FAST', "/FAST"),
        }
        for case, (arguments, named) in cases.items():
            with self.subTest(case):
                report.unlink(missing_ok=True)
                code = self.play(f'{arguments} /REPORT "{self.win(report)}"', timeout=60)
                self.assertEqual(code, 2)
                text = report.read_text(encoding="utf-8-sig")
                for option in USAGE_OPTIONS:
                    self.assertIn(option, text)
                problem = text.strip().splitlines()[0]
                self.assertIn(named.upper(), problem.upper())
                self.assertEqual(self.session.find_windows(caption="Установка Demo One"), [],
                                 "a refused command line started a setup")
        self.assertFalse((self.programs / "Demo One").exists())
