"""Real input, as a user's, on the harness's X display: the part of a Session
that moves and clicks the mouse, presses keys, types and pastes text through
xdotool, and takes screenshots of the whole X screen."""

import subprocess
import time
from pathlib import Path

from wine_common import COMMAND_TIMEOUT
from wine_display import desktop_offset, xdotool


class Input:
    """Pointer and keyboard for a class that has `display` (a started
    Display), `_desktop_offset` (None until first asked) and `probe` (Session).
    Points are given in Wine screen coordinates."""

    def desktop_offset(self):
        """Where the Wine desktop's top-left corner lies on the X screen."""
        if self._desktop_offset is None:
            self._desktop_offset = desktop_offset(self.display.name)
        return self._desktop_offset

    def click(self, window, button=1):
        """A real mouse click (X events, as a user's) at the window's centre."""
        self.click_at(*window.center, button=button)

    def click_at(self, x, y, button=1):
        """A real mouse click at a point given in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        self._xdotool("mousemove", "--sync", str(x + dx), str(y + dy), "click", str(button))

    def move_to(self, x, y):
        """Moves the mouse (real X events) to a point in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        self._xdotool("mousemove", "--sync", str(x + dx), str(y + dy))

    def pointer(self):
        """Where the mouse pointer is, in Wine screen coordinates."""
        dx, dy = self.desktop_offset()
        # xdotool also reads the window under the pointer, which may be gone
        # by then (BadWindow): ask again.
        for attempt in range(3):
            try:
                location = self._xdotool("getmouselocation")
                break
            except RuntimeError:
                if attempt == 2:
                    raise
                time.sleep(0.2)
        fields = dict(item.split(":", 1) for item in location.split())
        return int(fields["x"]) - dx, int(fields["y"]) - dy

    def press_key(self, key):
        """A real key press (xdotool key name, e.g. Return) to the focused window."""
        self._xdotool("key", key)

    def type_text(self, text):
        """Real key presses that type `text` (ASCII) into the focused window."""
        self._xdotool("type", "--delay", "30", text)

    def paste_text(self, text):
        """Puts `text` on the clipboard and presses Ctrl+V in the focused
        window: any characters arrive whole, where xdotool's typing of
        characters outside the keyboard map may lose some."""
        self.probe("clip", text)
        self.press_key("ctrl+v")

    def _xdotool(self, *args):
        return xdotool(self.display.name, *args)

    def screenshot(self, path):
        """Saves the whole X screen as an image at `path`."""
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["import", "-display", self.display.name, "-window", "root", str(path)],
                       capture_output=True, timeout=COMMAND_TIMEOUT)
