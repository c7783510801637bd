"""A wizard that draws its own controls in one window (drawn_wizard.exe):
each page ignores presses while it loads, a bar running along its bottom.
A library of ten installs of it, each ticking one check box and clearing
the other, installs as recorded at every speed and by window messages."""
import shutil

import setups

CAPTION = "Установка Рисованный мастер"
CLASS = "DrawnWizard"
LOAD_MS = 400
CHECK_BOX, BUTTON = (40, 160), (400, 285)
ROUNDS = 10


class DrawnTest(setups.SetupCase):

    def add_library(self, mode):
        """C:\\Сценарии holding ROUNDS scripts of the drawn wizard, each into a
        folder of its own under C:\\Программы\\<mode>; the folders."""
        shutil.rmtree(self.scripts, ignore_errors=True)
        self.scripts.mkdir(parents=True)
        program = self.setups / "drawn_wizard.exe"
        if not program.is_file():
            shutil.copyfile(self.session.built("drawn_wizard.exe"), program)
        window = [(CLASS, CAPTION, 1)]
        # Tick "Создать ярлык", Далее, clear "Словари", Установить, Готово.
        blocks = [setups.Block(window, press) for press in
                  (CHECK_BOX, BUTTON, CHECK_BOX, BUTTON, BUTTON)]
        folders = []
        for number in range(1, ROUNDS + 1):
            folder = self.programs / mode / str(number)
            parameters = f"/LOAD={LOAD_MS} /CLASS={CLASS} /D={self.win(folder)}"
            setups.write_script(self.scripts / f"{number:02} Рисованный.OVS",
                                setups.script_text(blocks, self.win(program), parameters=parameters))
            folders.append(folder)
        return folders

    def assert_installs_as_recorded(self, mode, arguments):
        folders = self.add_library(mode)
        log = self.reports / f"{mode}.log"
        log.unlink(missing_ok=True)
        code, report = self.play_report(
            f'/PLAY "{self.win(self.scripts)}" {arguments} /TIMEOUT 30 /LOG "{self.win(log)}"',
            self.reports / f"{mode}.txt", timeout=240)
        self.assert_results(report, [(f"{n:02} Рисованный", "ОК") for n in range(1, ROUNDS + 1)])
        self.assertEqual(code, 0)
        for folder in folders:
            result = folder / "result.txt"
            self.assertTrue(result.is_file(), f"{mode}: {result} is missing\n{report.text}")
            # The log says how each press was confirmed, should one go astray.
            self.assertEqual(result.read_text(), "shortcut=1\ndictionaries=0\n",
                             f"{mode}: {folder}\n{report.text}\n{log.read_text(encoding='utf-8-sig')}")
        self.assertNotIn("Нажатие не изменило окно", report.text)

    def test_installs_as_recorded_ten_times_at_the_fast_speed_and_by_window_messages(self):
        self.assert_installs_as_recorded("fast", "/SPEED 0")
        self.assert_installs_as_recorded("messages", "/SPEED 0 /MESSAGES")

    def test_installs_as_recorded_ten_times_at_the_medium_and_the_slow_speed(self):
        self.assert_installs_as_recorded("medium", "/SPEED 1")
        self.assert_installs_as_recorded("slow", "/SPEED 2")
