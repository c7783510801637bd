#include "engine/player.h"

#include <algorithm>
#include <functional>
#include <map>

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/frmStat.h"
#include "engine/frmStels.h"
#include "engine/drawn_window.h"
#include "engine/run_report.h"
#include "engine/window_finder.h"
#include "engine/window_likeness.h"
#include "library/frmMain.h"

namespace engine {
namespace {

using dialogs::stat_result::kCompleted;
using dialogs::stat_result::kInterrupted;
using dialogs::stat_result::kNotStarted;

constexpr int kQuietTicksAfterBlock = 3;
constexpr int kQuietTicksBetweenAttempts = 13;
constexpr int kForegroundAttempts = 3;
// A block whose click was lost this often is played by window messages.
constexpr int kLostPressesBeforeMessages = 2;
// A click sent as a window message that changed nothing in the setup's
// windows this long (its thread answering meanwhile) is sent again, in all
// kMessageAttempts times; a text that did not arrive is put again on the
// next steps as often. Then the package is given up.
constexpr long long kMessageEffectWaitMs = 1000;
constexpr int kMessageAttempts = 3;
// A press into a window that draws its own controls that changed nothing in
// its picture this long is played again, at most this many times; then the
// block counts as played, with a note in the report.
constexpr long long kPictureEffectWaitMs = 1000;
constexpr int kDrawnPressRepeats = 2;
// A button that took a click and then, with its thread answering, nothing
// anywhere changed this long: the click was lost between press and release
// (the button let the press go without clicking), and it is played again once.
constexpr long long kClickEffectWaitMs = 2000;
// How long the next package waits for the previous setup's processes and
// for Windows Installer before it starts anyway.
constexpr long long kPreviousSetupWaitMs = 60000;
// The setup's work (processor milliseconds, ten for a file read or write)
// is looked at this often; it counts as working when the count grew by at
// least kWorkPerSecond a second meanwhile: 5 % of a processor, or five reads
// or writes a second. A wizard that waits for a click wakes now and then (a
// blinking caret) and is charged a clock tick (10 to 16 ms) at times: so
// little is no sign of an installation going on.
constexpr long long kWorkSampleMs = 1000;
constexpr unsigned long long kWorkPerSecond = 50;
// Exists while Windows Installer installs; another MSI package started then
// fails with 1618.
constexpr const char* kInstallerMutex = "Global\\_MSIExecute";

// Deeper than any wizard's window tree.
constexpr int kMaxPictureDepth = 32;

// The texts of the shown windows below `parent` and whether each is enabled.
void DescribeShownWindows(const platform::Desktop& desktop, platform::WindowHandle parent,
                          int depth, std::string& out) {
  if (depth >= kMaxPictureDepth) return;
  for (const platform::WindowHandle child : desktop.ChildWindows(parent)) {
    if (!desktop.IsVisible(child)) continue;
    out += std::to_string(child) + desktop.WindowText(child);
    out += desktop.IsEnabled(child) ? "\n+" : "\n-";
    DescribeShownWindows(desktop, child, depth + 1, out);
  }
}

// Whether a process is one of the setup's, asked of the job once per process.
class SetupProcesses {
 public:
  explicit SetupProcesses(const platform::Process& setup) : setup_(setup) {}
  bool Owns(unsigned process) {
    auto known = owned_.find(process);
    if (known == owned_.end()) known = owned_.emplace(process, setup_.Owns(process)).first;
    return known->second;
  }

