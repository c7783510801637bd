#pragma once
// Playing a queue of scripts with nobody at the keyboard. For each script the
// program is launched, then on every tick of the step timer the window of the
// current block is looked for; when it is there and can be pressed, the
// block's gesture and text are injected and the next block becomes current.
// The advance timer moves from script to script; after the last one the
// statistics are shown.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "script/playback.h"

namespace app {
class App;
}

namespace engine {

class FrmStels;

// Why a package did not complete, as an unattended run reports it.
struct PackageFailure {
  size_t line = 0;  // 1-based line of the statistics list
  std::string name;
  int block = 0, blockCount = 0;
  std::string windowPath;  // the window that was waited for; empty when none
  std::string reason;
};

// A package whose gestures went in as window messages, because the run asked
// for it or the desktop took no injected input.
struct PackageByMessages {
  size_t line = 0;
  std::string name;
};

// A block the report names even when its package completes: its window was
// found by likeness (a setup's next version), or its press changed nothing
// in a window that draws its own controls.
struct BlockNote {
  std::string heading;  // "Окно найдено по сходству"
  size_t line = 0;      // of the statistics list
  std::string name;
  int block = 0, blockCount = 0;
  std::vector<std::pair<std::string, std::string>> fields;  // label, value
};

namespace speed {
constexpr int kIntervals[] = {100, 250, 500};  // fast, medium, slow
constexpr int kSearchInterval = 500;
constexpr int kMissesBeforeSlowSearch = 10;
// At the fast speed a window event runs the step this soon, so that a burst
// of events (a page being built) makes one step.
constexpr int kReactDelay = 10;
// A block's window not found as recorded this long is looked for by
// likeness; a slower speed gives a slow wizard longer.
constexpr long long kLikenessDelaysMs[] = {2000, 3000, 4000};
// A window that draws its own controls is pressed once its picture has been
// still this long, or once it has been looked at kMaxStillWaitMs (a window
// that never settles).
constexpr long long kStillMs = 100;
constexpr long long kMaxStillWaitMs = 3000;
}  // namespace speed

class Player {
 public:
  Player(app::App& app, FrmStels& bar);

  void Reset();  // the bar opened
  void ReadSpeedSetting();
  void Play();
  void OnAdvanceTick();  // tmrExit
  // The advance timer on; at the fast speed the advance comes at once
  // (tmrReact), the timer staying as the fallback.
  void StartAdvance();
  void NextDo();
  void OnStepTick();  // tmrDo
  // A window of the setup's processes appeared or changed: a sign of
  // progress, and at the fast speed tmrReact runs the step soon after.
  // Other programs' windows are no news of the setup.
  void OnWindowEvent(platform::WindowEvent event, platform::WindowHandle window);
  void OnReactTick();
  void PausePlay();
  void PlayAfterPause();
  void Next();
  void Stop();
  // Windows ends the session although the bar refused: the report is
  // completed before the process is ended.
  void OnSessionEnd();
  // Keeps the machine awake and the session from ending quietly while a run
  // goes on; false lets both go.
  void HoldMachine(bool hold);

  int speedIndex() const { return speedIndex_; }
  int workingInterval() const { return workingInterval_; }
  bool fastMode() const { return fastMode_; }
  bool paused() const { return paused_; }
  const std::vector<PackageFailure>& failures() const { return failures_; }
  const std::vector<PackageByMessages>& playedByMessages() const { return byMessages_; }
  const std::vector<BlockNote>& blockNotes() const { return blockNotes_; }

 private:
  enum class Waiting { None, NotFound, NotReady, Covered };

