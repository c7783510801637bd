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

std::string ReportText(const std::vector<std::string>& statLines,
                       const std::vector<PackageFailure>& failures,
                       const std::vector<PackageByMessages>& byMessages,
                       const std::vector<BlockNote>& blockNotes,
                       const std::string& reportPath) {
  std::string out;
  for (const std::string& line : statLines) out += line + kNewLine;
  for (const PackageByMessages& p : byMessages) {
    out += kNewLine;
    out += "Воспроизведено сообщениями окон: " + p.name + " (строка " + std::to_string(p.line) +
           ")" + kNewLine;
  }
  for (const BlockNote& b : blockNotes) {
    out += kNewLine;
    out += b.heading + ": " + b.name + " (строка " + std::to_string(b.line) + ")" + kNewLine;
    out += "  Блок: " + std::to_string(b.block) + " из " + std::to_string(b.blockCount) + kNewLine;
    for (const auto& [label, value] : b.fields) out += "  " + label + ": " + value + kNewLine;
  }
  for (const PackageFailure& f : failures) {
    out += kNewLine;
    out += "Не завершено: " + f.name + " (строка " + std::to_string(f.line) + ")" + kNewLine;
    out += "  Блок: " + std::to_string(f.block) + " из " + std::to_string(f.blockCount) + kNewLine;
    if (!f.windowPath.empty()) out += "  Окно: " + f.windowPath + kNewLine;
    out += "  Причина: " + f.reason + kNewLine;
    if (f.screenshot) {
      out += "  Снимок экрана: " + FileNameOf(ScreenshotPath(reportPath, f.line)) + kNewLine;
    }
  }
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
