#pragma once
// Playing a queue of scripts with nobody at the keyboard. The queue opens one
// package at a time; for the open package's current block the player, on
// every tick of the step timer (and at the fast speed soon after a window
// event of the setup), locates the block's window, lets it settle, acts on
// it, and confirms that the gesture went in; then the next block is current.
#include <memory>
#include <string>

#include "engine/play/click_watch.h"
#include "engine/play/confirmation.h"
#include "engine/play/drawn_press.h"
#include "engine/play/foreground.h"
#include "engine/play/pacing.h"
#include "engine/play/run_queue.h"
#include "engine/play/run_results.h"
#include "engine/play/setup_activity.h"
#include "engine/play/step_pace.h"
#include "engine/play/target_locator.h"
#include "script/playback.h"

namespace app {
class App;
}

namespace engine {

class FrmStels;

class Player : private PackageDriver {
 public:
  Player(app::App& app, FrmStels& bar);

  void Reset();  // the bar opened
  void ReadSpeedSetting() { pace_.ReadSpeed(app_); }
  void Play() { queue_.Start(pace_.speedIndex()); }
  void OnAdvanceTick() { queue_.OnAdvanceTick(); }
  void StartAdvance() { queue_.StartAdvance(); }
  void NextDo();
  void OnStepTick() {  // tmrDo
    awaitingTick_ = false;
    Step(/*reacting=*/false);
  }
  void OnReactTick();
  void PausePlay() { queue_.Pause(); }
  void PlayAfterPause() { queue_.Resume(); }
  void Next() { queue_.Next(); }
  void Stop() { queue_.Stop(); }
  void OnSessionEnd() { queue_.OnSessionEnd(); }
  bool SessionMayEnd() const { return queue_.SessionMayEnd(); }
  void LetMachineGo() { queue_.LetMachineGo(); }

  int speedIndex() const { return pace_.speedIndex(); }
  int workingInterval() const { return pace_.workingInterval(); }

 private:
  // PackageDriver
  void OnPackageStarted() override { clickWatch_.Forget(); }
  void OnPackageEnded() override;
  void OnResumed() override { waitingSinceMs_ = Now(); }  // a pause is not a wait
  // A window of the setup's processes appeared or changed: a sign of
  // progress, and at the fast speed tmrReact runs the step soon after.
  // Other programs' windows are no news of the setup.
  void OnWindowEvent(platform::WindowEvent event, platform::WindowHandle window) override;

  // A step of the step timer, or one run by a window event (`reacting`): the
  // latter plays a block whose window is found and ready, and otherwise
  // leaves the counters, the texts and the foreground cycle to the timer.
  void Step(bool reacting);
  bool ReactsAtOnce() const;
  void OnTargetFound(const Located& found, bool reacting);
  void OnTargetMissing();
  void Act(platform::WindowHandle target, bool byMessages, bool reacting);
  void OnActed(std::optional<DrawnLook> drawn, bool reacting);
  void OnPressMissed(script::Gesture gesture);
  // The confirmation the block waits for, asked once a tick.
  void Confirm();
  // The block's text, read back; the block counts as played once it is in.
  void PutTextAndFinish(platform::WindowHandle target, script::Gesture gesture);
  void FinishBlock(platform::WindowHandle target, script::Gesture gesture);
  // The next block presses the same drawn window: the pointer goes there now
  // (not for a gesture `byMessages`), while the window settles.
  void PointAhead(platform::WindowHandle target, bool byMessages);
  // The time-out of an unattended run, counted from the later of the
  // block's start and the setup's last sign of work: a setup that installs
  // for an hour is waited for.
  bool TimedOut();
  // The time-out of an unattended run: `reason` is why the window could not
  // be played; a setup whose windows stopped answering is said to hang.
  void GiveUp(const std::string& reason);
  bool SetupEnded() const;  // the followed setup's processes have all ended
  std::string BlockText() const;  // "блок 2 из 5", for the log
  // The block's window is found and goes to be played: said in the log once.
  void LogFound(const Located& found);
  long long Now() const;

  app::App& app_;
  FrmStels& bar_;
  RunResults results_;
  SetupActivity activity_;
  TargetLocator locator_;
  RunQueue queue_;
  InputClickWatch clickWatch_;
  StillWait still_;
  Foreground foreground_;
  std::unique_ptr<Confirmation> pending_;  // the current block's gesture, not yet confirmed
  BeforePress before_;                     // the current block's window before its gesture

  StepPace pace_;
  bool inStepTick_ = false;
  int lostPresses_ = 0;  // of the current block
  bool awaitingTick_ = false;    // window events wait for the step timer's next tick
  long long waitingSinceMs_ = 0;  // the current block's start, or the end of a pause
  Located located_;               // the current block's window, as last located
  bool foundLogged_ = false;      // of the current block
};

}  // namespace engine
