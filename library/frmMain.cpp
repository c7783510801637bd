#include "library/frmMain.h"

#include "app/paths.h"
#include "app/safe_write.h"
#include "app/version.h"
#include "library/library_order.h"
#include "platform/text.h"
#include "res/resource_ids.h"
#include "script/save_script.h"
#include "shell/mdlAsociating.h"
#include "widgets/clsPBar.h"
#include "widgets/frmProgresBar.h"

namespace library {
namespace {

constexpr const char* kChooseFolder = "Выберите папку";
constexpr int kWidth = 480, kHeight = 400;

}  // namespace

FrmMain::FrmMain(app::App& app) : ui::Form(app.platform.ui, "frmMain"), app_(app) {
  SetBounds({-1, -1, kWidth, kHeight});
  BuildControls();
  BuildMenus();
  onLoad = [this] { OnLoad(); };
  onQueryClose = [this](ui::CloseReason) { return OnQueryClose(); };
}

std::string FrmMain::BuildCaption() {
  return "Orvanta (Build " + std::to_string(ORVANTA_VERSION_MAJOR) + "." +
         std::to_string(ORVANTA_VERSION_MINOR) + "." + std::to_string(ORVANTA_VERSION_REVISION) +
         ")";
}

void FrmMain::BuildControls() {
  Frame1.SetText("Каталог расположения OVS-файлов");
  Frame1.SetBounds({8, 4, kWidth - 16, 52});
  Label1.SetText("d:\\temp");
  Label1.SetBounds({18, 26, kWidth - 80, 20});
  Command2.SetText("...");
  Command2.SetBounds({kWidth - 56, 22, 32, 24});
  Command2.onClick = [this] { ChooseFolderOVS(); };
  List1.SetBounds({8, 64, kWidth - 48, kHeight - 100});
  List1.onItemCheck = [this](int line) { OnItemCheck(line); };
  List1.onMouseUp = [this](const ui::MouseInfo& m) { OnListMouseUp(m); };
  List1.onMouseMove = [this](const ui::MouseInfo& m) { OnListMouseMove(m); };
  cmdMoveUp.SetBounds({kWidth - 34, 64, 26, 26});
  cmdMoveUp.SetTooltip("Переместить вверх");
  cmdMoveUp.onClick = [this] { MoveUp(); };
  cmdMoveDown.SetBounds({kWidth - 34, 94, 26, 26});
  cmdMoveDown.SetTooltip("Переместить вниз");
  cmdMoveDown.onClick = [this] { MoveDown(); };
  lblCount.SetTooltip("Количество выбранных пакетов");
  lblCount.SetBounds({8, kHeight - 28, 110, 20});
  lblStatus.SetText("Строка сотояния");
  lblStatus.SetBounds({124, kHeight - 28, kWidth - 132, 20});
}

void FrmMain::OnLoad() {
  CheckTopMost();
  app_.scriptFolder = app_.settings.Get(app::setting::kFolderOvs);
  ShowFolder();
  SetCaption(BuildCaption());
  shell::RunAssociationOnce(app_, this);
  InicialSpeedMenu();
  cmdMoveDown.SetPicture(IDB_MOVE_DOWN);
  cmdMoveUp.SetPicture(IDB_MOVE_UP);
}

// Shows the library folder and its packages, or asks for a folder.
void FrmMain::ShowFolder() {
  if (app_.scriptFolder.empty()) {
    Label1.SetText(kChooseFolder);
    lblStatus.SetText(kChooseFolder);
    List1.ClearItems();
    tipTexts_.clear();
    lblCount.SetText("");
    return;
  }
  Label1.SetText(app_.scriptFolder);
  LoadList();
  LoadTipText();
}

bool FrmMain::OnQueryClose() {
  SavePositionList();
  return true;
}

std::string FrmMain::ScriptPathOf(int line) const {
  return ScriptPathOfName(List1.items()[line].text);
}

std::string FrmMain::ScriptPathOfName(const std::string& name) const {
  return ScriptPathIn(app_.scriptFolder, scriptFiles_, name);
}

void FrmMain::LoadList() {
  ++listGeneration_;
  List1.ClearItems();
  tipTexts_.clear();
  lastTipIndex_ = -2;
  scriptFiles_.clear();
  const auto names = ListPackages(app_.platform.files, app_.scriptFolder, &scriptFiles_);
  if (!names) {
    app_.scriptFolder.clear();
    Label1.SetText(kChooseFolder);
    lblStatus.SetText("Ошибка: Выберите существующий каталог");
    lblCount.SetText("");
    return;
  }
  for (const std::string& name : *names) List1.AddItem(name);
  lblStatus.SetText("");
  CheckCount();
  LoadPositionList();
}

void FrmMain::CheckCount() {
  int checked = 0;
  for (const ui::ListItem& item : List1.items()) checked += item.checked ? 1 : 0;
  lblCount.SetText(std::to_string(checked) + " из " + std::to_string(List1.items().size()));
}

void FrmMain::LoadPositionList() {
  if (List1.items().empty() || app_.scriptFolder.empty()) return;
  std::vector<std::string> names;
  for (const ui::ListItem& item : List1.items()) names.push_back(item.text);
  ApplyPositionList(names, ReadPositionList(app_.platform.files, app_.platform.system,
                                            app_.scriptFolder));
  for (size_t i = 0; i < names.size(); ++i) List1.SetItemText(int(i), names[i]);
}

void FrmMain::SavePositionList() {
  if (List1.items().empty() || app_.scriptFolder.empty()) return;
  std::vector<std::string> names;
  for (const ui::ListItem& item : List1.items()) names.push_back(item.text);
  // Through a temporary file: a failed write never leaves a cut list behind.
  app::WriteFileReplacing(app_.platform.files,
                          PositionListPath(app_.platform.files, app_.scriptFolder),
                          EncodePositionList(app_.platform.system, names));
}

std::string FrmMain::TipFor(int line) {
  const std::string& name = List1.items()[line].text;
  script::ScriptBuffer& script = app_.script;
  if (!script.LoadPlainScript(app_.platform.files, ScriptPathOf(line))) return "Файл повреждён";
  const std::string program = app_.Expand(script.ReadProgramPath());
  if (!app::PathExists(app_.platform.files, program)) return "Не найден исполняемый файл";
  const std::string description = text::Trim(app::StripTrailingNuls(script.ReadDescription()));
  return description.empty() ? name : name + " - " + description;
}

void FrmMain::LoadTipText() {
  const int count = static_cast<int>(List1.items().size());
  if (count == 0) return;
  widgets::ClsPBar bar;
  bar.Min = 0;
  widgets::FrmProgresBar progress(app_);
  progress.Show();
  tipTexts_.assign(size_t(count), std::string());
  // The progress lets the user act meanwhile: a list loaded again (another
  // folder chosen) reads its own hints, and this reading stops.
  const int generation = listGeneration_;
  for (int i = 0; i < count && generation == listGeneration_ && i < int(tipTexts_.size()); ++i) {
    if (!app::PathExists(app_.platform.files, ScriptPathOf(i))) {
      tipTexts_[i] = "Файл не найден";
      continue;
    }
    lblStatus.SetText("Загрузка " + std::to_string(i + 1) + " из " + std::to_string(count));
    bar.Max = count;
    bar.Value = i + 1;
    bar.ShowProgress(progress.pctProgres);
    if (generation != listGeneration_) break;
    tipTexts_[i] = TipFor(i);
  }
  if (generation == listGeneration_) lblStatus.SetText("");
  progress.Close();
}

void FrmMain::OnListMouseMove(const ui::MouseInfo& mouse) {
  if (List1.items().empty()) {
    List1.SetTooltip("");
    return;
  }
  const int line = app_.platform.ui.ItemFromPoint(*this, List1, mouse.x, mouse.y);
  if (line < 0) {
    List1.SetTooltip("");
    lastTipIndex_ = -2;
  } else if (line != lastTipIndex_) {
    List1.SetTooltip(size_t(line) < tipTexts_.size() ? tipTexts_[line] : std::string());
    lastTipIndex_ = line;
  }
}

void FrmMain::ChooseFolderOVS() {
  Label1.SetText("");
  const auto chosen =
      app_.platform.ui.BrowseForFolder(this, "Выберите папку содержащую файлы .OVS");
  if (chosen && !chosen->empty()) app_.scriptFolder = *chosen;
  if (app_.scriptFolder.empty()) {
    Label1.SetText(kChooseFolder);
    return;
  }
  Label1.SetText(app_.scriptFolder);
  LoadList();
  LoadTipText();
  if (!app_.scriptFolder.empty()) app_.settings.Save(app::setting::kFolderOvs, app_.scriptFolder);
}

bool FrmMain::VerifyFolderOVS() {
  if (!app_.scriptFolder.empty()) return true;
  app_.MessageBox(
      "Дальнейшая работа не возможна.\r\nВыберите пожалуйста папку для сохранения файлов OVS.",
      ui::mb::kOk | ui::mb::kIconExclamation, "Внимание", this);
  return false;
}

}  // namespace library
