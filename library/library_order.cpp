#include "library/library_order.h"

#include <algorithm>

#include "app/paths.h"
#include "platform/text.h"

namespace library {
namespace {

constexpr size_t kExtensionLength = 4;  // ".ovs"

}  // namespace

std::optional<std::vector<std::string>> ListPackages(const platform::FileSystem& fs,
                                                     const std::string& folder) {
  const auto entries = fs.ListFolder(folder, kScriptPattern);
  if (!entries) return std::nullopt;
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : *entries) {
    if (entry.folder || entry.name.size() < kExtensionLength) continue;
    names.push_back(entry.name.substr(0, entry.name.size() - kExtensionLength));
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return text::FoldCase(a) < text::FoldCase(b);
  });
  return names;
}

std::vector<std::string> ReadPositionList(const platform::FileSystem& fs,
                                          const platform::System& system,
                                          const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  const auto bytes = fs.ReadFile(app::AddBackslash(folder) + kPositionFile);
  if (!bytes) return names;
  size_t start = 0;
  while (start < bytes->size()) {
    size_t end = bytes->find('\n', start);
    if (end == std::string::npos) end = bytes->size();
    std::string line = bytes->substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    names.push_back(system.FromAnsi(line));
    start = end + 1;
  }
  return names;
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

std::optional<std::vector<std::string>> LibraryOrder(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const std::string& folder) {
  auto names = ListPackages(fs, folder);
  if (names && !names->empty()) ApplyPositionList(*names, ReadPositionList(fs, system, folder));
  return names;
}

}  // namespace library