 private:
  const platform::Process& setup_;
  std::map<unsigned, bool> owned_;
};

// Which of the setup's windows are shown, in which order, what they say and
// which of them are enabled: a window that appears, comes to the front of its
// siblings (a page raised), changes its text or becomes enabled changes it. Out-
// of-context events say the same, but not of every control, and not under
// Wine, which raises none for a status text or a list that grows.
size_t SetupPicture(const platform::Desktop& desktop, const platform::Process& setup) {
  std::string picture;
  SetupProcesses processes(setup);
  for (const platform::WindowHandle top : desktop.ChildWindows(0)) {
    if (!processes.Owns(desktop.ProcessIdOf(top)) || !desktop.IsVisible(top)) continue;
    picture += std::to_string(top) + desktop.WindowText(top) +
               (desktop.IsEnabled(top) ? "\n+" : "\n-");
    DescribeShownWindows(desktop, top, 1, picture);
  }
  return std::hash<std::string>{}(picture);
}

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
  paused_ = advancePending_ = advanceSoon_ = broughtForward_ = packageByMessages_ = false;
  lostPresses_ = 0;
  lastTarget_ = 0;
  lastTakenByButton_ = awaitingTick_ = false;
  watch_.reset();
  queueIndex_ = 0;
  waiting_ = Waiting::None;
  previousWaitSinceMs_ = -1;
  failures_.clear();
  byMessages_.clear();
  blockNotes_.clear();
  likelyTarget_ = 0;
  still_ = {};
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
  StartAdvance();
  HoldMachine(true);
  watch_ = app_.platform.desktop.WatchWindows(
      [this](platform::WindowEvent event, platform::WindowHandle window) {
        OnWindowEvent(event, window);
      });
  SaveReport(UnfinishedLine());
}

void Player::OnAdvanceTick() {
  bar_.tmrExit.SetEnabled(false);
  // A pause holds between two scripts too: the next setup starts on continue.
  if (paused_) {
    advancePending_ = true;
    return;
  }
  // The position in the queue, not the path, says which script comes next,
  // so a queue that names one script twice still ends.
  if (queueIndex_ < QueueSize()) {
    if (WaitForPreviousSetup()) return;
    StartNextScript();
  } else {
    FinishQueue();
  }
}

void Player::StartAdvance() {
  bar_.tmrExit.SetEnabled(true);
  if (speedIndex_ != 0 || paused_) return;
  advanceSoon_ = true;
  bar_.tmrReact.SetEnabled(true);
}

void Player::StartNextScript() {
  bar_.KeepOnTop();
  ++queueIndex_;
  app_.currentScriptPath = app_.playQueue[queueIndex_];
  bar_.lblKolvoProg.SetText(std::to_string(queueIndex_) + "/" + std::to_string(QueueSize()));
  app_.statistics.BeginStatEntry(CurrentName());
  packageOpen_ = true;
  ++packageNumber_;
  packageByMessages_ = false;
  bar_.lblAct.SetText("Чтение файла \r\n" + app_.currentScriptPath);
  bar_.lblCaption.SetText(CurrentName());
  lastTarget_ = 0;
  setupWork_ = 0;
  setupPicture_ = 0;
  setupWorkedMs_ = workSampledMs_ = app_.platform.system.AwakeTimeMs();
  script::StartFailure why = script::StartFailure::None;
  if (!script::StartScript(app_, app_.currentScriptPath, &why)) {
    // The entry is closed already, with result 0. A script that could not be
    // read has no blocks to count: the buffer still holds the one before.
    const bool read = why != script::StartFailure::ScriptMissing &&
                      why != script::StartFailure::ScriptDamaged;
    RecordFailure(StartFailureText(why), /*withWindow=*/false, read);
    packageOpen_ = false;
    SaveReport(UnfinishedLine());
  }
}

bool Player::WaitForPreviousSetup() {
  const bool setupRuns = app_.setupProcess && app_.setupProcess->Running();
  const bool installerBusy = app_.platform.shell.MutexExists(kInstallerMutex);
  const long long now = app_.platform.system.AwakeTimeMs();
  if (previousWaitSinceMs_ < 0) previousWaitSinceMs_ = setupWorkedMs_ = workSampledMs_ = now;
  const bool minutePassed = now - previousWaitSinceMs_ >= kPreviousSetupWaitMs;
  // A setup left running is waited for a minute at most; Windows Installer
  // as long as it works: a package started while it is busy fails at once.
  if (!installerBusy && (!setupRuns || minutePassed)) {
    previousWaitSinceMs_ = -1;
    app_.setupProcess.reset();  // what still runs now is no longer this run's concern
    return false;
  }
  if (installerBusy && InstallerWaitRanOut()) {
    previousWaitSinceMs_ = -1;
    SkipNextScript("Windows Installer занят другой установкой");
    return true;
  }
  bar_.lblAct.SetText("Ожидание завершения предыдущей установки");
  StartAdvance();  // at the fast speed it asks again soon
  return true;
}

// By the rule of the time-out: from the later of the wait's start and the
// previous setup's last sign of work; without a time-out, never.
bool Player::InstallerWaitRanOut() {
  if (!app_.unattended || app_.unattended->timeoutSeconds <= 0) return false;
  NoteSetupWork();
  const long long idle = app_.platform.system.AwakeTimeMs() -
                         std::max(previousWaitSinceMs_, setupWorkedMs_);
  return idle >= app_.unattended->timeoutSeconds * 1000LL;
}

// The next package never got its turn: its entry says why, and the queue
// goes on.
void Player::SkipNextScript(const std::string& reason) {
  ++queueIndex_;
  app_.currentScriptPath = app_.playQueue[queueIndex_];
  bar_.lblKolvoProg.SetText(std::to_string(queueIndex_) + "/" + std::to_string(QueueSize()));
  app_.statistics.BeginStatEntry(CurrentName());
  app_.statistics.EndStatEntry(kNotStarted);
  ++packageNumber_;
  RecordFailure(reason, /*withWindow=*/false, /*scriptRead=*/false);
  SaveReport(UnfinishedLine());
  StartAdvance();
}

void Player::FinishQueue() {
  watch_.reset();
  HoldMachine(false);
  if (!app_.unattended) app_.MainWindow().Show();
  bar_.Hide();
  ShowResults();
  bar_.Close();
}

// Nobody is at the keyboard: a machine that went to sleep would hold the run
// up until somebody came, and one that logs off would end it unreported.
void Player::HoldMachine(bool hold) {
  app_.platform.system.KeepAwake(hold);
  app_.platform.ui.SetShutdownReason(
      bar_, hold ? "Orvanta устанавливает программы: завершение сеанса прервёт установку"
                 : std::string());
}

void Player::NextDo() {
  script::ScriptBuffer& script = app_.script;
  if (script.ReadNextBlock()) {
    // While paused the block waits for continue.
    bar_.tmrDo.SetEnabled(!paused_);
    // The first block's window may be there already.
    if (script.blocksRead() == 1 && ReactsAtOnce()) bar_.tmrReact.SetEnabled(true);
    broughtForward_ = false;
    lostPresses_ = 0;
    unconfirmed_ = {};
    likelyTarget_ = 0;
    // A drawn window keeps the picture its last press was seen to make; the
    // wait for it to be still starts again at the block's first look at it
    // (the block may wait a while for something else first).
    still_.sinceMs = -1;
    waitingSinceMs_ = app_.platform.system.AwakeTimeMs();
    waiting_ = Waiting::None;
    return;
  }
  bar_.tmrDo.SetEnabled(false);
  StartAdvance();
  // A block that cannot be read is a damaged script, not a finished one.
  if (script.readFailed()) {
    EndPackage(kNotStarted, "сценарий повреждён", /*withWindow=*/false);
  } else {
    EndPackage(kCompleted, {}, false);
  }
}

void Player::OnStepTick() {
  awaitingTick_ = false;
  Step(/*reacting=*/false);
}

void Player::OnWindowEvent(platform::WindowEvent event, platform::WindowHandle window) {
  // Without a process to follow (a document handed to a running program),
  // any program's window may be the setup's.
  const platform::Process* setup = app_.setupProcess.get();
  if (setup && !setup->Owns(app_.platform.desktop.ProcessIdOf(window))) return;
  // A foreground change says nothing of a page the wizard moved on to.
  if (event == platform::WindowEvent::Changed) {
    eventSincePress_ = true;
    setupWorkedMs_ = app_.platform.system.AwakeTimeMs();
  }
  if (ReactsAtOnce() && !bar_.tmrReact.enabled()) bar_.tmrReact.SetEnabled(true);
}

void Player::OnReactTick() {
  bar_.tmrReact.SetEnabled(false);
  if (advanceSoon_) {
    advanceSoon_ = false;
    // Stop or pause may have come first: the timer says whether to advance.
    if (bar_.tmrExit.enabled()) OnAdvanceTick();
    return;
  }
  if (ReactsAtOnce()) Step(/*reacting=*/true);
}

// A block is being looked for (the step timer runs) at the fast speed.
bool Player::ReactsAtOnce() const {
  return speedIndex_ == 0 && packageOpen_ && !paused_ && !awaitingTick_ && bar_.tmrDo.enabled();
}

void Player::Step(bool reacting) {
  // The replay lets the message queue run; a step must not start inside it.
  if (inStepTick_) return;
  inStepTick_ = true;
  NoteSetupWork();
  if (unconfirmed_.what != Awaiting::None) {
    ConfirmUnconfirmed();
    inStepTick_ = false;
    return;
  }
  const platform::WindowHandle target = FindTarget();
  // A control on a hidden page (a property sheet keeps the pages it showed)
  // is not the one to press: the recorded page has not come yet.
  const bool found = target != 0 && app_.platform.desktop.IsVisible(target);
  if (!found) {
    if (!reacting) OnTargetMissing();
  } else if (!SameTargetUnchanged(target, reacting)) {
    OnTargetFound(target, reacting);
  }
  inStepTick_ = false;
}

// While a setup is followed, only its own windows: a previous setup left
// running (by "next", or after the wait for it ran out) may show the same.
platform::WindowHandle Player::FindExactTarget() const {
  const platform::Process* setup = app_.setupProcess.get();
  if (!setup) {
    return FindTargetWindow(app_.platform.desktop, app_.platform.system,
                            app_.script.block.windowPath);
  }
  SetupProcesses processes(*setup);
  return FindTargetWindow(app_.platform.desktop, app_.platform.system,
                          app_.script.block.windowPath,
                          [&](unsigned process) { return processes.Owns(process); });
}

platform::WindowHandle Player::FindTarget() {
  const platform::WindowHandle exact = FindExactTarget();
  // A recorded window that is there, even hidden (a property sheet's page not
  // shown yet), is the one: nothing else is looked for.
  if (exact != 0) {
    likelyTarget_ = 0;
    return exact;
  }
  return FindLikelyTarget();
}

// Only among the setup's own windows: without a process to follow, any
// program's look-alike could be taken.
platform::WindowHandle Player::FindLikelyTarget() {
  const platform::Process* setup = app_.setupProcess.get();
  const long long missingMs = app_.platform.system.AwakeTimeMs() - waitingSinceMs_;
  if (!setup || missingMs < speed::kLikenessDelaysMs[speedIndex_]) return 0;
  const script::CurrentBlock& block = app_.script.block;
  const platform::Point press = FirstPress(block.mouseEvents);
  SetupProcesses processes(*setup);
  const auto ownedBySetup = [&](unsigned process) { return processes.Owns(process); };
  const LikelyWindow likely = FindLikelyWindow(app_.platform.desktop, app_.platform.system,
                                               block.windowPath, ownedBySetup, press);
  likelyTarget_ = likely.window;
  if (likely.window != 0) {
    // Described before the press changes it.
    WindowPath pressed;
    DescribeWindow(app_.platform.desktop, app_.platform.system, likely.window, pressed);
    likelyPressed_ = DescribePath(pressed);
    likelyWhy_ = likely.why.empty() ? "тот же путь среди окон программы установки" : likely.why;
  }
  return likely.window;
}

// The window of the last gesture, with no window event since: the wizard
// may not have moved on yet, and a second click on a button that it shows a
// moment longer would skip a page. Only ticks press such a window again. A
// button that took a click waits for a sign that its wizard moved on; with
// none, its click was lost and is played again, as the block it belongs to.
bool Player::SameTargetUnchanged(platform::WindowHandle target, bool reacting) {
  if (target != lastTarget_ || eventSincePress_) return false;
  if (lastTakenByButton_ && LastClickActed()) return false;
  if (reacting) return true;
  if (!lastTakenByButton_) return false;
  if (ClickHadNoEffect()) {
    ReplayLastClick();
    return true;
  }
  const long long sinceClick = app_.platform.system.AwakeTimeMs() - lastClick_.atMs;
  return !lastClick_.replayed && sinceClick < kClickEffectWaitMs;
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
  if (ClickHadNoEffect()) ReplayLastClick();
  if (SetupEnded()) {
    // No window of a process tree that has ended can appear any more.
    bar_.tmrDo.SetEnabled(false);
    StartAdvance();
    EndPackage(kNotStarted, "программа установки завершилась", /*withWindow=*/true);
  } else if (TimedOut()) {
    GiveUp("окно не найдено");
  }
}

void Player::NoteSetupWork() {
  const long long now = app_.platform.system.AwakeTimeMs();
  if (!app_.setupProcess || now - workSampledMs_ < kWorkSampleMs) return;
  const unsigned long long work = app_.setupProcess->WorkDone();
  const auto elapsed = static_cast<unsigned long long>(now - workSampledMs_);
  const size_t picture = SetupPicture(app_.platform.desktop, *app_.setupProcess);
  if (work >= setupWork_ + kWorkPerSecond * elapsed / 1000 || picture != setupPicture_) {
    setupWorkedMs_ = now;
  }
  setupWork_ = work;
  setupPicture_ = picture;
  workSampledMs_ = now;
}

void Player::OnTargetFound(platform::WindowHandle target, bool reacting) {
  if (!fastMode_) {
    fastMode_ = true;
    RestartStepTimer(workingInterval_);
  }
  missCount_ = 0;
  platform::Desktop& desktop = app_.platform.desktop;
  if (!IsReady(target)) {
    if (!reacting) OnTargetNotReady();
    return;
  }
  const platform::WindowHandle root = desktop.RootWindow(target);
  const bool byMessages = MessagesOnly() || lostPresses_ >= kLostPressesBeforeMessages;
  if (!byMessages && reacting && desktop.ForegroundWindow() != root && !broughtForward_) return;
  if (!byMessages && !InFront(root)) return;
  const platform::Point press = FirstPress(app_.script.block.mouseEvents);
  std::optional<size_t> drawnPicture;
  if (IsDrawnSurface(desktop, target, press)) {
    // Where the press goes, so that what the pointer changes (a control lit
    // up under it) is over before the picture is taken.
    if (!byMessages && still_.window != target) {
      desktop.SetCursorPos(desktop.ClientToScreen(target, press));
    }
    if (!PictureSettled(target, drawnPicture)) return;
  }
  const int package = packageNumber_;
  // What a button's click by window messages (asked for, or the fallback of
  // a desktop that refuses input) must change.
  const bool button = desktop.ButtonKindOf(target) != platform::ButtonKind::None;
  pictureBeforeGesture_ = button ? PictureOfSetup() : 0;
  checkBeforeGesture_ = button ? desktop.CheckState(target) : -1;
  captionBeforeGesture_ = desktop.WindowText(target);
  ForgetEventsSoFar();
  const script::Gesture gesture = script::PlayBlockGesture(app_, target, byMessages);
  // Next or stop may have been pressed while the gesture was injected.
  if (package != packageNumber_ || !packageOpen_ || !bar_.IsOpen()) return;
  if (gesture == script::Gesture::Lost) return OnPressLost();
  if (gesture == script::Gesture::Covered) {
    if (!reacting) OnTargetCovered(root);
    return;
  }
  if (drawnPicture) {
    if (gesture == script::Gesture::PlayedByMessages) packageByMessages_ = true;
    unconfirmed_ = {Awaiting::Picture, target, gesture, *drawnPicture, -1, {},
                    app_.platform.system.AwakeTimeMs(), 1};
    return;
  }
  OnBlockPlayed(target, gesture);
}

bool Player::PictureSettled(platform::WindowHandle target, std::optional<size_t>& picture) {
  const long long now = app_.platform.system.AwakeTimeMs();
  picture = WindowPicture(app_.platform.desktop, target);
  // Nothing can be told from a picture of one colour: pressed as ever.
  if (!picture) return true;
  if (still_.window != target) {
    still_ = {target, *picture, now, now};
    return false;
  }
  if (still_.sinceMs < 0) still_.sinceMs = now;
  if (*picture != still_.picture) {
    still_.picture = *picture;
    still_.changedMs = now;
  }
  return now - still_.changedMs >= speed::kStillMs || now - still_.sinceMs >= speed::kMaxStillWaitMs;
}

// Input goes only to a window that can take it now: shown, enabled with its
// top-level window (a setup disables its wizard while it asks a question or
// installs), and whose thread answers.
bool Player::IsReady(platform::WindowHandle target) const {
  const platform::Desktop& desktop = app_.platform.desktop;
  const platform::WindowHandle root = desktop.RootWindow(target);
  return desktop.IsEnabled(target) && desktop.IsEnabled(root) && desktop.IsResponding(root);
}

bool Player::InFront(platform::WindowHandle root) {
  platform::Desktop& desktop = app_.platform.desktop;
  if (desktop.ForegroundWindow() == root || broughtForward_) return true;
  broughtForward_ = true;
  // A press that arrives before the window's activation is cancelled by it
  // (the button loses its pushed state): press on the next tick. When the
  // system refuses, the press goes in anyway and activates the window itself.
  return !desktop.ForceForeground(root);
}

bool Player::MessagesOnly() const { return app_.unattended && app_.unattended->messages; }

void Player::OnTargetNotReady() {
  bar_.lblAct.SetText("Выполняется ожидание установки");
  waiting_ = Waiting::NotReady;
  if (TimedOut()) GiveUp("окно не принимает ввод");
}

// A button's click sent as a window message is not taken for done: a dialog
// that is not active may ignore it, a busy one may lose it.
void Player::OnBlockPlayed(platform::WindowHandle target, script::Gesture gesture) {
  platform::Desktop& desktop = app_.platform.desktop;
  if (gesture == script::Gesture::PlayedByMessages) {
    packageByMessages_ = true;
    if (desktop.ButtonKindOf(target) != platform::ButtonKind::None &&
        script::IsPlainClick(app_.script.block.mouseEvents) && app_.setupProcess) {
      unconfirmed_ = {Awaiting::Click, target, gesture, pictureBeforeGesture_,
                      checkBeforeGesture_, {}, app_.platform.system.AwakeTimeMs(), 1};
      return;
    }
  }
  PutTextAndFinish(target, gesture);
}

void Player::PutTextAndFinish(platform::WindowHandle target, script::Gesture gesture) {
  script::CurrentBlock& block = app_.script.block;
  if (!block.blockText.empty() && block.blockText != std::string(1, '\0')) {
    const std::string before = script::ReadWindowText(app_, target);
    script::PutBlockText(app_, target);
    if (!TextArrived(target, before)) {
      unconfirmed_ = {Awaiting::Text, target, gesture, 0, -1, before,
                      app_.platform.system.AwakeTimeMs(), 1};
      return;
    }
    block.blockText.clear();
  }
  FinishBlock(target, gesture);
}

void Player::FinishBlock(platform::WindowHandle target, script::Gesture gesture) {
  script::CurrentBlock& block = app_.script.block;
  const std::vector<script::MouseEvent> played = block.mouseEvents;
  if (target != 0 && target == likelyTarget_) {
    NoteBlock("Окно найдено по сходству", {{"Записано", DescribePath(block.windowPath)},
                                           {"Нажато", likelyPressed_},
                                           {"Почему", likelyWhy_}});
  }
  bar_.tmrDo.SetEnabled(false);
  NextDo();
  waitCountdown_ = kQuietTicksAfterBlock;
  attemptCount_ = 0;
  if (packageOpen_) bar_.lblAct.SetText("Выполняется ожидание установки");
  lastTarget_ = target;
  lastTakenByButton_ = gesture == script::Gesture::Taken && watch_ && speedIndex_ == 0;
  if (lastTakenByButton_) {
    lastClick_ = {captionBeforeGesture_, checkBeforeGesture_, pictureBeforeGesture_, played,
                  app_.platform.system.AwakeTimeMs(), false};
  }
  // The next block goes at once after a button that has acted on its click
  // and after a click into any other window (a field, a list): the setup
  // takes the next press after it, in order. A button that has not yet acted
  // and window messages give the setup the step timer's tick.
  const bool button = app_.platform.desktop.ButtonKindOf(target) != platform::ButtonKind::None;
  awaitingTick_ = gesture == script::Gesture::PlayedByMessages ||
                  (gesture == script::Gesture::Played && button);
  if (ReactsAtOnce()) bar_.tmrReact.SetEnabled(true);
}

void Player::NoteBlock(const std::string& heading,
                       std::vector<std::pair<std::string, std::string>> fields) {
  blockNotes_.push_back({heading, app_.statistics.entries().size(), CurrentName(),
                         app_.script.blocksRead(), app_.script.header().blockCount,
                         std::move(fields)});
}

// The text is in when the window reads it back, or at least no longer what it
// was (a field that formats what it is given, a serial number with dashes).
// A window that reads back nothing cannot tell (a password field gives
// another program no text), nor can one that is gone (the next block shows
// whether its wizard went on); one that does not answer has not taken it.
bool Player::TextArrived(platform::WindowHandle target, const std::string& before) const {
  const platform::Desktop& desktop = app_.platform.desktop;
  if (!desktop.IsWindow(target)) return true;
  if (!desktop.IsResponding(desktop.RootWindow(target))) return false;
  std::string wanted = app_.script.block.blockText;
  while (!wanted.empty() && wanted.back() == '\0') wanted.pop_back();
  const std::string now = script::ReadWindowText(app_, target);
  return now == wanted || now != before || now.empty();
}

size_t Player::PictureOfSetup() const {
  return app_.setupProcess ? SetupPicture(app_.platform.desktop, *app_.setupProcess) : 0;
}

// The click changed the setup's windows (a page, a text, a button enabled or
// disabled), its button's check, or took its button away.
bool Player::ClickArrived() const {
  const platform::Desktop& desktop = app_.platform.desktop;
  const platform::WindowHandle target = unconfirmed_.target;
  if (!desktop.IsWindow(target) || !desktop.IsVisible(target) || !desktop.IsEnabled(target)) {
    return true;
  }
  const int check = desktop.CheckState(target);
  if (check >= 0 && check != unconfirmed_.check) return true;
  return PictureOfSetup() != unconfirmed_.picture;
}

// Once more, another way: a push button's notice straight to its dialog,
// which acts on it whether it is active or not; a check box or radio button
// its click again once its dialog was brought forward.
void Player::ClickAgain() {
  platform::Desktop& desktop = app_.platform.desktop;
  const platform::WindowHandle target = unconfirmed_.target;
  const bool push = desktop.ButtonKindOf(target) == platform::ButtonKind::Push;
  if (!push || unconfirmed_.attempts == kMessageAttempts) {
    desktop.ForceForeground(desktop.RootWindow(target));
    desktop.PostButtonClick(target);
  } else {
    desktop.PostButtonCommand(target);
  }
  desktop.PumpMessages();
}

void Player::ConfirmPicture() {
  Unconfirmed& u = unconfirmed_;
  const platform::Desktop& desktop = app_.platform.desktop;
  const long long now = app_.platform.system.AwakeTimeMs();
  const bool shown = desktop.IsWindow(u.target) && desktop.IsVisible(u.target);
  const std::optional<size_t> picture = shown ? WindowPicture(desktop, u.target) : std::nullopt;
  const bool changed = !picture || *picture != u.picture;
  // A busy window may still take the press it has queued: a second one now
  // would be a second press.
  const bool answering = shown && desktop.IsResponding(desktop.RootWindow(u.target));
  if (!changed && (!answering || now - u.sinceMs < kPictureEffectWaitMs)) {
    if (TimedOut()) GiveUp("окно не принимает ввод");
    return;
  }
  if (changed || u.attempts > kDrawnPressRepeats) {
    u.what = Awaiting::None;
    if (picture) still_ = {u.target, *picture, now, now};
    if (!changed) {
      NoteBlock("Нажатие не изменило окно", {{"Окно", DescribePath(app_.script.block.windowPath)}});
    }
    return PutTextAndFinish(u.target, u.gesture);
  }
  ++u.attempts;
  // The page may have ignored it while it loaded: once more, the same way.
  const int package = packageNumber_;
  script::PlayGesture(app_, u.target, app_.script.block.mouseEvents,
                      u.gesture == script::Gesture::PlayedByMessages);
  if (package == packageNumber_) u.sinceMs = app_.platform.system.AwakeTimeMs();
}

void Player::ConfirmUnconfirmed() {
  Unconfirmed& u = unconfirmed_;
  if (u.what == Awaiting::Picture) return ConfirmPicture();
  platform::Desktop& desktop = app_.platform.desktop;
  const long long now = app_.platform.system.AwakeTimeMs();
  if (u.what == Awaiting::Click ? ClickArrived() : TextArrived(u.target, u.textBefore)) {
    const Awaiting was = u.what;
    u.what = Awaiting::None;
    if (was == Awaiting::Text) app_.script.block.blockText.clear();
    return was == Awaiting::Click ? PutTextAndFinish(u.target, u.gesture)
                                  : FinishBlock(u.target, u.gesture);
  }
  const bool answering =
      desktop.IsWindow(u.target) && desktop.IsResponding(desktop.RootWindow(u.target));
  if (!answering || (u.what == Awaiting::Click && now - u.sinceMs < kMessageEffectWaitMs)) {
    // A busy setup may still act on it; the time-out holds for a hung one.
    if (TimedOut()) GiveUp("окно не принимает ввод");
    return;
  }
  if (u.attempts >= kMessageAttempts) {
    const bool click = u.what == Awaiting::Click;
    u.what = Awaiting::None;
    return GiveUp(click ? "окно не приняло нажатие" : "окно не приняло текст");
  }
  ++u.attempts;
  u.sinceMs = now;
  if (u.what == Awaiting::Click) {
    ClickAgain();
  } else {
    script::PutBlockText(app_, u.target);
  }
}

// Events that came before a press are no news of what the press does.
void Player::ForgetEventsSoFar() {
  app_.platform.desktop.PumpMessages();
  eventSincePress_ = false;
}

bool Player::LastClickActed() const {
  const platform::Desktop& desktop = app_.platform.desktop;
  if (eventSincePress_) return true;
  if (!desktop.IsWindow(lastTarget_) || !desktop.IsVisible(lastTarget_) ||
      !desktop.IsEnabled(lastTarget_)) {
    return true;
  }
  return desktop.WindowText(lastTarget_) != lastClick_.caption ||
         desktop.CheckState(lastTarget_) != lastClick_.check ||
         PictureOfSetup() != lastClick_.picture;
}

// Played again only onto the very button that took it, unchanged, in front.
bool Player::ClickHadNoEffect() const {
  const platform::Desktop& desktop = app_.platform.desktop;
  if (!lastTakenByButton_ || lastClick_.replayed) return false;
  if (app_.platform.system.AwakeTimeMs() - lastClick_.atMs < kClickEffectWaitMs) return false;
  if (LastClickActed()) return false;
  const platform::WindowHandle root = desktop.RootWindow(lastTarget_);
  return desktop.ForegroundWindow() == root && desktop.IsResponding(root);
}

void Player::ReplayLastClick() {
  lastClick_.replayed = true;
  ForgetEventsSoFar();
  const int package = packageNumber_;
  script::PlayGesture(app_, lastTarget_, lastClick_.events, /*byMessages=*/false);
  if (package != packageNumber_) return;
  lastClick_.atMs = app_.platform.system.AwakeTimeMs();
}

// The press went nowhere (the button never showed it) and nothing was
// clicked: the block is played again, after the wizard is brought forward
// once more; a block whose press is lost again goes by window messages.
void Player::OnPressLost() {
  ++lostPresses_;
  broughtForward_ = false;
}

void Player::OnTargetCovered(platform::WindowHandle root) {
  bar_.lblAct.SetText("Нужное окно закрыто другим приложением");
  if (waitCountdown_ == 0 && attemptCount_ < kForegroundAttempts) {
    ++attemptCount_;
    app_.platform.desktop.ForceForeground(root);
  } else if (waitCountdown_ <= 0) {
    waitCountdown_ = kQuietTicksBetweenAttempts;
    attemptCount_ = 0;
  } else {
    --waitCountdown_;
  }
  waiting_ = Waiting::Covered;
  if (TimedOut()) GiveUp("окно закрыто другим окном");
}

// The limit counts from the later of the block's start and the setup's last
// sign of work: a setup that installs for an hour is waited for.
bool Player::TimedOut() {
  if (!app_.unattended || app_.unattended->timeoutSeconds <= 0) return false;
  NoteSetupWork();
  const long long idle =
      app_.platform.system.AwakeTimeMs() - std::max(waitingSinceMs_, setupWorkedMs_);
  return idle >= app_.unattended->timeoutSeconds * 1000LL;
}

void Player::GiveUp(const std::string& reason) {
  bar_.tmrDo.SetEnabled(false);
  StartAdvance();
  EndPackage(kNotStarted, SetupHangs() ? "программа установки не отвечает" : reason,
             /*withWindow=*/true);
  // After the screenshot: the next setup starts without this one's windows.
  if (app_.setupProcess) app_.setupProcess->Terminate();
}

// The window the block waits on, or the one of the last gesture, is there
// and its thread answers no message.
bool Player::SetupHangs() const {
  const platform::Desktop& desktop = app_.platform.desktop;
  platform::WindowHandle window = FindExactTarget();
  if (window == 0) window = lastTarget_;
  if (window == 0 || !desktop.IsWindow(window)) return false;
  return !desktop.IsResponding(desktop.RootWindow(window));
}

bool Player::SetupEnded() const { return app_.setupProcess && !app_.setupProcess->Running(); }

void Player::PausePlay() {
  paused_ = true;
  bar_.tmrDo.SetEnabled(false);
  bar_.lblCaption.SetText("Пауза");
  bar_.lblCaption.SetVisible(true);
  bar_.lblAct.SetText("Теперь можете делать свои действия");
  bar_.imgPause.SetVisible(false);
  bar_.imgPlay.SetVisible(true);
}

void Player::PlayAfterPause() {
  paused_ = false;
  if (advancePending_) {
    advancePending_ = false;
    StartAdvance();
  } else if (packageOpen_) {
    bar_.tmrDo.SetEnabled(true);
  }
  waitingSinceMs_ = app_.platform.system.AwakeTimeMs();  // a pause is not a wait
  bar_.lblCaption.SetText(CurrentName());
}

void Player::Next() {
  paused_ = advancePending_ = false;
  bar_.imgPlay.SetVisible(false);
  bar_.imgPause.SetVisible(true);
  bar_.lblAct.SetText("Запуск следующей инсталяции");
  bar_.tmrDo.SetEnabled(false);
  StartAdvance();
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
  app_.setupProcess.reset();  // left running: the next script starts at once
}

void Player::Stop() {
  watch_.reset();
  HoldMachine(false);
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(false);
  bar_.Timer1.SetEnabled(false);
  bar_.Hide();
  EndPackage(kInterrupted, "прервано пользователем", /*withWindow=*/true);
  // A stop between two packages leaves every package so far completed, and
  // the rest of the queue never started: no success.
  ShowResults(QueueSize() - queueIndex_);
  bar_.ReturnToLibrary();
}

void Player::EndPackage(int result, const std::string& reason, bool withWindow) {
  // Between two scripts no package is open: its entry keeps its result.
  if (!packageOpen_) return;
  packageOpen_ = false;
  unconfirmed_ = {};
  ++packageNumber_;
  app_.statistics.EndStatEntry(result);
  if (packageByMessages_) byMessages_.push_back({app_.statistics.entries().size(), CurrentName()});
  packageByMessages_ = false;
  if (result != kCompleted) RecordFailure(reason, withWindow);
  SaveReport(UnfinishedLine());
}

void Player::OnSessionEnd() {
  if (!bar_.IsOpen()) return;
  bar_.tmrDo.SetEnabled(false);
  bar_.tmrExit.SetEnabled(false);
  EndPackage(kInterrupted, "сеанс Windows завершён", /*withWindow=*/false);
  const int notStarted = QueueSize() - queueIndex_;
  SaveReport(notStarted > 0 ? "Сеанс Windows завершён: не начато пакетов - " +
                                  std::to_string(notStarted)
                            : std::string());
}

void Player::RecordFailure(const std::string& reason, bool withWindow, bool scriptRead) {
  const script::ScriptBuffer& script = app_.script;
  PackageFailure failure;
  failure.line = app_.statistics.entries().size();
  failure.name = CurrentName();
  if (scriptRead) {
    failure.blockCount = script.header().blockCount;
    failure.block = script.blocksRead();
  }
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

void Player::SaveReport(const std::string& closingLine) {
  if (!ReportWanted()) return;
  const std::string& path = app_.unattended->reportPath;
  std::string text = ReportText(app_.statistics.StatLines(), failures_, byMessages_, blockNotes_, path);
  if (!closingLine.empty()) text += (text.empty() ? "" : "\r\n") + closingLine + "\r\n";
  WriteReport(app_, path, text);
}

// Said at the end of the report until the run has finished; a run that a
// restart or a power cut ended leaves it there.
std::string Player::UnfinishedLine() const {
  return "Запуск не закончен: пройдено пакетов " +
         std::to_string(app_.statistics.entries().size()) + " из " +
         std::to_string(QueueSize());
}

bool Player::AllCompleted() const {
  for (const dialogs::StatEntry& entry : app_.statistics.entries()) {
    if (entry.result != kCompleted) return false;
  }
  return true;
}

void Player::ShowResults(int notStarted) {
  // The exit code tells a deploying tool the result, with or without a report.
  if (app_.unattended) {
    app_.platform.ui.SetExitCode(AllCompleted() && notStarted == 0
                                     ? app::exit_code::kAllComplete
                                     : app::exit_code::kIncomplete);
  }
  if (!ReportWanted()) {
    dialogs::ShowStatistics(app_, nullptr);
    return;
  }
  SaveReport(notStarted > 0
                 ? "Запуск остановлен: не начато пакетов - " + std::to_string(notStarted)
                 : std::string());
}

std::string Player::CurrentName() const { return app::FileTitleOfPath(app_.currentScriptPath); }

}  // namespace engine
