"""A wizard of the class-library shape (classlib_wizard.exe): a loader runs it
from a temporary copy, a hidden application window owns its form, its
controls are superclasses under the library's own class names, its pages are
raised rather than shown, the components are items without windows, and Next
keeps its handle while it reads "&Установить" on the ready page. Recorded
through the control bar as a person clicks, then played back at the fast and
the slow speed and by window messages, each install into a folder of its own."""
import re
import shutil

import record_test
import setups
import winebox

PRODUCT = "Демо Библиотека"
APPLICATION = ("TApplication", PRODUCT, 1)
FORM = ("TWizardForm", f"Установка — {PRODUCT}", 0)
PAGE = ("TNewNotebookPage", "", 1)
NEXT, INSTALL, FINISH = "&Далее >", "&Установить", "&Завершить"
ACCEPT = "Я &принимаю условия соглашения"
RUN = "&Запустить программу"
ITEM_HEIGHT = 18
# Client points of the components list: "Справка" (cleared), "Примеры" (ticked).
HELP_ITEM, EXAMPLES_ITEM = (40, ITEM_HEIGHT + 9), (40, 2 * ITEM_HEIGHT + 9)
INSTALLED = "help=0\r\nexamples=1\r\nrun=1\r\n"
COPIES = 3  # installs of each way of playing


def button(caption):
    return setups.Block([APPLICATION, FORM, ("TNewButton", caption, 1)])


def recorded_blocks():
    """A whole installation as the recorder stores it."""
    return [
        button(NEXT),
        setups.Block([APPLICATION, FORM, PAGE, ("TNewRadioButton", ACCEPT, 1)], (8, 8)),
        button(NEXT),
        button(NEXT),
        setups.Block([APPLICATION, FORM, PAGE, ("TNewCheckListBox", "", 1)], EXAMPLES_ITEM),
        setups.Block([APPLICATION, FORM, PAGE, ("TNewCheckListBox", "", 1)], HELP_ITEM),
        button(NEXT),
        button(INSTALL),
        setups.Block([APPLICATION, FORM, PAGE, ("TNewCheckBox", RUN, 1)], (8, 8)),
        button(FINISH),
    ]


class ClassLibraryTest(setups.SetupCase):
    stop_button = record_test.RecordTest.stop_button

    def add_wizard(self):
        target = self.setups / "classlib_setup.exe"
        shutil.copyfile(self.session.built("classlib_wizard.exe"), target)
        return self.win(target)

    def form(self):
        return self.session.wait_window(cls=FORM[0], caption=FORM[1], timeout=60)

    def shown_page_control(self, form, cls, caption=None):
        """The control of `cls` on the page in front (the first page child of
        the form, as the system orders them)."""
        pages = self.session.children(form, cls="TNewNotebookPage")
        self.assertTrue(pages, "the form has no pages")
        found = [w for w in self.session.children(pages[0], cls=cls)
                 if caption is None or w.caption == caption]
        self.assertEqual(len(found), 1, f"{cls} {caption!r} on the front page: {found}")
        return found[0]

    def next_button(self, form, caption):
        def find():
            return next((w for w in self.session.children(form, cls="TNewButton")
                         if w.caption == caption and self.session.window_enabled(w)), None)
        return winebox.wait_until(f"the button {caption!r}", find, timeout=30)

    def click_in(self, window, point):
        self.session.click_at(window.rect[0] + point[0], window.rect[1] + point[1])

    def library_of(self, script_text, mode, copies):
        """C:\\Сценарии holding `copies` copies of the script, each installing
        into C:\\Программы\\<mode>\\<n>; the folders."""
        shutil.rmtree(self.scripts, ignore_errors=True)
        self.scripts.mkdir(parents=True)
        folders = []
        for number in range(1, copies + 1):
            folder = self.programs / mode / str(number)
            parameters = f'parameters {setups.quote("/D=" + self.win(folder))}'
            text = re.sub(r'^parameters .*$', lambda _: parameters, script_text, flags=re.M)
            setups.write_script(self.scripts / f"{number:02} Библиотека.OVS", text)
            folders.append(folder)
        return folders

    def assert_plays(self, script_text, mode, arguments, copies=COPIES):
        folders = self.library_of(script_text, mode, copies)
        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" {arguments} /TIMEOUT 30',
                                        self.reports / f"{mode}.txt", timeout=60 + 40 * copies)
        self.assert_results(report, [(f"{n:02} Библиотека", "ОК") for n in range(1, copies + 1)])
        self.assertEqual(code, 0)
        for folder in folders:
            result = folder / "result.txt"
            self.assertTrue(result.is_file(), f"{mode}: {result} is missing\n{report.text}")
            self.assertEqual(result.read_text(encoding="utf-8", errors="replace"),
                             INSTALLED.replace("\r\n", "\n"), f"{mode}: {folder}\n{report.text}")
        self.assertEqual(self.session.find_windows(cls=FORM[0]), [],
                         f"{mode}: a wizard is still open\n{report.text}")

    def test_recorded_as_a_person_clicks_and_played_at_the_fast_speed(self):
        setup = self.add_wizard()
        script = self.scripts / "Запись библиотеки.OVS"
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        form = self.form()
        self.session.click(self.next_button(form, NEXT))
        self.session.click(self.shown_page_control(form, "TNewRadioButton", ACCEPT))
        self.session.click(self.next_button(form, NEXT))
        self.session.click(self.next_button(form, NEXT))
        components = self.shown_page_control(form, "TNewCheckListBox")
        self.click_in(components, EXAMPLES_ITEM)
        self.click_in(components, HELP_ITEM)
        self.session.click(self.next_button(form, NEXT))
        self.session.click(self.next_button(form, INSTALL))
        finish = self.next_button(form, FINISH)
        self.session.click(self.shown_page_control(form, "TNewCheckBox", RUN))
        self.session.click(finish)
        winebox.wait_until("the wizard to close",
                           lambda: not self.session.find_windows(cls=FORM[0]), timeout=30)
        installed = self.session.drive_c / "Program Files" / PRODUCT / "result.txt"
        self.assertEqual(installed.read_text(), INSTALLED.replace("\r\n", "\n"),
                         "the recorded installation did not go as clicked")
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)

        text = setups.dump_script(script)
        recorded = setups.parse_blocks(text)
        expected = recorded_blocks()
        self.assertEqual([b["path"] for b in recorded], [b.path for b in expected], text)
        self.assert_plays(text, "fast", "/SPEED 0")

    def test_played_at_the_slow_speed_and_by_window_messages(self):
        text = setups.script_text(recorded_blocks(), self.add_wizard())
        self.assert_plays(text, "slow", "/SPEED 2", copies=2)
        self.assert_plays(text, "messages", "/SPEED 0 /MESSAGES")
