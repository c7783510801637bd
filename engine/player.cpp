#include "engine/player.h"

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/frmStat.h"
#include "engine/frmStels.h"
#include "engine/run_report.h"
#include "engine/window_finder.h"
#include "library/frmMain.h"

namespace engine {
namespace {

using dialogs::stat_result::kCompleted;
using dialogs::stat_result::kInterrupted;
using dialogs::stat_result::kNotStarted;

constexpr int kQuietTicksAfterBlock = 3;
constexpr int kQuietTicksBetweenAttempts = 13;
constexpr int kForegroundAttempts = 3;

std::string StartFailureText(script::StartFailure failure) {
  switch (failure) {
    case script::StartFailure::ScriptMissing: return "сценарий не найден";
    case script::StartFailure::ScriptDamaged: return "сценарий повреждён";
    case script::StartFailure::VersionUnsupported: return "версия сценария не поддерживается";
    case script::StartFailure::ProgramMissing: return "программа установки не найдена";
    case script::StartFailure::LaunchFailed: return "программа установки не запустилась";
    case script::StartFailure::None: break;
  }
  return {};
}

}  // namespace

Player::Player(app::App& app, FrmStels& bar) : app_(app), bar_(bar) {}

void Player::Reset() {
  speedIndex_ = 2;
  workingInterval_ = speed::kIntervals[2];
  fastMode_ = false;
  waitCountdown_ = attemptCount_ = missCount_ = 0;
  inStepTick_ = packageOpen_ = false;
  queueIndex_ = 0;
  waiting_ = Waiting::None;
  failures_.clear();
}

void Player::ReadSpeedSetting() {
  long long value = app_.settings.GetNumber(app::setting::kSpeed);
  if (app_.unattended && app_.unattended->speed >= 0) value = app_.unattended->speed;
  // A stored speed outside 0..2 keeps the slow speed set by Reset.
  if (value < 0 || value > 2) return;
  speedIndex_ = static_cast<int>(value);
  workingInterval_ = speed::kIntervals[speedIndex_];
}

int Player::QueueSize() const {
  return app_.playQueue.empty() ? 0 : static_cast<int>(app_.playQueue.size()) - 1;
}

void Player::Play() {
  bar_.lblCaption.SetText(app::FileTitleOfPath(app_.currentScriptPath));
  bar_.lblCaption.SetVisible(true);
  bar_.PlaybackLayout();
  bar_.lblKolvoProg.SetText("1/" + std::to_string(QueueSize()));
  bar_.lblAct.SetText("Чтение файла \r\n" + app_.currentScriptPath);
  app_.currentScriptPath.clear();
  queueIndex_ = 0;
  bar_.tmrExit.SetEnabled(true);
}

void Player::OnAdvanceTick() {
  bar_.tmrExit.SetEnabled(false);
  // The position in the queue, not the path, says which script comes next,
  // so a queue that names one script twice still ends.
  if (queueIndex_ < QueueSize()) {
    StartNextScript();
  } else {
    FinishQueue();
  }
}

void Player::StartNextScript() {
  bar_.KeepOnTop();
  ++queueIndex_;
  app_.currentScriptPath = app_.playQueue[queueIndex_];
  bar_.lblKolvoProg.SetText(std::to_string(queueIndex_) + "/" + std::to_string(QueueSize()));
  app_.statistics.BeginStatEntry(CurrentName());
  packageOpen_ = true;
  ++packageNumber_;
  bar_.lblAct.SetText("Чтение файла \r\n" + app_.currentScriptPath);
  bar_.lblCaption.SetText(CurrentName());
  script::StartFailure why = script::StartFailure::None;
  if (!script::StartScript(app_, app_.currentScriptPath, &why)) {
    // The entry is closed already, with result 0.
    RecordFailure(StartFailureText(why), /*withWindow=*/false);
    packageOpen_ = false;
  }
}

void Player::FinishQueue() {
  if (!app_.unattended) app_.MainWindow().Show();
  bar_.Hide();
  ShowResults();
  bar_.Close();
}

void Player::NextDo() {
  script::ScriptBuffer& script = app_.script;
  if (script.ReadNextBlock()) {
    bar_.tmrDo.SetEnabled(true);
    waiting_ = Waiting::None;
    waitingSinceMs_ = app_.platform.system.TickCountMs();
    return;
  }
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(true);
  // A block that cannot be read is a damaged script, not a finished one.
  if (script.readFailed()) {
    EndPackage(kNotStarted, "сценарий повреждён", /*withWindow=*/false);
  } else {
    EndPackage(kCompleted, {}, false);
  }
}

void Player::OnStepTick() {
  // The replay lets the message queue run; a tick must not start inside it.
  if (inStepTick_) return;
  inStepTick_ = true;
  const platform::WindowHandle target =
      FindTargetWindow(app_.platform.desktop, app_.platform.system, app_.script.block.windowPath);
  if (target == 0) {
    OnTargetMissing();
  } else {
    OnTargetFound(target);
  }
  inStepTick_ = false;
}

void Player::RestartStepTimer(int interval) {
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrDo.SetInterval(interval);
  bar_.tmrDo.SetEnabled(true);
}

void Player::OnTargetMissing() {
  if (fastMode_ && ++missCount_ >= speed::kMissesBeforeSlowSearch) {
    RestartStepTimer(speed::kSearchInterval);
    fastMode_ = false;
  }
  bar_.lblAct.SetText("Поиск окна");
  waiting_ = Waiting::NotFound;
  if (TimedOut()) GiveUp("окно не найдено");
}

void Player::OnTargetFound(platform::WindowHandle target) {
  if (!fastMode_) {
    fastMode_ = true;
    RestartStepTimer(workingInterval_);
  }
  missCount_ = 0;
  const int package = packageNumber_;
  const bool replayed = script::ReplayBlockEvents(app_, target);
  // Next or stop may have been pressed while the gesture was injected.
  if (package != packageNumber_ || !packageOpen_ || !bar_.IsOpen()) return;
  if (replayed) {
    script::CurrentBlock& block = app_.script.block;
    if (!block.blockText.empty() && block.blockText != std::string(1, '\0')) {
      script::PutBlockText(app_, target);
      block.blockText.clear();
    }
    bar_.tmrDo.SetEnabled(false);
    NextDo();
    waitCountdown_ = kQuietTicksAfterBlock;
    attemptCount_ = 0;
    bar_.lblAct.SetText("Выполняется ожидание установки");
    return;
  }
  bar_.lblAct.SetText("Нужное окно закрыто другим приложением");
  if (waitCountdown_ == 0 && attemptCount_ < kForegroundAttempts) {
    ++attemptCount_;
    app_.platform.desktop.SetForeground(target);
  } else if (waitCountdown_ <= 0) {
    waitCountdown_ = kQuietTicksBetweenAttempts;
    attemptCount_ = 0;
  } else {
    --waitCountdown_;
  }
  waiting_ = Waiting::Covered;
  if (TimedOut()) GiveUp("окно закрыто другим окном");
}

bool Player::TimedOut() const {
  if (!app_.unattended || app_.unattended->timeoutSeconds <= 0) return false;
  const long long waited = app_.platform.system.TickCountMs() - waitingSinceMs_;
  return waited >= app_.unattended->timeoutSeconds * 1000LL;
}

void Player::GiveUp(const std::string& reason) {
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(true);
  EndPackage(kNotStarted, reason, /*withWindow=*/true);
}

void Player::PausePlay() {
  bar_.tmrDo.SetEnabled(false);
  bar_.lblCaption.SetText("Пауза");
  bar_.lblCaption.SetVisible(true);
  bar_.lblAct.SetText("Теперь можете делать свои действия");
  bar_.imgPause.SetVisible(false);
  bar_.imgPlay.SetVisible(true);
}

void Player::PlayAfterPause() {
  bar_.tmrDo.SetEnabled(true);
  waitingSinceMs_ = app_.platform.system.TickCountMs();  // a pause is not a wait
  bar_.lblCaption.SetText(CurrentName());
}

void Player::Next() {
  bar_.imgPlay.SetVisible(false);
  bar_.imgPause.SetVisible(true);
  bar_.lblAct.SetText("Запуск следующей инсталяции");
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(true);
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
}

void Player::Stop() {
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(false);
  bar_.Timer1.SetEnabled(false);
  bar_.Hide();
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
  ShowResults();
  bar_.ReturnToLibrary();
}

void Player::EndPackage(int result, const std::string& reason, bool withWindow) {
  // Between two scripts no package is open: its entry keeps its result.
  if (!packageOpen_) return;
  packageOpen_ = false;
  ++packageNumber_;
  app_.statistics.EndStatEntry(result);
  if (result != kCompleted) RecordFailure(reason, withWindow);
}

void Player::RecordFailure(const std::string& reason, bool withWindow) {
  const script::ScriptBuffer& script = app_.script;
  PackageFailure failure;
  failure.line = app_.statistics.entries().size();
  failure.name = CurrentName();
  failure.blockCount = script.header().blockCount;
  failure.block = script.blocksRead();
  if (withWindow) failure.windowPath = DescribePath(script.block.windowPath);
  failure.reason = reason;
  if (ReportWanted()) {
    SaveScreenshot(app_, ScreenshotPath(app_.unattended->reportPath, failure.line));
  }
  failures_.push_back(std::move(failure));
}

bool Player::ReportWanted() const {
  return app_.unattended && !app_.unattended->reportPath.empty();
}

void Player::ShowResults() {
  if (!ReportWanted()) {
    dialogs::ShowStatistics(app_, nullptr);
    return;
  }
  const std::string& path = app_.unattended->reportPath;
  WriteReport(app_, path, ReportText(app_.statistics.StatLines(), failures_, path));
  int incomplete = 0;
  for (const dialogs::StatEntry& entry : app_.statistics.entries()) {
    if (entry.result != kCompleted) ++incomplete;
  }
  app_.platform.ui.SetExitCode(incomplete);
}

std::string Player::CurrentName() const { return app::FileTitleOfPath(app_.currentScriptPath); }

}  // namespace engine
