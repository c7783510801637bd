"""The disc-image wizard driven as a user drives it: a library of two packages
whose setups are NSIS wizards is made into a disc image, setup programs
included, through the wizard's real window and the shell's folder dialog.
The image then goes to another machine as its CD-ROM drive D:, where
D:\\Orvanta\\Orvanta.exe shows the disc's packages and "Установить всё"
installs both. Pictures of the wizard's steps are saved as
build/e2e/artifacts/disc.step<N>.png, the statistics window of the other
machine as build/e2e/other-machine/artifacts/disc.statistics.png."""
import shutil

import setups
from setups import winebox
from wine_case import main_window_caption

PACKAGES = (("Первый", "Disc One"), ("Второй", "Disc Two"))
SETTINGS = r"HKCU\Software\Orvanta"
WIZARD = "Мастер создания диска (Шаг {} из 5)"
FILE_MENU, SERVICE_MENU = 0, 2
WIZARD_ITEM, RUN_ALL_ITEM = 2, 1  # items of those menus, separators not counted
COPY_SETUPS = "Скопировать программы установки на диск"
# The image and the library are chosen in the folder dialog by typing the
# start of their names, which only Latin letters do reliably.
IMAGE, LIBRARY = "DiscImage", "LibraryOVS"


class DiscTest(setups.SetupCase):
    PRODUCTS = tuple(product for _, product in PACKAGES)

    # -- helpers --------------------------------------------------------------

    def shot(self, what):
        self.session.screenshot(self.session.work_dir / "artifacts" / f"disc.{what}.png")

    def button(self, window, caption):
        found = [w for w in self.session.descendants(window, cls="Button", visible=True)
                 if w.caption == caption]
        self.assertEqual(len(found), 1, f"buttons {caption!r} in {window.caption!r}: {found}")
        return found[0]

    def choose(self, main, menu, item):
        """Runs item number `item` (-1: the last) of menu number `menu` of the
        menu bar with a click on "Файл" and the arrow keys."""
        [frame] = [w for w in self.session.descendants(main, cls="Button")
                   if w.caption == "Каталог расположения OVS-файлов"]
        self.session.click_at(frame.rect[0] - 8 + 12, frame.rect[1] - 4 - 9)  # "Файл"
        self.session.wait_window(cls="#32768", timeout=10)
        for _ in range(menu):
            self.session.press_key("Right")
        self.session.press_key("End" if item < 0 else "Home")
        for _ in range(max(item, 0)):
            self.session.press_key("Down")
        self.session.press_key("Return")

    def pick_folder(self, orvanta, name):
        """Chooses C:\\<name> in the shell's folder dialog: Мой компьютер, its
        first drive, then the folder found by typing its name."""
        box = self.session.wait_window(pid=orvanta.pid, cls="#32770", caption="Обзор")
        [tree] = self.session.descendants(box, cls="SysTreeView32")
        self.session.click_at(tree.rect[0] + 40, tree.rect[1] + 10)
        for key in ("End", "Right", "Down", "Right"):
            self.session.press_key(key)
        self.session.type_text(name)
        self.session.click(self.button(box, "ОК"))

    def wait_step(self, orvanta, step):
        return self.session.wait_window(pid=orvanta.pid, caption=WIZARD.format(step), timeout=60)

    def wait_text(self, window, cls, text, timeout=20):
        """Waits until a visible control of `window` shows `text`."""
        return winebox.wait_until(
            f"{text!r} in {window.caption!r}",
            lambda: next((w for w in self.session.descendants(window, cls=cls, visible=True)
                          if w.caption == text), None), timeout=timeout)

    # -- the test -------------------------------------------------------------

    def make_library(self):
        library = self.session.drive_c / LIBRARY
        shutil.rmtree(library, ignore_errors=True)
        for name, product in PACKAGES:
            setup = self.add_setup(product)
            blocks = setups.wizard_blocks(product, self.target_folder(product))
            setups.write_script(library / f"{name}.OVS",
                                setups.script_text(blocks, setup, f"Установка {product}"))
        return library

    def run_wizard(self, orvanta, main, library, image):
        """Makes the image through the wizard's window; the report it shows."""
        self.choose(main, FILE_MENU, WIZARD_ITEM)
        wizard = self.wait_step(orvanta, 1)
        self.shot("step1")
        self.session.click(self.button(wizard, "Обзор"))
        self.pick_folder(orvanta, IMAGE)
        self.wait_text(wizard, "Static", self.win(image))
        self.session.click(self.button(wizard, "Далее >"))

        wizard = self.wait_step(orvanta, 2)
        self.session.click(self.button(wizard, "..."))
        self.pick_folder(orvanta, LIBRARY)
        self.wait_text(wizard, "Static", "2 - файлов")
        self.session.click(self.button(wizard, COPY_SETUPS))
        self.shot("step2")
        self.session.click(self.button(wizard, "Далее >"))

        wizard = self.wait_step(orvanta, 3)
        [plan] = self.session.descendants(wizard, cls="ListBox", visible=True)
        lines = self.session.list_items(plan)
        self.assertEqual(len(lines), 2, lines)
        for line, (name, product) in zip(lines, sorted(PACKAGES)):  # the list's order
            self.assertTrue(line.startswith(f"{name} — {product}.exe, "), lines)
        self.shot("step3")
        self.session.click(self.button(wizard, "Далее >"))

        wizard = self.wait_step(orvanta, 4)
        [log] = self.session.descendants(wizard, cls="Edit", visible=True)
        report = self.session.window_text(log)
        self.shot("step4")
        self.session.click(self.button(wizard, "Далее"))
        wizard = self.wait_step(orvanta, 5)
        self.wait_text(wizard, "Static",
                       "Остался 1 шаг, который необходимо будет Вам выполнить вручную")
        self.shot("step5")
        self.session.click(self.button(wizard, "Финиш"))
        return report

    def test_image_installs_both_packages_from_the_disc(self):
        library = self.make_library()
        image = self.session.drive_c / IMAGE
        shutil.rmtree(image, ignore_errors=True)
        image.mkdir()
        self.session.reg_set(rf"{SETTINGS}\Path", "FolderOVS", self.win(library))
        self.session.reg_set(rf"{SETTINGS}\Install", "Speed", "0")
        exe = self.session.install_orvanta()
        shutil.copyfile(self.session.built("help.chm"), exe.parent / "help.chm")
        orvanta = self.session.start_orvanta(exe=self.win(exe))
        main = self.wait_main_window(orvanta)

        report = self.run_wizard(orvanta, main, library, image)
        self.assertTrue(report.endswith("Процесс копирования завершён успешно"), report)
        self.assertNotIn("Ошибка", report)
        main = self.wait_main_window(orvanta)
        self.wait_text(main, "Static", self.win(image / "Folder OVS"))
        self.assertEqual(self.settings_value("Path", "FolderOVS"), self.win(image / "Folder OVS"))
        for name, product in PACKAGES:
            self.assertTrue((image / "soft" / name / f"{product}.exe").is_file())
            on_disc = "%cdrom%\\soft\\" + name + "\\" + product + ".exe"
            text = setups.dump_script(image / "Folder OVS" / f"{name}.OVS")
            self.assertIn(f"program {setups.quote(on_disc)}", text.splitlines())
        self.assertEqual((image / "autorun.inf").read_bytes(), b"[Autorun]\r\n"
                         b"open=orvanta\\Orvanta.exe\r\nicon=orvanta\\Orvanta.exe,0\r\n")
        self.choose(main, FILE_MENU, -1)  # Выход
        self.assertEqual(orvanta.wait(timeout=30), 0)
        self.session.kill_all()
        self.install_from_disc(image, "cdrom")
        self.install_from_disc(image, "floppy")  # the same image on a USB stick

    def install_from_disc(self, image, kind):
        """Another machine, a prefix made now, with `image` as its drive D: of
        Wine's type `kind` and nothing else of the library: the program on the
        disc shows the disc's packages at the speed chosen in the wizard and
        installs both from the setup programs on the disc."""
        work = self.session.work_dir / f"other-machine-{kind}"
        with winebox.Session(f"{self.session.name}.{kind}", work_dir=work,
                             fresh_prefix=True) as other:
            other.map_cdrom("d", image, kind)
            orvanta = other.start_orvanta(exe=r"D:\Orvanta\Orvanta.exe")
            main = other.wait_window(pid=orvanta.pid, caption=main_window_caption(), timeout=60)
            [package_list] = other.descendants(main, cls="ListBox")
            self.assertEqual(other.list_items(package_list), [name for name, _ in sorted(PACKAGES)])
            self.assertEqual(other.reg_get(rf"{SETTINGS}\Install", "Speed"), "0")
            self.assertEqual(other.reg_get(rf"{SETTINGS}\Path", "FolderOVS"), r"D:\Folder OVS")

            self.session, mine = other, self.session  # the helpers act on the other machine
            try:
                self.choose(main, SERVICE_MENU, RUN_ALL_ITEM)
                statistics = other.wait_window(pid=orvanta.pid, caption="Статистика", timeout=150)
                [lines] = [other.list_items(w)
                           for w in other.descendants(statistics, cls="ListBox")]
                self.shot("statistics")
                self.session.click(self.button(statistics, "Закрыть"))
            finally:
                self.session = mine
            results = [line.split()[:3] for line in lines[:2]]
            self.assertEqual(results, [["1", "ОК", "Второй"], ["2", "ОК", "Первый"]], lines)
            for _, product in PACKAGES:
                folder = other.drive_c / "Программы" / product
                self.assertTrue((folder / "readme.txt").is_file(), f"{product} is not installed")
