#include "engine/frmStels.h"

#include "library/frmMain.h"
#include "res/resource_ids.h"
#include "shell/installed_programs.h"

namespace engine {
namespace {

using namespace bar_layout;

constexpr int kFullHeight = kPanelTop + kPanelHeight;
constexpr int kActLeft = 48, kActTop = 20, kActHeight = 23;

// Layout of the text panel, in client pixels below the strip.
constexpr int kPanelMargin = 8, kPanelButtonWidth = 100, kPanelButtonHeight = 25;

}  // namespace

FrmStels::FrmStels(app::App& app)
    : ui::Form(app.platform.ui, "frmStels"),
      app_(app),
      recorder_(std::make_unique<Recorder>(app, *this)),
      player_(std::make_unique<Player>(app, *this)) {
  toolWindow = true;
  minimizeBox = false;
  BuildControls();
  WireHandlers();
}

FrmStels::~FrmStels() {
  if (app_.controlBar == this) app_.controlBar = nullptr;
}

void FrmStels::BuildControls() {
  imgLogo.SetBounds({8, 6, 32, 32});
  imgLogo.SetPicture(1);  // the program's icon
  lblCaption.SetFont(12, /*bold=*/true, /*monospace=*/true);
  lblCaption.SetText("Запись");
  lblKolvoProg.SetFont(12, /*bold=*/true);
  lblKolvoProg.SetText("1/1");
  lblKolvoProg.SetBounds({272, 10, 64, 22});
  Line7.SetBounds({342, 0, 1, kStripHeight});
  Line7.SetColors(ui::kDefaultColor, ui::Rgb(128, 128, 128));
  imgPlay.SetTooltip("Продолжить установку");
  imgPause.SetTooltip("Режим Паузы");
  imgStop.SetTooltip("Остановить Запись/Воспроизведение");
  imgPlayNext.SetTooltip("Перейти к установке следующего пакета");
  imgPlay.SetPicture(IDB_PLAY);
  imgPause.SetPicture(IDB_PAUSE);
  imgStop.SetPicture(IDB_STOP);
  imgPlayNext.SetPicture(IDB_PLAY_NEXT);

  const int panelWidth = kStripWidth - 2 * kPanelMargin;
  Text1.SetBounds({kPanelMargin, kPanelTop + 8, panelWidth, 23});
  chkFilter.SetText("Фильтр");
  chkFilter.SetTooltip("Уберите галочку, если Вы не можете вставить текст в текстовое поле");
  chkFilter.SetBounds({kPanelMargin, kPanelTop + 38, 100, 20});
  chkReplace.SetText("Автозамена");
  chkReplace.SetBounds({kPanelMargin + 110, kPanelTop + 38, 120, 20});
  const int buttonTop = kPanelTop + 66;
  Command1.SetText("Вставить");
  Command1.SetTooltip("Вставить данные из буфера обмена");
  Command1.SetBounds({kPanelMargin, buttonTop, kPanelButtonWidth, kPanelButtonHeight});
  cmdBrowse.SetText("Обзор");
  cmdBrowse.SetTooltip("Вызвать окно выбора папки");
  cmdBrowse.SetBounds(
      {kPanelMargin + kPanelButtonWidth + 8, buttonTop, kPanelButtonWidth, kPanelButtonHeight});
  Command3.SetText("Панель");
  Command3.SetTooltip("Панель управления: Установка и удаление программ");
  Command3.SetBounds({kStripWidth - kPanelMargin - kPanelButtonWidth, buttonTop,
                      kPanelButtonWidth, kPanelButtonHeight});
  lblStatus.SetText("Строка информации");
  lblStatus.SetBounds({kPanelMargin, buttonTop + 36, panelWidth, kFullHeight - buttonTop - 44});
}

void FrmStels::WireHandlers() {
  onLoad = [this] { OnLoad(); };
  onQueryClose = [this](ui::CloseReason reason) { return OnQueryClose(reason); };
  onUnload = [this] {
    recorder_->Unhook();
    Timer1.SetEnabled(false);
    tmrDo.SetEnabled(false);
    tmrExit.SetEnabled(false);
    tmrReact.SetEnabled(false);
    if (!app_.recordingMode) player_->LetMachineGo();
    app_.controlBar = nullptr;
  };
  onSessionEnd = [this] {
    if (!app_.recordingMode) player_->OnSessionEnd();
  };
  onMouseDown = [this](const ui::MouseInfo& m) { StartDrag(m); };
  for (ui::Label* label : {&lblAct, &lblCaption, &lblKolvoProg}) {
    label->onMouseDown = [this](const ui::MouseInfo& m) { StartDrag(m); };
  }
  Timer1.onTick = [this] { lblCaption.SetVisible(!lblCaption.visible()); };
  tmrDo.onTick = [this] { player_->OnStepTick(); };
  tmrExit.onTick = [this] { player_->OnAdvanceTick(); };
  tmrReact.onTick = [this] { player_->OnReactTick(); };
  imgPause.onClick = [this] { OnPauseClick(); };
  imgPlay.onClick = [this] { OnPlayClick(); };
  imgStop.onClick = [this] { OnStopClick(); };
  imgPlayNext.onClick = [this] { player_->Next(); };
  Text1.onChange = [this] { recorder_->OnTextChanged(); };
  Text1.onMouseMove = [this](const ui::MouseInfo&) { recorder_->OnTextHover(); };
  chkFilter.onClick = [this] { recorder_->OnFilterClick(); };
  chkFilter.onMouseMove = [this](const ui::MouseInfo&) { recorder_->OnFilterHover(); };
  imgPlay.onMouseMove = [this](const ui::MouseInfo&) {
    if (app_.recordingMode) recorder_->OnPlayHover();
  };
  Command1.onClick = [this] { PopupMenu(app_.MainWindow().mnuPastT()); };
  cmdBrowse.onClick = [this] { recorder_->InsertFolderPath(); };
  Command3.onClick = [this] { shell::OpenInstalledProgramsPanel(app_, handle()); };
}

void FrmStels::Open() {
  if (IsOpen()) Close();
  Show();
}

void FrmStels::OnLoad() {
  app_.controlBar = this;
  firstDo = false;
  player_->Reset();
  chkFilter.SetChecked(true);
  chkReplace.SetChecked(true);
  Text1.SetText("");
  lblAct.SetText("");
  KeepOnTop();
  app_.statistics.ClearStatistics();
  PositionForm();
  if (app_.recordingMode) {
    recorder_->Record();
    recorder_->StartApp();
  } else {
    player_->ReadSpeedSetting();
    player_->Play();
  }
  firstDo = false;
}

void FrmStels::KeepOnTop() {
  if (IsOpen()) {
    app_.platform.desktop.SetWindowPos(handle(), platform::ZOrder::Topmost, platform::swp::kZOrderOnly);
  }
}

void FrmStels::PositionForm() {
  const int dpi = app_.platform.ui.Dpi();
  const int screenWidth = ui::FromScreenPixels(app_.platform.system.ScreenWidth(), dpi);
  const int left = (screenWidth - kStripWidth) / 2;
  SetBounds({left, kTop, kStripWidth, kStripHeight});
  // The strip and the panel, without the band between them.
  SetRegion({{0, 0, kStripWidth, kStripHeight}, {0, kPanelTop, kStripWidth, kPanelHeight}});
}

void FrmStels::ShowTextPanel(bool show) {
  ui::Rect b = bounds();
  b.height = show ? kFullHeight : kStripHeight;
  SetBounds(b);
}

void FrmStels::RecordingLayout() {
  imgPause.SetBounds({384, kButtonTop, kButtonSize, kButtonSize});
  imgPlay.SetBounds({384, kButtonTop, kButtonSize, kButtonSize});
  imgStop.SetBounds({416, kButtonTop, kButtonSize, kButtonSize});
  imgPause.SetVisible(true);
  imgPlay.SetVisible(false);
  imgPlayNext.SetVisible(false);
  Line7.SetVisible(false);
  lblKolvoProg.SetVisible(false);
  lblCaption.SetBounds({104, 2, 240, 20});
  lblAct.SetBounds({kActLeft, kActTop, 313, kActHeight});
  ShowTextPanel(false);
}

void FrmStels::PlaybackLayout() {
  imgPlay.SetBounds({352, kButtonTop, kButtonSize, kButtonSize});
  imgPause.SetBounds({352, kButtonTop, kButtonSize, kButtonSize});
  imgStop.SetBounds({384, kButtonTop, kButtonSize, kButtonSize});
  imgPlayNext.SetBounds({416, kButtonTop, kButtonSize, kButtonSize});
  imgPause.SetVisible(true);
  imgPlay.SetVisible(false);
  imgPlayNext.SetVisible(true);
  Line7.SetVisible(true);
  lblKolvoProg.SetVisible(true);
  lblCaption.SetBounds({kActLeft, 2, 220, 20});
  lblAct.SetBounds({kActLeft, kActTop, 220, kActHeight});
  ShowTextPanel(false);
}

void FrmStels::OnPauseClick() {
  if (app_.recordingMode) {
    recorder_->Pause();
  } else {
    player_->PausePlay();
  }
}

void FrmStels::OnPlayClick() {
  if (app_.recordingMode) {
    if (!recorder_->RecordAfterPause()) return;  // still paused
    lblAct.SetText("");
  } else {
    player_->PlayAfterPause();
  }
  imgPlay.SetVisible(false);
  imgPause.SetVisible(true);
}

// Logging off is refused, except between two packages of a run that goes
// on after the restart. A close by the system menu, Alt+F4 or a polite
// taskkill is a stop: the recording is saved, the run reports, and the
// library window returns (or the program ends) instead of a hidden process
// holding on to the single-instance semaphore.
bool FrmStels::OnQueryClose(ui::CloseReason reason) {
  if (reason == ui::CloseReason::SessionEnd) {
    return !app_.recordingMode && player_->SessionMayEnd();
  }
  if (reason != ui::CloseReason::User || stopping_) return true;
  OnStopClick();
  return !IsOpen();
}

// The press point is in screen pixels, the bar's bounds at 96 dots per inch.
void FrmStels::MoveAwayFrom(platform::Point screen) {
  const ui::Rect b = bounds();
  const int dpi = app_.platform.ui.Dpi();
  const int y = ui::FromScreenPixels(screen.y, dpi);
  if (y < b.y || y >= b.y + b.height) return;
  const int screenHeight = ui::FromScreenPixels(app_.platform.system.ScreenHeight(), dpi);
  const bool atTop = b.y + b.height / 2 < screenHeight / 2;
  // Clear of a taskbar at the bottom, as far from the point as the screen allows.
  constexpr int kBottomMargin = 48;
  SetBounds({b.x, atTop ? screenHeight - b.height - kBottomMargin : kTop, b.width, b.height});
}

void FrmStels::OnStopClick() {
  if (stopping_) return;
  stopping_ = true;
  recorder_->Unhook();
  if (app_.recordingMode) {
    recorder_->Stop();
  } else {
    player_->Stop();
  }
  stopping_ = false;
}

void FrmStels::ReturnToLibrary() {
  if (!app_.unattended) {
    library::FrmMain& library = app_.MainWindow();
    library.Show();
    library.LoadList();  // a new script, or what the stopped run changed
    library.LoadTipText();
  }
  Close();
}

void FrmStels::StartDrag(const ui::MouseInfo& mouse) {
  if (mouse.button == ui::MouseButton::Left) BeginDrag();
}

}  // namespace engine
