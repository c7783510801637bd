"""A small Windows Installer package with a whole Russian wizard, made at test
time with msitools (`msibuild` imports the hand-written tables below, `gcab`
makes the cabinet of its one file).

The wizard is the one an MSI shows itself: every page is a new top-level
dialog with the same caption ("Установка <product>"), one after the other:
welcome ("&Далее >"), folder (a path field, "&Далее >"), ready ("&Установить"),
progress (no button to press), finish ("&Готово"). It installs readme.txt
(a copy of installers/payload.txt) into `folder`.

Each build gets new product and component codes: Windows Installer keeps an
installed product registered, and a package of the same code would open in
maintenance mode next time instead of showing its wizard.
"""
import subprocess
import uuid
from pathlib import Path

INSTALLERS_DIR = Path(__file__).resolve().parent / "installers"
TOOL_TIMEOUT = 60
CODE_PAGE = "utf-8"  # the database code page 65001: msibuild takes UTF-8 text

NEXT, INSTALL, FINISH = "&Далее >", "&Установить", "&Готово"
# Client points of the wizard's buttons (56 x 17 dialog units) that a click presses.
BUTTON_PRESS = (20, 8)

# Controls: (name, type, x, y, width, height, attributes, property, text).
# Attributes 3: visible and enabled; 1: visible only.
_BUTTONS_Y = 243


def _button(name, x, text, attributes=3):
    return (name, "PushButton", x, _BUTTONS_Y, 56, 17, attributes, None, text)


def _title(text):
    return ("Title", "Text", 20, 20, 330, 40, 3, None, "{\\Title}" + text)


def _pages(product):
    return {
        "WelcomeDlg": [
            _title(f"Вас приветствует мастер установки {product}"),
            ("Body", "Text", 20, 70, 330, 40, 3, None,
             "Программа установит " + product + " на ваш компьютер. Нажмите «Далее»."),
            _button("Back", 180, "< &Назад", 1), _button("Next", 236, NEXT),
            _button("Cancel", 304, "Отмена")],
        "FolderDlg": [
            _title("Папка установки"),
            ("Body", "Text", 20, 70, 330, 20, 3, None, "Программа будет установлена в папку:"),
            ("Folder", "PathEdit", 20, 95, 330, 18, 3, "INSTALLDIR", None),
            _button("Back", 180, "< &Назад"), _button("Next", 236, NEXT),
            _button("Cancel", 304, "Отмена")],
        "ReadyDlg": [
            _title("Всё готово к установке"),
            ("Body", "Text", 20, 70, 330, 40, 3, None,
             "Нажмите «Установить», чтобы начать установку."),
            _button("Back", 180, "< &Назад"), _button("Install", 236, INSTALL),
            _button("Cancel", 304, "Отмена")],
        "ProgressDlg": [
            _title(f"Идёт установка {product}"),
            ("Body", "Text", 20, 70, 330, 20, 3, None, "Подождите, пожалуйста…"),
            _button("Back", 180, "< &Назад", 1), _button("Next", 236, NEXT, 1),
            _button("Cancel", 304, "Отмена", 1)],
        "ExitDlg": [
            _title(f"Установка {product} завершена"),
            ("Body", "Text", 20, 70, 330, 20, 3, None, "Нажмите «Готово», чтобы закрыть мастер."),
            _button("Back", 180, "< &Назад", 1), _button("Finish", 236, FINISH),
            _button("Cancel", 304, "Отмена", 1)],
    }


