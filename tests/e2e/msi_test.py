"""Windows Installer packages as setups: a small MSI with a whole Russian
wizard (msi_package.py), recorded through the real mouse hook and played
back, and two MSI packages played one after the other."""
import record_test
import setups
import winebox
from msi_package import FINISH, INSTALL, NEXT, build_msi

# The class of every page of an MSI wizard (each one a top-level dialog).
MSI_DIALOG = "MsiDialogCloseClass"
# Every page of the wizard: its title and the button that leads on.
PAGES = [("Вас приветствует мастер установки {}", NEXT), ("Папка установки", NEXT),
         ("Всё готово к установке", INSTALL), ("Установка {} завершена", FINISH)]


class MsiTest(setups.SetupCase):
    PRODUCTS = ()

    def add_msi(self, product):
        """C:\\Setups\\<product>.msi, installing into the product's target
        folder, with codes no earlier package had; its Windows path."""
        target = self.setups / f"{product}.msi"
        build_msi(target, product, self.target_folder(product) + "\\")
        return self.win(target)

    def assert_msi_installed(self, product):
        readme = self.programs / product / "readme.txt"
        self.assertTrue(readme.is_file(), f"{readme} was not installed")

    def wait_page(self, product, title, timeout=60):
        """The wizard's top-level dialog that shows the page `title`."""
        caption = f"Установка {product}"

        def page():
            for dialog in self.session.find_windows(caption=caption):
                texts = [w.caption for w in self.session.children(dialog, visible=True)]
                if any(title in text for text in texts):
                    return dialog
            return None
        return winebox.wait_until(f"the page {title!r}", page, timeout)

    def button(self, dialog, caption):
        [found] = [w for w in self.session.children(dialog, cls="Button", visible=True)
                   if w.caption == caption]
        return found

    def script_for(self, product, dialog_class, program):
        """The script of a whole installation of the MSI wizard of `product`."""
        path = [(dialog_class, f"Установка {product}", 1)]
        blocks = [setups.Block(path + [("Button", button, 1)]) for _, button in PAGES]
        script = self.scripts / f"{product}.OVS"
        setups.write_script(script, setups.script_text(blocks, program, f"Установка {product}"))
        return script

    def test_msi_wizard_recorded_through_the_hook_plays_back(self):
        product = "Demo Msi"
        setup = self.add_msi(product)
        script = self.scripts / "Запись MSI.OVS"
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = record_test.RecordTest.stop_button(self, orvanta)
        classes = set()
        for title, caption in PAGES:
            dialog = self.wait_page(product, title.format(product))
            classes.add(dialog.cls)
            self.session.click(self.button(dialog, caption))
            winebox.wait_until("the page to close", lambda: not any(
                w.hwnd == dialog.hwnd for w in self.session.find_windows(visible=None)), 60)
        self.session.click(stop)
        self.assertEqual(orvanta.wait(timeout=60), 0)
        self.assert_msi_installed(product)

        self.assertEqual(classes, {MSI_DIALOG})
        blocks = setups.parse_blocks(setups.dump_script(script))
        self.assertEqual([b["path"] for b in blocks],
                         [[(MSI_DIALOG, f"Установка {product}", 1), ("Button", caption, 1)]
                          for _, caption in PAGES])

        # Played on a machine where the product was never installed: a new
        # package of the same wizard.
        self.add_msi(product)
        (self.programs / product / "readme.txt").unlink()
        code, report = self.play_report(f'/PLAY "{self.win(script)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt", timeout=200)
        self.assert_results(report, [("Запись MSI", "ОК")])
        self.assertEqual(code, 0)
        self.assert_msi_installed(product)

    def test_two_msi_packages_in_a_row_both_install(self):
        products = ["Demo Msi One", "Demo Msi Two"]
        for product in products:
            self.script_for(product, MSI_DIALOG, self.add_msi(product))
        (self.scripts / "Position.lst").write_bytes("".join(
            p + "\r\n" for p in products).encode("cp1251"))

        code, report = self.play_report(f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 60',
                                        self.reports / "отчёт.txt", timeout=250)

        self.assert_results(report, [(products[0], "ОК"), (products[1], "ОК")])
        self.assertEqual(code, 0)
        for product in products:
            self.assert_msi_installed(product)

    def test_msi_wizard_installs_by_window_messages(self):
        product = "Demo Msi Messages"
        self.script_for(product, MSI_DIALOG, self.add_msi(product))

        code, report = self.play_report(
            f'/PLAY "{self.win(self.scripts)}" /SPEED 0 /TIMEOUT 60 /MESSAGES',
            self.reports / "отчёт.txt", timeout=200)

        self.assert_results(report, [(product, "ОК")])
        self.assertIn(f"Воспроизведено сообщениями окон: {product} (строка 1)", report.text)
        self.assertEqual(code, 0)
        self.assert_msi_installed(product)
