"""Saving a script on a real disk under Wine, through save_probe.exe, which
saves a one-click recording with the program's own save code: over an
existing script, over a read-only one (the question; the old file stays), and
elsewhere through the real save dialog."""
import shutil
import struct

from wine_case import WineTestCase

SCRAMBLE_KEY = 0x9E ^ 0xD3
WRITE_FAILED = ("Файл не сохранён.\r\nНевозможно внести изменения в файл \r\n"
                "'C:\\Lib\\Demo.OVS'.\r\nЖелаете сохранить файл в другом месте?")
GIVE_UP = "Вы уверены, что отказываетесь сохранить файл?"


def read_script(path):
    """Description and program path of a saved script."""
    plain = bytes(b ^ SCRAMBLE_KEY for b in path.read_bytes())
    length, offset = struct.unpack_from("<ii", plain, 24)
    description = plain[39:239].split(b"\0")[0].decode("cp1251")
    return description, plain[offset:offset + length].decode("cp1251")


class SaveTest(WineTestCase):
    def setUp(self):
        super().setUp()
        c = self.session.drive_c
        for folder in ("Lib", "Other"):
            if (c / folder).exists():
                for path in (c / folder).iterdir():
                    path.chmod(0o644)
            shutil.rmtree(c / folder, ignore_errors=True)
            (c / folder).mkdir(parents=True)
        self.library = c / "Lib"
        self.target = self.library / "Demo.OVS"
        tool = c / "SaveProbe"
        tool.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(self.session.built("save_probe.exe"), tool / "save_probe.exe")
        self.log = tool / "save_probe.log"
        self.log.unlink(missing_ok=True)

    def save(self):
        """Starts the save of C:\\Lib\\Demo.OVS, described as "Демо"."""
        return self.session.start('"C:\\SaveProbe\\save_probe.exe" C:\\Lib Demo "Демо"',
                                  "C:\\SaveProbe\\")

    def finished(self, program, result):
        program.wait(timeout=30)
        self.assertEqual(self.log.read_text().splitlines(), [result])

    def question(self, program, caption, text):
        box = self.session.wait_window(pid=program.pid, cls="#32770", caption=caption)
        self.assertEqual(self.session.message_text(box), text)
        return box

    def press(self, box, caption):
        buttons = [w for w in self.session.children(box, cls="Button") if w.caption == caption]
        self.assertEqual(len(buttons), 1, f"{caption!r} among {self.session.children(box)}")
        self.session.click(buttons[0])

    def read_only_target(self):
        self.target.write_bytes(b"old script")
        self.target.chmod(0o444)  # what Wine makes of the read-only attribute

    def test_save_over_an_existing_script_replaces_it_whole(self):
        self.target.write_bytes(b"an old, longer script " * 40)
        self.finished(self.save(), "saved")
        # The setup's folder was read from this machine's registry.
        self.assertEqual(read_script(self.target), ("Демо", "%PROGRAMFILES%\\Demo\\setup.exe"))
        self.assertEqual(sorted(p.name for p in self.library.iterdir()), ["Demo.OVS"])

    def test_read_only_script_asks_and_stays_intact(self):
        self.read_only_target()
        program = self.save()
        self.press(self.question(program, "Ошибка при сохранении", WRITE_FAILED), "&Нет")
        self.finished(program, "not saved")
        self.assertEqual(self.target.read_bytes(), b"old script")
        self.assertEqual(self.target.stat().st_mode & 0o222, 0, "still read-only")
        self.assertEqual(sorted(p.name for p in self.library.iterdir()), ["Demo.OVS"])

    def test_save_elsewhere_through_the_dialog(self):
        self.read_only_target()
        program = self.save()
        self.press(self.question(program, "Ошибка при сохранении", WRITE_FAILED), "&Да")
        dialog = self.session.wait_window(pid=program.pid, cls="#32770", caption="Сохранить")
        # A path longer than the dialog's 255-character buffer: the dialog
        # fails, and the program asks whether to give up.
        self.type_file_name(dialog, "C:\\Other\\" + "x" * 250)
        self.press(self.question(program, "Не сохранять?", GIVE_UP), "&Нет")
        # "No" tries the old place again, which fails again.
        self.press(self.question(program, "Ошибка при сохранении", WRITE_FAILED), "&Да")
        dialog = self.session.wait_window(pid=program.pid, cls="#32770", caption="Сохранить")
        self.type_file_name(dialog, "C:\\Other\\Copy")
        self.finished(program, "saved")
        self.assertEqual(read_script(self.session.drive_c / "Other" / "Copy.OVS")[0], "Демо")
        self.assertEqual(self.target.read_bytes(), b"old script")

    def type_file_name(self, dialog, name):
        """Types `name` into the dialog's file name field and presses Enter."""
        windows = self.session.windows()
        parents = {w.hwnd: w.parent for w in windows}

        def inside(window):
            hwnd = window.parent
            while hwnd and hwnd != dialog.hwnd:
                hwnd = parents.get(hwnd, 0)
            return hwnd == dialog.hwnd

        edits = [w for w in windows if w.cls == "Edit" and w.visible and inside(w)]
        self.assertEqual(len(edits), 1, f"file name fields of {dialog.caption!r}: {edits}")
        self.session.click(edits[0])
        self.session.type_text(name)
        self.session.press_key("Return")