# (dialog, control, event, argument, ordering)
_EVENTS = [
    ("WelcomeDlg", "Next", "NewDialog", "FolderDlg", 1),
    ("WelcomeDlg", "Cancel", "EndDialog", "Exit", 1),
    ("FolderDlg", "Back", "NewDialog", "WelcomeDlg", 1),
    ("FolderDlg", "Next", "SetTargetPath", "INSTALLDIR", 1),
    ("FolderDlg", "Next", "NewDialog", "ReadyDlg", 2),
    ("FolderDlg", "Cancel", "EndDialog", "Exit", 1),
    ("ReadyDlg", "Back", "NewDialog", "FolderDlg", 1),
    ("ReadyDlg", "Install", "EndDialog", "Return", 1),
    ("ReadyDlg", "Cancel", "EndDialog", "Exit", 1),
    ("ExitDlg", "Finish", "EndDialog", "Return", 1),
]

_EXECUTE = ["CostInitialize", "FileCost", "CostFinalize", "InstallValidate", "InstallInitialize",
            "ProcessComponents", "RemoveFiles", "InstallFiles", "RegisterUser", "RegisterProduct",
            "PublishFeatures", "PublishProduct", "InstallFinalize"]


def _table(name, columns, types, keys, rows):
    """One .idt file: column names, their types, the table and its keys, rows."""
    def cell(value):
        return "" if value is None else str(value)
    lines = ["\t".join(columns), "\t".join(types), "\t".join([name, *keys])]
    lines += ["\t".join(cell(v) for v in row) for row in rows]
    return "\r\n".join(lines) + "\r\n"


def _tables(product, folder, payload_size):
    guid = lambda: "{" + str(uuid.uuid4()).upper() + "}"
    pages = _pages(product)
    caption = f"Установка {product}"
    first = {"WelcomeDlg": "Next", "FolderDlg": "Next", "ReadyDlg": "Install",
             "ProgressDlg": "Cancel", "ExitDlg": "Finish"}
    ui_sequence = [("ExitDlg", None, -1), ("CostInitialize", None, 800),
                   ("FileCost", None, 900), ("CostFinalize", None, 1000),
                   ("WelcomeDlg", "NOT Installed", 1230), ("ProgressDlg", None, 1280),
                   ("ExecuteAction", None, 1300)]
    return {
        "Property": _table("Property", ["Property", "Value"], ["s72", "l0"], ["Property"], [
            ("ProductCode", guid()), ("ProductName", product), ("ProductVersion", "1.0.0"),
            ("ProductLanguage", "1049"), ("Manufacturer", "Orvanta"),
            ("DefaultUIFont", "Normal"), ("INSTALLDIR", folder)]),
        "Directory": _table("Directory", ["Directory", "Directory_Parent", "DefaultDir"],
                            ["s72", "S72", "l255"], ["Directory"], [
            ("TARGETDIR", None, "SourceDir"), ("ProgramFilesFolder", "TARGETDIR", "."),
            ("INSTALLDIR", "ProgramFilesFolder", "DEMO|" + product)]),
        "Component": _table("Component", ["Component", "ComponentId", "Directory_", "Attributes",
                                          "Condition", "KeyPath"],
                            ["s72", "S38", "s72", "i2", "S255", "S72"], ["Component"], [
            ("Main", guid(), "INSTALLDIR", 0, None, "Readme")]),
        "Feature": _table("Feature", ["Feature", "Feature_Parent", "Title", "Description",
                                      "Display", "Level", "Directory_", "Attributes"],
                          ["s38", "S38", "L64", "L255", "I2", "i2", "S72", "i2"], ["Feature"], [
            ("Complete", None, product, product, 1, 1, "INSTALLDIR", 0)]),
        "FeatureComponents": _table("FeatureComponents", ["Feature_", "Component_"],
                                    ["s38", "s72"], ["Feature_", "Component_"], [
            ("Complete", "Main")]),
        "File": _table("File", ["File", "Component_", "FileName", "FileSize", "Version",
                                "Language", "Attributes", "Sequence"],
                       ["s72", "s72", "l255", "i4", "S72", "S20", "I2", "i2"], ["File"], [
            ("Readme", "Main", "readme.txt", payload_size, None, None, 16384, 1)]),
        "Media": _table("Media", ["DiskId", "LastSequence", "DiskPrompt", "Cabinet",
                                  "VolumeLabel", "Source"],
                        ["i2", "i4", "L64", "S255", "S32", "S72"], ["DiskId"], [
            (1, 1, None, "#payload.cab", None, None)]),
        "InstallExecuteSequence": _table(
            "InstallExecuteSequence", ["Action", "Condition", "Sequence"], ["s72", "S255", "I2"],
            ["Action"], [(action, None, 800 + 100 * i) for i, action in enumerate(_EXECUTE)]),
        "InstallUISequence": _table("InstallUISequence", ["Action", "Condition", "Sequence"],
                                    ["s72", "S255", "I2"], ["Action"], ui_sequence),
        "TextStyle": _table("TextStyle", ["TextStyle", "FaceName", "Size", "Color", "StyleBits"],
                            ["s72", "s32", "i2", "I4", "I2"], ["TextStyle"], [
            ("Normal", "Tahoma", 8, None, None), ("Title", "Tahoma", 12, None, 1)]),
        "Dialog": _table("Dialog", ["Dialog", "HCentering", "VCentering", "Width", "Height",
                                    "Attributes", "Title", "Control_First", "Control_Default",
                                    "Control_Cancel"],
                         ["s72", "i2", "i2", "i2", "i2", "I4", "L128", "s50", "S50", "S50"],
                         ["Dialog"], [
            (name, 50, 50, 370, 270, 1 if name == "ProgressDlg" else 3, caption, first[name],
             first[name], "Cancel" if name != "ExitDlg" else "Finish") for name in pages]),
        "Control": _table("Control", ["Dialog_", "Control", "Type", "X", "Y", "Width", "Height",
                                      "Attributes", "Property", "Text", "Control_Next", "Help"],
                          ["s72", "s50", "s20", "i2", "i2", "i2", "i2", "I4", "S72", "L0", "S50",
                           "L50"], ["Dialog_", "Control"], [
            (dialog, *control, None, None) for dialog, controls in pages.items()
            for control in controls]),
        "ControlEvent": _table("ControlEvent", ["Dialog_", "Control_", "Event", "Argument",
                                                "Condition", "Ordering"],
                               ["s72", "s50", "s50", "s255", "S255", "I2"],
                               ["Dialog_", "Control_", "Event", "Argument", "Condition"], [
            (dialog, control, event, argument, "1", ordering)
            for dialog, control, event, argument, ordering in _EVENTS]),
    }


