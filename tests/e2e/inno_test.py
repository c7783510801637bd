"""A real Inno Setup 6 wizard (installers/inno_wizard.iss, compiled by
ISCC.exe under 32-bit Wine): the language form, a licence, the folder,
components with a type list, tasks, the ready page, the copying page and the
finish page with a run box. Recorded through the control bar as a person
clicks, then played back; each install starts on a machine where the program
is not installed (Inno Setup skips pages of one that is). Skipped where
32-bit Wine is not installed."""
import shutil
import unittest

import record_test
import setups
import winebox
from winebox_show import LB_GETITEMHEIGHT

# A 32-bit setup's entry, in the 32-bit view of HKLM.
UNINSTALL = r"HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Inno Demo_is1"
LANGUAGE_FORM = ("TSelectLanguageForm", "Выберите язык установки")
FORM = ("TWizardForm", "Установка — Inno Demo, версия 1.0")
NEXT, INSTALL, FINISH = "&Далее", "&Установить", "&Завершить"
ACCEPT = "Я &принимаю условия соглашения"
HELP_ITEM, NOTE_ITEM, RUN_ITEM = 1, 0, 0  # of the components, tasks and finish lists
INSTALLED = {"readme.txt", "note.txt"}  # help cleared, the note's task ticked


def recorded_blocks(version="1.0"):
    """The whole installation as the recorder stores it (the window paths)."""
    form = [("TWizardForm", f"Установка — Inno Demo, версия {version}", 1)]
    inner_page = form + [("TNewNotebook", "", 1), ("TNewNotebookPage", "", 1),
                         ("TNewNotebook", "", 1), ("TNewNotebookPage", "", 1)]
    outer_page = form + [("TNewNotebook", "", 1), ("TNewNotebookPage", "", 1)]

    def button(caption):
        return setups.Block(form + [("TNewButton", caption, 1)])

    return [
        setups.Block([LANGUAGE_FORM + (1,), ("TNewButton", "OK", 1)]),
        setups.Block(inner_page + [("TNewRadioButton", ACCEPT, 1)], (8, 8)),
        button(NEXT),
        button(NEXT),
        setups.Block(inner_page + [("TNewCheckListBox", "", 1)], (38, 22)),
        button(NEXT),
        setups.Block(inner_page + [("TNewCheckListBox", "", 1)], (40, 11)),
        button(NEXT),
        button(INSTALL),
        setups.Block(outer_page + [("TNewCheckListBox", "", 1)], (40, 11)),
        button(FINISH),
    ]


@unittest.skipUnless(setups.WINE_RUNS_32BIT, "32-bit Wine is not installed on this machine")
class InnoSetupTest(setups.SetupCase):
    stop_button = record_test.RecordTest.stop_button

    def setUp(self):
        super().setUp()
        self.uninstall()
        self.addCleanup(self.uninstall)

    def folder(self):
        return self.session.drive_c / "Program Files (x86)" / "Inno Demo"

    def uninstall(self):
        """As on a machine where it never was: its folder and its entry gone."""
        shutil.rmtree(self.folder(), ignore_errors=True)
        self.session.wine("reg", "delete", UNINSTALL, "/f")

    def installed(self):
        """The text files of the folder the setup installed into."""
        self.assertTrue(self.session.reg_get(UNINSTALL, "InstallLocation"),
                        "the setup wrote no uninstall entry")
        return {p.name for p in self.folder().iterdir() if p.suffix == ".txt"}

    def button(self, window, caption):
        def find():
            return next((w for w in self.session.descendants(window, cls="TNewButton", visible=True)
                         if w.caption == caption and self.session.window_enabled(w)), None)
        return winebox.wait_until(f"the button {caption!r}", find, timeout=60)

    def only(self, window, cls, caption=None):
        def find():
            found = [w for w in self.session.descendants(window, cls=cls, visible=True)
                     if caption is None or w.caption == caption]
            return found[0] if len(found) == 1 else None
        return winebox.wait_until(f"one {cls} {caption or ''}", find, timeout=30)

    def click_item(self, window, cls, index):
        """A click on line `index` of the only visible list of `cls`."""
        box = self.only(window, cls)
        out, _ = self.session.probe("send", hex(box.hwnd), str(LB_GETITEMHEIGHT), "0")
        height = int(out)
        self.session.click_at(box.rect[0] + 40, box.rect[1] + index * height + height // 2)

    def test_recorded_as_a_person_clicks_and_played_at_the_fast_speed(self):
        setup = self.setups / "inno_setup.exe"
        shutil.copyfile(setups.build_inno_setup(self.session), setup)
        script = self.scripts / "Запись Inno.OVS"
        orvanta = self.session.start_orvanta(f'/RECORD "{self.win(setup)}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        language = self.session.wait_window(cls=LANGUAGE_FORM[0], caption=LANGUAGE_FORM[1],
                                            timeout=60)
        self.session.click(self.button(language, "OK"))
        form = self.session.wait_window(cls=FORM[0], caption=FORM[1], timeout=60)
        self.session.click(self.only(form, "TNewRadioButton", ACCEPT))
        self.session.click(self.button(form, NEXT))
        self.only(form, "TEdit")  # the folder page
        self.session.click(self.button(form, NEXT))
        self.only(form, "TNewComboBox")  # the components page
        self.click_item(form, "TNewCheckListBox", HELP_ITEM)
        self.session.click(self.button(form, NEXT))
        self.click_item(form, "TNewCheckListBox", NOTE_ITEM)
        self.session.click(self.button(form, NEXT))
        self.session.click(self.button(form, INSTALL))
        finish = self.button(form, FINISH)
        self.click_item(form, "TNewCheckListBox", RUN_ITEM)
        self.session.click(finish)
        winebox.wait_until("the wizard to close",
                           lambda: not self.session.find_windows(cls=FORM[0]), timeout=30)
        self.assertEqual(self.installed(), INSTALLED,
                         "the recorded installation did not go as clicked")
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)

        text = setups.dump_script(script)
        self.assertEqual([b["path"] for b in setups.parse_blocks(text)],
                         [b.path for b in recorded_blocks()], text)
        self.assert_plays(script, "/SPEED 0")

    def assert_plays(self, script, arguments):
        """Played on a machine without the program, it installs as recorded,
        and the report names the entry in the 32-bit view of HKLM."""
        self.uninstall()
        code, report = self.play_report(f'/PLAY "{self.win(script)}" {arguments} /TIMEOUT 60',
                                        self.reports / "отчёт.txt", timeout=240)
        self.assert_results(report, [(script.stem, "ОК")])
        self.assertEqual(code, 0, report.text)
        self.assertEqual(self.installed(), INSTALLED, report.text)
        [result] = report.results
        self.assertTrue(result["installed"] and result["installed"][0].startswith("Inno Demo"),
                        report.text)
        self.assertEqual(self.session.find_windows(cls=FORM[0]), [], "the wizard is still open")

    def test_played_at_the_slow_speed_by_window_messages_and_on_the_next_version(self):
        setup = self.setups / "inno_setup.exe"
        shutil.copyfile(setups.build_inno_setup(self.session), setup)
        script = self.scripts / "Inno.OVS"
        setups.write_script(script, setups.script_text(recorded_blocks(), self.win(setup)))
        self.assert_plays(script, "/SPEED 2")
        self.assert_plays(script, "/SPEED 0 /MESSAGES")
        # The script of version 1.0 installs version 1.1, whose caption differs.
        shutil.copyfile(setups.build_inno_setup(self.session, VERSION="1.1"), setup)
        self.assert_plays(script, "/SPEED 0")
