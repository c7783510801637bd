"""Makes the two files of a release from a Windows build:

    orvanta-<version>.zip        orvanta.exe (stripped), help.chm, ПРОЧТИ.txt
    orvanta-<version>-setup.exe  the Russian setup built from orvanta.nsi

The version, product and publisher come from app/version.h. tools/package
builds the Windows tree and then runs this; the end-to-end tests call `make`
on the build they test. Standard library only.

    package.py [--win-build DIR] [--out DIR]
"""
import argparse
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

INSTALLER_DIR = Path(__file__).resolve().parent
SOURCE_DIR = INSTALLER_DIR.parent
README_NAME = "ПРОЧТИ.txt"
STRIP = "x86_64-w64-mingw32-strip"
MAKENSIS_TIMEOUT = 300


class PackageError(Exception):
    pass


def read_version(source_dir=SOURCE_DIR):
    """{'version', 'product', 'company'} from app/version.h."""
    header = (Path(source_dir) / "app" / "version.h").read_text(encoding="utf-8")
    fields = {}
    for key, macro in (("version", "ORVANTA_VERSION_TEXT"), ("product", "ORVANTA_PRODUCT"),
                       ("company", "ORVANTA_COMPANY")):
        found = re.search(rf'#define\s+{macro}\s+"([^"]+)"', header)
        if not found:
            raise PackageError(f"app/version.h defines no {macro}")
        fields[key] = found[1]
    if not re.fullmatch(r"\d+\.\d+\.\d+", fields["version"]):
        raise PackageError(f"the version {fields['version']!r} is not three numbers")
    return fields


def release_names(version):
    """The file names of the zip and the setup of `version`."""
    return f"orvanta-{version}.zip", f"orvanta-{version}-setup.exe"


def readme_text(version, source_dir=SOURCE_DIR):
    """ПРОЧТИ.txt as Notepad reads it on any Windows: UTF-8 with a byte order
    mark and CR LF line ends."""
    text = (Path(source_dir) / "installer" / README_NAME).read_text(encoding="utf-8")
    text = text.replace("@VERSION@", version).replace("\r\n", "\n").replace("\n", "\r\n")
    return "\ufeff".encode("utf-8") + text.encode("utf-8")


def _run(args, what, **kwargs):
    try:
        result = subprocess.run(args, capture_output=True, text=True, **kwargs)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise PackageError(f"{what}: {error}") from None
    if result.returncode != 0:
        raise PackageError(f"{what} failed ({result.returncode}):\n{result.stdout}{result.stderr}")


def _stage(win_build, stage, version, source_dir):
    """Fills `stage` with the files the zip and the setup carry."""
    for name in ("orvanta.exe", "help.chm"):
        if not (win_build / name).is_file():
            raise PackageError(f"{win_build / name} is missing: build the Windows tree first "
                               "(tools/build win)")
    if not shutil.which(STRIP):
        raise PackageError(f"{STRIP} not found (run tools/install-deps)")
    _run([STRIP, "-o", str(stage / "orvanta.exe"), str(win_build / "orvanta.exe")],
         f"stripping {win_build / 'orvanta.exe'}")
    shutil.copyfile(win_build / "help.chm", stage / "help.chm")
    (stage / README_NAME).write_bytes(readme_text(version, source_dir))


def _write_zip(stage, target):
    partial = target.with_name(target.name + ".partial")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in ("orvanta.exe", "help.chm", README_NAME):
            archive.write(stage / name, name)
    partial.replace(target)


def _write_setup(stage, target, fields, source_dir):
    if not shutil.which("makensis"):
        raise PackageError("makensis not found (run tools/install-deps)")
    partial = target.with_name(target.name + ".partial")
    defines = {"VERSION": fields["version"], "PRODUCT": fields["product"],
               "COMPANY": fields["company"], "STAGE": stage,
               "ICON": Path(source_dir) / "res" / "orvanta.ico", "OUTFILE": partial}
    args = ["makensis", "-V2", "-INPUTCHARSET", "UTF8"]
    args += [f"-D{name}={value}" for name, value in defines.items()]
    _run([*args, str(INSTALLER_DIR / "orvanta.nsi")], "makensis", cwd=INSTALLER_DIR,
         timeout=MAKENSIS_TIMEOUT)
    if not partial.is_file():
        raise PackageError("makensis wrote no setup")
    partial.replace(target)


def make(win_build, out_dir, source_dir=SOURCE_DIR):
    """Writes the zip and the setup into `out_dir`; returns their paths. A
    file is replaced only once its new version is whole."""
    win_build, out_dir = Path(win_build), Path(out_dir)
    fields = read_version(source_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    zip_name, setup_name = release_names(fields["version"])
    with tempfile.TemporaryDirectory(prefix=".stage-", dir=out_dir) as stage:
        stage = Path(stage)
        _stage(win_build, stage, fields["version"], source_dir)
        _write_zip(stage, out_dir / zip_name)
        _write_setup(stage, out_dir / setup_name, fields, source_dir)
    return out_dir / zip_name, out_dir / setup_name


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--win-build", default=str(SOURCE_DIR / "build" / "win"))
    parser.add_argument("--out", default=str(SOURCE_DIR / "build" / "dist"))
    args = parser.parse_args(argv)
    try:
        for path in make(args.win_build, args.out):
            print(path)
    except PackageError as error:
        print(f"package: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
