#include "dialogs/statistics.h"

#include <algorithm>

#include "platform/text.h"
#include "platform/ui.h"

namespace dialogs {
namespace {

std::string HoursMinutesSeconds(long long hours, long long minutes, long long seconds) {
  return std::to_string(hours) + ":" + text::PadNumber(minutes, 2) + ":" +
         text::PadNumber(seconds, 2);
}

}  // namespace

std::string ResultWord(int result) {
  switch (result) {
    case stat_result::kInterrupted:
      return "MB";
    case stat_result::kCompleted:
      return "ОК";  // Cyrillic letters
    default:
      return "NO";
  }
}

std::string FormatDuration(long long seconds) {
  const long long s = (seconds % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
  return HoursMinutesSeconds(s / 3600, s / 60 % 60, s % 60);
}

std::string FormatTimeOfDay(int secondsOfDay) {
  const int s = (secondsOfDay % kSecondsPerDay + kSecondsPerDay) % kSecondsPerDay;
  return text::PadNumber(s / 3600, 2) + ":" + text::PadNumber(s / 60 % 60, 2) + ":" +
         text::PadNumber(s % 60, 2);
}

void Statistics::BeginStatEntry(const std::string& packageName) {
  StatEntry entry;
  entry.name = packageName;
  entry.startTime = entry.endTime = TimeOfDay();
  startMs_ = system_.AwakeTimeMs();
  entry.duration = FormatDuration(0);
  entries_.push_back(std::move(entry));
}

void Statistics::EndStatEntry(int result) {
  if (entries_.empty()) return;
  StatEntry& entry = entries_.back();
  entry.result = result;
  entry.endTime = TimeOfDay();
  entry.elapsedMs = std::max(0LL, system_.AwakeTimeMs() - startMs_);
  entry.duration = FormatDuration(entry.Seconds());
}

std::string Statistics::TotalDuration() const {
  if (entries_.empty()) return {};
  long long total = 0;
  for (const StatEntry& entry : entries_) total += entry.Seconds();
  return FormatDuration(total);
}

std::string Statistics::EntryLine(size_t number, const StatEntry& entry, size_t nameWidth) const {
  const size_t nameLength = text::CharCount(entry.name);
  std::string name;
  if (nameLength > kNameWidth) {
    name = text::FirstChars(entry.name, kNameWidth - 3) + "...";
  } else {
    name = entry.name + std::string(nameWidth - nameLength, ' ');
  }
  return std::to_string(number) + (number < 10 ? "   " : "  ") + ResultWord(entry.result) + "  " +
         name + "  " + entry.duration + "  " + FormatTimeOfDay(entry.startTime) + "  " +
         FormatTimeOfDay(entry.endTime);
}

std::vector<std::string> Statistics::StatLines() const {
  std::vector<std::string> lines;
  if (entries_.empty()) return lines;
  size_t width = 0;
  for (const StatEntry& entry : entries_) width = std::max(width, text::CharCount(entry.name));
  width = std::min(width, kNameWidth);
  for (size_t i = 0; i < entries_.size(); ++i)
    lines.push_back(EntryLine(i + 1, entries_[i], width));
  lines.emplace_back();
  lines.push_back("Общее время установки - " + TotalDuration());
  return lines;
}

void Statistics::AddStatInfo(ui::Control& list) const {
  for (const std::string& line : StatLines()) list.AddItem(line);
}

}  // namespace dialogs
