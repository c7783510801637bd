#pragma once
// The report of an unattended run: the statistics window's lines, the
// packages played by window messages, the blocks worth a note (found by
// likeness, pressed without effect), what each package's setup installed,
// then for each package that did not complete where it stopped and why,
// with a screenshot of that moment beside the report, and at the end
// whether Windows must restart.
#include <string>
#include <vector>

#include "engine/play/run_results.h"

namespace app {
class App;
}

namespace engine {

struct ReportParts {
  std::vector<std::string> statLines;
  const std::vector<PackageFailure>& failures;
  const std::vector<PackageByMessages>& byMessages;
  const std::vector<BlockNote>& blockNotes;
  const std::vector<PackageResult>& packageResults;
};

// The sections below the statistics, by kind. A run that goes on after a
// restart keeps those of its part before, and its report shows both.
struct ReportSections {
  std::string messages, notes, results, failures;
  bool restart = false;
};

ReportSections RenderSections(const ReportParts& parts, const std::string& reportPath);
std::string ReportText(const std::vector<std::string>& statLines, const ReportSections& before,
                       const ReportSections& now);
// "C:\Logs\run.txt" and line 2 give "C:\Logs\run-2.png".
std::string ScreenshotPath(const std::string& reportPath, size_t line);
bool SaveScreenshot(app::App& app, const std::string& path);
// The text in UTF-8; false when the file cannot be written.
bool WriteReport(app::App& app, const std::string& path, const std::string& text);

}  // namespace engine
