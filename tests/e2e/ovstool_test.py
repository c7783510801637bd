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

    def test_check_names_what_would_keep_a_library_from_playing(self):
        # A setup under Program Files, stored with the macro; the other
        # script's program is nowhere; Position.lst is ANSI text.
        setups = self.session.drive_c / "Program Files" / "Проверка"
        setups.mkdir(parents=True, exist_ok=True)
        (setups / "установка.exe").write_bytes(b"")
        library = self.folder / "Библиотека"
        library.mkdir(exist_ok=True)
        for name, program in (("Пакет", r"%PROGRAMFILES%\\Проверка\\установка.exe"),
                              ("Без программы", r"C:\\Нет\\setup.exe")):
            text = self.folder / f"{name}.txt"
            text.write_text(f'screen 800 600\nprogram "{program}"\n', encoding="utf-8")
            built = self.ovstool("build", self.win(text.name), self.win(f"Библиотека\\{name}.OVS"))
            self.assertEqual(built.returncode, 0, built.stderr)
        (library / "Position.lst").write_bytes("Пакет\r\nЛишний\r\n".encode("cp1251"))

        result = self.ovstool("check", self.win("Библиотека"))
        out = result.stdout.decode("utf-8")
        self.assertEqual(result.returncode, 1, out)
        self.assertEqual(out.splitlines(), [
            'Без программы.OVS: the setup program does not exist: "C:\\Нет\\setup.exe"',
            'Position.lst, line 2: "Лишний" has no script',
            "Без программы.OVS: not in Position.lst; it plays after the listed packages",
        ])
