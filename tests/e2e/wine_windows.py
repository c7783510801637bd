"""The windows of the desktop as probe.exe reports them: `Window` (one line of
`probe list`), and `WindowQueries`, the part of a Session that lists, finds,
waits for and reads windows. Coordinates are Wine screen coordinates."""

import re
from dataclasses import dataclass

from wine_common import wait_until


def unescape_text(text):
    """Undoes probe.exe's escaping of backslash, tab, CR and LF in texts."""
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "r": "\r", "n": "\n"}.get(m[1], m[1]), text)


@dataclass(frozen=True)
class Window:
    """One line of `probe list`. Coordinates are Wine screen coordinates."""

    hwnd: int
    parent: int  # 0 for a top-level window
    depth: int  # 0 for a top-level window
    cls: str
    caption: str
    visible: bool
    pid: int  # Windows process id
    owner: int
    rect: tuple  # left, top, right, bottom

    @staticmethod
    def parse(line):
        f = line.split("\t")
        if len(f) != 12:
            raise ValueError(f"unexpected probe line: {line!r}")
        return Window(int(f[0], 16), int(f[1], 16), int(f[2]), unescape_text(f[3]),
                      unescape_text(f[4]), f[5] == "1", int(f[6]), int(f[7], 16),
                      tuple(int(v) for v in f[8:12]))

    @property
    def center(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2


class WindowQueries:
    """Window queries through probe.exe, for a class that has `probe(*args,
    ok_codes=...)` returning probe.exe's output and exit code (Session)."""

    def windows(self):
        """Every window of the desktop: top-level windows, each followed by its
        children, as `probe list` prints them."""
        out, _ = self.probe("list")
        return [Window.parse(line) for line in out.splitlines() if line]

    def find_windows(self, cls=None, caption=None, pid=None, visible=True, top_level=True,
                     parent=None):
        """Windows matching every criterion given (None = any)."""
        return [w for w in self.windows()
                if (cls is None or w.cls == cls) and (caption is None or w.caption == caption)
                and (pid is None or w.pid == pid) and (visible is None or w.visible == visible)
                and (not top_level or w.depth == 0) and (parent is None or w.parent == parent)]

    def wait_window(self, timeout=30, **criteria):
        """The first window matching `criteria` (see find_windows), waiting for
        it up to `timeout` s. The error lists the visible top-level windows."""
        try:
            return wait_until(f"a window {criteria}",
                              lambda: next(iter(self.find_windows(**criteria)), None), timeout)
        except TimeoutError as error:
            shown = [f"{w.cls!r} {w.caption!r} pid {w.pid}"
                     for w in self.find_windows(visible=True)]
            raise TimeoutError(f"{error}; visible windows: {shown}") from None

    def children(self, window, cls=None, visible=None):
        """The direct children of `window`, optionally of one class."""
        return self.find_windows(cls=cls, parent=window.hwnd, top_level=False, visible=visible)

    def descendants(self, window, cls=None, visible=None):
        """Every window inside `window` (children, their children, ...),
        optionally of one class and visibility."""
        inside, found = {window.hwnd}, []
        for w in self.windows():  # depth first: a parent comes before its children
            if w.parent in inside:
                inside.add(w.hwnd)
                if (cls is None or w.cls == cls) and (visible is None or w.visible == visible):
                    found.append(w)
        return found

    def list_items(self, list_box):
        """The lines of a list box as it holds them now (a list of one empty
        line reads as no lines)."""
        out, _ = self.probe("items", hex(list_box.hwnd))
        return [unescape_text(line) for line in out.split("\n")] if out else []

    def window_text(self, window):
        """The window's text as WM_GETTEXT returns it now."""
        out, _ = self.probe("text", hex(window.hwnd))
        return unescape_text(out)

    def window_enabled(self, window):
        """Whether the window takes input now (IsWindowEnabled)."""
        out, _ = self.probe("enabled", hex(window.hwnd))
        return out.strip() == "1"

    def message_text(self, box):
        """The message of a message box: the text of its non-empty Static child."""
        texts = [w.caption for w in self.children(box, cls="Static") if w.caption]
        if len(texts) != 1:
            raise AssertionError(f"message box {box.caption!r} has texts {texts}")
        return texts[0]
