"""The release as a Windows user gets it: the zip and the setup that
installer/package.py makes from the tested build, installed silently and
through the wizard's pages, the installed program started, and the
uninstaller run as Windows runs it (its QuietUninstallString)."""
import hashlib
import shutil
import subprocess
import sys
import zipfile

import winebox
from wine_case import WineTestCase, main_window_caption, program_version

sys.path.insert(0, str(winebox.SOURCE_DIR / "installer"))
import package  # noqa: E402

PRODUCT = "Orvanta"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanta"
CLASSES = (r"HKCR\.ovs", r"HKCR\orvanta")
SETTINGS_KEY = r"HKCU\Software\Orvanta"
INSTALL_DIR = r"C:\Program Files\Orvanta"
SHORTCUTS = {"Orvanta.lnk": "orvanta.exe", "Справка Orvanta.lnk": "help.chm"}  # name: target
INSTALLED = ["help.chm", "orvanta.exe", "uninstall.exe"]
NEXT, INSTALL, FINISH = "&Далее >", "&Установить", "&Готово"
RUNNING_EXIT_CODE = 2  # the silent setup that finds the program running


def release(work_dir, win_build):
    """(zip, setup) of the tested build, made once for each distinct set of
    inputs and kept in the e2e work folder."""
    makensis = subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True,
                              timeout=60).stdout.strip()
    digest = hashlib.sha256(makensis.encode())
    inputs = [win_build / "orvanta.exe", win_build / "help.chm",
              winebox.SOURCE_DIR / "app" / "version.h", winebox.SOURCE_DIR / "res" / "orvanta.ico",
              *sorted((winebox.SOURCE_DIR / "installer").glob("*.*"))]
    for path in inputs:
        digest.update(path.name.encode() + b"\0" + path.read_bytes() + b"\0")
    out = work_dir / "release" / digest.hexdigest()[:16]
    zip_name, setup_name = package.release_names(program_version())
    if not (out / zip_name).is_file() or not (out / setup_name).is_file():
        package.make(win_build, out)
    return out / zip_name, out / setup_name


