#include "library/position_list.h"

#include <algorithm>

#include "app/stored_text.h"

namespace library {

std::vector<std::string> DecodePositionList(const platform::System& system,
                                            const std::string& bytes) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.push_back(system.FromAnsi(line));
    start = end + 1;
  }
  return names;
}

std::string EncodePositionList(const platform::System& system,
                               const std::vector<std::string>& names) {
  std::string bytes;
  for (const std::string& name : names) {
    if (!app::CharsOutsideCodePage(system, name).empty()) continue;
    bytes += system.ToAnsi(name) + "\r\n";
  }
  return bytes;
}

void ApplyPositionList(std::vector<std::string>& names, const std::vector<std::string>& positions) {
  size_t next = 0;
  for (const std::string& wanted : positions) {
    // Names already placed stay where they are: a name that the file repeats
    // must not push an earlier one down again.
    const auto found = std::find(names.begin() + next, names.end(), wanted);
    if (found == names.end()) continue;
    std::swap(*found, names[next]);
    ++next;
  }
}

}  // namespace library
