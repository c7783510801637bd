#pragma once
// A run that a restart ends (a setup's last click, an update, a power cut)
// goes on after it. While an unattended run goes, its state is kept in a
// file and Windows is asked to start the program again at the next logon
// (HKLM RunOnce: it runs before the desktop, in the session of the user who
// logs on, as the setups' windows need, and Wine runs it on a restart too).
// The value's name starts with "!": Windows deletes it only once the resumed
// run has ended, so a second restart resumes again.
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "dialogs/statistics.h"
#include "engine/play/package_outcome.h"
#include "engine/run_report.h"

namespace engine {

struct RunState {
  app::UnattendedRun options;
  std::vector<std::string> queue;  // script paths; index 0 is empty, as in App::playQueue
  int started = 0;                 // queue index of the last package started
  // That package had not ended when the state was kept. (One whose blocks
  // were all played has ended, with its result, while its setup finishes:
  // that setup may be what asked for the restart.)
  bool inProgress = false;
  int block = 0, blockCount = 0;   // of the package in progress
  // The lists that package's outcome is judged against, while its setup has
  // not been concluded: what it installed is still told after the restart.
  std::optional<ListsBefore> listsBefore;
  std::vector<dialogs::StatEntry> entries;
  ReportSections sections;         // of the packages so far
  int failures = 0, failuresTryLater = 0;
};

std::string RunStateText(const RunState& state);
// Nothing for a file that is not a run's state.
std::optional<RunState> ParseRunState(const std::string& text);

class RunResume {
 public:
  explicit RunResume(app::App& app) : app_(app) {}
  // Where the state of a run is kept: the Windows folder's Temp, which the
  // user who logs on after the restart can reach, whoever it is.
  static std::string StatePath(const platform::System& system);
  // The state is written and the resume registered; false when Windows
  // refused the registration (no administrator).
  bool Keep(const RunState& state);
  // The run is over: no resume, no state.
  void End();
  bool registered() const { return registered_; }

 private:
  app::App& app_;
  bool registered_ = false;
};

}  // namespace engine
