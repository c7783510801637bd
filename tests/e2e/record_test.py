"""Recording through the real global mouse hook: `orvanta.exe /RECORD` with a
real NSIS wizard, real X clicks, and the script saved at the control bar's stop."""
import setups
import winebox

BAR_WIDTH = 457  # client width; the height depends on the mode
BUTTON_SIZE = 27
STOP_X, BUTTON_Y = 416, 8  # the stop button on the recording layout, client coordinates


class RecordTest(setups.SetupCase):
    PRODUCTS = ("Demo One",)

    def stop_button(self, program):
        """The control bar's stop button: the picture button at client x 416
        of the program's top-level window that is 457 pixels wide inside its
        border (the bar)."""
        def find():
            for bar in self.session.find_windows(pid=program.pid):
                border = (bar.rect[2] - bar.rect[0] - BAR_WIDTH) // 2
                if not 0 <= border <= 3:
                    continue
                left, top = bar.rect[0] + border, bar.rect[1] + border
                for button in self.session.children(bar, cls="Button", visible=True):
                    if button.rect == (left + STOP_X, top + BUTTON_Y, left + STOP_X + BUTTON_SIZE,
                                       top + BUTTON_Y + BUTTON_SIZE):
                        return button
            return None
        return winebox.wait_until("the control bar's stop button", find, timeout=60)

    def test_click_in_a_wizard_is_saved_with_its_window_path(self):
        setup = self.add_setup("Demo One")
        script = self.scripts / "Запись.OVS"
        orvanta = self.session.start_orvanta(f'/RECORD "{setup}" "{self.win(script)}"')
        stop = self.stop_button(orvanta)
        wizard = self.session.wait_window(cls="#32770", caption="Установка Demo One", timeout=60)
        [next_button] = [w for w in self.session.children(wizard, cls="Button")
                         if w.caption == setups.NEXT]

        self.session.click(next_button)
        # The click reached the wizard: the folder page shows (the caption gains a space).
        self.session.wait_window(cls="#32770", caption="Установка Demo One ", timeout=30)
        self.session.click(stop)
        orvanta.wait(timeout=60)

        self.assertTrue(script.is_file(), "the stop button saved no script")
        blocks = setups.parse_blocks(setups.dump_script(script))
        # One block: the click on the control bar is not recorded.
        self.assertEqual(len(blocks), 1, blocks)
        self.assertEqual(blocks[0]["path"],
                         [("#32770", "Установка Demo One", 1), ("Button", setups.NEXT, 1)])
        button_left, button_top = next_button.rect[:2]
        x, y = next_button.center
        self.assertEqual(blocks[0]["mouse"][0], ("press", "left", x - button_left, y - button_top))
        self.assertEqual(blocks[0]["mouse"][-1], ("release", "left", 0, 0))
        program = [line for line in setups.dump_script(script).splitlines()
                   if line.startswith("program ")]
        self.assertEqual(program, [f'program {setups.quote(setup)}'])