class ReleaseTest(WineTestCase):
    def setUp(self):
        super().setUp()
        s = self.session
        self.zip, built_setup = release(s.work_dir, s.win_build_dir)
        self.install_dir = s.drive_c / "Program Files" / PRODUCT
        self.menu = (s.drive_c / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" /
                     "Programs" / PRODUCT)
        for folder in (self.install_dir, self.menu):
            shutil.rmtree(folder, ignore_errors=True)
        s.wine("reg", "delete", UNINSTALL_KEY, "/f")
        downloads = s.drive_c / "Загрузки"
        shutil.rmtree(downloads, ignore_errors=True)
        downloads.mkdir()
        self.setup = downloads / built_setup.name
        shutil.copyfile(built_setup, self.setup)

    # -- helpers ------------------------------------------------------------

    def run_setup(self, arguments="", timeout=120):
        """Runs the setup with `arguments` to its end; its exit code."""
        s = self.session
        line = f'"{s.windows_path(self.setup)}"' + (f" {arguments}" if arguments else "")
        return s.start(line, s.windows_path(self.setup.parent)).wait(timeout)

    def key_exists(self, key):
        return self.session.wine("reg", "query", key).returncode == 0

    def uninstall_silently(self):
        """Runs the QuietUninstallString as Windows would, and waits for the
        uninstaller's work to end: it runs from a copy of itself in the temp
        folder, so the process started here ends before the work does."""
        s = self.session
        command = s.reg_get(UNINSTALL_KEY, "QuietUninstallString")
        self.assertEqual(command, f'"{INSTALL_DIR}\\uninstall.exe" /S')
        self.assertEqual(s.start(command, "C:\\").wait(60), 0)
        winebox.wait_until("the uninstaller to remove its own key and files",
                           lambda: not self.key_exists(UNINSTALL_KEY)
                           and not (self.install_dir / "uninstall.exe").exists(), timeout=60)

    def assert_uninstalled(self, kept=()):
        """Nothing of the program is left; the install folder is gone unless
        it holds the user's `kept` entries, and then it holds only them."""
        if kept:
            self.assertEqual(sorted(p.name for p in self.install_dir.iterdir()), sorted(kept))
        else:
            self.assertFalse(self.install_dir.exists(), "the install folder is left")
        self.assertFalse(self.menu.exists(), "the Start-menu folder is left")
        for key in (UNINSTALL_KEY, SETTINGS_KEY, r"HKCR\orvanta"):
            self.assertFalse(self.key_exists(key), f"{key} is left")

    # -- tests --------------------------------------------------------------

    def test_silent_install_runs_the_program_and_uninstall_keeps_the_library(self):
        s = self.session
        self.assertEqual(self.run_setup("/S"), 0)

        self.assertEqual(sorted(p.name for p in self.install_dir.iterdir()), INSTALLED)
        with zipfile.ZipFile(self.zip) as archive:
            self.assertEqual(sorted(archive.namelist()), ["help.chm", "orvanta.exe", "ПРОЧТИ.txt"])
            for name in ("orvanta.exe", "help.chm"):
                self.assertEqual(archive.read(name), (self.install_dir / name).read_bytes(),
                                 f"the setup and the zip carry different {name}")
            readme = archive.read("ПРОЧТИ.txt").decode("utf-8-sig")
        self.assertIn(f"Orvanta {program_version()}", readme)
        self.assertNotIn("@", readme, "a placeholder is left in ПРОЧТИ.txt")
        self.assertLess((self.install_dir / "orvanta.exe").stat().st_size,
                        s.built("orvanta.exe").stat().st_size, "orvanta.exe is not stripped")
        self.assertEqual(sorted(p.name for p in self.menu.iterdir()), sorted(SHORTCUTS))
        for name, target in SHORTCUTS.items():
            # A shell link keeps its target's local path in the ANSI code page.
            self.assertIn(f"{INSTALL_DIR}\\{target}".encode("cp1251"),
                          (self.menu / name).read_bytes(), f"{name} leads elsewhere")
        expected = {
            "DisplayName": PRODUCT,
            "DisplayVersion": program_version(),
            "Publisher": "Orvanta Software",
            "UninstallString": f'"{INSTALL_DIR}\\uninstall.exe"',
            "DisplayIcon": f"{INSTALL_DIR}\\orvanta.exe,0",
            "InstallLocation": INSTALL_DIR,
        }
        self.assertEqual({name: s.reg_get(UNINSTALL_KEY, name) for name in expected}, expected)

        # The user keeps a library inside the program's folder and adds a script.
        library = self.install_dir / "Сценарии"
        library.mkdir()
        script = library / "7-Zip.OVS"
        script.write_bytes(b"\x01\x00 recorded by the user \xcf\xf0\xee\xe1\xe0")
        (library / "Position.lst").write_bytes(b"7-Zip\r\n")
        orvanta = s.start_orvanta(f"/ADD {INSTALL_DIR}\\Сценарии\\7-Zip.OVS",
                                  exe=f"{INSTALL_DIR}\\orvanta.exe")
        self.wait_main_window(orvanta)
        self.assertEqual(self.settings_value("Path", "FolderOVS"), f"{INSTALL_DIR}\\Сценарии")
        self.assertEqual(s.reg_get(r"HKCR\orvanta\shell\Open\command", ""),
                         f'"{INSTALL_DIR}\\orvanta.exe" /add %1')

        # Installing over the running program is refused, not half done.
        self.assertEqual(self.run_setup("/S"), RUNNING_EXIT_CODE)
        self.assertTrue(orvanta.running())
        s.kill_all()

        # Since then the user gave .ovs files to another program.
        s.wine("reg", "add", r"HKCR\.ovs", "/ve", "/d", "Notepad.ovs", "/f", check=True)
        self.uninstall_silently()

        self.assert_uninstalled(kept=["Сценарии"])
        self.assertEqual(sorted(p.name for p in library.iterdir()), ["7-Zip.OVS", "Position.lst"])
        self.assertEqual(script.read_bytes(), b"\x01\x00 recorded by the user \xcf\xf0\xee\xe1\xe0")
        self.assertEqual(s.reg_get(r"HKCR\.ovs", ""), "Notepad.ovs")

    def test_wizard_pages_install_and_start_the_program(self):
        s = self.session
        setup = s.start(f'"{s.windows_path(self.setup)}"', s.windows_path(self.setup.parent))
        caption = f"Установка {PRODUCT} {program_version()}"
        welcome = s.wait_window(pid=setup.pid, cls="#32770", caption=caption, timeout=60)
        s.screenshot(s.work_dir / "artifacts" / "release.welcome.png")

        presses = []

        def press(wizard_caption, button):
            wizard = s.wait_window(pid=setup.pid, cls="#32770", caption=wizard_caption,
                                   timeout=60)
            found = winebox.wait_until(
                f"the button {button!r}",
                lambda: [w for w in s.children(wizard, cls="Button", visible=True)
                         if w.caption == button], timeout=60)
            # Next, Install and Finish share one place; xdotool's synchronous
            # move waits long for a move to where the pointer already is.
            x, y = found[0].center
            presses.append(button)
            s.click_at(x + 4 * (len(presses) % 2), y)

        press(welcome.caption, NEXT)
        # The later pages add a space to the caption; the folder page names Program Files.
        folder_page = s.wait_window(pid=setup.pid, cls="#32770", caption=caption + " ",
                                    timeout=30)
        edits = [w for w in s.windows() if w.cls == "Edit" and w.pid == setup.pid and w.visible]
        self.assertEqual([s.window_text(w) for w in edits], [INSTALL_DIR])
        press(folder_page.caption, INSTALL)
        # The finish page: its check box starts the program when the wizard closes.
        press(folder_page.caption, FINISH)
        self.assertEqual(setup.wait(60), 0)
        s.wait_window(caption=main_window_caption(), timeout=60)

        self.assertEqual(sorted(p.name for p in self.install_dir.iterdir()), INSTALLED)
        self.assertEqual(sorted(p.name for p in self.menu.iterdir()), sorted(SHORTCUTS))
        self.assertEqual(s.reg_get(r"HKCR\.ovs", ""), "orvanta")
        s.kill_all()

        self.uninstall_silently()
        self.assert_uninstalled()
        self.assertFalse(self.key_exists(r"HKCR\.ovs"), "the program's .ovs association is left")
