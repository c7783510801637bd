"""A script recorded on a Russian Windows plays on an English one. The NSIS
wizard that speaks both languages (wizard.nsi with ENGLISH) is recorded
through `/RECORD` under ru_RU (code page 1251, the Russian pages), the folder
it is to install into is written into its parameters with ovstool, and it is
played under en_US (code page 1252, the English pages, every caption other)."""
import record_test
import setups
import winebox

PRODUCT = "Полиглот"
ENGLISH = "en_US.UTF-8"


class LanguagesTest(setups.SetupCase):
    PRODUCTS = (PRODUCT,)
    stop_button = record_test.RecordTest.stop_button

    def wizard_button(self, caption):
        """The shown button of this caption in the setup's wizard."""
        def find():
            for wizard in self.session.find_windows(cls="#32770"):
                for button in self.session.children(wizard, cls="Button", visible=True):
                    if button.caption == caption:
                        return button
            return None
        return winebox.wait_until(f"the wizard's button {caption!r}", find, timeout=60)

    def record(self, setup, script):
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        self.session.click(self.wizard_button(setups.NEXT))
        self.session.click(self.wizard_button(setups.INSTALL))
        # The finish page follows the install by itself.
        self.session.click(self.wizard_button(setups.FINISH))
        winebox.wait_until("the wizard to close", lambda: not [
            w for w in self.session.find_windows(cls="#32770")
            if w.caption.startswith(f"Установка {PRODUCT}")], timeout=60)
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)

    def test_a_script_recorded_on_russian_windows_installs_on_an_english_one(self):
        setup = self.add_setup(PRODUCT, ENGLISH="1")
        script = self.scripts / f"{PRODUCT}.OVS"
        self.record(setup, script)
        text = setups.dump_script(script)
        self.assertIn("\ncodepage 1251\n", text)
        self.assertIn(f'window "Button" "{setups.NEXT}" 1 id 1\n', text)

        folder = self.programs / PRODUCT
        parameters = setups.quote("/D=" + self.win(folder))
        setups.write_script(script, text.replace('parameters ""', f"parameters {parameters}"))
        self.assertIn(" id 1\n", setups.dump_script(script), "ovstool build lost the control IDs")

        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt", timeout=200, locale=ENGLISH)
        self.assert_results(report, [(PRODUCT, "ОК")])
        self.assertEqual(code, 0, report.text)
        self.assertTrue((folder / "readme.txt").is_file(), report.text)
        self.assertIn("тот же идентификатор элемента 1", report.text)
        self.assertIn(f'"{PRODUCT} Setup', report.text)
