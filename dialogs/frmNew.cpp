#include "dialogs/frmNew.h"

#include "app/paths.h"
#include "app/stored_text.h"
#include "app/version.h"
#include "dialogs/file_dialogs.h"
#include "dialogs/frmFuture.h"
#include "engine/frmStels.h"
#include "library/frmMain.h"
#include "library/library_order.h"
#include "platform/text.h"
#include "script/save_script.h"

namespace dialogs {
namespace {

constexpr int kWidth = 440, kHeight = 238;
constexpr const char* kForbidden = "\\:/*?\"<>|";
constexpr size_t kPathForbiddenFrom = 2;  // the path may hold "\" and ":"
constexpr const char* kProgramFilter =
    "Исполняемые файлы (*.exe)|*.exe|Исполняемые файлы (*.msi)|*.msi|"
    "Файлы реестра (*.reg)|*.reg|Пакетные файлы MS-DOS (*.bat)|*.bat";

bool ContainsAnyOf(const std::string& s, const std::string& chars) {
  return s.find_first_of(chars) != std::string::npos;
}

}  // namespace

FrmNew::FrmNew(app::App& app)
    : ui::Form(app.platform.ui, "frmNew"), app_(app), main_(app.MainWindow()) {
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;
  BuildControls();
  onLoad = [this] { OnLoad(); };
  // The close box is Cancel: a program chosen and then abandoned is no
  // longer the pending package's.
  onQueryClose = [this](ui::CloseReason reason) {
    if (reason == ui::CloseReason::User) {
      app_.pendingPackage.programPath.clear();
      main_.Show();
    }
    return true;
  };
}

void FrmNew::BuildControls() {
  const int fieldLeft = 130, fieldWidth = kWidth - fieldLeft - 12;
  lblName.SetText("Имя");
  lblName.SetBounds({12, 14, 110, 20});
  txtNameExe.SetTooltip("Введите имя понятное для Вас");
  txtNameExe.SetBounds({fieldLeft, 12, fieldWidth, 23});
  lblAdress.SetText("Исполняемый файл");
  lblAdress.SetBounds({12, 46, 116, 20});
  txtAdressExe.SetTooltip("Чтобы ввести файл - нажмите кнопочку обзор");
  txtAdressExe.SetBounds({fieldLeft, 44, fieldWidth - 36, 23});
  cmdBrowse.SetText("...");
  cmdBrowse.SetTooltip("Обзор файлов");
  cmdBrowse.SetBounds({kWidth - 44, 43, 32, 25});
  cmdBrowse.onClick = [this] { OnBrowse(); };
  lblDescription.SetText("Описание ");
  lblDescription.SetBounds({12, 78, 110, 20});
  txtDescription.SetTooltip("Введите несколько слов, характеризующих пакет");
  txtDescription.SetMultiLine(true);
  txtDescription.SetBounds({fieldLeft, 76, fieldWidth, 56});
  lblComandLine.SetText("Дополнительные параметры коммандной строки");
  lblComandLine.SetBounds({12, 144, kWidth - 24, 20});
  txtComandLine.SetBounds({12, 166, kWidth - 24, 23});
  cmdOk.SetText("Ок");
  cmdOk.SetDefault(true);
  cmdOk.SetBounds({kWidth - 200, kHeight - 40, 88, 27});
  cmdOk.onClick = [this] { OnOk(); };
  cmdCancel.SetText("Отмена");
  cmdCancel.SetCancel(true);
  cmdCancel.SetBounds({kWidth - 100, kHeight - 40, 88, 27});
  cmdCancel.onClick = [this] { OnCancel(); };
}

void FrmNew::OnLoad() {
  if (main_.IsProPertyNotNew) {
    SetCaption("Свойства");
    GetProperty();
  } else {
    SetCaption("Новый пакет");
  }
}

std::string FrmNew::ScriptPathFor(const std::string& name) const {
  return library::FindScriptPath(app_.platform.files, app_.scriptFolder, name);
}

void FrmNew::GetProperty() {
  const auto& items = main_.List1.items();
  if (main_.ItemClick < 0 || size_t(main_.ItemClick) >= items.size() ||
      !app::PathExists(app_.platform.files, main_.ScriptPathOf(main_.ItemClick))) {
    Close();
    return;
  }
  script::ScriptBuffer& script = app_.script;
  if (!script.LoadPlainScript(app_.platform.files, main_.ScriptPathOf(main_.ItemClick))) {
    // A damaged script has no fields to edit; saving it back would not mend it.
    app_.MessageBox("Файл '" + main_.ScriptPathOf(main_.ItemClick) +
                        "' повреждён, его свойства прочитать невозможно.",
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    Close();
    return;
  }
  txtAdressExe.SetText(script.ReadProgramPath());
  txtNameExe.SetText(items[main_.ItemClick].text);
  loadedName_ = txtNameExe.text();
  txtDescription.SetText(app::StripTrailingNuls(script.ReadDescription()));
  txtComandLine.SetText(script.ReadParameters());
}

void FrmNew::OnBrowse() {
  const std::string folder = app_.settings.Get(app::setting::kFolderBrowseExe);
  const std::string chosen = app::StripTrailingNuls(
      ShowOpenDialog(app_.platform.ui, this, kProgramFilter, "Открыть", folder));
  app_.pendingPackage.programPath = chosen;
  txtAdressExe.SetText(app_.Contract(chosen));
  if (!main_.IsProPertyNotNew && !chosen.empty()) {
    txtNameExe.SetText(app::FileTitleOfPath(chosen));
  }
  app_.settings.Save(app::setting::kFolderBrowseExe, app::FolderOfPath(chosen));
}

// Every field but the name (a file name, and Position.lst holds any) goes
// into the script one byte per character, in the code page of the script
// (of this Windows for a new one): a character it lacks would be stored as
// another.
bool FrmNew::TextsFitCodePage() {
  const std::string program = main_.IsProPertyNotNew
                                  ? txtAdressExe.text()
                                  : app_.Contract(app_.pendingPackage.programPath);
  const struct {
    const ui::Label& label;
    ui::TextBox& field;
    std::string stored;
  } fields[] = {{lblAdress, txtAdressExe, program},
                {lblDescription, txtDescription, txtDescription.text()},
                {lblComandLine, txtComandLine, text::Trim(txtComandLine.text())}};
  const unsigned codePage = main_.IsProPertyNotNew ? app_.script.codePage() : 0;
  for (const auto& f : fields) {
    const std::string lost = app::CharsOutsideCodePage(app_.platform.system, f.stored, codePage);
    if (lost.empty()) continue;
    app_.MessageBox(app::OutsideCodePageMessage(text::Trim(f.label.text()), lost),
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    f.field.Focus();
    return false;
  }
  return true;
}

bool FrmNew::NameIsValid() {
  const std::string& name = txtNameExe.text();
  if (text::Trim(name).empty()) {
    app_.MessageBox("Введите имя пакета", ui::mb::kOk, app::kAppTitle, this);
    txtNameExe.Focus();
    return false;
  }
  if (ContainsAnyOf(name, kForbidden)) {
    app_.MessageBox(std::string("Имя файла не должно содержать следующих знаков \r\n") + kForbidden,
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    txtNameExe.Focus();
    return false;
  }
  return true;
}

// Another package of the library with this name, whatever its letter case:
// on Windows both names are one file.
bool FrmNew::NameOfOtherPackage() const {
  const std::string& name = txtNameExe.text();
  for (const ui::ListItem& item : main_.List1.items()) {
    if (text::EqualsNoCase(item.text, name) &&
        !(main_.IsProPertyNotNew && text::EqualsNoCase(item.text, loadedName_))) {
      return true;
    }
  }
  return false;
}

bool FrmNew::NameOfOtherFile() const {
  if (text::EqualsNoCase(txtNameExe.text(), loadedName_)) return false;
  return app::PathExists(app_.platform.files, ScriptPathFor(txtNameExe.text()));
}

bool FrmNew::PropertiesAreValid() {
  const std::string& path = txtAdressExe.text();
  if (ContainsAnyOf(path, std::string(kForbidden).substr(kPathForbiddenFrom))) {
    app_.MessageBox(std::string("Путь к файлу не должен содержать следующих знаков \r\n") +
                        kForbidden,
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    txtAdressExe.Focus();
    return false;
  }
  if (!app::PathExists(app_.platform.files, app_.Expand(path))) {
    const int answer = app_.MessageBox(
        "Указанный Вами файл не найден.\r\nЕсли Вы уверены, что указанный путь будет "
        "существовать, \r\nв будущем - нажмите Да.\r\n\r\nНажмите Нет - если желаете ввести "
        "другой путь к файлу",
        ui::mb::kYesNo | ui::mb::kIconQuestion, "Сохранить путь к файлу?", this);
    if (answer != ui::mb::kIdYes) {
      txtAdressExe.Focus();
      return false;
    }
  }
  // Saving under the name of another package would replace that package's
  // script; so would saving over a script that a stale list does not show.
  if (NameOfOtherPackage() || NameOfOtherFile()) {
    app_.MessageBox("Пакет с именем '" + txtNameExe.text() +
                        "' уже есть в библиотеке.\r\nВведите другое имя.",
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    txtNameExe.Focus(/*selectAll=*/true);
    return false;
  }
  return true;
}

bool FrmNew::ConfirmNewName() {
  if (!NameOfOtherPackage()) return true;
  const int answer = app_.MessageBox(
      "Пакет с именем '" + txtNameExe.text() +
          "' уже существует в выбранной директории.\r\n\r\nНажмите Да для перезаписи или Нет "
          "для ввода заново.",
      ui::mb::kYesNo, ORVANTA_COMPANY, this);
  if (answer == ui::mb::kIdYes) return true;
  txtNameExe.Focus(/*selectAll=*/true);
  return false;
}

void FrmNew::OnOk() {
  if (txtAdressExe.text().empty()) return;
  if (!NameIsValid() || !TextsFitCodePage()) return;
  if (main_.IsProPertyNotNew) {
    if (!PropertiesAreValid() || !SetProperty()) return;
    Close();
    return;
  }
  const std::string& program = app_.pendingPackage.programPath;
  if (!app::PathExists(app_.platform.files, program)) {
    txtAdressExe.Focus();
    return;
  }
  if (!ConfirmNewName()) return;
  app_.settings.Save(app::setting::kFolderBrowseExe, app::FolderOfPath(program));
  app_.pendingPackage.packageName = txtNameExe.text();
  app_.pendingPackage.description = txtDescription.text();
  app_.pendingPackage.parameters = text::Trim(txtComandLine.text());
  if (app_.settings.GetNumber(app::setting::kFirstTip) != 1) {
    FrmFuture tip(app_);
    tip.ShowModal(this);
  }
  StartRecording();
}

void FrmNew::StartRecording() {
  Close();
  main_.Hide();
  app_.ControlBar().Open();
}

bool FrmNew::SetProperty() {
  script::ScriptBuffer& script = app_.script;
  const std::string oldPath = main_.ScriptPathOfName(loadedName_);
  script.SetDescription(txtDescription.text());
  if (!script.ReplaceProgramPath(txtAdressExe.text()) ||
      !script.ReplaceParameters(text::Trim(txtComandLine.text()))) {
    // Nothing is written: the file keeps what it held.
    app_.MessageBox("Свойства не сохранены: путь к программе и параметры в файле '" + oldPath +
                        "' записаны не так, как их записывает Orvanta, и изменить их невозможно.",
                    ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    txtAdressExe.Focus();
    return false;
  }
  script.ScrambleBuffer();
  // The new name keeps the extension as the folder holds it ("x.ovs").
  const std::string& newName = txtNameExe.text();
  const size_t extension = std::string(script::kScriptExtension).size();
  std::string newPath = newName == loadedName_ ? oldPath
                                               : app::AddBackslash(app_.scriptFolder) + newName +
                                                     oldPath.substr(oldPath.size() - extension);
  if (newPath != oldPath) {
    if (app::RenameFile(app_.platform.files, oldPath, newPath)) {
      // The package keeps its place in the library under its new name.
      main_.List1.SetItemText(main_.ItemClick, txtNameExe.text());
      main_.SavePositionList();
    } else {
      app_.MessageBox("Переименнование файла '" + oldPath + "' невозможно.",
                      ui::mb::kOk | ui::mb::kIconInformation, "Переименование невозможно", this);
    }
  }
  script::SaveScript(app_, this, newPath);
  return true;
}

void FrmNew::OnCancel() {
  app_.pendingPackage.programPath.clear();
  Close();
  main_.Show();
}

}  // namespace dialogs
