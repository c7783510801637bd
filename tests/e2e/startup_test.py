"""Start-up of orvanta.exe under Wine: the main window, the refused second
copy, the /ADD command line, and the settings file read from a CD-ROM."""
import shutil

from wine_case import WineTestCase, main_window_caption

SCRIPT_FOLDER = "Сценарии OVS"  # Cyrillic and a space: both must survive


class StartupTest(WineTestCase):
    def make_script(self):
        """An existing script C:\\Сценарии OVS\\x.OVS; returns its Windows path."""
        folder = self.session.drive_c / SCRIPT_FOLDER
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "x.OVS").write_bytes(b"")
        return f"C:\\{SCRIPT_FOLDER}\\x.OVS"

    def make_disc(self, ini_text=None):
        """A disc image with orvanta.exe and a 'Folder OVS' folder, mapped as
        the CD-ROM drive D:; `ini_text` becomes orvanta.ini in CP1251."""
        disc = self.session.work_dir / "disc"
        shutil.rmtree(disc, ignore_errors=True)
        (disc / "Folder OVS").mkdir(parents=True)
        self.session.install_orvanta(disc)
        if ini_text is not None:
            (disc / "orvanta.ini").write_bytes(ini_text.replace("\n", "\r\n").encode("cp1251"))
        self.session.map_cdrom("d", disc)

    def test_main_window_caption(self):
        orvanta = self.session.start_orvanta()
        main = self.wait_main_window(orvanta)
        self.assertEqual(main.caption, main_window_caption())
        self.assertTrue(orvanta.running())

    def test_second_copy_is_refused(self):
        first = self.session.start_orvanta()
        first_main = self.wait_main_window(first)

        second = self.session.start_orvanta()
        box = self.wait_message_box(second)
        self.assertEqual(box.caption, "Orvanta")
        self.assertEqual(self.session.message_text(box), "Повторный запуск!")
        shown = self.session.find_windows(pid=second.pid)
        self.assertEqual([w.hwnd for w in shown], [box.hwnd], "the second copy shows only the box")

        self.answer(box)
        self.assertEqual(second.wait(timeout=30), 1618, "a deployment system's \"try again later\"")
        self.assertTrue(first.running())
        self.assertEqual(self.wait_main_window(first).hwnd, first_main.hwnd)

    def test_add_existing_script_makes_its_folder_the_library(self):
        script = self.make_script()
        orvanta = self.session.start_orvanta(f"/ADD {script}")
        self.wait_main_window(orvanta)
        self.assertEqual(self.settings_value("Path", "FolderOVS"), f"C:\\{SCRIPT_FOLDER}")

    def test_add_quoted_or_missing_path_changes_nothing(self):
        script = self.make_script()
        for arguments in (f'/ADD "{script}"', f"/ADD C:\\{SCRIPT_FOLDER}\\missing.OVS"):
            with self.subTest(arguments=arguments):
                self.session.kill_all()
                self.session.reset_state()
                orvanta = self.session.start_orvanta(arguments)
                self.wait_main_window(orvanta)
                self.assertIsNone(self.settings_value("Path", "FolderOVS"))

    def test_cdrom_settings_file_sets_speed_and_library(self):
        self.make_disc("[General]\nSpeedInstall=1\nOVSFolder=%cdrom%\\Folder OVS\n")
        # On a disc the command line is ignored, even a valid /ADD.
        orvanta = self.session.start_orvanta(f"/ADD {self.make_script()}", exe="D:\\orvanta.exe")
        self.wait_main_window(orvanta)
        self.assertEqual(self.settings_value("Install", "Speed"), "1")
        self.assertEqual(self.settings_value("Path", "FolderOVS"), "D:\\Folder OVS")

    def test_cdrom_without_settings_file_warns_and_goes_on(self):
        self.make_disc()
        orvanta = self.session.start_orvanta(exe="D:\\orvanta.exe")
        box = self.wait_message_box(orvanta)
        self.assertEqual(box.caption, "Orvanta")
        self.assertEqual(
            self.session.message_text(box),
            'Не найден файл настроек "D:\\orvanta.ini".\r\n'
            "Вам придётся вручную указать месторасположение папки содержащей OVS-файлы.")

        self.answer(box)
        self.wait_main_window(orvanta)
        self.assertIsNone(self.settings_value("Path", "FolderOVS"))
        self.assertIsNone(self.settings_value("Install", "Speed"))
