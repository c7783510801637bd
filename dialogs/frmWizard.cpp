#include "dialogs/frmWizard.h"

#include <algorithm>

#include "app/paths.h"
#include "app/startup.h"
#include "dialogs/wizard_copy.h"
#include "platform/text.h"
#include "res/resource_ids.h"
#include "widgets/clsPBar.h"
#include "widgets/frmProgresBar.h"

namespace dialogs {
namespace {

constexpr int kWidth = 440, kHeight = 340;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 84, kButtonHeight = 25;
constexpr int kInner = 400;  // width of a panel's content
constexpr uint32_t kChosenColor = ui::Rgb(0, 128, 0);
constexpr uint32_t kRefusedColor = ui::Rgb(192, 0, 0);
constexpr const char* kCaption = "Мастер создания диска";
constexpr const char* kChoosePath = "Выберите путь";
constexpr const char* kChooseLocation = "Вы должны выбрать расположение";
constexpr const char* kDiscScripts = "%cdrom%\\Folder OVS";
constexpr int kNamesShown = 3;  // packages named on the last page

std::string JoinNames(const std::vector<std::string>& names) {
  std::string out;
  for (size_t i = 0; i < names.size() && i < size_t(kNamesShown); ++i) {
    out += (i ? ", " : "") + names[i];
  }
  if (names.size() > size_t(kNamesShown)) {
    out += " и ещё " + std::to_string(names.size() - kNamesShown);
  }
  return out;
}

}  // namespace

FrmWizard::FrmWizard(app::App& app) : ui::Form(app.platform.ui, "frmWizard"), app_(app) {
  SetBounds({-1, -1, kWidth, kHeight});
  minimizeBox = false;
  for (ui::Frame& panel : frm1) panel.SetBounds({kMargin, 4, kWidth - 2 * kMargin, 298});
  BuildStep1();
  BuildStep2();
  BuildStep3();
  BuildStep4();
  BuildStep5();
  BuildButtons();
  onLoad = [this] { OnLoad(); };
}

FrmWizard::~FrmWizard() = default;

ui::Label& FrmWizard::AddText(ui::Frame& panel, const std::string& text, ui::Rect bounds,
                              bool bold) {
  texts_.push_back(std::make_unique<ui::Label>(*this, "", &panel));
  ui::Label& label = *texts_.back();
  label.SetText(text);
  label.SetBounds(bounds);
  if (bold) label.SetFont(0, true);
  return label;
}

void FrmWizard::BuildStep1() {
  ui::Frame& panel = frm1[0];
  panel.SetText("Путь к папке");
  AddText(panel, "Выберете папку, в которую будут помещены файлы образа будущего диска.",
          {12, 22, kInner, 30});
  AddText(panel, "Для этого сначала создайте новую папку с любым именем.", {12, 54, kInner, 16});
  Command4.SetText("Обзор");
  Command4.SetBounds({12, 80, kButtonWidth, kButtonHeight});
  Command4.onClick = [this] { OnBrowseImage(); };
  Label1.SetText(kChoosePath);
  Label1.SetBounds({104, 84, kInner - 92, 44});
  AddText(panel, "В выбранную папку будут помещены:", {12, 136, kInner, 16});
  AddText(panel, "- Прграмма \"ORVANTA\"", {24, 156, kInner - 12, 16});
  AddText(panel, "- \"FOLDER OVS\"-папка с файлами OVS", {24, 174, kInner - 12, 16});
  AddText(panel, "- Файл \"Autorun.inf\"", {24, 192, kInner - 12, 16});
}

void FrmWizard::BuildStep2() {
  ui::Frame& panel = frm1[1];
  panel.SetText("Каталог расположения OVS-файлов");
  Command5.SetText("...");
  Command5.SetBounds({12, 22, 32, 24});
  Command5.onClick = [this] { OnBrowseScripts(); };
  Label2.SetText(kChoosePath);
  Label2.SetBounds({52, 26, kInner - 40, 30});
  AddText(panel, "В выбранном каталоге обнаруженно:", {12, 62, 290, 16});
  lblCountFile.SetBounds({306, 62, kInner - 294, 16});
  lblDiagnoz.SetBounds({12, 82, kInner, 30});
  lblDiagnoz.SetColors(kRefusedColor, ui::kDefaultColor);
  frmSpeed.SetText("Выберите скорость установки");
  frmSpeed.SetBounds({12, 116, kInner, 56});
  cmbSpeed.SetBounds({12, 22, 150, 120});
  for (const char* speed : {"Быстрая", "Средняя", "Медленно"}) cmbSpeed.AddItem(speed);
  texts_.push_back(std::make_unique<ui::Label>(*this, "", &frmSpeed));
  texts_.back()->SetText("по умолчанию медленно");
  texts_.back()->SetBounds({172, 26, 220, 16});
  chkSoft.SetText("Скопировать программы установки на диск");
  chkSoft.SetBounds({12, 182, kInner, 20});
  AddText(panel,
          "Программа установки каждого пакета будет скопирована в папку \"soft\" образа, а путь "
          "к ней в сценарии на диске станет таким:\n%cdrom%\\soft\\<пакет>\\<файл>\nСценарии "
          "библиотеки не меняются.",
          {30, 204, kInner - 18, 84});
}

void FrmWizard::BuildStep3() {
  ui::Frame& panel = frm1[2];
  AddText(panel, "Проверьте правильность данных:", {12, 18, kInner, 16}, /*bold=*/true);
  const int valueLeft = 236, valueWidth = kInner + 12 - valueLeft;
  const struct {
    const char* caption;
    ui::Label& value;
  } rows[] = {{"Конечная папка образа:", lblDest},
              {"Папка содержащая OVS файлы:", lblsource},
              {"Папка программы Orvanta:", lblProga}};
  int y = 40;
  for (const auto& row : rows) {
    AddText(panel, row.caption, {12, y, valueLeft - 16, 16});
    row.value.SetText("----");
    row.value.SetBounds({valueLeft, y, valueWidth, 26});
    y += 26;
  }
  lblSoft.SetBounds({12, 122, kInner, 16});
  lstSoft.SetBounds({12, 140, kInner, 48});
  lstSoft.SetHorizontalScroll(true);  // long lines are read by scrolling
  lblSoftRule.SetText(SetupCopyRule());
  lblSoftRule.SetBounds({12, 192, kInner, 44});
  lblReady.SetText("Всё готово, для начала копирования");
  lblReady.SetFont(0, true);
  lblReadyHint.SetText(
      "Нажмите кнопку Далее чтобы скопировать подготовленные файлы, создать файлы настроек");
}

void FrmWizard::BuildStep4() {
  AddText(frm1[3], "Отчёт файловых операций", {12, 18, kInner, 16});
  txtLog.SetMultiLine(true);
  txtLog.SetHorizontalScroll(true);
  txtLog.SetBounds({12, 38, kInner, 250});
}

void FrmWizard::BuildStep5() {
  ui::Frame& panel = frm1[4];
  lblManual.SetText("Оставшиеся 2 шага необходимо будет Вам выполнить вручную");
  lblManual.SetFont(0, true);
  lblManual.SetBounds({12, 18, kInner, 30});
  AddText(panel, "Шаг 4.", {12, 52, 46, 16}, /*bold=*/true);
  AddText(panel,
          "Самостоятельно установите порядок следования пакетов в новосозданной папке. "
          "Используя кнопки ",
          {60, 52, kInner - 48, 30});
  imgUp.SetBounds({60, 84, 20, 20});
  imgDown.SetBounds({84, 84, 20, 20});
  AddText(panel, "Шаг 5.", {12, 112, 46, 16}, /*bold=*/true);
  lblStep5.SetText(
      "Самостоятельно измените путь к исполняемым файлам в свойствах проекта. В качестве "
      "буквы CD-ROMa используйте переменную ''%cdrom%''");
  lblStep5.SetBounds({60, 112, kInner - 48, 72});  // room for the names of packages
  lblExample.SetText("Например: \"%cdrom%\\soft\\programa\\programa.exe\"");
  lblExample.SetBounds({60, 186, kInner - 48, 16});
  lblAdvice.SetText(
      "Совет: запишите на диск RW все нужные программы, и просто укажите расположение файлов "
      "на диске. Это позволит избежать ошибок в написании пути к файлам");
  lblAdvice.SetBounds({12, 212, kInner, 58});
}

void FrmWizard::BuildButtons() {
  const int top = kHeight - kMargin - kButtonHeight;
  const int cancelLeft = kWidth - kMargin - kButtonWidth;
  const int nextLeft = cancelLeft - 12 - kButtonWidth;
  cmdPrev.SetText("< Назад");
  cmdPrev.SetBounds({nextLeft - 2 - kButtonWidth, top, kButtonWidth, kButtonHeight});
  cmdPrev.onClick = [this] { OnPrev(); };
  cmdNext.SetText("Далее >");
  cmdNext.SetDefault(true);
  cmdNext.SetBounds({nextLeft, top, kButtonWidth, kButtonHeight});
  cmdNext.onClick = [this] { OnNext(); };
  cmdCancel.SetText("Отмена");
  cmdCancel.SetCancel(true);
  cmdCancel.SetBounds({cancelLeft, top, kButtonWidth, kButtonHeight});
  cmdCancel.onClick = [this] { OnCancel(); };
}

void FrmWizard::OnLoad() {
  const long long speed = app_.settings.GetNumber(app::setting::kSpeed);
  cmbSpeed.SetSelectedIndex(speed >= 0 && speed <= 2 ? int(speed) : -1);
  imageFolder_.clear();
  sourceFolder_.clear();
  operationLog_.clear();
  ShowStep(0);
  cmdPrev.SetEnabled(false);
  cmdNext.SetEnabled(false);
  imgUp.SetPicture(IDB_MOVE_UP);
  imgDown.SetPicture(IDB_MOVE_DOWN);
}

// Shows the panel of `step` and, on it, what the choices so far call for.
void FrmWizard::ShowStep(int step) {
  currentStep_ = step;
  const bool setups = chkSoft.checked();
  for (ui::Control* c : controls()) {
    const ui::Control* top = c;
    while (top->container()) top = top->container();
    const auto panel = std::find_if(std::begin(frm1), std::end(frm1),
                                    [top](const ui::Frame& f) { return &f == top; });
    if (panel == std::end(frm1)) continue;
    bool visible = panel - std::begin(frm1) == step;
    if (c == &lblSoft || c == &lstSoft || c == &lblSoftRule) visible = visible && setups;
    if (c == &lblExample || c == &lblAdvice) visible = visible && !setupsDone_;
    c->SetVisible(visible);
  }
  const int readyTop = setups ? 242 : 128;
  lblReady.SetBounds({12, readyTop, kInner, 16});
  lblReadyHint.SetBounds({12, readyTop + 18, kInner, 30});
  SetCaption(std::string(kCaption) + " (Шаг " + std::to_string(step + 1) + " из " +
             std::to_string(kSteps) + ")");
}

void FrmWizard::ShowChosen(ui::Label& label, const std::string& text, bool chosen) {
  label.SetText(text);
  label.SetColors(chosen ? kChosenColor : kRefusedColor, ui::kDefaultColor);
}

void FrmWizard::OnBrowseImage() {
  cmdNext.SetEnabled(false);
  const auto chosen = app_.platform.ui.BrowseForFolder(
      this, "Укажите месторасположение будущего образа диска. Папка должна быть пуста");
  if (!chosen || chosen->empty()) {
    ShowChosen(Label1, kChooseLocation, false);
    return;
  }
  ShowChosen(Label1, *chosen, true);
  cmdNext.SetEnabled(true);
  imageFolder_ = *chosen;
}

bool FrmWizard::IsImageScriptFolder(const std::string& folder) const {
  return text::EqualsNoCase(app::AddBackslash(folder),
                            app::AddBackslash(app::AddBackslash(imageFolder_) + kDiscScriptFolder));
}

void FrmWizard::OnBrowseScripts() {
  cmdNext.SetEnabled(false);
  const auto chosen =
      app_.platform.ui.BrowseForFolder(this, "Выберите папку содержащую файлы .OVS");
  if (!chosen || chosen->empty()) {
    ShowChosen(Label2, kChooseLocation, false);
    lblDiagnoz.SetText("");
    lblCountFile.SetText("");
    return;
  }
  ShowChosen(Label2, *chosen, true);
  const size_t count =
      ScriptFilesInOrder(app_.platform.files, app_.platform.system, *chosen).size();
  lblCountFile.SetText(std::to_string(count) + " - файлов");
  if (count == 0) {
    lblDiagnoz.SetText("Вы должны выбрать папку, в которой содержиться как минимум 1 файл OVS");
    return;
  }
  // The image's own scripts would be copied onto themselves.
  if (IsImageScriptFolder(*chosen)) {
    lblDiagnoz.SetText(
        "Это папка \"Folder OVS\" самого образа. Выберите другую папку с файлами "
        "OVS или другую папку для образа");
    return;
  }
  lblDiagnoz.SetText("");
  sourceFolder_ = *chosen;
  cmdNext.SetEnabled(true);
}

void FrmWizard::OnNext() {
  cmdNext.SetEnabled(false);
  cmdPrev.SetEnabled(true);
  switch (currentStep_) {
    case 1:
      LeaveScriptsStep();
      break;
    case 2:
      Copy();
      break;
    case 3:
      cmdNext.SetText("Финиш");
      cmdPrev.SetEnabled(false);
      cmdNext.SetEnabled(true);
      break;
    case 4:
      Close();
      return;
    default:
      break;  // step 1: step 2 waits for a script folder
  }
  ShowStep(currentStep_ + 1);
  FocusStep();
}

void FrmWizard::OnPrev() {
  if (currentStep_ != 1 && currentStep_ != 2) return;
  cmdPrev.SetEnabled(currentStep_ == 2);
  ShowStep(currentStep_ - 1);
  cmdNext.SetEnabled(true);
  FocusStep();
}

// A button that was pressed and then disabled has lost the keyboard focus;
// without this, Enter and Escape would reach nothing.
void FrmWizard::FocusStep() {
  if (cmdNext.enabled()) {
    cmdNext.Focus();
  } else if (currentStep_ <= 1) {
    (currentStep_ == 0 ? Command4 : Command5).Focus();
  } else {
    cmdCancel.Focus();
  }
}

void FrmWizard::OnCancel() {
  const int answer = app_.MessageBox("Вы действительно хотите прервать работу мастера?",
                                     ui::mb::kYesNo | ui::mb::kIconQuestion, app::kAppTitle, this);
  if (answer == ui::mb::kIdYes) Close();
}

void FrmWizard::LeaveScriptsStep() {
  const int index = cmbSpeed.selectedIndex();
  speed_ = index >= 0 && index <= 2 ? index : 0;
  // One message is enough when the file cannot be written; the disc's own
  // copy gets both values when the files are copied.
  if (app::WriteGeneralSetting(app_, "SpeedInstall", std::to_string(speed_))) {
    app::WriteGeneralSetting(app_, "OVSFolder", kDiscScripts);
  }
  cmdNext.SetEnabled(true);
  lblDest.SetText(imageFolder_);
  lblsource.SetText(sourceFolder_);
  lblProga.SetText(app_.platform.system.ProgramFolder());
  ShowSetupPlan();
}

void FrmWizard::ShowSetupPlan() {
  lstSoft.ClearItems();
  setups_ = {};
  if (!chkSoft.checked()) return;
  setups_ = PlanSetupCopies(app_, sourceFolder_, imageFolder_);
  std::string summary = "Программы установки в папку \"soft\": " +
                        DescribeAmount(setups_.FileCount(), setups_.Bytes());
  const int problems = setups_.Problems();
  if (problems > 0) summary += "; не найдено: " + std::to_string(problems);
  lblSoft.SetText(summary);
  lblSoft.SetColors(problems > 0 ? kRefusedColor : ui::kDefaultColor, ui::kDefaultColor);
  for (const SetupCopy& copy : setups_.packages) lstSoft.AddItem(DescribeSetupCopy(copy));
}

void FrmWizard::Copy() {
  cmdNext.SetEnabled(true);
  const SetupPlan* setups = chkSoft.checked() ? &setups_ : nullptr;
  ImageCopy copy(app_, this, imageFolder_, sourceFolder_, speed_);
  bool copied;
  {
    widgets::FrmProgresBar progress(app_);
    progress.Label1.SetText("Копирование файлов");
    widgets::ClsPBar bar;
    bar.Max = copy.FilesToCopy(setups);
    copy.onFileCopied = [&] {
      ++bar.Value;
      bar.ShowProgress(progress.pctProgres);
    };
    progress.Show();
    copied = copy.CopyAllFiles(setups);
    copy.onFileCopied = nullptr;
    progress.Close();
  }
  const bool autorun = copy.CreateAutorunIni();
  operationLog_ += copy.log;
  if (copied && autorun) {
    app_.settings.Save(app::setting::kFolderOvs,
                       app::AddBackslash(imageFolder_) + kDiscScriptFolder);
    operationLog_ += "Процесс копирования завершён успешно";
  } else {
    app_.MessageBox(
        "Не все файлы были скопированы.\r\nВозможно Вы не обладаете правами доступа, \r\n"
        "папка только для чтения\r\nили не достаточно места.",
        ui::mb::kOk | ui::mb::kIconExclamation, app::kAppTitle, this);
    operationLog_ += "Процесс копирования провален";
  }
  txtLog.SetText(operationLog_);
  cmdNext.SetText("Далее");
  cmdPrev.SetEnabled(false);
  ShowManualSteps(copy);
}

// With the setup programs copied, the last page no longer asks for what the
// wizard has done.
void FrmWizard::ShowManualSteps(const ImageCopy& copy) {
  if (!chkSoft.checked()) return;
  if (copy.setupFailures.empty()) {
    lblManual.SetText("Остался 1 шаг, который необходимо будет Вам выполнить вручную");
    lblStep5.SetText(
        "Выполнен мастером: программы установки скопированы в папку \"soft\" образа, а пути к "
        "ним в сценариях на диске заменены на \"%cdrom%\\soft\\...\".");
    setupsDone_ = true;
    return;
  }
  lblStep5.SetText("Мастер не смог перенести на диск программы установки пакетов " +
                   JoinNames(copy.setupFailures) +
                   ". Для них самостоятельно измените путь к исполняемым файлам в свойствах "
                   "проекта. В качестве буквы CD-ROMa используйте переменную ''%cdrom%''");
}

}  // namespace dialogs
