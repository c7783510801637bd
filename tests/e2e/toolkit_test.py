"""The form toolkit's Win32 backend, through toolkit_demo.exe: every kind of
control shows its state, real clicks reach the form's handlers, a shaped
window shows only its region and moves when its label is dragged, the
global mouse hook sees each press with the window under it, and closing a
form destroys each of its menus once."""
import re
import shutil
import tempfile
from pathlib import Path

import winebox
from wine_case import WineTestCase

CAPTION = "Проверка элементов"
SHAPE = "Фигурное окно"
STOP_RED = (192, 0, 0)  # the square of bitmap 113
WM_QUERYENDSESSION = 0x11


def read_ppm(path):
    """(width, height, rows of (r, g, b)) of a binary PPM file."""
    data = path.read_bytes()
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maximum; then one whitespace byte
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] in (b"255", b"65535"), fields
    width, height = int(fields[1]), int(fields[2])
    step = 1 if fields[3] == b"255" else 2  # 16-bit samples: the high byte first
    samples = data[pos + 1::step]
    return width, height, [[tuple(samples[(y * width + x) * 3:(y * width + x) * 3 + 3])
                            for x in range(width)] for y in range(height)]


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
        return self.control_in(self.form, cls, caption)

    def control_in(self, window, cls, caption):
        found = [w for w in self.session.children(window, cls=cls) if w.caption == caption]
        self.assertEqual(len(found), 1, f"{cls} {caption!r} among {self.session.children(window)}")
        return found[0]

    def logged(self):
        return self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []

    def wait_logged(self, line):
        winebox.wait_until(f"{line!r} in the log", lambda: line in self.logged(), timeout=20)

    def shape(self):
        return self.session.wait_window(pid=self.program.pid, caption=SHAPE)

    def screen(self):
        """The X screen as rows of pixels, indexed by Wine screen coordinates."""
        with tempfile.TemporaryDirectory() as folder:
            path = Path(folder) / "screen.ppm"
            self.session.screenshot(path)
            _, _, rows = read_ppm(path)
        dx, dy = self.session.desktop_offset()
        return lambda x, y: rows[y + dy][x + dx]

    def drag(self, start, end):
        """A real press at `start`, moves, and the release at `end` (Wine coordinates)."""
        dx, dy = self.session.desktop_offset()
        (x0, y0), (x1, y1) = start, end
        middle = ((x0 + x1) // 2, (y0 + y1) // 2)
        self.session._xdotool(
            "mousemove", "--sync", str(x0 + dx), str(y0 + dy), "mousedown", "1", "sleep", "0.3",
            "mousemove", "--sync", str(middle[0] + dx), str(middle[1] + dy), "sleep", "0.3",
            "mousemove", "--sync", str(x1 + dx), str(y1 + dy), "sleep", "0.3", "mouseup", "1")

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
        self.shape()
        self.session.press_key("alt+F4")
        self.wait_logged("unload")
        self.assertEqual(self.program.wait(timeout=20), 3)  # the code the form set
        self.assertIn("query close 1", self.logged())  # the shaped window, closed by the program

    def test_pictures_and_the_shaped_window_show(self):
        picture = self.control("Button", "Картинка")
        shape = self.shape()
        left, top, right, _ = shape.rect

        def stop_picture_shown():
            pixel = self.screen()
            return pixel if pixel(*picture.center) == STOP_RED else None

        pixel = winebox.wait_until("the stop picture on the screen", stop_picture_shown, timeout=20)
        # The strip and the panel are the window; the band between them shows
        # what lies behind, like the desktop to the window's right.
        strip, band, panel = (pixel(left + 150, top + y) for y in (20, 46, 70))
        self.assertEqual(strip, panel)
        self.assertNotEqual(band, strip)
        self.assertEqual(band, pixel(right + 5, top + 46))
        # The program's own picture of the screen has the same red at the button.
        self.session.click(self.control("Button", "Пуск"))  # the form has the focus
        self.session.press_key("F6")
        self.wait_logged("capture 1024 768 " + " ".join(map(str, STOP_RED)))

    def test_a_label_drags_its_window_and_the_hook_sees_each_press(self):
        self.wait_logged("hook installed")
        shape = self.shape()
        label = self.control_in(shape, "Static", "Тянуть")
        start = label.center
        end = (start[0] + 100, start[1] + 50)
        self.drag(start, end)
        moved = winebox.wait_until("the shaped window moved", lambda: next(
            (w for w in self.session.find_windows(caption=SHAPE) if w.rect != shape.rect), None),
            timeout=20)
        self.assertEqual(moved.rect, tuple(v + d for v, d in zip(shape.rect, (100, 50, 100, 50))))
        log = self.logged()
        self.assertIn("down lblDrag 1 %d %d" % (start[0] - label.rect[0], start[1] - label.rect[1]),
                      log)
        # The hook saw the press before it reached the label, and the release
        # over the label that had moved along. The hook's own thread hands the
        # release over while the window's move loop runs, so it may come in a
        # moment after the window has moved.
        self.assertIn("hook press 1 %d %d Тянуть" % start, log)
        self.wait_logged("hook release 1 %d %d Тянуть" % end)

        # A press on the form's background, between two controls, in client pixels.
        go = self.control("Button", "Пуск")
        self.session.click_at(go.rect[0] + 40, go.rect[3] + 5)
        self.wait_logged("down form 1 50 111")

    def test_log_off_is_refused_where_the_form_says_so(self):
        shape = self.shape()
        answer, _ = self.session.probe("send", hex(shape.hwnd), str(WM_QUERYENDSESSION))
        self.assertEqual(answer, "0")
        self.assertIn("query close 2", self.logged())
        answer, _ = self.session.probe("send", hex(self.form.hwnd), str(WM_QUERYENDSESSION))
        self.assertEqual(answer, "1")
        self.assertTrue(self.program.running())

    def test_menu_shortcut_runs_its_item(self):
        self.wait_logged("ticks 3")
        self.session.click(self.control("Button", "Пуск"))  # the form has the focus
        self.session.probe("clip", "Текст из буфера")
        self.session.press_key("F7")
        self.wait_logged("clipboard Текст из буфера")
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
