#pragma once
// The administrator's log of a run (/LOG): one line per event in the
// format of CMTrace and OneTrace, in UTF-8, added to the file as the run
// goes, so that a run cut short leaves every line up to its end.
#include <string>

#include "platform/files.h"
#include "platform/system.h"

namespace engine {

enum class LogLevel { Info = 1, Warning = 2, Error = 3 };

// <![LOG[text]LOG]!><time="14:03:27.015-180" date="12-08-2026" component="Queue" ...>
std::string CmTraceLine(const std::string& text, const std::string& component, LogLevel level,
                        const platform::LocalTime& time, unsigned thread);

class RunLog {
 public:
  RunLog(platform::FileSystem& files, const platform::System& system)
      : files_(files), system_(system) {}

  // Makes the log file ready before a run: a new one starts with the byte
  // order mark by which CMTrace knows UTF-8, one that exists (a run that
  // goes on after a restart) is added to. False when it cannot be written.
  static bool Prepare(platform::FileSystem& files, const std::string& path);
  // The file that the lines go to from now on; empty: no log.
  void Open(const std::string& path);
  bool open() const { return !path_.empty(); }

  void Info(const std::string& component, const std::string& text) {
    Write(LogLevel::Info, component, text);
  }
  void Warning(const std::string& component, const std::string& text) {
    Write(LogLevel::Warning, component, text);
  }
  void Error(const std::string& component, const std::string& text) {
    Write(LogLevel::Error, component, text);
  }

  // A wait for `reason` goes on: a new reason ends the wait before it, with
  // its length, and starts its own.
  void Waiting(const std::string& reason);
  // The wait, if one goes on, is over.
  void WaitOver();

 private:
  void Write(LogLevel level, const std::string& component, const std::string& text);

  platform::FileSystem& files_;
  const platform::System& system_;
  std::string path_;
  std::string waitReason_;
  long long waitSinceMs_ = 0;
};

// "2,4 с": a length of time as the log and the report say it.
std::string SecondsText(long long milliseconds);

}  // namespace engine
