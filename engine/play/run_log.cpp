#include "engine/play/run_log.h"

#include <cstdio>

#include "platform/text.h"

namespace engine {
namespace {

constexpr const char* kWaitComponent = "Wait";

// Markers of the format that a text must not carry, or the line would end early.
std::string Flattened(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  for (size_t at; (at = text.find("]LOG]!>")) != std::string::npos;) text.replace(at, 1, "[");
  return text;
}

}  // namespace

std::string CmTraceLine(const std::string& text, const std::string& component, LogLevel level,
                        const platform::LocalTime& time, unsigned thread) {
  // As Configuration Manager writes it: "+000" in UTC, "-180" in Moscow, "-60".
  const int bias = time.utcBiasMinutes;
  const std::string zone =
      bias == 0 ? "+000" : (bias < 0 ? "-" : "+") + std::to_string(bias < 0 ? -bias : bias);
  char clock[32];
  std::snprintf(clock, sizeof(clock), "%02d:%02d:%02d.%03d", time.hour, time.minute, time.second,
                time.millisecond);
  char date[16];
  std::snprintf(date, sizeof(date), "%02d-%02d-%04d", time.month, time.day, time.year);
  return "<![LOG[" + Flattened(text) + "]LOG]!><time=\"" + clock + zone + "\" date=\"" + date +
         "\" component=\"" + component + "\" context=\"\" type=\"" +
         std::to_string(static_cast<int>(level)) + "\" thread=\"" + std::to_string(thread) +
         "\" file=\"\">\r\n";
}

std::string SecondsText(long long milliseconds) {
  const long long tenths = (milliseconds + 50) / 100;
  return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " с";
}

bool RunLog::Prepare(platform::FileSystem& files, const std::string& path) {
  const bool known = files.Attributes(path).has_value();
  return files.AppendFile(path, known ? std::string() : std::string("\xEF\xBB\xBF"));
}

void RunLog::Open(const std::string& path) {
  path_ = path;
  waitReason_.clear();
}

void RunLog::Write(LogLevel level, const std::string& component, const std::string& text) {
  if (path_.empty()) return;
  // A log that can no longer be written loses its lines, never the run.
  files_.AppendFile(path_, CmTraceLine(text, component, level, system_.Now(), system_.ThreadId()));
}

void RunLog::Waiting(const std::string& reason) {
  if (reason == waitReason_) return;
  WaitOver();
  waitReason_ = reason;
  waitSinceMs_ = system_.AwakeTimeMs();
  Info(kWaitComponent, "Ожидание: " + reason);
}

void RunLog::WaitOver() {
  if (waitReason_.empty()) return;
  Info(kWaitComponent, "Ожидание закончено через " +
                           SecondsText(system_.AwakeTimeMs() - waitSinceMs_) + ": " + waitReason_);
  waitReason_.clear();
}

}  // namespace engine
