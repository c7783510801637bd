#include "platform/sim/sim_ini.h"

#include <sstream>
#include <vector>

#include "platform/text.h"

namespace sim {
namespace {

constexpr size_t kValueChars = 127;

std::string TrimBlanks(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::vector<std::string> Lines(const std::string& contents) {
  std::vector<std::string> lines;
  std::istringstream in(contents);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Lines are ANSI bytes, as in the file; names and values are converted
// when compared or returned, so that the lines a write does not touch keep
// every byte.
bool IsSection(const std::string& line, std::string* name) {
  const std::string t = TrimBlanks(line);
  if (t.size() < 2 || t.front() != '[') return false;
  const size_t close = t.find(']');
  if (close == std::string::npos) return false;
  *name = text::Cp1251ToUtf8(TrimBlanks(t.substr(1, close - 1)));
  return true;
}

bool IsKey(const std::string& line, const std::string& key, std::string* value) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos ||
      !text::EqualsNoCase(text::Cp1251ToUtf8(TrimBlanks(line.substr(0, eq))), key)) {
    return false;
  }
  *value = text::Cp1251ToUtf8(TrimBlanks(line.substr(eq + 1)));
  return true;
}

}  // namespace

std::string SimIniFiles::GetString(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& fallback) const {
  const auto bytes = files_.ReadFile(file);
  if (!bytes) return text::FirstChars(fallback, kValueChars);
  bool inSection = false;
  for (const std::string& raw : Lines(*bytes)) {
    std::string name, value;
    if (IsSection(raw, &name)) {
      inSection = text::EqualsNoCase(name, section);
    } else if (inSection && IsKey(raw, key, &value)) {
      // A value wholly in matching quotes loses them, as the system does.
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return text::FirstChars(value, kValueChars);
    }
  }
  return text::FirstChars(fallback, kValueChars);
}

bool SimIniFiles::PutString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) {
  const auto bytes = files_.ReadFile(file);
  std::vector<std::string> lines = bytes ? Lines(*bytes) : std::vector<std::string>();
  for (auto& l : lines) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
  }
  const std::string entry = text::Utf8ToCp1251(key + "=" + value);
  bool inSection = false, done = false;
  size_t sectionEnd = std::string::npos;
  for (size_t i = 0; i < lines.size() && !done; ++i) {
    std::string name, old;
    if (IsSection(lines[i], &name)) {
      if (inSection) break;
      inSection = text::EqualsNoCase(name, section);
      if (inSection) sectionEnd = i + 1;
    } else if (inSection) {
      if (IsKey(lines[i], key, &old)) {
        lines[i] = entry;
        done = true;
      } else if (!TrimBlanks(lines[i]).empty()) {
        sectionEnd = i + 1;
      }
    }
  }
  if (!done && sectionEnd != std::string::npos) {
    lines.insert(lines.begin() + sectionEnd, entry);
  } else if (!done) {
    lines.push_back(text::Utf8ToCp1251("[" + section + "]"));
    lines.push_back(entry);
  }
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return files_.WriteFile(file, out);
}

}  // namespace sim
