#include "engine/play/run_results.h"

#include <algorithm>

#include "app/app.h"
#include "app/paths.h"
#include "dialogs/frmStat.h"
#include "engine/play/run_resume.h"
#include "engine/run_report.h"
#include "engine/window_finder.h"

namespace engine {

namespace {

constexpr const char* kResultComponent = "Result";

}  // namespace

RunResults::RunResults(app::App& app)
    : app_(app),
      log_(app.platform.files, app.platform.system),
      before_(std::make_unique<ReportSections>()) {}

RunResults::~RunResults() = default;

void RunResults::Clear() {
  *before_ = {};
  failuresBefore_ = tryLaterBefore_ = 0;
  packageResults_.clear();
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
    // Past the last block once every block was played.
    failure.block = std::min(script.blocksRead(), failure.blockCount);
  }
  if (withWindow) failure.windowPath = DescribePath(script.block.windowPath);
  failure.reason = reason;
  failure.tryLater = tryLater;
  log_.Error(kResultComponent, "Не завершено: " + failure.name + ": " + reason +
                                   (failure.windowPath.empty() ? "" : "; окно " + failure.windowPath));
  if (ReportWanted()) {
    failure.screenshot =
        SaveScreenshot(app_, ScreenshotPath(app_.unattended->reportPath, failure.line));
  }
  failures_.push_back(std::move(failure));
}

void RunResults::RecordInterrupted(const std::string& reason, int block, int blockCount) {
  PackageFailure failure;
  failure.line = app_.statistics.entries().size();
  failure.name = CurrentName();
  failure.block = std::min(block, blockCount);
  failure.blockCount = blockCount;
  failure.reason = reason;
  log_.Error(kResultComponent, "Не завершено: " + failure.name + ": " + reason);
  failures_.push_back(std::move(failure));
}

void RunResults::NoteBlock(const std::string& heading, NoteFields shared, NoteFields perBlock) {
  const size_t line = app_.statistics.entries().size();
  const BlockNote::Block block{app_.script.blocksRead(), std::move(perBlock)};
  for (BlockNote& note : blockNotes_) {
    if (note.line == line && note.heading == heading && note.shared == shared) {
      note.blocks.push_back(block);
      return;
    }
  }
  blockNotes_.push_back({heading, line, CurrentName(), app_.script.header().blockCount,
                         std::move(shared), {block}});
}

void RunResults::NoteFoundByLikeness(const std::string& pressed, const std::string& why) {
  NoteBlock("Окно найдено по сходству", {{"Почему", why}},
            {{"Записано", DescribePath(app_.script.block.windowPath)}, {"Нажато", pressed}});
}

void RunResults::RecordOutcome(const PackageOutcome& outcome) {
  const auto& entries = app_.statistics.entries();
  if (entries.empty()) return;
  PackageResult result{entries.size(), CurrentName(),
                       entries.back().result == dialogs::stat_result::kCompleted, outcome};
  for (const InstalledProgram& program : outcome.installed) {
    log_.Info(kResultComponent, "Установлено: " + ProgramText(program));
  }
  for (const InstalledProgram& program : outcome.updated) {
    log_.Info(kResultComponent, "Обновлено: " + ProgramText(program));
  }
  if (result.completed && outcome.installed.empty() && outcome.updated.empty()) {
    log_.Info(kResultComponent, kNothingListed);
  }
  if (outcome.exitCode) {
    log_.Info(kResultComponent, "Программа установки завершилась с кодом " +
                                    std::to_string(*outcome.exitCode));
  }
  if (outcome.restartNeeded) log_.Warning(kResultComponent, "Требуется перезагрузка");
  if (result.completed && !outcome.ExitSaysSuccess()) {
    result.completed = false;
    app_.statistics.EndStatEntry(dialogs::stat_result::kNotStarted);
    RecordFailure("программа установки завершилась с кодом " + std::to_string(*outcome.exitCode),
                  /*withWindow=*/false);
  }
  packageResults_.push_back(std::move(result));
}

bool RunResults::restartNeeded() const {
  return before_->restart || std::any_of(packageResults_.begin(), packageResults_.end(),
                     [](const PackageResult& p) { return p.outcome.restartNeeded; });
}

void RunResults::NotePlayedByMessages() {
  byMessages_.push_back({app_.statistics.entries().size(), CurrentName()});
}

void RunResults::Save(const std::string& closingLine) const {
  if (!ReportWanted()) return;
  const std::string& path = app_.unattended->reportPath;
  std::string text = ReportText(app_.statistics.StatLines(), *before_, Sections());
  if (!closingLine.empty()) text += (text.empty() ? "" : "\r\n") + closingLine + "\r\n";
  WriteReport(app_, path, text);
}

ReportSections RunResults::Sections() const {
  return RenderSections({{}, failures_, byMessages_, blockNotes_, packageResults_},
                        app_.unattended ? app_.unattended->reportPath : std::string());
}

void RunResults::Restore(const RunState& state, int nextLine, int queueSize) {
  *before_ = state.sections;
  failuresBefore_ = state.failures;
  tryLaterBefore_ = state.failuresTryLater;
  const std::string where = nextLine <= queueSize ? ": с пакета " + std::to_string(nextLine) +
                                                        " из " + std::to_string(queueSize)
                                                  : "";
  before_->messages += "\r\nПродолжено после перезагрузки" + where + "\r\n";
  log_.Info("Run", "Продолжено после перезагрузки" + where);
}

void RunResults::FillState(RunState& state) const {
  const ReportSections now = Sections();
  state.sections = {before_->messages + now.messages, before_->notes + now.notes,
                    before_->results + now.results, before_->failures + now.failures,
                    before_->restart || now.restart};
  state.failures = FailureCount();
  state.failuresTryLater = TryLaterCount();
}

int RunResults::FailureCount() const {
  return failuresBefore_ + static_cast<int>(failures_.size());
}

int RunResults::TryLaterCount() const {
  return tryLaterBefore_ + static_cast<int>(std::count_if(failures_.begin(), failures_.end(),
                                                          [](const PackageFailure& f) { return f.tryLater; }));
}

std::string RunResults::UnfinishedLine(int queueSize) const {
  return "Запуск не закончен: пройдено пакетов " +
         std::to_string(app_.statistics.entries().size()) + " из " + std::to_string(queueSize);
}

void RunResults::Finish(int notStarted) {
  // The exit code tells a deploying tool the result, with or without a report.
  const int code = ExitCode(notStarted);
  if (app_.unattended) app_.platform.ui.SetExitCode(code);
  log_.Info("Run", "Запуск окончен, код завершения " + std::to_string(code));
  if (!ReportWanted()) {
    dialogs::ShowStatistics(app_, nullptr);
    return;
  }
  Save(notStarted > 0 ? "Запуск остановлен: не начато пакетов - " + std::to_string(notStarted)
                      : std::string());
}

int RunResults::ExitCode(int notStarted) const {
  if (AllCompleted() && notStarted == 0) {
    return restartNeeded() ? app::exit_code::kRestartNeeded : app::exit_code::kAllComplete;
  }
  const int failures = FailureCount();
  const bool onlyTurnsMissed = notStarted == 0 && failures > 0 && failures == TryLaterCount();
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
