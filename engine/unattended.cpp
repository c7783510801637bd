#include "engine/unattended.h"

#include "app/paths.h"
#include "engine/frmStels.h"
#include "engine/play/run_log.h"
#include "engine/play/run_resume.h"
#include "engine/run_report.h"
#include "library/library_order.h"
#include "script/save_script.h"

namespace engine {
namespace {

// The scripts to play: the one named, or the folder's in library order.
std::vector<std::string> PlayQueue(const app::App& app, const std::string& target) {
  std::vector<std::string> queue{""};
  const auto attributes = app.platform.files.Attributes(target);
  if (!attributes || !attributes->folder) {
    queue.push_back(target);
    return queue;
  }
  library::ScriptFiles files;
  const auto names =
      library::LibraryOrder(app.platform.files, app.platform.system, target, &files);
  for (const std::string& name : names.value_or(std::vector<std::string>{})) {
    queue.push_back(library::ScriptPathIn(target, files, name));
  }
  return queue;
}

bool Refuse(app::App& app, const app::CommandLineRun& run, const std::string& problem) {
  TellAboutRun(app, run, problem + "\r\n\r\n" + app::UsageText());
  app.exitCode = app::exit_code::kBadCommandLine;
  return false;
}

// Nothing is played for a run whose results would be lost. A run that goes
// on after a restart adds to its report and log.
bool ResultsCanBeWritten(app::App& app, const app::CommandLineRun& run, bool fresh) {
  const app::UnattendedRun& options = *app.unattended;
  const std::string& report = options.reportPath;
  const bool reportWritable =
      report.empty() || (fresh ? WriteReport(app, report, "")
                               : app.platform.files.AppendFile(report, ""));
  if (!reportWritable) {
    return Refuse(app, run, "Не удаётся записать файл отчёта: " + report + ".");
  }
  if (!options.logPath.empty() && !RunLog::Prepare(app.platform.files, options.logPath)) {
    return Refuse(app, run, "Не удаётся записать файл журнала: " + options.logPath + ".");
  }
  return true;
}

// The run a restart ended goes on with the package after the last one started.
bool ResumeRun(app::App& app, const app::CommandLineRun& run) {
  const auto text = app.platform.files.ReadFile(run.scriptPath);
  std::optional<RunState> state = text ? ParseRunState(*text) : std::nullopt;
  if (!state) {
    return Refuse(app, run, "Запуск нельзя продолжить: нет сведений о нём в " + run.scriptPath + ".");
  }
  app.unattended = state->options;
  if (!ResultsCanBeWritten(app, run, /*fresh=*/false)) return false;
  app.playQueue = state->queue;
  app.recordingMode = false;
  const size_t next = std::min<size_t>(state->started + 1, app.playQueue.size() - 1);
  app.currentScriptPath = app.playQueue[next];
  app.resumed = std::make_unique<RunState>(std::move(*state));
  app.ControlBar().Open();
  return true;
}

}  // namespace

void TellAboutRun(app::App& app, const app::CommandLineRun& run, const std::string& text) {
  const std::string& report = run.options.reportPath;
  if (!report.empty() && WriteReport(app, report, text + "\r\n")) return;
  app.MessageBox(text, ui::mb::kOk | ui::mb::kIconExclamation);
}

bool StartCommandLineRun(app::App& app, const app::CommandLineRun& run) {
  if (!run.error.empty()) return Refuse(app, run, run.error);
  if (run.kind == app::CommandLineRun::Kind::Resume) return ResumeRun(app, run);
  app.unattended = run.options;
  if (run.kind == app::CommandLineRun::Kind::Record) {
    app.recordingMode = true;
    app.scriptFolder = app::FolderOfPath(run.scriptPath);
    app.pendingPackage = {run.target, app::FileTitleOfPath(run.scriptPath), "", ""};
  } else {
    if (!ResultsCanBeWritten(app, run, /*fresh=*/true)) return false;
    app.playQueue = PlayQueue(app, run.target);
    if (app.playQueue.size() < 2) {
      return Refuse(app, run, "В папке " + run.target + " нет сценариев.");
    }
    app.recordingMode = false;
    app.currentScriptPath = app.playQueue[1];
  }
  app.ControlBar().Open();
  return true;
}

}  // namespace engine
