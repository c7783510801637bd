#pragma once
// Installation statistics: one entry per script started during a batch run,
// with its result, its package name and when it started and ended. The list
// lives in memory only; the statistics window shows it.
#include <string>
#include <vector>

#include "platform/system.h"

namespace ui {
class Control;
}

namespace dialogs {

namespace stat_result {
constexpr int kNotStarted = 0;   // script or program missing, newer format, launch failed
constexpr int kInterrupted = 1;  // the user moved on to the next script or stopped
constexpr int kCompleted = 2;    // every block was replayed
}  // namespace stat_result

constexpr int kSecondsPerDay = 24 * 60 * 60;

struct StatEntry {
  int result = stat_result::kNotStarted;
  std::string name;      // package name
  int startTime = 0;     // seconds since midnight, as the clock showed
  int endTime = 0;       // seconds since midnight; equals startTime until the entry is closed
  std::string duration;  // Seconds() as FormatDuration text
  // Elapsed milliseconds from start to end, by a clock that midnight and a
  // change of the time of day do not move.
  long long elapsedMs = 0;
  long long Seconds() const { return elapsedMs / 1000; }
};

// "ОК", "MB" or "NO", as the statistics window shows a result.
std::string ResultWord(int result);
// "1:02:05": hours without padding, wrapped to the day, then two-digit
// minutes and seconds.
std::string FormatDuration(long long seconds);
// "14:03:27".
std::string FormatTimeOfDay(int secondsOfDay);

class Statistics {
 public:
  static constexpr size_t kNameWidth = 30;

  explicit Statistics(const platform::System& system) : system_(system) {}

  void ClearStatistics() { entries_.clear(); }
  void BeginStatEntry(const std::string& packageName);
  // Closes the last entry; a later call overwrites the earlier values. An
  // empty list is left as it is.
  void EndStatEntry(int result);
  // The entries of a run's part before a restart; the last one's result
  // set without its times (its end was never seen).
  void RestoreEntries(std::vector<StatEntry> entries) { entries_ = std::move(entries); }
  void SetLastResult(int result) {
    if (!entries_.empty()) entries_.back().result = result;
  }

  // Sum of all durations; empty text when there are no entries.
  std::string TotalDuration() const;
  // The lines of the statistics window, in order; none for an empty list.
  std::vector<std::string> StatLines() const;
  // Adds StatLines to a list box.
  void AddStatInfo(ui::Control& list) const;

  const std::vector<StatEntry>& entries() const { return entries_; }

 private:
  int TimeOfDay() const { return system_.Now().SecondsOfDay(); }
  long long startMs_ = 0;  // of the last entry, on the elapsed-time clock
  std::string EntryLine(size_t number, const StatEntry& entry, size_t nameWidth) const;

  const platform::System& system_;
  std::vector<StatEntry> entries_;
};

}  // namespace dialogs
