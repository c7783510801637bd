#include "engine/unattended.h"

#include "app/paths.h"
#include "engine/frmStels.h"
#include "engine/play/run_log.h"
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

}  // namespace

void TellAboutRun(app::App& app, const app::CommandLineRun& run, const std::string& text) {
  const std::string& report = run.options.reportPath;
  if (!report.empty() && WriteReport(app, report, text + "\r\n")) return;
  app.MessageBox(text, ui::mb::kOk | ui::mb::kIconExclamation);
}

bool StartCommandLineRun(app::App& app, const app::CommandLineRun& run) {
  if (!run.error.empty()) return Refuse(app, run, run.error);
  app.unattended = run.options;
  if (run.kind == app::CommandLineRun::Kind::Record) {
    app.recordingMode = true;
    app.scriptFolder = app::FolderOfPath(run.scriptPath);
    app.pendingPackage = {run.target, app::FileTitleOfPath(run.scriptPath), "", ""};
  } else {
    // Nothing is played for a run whose results would be lost.
    const app::UnattendedRun& options = run.options;
    if (!options.reportPath.empty() && !WriteReport(app, options.reportPath, "")) {
      return Refuse(app, run, "Не удаётся записать файл отчёта: " + options.reportPath + ".");
    }
    if (!options.logPath.empty() && !RunLog::Prepare(app.platform.files, options.logPath)) {
      return Refuse(app, run, "Не удаётся записать файл журнала: " + options.logPath + ".");
    }
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
