"""The library window driven as a user drives it, with real clicks and keys:
a package recorded through the package dialog and the control bar and then
installed again with "Установить всё"; renaming, deleting and moving packages,
and the order kept in Position.lst at exit. Pictures of the windows on the way
are saved as build/e2e/artifacts/library.<window>.png."""
import shutil

import setups
from setups import winebox
from wine_case import main_window_caption

PRODUCT = "Demo Lib"
DESCRIPTION = "Демонстрационный пакет"
SETTINGS = r"HKCU\Software\Orvanta"

# The control bar: a 457-pixel strip, 201 pixels high with its text panel
# open; picture buttons at client y 8, pause/continue at x 384 and stop at
# x 416 while recording.
BAR_WIDTH, STRIP_HEIGHT, PANEL_HEIGHT = 457, 43, 201
PAUSE_X, STOP_X, BUTTON_Y, BUTTON_SIZE = 384, 416, 8, 27

# Menus of the library window in the order of the menu bar ("Вид" is hidden).
FILE_MENU, SERVICE_MENU = 0, 2
LB_GETITEMHEIGHT = 0x01A1
CHECK_BOX_WIDTH = 17  # a press left of this in a line toggles its check mark


class LibraryTest(setups.SetupCase):
    PRODUCTS = (PRODUCT,)

    # -- the library window -------------------------------------------------

    def open_library(self):
        """orvanta.exe started with C:\\Сценарии as its library; the program
        and its main window."""
        self.session.reg_set(rf"{SETTINGS}\Path", "FolderOVS", self.win(self.scripts))
        orvanta = self.session.start_orvanta()
        return orvanta, self.wait_main_window(orvanta)

    def package_list(self, main):
        [found] = self.session.descendants(main, cls="ListBox")
        return found

    def client_origin(self, main):
        """The main window's client top-left corner, from its folder frame at (8, 4)."""
        [frame] = [w for w in self.session.descendants(main, cls="Button")
                   if w.caption == "Каталог расположения OVS-файлов"]
        return frame.rect[0] - 8, frame.rect[1] - 4

    def choose(self, main, menu, item):
        """Opens a menu of the menu bar with a click on "Файл" and the arrow
        keys, and runs its item number `item` (separators not counted, -1 =
        the last item) with Enter."""
        x, y = self.client_origin(main)
        self.session.click_at(x + 12, y - 9)  # "Файл" on the menu bar
        self.session.wait_window(cls="#32768", timeout=10)
        for _ in range(menu):
            self.session.press_key("Right")
        if item < 0:
            self.session.press_key("End")
        else:
            self.session.press_key("Home")
            for _ in range(item):
                self.session.press_key("Down")
        self.session.press_key("Return")

    def line_point(self, package_list, line, x=60):
        """A point of the list's line `line`, `x` pixels from its left edge."""
        out, _ = self.session.probe("send", hex(package_list.hwnd), str(LB_GETITEMHEIGHT), "0")
        height = int(out)
        left, top = package_list.rect[:2]
        return left + 1 + x, top + 1 + line * height + height // 2

    def hint_of(self, orvanta, package_list, line):
        """The tool-tip that shows while the pointer rests on a line: the
        pointer comes onto the line from below the lines and moves once
        more on it (the tip follows the list's mouse moves), then rests."""
        x, y = self.line_point(package_list, line)
        polls = iter(range(1000))

        def shown():
            if next(polls) % 16 == 0:  # about every 4 s, should a tip not have come
                self.session.move_to(x, package_list.rect[3] - 4)
                self.session.move_to(x, y)
                self.session.move_to(x + 1, y)
            tips = [w for w in self.session.find_windows(cls="tooltips_class32", pid=orvanta.pid)
                    if w.caption]
            return tips[0].caption if tips else None
        return winebox.wait_until(f"the hint of line {line}", shown, timeout=20)

    def status_line(self, main):
        """The status line: the last label of the window, right of the counters."""
        labels = self.session.descendants(main, cls="Static")
        return labels[-1].caption

    def button(self, window, caption):
        found = [w for w in self.session.descendants(window, cls="Button", visible=True)
                 if w.caption == caption]
        self.assertEqual(len(found), 1, f"buttons {caption!r} in {window.caption!r}: {found}")
        return found[0]

    def shot(self, what):
        self.session.screenshot(self.session.work_dir / "artifacts" / f"library.{what}.png")

    # -- the control bar ----------------------------------------------------

    def control_bar(self, orvanta):
        """The control bar: the program's captionless window whose client
        area is the strip's width."""
        def find():
            for bar in self.session.find_windows(pid=orvanta.pid, cls="OrvantaForm", caption=""):
                if 0 <= (bar.rect[2] - bar.rect[0] - BAR_WIDTH) // 2 <= 3:
                    return bar
            return None
        return winebox.wait_until("the control bar", find, timeout=60)

    def bar_button(self, bar, x):
        """The visible picture button at client x `x` of the strip."""
        border = (bar.rect[2] - bar.rect[0] - BAR_WIDTH) // 2
        left, top = bar.rect[0] + border + x, bar.rect[1] + border + BUTTON_Y
        found = [w for w in self.session.children(bar, cls="Button", visible=True)
                 if w.rect == (left, top, left + BUTTON_SIZE, top + BUTTON_SIZE)]
        self.assertEqual(len(found), 1, f"picture buttons at x {x}: {found}")
        return found[0]

    def wait_bar_height(self, orvanta, height):
        def sized():
            bar = self.control_bar(orvanta)
            border = (bar.rect[2] - bar.rect[0] - BAR_WIDTH) // 2
            return bar if bar.rect[3] - bar.rect[1] - 2 * border == height else None
        return winebox.wait_until(f"the control bar {height} pixels high", sized, timeout=20)

    def shot_recording(self, bar):
        """The recording bar's picture, taken while its blinking word shows."""
        def word_shown():
            return [w for w in self.session.children(bar, cls="Static", visible=True)
                    if w.caption == "Запись"]
        winebox.wait_until("the blinking word Запись", word_shown, timeout=10, interval=0.05)
        self.shot("control_bar_recording")

    # -- a wizard -------------------------------------------------------------

    def wizard_page(self, caption):
        return self.session.wait_window(cls="#32770", caption=caption, timeout=60)

    def folder_field(self, page):
        [field] = self.session.descendants(page, cls="Edit", visible=True)
        return field

    def click_through_to_the_end(self, page):
        """Install, then Finish once the finish page shows; waits until the
        wizard has closed."""
        self.session.click(self.button(page, setups.INSTALL))

        def finish():
            for wizard in self.session.find_windows(cls="#32770", caption=page.caption):
                for b in self.session.children(wizard, cls="Button", visible=True):
                    if b.caption == setups.FINISH:
                        return b
            return None
        self.session.click(winebox.wait_until("the finish page", finish, timeout=90))
        winebox.wait_until("the wizard to close", lambda: not self.session.find_windows(
            cls="#32770", caption=page.caption), timeout=30)

    # -- the tests ------------------------------------------------------------

    def test_recorded_package_is_listed_and_installs_again(self):
        setup = self.add_setup(PRODUCT)
        target = self.target_folder(PRODUCT)
        self.session.reg_set(rf"{SETTINGS}\Install", "Speed", "0")
        orvanta, main = self.open_library()

        # The package dialog: the program through the real open-file dialog.
        self.session.press_key("ctrl+n")
        dialog = self.session.wait_window(pid=orvanta.pid, caption="Новый пакет")
        self.session.click(self.button(dialog, "..."))
        chooser = self.session.wait_window(pid=orvanta.pid, cls="#32770", caption="Открыть")
        self.session.type_text(setup)
        winebox.wait_until("the path in the file name field", lambda: setup in (
            w.caption for w in self.session.descendants(chooser, cls="Edit")), timeout=20)
        self.session.press_key("Return")
        name, program, description, _ = self.session.descendants(dialog, cls="Edit")
        winebox.wait_until("the name from the chosen program",
                           lambda: self.session.window_text(name) == PRODUCT, timeout=20)
        self.assertEqual(self.session.window_text(program), setup)
        self.session.click(description)
        self.session.paste_text(DESCRIPTION)
        self.shot("package_dialog")
        self.session.click(self.button(dialog, "Ок"))

        # The first-recording tip, then the bar records and the setup starts.
        tip = self.session.wait_window(pid=orvanta.pid, cls="OrvantaForm", caption="Orvanta")
        self.session.click(self.button(tip, "Ок"))
        bar = self.control_bar(orvanta)
        welcome = self.wizard_page(f"Установка {PRODUCT}")
        self.assertEqual(self.session.find_windows(pid=orvanta.pid, caption=main_window_caption()),
                         [], "the library window shows while recording")
        self.shot_recording(bar)
        self.session.click(self.button(welcome, setups.NEXT))

        # A pause after the click into the folder field: the text panel shows
        # the field's text, which is changed there and put into the field.
        folder_page = self.wizard_page(f"Установка {PRODUCT} ")
        field = self.folder_field(folder_page)
        self.session.click(field)
        self.session.click(self.bar_button(bar, PAUSE_X))
        bar = self.wait_bar_height(orvanta, PANEL_HEIGHT)
        [text1] = self.session.children(bar, cls="Edit", visible=True)
        self.assertEqual(self.session.window_text(text1), self.session.window_text(field))
        self.session.click(text1)
        self.session.press_key("End")
        self.session.press_key("shift+Home")
        self.session.paste_text(target)
        self.shot("control_bar_paused")
        self.session.click(self.bar_button(bar, PAUSE_X))  # continue
        winebox.wait_until("the new folder in the wizard",
                           lambda: self.session.window_text(field) == target, timeout=20)
        self.click_through_to_the_end(folder_page)
        self.assert_installed(PRODUCT)  # the recorded installation really ran
        self.session.click(self.bar_button(self.wait_bar_height(orvanta, STRIP_HEIGHT), STOP_X))

        # Back in the library: the new package, its hint, and its script.
        main = self.wait_main_window(orvanta)
        package_list = self.package_list(main)
        try:
            winebox.wait_until("the new package in the list",
                               lambda: self.session.list_items(package_list) == [PRODUCT],
                               timeout=20)
        except TimeoutError:
            self.fail(f"the list after the recording: {self.session.list_items(package_list)}, "
                      f"scripts in the folder: {sorted(p.name for p in self.scripts.iterdir())}")
        self.assertEqual(self.hint_of(orvanta, package_list, 0), f"{PRODUCT} - {DESCRIPTION}")
        self.shot("main_window_hint")
        text = setups.dump_script(self.scripts / f"{PRODUCT}.OVS")
        blocks = setups.parse_blocks(text)
        self.assertEqual([b["text"] for b in blocks if b["text"]], [target], text)
        self.assertIn(f"program {setups.quote(setup)}", text.splitlines())

        # "Установить всё" installs it again once the installed copy is gone.
        shutil.rmtree(self.programs / PRODUCT)
        self.session.wine("reg", "delete", rf"{setups.UNINSTALL_KEY}\{PRODUCT}", "/f")
        self.choose(main, SERVICE_MENU, 1)
        statistics = self.session.wait_window(pid=orvanta.pid, caption="Статистика", timeout=120)
        [lines] = [self.session.list_items(w) for w in
                   self.session.descendants(statistics, cls="ListBox")]
        self.shot("statistics")
        self.assertEqual(len(lines), 3, lines)
        self.assertTrue(lines[0].startswith(f"1   ОК  {PRODUCT}  "), lines)
        self.assertTrue(lines[2].startswith("Общее время установки - "), lines)
        self.assert_installed(PRODUCT)
        self.session.click(self.button(statistics, "Закрыть"))
        main = self.wait_main_window(orvanta)
        self.assertEqual(self.session.list_items(self.package_list(main)), [PRODUCT])

    def test_rename_delete_and_move_keep_files_and_order(self):
        tool = self.setups / "tool.exe"
        tool.write_bytes(b"MZ")
        names = ["Архиватор", "Браузер", "Редактор"]
        for name in names:
            setups.write_script(self.scripts / f"{name}.OVS",
                                setups.script_text([], self.win(tool), f"Пакет {name}"))
        orvanta, main = self.open_library()
        package_list = self.package_list(main)
        self.assertEqual(self.session.list_items(package_list), names)
        self.shot("main_window")

        # Rename through the context menu's "Свойства...", its last item.
        self.session.click_at(*self.line_point(package_list, 1), button=3)
        self.session.wait_window(pid=orvanta.pid, cls="#32768", timeout=10)
        self.session.press_key("End")
        self.session.press_key("Return")
        dialog = self.session.wait_window(pid=orvanta.pid, caption="Свойства")
        name = self.session.descendants(dialog, cls="Edit")[0]
        self.assertEqual(self.session.window_text(name), "Браузер")
        self.session.click(name)
        self.session.press_key("End")
        self.session.type_text(" 2")
        self.session.click(self.button(dialog, "Ок"))
        winebox.wait_until("the renamed package in the list",
                           lambda: "Браузер 2" in self.session.list_items(package_list), timeout=20)
        self.assertEqual(sorted(p.name for p in self.scripts.glob("*.OVS")),
                         ["Архиватор.OVS", "Браузер 2.OVS", "Редактор.OVS"])
        self.assertIn('description "Пакет Браузер"',
                      setups.dump_script(self.scripts / "Браузер 2.OVS").splitlines())

        # Delete a checked package with the Del key, after the question.
        lines = self.session.list_items(package_list)
        self.session.click_at(*self.line_point(package_list, lines.index("Архиватор"),
                                               x=CHECK_BOX_WIDTH // 2))
        self.session.press_key("Delete")
        box = self.wait_message_box(orvanta)
        self.assertEqual(box.caption, "Удалить выбранное?")
        self.assertEqual(self.session.message_text(box), "Вы действительно хотите удалить 1 "
                         "пакетов?\r\nВосстановить эти файлы будет невозможно.")
        self.session.click(self.button(box, "&Да"))
        winebox.wait_until("the deleted package gone from the list",
                           lambda: "Архиватор" not in self.session.list_items(package_list),
                           timeout=20)
        self.assertFalse((self.scripts / "Архиватор.OVS").exists())
        self.assertEqual(self.status_line(main), "Удачно удалено - 1 из 1")

        # Move the first line down, leave through Файл > Выход: the order stays.
        before = self.session.list_items(package_list)
        self.assertEqual(sorted(before), ["Браузер 2", "Редактор"])
        self.session.click_at(*self.line_point(package_list, 0))
        [_, down] = sorted((w for w in self.session.descendants(main, cls="Button", visible=True)
                            if w.caption == ""), key=lambda w: w.rect[1])
        self.session.click(down)
        winebox.wait_until("the line moved down", lambda: self.session.list_items(package_list)
                           == [before[1], before[0]], timeout=10)
        self.choose(main, FILE_MENU, -1)
        self.assertEqual(orvanta.wait(timeout=30), 0)
        self.assertEqual((self.scripts / "Position.lst").read_bytes(),
                         f"{before[1]}\r\n{before[0]}\r\n".encode("cp1251"))