def build_msi(target, product, folder):
    """Writes the package `target` (a Unix path) that installs `product` into
    the Windows folder `folder`; returns `target`."""
    target = Path(target)
    work = target.with_name(target.name + ".parts")
    work.mkdir(parents=True, exist_ok=True)
    payload = (INSTALLERS_DIR / "payload.txt").read_bytes()
    (work / "Readme").write_bytes(payload)  # named by its File key inside the cabinet
    cabinet = work / "payload.cab"
    _run(["gcab", "-c", "-n", "-z", str(cabinet), str(work / "Readme")])
    tables = _tables(product, folder, len(payload))
    (work / "_ForceCodepage.idt").write_bytes(b"\r\n\r\n65001\t_ForceCodepage\r\n")
    for name, text in tables.items():
        (work / f"{name}.idt").write_bytes(text.encode(CODE_PAGE))
    target.unlink(missing_ok=True)
    _run(["msibuild", str(target), "-s", product, "Orvanta", "Intel;1049",
          "{" + str(uuid.uuid4()).upper() + "}"])
    _run(["msibuild", str(target), "-i", str(work / "_ForceCodepage.idt"),
          *[str(work / f"{name}.idt") for name in tables]])
    _run(["msibuild", str(target), "-a", "payload.cab", str(cabinet)])
    return target


def _run(args):
    result = subprocess.run(args, capture_output=True, text=True, timeout=TOOL_TIMEOUT)
    if result.returncode != 0:
        raise RuntimeError(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
