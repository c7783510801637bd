#include "engine/player.h"

#include "app/app.h"
#include "dialogs/frmStat.h"
#include "engine/drawn_window.h"
#include "engine/frmStels.h"
#include "platform/text.h"

namespace engine {

using dialogs::stat_result::kCompleted;
using dialogs::stat_result::kNotStarted;

namespace {

constexpr const char* kLocateComponent = "Locate";
constexpr const char* kPressComponent = "Press";

std::string GestureText(script::Gesture gesture) {
  return gesture == script::Gesture::PlayedByMessages ? "сообщениями окна" : "вводом мыши";
}

}  // namespace

Player::Player(app::App& app, FrmStels& bar)
    : app_(app),
      bar_(bar),
      results_(app),
      activity_(app.platform.desktop, app.platform.system),
      locator_(app.platform.desktop, app.platform.system, app.script),
      queue_(app, bar, results_, activity_, *this),
      clickWatch_(app),
      foreground_(app.platform.desktop),
      pace_(bar.tmrDo) {}

long long Player::Now() const { return app_.platform.system.AwakeTimeMs(); }

void Player::Reset() {
  pace_.Reset();
  inStepTick_ = awaitingTick_ = false;
  lostPresses_ = 0;
  foreground_.Reset();
  queue_.Reset();
  results_.Clear();
  pending_.reset();
  clickWatch_.Forget();
  still_.Forget();
  located_ = {};
}

void Player::OnPackageEnded() {
  pending_.reset();
  clickWatch_.Forget();
}

void Player::NextDo() {
  script::ScriptBuffer& script = app_.script;
  if (script.ReadNextBlock()) {
    // While paused the block waits for continue.
    bar_.tmrDo.SetEnabled(!queue_.paused());
    // The first block's window may be there already.
    if (script.blocksRead() == 1 && ReactsAtOnce()) bar_.tmrReact.SetEnabled(true);
    foreground_.NewBlock();
    lostPresses_ = 0;
    pending_.reset();
    located_ = {};
    // A drawn window keeps the picture its last press was seen to make; the
    // wait for it to be still starts again at the block's first look at it
    // (the block may wait a while for something else first).
    still_.NewBlock();
    waitingSinceMs_ = Now();
    foundLogged_ = false;
    queue_.SaveState();
    return;
  }
  bar_.tmrDo.SetEnabled(false);
  queue_.StartAdvance();
  // A block that cannot be read is a damaged script, not a finished one.
  if (script.readFailed()) {
    queue_.EndPackage(kNotStarted, "сценарий повреждён", /*withWindow=*/false);
  } else {
    queue_.EndPackage(kCompleted, {}, false);
  }
}

void Player::OnWindowEvent(platform::WindowEvent event, platform::WindowHandle window) {
  // Without a process to follow (a document handed to a running program),
  // any program's window may be the setup's.
  const platform::Process* setup = app_.setupProcess.get();
  if (setup && !setup->Owns(app_.platform.desktop.ProcessIdOf(window))) return;
  // A foreground change says nothing of a page the wizard moved on to.
  if (event == platform::WindowEvent::Changed) {
    clickWatch_.NoteEvent();
    activity_.NoteChange();
  }
  if (ReactsAtOnce() && !bar_.tmrReact.enabled()) bar_.tmrReact.SetEnabled(true);
}

void Player::OnReactTick() {
  bar_.tmrReact.SetEnabled(false);
  if (queue_.TakeAdvanceSoon()) {
    // Stop or pause may have come first: the timer says whether to advance.
    if (bar_.tmrExit.enabled()) queue_.OnAdvanceTick();
    return;
  }
  if (ReactsAtOnce()) Step(/*reacting=*/true);
}

// A block is being looked for (the step timer runs) at the fast speed.
bool Player::ReactsAtOnce() const {
  return pacing::ReactsToEvents(pace_.speedIndex()) && queue_.packageOpen() && !queue_.paused() &&
         !awaitingTick_ && bar_.tmrDo.enabled();
}

void Player::Step(bool reacting) {
  // A gesture lets the message queue run; a step must not start inside it.
  if (inStepTick_) return;
  inStepTick_ = true;
  activity_.Sample(app_.setupProcess.get());
  if (pending_) {
    Confirm();
    inStepTick_ = false;
    return;
  }
  const script::CurrentBlock& block = app_.script.block;
  located_ = locator_.Locate(block.windowPath, FirstPress(block.mouseEvents),
                             app_.setupProcess.get(), Now() - waitingSinceMs_, pace_.speedIndex());
  if (located_.state == Located::State::Missing) {
    if (!reacting) OnTargetMissing();
  } else if (!clickWatch_.HoldsBack(located_.window, reacting)) {
    OnTargetFound(located_, reacting);
  }
  inStepTick_ = false;
}

std::string Player::BlockText() const {
  return "блок " + std::to_string(app_.script.blocksRead()) + " из " +
         std::to_string(app_.script.header().blockCount);
}

void Player::LogFound(const Located& found) {
  RunLog& log = results_.log();
  log.WaitOver();
  if (foundLogged_) return;
  foundLogged_ = true;
  const std::string recorded = DescribePath(app_.script.block.windowPath);
  if (found.byLikeness) {
    log.Warning(kLocateComponent, BlockText() + ": окно найдено по сходству: записано " + recorded +
                                      ", нажато " + found.pressed + ", почему: " + found.why);
  } else {
    log.Info(kLocateComponent, BlockText() + ": окно найдено: " + recorded);
  }
}

void Player::OnTargetMissing() {
  results_.log().Waiting("окно, " + BlockText() + ": " + DescribePath(app_.script.block.windowPath));
  pace_.OnMissing();
  bar_.lblAct.SetText("Поиск окна");
  clickWatch_.ReplayIfLost();
  if (SetupEnded()) {
    // No window of a process tree that has ended can appear any more.
    bar_.tmrDo.SetEnabled(false);
    queue_.StartAdvance();
    queue_.EndPackage(kNotStarted, "программа установки завершилась", /*withWindow=*/true);
  } else if (TimedOut()) {
    GiveUp("окно не найдено");
  }
}

void Player::OnTargetFound(const Located& found, bool reacting) {
  pace_.OnFound();
  if (found.state == Located::State::NotReady) {
    if (reacting) return;
    results_.log().Waiting("окно готово к вводу, " + BlockText());
    bar_.lblAct.SetText("Выполняется ожидание установки");
    if (TimedOut()) GiveUp("окно не принимает ввод");
    return;
  }
  const platform::Desktop& desktop = app_.platform.desktop;
  const platform::WindowHandle root = desktop.RootWindow(found.window);
  const bool byMessages = (app_.unattended && app_.unattended->messages) ||
                          lostPresses_ >= pacing::kLostPressesBeforeMessages;
  if (!byMessages && reacting && desktop.ForegroundWindow() != root &&
      !foreground_.broughtForward()) {
    return;
  }
  if (!byMessages && !foreground_.InFront(root)) {
    results_.log().Waiting("окно на переднем плане, " + BlockText());
    return;
  }
  LogFound(found);
  Act(found.window, byMessages, reacting);
}

void Player::Act(platform::WindowHandle target, bool byMessages, bool reacting) {
  platform::Desktop& desktop = app_.platform.desktop;
  const platform::Point press = FirstPress(app_.script.block.mouseEvents);
  std::optional<DrawnLook> drawn;
  if (IsDrawnSurface(desktop, target, press) &&
      !still_.SettledUnderPointer(desktop, target, press, byMessages, Now(), drawn)) {
    results_.log().Waiting("неподвижное окно, " + BlockText());
    return;
  }
  results_.log().WaitOver();
  // What a button's click by window messages (asked for, or the fallback of
  // a desktop that refuses input) must change.
  before_ = BeforeGesture(app_, target, byMessages);
  clickWatch_.ForgetEvents();
  const int package = queue_.packageNumber();
  before_.gesture = script::PlayBlockGesture(app_, target, byMessages);
  // Next or stop may have been pressed while the gesture was injected.
  if (package != queue_.packageNumber() || !queue_.packageOpen() || !bar_.IsOpen()) return;
  OnActed(std::move(drawn), reacting);
}

void Player::OnActed(std::optional<DrawnLook> drawn, bool reacting) {
  const platform::WindowHandle target = before_.target;
  if (before_.gesture == script::Gesture::Lost || before_.gesture == script::Gesture::Covered) {
    if (!reacting || before_.gesture == script::Gesture::Lost) OnPressMissed(before_.gesture);
    return;
  }
  if (before_.gesture == script::Gesture::PlayedByMessages) queue_.NotePlayedByMessages();
  if (app_.script.block.mouseEvents.size() >= 2) {
    results_.log().Info(kPressComponent, BlockText() + ": нажатие " + GestureText(before_.gesture));
  }
  pending_ = ConfirmationFor(app_, before_, std::move(drawn), still_);
  if (!pending_) PutTextAndFinish(target, before_.gesture);
}

// A lost press went nowhere (the button never showed it) and nothing was
// clicked: it is played again, after the wizard is brought forward once
// more; a block whose press is lost again goes by window messages. A covered
// one waits for the window to come forward.
void Player::OnPressMissed(script::Gesture gesture) {
  if (gesture == script::Gesture::Lost) {
    ++lostPresses_;
    foreground_.PressLost();
    return;
  }
  results_.log().Waiting("окно закрыто другим окном, " + BlockText());
  bar_.lblAct.SetText("Нужное окно закрыто другим приложением");
  foreground_.OnCovered(app_.platform.desktop.RootWindow(before_.target));
  if (TimedOut()) GiveUp("окно закрыто другим окном");
}

void Player::Confirm() {
  const Outcome outcome = pending_->Check();
  switch (outcome.verdict) {
    case Verdict::Pending:
      // A busy setup may still act on it; the time-out holds for a hung one.
      if (TimedOut()) GiveUp("окно не принимает ввод");
      return;
    case Verdict::GiveUp:
      pending_.reset();
      return GiveUp(outcome.reason);
    case Verdict::PlayAgain: {
      // Playing lets the message queue run, where next or stop may end the
      // package: only a package still the same waits on.
      std::unique_ptr<Confirmation> current = std::move(pending_);
      const int package = queue_.packageNumber();
      const script::Gesture gesture = current->PlayAgain();
      if (package != queue_.packageNumber()) return;
      results_.log().Warning(kPressComponent, BlockText() + ": нажатие не дало действия, повторено " +
                                                  GestureText(gesture));
      pending_ = std::move(current);
      if (gesture == script::Gesture::Covered || gesture == script::Gesture::Lost) {
        pending_->NotPlayed();
        OnPressMissed(gesture);
      }
      return;
    }
    case Verdict::Noted:
      results_.log().Warning(kPressComponent, BlockText() + ": " + outcome.reason);
      results_.NoteBlock(outcome.reason, {}, {{"Окно", DescribePath(app_.script.block.windowPath)}});
      break;
    case Verdict::Confirmed:
      results_.log().Info(kPressComponent, BlockText() + (pending_->kind() == Confirmation::Kind::Text
                                                               ? ": текст прочитан обратно"
                                                               : ": нажатие подтверждено"));
      break;
  }
  // A text confirmed ends the block; a gesture confirmed puts the text next.
  const std::unique_ptr<Confirmation> confirmed = std::move(pending_);
  if (confirmed->kind() == Confirmation::Kind::Text) {
    return FinishBlock(confirmed->target(), before_.gesture);
  }
  PutTextAndFinish(confirmed->target(), before_.gesture);
}

void Player::PutTextAndFinish(platform::WindowHandle target, script::Gesture gesture) {
  BeforePress text = before_;
  text.target = target;
  text.gesture = gesture;
  const size_t chars = text::CharCount(app_.script.block.blockText);
  pending_ = PutText(app_, std::move(text));
  // The text itself stays out of the log: it may be a password or a key.
  if (pending_) {
    results_.log().Info("Text", BlockText() + ": текст введён, знаков " + std::to_string(chars));
  }
  if (!pending_) FinishBlock(target, gesture);
}

void Player::FinishBlock(platform::WindowHandle target, script::Gesture gesture) {
  const std::vector<script::MouseEvent> played = app_.script.block.mouseEvents;
  if (target != 0 && located_.byLikeness && target == located_.window) {
    results_.NoteFoundByLikeness(located_.pressed, located_.why);
  }
  bar_.tmrDo.SetEnabled(false);
  NextDo();
  PointAhead(target, gesture == script::Gesture::PlayedByMessages);
  foreground_.AfterBlock();
  if (queue_.packageOpen()) bar_.lblAct.SetText("Выполняется ожидание установки");
  clickWatch_.Played(before_, played,
                     gesture == script::Gesture::Taken && queue_.watchingWindows() &&
                         pacing::ReactsToEvents(pace_.speedIndex()));
  // The next block goes at once after a button that has acted on its click
  // and after a click into any other window (a field, a list): the setup
  // takes the next press after it, in order. A button that has not yet acted
  // and window messages give the setup the step timer's tick.
  const bool button = app_.platform.desktop.ButtonKindOf(target) != platform::ButtonKind::None;
  awaitingTick_ = gesture == script::Gesture::PlayedByMessages ||
                  (gesture == script::Gesture::Played && button);
  if (ReactsAtOnce()) bar_.tmrReact.SetEnabled(true);
}

void Player::PointAhead(platform::WindowHandle target, bool byMessages) {
  const script::CurrentBlock& next = app_.script.block;
  if (byMessages || !queue_.packageOpen() || !still_.Watches(target)) return;
  if (locator_.FindExact(next.windowPath, app_.setupProcess.get()) != target) return;
  still_.PointTo(app_.platform.desktop, target, FirstPress(next.mouseEvents), Now());
}

bool Player::TimedOut() {
  return app_.unattended &&
         activity_.IdleFor(app_.unattended->timeoutSeconds, waitingSinceMs_, app_.setupProcess.get());
}

void Player::GiveUp(const std::string& reason) {
  bar_.tmrDo.SetEnabled(false);
  queue_.StartAdvance();
  // The window the block waits on, or the one of the last gesture, is there
  // and its thread answers no message.
  platform::WindowHandle window =
      locator_.FindExact(app_.script.block.windowPath, app_.setupProcess.get());
  if (window == 0) window = clickWatch_.lastTarget();
  const bool hangs = WindowHangs(app_.platform.desktop, window);
  queue_.EndPackage(kNotStarted, hangs ? "программа установки не отвечает" : reason,
                    /*withWindow=*/true);
  // After the screenshot: the next setup starts without this one's windows.
  if (app_.setupProcess) app_.setupProcess->Terminate();
}

bool Player::SetupEnded() const { return app_.setupProcess && !app_.setupProcess->Running(); }

}  // namespace engine
