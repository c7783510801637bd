"""The system's property-sheet wizard as a setup (sheet_wizard.exe of the
Windows build: PropertySheetW with PSH_WIZARD). Its pages are child dialogs
of the sheet's own #32770 window, all with the sheet's caption, and the pages
already shown stay there hidden; the buttons belong to the sheet, and Next on
the licence page stays disabled until its check box is ticked. Recorded
through the real mouse hook and played back, and played by window messages."""
import shutil

import library_test
import record_test
import setups
import winebox

PRODUCT = "Demo Sheet"  # the wizard's product when its command line names none
NEXT, FINISH, ACCEPT = setups.SHEET_NEXT, setups.SHEET_FINISH, setups.SHEET_ACCEPT
# Each page of the wizard by the heading it shows.
WELCOME, LICENCE, FOLDER, READY = ("Вас приветствует мастер установки {}",
                                   "Лицензионное соглашение", "Папка установки",
                                   "Всё готово к установке")


class SheetTest(setups.SetupCase):
    # The control bar, found as the recording and library tests find it.
    stop_button = record_test.RecordTest.stop_button
    control_bar = library_test.LibraryTest.control_bar
    bar_button = library_test.LibraryTest.bar_button
    wait_bar_height = library_test.LibraryTest.wait_bar_height

    def add_sheet_setup(self, name):
        """C:\\Setups\\<name>.exe, a copy of the property-sheet wizard; its Windows path."""
        target = self.setups / f"{name}.exe"
        shutil.copyfile(self.session.built("sheet_wizard.exe"), target)
        return self.win(target)

    def wait_page(self, sheet, title):
        """The sheet's visible page that shows `title`."""
        def page():
            for dialog in self.session.children(sheet, cls="#32770", visible=True):
                if any(w.caption == title for w in self.session.children(dialog, visible=True)):
                    return dialog
            return None
        return winebox.wait_until(f"the page {title!r}", page, timeout=30)

    def control(self, window, cls, caption):
        found = [w for w in self.session.children(window, cls=cls, visible=True)
                 if w.caption == caption]
        self.assertEqual(len(found), 1, f"{cls} {caption!r} in {window.caption!r}: {found}")
        return found[0]

    def assert_sheet_installed(self, product, folder):
        readme = self.session.prefix.unix_path(folder) / "readme.txt"
        self.assertTrue(readme.is_file(), f"{readme} was not installed")
        self.assertIn(f"установлена в папку {folder}", readme.read_text(encoding="utf-8"))
        self.assertFalse((self.session.drive_c / "Program Files" / product).exists(),
                         "the wizard installed into its default folder, not the script's")

    def forget(self, product):
        shutil.rmtree(self.programs, ignore_errors=True)
        shutil.rmtree(self.session.drive_c / "Program Files" / product, ignore_errors=True)

    def test_sheet_wizard_recorded_through_the_hook_plays_back(self):
        self.forget(PRODUCT)
        setup = self.add_sheet_setup(PRODUCT)
        target = self.target_folder(PRODUCT)
        script = self.scripts / "Запись мастера.OVS"
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        sheet = self.session.wait_window(cls="#32770", caption=f"Установка {PRODUCT}", timeout=60)

        self.wait_page(sheet, WELCOME.format(PRODUCT))
        self.session.click(self.control(sheet, "Button", NEXT))
        licence = self.wait_page(sheet, LICENCE)
        self.session.click(self.control(licence, "Button", ACCEPT))
        self.session.click(self.control(sheet, "Button", NEXT))
        # The folder: a click into the field, then its text changed in the
        # control bar's panel during a pause.
        folder_page = self.wait_page(sheet, FOLDER)
        [field] = self.session.children(folder_page, cls="Edit", visible=True)
        self.session.click(field)
        bar = self.control_bar(orvanta)
        self.session.click(self.bar_button(bar, library_test.PAUSE_X))
        bar = self.wait_bar_height(orvanta, library_test.PANEL_HEIGHT)
        [panel_text] = self.session.children(bar, cls="Edit", visible=True)
        self.session.click(panel_text)
        self.session.press_key("End")
        self.session.press_key("shift+Home")
        self.session.paste_text(target)
        self.session.click(self.bar_button(bar, library_test.PAUSE_X))
        winebox.wait_until("the new folder in the wizard",
                           lambda: self.session.window_text(field) == target, timeout=20)
        self.session.click(self.control(sheet, "Button", NEXT))
        self.wait_page(sheet, READY)
        self.session.click(self.control(sheet, "Button", FINISH))
        winebox.wait_until("the wizard to close", lambda: not self.session.find_windows(
            cls="#32770", caption=sheet.caption), timeout=30)
        self.assert_sheet_installed(PRODUCT, target)  # the recorded installation really ran
        bar = self.wait_bar_height(orvanta, library_test.STRIP_HEIGHT)
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)

        text = setups.dump_script(script)
        recorded = setups.parse_blocks(text)
        expected = setups.sheet_blocks(PRODUCT, target)
        self.assertEqual([(b["path"], b["text"]) for b in recorded],
                         [(b.path, b.text) for b in expected], text)

        # Played on a machine where the product is not installed.
        self.forget(PRODUCT)
        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt")
        self.assert_results(report, [("Запись мастера", "ОК")])
        self.assertEqual(code, 0)
        self.assert_sheet_installed(PRODUCT, target)
        self.assertEqual(self.session.find_windows(cls="#32770", caption=sheet.caption), [],
                         "the wizard is still open: Готово was not pressed")

    def test_sheet_wizard_installs_by_window_messages(self):
        # The product comes from the script's parameters; the pointer parked
        # far away shows that no click went in as mouse input.
        product = "Демо Лист"
        target = self.target_folder(product)
        self.forget(product)
        program = self.add_sheet_setup("Мастер")
        script = self.scripts / f"{product}.OVS"
        setups.write_script(script, setups.script_text(
            setups.sheet_blocks(product, target), program, f"Установка {product}",
            parameters=f'"/PRODUCT={product}"'))
        self.session.move_to(1000, 740)

        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60 '
                                        f'/MESSAGES', self.reports / "отчёт.txt")

        self.assert_results(report, [(product, "ОК")])
        self.assertIn(f"Воспроизведено сообщениями окон: {product} (строка 1)", report.text)
        self.assertEqual(code, 0)
        self.assert_sheet_installed(product, target)
        self.assertEqual(self.session.pointer(), (1000, 740))
