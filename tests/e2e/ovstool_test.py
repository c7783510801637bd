"""ovstool.exe under Wine: a script built from the sample text dumps back to
the same text and rebuilds to the same bytes; a damaged script is refused."""
import shutil

import winebox
from wine_case import WineTestCase

SAMPLE = winebox.SOURCE_DIR / "tests" / "data" / "sample.ovs.txt"


class OvstoolTest(WineTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.session.drive_c / "Скрипты"
        self.folder.mkdir(parents=True, exist_ok=True)
        self.tool = self.folder / "ovstool.exe"
        shutil.copyfile(self.session.built("ovstool/ovstool.exe"), self.tool)
        shutil.copyfile(SAMPLE, self.folder / "Пример.txt")

    def ovstool(self, *args):
        return self.session.wine(self.session.windows_path(self.tool), *args)

    def win(self, name):
        return self.session.windows_path(self.folder / name)

    def test_build_dump_build_round_trips_byte_for_byte(self):
        built = self.ovstool("build", self.win("Пример.txt"), self.win("Пакет.OVS"))
        self.assertEqual(built.returncode, 0, built.stderr)
        dumped = self.ovstool("dump", self.win("Пакет.OVS"), self.win("Пакет.txt"))
        self.assertEqual(dumped.returncode, 0, dumped.stderr)
        self.assertEqual((self.folder / "Пакет.txt").read_bytes(), SAMPLE.read_bytes())
        rebuilt = self.ovstool("build", self.win("Пакет.txt"), self.win("Снова.OVS"))
        self.assertEqual(rebuilt.returncode, 0, rebuilt.stderr)
        self.assertEqual((self.folder / "Снова.OVS").read_bytes(),
                         (self.folder / "Пакет.OVS").read_bytes())

    def test_truncated_script_is_refused_with_its_offset(self):
        self.assertEqual(self.ovstool("build", self.win("Пример.txt"),
                                      self.win("Пакет.OVS")).returncode, 0)
        whole = (self.folder / "Пакет.OVS").read_bytes()
        (self.folder / "Обрезан.OVS").write_bytes(whole[:300])
        result = self.ovstool("dump", self.win("Обрезан.OVS"))
        self.assertEqual(result.returncode, 2)
        self.assertIn("offset", result.stderr.decode("utf-8", errors="replace"))
