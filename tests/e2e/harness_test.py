"""The Wine environment every other end-to-end test relies on: a Russian code
page, CD-ROM drives that Windows sees as such, and a probe that reads other
programs' windows and texts intact."""
import shutil

from wine_case import WineTestCase

DRIVE_NO_ROOT_DIR, DRIVE_FIXED, DRIVE_CDROM = "1", "3", "5"


class WineEnvironmentTest(WineTestCase):
    def test_russian_code_page(self):
        acp, _ = self.session.probe("acp")
        self.assertEqual(acp, "1251")

    def test_cdrom_mapping(self):
        disc = self.session.work_dir / "disc-type"
        shutil.rmtree(disc, ignore_errors=True)
        disc.mkdir(parents=True)
        self.session.map_cdrom("d", disc)
        self.assertEqual(self.session.probe("drivetype", "D:\\")[0], DRIVE_CDROM)
        self.assertEqual(self.session.probe("drivetype", "C:\\")[0], DRIVE_FIXED)

        self.session.unmap_drive("d")
        self.session.kill_all()
        self.assertEqual(self.session.probe("drivetype", "D:\\")[0], DRIVE_NO_ROOT_DIR)

    def test_probe_reads_another_programs_windows(self):
        notepad = self.session.start("notepad.exe", "C:\\windows\\")
        window = self.session.wait_window(pid=notepad.pid, cls="Notepad")
        self.assertTrue(window.caption.endswith("Блокнот"), window.caption)
        [edit] = self.session.children(window, cls="Edit")

        self.session.click(edit)
        self.session.press_key("Tab")
        self.session.press_key("x")
        self.assertEqual(self.session.window_text(edit), "\tx")
