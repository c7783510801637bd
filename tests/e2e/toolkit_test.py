"""The form toolkit's Win32 backend, through toolkit_demo.exe: every kind of
control shows its state, and real clicks reach the form's handlers."""
import re
import shutil

import winebox
from wine_case import WineTestCase

CAPTION = "Проверка элементов"


class ToolkitTest(WineTestCase):
    WINE_DEBUG = None  # a WINEDEBUG value for the demo, in a test that reads traces

    def setUp(self):
        super().setUp()
        folder = self.session.drive_c / "Demo"
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(self.session.built("toolkit_demo.exe"), folder / "toolkit_demo.exe")
        self.log = folder / "toolkit_demo.log"
        self.log.unlink(missing_ok=True)
        self.session.program_log.unlink(missing_ok=True)
        self.program = self.session.start('"C:\\Demo\\toolkit_demo.exe"', "C:\\Demo\\",
                                          wine_debug=self.WINE_DEBUG)
        self.form = self.session.wait_window(pid=self.program.pid, caption=CAPTION)

    def control(self, cls, caption):
        found = [w for w in self.session.children(self.form, cls=cls) if w.caption == caption]
        self.assertEqual(len(found), 1, f"{cls} {caption!r} among {self.session.children(self.form)}")
        return found[0]

    def logged(self):
        return self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []

    def wait_logged(self, line):
        winebox.wait_until(f"{line!r} in the log", lambda: line in self.logged(), timeout=20)

    def test_every_control_shows_its_state(self):
        self.control("Button", "Рамка")
        self.control("Static", "Готово")
        self.control("Button", "Пуск")
        self.control("Button", "Параметр")
        self.control("Edit", "Имя")
        self.control("Button", "Картинка")
        self.assertEqual(len(self.session.children(self.form, cls="ListBox")), 2)
        self.assertEqual(len(self.session.children(self.form, cls="ComboBox")), 1)
        # The timer ticks three times, then switches itself off.
        self.wait_logged("ticks 3")
        self.control("Static", "Тиков: 3")

    def test_clicks_reach_the_handlers(self):
        self.session.click(self.control("Button", "Пуск"))
        self.wait_logged("click cmdGo")
        status = self.control("Static", "Нажата кнопка")
        self.assertEqual(self.session.window_text(status), "Нажата кнопка")

        self.session.click(self.control("Button", "Параметр"))
        self.wait_logged("check chkOption 1")

        # The check box of the first line of the check list sits at its left edge.
        check_list = min(self.session.children(self.form, cls="ListBox"), key=lambda w: w.rect[1])
        left, top, _, _ = check_list.rect
        self.session.click_at(left + 9, top + 11)
        self.wait_logged("item lstPackages 0 1")

    def test_closing_the_window_ends_the_program(self):
        self.session.press_key("alt+F4")
        self.wait_logged("unload")
        self.program.wait(timeout=20)
        self.assertFalse(self.program.running())

    def test_menu_shortcut_runs_its_item(self):
        self.wait_logged("ticks 3")
        self.session.click(self.control("Button", "Пуск"))  # the form has the focus
        self.session.press_key("F5")
        box = self.wait_message_box(self.program)
        self.assertEqual(self.session.message_text(box), "Привет из меню")
        self.assertIn("menu mnuHello", self.logged())


class ToolkitMenuTest(ToolkitTest):
    """Wine's menu traces show every menu handle the demo destroys."""

    WINE_DEBUG = "-all,trace+menu"

    def test_closing_destroys_each_menu_once(self):
        self.session.press_key("alt+F4")
        self.program.wait(timeout=20)
        destroyed = re.findall(r"NtUserDestroyMenu \((0x[0-9a-f]+)\)",
                               self.session.program_log.read_text(errors="replace"))
        self.assertTrue(destroyed, "no menu was destroyed: is tracing on?")
        twice = sorted({handle for handle in destroyed if destroyed.count(handle) > 1})
        self.assertEqual(twice, [], "menus destroyed twice")
