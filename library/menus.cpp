// The library window's menus and the commands behind them that are not list
// editing: new package, properties, runs, options, help and the maker's pages.
#include "app/maker.h"
#include "app/paths.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmNew.h"
#include "dialogs/frmWizard.h"
#include "engine/frmStels.h"
#include "library/frmMain.h"
#include "shell/installed_programs.h"
#include "shell/mdlAsociating.h"

namespace library {
namespace {

constexpr uint32_t kTopMostAtStartFlags =
    platform::swp::kShowWindow | platform::swp::kNoMove | platform::swp::kNoSize;
const char* const kSpeedItems[] = {"mnuSpd0", "mnuSpd1", "mnuSpd2"};

}  // namespace

void FrmMain::BuildMenus() {
  BuildFileMenu();
  BuildEditMenu();
  ui::MenuItem& view = menu().Add("mnuView", "&Вид");
  view.visible = false;
  view.Add("mnuTopMost", "Поверх всех окон").onClick = [this] { ToggleTopMost(); };
  view.Add("mnuLanguage", "Язык (Language)").enabled = false;
  BuildServiceMenu();
  BuildHelpMenu();
  BuildPopupMenus();
}

void FrmMain::BuildFileMenu() {
  ui::MenuItem& file = menu().Add("mnuFile", "&Файл");
  file.Add("mnuAddFolderOVS", "Выбрать папку OVS").onClick = [this] { ChooseFolderOVS(); };
  file.Add("mnuAddFileOVS", "+Добавить файлы OVS").visible = false;
  file.Add("mnuNewInstall", "Новый пакет", "Ctrl+N").onClick = [this] { NewPackage(); };
  file.Add("", "-");
  file.Add("mnuIso", "Мастер создания диска").onClick = [this] {
    SavePositionList();  // the disc gets the order the list shows now
    dialogs::FrmWizard wizard(app_);
    wizard.ShowModal(this);
    // After a full copy the library is the disc image's script folder.
    app_.scriptFolder = app_.settings.Get(app::setting::kFolderOvs);
    ShowFolder();
  };
  file.Add("", "-");
  file.Add("mnuExit", "Вы&ход").onClick = [this] { Close(ui::CloseReason::User); };
}

void FrmMain::BuildEditMenu() {
  ui::MenuItem& edit = menu().Add("mnuEdit", "Правка");
  edit.Add("mnuSelectAll", "Выделить всё", "Ctrl+A").onClick = [this] { ListSelectAll(); };
  edit.Add("mnuUnselectAll", "Убрать выделение со всех").onClick = [this] { ListUnSelect(); };
  edit.Add("mnuInvertSel", "Инвертировать выделение").onClick = [this] { ListInvertSel(); };
  edit.Add("mnuDelSelect", "Удалить выбранное", "Del").onClick = [this] { DelSelect(); };
  edit.Add("", "-");
  edit.Add("mnuProperty", "Свойства").onClick = [this] { ShowProperty(); };
}

void FrmMain::BuildServiceMenu() {
  ui::MenuItem& service = menu().Add("mnuService", "Сервис");
  ui::MenuItem& runSelect = service.Add("mnuRunSelect", "Установить выбранное", "F5");
  runSelect.enabled = false;
  runSelect.onClick = [this] { ProcRunOVS(); };
  service.Add("mnuRunAll", "Установить всё").onClick = [this] { RunAll(); };
  service.Add("", "-");
  service.Add("mnuControlPanel", "Панель управления").onClick = [this] {
    shell::OpenInstalledProgramsPanel(app_, handle());
  };
  service.Add("", "-");
  service.Add("mnuAsoc", "Сопоставить файлы .ovs").onClick = [this] {
    shell::AssociateAgain(app_, this);
  };
  service.Add("", "-");
  service.Add("mnuParametr", "Параметры").visible = false;
  ui::MenuItem& speed = service.Add("mnuSpeed", "Скорость установки");
  const char* const captions[] = {"Быстрая", "Средняя", "Медленая"};
  for (int k = 0; k < 3; ++k) {
    speed.Add(kSpeedItems[k], captions[k]).onClick = [this, k] { SetSpeed(k); };
  }
}

void FrmMain::BuildHelpMenu() {
  ui::MenuItem& help = menu().Add("mnuHelp", "&Помощь");
  help.Add("mnuHelpCHM", "Содержание справки", "F1").onClick = [this] { OpenHelp(); };
  help.Add("", "-");
  help.Add("mnuLetter", "Написать письмо").onClick = [this] {
    OpenAddress(std::string("mailto:") + app::kMakerMail);
  };
  help.Add("mnuSite", "Сайт").onClick = [this] { OpenAddress(app::kMakerSite); };
  help.Add("mnuFAQ", "Гостевая книга").onClick = [this] { OpenAddress(app::kMakerGuestBook); };
  help.Add("", "-");
  help.Add("mnuAbout", "О программе...").onClick = [this] {
    dialogs::FrmAbout about(app_);
    about.ShowModal(this);
  };
}

void FrmMain::BuildPopupMenus() {
  ui::MenuItem& popup = menu().Add("mnuPopup", "Контекстное меню");
  popup.visible = false;
  popup.Add("mnuNewInstall2", "Новый пакет").onClick = [this] { NewPackage(); };
  ui::MenuItem& runSelect = popup.Add("mnuRunSelect2", "Установить выбранное");
  runSelect.enabled = false;
  runSelect.onClick = [this] { ProcRunOVS(); };
  popup.Add("", "-");
  popup.Add("mnuSelItem2", "Выбрать").onClick = [this] {
    if (size_t(ItemClick) < List1.items().size()) {
      List1.SetItemChecked(ItemClick, true);
      OnItemCheck(ItemClick);
    }
  };
  popup.Add("mnuUnselectOne2", "Снять выделение").onClick = [this] {
    if (size_t(ItemClick) < List1.items().size()) {
      List1.SetItemChecked(ItemClick, false);
      OnItemCheck(ItemClick);
    }
  };
  popup.Add("", "-");
  popup.Add("mnuSelectAll2", "Выделить всё").onClick = [this] { ListSelectAll(); };
  popup.Add("mnuUnselectAll2", "Снять выделение со всех").onClick = [this] { ListUnSelect(); };
  popup.Add("mnuInvertSel2", "Инвертировать выделение").onClick = [this] { ListInvertSel(); };
  popup.Add("", "-");
  popup.Add("mnuDelSelect2", "Удалить выбранное").onClick = [this] { DelSelect(); };
  popup.Add("", "-");
  popup.Add("mnuProperty2", "Свойства...").onClick = [this] { ShowProperty(); };

  ui::MenuItem& paste = menu().Add("mnuPastT", "Вставка");
  paste.visible = false;
  const auto pasteInto = [this](std::function<std::string()> value) {
    return [this, value] { app_.ControlBar().recorder().PasteText(value()); };
  };
  paste.Add("mnuBuffer", "Из буфера обмена").onClick =
      pasteInto([this] { return app_.platform.desktop.ClipboardText(); });
  paste.Add("mnuProgramfiles", "Путь к папке Program Files").onClick =
      pasteInto([this] { return app_.macros.values[0]; });
  paste.Add("mnuUserName", "Имя пользователя").onClick =
      pasteInto([this] { return app_.macros.values[1]; });
  paste.Add("mnuTemp", "Путь к временной папке TEMP").onClick =
      pasteInto([this] { return app_.macros.values[3]; });
}

void FrmMain::NewPackage() {
  if (!VerifyFolderOVS()) return;
  app_.recordingMode = true;
  IsProPertyNotNew = false;
  SavePositionList();
  dialogs::FrmNew dialog(app_);
  dialog.ShowModal(this);
}

void FrmMain::ShowProperty() {
  SavePositionList();
  if (ItemClick < 0 || List1.items().empty()) return;
  IsProPertyNotNew = true;
  dialogs::FrmNew dialog(app_);
  dialog.ShowModal(this);
  LoadList();
  LoadTipText();
}

void FrmMain::RunAll() {
  if (List1.items().empty()) return;
  std::vector<std::string> queue{""};
  for (int i = 0; i < int(List1.items().size()); ++i) queue.push_back(ScriptPathOf(i));
  StartRun(std::move(queue));
}

void FrmMain::ProcRunOVS() {
  std::vector<std::string> queue{""};
  for (int i = 0; i < int(List1.items().size()); ++i) {
    if (List1.items()[i].checked) queue.push_back(ScriptPathOf(i));
  }
  if (queue.size() > 1) StartRun(std::move(queue));
}

void FrmMain::StartRun(std::vector<std::string> queue) {
  app_.recordingMode = false;
  app_.playQueue = std::move(queue);
  app_.currentScriptPath = app_.playQueue[1];
  Hide();
  app_.ControlBar().Open();
}

void FrmMain::SetSpeed(int index) {
  for (int k = 0; k < 3; ++k) Menu(kSpeedItems[k]).checked = k == index;
  MenuChanged();
  app_.settings.Save(app::setting::kSpeed, std::to_string(index));
}

void FrmMain::InicialSpeedMenu() {
  const long long speed = app_.settings.GetNumber(app::setting::kSpeed);
  for (int k = 0; k < 3; ++k) Menu(kSpeedItems[k]).checked = k == speed;
  MenuChanged();
}

void FrmMain::ToggleTopMost() {
  ui::MenuItem& item = Menu("mnuTopMost");
  item.checked = !item.checked;
  app_.platform.desktop.SetWindowPos(
      handle(), item.checked ? platform::ZOrder::Topmost : platform::ZOrder::NotTopmost,
      platform::swp::kZOrderOnly);
  app_.settings.Save(app::setting::kTopMost, item.checked ? "1" : "0");
  MenuChanged();
}

void FrmMain::CheckTopMost() {
  if (app_.settings.GetNumber(app::setting::kTopMost) <= 0) return;
  app_.platform.desktop.SetWindowPos(handle(), platform::ZOrder::Topmost, kTopMostAtStartFlags);
  Menu("mnuTopMost").checked = true;
  MenuChanged();
}

void FrmMain::OpenHelp() {
  const std::string help = app::AddBackslash(app_.platform.system.ProgramFolder()) + "help.chm";
  if (!app::PathExists(app_.platform.files, help)) {
    app_.MessageBox("Отсутствует файл справки", ui::mb::kOk | ui::mb::kIconExclamation, "Ошибка",
                    this);
    return;
  }
  OpenAddress(help);
}

void FrmMain::OpenAddress(const std::string& address) {
  app_.platform.shell.Execute(handle(), "open", address, "", "", platform::kShowNormal);
}

}  // namespace library
