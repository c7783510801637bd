#pragma once
// The play queue: which script comes next, the wait for the previous setup
// and for Windows Installer, pause, next and stop, and the end of the run.
// It opens and closes one package at a time; the blocks of the open package
// are the player's.
#include <memory>
#include <string>

#include "engine/play/package_outcome.h"
#include "engine/play/run_resume.h"
#include "platform/desktop.h"

namespace app {
class App;
}

namespace engine {

class FrmStels;
class MachineGuard;
class RunResults;
class SetupActivity;

// What the queue tells the one who plays the open package's blocks.
class PackageDriver {
 public:
  virtual ~PackageDriver() = default;
  virtual void OnPackageStarted() = 0;
  virtual void OnPackageEnded() = 0;
  virtual void OnResumed() = 0;  // after a pause, which is no wait of a block's
  virtual void OnWindowEvent(platform::WindowEvent event, platform::WindowHandle window) = 0;
};

class RunQueue {
 public:
  RunQueue(app::App& app, FrmStels& bar, RunResults& results, SetupActivity& activity,
           PackageDriver& driver);
  ~RunQueue();

  void Reset();
  // The run starts at the queue's first script, at this speed.
  void Start(int speedIndex);
  void OnAdvanceTick();  // tmrExit
  // The advance timer on; at the fast speed the advance comes at once
  // (tmrReact), the timer staying as the fallback.
  void StartAdvance();
  // tmrReact was started for the advance, not for a step: true once.
  bool TakeAdvanceSoon();
  void Pause();
  void Resume();
  void Next();
  void Stop();
  // Windows ends the session although the bar refused: the report is
  // completed before the process is ended.
  void OnSessionEnd();
  void LetMachineGo();
  // Windows may end the session between two packages of a run that goes on
  // after the restart: a setup's last click may be what restarts it.
  bool SessionMayEnd() const;

  // Closes the open package's statistics entry with `result`; a package that
  // did not complete is remembered with where and why it stopped.
  void EndPackage(int result, const std::string& reason, bool withWindow);
  void NotePlayedByMessages() { packageByMessages_ = true; }
  // The state that a run ended by a restart goes on from, kept as each
  // package and each block starts.
  void SaveState();

  bool packageOpen() const { return packageOpen_; }
  // Changes whenever a package starts or ends: a gesture that let the
  // message queue run sees by it whether next or stop came meanwhile.
  int packageNumber() const { return packageNumber_; }
  bool paused() const { return paused_; }
  bool watchingWindows() const { return watch_ != nullptr; }
  std::string CurrentName() const;
  int QueueSize() const;

 private:
  void StartNextScript();
  // True while the previous setup's processes run (a minute at most) or
  // Windows Installer is busy: the advance timer then asks again.
  // With `nextFollows` false (after the last package) only the setup is
  // waited for. The package's outcome is taken once its setup has ended.
  bool WaitForPreviousSetup(bool nextFollows);
  // What the last package's setup did, into the results; once per package.
  void ConcludePackage();
  bool InstallerWaitRanOut();
  void SkipNextScript(const std::string& reason);
  void OpenEntry();
  void FinishQueue();
  void SaveUnfinished();
  void GoOnAfterRestart();
  std::string TimeoutText() const;

  app::App& app_;
  FrmStels& bar_;
  RunResults& results_;
  SetupActivity& activity_;
  PackageDriver& driver_;
  OutcomeWatch outcome_;
  RunResume resume_;
  bool resumeWarned_ = false;
  std::unique_ptr<MachineGuard> guard_;
  std::unique_ptr<platform::WindowWatch> watch_;
  int speedIndex_ = 2;
  int queueIndex_ = 0;  // of the current script in the play queue
  bool paused_ = false;
  bool advancePending_ = false;  // the advance timer ticked during a pause
  bool advanceSoon_ = false;     // tmrReact runs the advance, not a step
  bool packageOpen_ = false;     // a script was started and its entry is not closed
  bool packageByMessages_ = false;
  int packageNumber_ = 0;
  long long previousWaitSinceMs_ = -1;  // -1: not waiting for the previous setup
};

}  // namespace engine
