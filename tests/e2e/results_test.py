"""What a deployment system and its administrator read after an unattended
run: the programs each setup put into the list of installed programs, the
setup's own exit code, a restart that is needed, the exit code of the run,
the CMTrace log, and a run that a restart ended going on after it."""
import re
import shutil
import time

import setups
import winebox

DRAWN_CAPTION = "Установка Рисованный мастер"
RECORDED_CLASS = "DrawnWizard[{0F8E5C2A-6B1D-4C3E-9A7F-2D4B6E8A1C3F}]"
CHECK_BOX, BUTTON = (40, 160), (400, 285)
WAIT_LIMIT = "/TIMEOUT 60"
CMTRACE_LINE = re.compile(r'<!\[LOG\[[^\r\n]*\]LOG\]!><time="\d\d:\d\d:\d\d\.\d{3}[+-]\d+" '
                          r'date="\d\d-\d\d-\d{4}" component="[A-Za-z]+" context="" '
                          r'type="[123]" thread="\d+" file="">')


class ResultsTest(setups.SetupCase):
    PRODUCTS = ("Demo One", "Demo Two", "Demo Three", "Demo Restart", "Demo Broken", "Night Hung")

    def add_drawn(self, name, folder, parameters):
        """A script of the drawn wizard recorded on a run whose window class is
        gone: tick "Создать ярлык", then Далее, Установить and Готово."""
        program = self.setups / "drawn_wizard.exe"
        shutil.copyfile(self.session.built("drawn_wizard.exe"), program)
        window = [(RECORDED_CLASS, DRAWN_CAPTION, 1)]
        blocks = [setups.Block(window, CHECK_BOX)] + [setups.Block(window, BUTTON)] * 3
        setups.write_script(self.scripts / f"{name}.OVS",
                            setups.script_text(blocks, self.win(program),
                                               parameters=f"{parameters} /D={folder}"))

    def results(self, report):
        return {r["name"]: r for r in report.results}

    def test_the_report_and_the_log_say_what_each_setup_installed(self):
        self.add_setup("Demo One", VERSION="1.0")
        self.add_script("1 С записью", "Demo One")
        self.add_setup("Demo Two", NO_ENTRY=1)
        self.add_script("2 Без записи", "Demo Two")
        # Its window found by likeness; its first press is lost and played again.
        self.add_drawn("3 Рисованный", self.win(self.programs) + "\\Рисованный", "/DEAF=1")
        log = self.reports / "журнал.log"

        code, report = self.play_report(
            f'/PLAY "{self.win(self.scripts)}" /SPEED 0 {WAIT_LIMIT} /LOG "{self.win(log)}"',
            self.reports / "отчёт.txt")

        self.assert_results(report, [("1 С записью", "ОК"), ("2 Без записи", "ОК"),
                                     ("3 Рисованный", "ОК")])
        self.assertEqual(code, 0)
        results = self.results(report)
        self.assertEqual(results["1 С записью"]["installed"], ["Demo One 1.0"], report.text)
        self.assertFalse(results["1 С записью"]["nothing"])
        self.assertTrue(results["2 Без записи"]["nothing"], report.text)
        self.assertEqual((self.programs / "Рисованный" / "result.txt").read_text(),
                         "shortcut=1\ndictionaries=1\n", report.text)

        data = log.read_bytes()
        self.assertTrue(data.startswith(b"\xef\xbb\xbf"), "no byte order mark")
        lines = data[3:].decode("utf-8").split("\r\n")
        self.assertEqual(lines[-1], "")
        for line in lines[:-1]:
            self.assertRegex(line, CMTRACE_LINE)
        text = data.decode("utf-8-sig")
        for said in ("Пакет 1 из 3: 1 С записью", "Установлено: Demo One 1.0",
                     "Программа установки завершилась с кодом 0",
                     "окно найдено по сходству: записано", "нажатие не дало действия, повторено",
                     "Ожидание закончено через", "Пакет 3 Рисованный закончен: ОК",
                     "Запуск окончен, код завершения 0"):
            self.assertIn(said, text)

    def test_the_setups_exit_code_decides_a_restart_and_a_failure(self):
        self.add_setup("Demo Restart", EXIT_CODE=3010)
        restart = self.add_script("Перезагрузка", "Demo Restart")
        self.add_setup("Demo Broken", EXIT_CODE=1603)
        broken = self.add_script("Сломан", "Demo Broken")

        code, report = self.play_report(f'/PLAY "{self.win(restart)}" /SPEED 0 {WAIT_LIMIT}',
                                        self.reports / "перезагрузка.txt")
        self.assert_results(report, [("Перезагрузка", "ОК")])
        self.assertEqual(code, 3010)
        self.assertEqual(self.results(report)["Перезагрузка"]["exit_code"], "3010")
        self.assertTrue(self.results(report)["Перезагрузка"]["restart"])
        self.assertTrue(report.text.endswith("\n\nТребуется перезагрузка\n"), report.text)

        code, report = self.play_report(f'/PLAY "{self.win(broken)}" /SPEED 0 {WAIT_LIMIT}',
                                        self.reports / "сломан.txt")
        self.assert_results(report, [("Сломан", "NO")])
        self.assertEqual(code, 1)
        self.assertEqual(report.section("Сломан")["reason"],
                         "программа установки завершилась с кодом 1603")
        self.assert_installed("Demo Broken")  # it did its work and still said it failed

    def test_a_run_that_a_restart_ended_goes_on_after_it(self):
        self.add_setup("Demo One")
        self.add_setup("Night Hung", HANG_INSTALL=1)
        self.add_setup("Demo Three")
        self.add_script("1 Первый", "Demo One")
        self.add_script("2 Прерванный", "Night Hung")
        self.add_script("3 Третий", "Demo Three")
        report = self.reports / "отчёт.txt"
        log = self.reports / "журнал.log"

        self.session.start_orvanta(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 '
                                   f'/REPORT "{self.win(report)}" /LOG "{self.win(log)}"')
        winebox.wait_until("the first package in the report",
                           lambda: report.is_file() and
                           "1   ОК  1 Первый" in report.read_text(encoding="utf-8-sig"),
                           timeout=120)
        winebox.wait_until("the second wizard", lambda: self.session.find_windows(
            cls="#32770", caption="Установка Night Hung "), timeout=60)
        time.sleep(2)  # on its install page, which never ends
        command = self.session.reg_get(setups.RUN_ONCE_KEY, setups.RESUME_VALUE)
        self.assertIn("/RESUME", command or "")
        # The hung setup has written its entry (the next start of Wine runs RunOnce).
        self.session.wine("reg", "add", rf"{setups.UNINSTALL_KEY}\Night Hung", "/v", "DisplayName",
                          "/d", "Night Hung", "/f")
        self.session.kill_all()  # the power goes
        # The machine starts again: Wine runs RunOnce and waits for it.
        self.session.wine("wineboot", "-r", timeout=300)

        result = setups.read_report(report)
        self.assert_results(result, [("1 Первый", "ОК"), ("2 Прерванный", "NO"),
                                     ("3 Третий", "ОК")])
        self.assertEqual(result.section("2 Прерванный")["reason"], "прервано перезагрузкой")
        self.assertIn("Продолжено после перезагрузки: с пакета 3 из 3", result.text)
        self.assertEqual(self.results(result)["2 Прерванный"]["installed"], ["Night Hung"],
                         result.text)
        self.assertNotIn("Запуск не закончен", result.text)
        self.assert_installed("Demo Three")
        self.assertIsNone(self.session.reg_get(setups.RUN_ONCE_KEY, setups.RESUME_VALUE))
        text = log.read_text(encoding="utf-8-sig")
        self.assertEqual(text.count("Пакет 1 из 3: 1 Первый"), 1)
        self.assertIn("Продолжено после перезагрузки", text)
        self.assertIn("Запуск окончен, код завершения 1", text)
