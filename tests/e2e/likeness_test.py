"""Scripts recorded on one version of a setup, played on the next: the NSIS
wizard built twice with two version numbers in its name, and a wizard that
draws its own controls in a window whose class carries a new GUID on every
run. Their windows are found by likeness, and the report names each block
found so."""
import shutil

import setups

OLD, NEW = "Архиватор 2.4", "Архиватор 2.5"
DRAWN_CAPTION = "Установка Рисованный мастер"
# The class the drawn wizard had on the run the script was recorded on.
RECORDED_CLASS = "DrawnWizard[{0F8E5C2A-6B1D-4C3E-9A7F-2D4B6E8A1C3F}]"
CHECK_BOX, BUTTON = (40, 160), (400, 285)


class LikenessTest(setups.SetupCase):
    PRODUCTS = (OLD, NEW)

    def test_a_script_of_one_version_installs_the_next_and_the_report_names_what_it_found(self):
        program = self.add_setup(NEW)
        folder = self.target_folder("Архиватор")
        setups.write_script(self.scripts / "Архиватор.OVS",
                            setups.script_text(setups.wizard_blocks(OLD, folder), program))

        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Архиватор", "ОК")])
        self.assertEqual(code, 0)
        self.assertTrue((self.programs / "Архиватор" / "readme.txt").is_file(), report.text)
        self.assertEqual(self.session.reg_get(rf"{setups.UNINSTALL_KEY}\{NEW}", "InstallLocation"),
                         folder)
        # The welcome page's caption has no trailing space, the other pages'
        # has one: two reasons, two sections, the second listing its blocks.
        self.assertEqual([(s.get("block"), s.get("blocks")) for s in report.likeness],
                         [("1 из 4", None), (None, "2, 3, 4 из 4")], report.text)
        first, others = report.likeness
        self.assertEqual(first["recorded"], f'"#32770" "Установка {OLD}" 1 > "Button" "&Далее >" 1')
        self.assertEqual(first["pressed"], f'"#32770" "Установка {NEW}" 1 > "Button" "&Далее >" 1')
        self.assertEqual(others["Блок 4. Нажато"],
                         f'"#32770" "Установка {NEW} " 1 > "Button" "&Готово" 1')
        self.assertIn("без номера версии", first["why"])
        self.assertIn("без номера версии", others["why"])

    def test_a_window_whose_class_is_new_on_every_run_is_played_by_a_script_of_an_earlier_run(self):
        program = self.setups / "drawn_wizard.exe"
        shutil.copyfile(self.session.built("drawn_wizard.exe"), program)
        folder = self.win(self.programs) + "\\Рисованный"
        window = [(RECORDED_CLASS, DRAWN_CAPTION, 1)]
        # Tick "Создать ярлык", then Далее, Установить and Готово.
        blocks = [setups.Block(window, CHECK_BOX)] + [setups.Block(window, BUTTON)] * 3
        setups.write_script(self.scripts / "Рисованный.OVS",
                            setups.script_text(blocks, self.win(program), parameters=f"/D={folder}"))

        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt")

        self.assert_results(report, [("Рисованный", "ОК")])
        self.assertEqual(code, 0)
        result = self.programs / "Рисованный" / "result.txt"
        self.assertTrue(result.is_file(), report.text)
        self.assertEqual(result.read_text(), "shortcut=1\ndictionaries=1\n")
        self.assertEqual([s.get("blocks") for s in report.likeness], ["1, 2, 3, 4 из 4"], report.text)
        self.assertIn(f'вместо "{RECORDED_CLASS}"', report.likeness[0]["why"])
