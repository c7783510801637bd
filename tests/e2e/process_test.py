"""The setup's processes during unattended playback: a setup that quits
early, one given up by /TIMEOUT, a bootstrapper that hands over to a second
setup program, and a setup whose process outlives its window."""
import re
import shutil

import setups

WAITING = "Ожидание завершения предыдущей установки"  # the control bar's activity text
SETUP_ENDED = "программа установки завершилась"


def clock_seconds(text):
    """Seconds of a H:MM:SS text."""
    hours, minutes, seconds = map(int, text.split(":"))
    return hours * 3600 + minutes * 60 + seconds


def duration_seconds(line):
    """The duration (H:MM:SS, the first time on the line) of a statistics line."""
    return clock_seconds(re.search(r"\b\d+:\d\d:\d\d\b", line)[0])


class ProcessTest(setups.SetupCase):
    PRODUCTS = ("Demo One", "Demo Two", "Demo Three")

    def write_order(self, *names):
        text = "".join(name + "\r\n" for name in names)
        (self.scripts / "Position.lst").write_bytes(text.encode("cp1251"))

    def test_setup_that_quits_after_its_first_page_ends_its_package_at_once(self):
        self.add_setup("Demo One", QUIT_AFTER_WELCOME=1)
        self.add_setup("Demo Two")
        self.add_script("Ушёл", "Demo One")
        self.add_script("Второй", "Demo Two")
        self.write_order("Ушёл", "Второй")

        # No /TIMEOUT: only the end of the setup's processes can end the first.
        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Ушёл", "NO"), ("Второй", "ОК")])
        self.assertEqual(code, 1)
        first = report.section("Ушёл")
        self.assertEqual(first["block"], "2 из 4")
        self.assertEqual(first["reason"], SETUP_ENDED)
        self.assertLess(duration_seconds(report.entries[0][2]), 15, report.text)
        self.assert_installed("Demo Two")

    def test_package_given_up_by_timeout_leaves_no_process_of_its_setup(self):
        self.add_setup("Demo Two")
        self.add_setup("Demo Three")
        # Demo Two's wizard opens, but the script waits for a caption no setup shows.
        self.add_script("Первый", "Demo Two", caption="Установка Нет такого")
        self.add_script("Второй", "Demo Three")
        self.write_order("Первый", "Второй")

        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 10',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Первый", "NO"), ("Второй", "ОК")])
        self.assertEqual(report.section("Первый")["reason"], "окно не найдено")
        self.assert_installed("Demo Three")
        self.assertNotIn("Demo Two.exe", self.processes().values())
        self.assertEqual(self.session.find_windows(caption="Установка Demo Two", visible=None), [])

    def test_bootstrapper_is_followed_through_its_childs_wizard(self):
        self.add_setup("Demo Two")
        boot = self.setups / "Загрузчик.exe"
        shutil.copyfile(setups.build_installer("bootstrap.nsi", self.session.work_dir,
                                               CHILD="Demo Two.exe"), boot)
        script = self.add_script("Через загрузчик", "Demo Two", program=self.win(boot))

        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Через загрузчик", "ОК")])
        self.assertEqual(code, 0)
        self.assert_installed("Demo Two")

    def test_next_package_starts_after_the_first_setups_process_has_ended(self):
        # The first setup's process stays 8 s after its last window closed.
        self.add_setup("Demo One", LINGER=8000)
        self.add_setup("Demo Two")
        self.add_script("Первый", "Demo One")
        self.add_script("Второй", "Demo Two")
        self.write_order("Первый", "Второй")
        report = self.reports / "отчёт.txt"

        orvanta = self.session.start_orvanta(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 '
                                             f'/TIMEOUT 60 /REPORT "{self.win(report)}"')
        # At the fast speed the wizard may be through before a look at it.
        self.session.wait_window(pid=orvanta.pid, caption=WAITING, top_level=False, timeout=60)
        running = self.processes()
        [first] = [pid for pid, name in running.items() if name == "Demo One.exe"]
        self.assertEqual(self.session.find_windows(pid=first), [])  # only its process is left
        self.assertNotIn("Demo Two.exe", running.values())

        self.assertEqual(orvanta.wait(timeout=120), 0)
        result = setups.read_report(report)
        self.assert_results(result, [("Первый", "ОК"), ("Второй", "ОК")])
        # Each line ends with its start and end times: the second started
        # once the first one's process had gone, 8 s after its last block.
        first_end = clock_seconds(result.entries[0][2].split()[-1])
        second_start = clock_seconds(result.entries[1][2].split()[-2])
        self.assertGreaterEqual(second_start - first_end, 7, result.text)
        self.assert_installed("Demo Two")
