"""The registry and the drives of the prefix: the part of a Session that
reads and writes registry values and maps a folder as a CD-ROM (or
removable) drive."""

from pathlib import Path

from wine_common import wait_until
from wine_windows import unescape_text

# GetDriveType's answer for each of Wine's drive types
DRIVE_TYPES = {"cdrom": "5", "floppy": "2"}


class Registry:
    """Registry values and drive letters for a class that has `probe`, `wine`,
    `prefix` and `kill_all` (Session)."""

    def reg_get(self, key, value):
        """A string value (REG_SZ) of the registry, or None when absent. Read
        through the probe so that every character arrives intact."""
        out, code = self.probe("reg", key, value, ok_codes=(0, 2))
        return unescape_text(out) if code == 0 else None

    def reg_set(self, key, value, data):
        self.wine("reg", "add", key, "/v", value, "/d", data, "/f", check=True)

    def map_cdrom(self, letter, folder, kind="cdrom"):
        """Makes `folder` the drive `letter` of type CD-ROM (or of Wine's drive
        type `kind`: "floppy" is a removable drive, as a USB stick is); restarts
        Wine so that the drive type takes effect (running programs end)."""
        letter = letter.lower()
        self.wine("reg", "add", r"HKLM\Software\Wine\Drives", "/v", f"{letter}:", "/d", kind,
                  "/f", check=True)
        link = self.prefix.path / "dosdevices" / f"{letter}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        link.symlink_to(Path(folder).resolve())
        self.kill_all()
        # Read back, so that a mapping that did not take fails here, by name,
        # rather than later as a program that sees no disc.
        wait_until(f"drive {letter}: of type {kind}",
                   lambda: self.probe("drivetype", f"{letter.upper()}:\\")[0] == DRIVE_TYPES[kind],
                   timeout=60)

    def unmap_drive(self, letter):
        letter = letter.lower()
        link = self.prefix.path / "dosdevices" / f"{letter}:"
        if link.is_symlink() or link.exists():
            link.unlink()
        self.wine("reg", "delete", r"HKLM\Software\Wine\Drives", "/v", f"{letter}:", "/f")
