#include "library/position_list.h"

#include <algorithm>

#include "app/stored_text.h"

namespace library {

namespace {
constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
}

std::vector<std::string> DecodePositionList(const platform::System& system,
                                            const std::string& bytes) {
  std::vector<std::string> names;
  const bool utf8 = bytes.compare(0, 3, kUtf8Mark) == 0;
  size_t start = utf8 ? 3 : 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.push_back(utf8 ? line : system.FromAnsi(line));
    start = end + 1;
  }
  return names;
}

std::string EncodePositionList(const platform::System& system,
                               const std::vector<std::string>& names) {
  const bool fits = std::all_of(names.begin(), names.end(), [&](const std::string& name) {
    return app::CharsOutsideCodePage(system, name).empty();
  });
  std::string ansi;
  for (const std::string& name : names) ansi += system.ToAnsi(name) + "\r\n";
  // ANSI bytes that begin as the mark does would be taken for it.
  if (fits && ansi.compare(0, 3, kUtf8Mark) != 0) return ansi;
  std::string utf8 = kUtf8Mark;
  for (const std::string& name : names) utf8 += name + "\r\n";
  return utf8;
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
