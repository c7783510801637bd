"""32-bit setups, as most setups in the wild are: a 32-bit build of the NSIS
wizard behind the 64-bit orvanta.exe in a WoW64 prefix, as on 64-bit Windows.
Recorded through the control bar as a person clicks, then played at the fast
and the slow speed and by window messages. Skipped where 32-bit Wine is not
installed (a kernel that runs no 32-bit programs)."""
import shutil
import unittest

import record_test
import setups
import winebox

PRODUCT = "Demo 32"
WELCOME = f"Установка {PRODUCT}"
LATER = WELCOME + " "  # the later pages' caption


@unittest.skipUnless(setups.WINE_RUNS_32BIT, "32-bit Wine is not installed on this machine")
class Wow64Test(setups.SetupCase):
    PRODUCTS = (PRODUCT,)
    stop_button = record_test.RecordTest.stop_button

    def wizard_button(self, caption, page_caption):
        def find():
            for wizard in self.session.find_windows(cls="#32770", caption=page_caption):
                for button in self.session.children(wizard, cls="Button", visible=True):
                    if button.caption == caption and self.session.window_enabled(button):
                        return button
            return None
        return winebox.wait_until(f"the button {caption!r}", find, timeout=60)

    def test_a_32_bit_setup_recorded_as_a_person_clicks_installs_again(self):
        setup = self.add_setup(PRODUCT, X86=1)
        script = self.scripts / "Запись 32.OVS"
        # Its own default folder: the 32-bit one of Program Files.
        installed = self.session.drive_c / "Program Files (x86)" / PRODUCT
        shutil.rmtree(installed, ignore_errors=True)
        self.addCleanup(shutil.rmtree, installed, True)
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        self.session.click(self.wizard_button(setups.NEXT, WELCOME))
        self.session.click(self.wizard_button(setups.INSTALL, LATER))
        self.session.click(self.wizard_button(setups.FINISH, LATER))
        winebox.wait_until("the wizard to close", lambda: not self.session.find_windows(
            cls="#32770", caption=LATER), timeout=30)
        self.assertTrue((installed / "readme.txt").is_file(), "the recorded install did not install")
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)

        blocks = setups.parse_blocks(setups.dump_script(script))
        self.assertEqual([b["path"][-1] for b in blocks],
                         [("Button", setups.NEXT, 1), ("Button", setups.INSTALL, 1),
                          ("Button", setups.FINISH, 1)], blocks)
        shutil.rmtree(installed)
        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "fast.txt")
        self.assert_results(report, [("Запись 32", "ОК")])
        self.assertEqual(code, 0)
        self.assertTrue((installed / "readme.txt").is_file(), report.text)

    def test_a_32_bit_setup_plays_at_the_slow_speed_and_by_window_messages(self):
        self.add_setup(PRODUCT, X86=1)
        script = self.add_script(PRODUCT, PRODUCT)
        for mode, arguments in (("slow", "/SPEED 2"), ("messages", "/SPEED 0 /MESSAGES")):
            shutil.rmtree(self.programs / PRODUCT, ignore_errors=True)
            code, report = self.play_report(f'/PLAY "{self.win(script)}" {arguments} /TIMEOUT 60',
                                            self.reports / f"{mode}.txt", timeout=240)
            self.assert_results(report, [(PRODUCT, "ОК")])
            self.assertEqual(code, 0, mode)
            self.assert_installed(PRODUCT)
