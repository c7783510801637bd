#include "engine/play/run_queue.h"

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/frmStat.h"
#include "engine/frmStels.h"
#include "engine/play/machine_guard.h"
#include "engine/play/pacing.h"
#include "engine/play/run_results.h"
#include "engine/play/setup_activity.h"
#include "library/frmMain.h"

namespace engine {
namespace {

using dialogs::stat_result::kCompleted;
using dialogs::stat_result::kInterrupted;
using dialogs::stat_result::kNotStarted;

constexpr const char* kQueueComponent = "Queue";

// How long the next package waits for the previous setup's processes.
constexpr long long kPreviousSetupWaitMs = 60000;
// Exists while Windows Installer installs; another MSI package started then
// fails with 1618.
constexpr const char* kInstallerMutex = "Global\\_MSIExecute";

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

RunQueue::RunQueue(app::App& app, FrmStels& bar, RunResults& results, SetupActivity& activity,
                   PackageDriver& driver)
    : app_(app),
      bar_(bar),
      results_(results),
      activity_(activity),
      driver_(driver),
      outcome_(app.platform.registry),
      resume_(app) {}

RunQueue::~RunQueue() = default;

void RunQueue::Reset() {
  watch_.reset();
  speedIndex_ = speed::kSlow;
  queueIndex_ = 0;
  paused_ = advancePending_ = advanceSoon_ = packageOpen_ = packageByMessages_ = false;
  previousWaitSinceMs_ = -1;
  outcome_.Forget();
}

int RunQueue::QueueSize() const {
  return app_.playQueue.empty() ? 0 : static_cast<int>(app_.playQueue.size()) - 1;
}

std::string RunQueue::CurrentName() const {
  return app::FileTitleOfPath(app_.currentScriptPath);
}

void RunQueue::Start(int speedIndex) {
  speedIndex_ = speedIndex;
  bar_.lblCaption.SetText(app::FileTitleOfPath(app_.currentScriptPath));
  bar_.lblCaption.SetVisible(true);
  bar_.PlaybackLayout();
  bar_.lblKolvoProg.SetText("1/" + std::to_string(QueueSize()));
  bar_.lblAct.SetText("Чтение файла \r\n" + app_.currentScriptPath);
  app_.currentScriptPath.clear();
  queueIndex_ = 0;
  if (app_.unattended) results_.log().Open(app_.unattended->logPath);
  if (app_.resumed) {
    GoOnAfterRestart();
  } else {
    results_.log().Info(kQueueComponent, "Запуск: пакетов " + std::to_string(QueueSize()) +
                                             ", скорость " + std::to_string(speedIndex) +
                                             ", срок ожидания " + TimeoutText());
  }
  StartAdvance();
  guard_ = std::make_unique<MachineGuard>(app_.platform, bar_);
  watch_ = app_.platform.desktop.WatchWindows(
      [this](platform::WindowEvent event, platform::WindowHandle window) {
        driver_.OnWindowEvent(event, window);
      });
  SaveUnfinished();
}

void RunQueue::OnAdvanceTick() {
  bar_.tmrExit.SetEnabled(false);
  // A pause holds between two scripts too: the next setup starts on continue.
  if (paused_) {
    advancePending_ = true;
    return;
  }
  // The position in the queue, not the path, says which script comes next,
  // so a queue that names one script twice still ends.
  const bool nextFollows = queueIndex_ < QueueSize();
  if (WaitForPreviousSetup(nextFollows)) return;
  if (nextFollows) {
    StartNextScript();
  } else {
    FinishQueue();
  }
}

void RunQueue::StartAdvance() {
  bar_.tmrExit.SetEnabled(true);
  if (!pacing::ReactsToEvents(speedIndex_) || paused_) return;
  advanceSoon_ = true;
  bar_.tmrReact.SetEnabled(true);
}

bool RunQueue::TakeAdvanceSoon() {
  const bool soon = advanceSoon_;
  advanceSoon_ = false;
  return soon;
}

// The next script's statistics entry, opened.
void RunQueue::OpenEntry() {
  ++queueIndex_;
  app_.currentScriptPath = app_.playQueue[queueIndex_];
  bar_.lblKolvoProg.SetText(std::to_string(queueIndex_) + "/" + std::to_string(QueueSize()));
  app_.statistics.BeginStatEntry(CurrentName());
  ++packageNumber_;
}

void RunQueue::StartNextScript() {
  bar_.KeepOnTop();
  OpenEntry();
  packageOpen_ = true;
  packageByMessages_ = false;
  bar_.lblAct.SetText("Чтение файла \r\n" + app_.currentScriptPath);
  bar_.lblCaption.SetText(CurrentName());
  activity_.BeginPackage();
  driver_.OnPackageStarted();
  results_.log().Info(kQueueComponent, "Пакет " + std::to_string(queueIndex_) + " из " +
                                           std::to_string(QueueSize()) + ": " + CurrentName() +
                                           " (" + app_.currentScriptPath + ")");
  outcome_.Begin();
  script::StartFailure why = script::StartFailure::None;
  unsigned long launchError = 0;
  if (!script::StartScript(app_, app_.currentScriptPath, &why, &launchError)) {
    // The entry is closed already, with result 0. A script that could not be
    // read has no blocks to count: the buffer still holds the one before.
    const bool read = why != script::StartFailure::ScriptMissing &&
                      why != script::StartFailure::ScriptDamaged;
    std::string reason = StartFailureText(why);
    if (launchError != 0) reason += " (ошибка " + std::to_string(launchError) + ")";
    results_.RecordFailure(reason, /*withWindow=*/false, read);
    outcome_.Forget();
    packageOpen_ = false;
    SaveUnfinished();
    return;
  }
  results_.log().Info(kQueueComponent, "Программа установки запущена: " +
                                           app_.Expand(app_.script.ReadProgramPath()));
  SaveState();
}

// A package that was in progress when the restart came ends with NO; one
// whose blocks were all played keeps its result. Either is concluded now if
// its setup was not: what it installed is on the machine after the restart.
void RunQueue::GoOnAfterRestart() {
  const RunState state = *app_.resumed;
  app_.resumed.reset();
  app_.statistics.RestoreEntries(state.entries);
  queueIndex_ = state.started;
  results_.Restore(state, state.started + 1, QueueSize());
  if (state.started < 1 || state.entries.empty()) return;
  app_.currentScriptPath = app_.playQueue[state.started];
  if (state.inProgress) {
    app_.statistics.SetLastResult(kNotStarted);
    results_.RecordInterrupted("прервано перезагрузкой", state.block, state.blockCount);
  }
  if (state.listsBefore) {
    outcome_.Reopen(*state.listsBefore);
    results_.RecordOutcome(outcome_.Conclude(nullptr));
  }
  app_.currentScriptPath.clear();
}

bool RunQueue::WaitForPreviousSetup(bool nextFollows) {
  const bool setupRuns = app_.setupProcess && app_.setupProcess->Running();
  const bool installerBusy = nextFollows && app_.platform.shell.MutexExists(kInstallerMutex);
  const long long now = app_.platform.system.AwakeTimeMs();
  if (previousWaitSinceMs_ < 0) {
    previousWaitSinceMs_ = now;
    activity_.BeginWait();
  }
  const bool minutePassed = now - previousWaitSinceMs_ >= kPreviousSetupWaitMs;
  // A setup left running is waited for a minute at most; Windows Installer
  // as long as it works: a package started while it is busy fails at once.
  const bool setupDone = !setupRuns || minutePassed;
  if (setupDone && outcome_.open()) {
    results_.log().WaitOver();
    ConcludePackage();
  }
  if (!installerBusy && setupDone) {
    previousWaitSinceMs_ = -1;
    results_.log().WaitOver();
    app_.setupProcess.reset();  // what still runs now is no longer this run's concern
    return false;
  }
  if (installerBusy && InstallerWaitRanOut()) {
    previousWaitSinceMs_ = -1;
    results_.log().WaitOver();
    SkipNextScript("Windows Installer занят другой установкой");
    return true;
  }
  results_.log().Waiting(setupDone ? "Windows Installer занят другой установкой"
                                   : "завершение программы установки");
  bar_.lblAct.SetText(nextFollows ? "Ожидание завершения предыдущей установки"
                                  : "Ожидание завершения установки");
  StartAdvance();  // at the fast speed it asks again soon
  return true;
}

void RunQueue::ConcludePackage() {
  if (!outcome_.open()) return;
  results_.RecordOutcome(outcome_.Conclude(app_.setupProcess.get()));
  SaveUnfinished();
}

// By the rule of the time-out: from the later of the wait's start and the
// previous setup's last sign of work; without a time-out, never.
bool RunQueue::InstallerWaitRanOut() {
  return app_.unattended && activity_.IdleFor(app_.unattended->timeoutSeconds,
                                              previousWaitSinceMs_, app_.setupProcess.get());
}

// The next package never got its turn: its entry says why, and the queue
// goes on.
void RunQueue::SkipNextScript(const std::string& reason) {
  OpenEntry();
  app_.statistics.EndStatEntry(kNotStarted);
  results_.RecordFailure(reason, /*withWindow=*/false, /*scriptRead=*/false, /*tryLater=*/true);
  SaveUnfinished();
  StartAdvance();
}

void RunQueue::FinishQueue() {
  watch_.reset();
  guard_.reset();
  if (!app_.unattended) app_.MainWindow().Show();
  bar_.Hide();
  resume_.End();
  results_.Finish(0);
  bar_.Close();
}

void RunQueue::LetMachineGo() { guard_.reset(); }

void RunQueue::Pause() {
  paused_ = true;
  bar_.tmrDo.SetEnabled(false);
  bar_.lblCaption.SetText("Пауза");
  bar_.lblCaption.SetVisible(true);
  bar_.lblAct.SetText("Теперь можете делать свои действия");
  bar_.imgPause.SetVisible(false);
  bar_.imgPlay.SetVisible(true);
}

void RunQueue::Resume() {
  paused_ = false;
  if (advancePending_) {
    advancePending_ = false;
    StartAdvance();
  } else if (packageOpen_) {
    bar_.tmrDo.SetEnabled(true);
  }
  driver_.OnResumed();
  bar_.lblCaption.SetText(CurrentName());
}

void RunQueue::Next() {
  paused_ = advancePending_ = false;
  bar_.imgPlay.SetVisible(false);
  bar_.imgPause.SetVisible(true);
  bar_.lblAct.SetText("Запуск следующей инсталяции");
  bar_.tmrDo.SetEnabled(false);
  StartAdvance();
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
  ConcludePackage();
  previousWaitSinceMs_ = -1;
  app_.setupProcess.reset();  // left running: the next script starts at once
}

void RunQueue::Stop() {
  watch_.reset();
  guard_.reset();
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(false);
  bar_.Timer1.SetEnabled(false);
  bar_.Hide();
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
  ConcludePackage();
  // A stop between two packages leaves every package so far completed, and
  // the rest of the queue never started: no success.
  resume_.End();
  results_.Finish(QueueSize() - queueIndex_);
  bar_.ReturnToLibrary();
}

void RunQueue::OnSessionEnd() {
  if (!bar_.IsOpen()) return;
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(false);
  EndPackage(kInterrupted, "сеанс Windows завершён", /*withWindow=*/false);
  ConcludePackage();
  const int notStarted = QueueSize() - queueIndex_;
  SaveState();
  // A run that goes on after the restart is not over.
  if (resume_.registered() && notStarted > 0) return SaveUnfinished();
  results_.Save(notStarted > 0 ? "Сеанс Windows завершён: не начато пакетов - " +
                                     std::to_string(notStarted)
                               : std::string());
  if (notStarted == 0) resume_.End();
}

bool RunQueue::SessionMayEnd() const { return resume_.registered() && !packageOpen_; }

void RunQueue::EndPackage(int result, const std::string& reason, bool withWindow) {
  // Between two scripts no package is open: its entry keeps its result.
  if (!packageOpen_) return;
  packageOpen_ = false;
  ++packageNumber_;
  driver_.OnPackageEnded();
  app_.statistics.EndStatEntry(result);
  results_.log().Info(kQueueComponent, "Пакет " + CurrentName() + " закончен: " +
                                           dialogs::ResultWord(result) +
                                           ", " + app_.statistics.entries().back().duration);
  if (packageByMessages_) results_.NotePlayedByMessages();
  packageByMessages_ = false;
  if (result != kCompleted) results_.RecordFailure(reason, withWindow);
  SaveUnfinished();
}

std::string RunQueue::TimeoutText() const {
  const int seconds = app_.unattended ? app_.unattended->timeoutSeconds : 0;
  return seconds > 0 ? std::to_string(seconds) + " с" : "без предела";
}

void RunQueue::SaveUnfinished() {
  results_.Save(results_.UnfinishedLine(QueueSize()));
  SaveState();
}

void RunQueue::SaveState() {
  if (!app_.unattended) return;
  RunState state;
  state.options = *app_.unattended;
  state.queue = app_.playQueue;
  state.started = queueIndex_;
  state.inProgress = packageOpen_;
  state.block = app_.script.blocksRead();
  state.blockCount = app_.script.header().blockCount;
  state.listsBefore = outcome_.Taken();
  state.entries = app_.statistics.entries();
  results_.FillState(state);
  if (!resume_.Keep(state) && !resumeWarned_) {
    resumeWarned_ = true;
    results_.log().Warning(kQueueComponent,
                           "Продолжение после перезагрузки не зарегистрировано: нужны права администратора");
  }
}

}  // namespace engine
