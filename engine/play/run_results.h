#pragma once
// What a run did: the packages that did not complete and why, those played
// by window messages, the blocks worth a note; the report that says it,
// written as the run goes, and the exit code that tells a deploying tool.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/play/package_outcome.h"
#include "engine/play/run_log.h"

namespace app {
class App;
}

namespace engine {

struct RunState;
struct ReportSections;

// Why a package did not complete, as an unattended run reports it.
struct PackageFailure {
  size_t line = 0;  // 1-based line of the statistics list
  std::string name;
  int block = 0, blockCount = 0;
  std::string windowPath;  // the window that was waited for; empty when none
  std::string reason;
  bool tryLater = false;  // it never got its turn: another installation held the machine
  bool screenshot = false;  // a screenshot of that moment was saved beside the report
};

// A package whose gestures went in as window messages, because the run asked
// for it or the desktop took no injected input.
struct PackageByMessages {
  size_t line = 0;
  std::string name;
};

using NoteFields = std::vector<std::pair<std::string, std::string>>;  // label, value

// Blocks the report names even when their package completes: their window
// was found by likeness (a setup's next version), or their press changed
// nothing in a window that draws its own controls. Blocks of a package with
// the same heading and the same shared fields (the same reason) make one
// note.
struct BlockNote {
  std::string heading;  // "Окно найдено по сходству"
  size_t line = 0;      // of the statistics list
  std::string name;
  int blockCount = 0;
  NoteFields shared;    // the same for every block of the note
  struct Block {
    int number = 0;
    NoteFields fields;
  };
  std::vector<Block> blocks;
};

// What a package's setup left on the machine.
struct PackageResult {
  size_t line = 0;
  std::string name;
  bool completed = false;  // every block was played
  PackageOutcome outcome;
};

class RunResults {
 public:
  explicit RunResults(app::App& app);
  ~RunResults();

  void Clear();
  // The package of the statistics' last entry did not complete; with a
  // report, a screenshot of this moment goes beside it. `withWindow`: the
  // block's window is named; `scriptRead`: its blocks can be counted.
  void RecordFailure(const std::string& reason, bool withWindow, bool scriptRead = true,
                     bool tryLater = false);
  // The package of the statistics' last entry was cut short by a restart:
  // no screenshot, the desktop is a new one.
  void RecordInterrupted(const std::string& reason, int block, int blockCount);
  void NoteBlock(const std::string& heading, NoteFields shared, NoteFields perBlock = {});
  // The open package's setup has ended (or is no longer waited for): what it
  // installed, its code and restart. A package whose blocks were all played
  // but whose setup returned a code of failure does not complete.
  void RecordOutcome(const PackageOutcome& outcome);
  void NotePlayedByMessages();
  // The current block's window was found by likeness: what was pressed, and why.
  void NoteFoundByLikeness(const std::string& pressed, const std::string& why);
  // The report as the run stands: written when the run starts and after
  // every package, so that a run that never ends leaves what it did.
  void Save(const std::string& closingLine) const;
  // Said at the end of the report until the run has finished; a run that a
  // restart or a power cut ended leaves it there.
  std::string UnfinishedLine(int queueSize) const;
  // The run is over: the exit code, and the report or the statistics window.
  // `notStarted`: packages of the queue that a stop left unstarted. A run
  // whose only packages not completed never got their turn (Windows
  // Installer stayed busy) is to be tried again later.
  void Finish(int notStarted);

  // A run that goes on after a restart: what its part before found, and
  // the line that says where it went on.
  void Restore(const RunState& state, int nextLine, int queueSize);
  // What the state of the run keeps of the results so far.
  void FillState(RunState& state) const;

  const std::vector<PackageFailure>& failures() const { return failures_; }
  RunLog& log() { return log_; }
  bool restartNeeded() const;

 private:
  int ExitCode(int notStarted) const;
  bool ReportWanted() const;
  bool AllCompleted() const;
  std::string CurrentName() const;
  // Of the whole run, before a restart too.
  int FailureCount() const;
  int TryLaterCount() const;

  ReportSections Sections() const;

  app::App& app_;
  RunLog log_;
  std::unique_ptr<ReportSections> before_;  // of the run's part before a restart
  int failuresBefore_ = 0, tryLaterBefore_ = 0;
  std::vector<PackageFailure> failures_;
  std::vector<PackageResult> packageResults_;
  std::vector<PackageByMessages> byMessages_;
  std::vector<BlockNote> blockNotes_;
};

}  // namespace engine