  int QueueSize() const;
  void StartNextScript();
  // True while the previous setup's processes run (a minute at most) or
  // Windows Installer is busy: the advance timer then asks again.
  bool WaitForPreviousSetup();
  bool InstallerWaitRanOut();
  void SkipNextScript(const std::string& reason);
  bool SetupEnded() const;  // the followed setup's processes have all ended
  bool SetupHangs() const;
  void FinishQueue();
  // A step of the step timer, or one run by a window event (`reacting`): the
  // latter plays a block whose window is found and ready, and otherwise
  // leaves the counters, the texts and the foreground cycle to the timer.
  void Step(bool reacting);
  bool ReactsAtOnce() const;
  bool SameTargetUnchanged(platform::WindowHandle target, bool reacting);
  void ForgetEventsSoFar();  // before a press: only later events tell what it did
  // The button, its page or the setup's windows differ from what they were
  // before the last click.
  bool LastClickActed() const;
  bool ClickHadNoEffect() const;
  void ReplayLastClick();
  // The block's window as recorded, or, once it has been missing a while, the
  // setup's window most like it.
  platform::WindowHandle FindTarget();
  platform::WindowHandle FindExactTarget() const;
  platform::WindowHandle FindLikelyTarget();
  void OnTargetFound(platform::WindowHandle target, bool reacting);
  void OnTargetMissing();
  void OnTargetNotReady();
  void OnTargetCovered(platform::WindowHandle root);
  void OnBlockPlayed(platform::WindowHandle target, script::Gesture gesture);
  // The block's text, read back; the block counts as played once it is in.
  void PutTextAndFinish(platform::WindowHandle target, script::Gesture gesture);
  void FinishBlock(platform::WindowHandle target, script::Gesture gesture);
  void NoteBlock(const std::string& heading,
                 std::vector<std::pair<std::string, std::string>> fields);
  // A click or text sent as window messages that has shown no sign of
  // arriving: looked at again, sent again, and in the end given up.
  void ConfirmUnconfirmed();
  // A press into a window that draws its own controls counts when the
  // window's picture changed; one that changed nothing is played again.
  void ConfirmPicture();
  // False while the drawn window's picture still changes (a page loading):
  // the press waits. `picture` is what it shows now.
  bool PictureSettled(platform::WindowHandle target, std::optional<size_t>& picture);
  bool ClickArrived() const;
  bool TextArrived(platform::WindowHandle target, const std::string& before) const;
  void ClickAgain();
  size_t PictureOfSetup() const;
  void OnPressLost();
  bool IsReady(platform::WindowHandle target) const;
  // False when the top-level window was only now brought to the foreground:
  // its activation must reach it before a press does.
  bool InFront(platform::WindowHandle root);
  bool MessagesOnly() const;
  void RestartStepTimer(int interval);
  // The setup worked (processor time, file reads or writes) or its shown
  // windows changed since the last look: the time-out counts from now.
  void NoteSetupWork();
  bool TimedOut();
  // The time-out of an unattended run: `reason` is why the window could not
  // be played; a setup whose windows stopped answering is said to hang.
  void GiveUp(const std::string& reason);
  // Closes the open package's statistics entry with `result`; a package that
  // did not complete is remembered with where and why it stopped.
  void EndPackage(int result, const std::string& reason, bool withWindow);
  void RecordFailure(const std::string& reason, bool withWindow, bool scriptRead = true);
  bool ReportWanted() const;
  // The report as the run stands: written when the run starts and after
  // every package, so that a run that never ends leaves what it did.
  void SaveReport(const std::string& closingLine);
  std::string UnfinishedLine() const;
  bool AllCompleted() const;
  // `notStarted`: packages of the queue that a stop left unstarted.
  void ShowResults(int notStarted = 0);
  std::string CurrentName() const;

  app::App& app_;
  FrmStels& bar_;
  int speedIndex_ = 2;
  int workingInterval_ = 500;
  bool fastMode_ = false;
  int waitCountdown_ = 0, attemptCount_ = 0, missCount_ = 0;
  bool inStepTick_ = false;
  bool paused_ = false;
  bool advancePending_ = false;    // the advance timer ticked during a pause
  bool advanceSoon_ = false;       // tmrReact runs the advance, not a step
  bool broughtForward_ = false;    // for the current block
  int lostPresses_ = 0;            // of the current block
  // The window of the last gesture (a button that took its click, or not),
  // and whether a window event came since its press: a wizard that changes
  // pages only after the click is over shows the same button, unchanged, a
  // moment longer.
  platform::WindowHandle lastTarget_ = 0;
  bool lastTakenByButton_ = false;
  bool awaitingTick_ = false;  // window events wait for the step timer's next tick
  bool eventSincePress_ = false;
  // A button that took a click, as it and its setup were just before the
  // press: a wizard may rename the button within the click (Next reading
  // "Install" on the ready page) or raise a page without any window event.
  struct LastClick {
    std::string caption;
    int check = -1;
    size_t picture = 0;  // of the setup's windows
    std::vector<script::MouseEvent> events;
    long long atMs = 0;
    bool replayed = false;
  };
  LastClick lastClick_;
  enum class Awaiting { None, Click, Text, Picture };
  struct Unconfirmed {
    Awaiting what = Awaiting::None;
    platform::WindowHandle target = 0;
    script::Gesture gesture = script::Gesture::Played;
    size_t picture = 0;  // of the setup's windows (or the drawn window) before the click
    int check = -1;      // of the target before the click
    std::string textBefore;
    long long sinceMs = 0;
    int attempts = 0;
  };
  Unconfirmed unconfirmed_;
  // The drawn window the current block waits on to be still, since when it
  // is looked at (-1: not yet by this block), and when its picture last
  // changed.
  struct StillWatch {
    platform::WindowHandle window = 0;
    size_t picture = 0;
    long long sinceMs = 0, changedMs = 0;
  };
  StillWatch still_;
  size_t pictureBeforeGesture_ = 0;
  int checkBeforeGesture_ = -1;
  std::string captionBeforeGesture_;
  std::unique_ptr<platform::WindowWatch> watch_;
  bool packageByMessages_ = false;
  bool packageOpen_ = false;  // a script was started and its entry is not closed
  int packageNumber_ = 0;     // changes whenever a package starts or ends
  int queueIndex_ = 0;        // of the current script in the play queue
  Waiting waiting_ = Waiting::None;
  long long waitingSinceMs_ = 0;
  // The last sign that the setup works, and the work count seen then.
  long long setupWorkedMs_ = 0;
  unsigned long long setupWork_ = 0;
  size_t setupPicture_ = 0;
  long long workSampledMs_ = 0;
  long long previousWaitSinceMs_ = -1;  // -1: not waiting for the previous setup
  std::vector<PackageFailure> failures_;
  std::vector<PackageByMessages> byMessages_;
  std::vector<BlockNote> blockNotes_;
  // The current block's window as found by likeness, and why it was taken.
  platform::WindowHandle likelyTarget_ = 0;
  std::string likelyPressed_, likelyWhy_;
};

}  // namespace engine
