#include "engine/play/run_resume.h"

#include <charconv>

#include "app/safe_write.h"

namespace engine {
namespace {

constexpr const char* kRunOnce = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr const char* kValueName = "!Orvanta";
constexpr const char* kSignature = "Orvanta run state 1";

// One value per line: a backslash, a line break and a carriage return are
// written as \\, \n and \r.
std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char next = text[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

bool ToNumber(const std::string& text, long long& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

// "result|elapsedMs|startTime|endTime|name"; the name last, as it may hold "|".
std::string EntryText(const dialogs::StatEntry& e) {
  return std::to_string(e.result) + "|" + std::to_string(e.elapsedMs) + "|" +
         std::to_string(e.startTime) + "|" + std::to_string(e.endTime) + "|" + e.name;
}

std::optional<dialogs::StatEntry> ParseEntry(const std::string& text) {
  long long numbers[4];
  size_t at = 0;
  for (long long& number : numbers) {
    const size_t bar = text.find('|', at);
    if (bar == std::string::npos || !ToNumber(text.substr(at, bar - at), number)) return {};
    at = bar + 1;
  }
  dialogs::StatEntry entry;
  entry.result = static_cast<int>(numbers[0]);
  entry.elapsedMs = numbers[1];
  entry.startTime = static_cast<int>(numbers[2]);
  entry.endTime = static_cast<int>(numbers[3]);
  entry.name = text.substr(at);
  entry.duration = dialogs::FormatDuration(entry.Seconds());
  return entry;
}

// The field of the program read last that a line of the lists fills.
std::string* ProgramField(RunState& s, const std::string& key) {
  if (!s.listsBefore || s.listsBefore->programs.empty()) return nullptr;
  InstalledProgram& program = s.listsBefore->programs.back();
  if (key == "programName") return &program.name;
  if (key == "programVersion") return &program.version;
  if (key == "programPublisher") return &program.publisher;
  return nullptr;
}

}  // namespace

std::string RunStateText(const RunState& s) {
  std::string out = std::string(kSignature) + "\n";
  const auto put = [&out](const char* key, const std::string& value) {
    out += std::string(key) + "=" + Escaped(value) + "\n";
  };
  const auto number = [&put](const char* key, long long value) { put(key, std::to_string(value)); };
  number("speed", s.options.speed);
  number("timeout", s.options.timeoutSeconds);
  put("report", s.options.reportPath);
  put("log", s.options.logPath);
  number("messages", s.options.messages);
  for (size_t i = 1; i < s.queue.size(); ++i) put("script", s.queue[i]);
  number("started", s.started);
  number("inProgress", s.inProgress);
  number("block", s.block);
  number("blockCount", s.blockCount);
  if (s.listsBefore) {
    number("listsBefore", 1);
    for (const InstalledProgram& program : s.listsBefore->programs) {
      put("programKey", program.key);
      put("programName", program.name);
      put("programVersion", program.version);
      put("programPublisher", program.publisher);
    }
    for (const std::string& rename : s.listsBefore->renames) put("rename", rename);
  }
  for (const dialogs::StatEntry& entry : s.entries) put("entry", EntryText(entry));
  put("sectionMessages", s.sections.messages);
  put("sectionNotes", s.sections.notes);
  put("sectionResults", s.sections.results);
  put("sectionFailures", s.sections.failures);
  number("restart", s.sections.restart);
  number("failures", s.failures);
  number("failuresTryLater", s.failuresTryLater);
  return out + "end\n";
}

std::optional<RunState> ParseRunState(const std::string& text) {
  RunState s;
  s.queue = {""};
  size_t at = 0;
  bool signed_ = false, ended = false;
  while (at < text.size() && !ended) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) return {};  // cut short: a write that did not finish
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!signed_) {
      if (line != kSignature) return {};
      signed_ = true;
      continue;
    }
    if (line == "end") {
      ended = true;
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) return {};
    const std::string key = line.substr(0, equals), value = Unescaped(line.substr(equals + 1));
    long long n = 0;
    const bool numeric = ToNumber(value, n);
    if (key == "report") {
      s.options.reportPath = value;
    } else if (key == "log") {
      s.options.logPath = value;
    } else if (key == "script") {
      s.queue.push_back(value);
    } else if (key == "entry") {
      const auto entry = ParseEntry(value);
      if (!entry) return {};
      s.entries.push_back(*entry);
    } else if (key == "programKey" && s.listsBefore) {
      s.listsBefore->programs.push_back({value, {}, {}, {}});
    } else if (std::string* field = ProgramField(s, key)) {
      *field = value;
    } else if (key == "rename" && s.listsBefore) {
      s.listsBefore->renames.push_back(value);
    } else if (key == "sectionMessages") {
      s.sections.messages = value;
    } else if (key == "sectionNotes") {
      s.sections.notes = value;
    } else if (key == "sectionResults") {
      s.sections.results = value;
    } else if (key == "sectionFailures") {
      s.sections.failures = value;
    } else if (!numeric) {
      return {};
    } else if (key == "speed") {
      s.options.speed = static_cast<int>(n);
    } else if (key == "timeout") {
      s.options.timeoutSeconds = static_cast<int>(n);
    } else if (key == "messages") {
      s.options.messages = n != 0;
    } else if (key == "listsBefore") {
      s.listsBefore.emplace();
    } else if (key == "started") {
      s.started = static_cast<int>(n);
    } else if (key == "inProgress") {
      s.inProgress = n != 0;
    } else if (key == "block") {
      s.block = static_cast<int>(n);
    } else if (key == "blockCount") {
      s.blockCount = static_cast<int>(n);
    } else if (key == "restart") {
      s.sections.restart = n != 0;
    } else if (key == "failures") {
      s.failures = static_cast<int>(n);
    } else if (key == "failuresTryLater") {
      s.failuresTryLater = static_cast<int>(n);
    }
  }
  const int queueSize = static_cast<int>(s.queue.size()) - 1;
  if (!ended || s.started < 0 || s.started > queueSize || s.options.speed > 2) return {};
  return s;
}

std::string RunResume::StatePath(const platform::System& system) {
  return system.WindowsFolder() + "\\Temp\\Orvanta-run.txt";
}

bool RunResume::Keep(const RunState& state) {
  platform::Platform& p = app_.platform;
  const std::string path = StatePath(p.system);
  if (!app::WriteFileReplacing(p.files, path, RunStateText(state))) return false;
  if (registered_) return true;
  const std::string command = "\"" + p.system.ProgramPath() + "\" /RESUME \"" + path + "\"";
  registered_ = p.registry.WriteString(platform::RegistryRoot::LocalMachine, kRunOnce, kValueName,
                                       command);
  return registered_;
}

void RunResume::End() {
  platform::Platform& p = app_.platform;
  p.registry.DeleteValue(platform::RegistryRoot::LocalMachine, kRunOnce, kValueName);
  p.files.DeleteFile(StatePath(p.system));
  registered_ = false;
}

}  // namespace engine
