#include "engine/play/run_results.h"

#include <algorithm>

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/frmStat.h"
#include "engine/run_report.h"
#include "engine/window_finder.h"

namespace engine {

void RunResults::Clear() {
  failures_.clear();
  byMessages_.clear();
  blockNotes_.clear();
}

void RunResults::RecordFailure(const std::string& reason, bool withWindow, bool scriptRead,
                               bool tryLater) {
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
  failure.tryLater = tryLater;
  if (ReportWanted()) {
    failure.screenshot =
        SaveScreenshot(app_, ScreenshotPath(app_.unattended->reportPath, failure.line));
  }
  failures_.push_back(std::move(failure));
}

void RunResults::NoteBlock(const std::string& heading,
                           std::vector<std::pair<std::string, std::string>> fields) {
  blockNotes_.push_back({heading, app_.statistics.entries().size(), CurrentName(),
                         app_.script.blocksRead(), app_.script.header().blockCount,
                         std::move(fields)});
}

void RunResults::NoteFoundByLikeness(const std::string& pressed, const std::string& why) {
  NoteBlock("Окно найдено по сходству", {{"Записано", DescribePath(app_.script.block.windowPath)},
                                         {"Нажато", pressed},
                                         {"Почему", why}});
}

void RunResults::NotePlayedByMessages() {
  byMessages_.push_back({app_.statistics.entries().size(), CurrentName()});
}

void RunResults::Save(const std::string& closingLine) const {
  if (!ReportWanted()) return;
  const std::string& path = app_.unattended->reportPath;
  std::string text = ReportText(app_.statistics.StatLines(), failures_, byMessages_, blockNotes_, path);
  if (!closingLine.empty()) text += (text.empty() ? "" : "\r\n") + closingLine + "\r\n";
  WriteReport(app_, path, text);
}

std::string RunResults::UnfinishedLine(int queueSize) const {
  return "Запуск не закончен: пройдено пакетов " +
         std::to_string(app_.statistics.entries().size()) + " из " + std::to_string(queueSize);
}

void RunResults::Finish(int notStarted) {
  // The exit code tells a deploying tool the result, with or without a report.
  if (app_.unattended) app_.platform.ui.SetExitCode(ExitCode(notStarted));
  if (!ReportWanted()) {
    dialogs::ShowStatistics(app_, nullptr);
    return;
  }
  Save(notStarted > 0 ? "Запуск остановлен: не начато пакетов - " + std::to_string(notStarted)
                      : std::string());
}

int RunResults::ExitCode(int notStarted) const {
  if (AllCompleted() && notStarted == 0) return app::exit_code::kAllComplete;
  const bool onlyTurnsMissed =
      notStarted == 0 && !failures_.empty() &&
      std::all_of(failures_.begin(), failures_.end(),
                  [](const PackageFailure& f) { return f.tryLater; });
  return onlyTurnsMissed ? app::exit_code::kTryAgainLater : app::exit_code::kIncomplete;
}

bool RunResults::ReportWanted() const {
  return app_.unattended && !app_.unattended->reportPath.empty();
}

bool RunResults::AllCompleted() const {
  for (const dialogs::StatEntry& entry : app_.statistics.entries()) {
    if (entry.result != dialogs::stat_result::kCompleted) return false;
  }
  return true;
}

std::string RunResults::CurrentName() const {
  return app::FileTitleOfPath(app_.currentScriptPath);
}

}  // namespace engine
