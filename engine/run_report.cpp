#include "engine/run_report.h"

#include "app/app.h"
#include "app/safe_write.h"
#include "engine/png.h"

namespace engine {
namespace {

constexpr const char* kNewLine = "\r\n";

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string ScreenshotPath(const std::string& reportPath, size_t line) {
  const size_t slash = reportPath.find_last_of("\\/");
  const size_t dot = reportPath.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string base = hasExtension ? reportPath.substr(0, dot) : reportPath;
  return base + "-" + std::to_string(line) + ".png";
}

namespace {

std::string Heading(const std::string& title, const std::string& name, size_t line) {
  return std::string(kNewLine) + title + ": " + name + " (строка " + std::to_string(line) + ")" +
         kNewLine;
}

std::string Field(const std::string& label, const std::string& value) {
  return "  " + label + ": " + value + kNewLine;
}

std::string NoteText(const BlockNote& note) {
  std::string out = Heading(note.heading, note.name, note.line);
  const std::string of = " из " + std::to_string(note.blockCount);
  if (note.blocks.size() == 1) {
    out += Field("Блок", std::to_string(note.blocks[0].number) + of);
    for (const auto& [label, value] : note.blocks[0].fields) out += Field(label, value);
    for (const auto& [label, value] : note.shared) out += Field(label, value);
    return out;
  }
  std::string numbers;
  for (const BlockNote::Block& block : note.blocks) {
    numbers += (numbers.empty() ? "" : ", ") + std::to_string(block.number);
  }
  out += Field("Блоки", numbers + of);
  for (const auto& [label, value] : note.shared) out += Field(label, value);
  for (const BlockNote::Block& block : note.blocks) {
    for (const auto& [label, value] : block.fields) {
      out += Field("Блок " + std::to_string(block.number) + ". " + label, value);
    }
  }
  return out;
}

// What the setup left: said for every package played to its end, and for
// another one when its setup changed something.
std::string ResultText(const PackageResult& result) {
  const PackageOutcome& o = result.outcome;
  const bool codeToSay = o.exitCode && *o.exitCode != 0;
  const bool changed = !o.installed.empty() || !o.updated.empty();
  if (!result.completed && !changed && !codeToSay && !o.restartNeeded) return {};
  std::string out = Heading("Итог установки", result.name, result.line);
  for (const InstalledProgram& program : o.installed) {
    out += Field("Установлено", ProgramText(program));
  }
  for (size_t i = 0; i < o.updated.size(); ++i) {
    const std::string& from = o.updatedFrom[i];
    out += Field("Обновлено", ProgramText(o.updated[i]) + (from.empty() ? "" : ", было " + from));
  }
  if (!changed) out += std::string("  ") + kNothingListed + kNewLine;
  if (codeToSay) out += Field("Код завершения программы установки", std::to_string(*o.exitCode));
  if (o.restartNeeded) out += std::string("  Требуется перезагрузка") + kNewLine;
  return out;
}

}  // namespace

ReportSections RenderSections(const ReportParts& parts, const std::string& reportPath) {
  ReportSections out;
  for (const PackageByMessages& p : parts.byMessages) {
    out.messages += Heading("Воспроизведено сообщениями окон", p.name, p.line);
  }
  for (const BlockNote& note : parts.blockNotes) out.notes += NoteText(note);
  for (const PackageResult& result : parts.packageResults) {
    out.results += ResultText(result);
    out.restart = out.restart || result.outcome.restartNeeded;
  }
  for (const PackageFailure& f : parts.failures) {
    out.failures += Heading("Не завершено", f.name, f.line);
    out.failures += Field("Блок", std::to_string(f.block) + " из " + std::to_string(f.blockCount));
    if (!f.windowPath.empty()) out.failures += Field("Окно", f.windowPath);
    out.failures += Field("Причина", f.reason);
    if (f.screenshot) {
      out.failures += Field("Снимок экрана", FileNameOf(ScreenshotPath(reportPath, f.line)));
    }
  }
  return out;
}

std::string ReportText(const std::vector<std::string>& statLines, const ReportSections& before,
                       const ReportSections& now) {
  std::string out;
  for (const std::string& line : statLines) out += line + kNewLine;
  out += before.messages + now.messages + before.notes + now.notes + before.results + now.results +
         before.failures + now.failures;
  if (before.restart || now.restart) out += std::string(kNewLine) + "Требуется перезагрузка" + kNewLine;
  return out;
}

bool SaveScreenshot(app::App& app, const std::string& path) {
  const std::string png = EncodePng(app.platform.desktop.CaptureScreen());
  return !png.empty() && app::WriteFileReplacing(app.platform.files, path, png);
}

bool WriteReport(app::App& app, const std::string& path, const std::string& text) {
  return app::WriteFileReplacing(app.platform.files, path, text);
}

}  // namespace engine
